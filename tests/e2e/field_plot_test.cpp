// End-to-end runs of the EXECUTE driver's contour map (TWODIM) and surface
// picture (TRIDIM) on the solved unit square, judged by the terminal, the
// error file and the PostScript files, rendered with Ghostscript.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "../support/pgm.hpp"
#include "postscript_checks.hpp"
#include "runner.hpp"

namespace kavren::e2e {
namespace {

using Lines = std::vector<std::string>;

// The unit square in 2 x 2 4-node elements, Dirichlet on every side, with
// the set LEFT (the column x < 0.5) and the empty set NONE; the solution
// x + 0.05, solved in the EXECUTE driver.
const char* const kSolved =
    "STANDARD\nHEAT\nGEOMETRY\n"
    "NODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=5,IJ=3,1,3,3\nBOUNDARY=6,IJ=1,3,3,3\n"
    "BOUNDARY=4,IJ=1,1,1,3\nEND\n"
    "SETS\nELSET=LEFT\nADD,1,LOOP=2\nELSET=NONE\nEND\nEND\n"
    "%\nOMEGA=(X+0.05)\nOMEGAX=1\nOMEGAY=0\nOMEGAXX=0\nOMEGAYY=0\nOMEGAXY=0\n%\n"
    "EXECUTE\nNDIMEN=2\nNRBREAKS=0\nSOLVE\n";

Project project(const std::string& actions) {
    return colour_job(kSolved + actions + "QUIT\n");
}

int count(const Lines& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// The lines of out starting with prefix, in order.
Lines starting(const Lines& out, const std::string& prefix) {
    Lines v;
    for (const std::string& l : out)
        if (l.rfind(prefix, 0) == 0) v.push_back(l);
    return v;
}

// The numbers after the word of a list-directed line.
std::vector<double> numbers(const std::string& line) {
    std::istringstream in(line);
    std::string word;
    in >> word;
    std::vector<double> v;
    for (double x = 0; in >> x;) v.push_back(x);
    return v;
}

//// TWODIM ////

TEST(FieldPlots, TwodimTerminalLinesLegendAndRenderedBands) {
    auto r = run_kavren(project("TWODIM,LASER=C1\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const Lines out = r.out_lines();
    const Lines marks = starting(out, " MAPCNC");
    EXPECT_EQ(marks, (Lines{" MAPCNC 1...", " MAPCNC 3...", " MAPCNC 4...", " MAPCNC 41...",
                            " MAPCNC 42...", " MAPCNC 5...", " MAPCNC 6...", " MAPCNC 7..."}));
    EXPECT_TRUE(contains_line(out, " NLEVEL= 11")) << show(r);
    const Lines fn = starting(out, " FN=");
    ASSERT_EQ(fn.size(), 1u) << show(r);
    const std::vector<double> lev = numbers(fn[0]);
    ASSERT_EQ(lev.size(), 12u) << fn[0];
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(lev[i], 0.1 * i, 1e-6) << fn[0];
    const std::string ps = r.file("print/c1");
    EXPECT_NE(ps.find("(MIN=0.05"), std::string::npos);
    EXPECT_NE(ps.find("(MAX=1.05"), std::string::npos);
    renders(ps);

    testing::Pgm image;
    ASSERT_TRUE(render_page(ps, image));
    // World (x, y) on the page: the picture is turned, x up the page; the
    // unit square spans 341.6 points each way.
    auto gray = [&](double x, double y) {
        const double px = 50.0 + 395.4 - 341.6 * y, py = 50.0 + 104.2 + 341.6 * x;
        return image.at(static_cast<int>(px), static_cast<int>(791.0 - py));
    };
    for (double x : {0.1, 0.3, 0.5, 0.7, 0.9})
        for (double y : {0.2, 0.5, 0.8})
            EXPECT_NEAR(gray(x, y), 255.0 * (1.0 - x), 3.0) << "x=" << x << " y=" << y;
}

TEST(FieldPlots, TwodimMonoDrawsVerticalContourLinesOnly) {
    auto r = run_kavren(project("TWODIM,MONO,LASER=C2\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const Lines ps = r.lines("print/c2");
    ASSERT_FALSE(ps.empty()) << show(r);
    // After the clip, only the frame's white fills.
    auto clip = std::find(ps.begin(), ps.end(), " clip 0 setlinewidth");
    ASSERT_NE(clip, ps.end());
    int segments = 0;
    for (auto it = clip; it != ps.end(); ++it) {
        const std::string& l = *it;
        if (l.size() > 2 && l.substr(l.size() - 2) == " s") {
            EXPECT_EQ(l, "1.000 s");
        }
        // A contour piece: "x1 y1 n x2 y2 d" or "... m ... d" pairs, page x
        // across (world y), page y up (world x): vertical in the world
        // means the same page y.
        std::istringstream in(l);
        std::vector<std::string> t{std::istream_iterator<std::string>(in), {}};
        for (std::size_t i = 0; i + 5 < t.size(); ++i) {
            if ((t[i + 2] != "m" && t[i + 2] != "n") || t[i + 5] != "d") continue;
            const double y1 = std::stod(t[i + 1]), y2 = std::stod(t[i + 4]);
            const double x1 = std::stod(t[i]), x2 = std::stod(t[i + 3]);
            // Not on the mesh outline (world x = 0 or 1, y = 0 or 1).
            const bool outline = (std::abs(y1 - y2) < 0.05 &&
                                  (std::abs(y1 - 104.2) < 0.2 || std::abs(y1 - 445.8) < 0.2)) ||
                                 (std::abs(x1 - x2) < 0.05 &&
                                  (std::abs(x1 - 53.8) < 0.2 || std::abs(x1 - 395.4) < 0.2));
            if (outline) continue;
            ++segments;
            EXPECT_NEAR(y1, y2, 0.15) << l;
        }
    }
    EXPECT_GT(segments, 0);
    renders(r.file("print/c2"));
}

TEST(FieldPlots, TwodimLimitsGivenKeptRoundedAndReset) {
    auto r =
        run_kavren(project("TWODIM,MIN=0,MAX=2\nTWODIM\nTWODIM,RESET\n"
                           "TWODIM,LEVEL=5,MIN=0,MAX=1\nTWODIM,LEVEL=300\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const Lines fn = starting(r.out_lines(), " FN=");
    ASSERT_EQ(fn.size(), 5u) << show(r);
    std::vector<double> lev = numbers(fn[0]);
    ASSERT_EQ(lev.size(), 14u) << fn[0];
    for (int i = 0; i < 14; ++i) EXPECT_NEAR(lev[i], 2.0 * i / 13.0, 1e-6) << fn[0];
    lev = numbers(fn[1]);
    ASSERT_EQ(lev.size(), 15u) << fn[1];
    for (int i = 0; i < 15; ++i) EXPECT_NEAR(lev[i], 0.15 * i, 1e-6) << fn[1];
    lev = numbers(fn[2]);
    ASSERT_EQ(lev.size(), 12u) << fn[2];
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(lev[i], 0.1 * i, 1e-6) << fn[2];
    EXPECT_EQ(fn[3], " FN= 0. 0.2 0.4 0.6 0.8 1.");
    EXPECT_EQ(fn[4], fn[2]);  // LEVEL out of range: the plain levels
}

TEST(FieldPlots, TwodimMinAloneTakesTheMaximumFromTheData) {
    auto r = run_kavren(project("TWODIM,MIN=0\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const Lines fn = starting(r.out_lines(), " FN=");
    ASSERT_EQ(fn.size(), 1u) << show(r);
    const std::vector<double> lev = numbers(fn[0]);
    ASSERT_EQ(lev.size(), 14u) << fn[0];
    for (int i = 0; i < 14; ++i) EXPECT_NEAR(lev[i], 1.05 * i / 13.0, 1e-6) << fn[0];
}

TEST(FieldPlots, TwodimOfASetAndOfAnEmptySet) {
    auto r = run_kavren(project("TWODIM,ELSET=LEFT,LASER=S1\nTWODIM,ELSET=NONE,LASER=S2\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string ps = r.file("print/s1");
    EXPECT_NE(ps.find("(SET=LEFT"), std::string::npos) << show(r);
    EXPECT_NE(ps.find("(MAX=0.55"), std::string::npos) << ps;
    EXPECT_TRUE(contains_line(r.lines("decks/job.err"), " NOTHING TO DRAW")) << show(r);
    EXPECT_FALSE(r.exists("print/s2"));
}

TEST(FieldPlots, TwodimWithoutAUsableMeshWritesNoFile) {
    Project p;
    p.config = "MODE=COMMAND\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
    p.files["decks/job.com"] =
        "STANDARD\nHEAT\nGEOMETRY\n"
        "NODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
        "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\nEND\n"
        "EXECUTE\nNDIMEN=2\nNRBREAKS=0\nTWODIM,LASER=N1\nTRIDIM,LASER=N2\nQUIT\n";
    p.input = "job\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(count(r.lines("decks/job.err"),
                    " *** NO USABLE MESH: THE LAST GEOMETRY WAS NOT HANDED OVER ***"),
              2)
        << show(r);
    EXPECT_FALSE(r.exists("print/n1"));
    EXPECT_FALSE(r.exists("print/n2"));
}

//// TRIDIM ////

int fills(const Lines& ps, const std::string& gray) {
    return count(ps, gray + " s");
}

TEST(FieldPlots, TridimRendersAndAViewFromAboveIsAdjusted) {
    auto r =
        run_kavren(project("TRIDIM,LASER=T1\nTRIDIM,EYE=0,0,5,LASER=T2\n"
                           "TRIDIM,EYE=1,1,1,LASER=T3\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string t1 = r.file("print/t1");
    renders(t1);
    // Four elements at DIVISION 1: 16 facets, each filled white, and the frame.
    EXPECT_EQ(fills(r.lines("print/t1"), "1.000"), 17) << t1;
    EXPECT_NE(t1.find("(MAX=1.05"), std::string::npos);
    const std::string t2 = r.file("print/t2"), t3 = r.file("print/t3");
    ASSERT_FALSE(t2.empty());
    EXPECT_EQ(without_name_and_stamp(t2), without_name_and_stamp(t3));
}

TEST(FieldPlots, TridimOptionsOfTheDriver) {
    auto r =
        run_kavren(project("TRIDIM,RD\nTRIDIM,ZOO=0,0.6,0,1.1,LASER=Z1\n"
                           "TRIDIM,ART\nELSET=MESH,LASER=T3\nTRIDIM,LASER=T4\nELSET=MESH\n"
                           "TRIDIM,NOART,LASER=T5\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const Lines out = r.out_lines();
    EXPECT_TRUE(contains_line(out, " 3D picture !!!")) << show(r);
    EXPECT_EQ(starting(out, " ZOOMING WITH: ").size(), 1u) << show(r);
    // The window keeps the column x < 0.5: values up to 0.55.
    EXPECT_NE(r.file("print/z1").find("(MAX=0.55"), std::string::npos) << show(r);
    EXPECT_EQ(fills(r.lines("print/z1"), "1.000"), 9);
    renders(r.file("print/t3"));
    EXPECT_FALSE(r.exists("print/t4"));  // the answer record was the current one
    EXPECT_EQ(count(out, " SET ELSET=?"), 2) << show(r);
    EXPECT_TRUE(r.exists("print/t5"));
}

TEST(FieldPlots, TridimOfAZeroSolutionWritesNoFile) {
    Project p = project("");
    std::string deck = p.files["decks/job.com"];
    deck.replace(deck.find("SOLVE\n"), 6, "TRIDIM,LASER=T0\nSOLVE\n");
    p.files["decks/job.com"] = deck;
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_FALSE(r.exists("print/t0"));
}

TEST(FieldPlots, TridimOfAThousandElementsAndTheFacetLimit) {
    auto r = run_kavren(
        project("MESH\nREFINE,GLOBAL\nREFINE,GLOBAL\nREFINE,GLOBAL\nREFINE,GLOBAL\nEND\nSOLVE\n"
                "TRIDIM,LASER=B1\nTRIDIM,DIVISION=2,LASER=B2\nTWODIM,LASER=B3\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    // 1024 elements: 4096 facets, one fill each, and the frame's.
    EXPECT_EQ(fills(r.lines("print/b1"), "1.000"), 4097);
    const Lines out = r.out_lines();
    const auto at = std::find(out.begin(), out.end(), " NO ROOM FOR STORAGE IN MAP3D");
    ASSERT_NE(at, out.end()) << show(r);
    ASSERT_NE(at + 1, out.end());
    EXPECT_EQ(*(at + 1), " TRY WITH SMALLER DIVISION=..");
    EXPECT_FALSE(r.exists("print/b2"));
    EXPECT_TRUE(r.exists("print/b3"));  // the run goes on
}

}  // namespace
}  // namespace kavren::e2e
