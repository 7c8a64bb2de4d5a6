// Checks of the PostScript files a run writes: rendering with Ghostscript,
// the file without its name and stamp, and the line segments it draws.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "../support/pgm.hpp"
#include "ghostscript.hpp"
#include "runner.hpp"

namespace kavren::e2e {

// The file renders without an error.
inline void renders(const std::string& postscript) {
    ASSERT_FALSE(postscript.empty());
    auto gs = ghostscript(postscript, "-sDEVICE=nullpage");
    EXPECT_EQ(gs.status, 0) << show(gs);
    EXPECT_EQ(gs.out.find("Error:"), std::string::npos) << show(gs);
    EXPECT_EQ(gs.err.find("Error:"), std::string::npos) << show(gs);
}

// The page at 72 dots an inch, 612 x 792 points; false when it did not render.
inline bool render_page(const std::string& postscript, testing::Pgm& image) {
    auto r = ghostscript(postscript,
                         "-sDEVICE=pgmraw -r72 -dDEVICEWIDTHPOINTS=612 "
                         "-dDEVICEHEIGHTPOINTS=792 -dFIXEDMEDIA -sOutputFile=plot.pgm");
    return r.status == 0 && testing::read_pgm(r.file("plot.pgm"), image);
}

// The gray at page point (x, y) of the drawing (its origin translated by
// 50, 50), or -1 off the page.
inline int gray_at(const testing::Pgm& image, double x, double y) {
    return image.at(static_cast<int>(50.0 + x), static_cast<int>(791.0 - (50.0 + y)));
}

// The darkest gray within a pixel of page point (x, y).
inline int darkest_near(const testing::Pgm& image, double x, double y) {
    int g = 255;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            const int v = gray_at(image, x + dx, y + dy);
            if (v >= 0 && v < g) g = v;
        }
    return g;
}

// The file without its header's file name and the stamp line.
inline std::string without_name_and_stamp(const std::string& ps) {
    std::istringstream in(ps);
    std::string out, line;
    for (int n = 0; std::getline(in, line); ++n) {
        if (n == 0 || line.find("-12-") != std::string::npos) continue;
        out += line + "\n";
    }
    return out;
}

// The line segments "x1 y1 m x2 y2 d" of a file, in page points.
struct Segment {
    double x1, y1, x2, y2;
};
inline std::vector<Segment> segments(const std::string& ps) {
    std::vector<Segment> v;
    std::istringstream in(ps);
    std::vector<std::string> t;
    for (std::string w; in >> w;) t.push_back(w);
    auto number = [](const std::string& s, double& x) {
        std::istringstream n(s);
        return static_cast<bool>(n >> x) && n.eof();
    };
    for (std::size_t i = 0; i + 5 < t.size(); ++i) {
        Segment s{};
        if (t[i + 2] == "m" && t[i + 5] == "d" && number(t[i], s.x1) && number(t[i + 1], s.y1) &&
            number(t[i + 3], s.x2) && number(t[i + 4], s.y2))
            v.push_back(s);
    }
    return v;
}

// The segments that are neither across nor along the page: the data of an
// x-y graph whose curve is not flat.
inline std::vector<Segment> slanted(const std::vector<Segment>& all) {
    std::vector<Segment> v;
    for (const Segment& s : all)
        if (s.x1 != s.x2 && s.y1 != s.y2) v.push_back(s);
    return v;
}

// The closed outlines "x y n x y d ... x y c" of a file, in page points.
using PagePoint = std::array<double, 2>;
inline std::vector<std::vector<PagePoint>> outlines(const std::string& ps) {
    std::istringstream in(ps);
    std::vector<std::string> t;
    for (std::string w; in >> w;) t.push_back(w);
    std::vector<std::vector<PagePoint>> v;
    std::vector<PagePoint>* open = nullptr;
    for (std::size_t i = 2; i < t.size(); ++i) {
        const std::string& w = t[i];
        if (w != "n" && w != "d" && w != "c") continue;
        std::istringstream a(t[i - 2]), b(t[i - 1]);
        PagePoint p{};
        if (!(a >> p[0]) || !(b >> p[1])) {
            open = nullptr;
            continue;
        }
        if (w == "n") {
            open = &v.emplace_back();
        }
        if (open == nullptr) continue;
        open->push_back(p);
        if (w == "c") open = nullptr;
    }
    return v;
}

// The segments lie on one straight line on the page (within the 0.1 point
// the file writes); returns the line's direction from the first point to
// the last.
inline PagePoint on_one_line(const std::vector<Segment>& data) {
    if (data.empty()) return {0.0, 0.0};
    const Segment& a = data.front();
    const Segment& b = data.back();
    const double dx = b.x2 - a.x1, dy = b.y2 - a.y1, tol = 0.2 * std::hypot(dx, dy);
    for (const Segment& s : data) {
        EXPECT_NEAR((s.x1 - a.x1) * dy - (s.y1 - a.y1) * dx, 0.0, tol);
        EXPECT_NEAR((s.x2 - a.x1) * dy - (s.y2 - a.y1) * dx, 0.0, tol);
    }
    return {dx, dy};
}

}  // namespace kavren::e2e
