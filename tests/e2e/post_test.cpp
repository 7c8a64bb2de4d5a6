// End-to-end runs of the POST module: the SOLUTION level with its component
// and titles, the plot levels, STRESSES and DISPLAC of a displacement
// problem, MESH and ERROR, the echo of each level, the option lists, and
// profiles drawn from POST. PostScript judged by Ghostscript.
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

// The unit square in n x n 4-node elements of the problem (HEAT or
// ELASTICITY), Dirichlet on every side (elements 1, 2 the left column from
// the bottom, 3, 4 the right), the profiles TOP (side 3 of the top row, left
// to right), TOPR (the same, right to left) and RIGHT (side 2 of the right
// column); the exact solution omega; solved unless not.
std::string square(const std::string& problem, int n, const std::string& omega, bool solve = true) {
    const std::string m = std::to_string(n + 1), e = std::to_string(n);
    std::string sets;
    if (n == 2)
        sets =
            "SETS\nPROFILE=TOP\nADD,2,SIDE=3,LOOP=2,STEP=2\nPROFILE=TOPR\nADD,4,SIDE=-3\n"
            "ADD,2,SIDE=-3\nPROFILE=RIGHT\nADD,3,SIDE=2,LOOP=2\nEND\n";
    return "STANDARD\n" + problem + "\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1," + m + "," + m +
           "\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\nELEMENT\nILOOP=" + e + "\nJLOOP=" + e +
           "\nLINEAR,1,1\nENDLOOPS\nEND\nBOUNDARY\nBOUNDARY=1,IJ=1,1," + m + ",1\nIJ=" + m + ",1," +
           m + "," + m + "\nIJ=1," + m + "," + m + "," + m + "\nIJ=1,1,1," + m + "\nEND\n" + sets +
           "END\n%\nOMEGA=" + omega + "\n%\n" + (solve ? "SOLVE\nFRONTAL\n" : "");
}

