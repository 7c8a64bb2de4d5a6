// End-to-end runs of the profile plots from the EXECUTE driver: the curve
// along a profile of element sides, its pieces and ticks, the window along
// the length, smoothing, and the refusals. PostScript judged by Ghostscript.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "postscript_checks.hpp"
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
           "\nJLOOP=1\nLINEAR,1,1\nENDLOOPS\nEND\nBOUNDARY\nBOUNDARY=1,IJ=1,1," + i +
           ",1\nIJ=" + i + ",1," + i + ",2\nIJ=1,2," + i + ",2\nIJ=1,1,1,2\nEND\n" +
           (profile ? "SETS\nPROFILE=BOT\nADD,1,SIDE=1,LOOP=" + len + "\nEND\n" : "") +
           "END\n%\nOMEGA=(X+0.05)\n%\nSOLVE\nFRONTAL\nEXECUTE\nNDIMEN=2\nNRBREAKS=0\n";
}

RunResult run(const std::string& deck) {
    return run_kavren(colour_job(deck));
}

bool has_text(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

int count(const Lines& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

TEST(Profile, LineAlongARowOfElements) {
    auto r = run(row(4) + "PROFILE=BOT,LASER=R1\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string ps = r.file("print/r1");
    ASSERT_FALSE(ps.empty()) << show(r);
    EXPECT_NE(ps.find("(PROFILE=BOT"), std::string::npos) << ps;
    renders(ps);
    // Data segments are neither along the page's axes; ticks are across one.
    const std::vector<Segment> data = slanted(segments(ps));
    // 4 pieces of 16 segments, all on one straight line, the arc length up
    // the page.
    ASSERT_EQ(data.size(), 64u) << ps;
    on_one_line(data);
    for (const Segment& s : data) EXPECT_GT(s.y2, s.y1);
    // A tick from the arc-length axis (the longest line along the page) at
    // the end of every piece.
    double axis = 0.0, longest = 0.0;
    for (const Segment& t : segments(ps))
        if (t.x1 == t.x2 && std::abs(t.y2 - t.y1) > longest) {
            longest = std::abs(t.y2 - t.y1);
            axis = t.x1;
        }
    int ticks = 0;
    for (const Segment& t : segments(ps)) {
        if (t.y1 != t.y2 || t.x1 != axis || t.x2 >= t.x1) continue;
        for (const Segment& s : data)
            if (s.y2 == t.y1) {
                ++ticks;
                break;
            }
    }
    EXPECT_EQ(ticks, 4) << ps;
    EXPECT_EQ(errors(r), Lines{"   ***** RUN COMPLETED SUCCESSFULLY *****"})
        << r.file("decks/job.err");
}

TEST(Profile, FlippedAxesKeepTheLine) {
    auto r = run(row(4) + "PROFILE=BOT,FLIP-XY,LASER=F\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string ps = r.file("print/f");
    renders(ps);
    const std::vector<Segment> data = slanted(segments(ps));
    ASSERT_EQ(data.size(), 64u) << ps;
    on_one_line(data);
    // The arc length now runs across the page (the picture's y, turned):
    // every segment one way across.
    for (const Segment& s : data) EXPECT_LT(s.x2, s.x1);
    EXPECT_TRUE(has_text(ps, "(PROFILE=BOT"));
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
    renders(r.file("print/z"));
    renders(r.file("print/s"));
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
    EXPECT_EQ(count(errors(l), "  PROFILE TOO LONG FOR PLOT STORE"), 1) << l.file("decks/job.err");
    renders(l.file("print/m"));
}

}  // namespace
}  // namespace kavren::e2e
