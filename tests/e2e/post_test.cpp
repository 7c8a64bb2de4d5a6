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
// ELASTICITY), Dirichlet on every side, the profiles TOP (side 3 of the top
// row, left to right), TOPR (the same, right to left) and RIGHT (side 2 of
// the right column); the exact solution omega; solved unless not.
std::string square(const std::string& problem, int n, const std::string& omega,
                   bool solve = true) {
    const std::string m = std::to_string(n + 1), e = std::to_string(n);
    std::string sets;
    if (n == 2)
        sets = "SETS\nPROFILE=TOP\nADD,3,SIDE=3,LOOP=2\nPROFILE=TOPR\nADD,4,SIDE=-3\n"
               "ADD,3,SIDE=-3\nPROFILE=RIGHT\nADD,2,SIDE=2,LOOP=2,STEP=2\nEND\n";
    return "STANDARD\n" + problem + "\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1," + m + "," + m +
           "\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\nELEMENT\nILOOP=" + e + "\nJLOOP=" + e +
           "\nLINEAR,1,1\nENDLOOPS\nEND\nBOUNDARY\nBOUNDARY=1,IJ=1,1," + m + ",1\nIJ=" + m +
           ",1," + m + "," + m + "\nIJ=1," + m + "," + m + "," + m + "\nIJ=1,1,1," + m +
           "\nEND\n" + sets + "END\n%\nOMEGA=" + omega + "\n%\n" +
           (solve ? "SOLVE\nFRONTAL\n" : "");
}

RunResult run(const std::string& deck, const std::string& typed = "") {
    Project p;
    p.config = "MODE=COMMAND\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
    p.files["decks/job.com"] = deck;
    p.input = "job\n" + typed;
    return run_kavren(p);
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
    const Lines want = {"   POST",         "      SOLUTION", "         TWODIM",
                        "            LASER=P1", "         END",   "      END",
                        "   END"};
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

// The four corners of the outline drawn last with "n ... d ... c": page points.
std::vector<std::array<double, 2>> last_outline(const std::string& ps) {
    std::vector<std::array<double, 2>> p;
    const std::size_t at = ps.rfind(" n ");
    if (at == std::string::npos) return p;
    std::istringstream in(ps.substr(ps.rfind('\n', at) + 1));
    std::vector<std::string> t;
    for (std::string w; in >> w && w != "c";) t.push_back(w);
    for (std::size_t i = 0; i + 2 < t.size(); i += 3) p.push_back({std::stod(t[i]), std::stod(t[i + 1])});
    return p;
}

TEST(Post, DisplacAtThePostLevel) {
    auto r = run(square("ELASTICITY", 1, "X") +
                 "POST\nDISPLAC\nSCALE=1,MESH=OFF,LASER=D1\nLASER=D2\nMESH=ON,LASER=D3\nEND\nEND\n"
                 "QUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string d1 = r.file("print/d1");
    EXPECT_TRUE(has(d1, "(DISPLACEMENTS)")) << d1;
    EXPECT_TRUE(has(d1, "(D.O.F= 4")) << d1;
    EXPECT_EQ(without_name_and_stamp(d1), without_name_and_stamp(r.file("print/d2")));
    renders(d1);
    renders(r.file("print/d3"));
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

//// option lists ////

TEST(Post, OptionListsTyped) {
    auto e = run(square("ELASTICITY", 1, "X") + "POST\n", "FOO\nSOLUTION\nNEWSOL\nEND\nEND\nQUIT\n");
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