RunResult run(const std::string& deck, const std::string& typed = "") {
    return run_kavren(colour_job(deck, typed));
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

int count(const Lines& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

//// SOLUTION ////

TEST(Post, SolutionTwodimTitleLegendBandsAndEcho) {
    auto r = run(square("HEAT", 2, "(X+0.05)") +
                 "POST\nSOLUTION\nTWODIM\nLASER=P1\nEND\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string ps = r.file("print/p1");
    EXPECT_TRUE(has(ps, "(FIRST COMPONENT)")) << ps;
    EXPECT_TRUE(has(ps, "(MIN=0.05")) << ps;
    EXPECT_TRUE(has(ps, "(MAX=1.05")) << ps;
    renders(ps);
    testing::Pgm image;
    ASSERT_TRUE(render_page(ps, image));
    // The picture is turned, x up the page; the unit square spans 341.6 points.
    for (double x : {0.1, 0.5, 0.9})
        for (double y : {0.2, 0.8})
            EXPECT_NEAR(gray_at(image, 395.4 - 341.6 * y, 104.2 + 341.6 * x), 255.0 * (1.0 - x),
                        3.0)
                << x << " " << y;
    const Lines log = r.lines("decks/job.out");
    const Lines want = {"   POST",      "      SOLUTION", "         TWODIM", "            LASER=P1",
                        "         END", "      END",      "   END"};
    auto at = std::find(log.begin(), log.end(), "   POST");
    ASSERT_NE(at, log.end()) << r.file("decks/job.out");
    EXPECT_EQ(Lines(at, at + static_cast<long>(std::min<std::size_t>(want.size(), log.end() - at))),
              want);
}

TEST(Post, ComponentRefusalsFallBackToTheFirst) {
    auto r = run(square("HEAT", 2, "(X+0.05)") +
                 "POST\nSOLUTION\nCOMPONENT=2,TWODIM\nLASER=U1\nEND\n"
                 "COMPONENT=FOO,TWODIM\nLASER=U2\nEND\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(count(errors(r), "  **UNKNOWN COMPONENT"), 2) << r.file("decks/job.err");
    EXPECT_TRUE(has(r.file("print/u1"), "(FIRST COMPONENT)"));
    EXPECT_TRUE(has(r.file("print/u2"), "(FIRST COMPONENT)"));
    renders(r.file("print/u2"));
}

TEST(Post, WithoutASolveTheWarningAndAVariableStillDraws) {
    auto r = run(square("HEAT", 2, "(X+0.05)", false) +
                 "POST\nSOLUTION\nCOMPONENT=X,TWODIM\nLASER=V1\nEND\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(count(errors(r), "  *** WARNING: SOLUTION IS NOT CURRENT ***"), 1)
        << r.file("decks/job.err");
    const std::string ps = r.file("print/v1");
    EXPECT_TRUE(has(ps, "(X)")) << ps;
    EXPECT_TRUE(has(ps, "(MIN= 0")) << ps;
    EXPECT_TRUE(has(ps, "(MAX= 1")) << ps;
    renders(ps);
}

TEST(Post, DisplacementTitlesAndAKeptComponent) {
    auto r = run(square("ELASTICITY", 2, "(X+0.05)") +
                 "POST\nSOLUTION\nTWODIM\nLASER=EA\nEND\nCOMPONENT=2\nTWODIM\nLASER=EB\nEND\n"
                 "END\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.file("print/ea"), "(X DISPLACEMENTS)"));
    EXPECT_TRUE(has(r.file("print/eb"), "(Y DISPLACEMENTS)"));
    renders(r.file("print/eb"));
}

TEST(Post, VectorPlotTitle) {
    auto r = run(square("ELASTICITY", 2, "(X+0.05)") +
                 "POST\nSOLUTION\nTWODIM,VECTOR\nLASER=W1\nEND\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string ps = r.file("print/w1");
    EXPECT_TRUE(has(ps, "(VELOCITY VECTORS)")) << ps;
    renders(ps);
}

TEST(Post, TwoVisitsOfTheTridimLevel) {
    auto r = run(square("HEAT", 2, "(X+0.05)") +
                 "POST\nSOLUTION\nTRIDIM\nEYE=0,0,5,LASER=T1\nEND\nTRIDIM\nEYE=1,1,1,LASER=T2\n"
                 "END\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string t1 = r.file("print/t1"), t2 = r.file("print/t2");
    EXPECT_TRUE(has(t1, "(FIRST COMPONENT)"));
    renders(t1);
    renders(t2);
    EXPECT_EQ(without_name_and_stamp(t1), without_name_and_stamp(t2));
}

//// STRESSES, DISPLAC, MESH, ERROR ////

TEST(Post, StressesTitleUserFunctionAndL2) {
    auto r = run(square("ELASTICITY", 2, "(X+0.05)") +
                 "POST\nSTRESSES\nSIGMA-XY,TWODIM\nLASER=X1\nEND\nL2,TWODIM\nTWODIM\nLASER=X2\n"
                 "END\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.file("print/x1"), "(SIGMA-XY STRESSES)")) << r.file("print/x1");
    EXPECT_TRUE(has(r.out, "FAKE USERFN"));
    EXPECT_EQ(count(errors(r), "  L2-PROJECTION NOT AVAILABLE"), 1) << r.file("decks/job.err");
    renders(r.file("print/x2"));
    const Lines log = r.lines("decks/job.out");
    EXPECT_EQ(count(log, "         SIGMA-XY,TWODIM"), 1) << r.file("decks/job.out");
    EXPECT_EQ(count(log, "            LASER=X1"), 1) << r.file("decks/job.out");
}

// The map of world points onto the page that takes world (0, 0) to a and
// (0, 1) to b, with the picture turned as the plots turn it (world x up the
// page): a similarity.
struct PageMap {
    PagePoint a, b;
    PagePoint operator()(double x, double y) const {
        const double ux = b[0] - a[0], uy = b[1] - a[1];  // world (0, 1)
        return {a[0] + y * ux + x * uy, a[1] + y * uy - x * ux};
    }
};

// Page points are written to 0.1: the map from two of them is a few tenths off.
void near_point(const PagePoint& p, const PagePoint& q) {
    EXPECT_NEAR(p[0], q[0], 0.5);
    EXPECT_NEAR(p[1], q[1], 0.5);
}

// The outline of the unit square displaced by (x, x): the parallelogram
// (0,0), (2,1), (2,2), (0,1); the map of world onto the page it gives.
PageMap parallelogram(const std::vector<PagePoint>& o) {
    EXPECT_EQ(o.size(), 4u);
    if (o.size() != 4u) return {};
    const PageMap m{o[0], o[3]};
    near_point(o[1], m(2, 1));
    near_point(o[2], m(2, 2));
    return m;
}

TEST(Post, DisplacAtThePostLevel) {
    auto r = run(square("ELASTICITY", 1, "X") +
                 "POST\nDISPLAC\nSCALE=1,MESH=OFF,LASER=D1\nLASER=D2\nMESH=ON,LASER=D3\nEND\nEND\n"
                 "QUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string d1 = r.file("print/d1"), d3 = r.file("print/d3");
    EXPECT_TRUE(has(d1, "(DISPLACEMENTS)")) << d1;
    EXPECT_TRUE(has(d1, "(D.O.F= 4")) << d1;
    EXPECT_EQ(without_name_and_stamp(d1), without_name_and_stamp(r.file("print/d2")));
    renders(d1);
    renders(d3);
    // u = (x, x): the square drawn as a parallelogram (the two frame boxes first).
    const auto o1 = outlines(d1);
    ASSERT_EQ(o1.size(), 3u) << d1;
    const PageMap m = parallelogram(o1[2]);
    testing::Pgm image;
    ASSERT_TRUE(render_page(d1, image));
    auto at = [&](double x, double y, const testing::Pgm& im) {
        const PagePoint p = m(x, y);
        return darkest_near(im, p[0], p[1]);
    };
    EXPECT_LT(at(1, 0.5, image), 128);
    EXPECT_LT(at(1, 1.5, image), 128);
    EXPECT_EQ(at(1, 1, image), 255);
    EXPECT_EQ(at(0.5, 0, image), 255);
    // MESH ON adds the unit square.
    const auto o3 = outlines(d3);
    ASSERT_EQ(o3.size(), 4u) << d3;
    ASSERT_EQ(o3[3].size(), 4u);
    near_point(o3[3][0], m(0, 0));
    near_point(o3[3][1], m(1, 0));
    near_point(o3[3][2], m(1, 1));
    ASSERT_TRUE(render_page(d3, image));
    EXPECT_LT(at(0.5, 0, image), 128);
}

TEST(Post, StressesOnTheDisplacedMesh) {
    auto r = run(square("ELASTICITY", 1, "X") +
                 "POST\nSTRESSES\nDISPLAC\nSCALE=100,LASER=S1\nEND\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string s1 = r.file("print/s1");
    EXPECT_TRUE(has(s1, "MEAN STRESSES AND DISPLACEMENTS")) << s1;
    renders(s1);
    // The corners of the drawn cells, the sheared quadrilaterals (boxes of
    // the frame and the scale are upright): the turned picture has world x up
    // the page and world y to the left.
    std::vector<PagePoint> pts;
    for (const auto& o : outlines(s1))
        if (o.size() == 4u && o[1][0] != o[0][0] && o[1][1] != o[0][1])
            pts.insert(pts.end(), o.begin(), o.end());
    ASSERT_FALSE(pts.empty()) << s1;
    auto corner = [&](bool top, bool left) {
        PagePoint best = pts.front();
        for (const PagePoint& p : pts) {
            const double dy = top ? p[1] - best[1] : best[1] - p[1];
            const double dx = left ? best[0] - p[0] : p[0] - best[0];
            if (dy > 0.05 || (std::abs(dy) <= 0.05 && dx > 0)) best = p;
        }
        return best;
    };
    const PageMap m = parallelogram(
        {corner(false, false), corner(true, false), corner(true, true), corner(false, true)});
    testing::Pgm image;
    ASSERT_TRUE(render_page(s1, image));
    for (const PagePoint& w : {PagePoint{1, 0.5}, PagePoint{1, 1.5}}) {
        const PagePoint p = m(w[0], w[1]);
        EXPECT_LT(darkest_near(image, p[0], p[1]), 128) << w[0] << " " << w[1];
    }
}

TEST(Post, MeshAndError) {
    auto r = run(square("HEAT", 2, "(X+0.05)") +
                 "POST\nMESH\nPLOT\nLASER=M1\nEND\nERROR\nSOLUTION\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.file("print/m1"), "(MESH)"));
    EXPECT_TRUE(has(r.out, "IN FAKE PICKEST"));
    const Lines log = r.lines("decks/job.out");
    EXPECT_EQ(count(log, "      ERROR"), 1) << r.file("decks/job.out");
    EXPECT_EQ(count(log, "      SOLUTION"), 1) << r.file("decks/job.out");
}

//// profiles from POST ////

// The data segments of a profile plot lie on one straight line on the page;
// returns the sign of the page's x change along it as the arc length (up the
// page) grows: -1 when the value grows with the arc length, 1 when it falls.
int straight_profile(const std::string& ps, std::size_t segments_expected) {
    const std::vector<Segment> data = slanted(segments(ps));
    EXPECT_EQ(data.size(), segments_expected) << ps;
    // The arc length grows up the page along every segment.
    for (const Segment& s : data) EXPECT_GT(s.y2, s.y1) << ps;
    return on_one_line(data)[0] < 0 ? -1 : 1;
}

TEST(Post, ProfilesAlongSidesBeforeAndAfterARefinement) {
    auto r = run(square("HEAT", 2, "(X+0.05)") +
                 "POST\nSOLUTION\nCOMPONENT=X,PROFILE\nPROFILE=TOP,LASER=A1\n"
                 "PROFILE=TOPR,LASER=A2\nPROFILE=RIGHT,LASER=A3\nEND\nEND\n"
                 "MESH\nREFINE,2\nEND\nSOLUTION\nPROFILE\nPROFILE=TOP,LASER=B1\n"
                 "PROFILE=TOPR,LASER=B2\nEND\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    // Two pieces of 16 segments; after the refinement the left piece is two
    // of 8.
    EXPECT_EQ(straight_profile(r.file("print/a1"), 32), -1);
    EXPECT_EQ(straight_profile(r.file("print/a2"), 32), 1);
    EXPECT_EQ(straight_profile(r.file("print/b1"), 32), -1);
    EXPECT_EQ(straight_profile(r.file("print/b2"), 32), 1);
    EXPECT_TRUE(has(r.file("print/a1"), "(X)"));
    EXPECT_TRUE(has(r.file("print/a2"), "(PROFILE=TOPR"));
    const std::string a3 = r.file("print/a3");
    EXPECT_TRUE(has(a3, "(MIN= 1")) << a3;
    EXPECT_TRUE(has(a3, "(MAX= 1")) << a3;
    renders(a3);
    renders(r.file("print/b1"));
}

//// option lists ////

TEST(Post, OptionListsTyped) {
    auto e =
        run(square("ELASTICITY", 1, "X") + "POST\n", "FOO\nSOLUTION\nNEWSOL\nEND\nEND\nQUIT\n");
    ASSERT_EQ(e.status, 0) << show(e);
    const Lines out = e.out_lines();
    for (const char* line : {"  STRESSES  DISPLAY STRESSES", "  DISPLAC   DISPLAY DISPLACEMENTS",
                             "  ERROR     DISPLAY ERROR ESTIMATE", "  TWODIM   CONTOUR PLOT",
                             "  VECTOR   VELOCITY PLOT"})
        EXPECT_TRUE(contains_line(out, line)) << line << "\n" << e.out;
    auto h = run(square("HEAT", 1, "X") + "POST\n", "STRESSES\nEND\nQUIT\n");
    ASSERT_EQ(h.status, 0) << show(h);
    EXPECT_TRUE(contains_line(h.out_lines(), "  SOLUTION  DISPLAY SOLUTION")) << h.out;
    EXPECT_FALSE(contains_line(h.out_lines(), "  STRESSES  DISPLAY STRESSES")) << h.out;
    EXPECT_FALSE(contains_line(h.out_lines(), "  DISPLAC   DISPLAY DISPLACEMENTS")) << h.out;
}

}  // namespace
}  // namespace kavren::e2e
