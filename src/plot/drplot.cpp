// The x-y plot: the curves of "data/xyplot" read and checked whole into
// cxyplot, a range pass, the axes widened to readable steps, and the drawing
// pass with a wait after each curve.
#include "plot/drplot.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "control/messages.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen.hpp"
#include "hpmesh/spline.hpp"
#include "plot/options.hpp"
#include "plot/scales.hpp"
#include "records/io.hpp"
#include "records/plot.hpp"
#include "records/window.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"
#include "support/item_reader.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

constexpr const char* kFile = "data/xyplot";
constexpr double kFar = 1.0000000200408773e20;  // single-precision 1e20

struct Options {
    int levelx = 13, levely = 13;
    bool bspline = false;
    int factor = 3;
    bool noscale = false;
};

// The truncated number after word when the record holds one within lo..hi.
void int_option(std::string_view word, int lo, int hi, int& value) {
    double v = 0.0;
    if (!number_field(option_field(word), v)) return;
    const int n = ifix(v);
    if (n >= lo && n <= hi) value = n;
}

Options read_options() {
    Options o;
    int_option("LEVELX", 1, MAX_LEVELS, o.levelx);
    int_option("LEVELY", 1, MAX_LEVELS, o.levely);
    o.bspline = option_field("BSPLINE") != 0;
    int_option("FACTOR", 1, MAX_XY_FACTOR, o.factor);
    o.noscale = option_field("NOSCALE") != 0;
    return o;
}

void refuse(const std::string& why) {
    ffldou(0, MSG_ERROR, std::string(" FILE ") + kFile + ": " + why);
}

std::string curve(int c) {
    return "CURVE " + std::to_string(c) + ": ";
}

// Reads the whole file into cxyplot; false, after one error message, when it
// is missing, short, unreadable or beyond the limits.
bool read_curves(bool bspline) {
    std::vector<std::string> lines;
    if (!units::open_text(LUXY, kFile, units::Open::existing)) {
        ffldou(0, MSG_ERROR, std::string(" UNABLE TO OPEN FILE ") + kFile);
        return false;
    }
    std::string line;
    while (units::read_line(LUXY, line) == units::Status::ok) lines.push_back(line);
    units::close(LUXY);

    ItemReader in(std::move(lines));
    std::vector<std::string> v;
    auto read_int = [&](int& n) { return in.item(1, v) && to_int(v[0], n); };
    const std::string short_file = "MISSING OR UNREADABLE NUMBER";
    int nc = 0;
    if (!read_int(nc)) {
        refuse(short_file);
        return false;
    }
    if (nc < 1 || nc > MAX_XY_CURVES) {
        refuse("NUMBER OF CURVES " + std::to_string(nc) + " NOT IN 1.." +
               std::to_string(MAX_XY_CURVES));
        return false;
    }
    const int maxnp = bspline ? MAXSPLUSE : MAX_XY_POINTS;
    for (int c = 1; c <= nc; ++c) {
        int imark = 0, np = 0;
        if (!read_int(imark) || !read_int(np)) {
            refuse(curve(c) + short_file);
            return false;
        }
        if (np < 1 || np > maxnp) {
            refuse(curve(c) + "NUMBER OF POINTS " + std::to_string(np) + " NOT IN 1.." +
                   std::to_string(maxnp));
            return false;
        }
        // The ordinates, then the abscissae.
        for (int which = 1; which <= 2; ++which) {
            if (!in.item(np, v)) {
                refuse(curve(c) + short_file);
                return false;
            }
            for (int k = 1; k <= np; ++k) {
                double value = 0.0;
                if (!fmt::read_number(v[k - 1], value) || !std::isfinite(value)) {
                    refuse(curve(c) + short_file);
                    return false;
                }
                cxyplot.XY(c, k, which) = value;
            }
        }
        cxyplot.IMARK(c) = imark;
        cxyplot.NP(c) = np;
    }
    cxyplot.NC = nc;
    return true;
}

// The spline through the points of curve c: its order and total length;
// false when it cannot be set up (two equal consecutive points).
bool set_up_spline(int c, int& kord, double& tlen) {
    const int np = cxyplot.NP(c);
    for (int k = 1; k <= np; ++k) {
        cxyplot.PTS(k) = cxyplot.XY(c, k, 2);
        cxyplot.PTS(MAXSPLPT + k) = cxyplot.XY(c, k, 1);
    }
    kord = np == 2 ? 2 : 3;
    return prepare(np, kord, tlen, cxyplot.PTS, cxyplot.COEF) == 0;
}

