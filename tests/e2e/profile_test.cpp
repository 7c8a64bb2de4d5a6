// End-to-end runs of the profile plots from the EXECUTE driver: the curve
// along a profile of element sides, its pieces and ticks, the window along
// the length, smoothing, and the refusals. PostScript judged by Ghostscript.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

using Lines = std::vector<std::string>;

// n 4-node unit elements in a row along [0, n] x [0, 1], Dirichlet all round,
// the profile BOT along their side 1 (unless bare), u = x + 0.05 solved.
std::string row(int n, bool profile = true) {
    const std::string i = std::to_string(n + 1), len = std::to_string(n);
    return "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1," + i + ",2\nXY,0,0,XY," + len +
           ",0,XY," + len + ",1,XY,0,1\nEND\nEND\nELEMENT\nILOOP=" + len +
           "\nJLOOP=1\nLINEAR,1,1\nENDLOOPS\nEND\nBOUNDARY\nBOUNDARY=1,IJ=1,1," + i + ",1\nIJ=" + i +
           ",1," + i + ",2\nIJ=1,2," + i + ",2\nIJ=1,1,1,2\nEND\n" +
           (profile ? "SETS\nPROFILE=BOT\nADD,1,SIDE=1,LOOP=" + len + "\nEND\n" : "") +
           "END\n%\nOMEGA=(X+0.05)\n%\nSOLVE\nFRONTAL\nEXECUTE\nNDIMEN=2\nNRBREAKS=0\n";
}

RunResult run(const std::string& deck) {
    Project p;
    p.config = "MODE=COMMAND\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
    p.files["decks/job.com"] = deck;
    p.input = "job\n";
    return run_kavren(p);
}

int count(const Lines& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

void renders(const RunResult& r, const std::string& rel) {
    Project p;
    p.write_config = false;
    p.files["plot.ps"] = r.file(rel);
    auto gs = run_program("/bin/sh", p, 60,
                          {"-c", "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage plot.ps"});
    EXPECT_EQ(gs.status, 0) << show(gs);
    EXPECT_EQ(gs.out.find("Error:"), std::string::npos) << show(gs);
    EXPECT_EQ(gs.err.find("Error:"), std::string::npos) << show(gs);
}

// The line segments "x1 y1 m x2 y2 d" of a PostScript file.
struct Segment {
    double x1, y1, x2, y2;
};
std::vector<Segment> segments(const std::string& ps) {
    std::vector<Segment> v;
    std::istringstream in(ps);
    std::vector<std::string> t;
    for (std::string w; in >> w;) t.push_back(w);
    for (std::size_t i = 0; i + 5 < t.size(); ++i)
        if (t[i + 2] == "m" && t[i + 5] == "d") try {
                v.push_back({std::stod(t[i]), std::stod(t[i + 1]), std::stod(t[i + 3]),
                             std::stod(t[i + 4])});
            } catch (...) {
            }
    return v;
}

TEST(Profile, LineAlongARowOfElements) {
    auto r = run(row(4) + "PROFILE=BOT,LASER=R1\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string ps = r.file("print/r1");
    ASSERT_FALSE(ps.empty()) << show(r);
    EXPECT_NE(ps.find("(PROFILE=BOT"), std::string::npos) << ps;
    renders(r, "print/r1");
    // Data segments are neither along the page's axes; ticks are across one.
    std::vector<Segment> data, ticks;
    for (const Segment& s : segments(ps)) {
        if (s.x1 != s.x2 && s.y1 != s.y2)
            data.push_back(s);
        else
            ticks.push_back(s);
    }
    // 4 pieces of 16 segments, all on one straight line.
    ASSERT_EQ(data.size(), 64u) << ps;
    const Segment& a = data.front();
    const Segment& b = data.back();
    const double dx = b.x2 - a.x1, dy = b.y2 - a.y1;
    for (const Segment& s : data) {
        EXPECT_NEAR((s.x1 - a.x1) * dy - (s.y1 - a.y1) * dx, 0.0, 0.2 * std::hypot(dx, dy));
        EXPECT_NEAR((s.x2 - a.x1) * dy - (s.y2 - a.y1) * dx, 0.0, 0.2 * std::hypot(dx, dy));
    }
    EXPECT_EQ(errors(r), Lines{"   ***** RUN COMPLETED SUCCESSFULLY *****"}) << r.file("decks/job.err");
}

TEST(Profile, ZoomWindowSmoothingAndRefusals) {
    auto r = run(row(4) +
                 "PROFILE=BOT,ZOO=0.25,0.5,LASER=Z\nPROFILE=BOT,SMOOTH=0.5,LASER=S\n"
                 "PROFILE=BOT,SMOOTH=0,LASER=N\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const Lines out = r.out_lines();
    EXPECT_NE(r.out.find("\n TOTAL LENGTH =  4.\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n ZOOMING WITH:  0.25 0.5\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("SMOOTHING ..."), std::string::npos) << r.out;
    renders(r, "print/z");
    renders(r, "print/s");
    EXPECT_FALSE(r.exists("print/n"));
    EXPECT_EQ(count(errors(r), "  SMOOTHING FACTOR MUST BE POSITIVE"), 1)
        << r.file("decks/job.err");
}

TEST(Profile, NoProfileAndAProfileTooLongForTheStore) {
    auto r = run(row(2, false) + "PROFILE,LASER=A\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_FALSE(r.exists("print/a"));
    EXPECT_NE(r.file("decks/job.err").find("** NO CURRENT PROFILE **"), std::string::npos)
        << r.file("decks/job.err");
    // 31 elements of 33 points: 1023 points.
    auto l = run(row(31) + "PROFILE=BOT,POINT=5,LASER=L\nPROFILE=BOT,POINT=4,LASER=M\nQUIT\n");
    ASSERT_EQ(l.status, 0) << show(l);
    EXPECT_FALSE(l.exists("print/l"));
    EXPECT_EQ(count(errors(l), "  PROFILE TOO LONG FOR PLOT STORE"), 1)
        << l.file("decks/job.err");
    renders(l, "print/m");
}

}  // namespace
}  // namespace kavren::e2e