// Sample j = 1..n*factor+1 of the spline set up for a curve of n points, at
// equal steps of the chord-length parameter from 0 to tlen.
void sample(int n, int kord, double tlen, int factor, int j, double& x, double& y) {
    const int steps = n * factor;
    bspline(n, kord, tlen * (j - 1) / steps, x, y, cxyplot.COEF);
}

void square(double x, double y, double dx, double dy) {
    int icol = 1;
    mline(x + dx, y + dy, x - dx, y + dy, icol);
    icol = 1;
    mline(x - dx, y + dy, x - dx, y - dy, icol);
    icol = 1;
    mline(x - dx, y - dy, x + dx, y - dy, icol);
    icol = 1;
    mline(x + dx, y - dy, x + dx, y + dy, icol);
}

void draw_curve(int c, const Options& o, double dx, double dy) {
    const int np = cxyplot.NP(c);
    auto x = [c](int k) { return cxyplot.XY(c, k, 2); };
    auto y = [c](int k) { return cxyplot.XY(c, k, 1); };
    if (o.bspline) {
        int kord = 0;
        double tlen = 0.0;
        if (np < 2 || !set_up_spline(c, kord, tlen)) return;
        double x1 = 0.0, y1 = 0.0;
        sample(np, kord, tlen, o.factor, 1, x1, y1);
        for (int j = 2; j <= np * o.factor + 1; ++j) {
            double x2 = 0.0, y2 = 0.0;
            sample(np, kord, tlen, o.factor, j, x2, y2);
            int icol = 1;
            mline(x1, y1, x2, y2, icol);
            x1 = x2;
            y1 = y2;
        }
    } else if (cxyplot.IMARK(c) == 0) {
        for (int k = 1; k < np; ++k) {
            int icol = 1;
            mline(x(k), y(k), x(k + 1), y(k + 1), icol);
        }
    } else {
        for (int k = 1; k < np; ++k) {
            square(x(k), y(k), dx, dy);
            if (k + 1 == np) square(x(np), y(np), dx, dy);
        }
    }
}

}  // namespace

void drplot() {
    const Options o = read_options();
    if (!read_curves(o.bspline)) return;

    // Range pass: the data points, or with BSPLINE the samples of each spline.
    double xmin = kFar, xmax = -kFar, ymin = kFar, ymax = -kFar;
    auto widen = [&](double x, double y) {
        xmin = std::min(xmin, x);
        xmax = std::max(xmax, x);
        ymin = std::min(ymin, y);
        ymax = std::max(ymax, y);
    };
    for (int c = 1; c <= cxyplot.NC; ++c) {
        const int np = cxyplot.NP(c);
        if (o.bspline && np >= 2) {
            int kord = 0;
            double tlen = 0.0;
            if (!set_up_spline(c, kord, tlen)) {
                refuse(curve(c) + "NO SPLINE THROUGH ITS POINTS");
                return;
            }
            for (int j = 1; j <= np * o.factor + 1; ++j) {
                double x = 0.0, y = 0.0;
                sample(np, kord, tlen, o.factor, j, x, y);
                widen(x, y);
            }
        } else {
            for (int k = 1; k <= np; ++k) widen(cxyplot.XY(c, k, 2), cxyplot.XY(c, k, 1));
        }
    }
    // The legend gives the range of the ordinates of the file.
    double ylow = kFar, yhigh = -kFar;
    for (int c = 1; c <= cxyplot.NC; ++c)
        for (int k = 1; k <= cxyplot.NP(c); ++k) {
            ylow = std::min(ylow, cxyplot.XY(c, k, 1));
            yhigh = std::max(yhigh, cxyplot.XY(c, k, 1));
        }

    // The frame: a zero-width range about its centre, then readable steps.
    widen_range(xmin, xmax);
    widen_range(ymin, ymax);
    int levelx = o.levelx, levely = o.levely;
    opscal(xmin, xmax, levelx);
    opscal(ymin, ymax, levely);
    cxmin = {xmin, xmax, ymin, ymax};

    cscale.LAYOUT = 3;
    start1();
    claser.NGRAY = 8;
    if (!o.noscale) xdrsca(levelx, levely);
    mdrtit();

    const double dx = (cxmin.XMAX - cxmin.XMIN) / 100.0, dy = (cxmin.YMAX - cxmin.YMIN) / 100.0;
    for (int c = 1; c <= cxyplot.NC; ++c) {
        draw_curve(c, o, dx, dy);
        if (screen_is_open()) screen_flush();
        runtime_pause();
    }

    flegen("MIN=", ylow);
    flegen("MAX=", yhigh);
    legend();
    endpl();
}

}  // namespace kavren
