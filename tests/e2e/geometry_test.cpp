// End-to-end runs of the mesh generator: the GEOMETRY commands stand in the
// project deck, reached through STANDARD (or CUSTOM), a problem and GEOMETRY as
// a user types them, and the grid file written at the GEOMETRY END shows the
// database the generator handed over.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "grid_file.hpp"
#include "runner.hpp"

namespace kavren::e2e {
namespace {

//// projects ////

const char* const kSquare =
    "NODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=2,IJ=3,1,3,3\nBOUNDARY=3,IJ=1,3,3,3\n"
    "BOUNDARY=4,IJ=1,1,1,3\nEND\n";

Project heat_project(const std::string& geometry_body, const std::string& after = "") {
    Project p;
    p.files["decks/job.com"] =
        "STANDARD\nHEAT\nGEOMETRY\n" + geometry_body + after + "END\nEND\nEND\n";
    p.input = "job\n";
    return p;
}

TEST(Geometry, UnitSquareOfFourLinearElements) {
    auto r = run_kavren(heat_project(kSquare + std::string("END\n")));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.file("decks/job.err"), "") << show(r);
    GridFile g = read_grid(r.lines("output.grid"));
    ASSERT_TRUE(g.ok) << g.problem << "\n" << r.file("output.grid");
    EXPECT_EQ(g.nreqns, 1);
    EXPECT_EQ(g.coupling, (std::vector<std::vector<int>>{{1}}));
    EXPECT_EQ(g.isymet, 2);
    EXPECT_EQ(g.nrnods, 9);
    EXPECT_EQ(g.nrdof, 9);
    ASSERT_EQ(g.nodes.size(), 9u);
    for (int n = 1; n <= 9; ++n) {
        // Grid point (i, j) carries node (j-1)*3+i at ((i-1)/2, (j-1)/2).
        EXPECT_DOUBLE_EQ(g.nodes[n].first, ((n - 1) % 3) / 2.0) << n;
        EXPECT_DOUBLE_EQ(g.nodes[n].second, ((n - 1) / 3) / 2.0) << n;
    }
    ASSERT_EQ(g.nrelem, 4);
    const std::array<int, 9> nicks[4] = {{101, 201, 501, 401, 0, 0, 0, 0, 0},
                                         {401, 501, 801, 701, 0, 0, 0, 0, 0},
                                         {201, 301, 601, 501, 0, 0, 0, 0, 0},
                                         {501, 601, 901, 801, 0, 0, 0, 0, 0}};
    for (std::size_t e = 0; e < 4; ++e) {
        EXPECT_EQ(g.nicks[e], nicks[e]) << e + 1;
        EXPECT_EQ(g.slots[e], std::make_pair(static_cast<int>(e) + 1, static_cast<int>(e) + 1));
    }
    const std::vector<std::array<int, 4>> neig = {
        {-1, 3, 2, -4}, {1, 4, -3, -4}, {-1, -2, 4, 1}, {3, -2, -3, 2}};
    EXPECT_EQ(g.neig, neig);
    EXPECT_EQ(g.first_sons, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(g.nrfam, 0);
    EXPECT_EQ(g.blocks, (std::vector<std::pair<int, int>>{{1, 4}}));
    EXPECT_EQ(g.npdof, 10);
    EXPECT_EQ(g.npnod, 10);
    EXPECT_EQ(g.npfam, 1);
    // The command log holds the boundary lines in their journaled form.
    auto log = r.lines("decks/job.out");
    EXPECT_TRUE(contains_echo(log, "BOUNDARY,1")) << r.file("decks/job.out");
    EXPECT_TRUE(contains_echo(log, "IJ,1,1,3,1")) << r.file("decks/job.out");
    EXPECT_FALSE(contains_echo(log, "BOUNDARY=1,IJ=1,1,3,1")) << r.file("decks/job.out");
}

TEST(Geometry, LShapedExampleOfTwoRegions) {
    Project p = load_project(source_path("examples/lshape"));
    p.omit_dirs.clear();
    p.input = p.files["input.txt"];
    p.files.erase("input.txt");
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    // The demo ends with QUIT in its adaptive loop: only the closing lines.
    EXPECT_EQ(r.file("decks/lshape.err"), "\n\n   ***** RUN COMPLETED SUCCESSFULLY *****\n")
        << show(r);
    // The two regions share the two nodes of their common side.
    int matches = 0;
    for (const auto& l : r.out_lines()) matches += l.rfind(" MATCHING NODE NUMBERS :", 0) == 0;
    EXPECT_EQ(matches, 2) << show(r);
    GridFile g = read_grid(r.lines("lshape.grid"));
    ASSERT_TRUE(g.ok) << g.problem << "\n" << r.file("lshape.grid");
    EXPECT_EQ(g.nrnods, 8);
    EXPECT_EQ(g.nrdof, 8);
    ASSERT_EQ(g.nodes.size(), 8u);
    std::set<std::pair<double, double>> points;
    for (const auto& [n, xy] : g.nodes) {
        points.insert(xy);
        const bool in_l = xy.first >= 0 && xy.second >= 0 &&
                          (xy.second <= 1 ? xy.first <= 2 : xy.first <= 1 && xy.second <= 2);
        EXPECT_TRUE(in_l) << n << " at " << xy.first << "," << xy.second;
        EXPECT_DOUBLE_EQ(std::fmod(xy.first, 1.0), 0.0);
        EXPECT_DOUBLE_EQ(std::fmod(xy.second, 1.0), 0.0);
    }
    EXPECT_EQ(points.size(), 8u);  // no two nodes at one point
    ASSERT_EQ(g.nrelem, 3);
    double area = 0.0;
    for (std::size_t e = 0; e < 3; ++e) {
        double a = signed_area(vertices(g, e));
        EXPECT_DOUBLE_EQ(a, 1.0) << "element " << e + 1;  // counter-clockwise, a unit square
        area += a;
    }
    EXPECT_DOUBLE_EQ(area, 3.0);
    ASSERT_EQ(g.nrelin, 3);
    expect_consistent_sides(g);
    int boundary_sides = 0;
    std::set<int> numbers_used;
    for (const auto& s : g.neig)
        for (int n : s)
            if (n < 0) {
                ++boundary_sides;
                numbers_used.insert(-n);
            }
    EXPECT_EQ(boundary_sides, 8);  // the perimeter of 8 in unit sides
    EXPECT_EQ(numbers_used, (std::set<int>{1}));  // every side Dirichlet
    EXPECT_EQ(g.blocks, (std::vector<std::pair<int, int>>{{1, 2}, {3, 3}}));
    EXPECT_EQ(std::make_tuple(g.npdof, g.npnod, g.npfam), std::make_tuple(9, 9, 1));

    // The adaptive loop: every ERREST's H1 error below the one before, the
    // last below 1e-3 of the H1 seminorm of u (1.3551).
    std::vector<double> h1;
    for (const auto& l : r.out_lines())
        if (l.rfind(" H1:  ", 0) == 0) h1.push_back(std::stod(l.substr(6, 12)));
    ASSERT_EQ(h1.size(), 14u) << show(r);
    for (std::size_t i = 1; i < h1.size(); ++i) EXPECT_LT(h1[i], h1[i - 1]) << "step " << i + 1;
    EXPECT_LT(h1.back() / 1.3550744119328512, 1e-3);
}

TEST(Geometry, SquareOfQuadraticElements) {
    Project p;
    p.files["decks/job.com"] =
        "STANDARD\nELASTICITY\nGEOMETRY\n"
        "NODES\nGRID\nPOINT=4,IJ=1,1,5,5\nXY,0,0,XY,2,0,XY,2,2,XY,0,2\nEND\nEND\n"
        "ELEMENT\nILOOP=2\nJLOOP=2\nQUADR,1,1\nENDLOOPS\nEND\n"
        "BOUNDARY\nBOUNDARY=OUTER\nIJ=1,1,5,1\nIJ=5,1,5,5\nIJ=1,5,5,5\nIJ=1,1,1,5\nEND\n"
        "END,GRID=QUAD\nEND\nEND\nEND\n";
    p.input = "job\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    GridFile g = read_grid(r.lines("quad.grid"));
    ASSERT_TRUE(g.ok) << g.problem << "\n" << r.file("quad.grid");
    EXPECT_EQ(g.nreqns, 2);
    EXPECT_EQ(g.coupling, (std::vector<std::vector<int>>{{1, 1}, {1, 1}}));
    EXPECT_EQ(g.isymet, 1);
    EXPECT_EQ(g.nrnods, 25);
    EXPECT_EQ(g.nrdof, 25);
    EXPECT_EQ(g.nodes.size(), 25u);  // each vertex and mid-side node listed once
    ASSERT_EQ(g.nrelem, 4);
    for (std::size_t e = 0; e < 4; ++e) {
        for (int k = 0; k < 9; ++k)
            EXPECT_EQ(g.nicks[e][static_cast<std::size_t>(k)] % 100, k < 4 ? 1 : 2);
        // The mid-side and interior nodes lie halfway.
        auto at = [&](int k) { return g.nodes.at(g.nicks[e][static_cast<std::size_t>(k)] / 100); };
        EXPECT_DOUBLE_EQ(at(4).first, (at(0).first + at(1).first) / 2);
        EXPECT_DOUBLE_EQ(at(8).second, (at(0).second + at(3).second) / 2);
        EXPECT_DOUBLE_EQ(signed_area(vertices(g, e)), 1.0);
    }
    expect_consistent_sides(g);
    for (const auto& s : g.neig)
        for (int n : s) EXPECT_TRUE(n > 0 || n == -1);
    EXPECT_EQ(std::make_tuple(g.npdof, g.npnod, g.npfam), std::make_tuple(26, 26, 1));
}

TEST(Geometry, HandWrittenInitialMeshFile) {
    Project p = heat_project("FILE=TWOSQ\nEND\n");
    p.files["data/twosq"] =
        "6 2 0 0.0\n"
        "1 0. 0.\n2 1. 0.\n3 2. 0.\n4 0. 1.\n5 1. 1.\n6 2. 1.\n"
        "1 1 2 5 4\n2 2 3 6 5\n"
        "1 -1 2 -3 -4 0 0 0 0\n2 -1 -2 -3 1 0 0 0 0\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.file("decks/job.err"), "") << show(r);
    GridFile g = read_grid(r.lines("output.grid"));
    ASSERT_TRUE(g.ok) << g.problem << "\n" << r.file("output.grid");
    EXPECT_EQ(g.nrnods, 6);
    EXPECT_EQ(g.nrelem, 2);
    EXPECT_EQ(g.nicks[0], (std::array<int, 9>{101, 201, 501, 401, 0, 0, 0, 0, 0}));
    EXPECT_EQ(g.nicks[1], (std::array<int, 9>{201, 301, 601, 501, 0, 0, 0, 0, 0}));
    EXPECT_EQ(g.neig, (std::vector<std::array<int, 4>>{{-1, 2, -3, -4}, {-1, -2, -3, 1}}));
    EXPECT_EQ(g.nodes[6], std::make_pair(2.0, 1.0));
    EXPECT_TRUE(g.blocks.empty());
    EXPECT_EQ(std::make_tuple(g.npdof, g.npnod, g.npfam), std::make_tuple(7, 7, 1));
}

TEST(Geometry, RefusedRecordsShowTheirMessagesAndTheRunGoesOn) {
    auto r = run_kavren(heat_project(
        "FILE=NOSUCH\n"
        "NODES\nGRID\n"
        "POINT=4,IJ=1,1,1,3\n"
        "POINT=8,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nCURV,0.5,0,XY,1,0.5,XY,0.5,1,XY,0,0.5\n"
        "XY,0.5,0,XY,1,0.5,XY,0.5,1,XY,0,0.5\nEND\n"
        "POINT\nIJ=4,1,XY=-1,0\nIJ=4,2,XY=-1,1\nEND\nEND\n"
        "ELEMENT\nLINEAR,1,1,STEP=0,1\nQUADR,2,1\nILOOP=3\nLINEAR,1,1\nIENDLOOP\n"
        "ILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
        "BOUNDARY\nBOUNDARY=51,IJ=1,1,3,1\nBOUNDARY=1,IJ=1,1,3,1\nIJ=3,1,3,3\nIJ=1,3,3,3\n"
        "IJ=1,1,1,3\nEND\n"
        "END\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto err = r.lines("decks/job.err");
    for (const char* message : {
             "  GRID FILE NAME UNREADABLE",
             " *** IMIN=IMAX OR JMIN=JMAX: A GRID NEEDS TWO LINES EACH WAY ***",
             " *** CURV CENTRE LIES AT THE MIDDLE OF ITS SIDE ***",
             " *** ISTEP AND JSTEP MUST NOT BE ZERO ***",
             "  I,J NODE NUMBER NOT SPECIFIED :   4   3",
             " ** ELEMENTS DEFINED WITH CLOCKWISE NODE NUMBERING",
             " ** DO HISTORY AND REDEFINE REGION#  1 ALIAS: ONE",
             " *** BOUNDARY NUMBER OUT OF RANGE 1..50 ***",
         })
        EXPECT_TRUE(contains_line(err, message)) << message << "\n" << show(r);
    GridFile g = read_grid(r.lines("output.grid"));
    ASSERT_TRUE(g.ok) << g.problem << "\n" << r.file("output.grid");
    EXPECT_EQ(g.nrelem, 4);  // the clockwise block was withdrawn whole
    EXPECT_EQ(g.blocks, (std::vector<std::pair<int, int>>{{1, 4}}));
}

TEST(Geometry, MeshWithoutBoundariesIsNotHandedOverAndSolveRefuses) {
    const std::string nodes_and_elements =
        "NODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
        "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n";
    Project p;
    p.files["decks/job.com"] =
        "STANDARD\nHEAT\nGEOMETRY\n" + nodes_and_elements +
        "END\n"
        "SOLVE\nFRONTAL\n"
        "GEOMETRY\nBOUNDARY\nBOUNDARY=1\nIJ=1,1,3,1\nIJ=3,1,3,3\nIJ=1,3,3,3\nIJ=1,1,1,3\nEND\n"
        "END,GRID=SECOND\nEND\nEND\nEND\n";
    p.input = "job\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    auto err = r.lines("decks/job.err");
    EXPECT_TRUE(contains_line(
        err, " *** MESH NOT HANDED OVER:  16 SIDES WITHOUT NEIGHBOUR OR BOUNDARY NUMBER"))
        << show(r);
    EXPECT_TRUE(
        contains_line(err, " *** NO USABLE MESH: THE LAST GEOMETRY WAS NOT HANDED OVER ***"))
        << show(r);
    // The first grid file shows the empty database; the second the mesh.
    GridFile first = read_grid(r.lines("output.grid"));
    ASSERT_TRUE(first.ok) << first.problem;
    EXPECT_EQ(first.nrelem, 0);
    GridFile second = read_grid(r.lines("second.grid"));
    ASSERT_TRUE(second.ok) << second.problem;
    EXPECT_EQ(second.nrelem, 4);
    expect_consistent_sides(second);
}

TEST(Geometry, MeshCommandHandsOverOnceAndReachesTheMeshLevel) {
    auto r = run_kavren(heat_project(kSquare + std::string("MESH\nREFINE,1\nEND\nEND\n")));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.file("decks/job.err"), "") << show(r);
    // The MESH level refined element 1 and journaled it.
    EXPECT_TRUE(contains_echo(r.lines("decks/job.out"), "REFINE,1")) << show(r);
    const auto grid = r.lines("output.grid");
    const auto at = std::find(grid.begin(), grid.end(), "  NUMBER OF ELEMENTS");
    ASSERT_TRUE(at != grid.end() && at + 1 != grid.end()) << r.file("output.grid");
    EXPECT_EQ(trimmed(*(at + 1)), " 7");
}

TEST(Geometry, BoundaryKindsOfACustomProblemByName) {
    Project p;
    p.config =
        "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\n"
        "LAPLACE Laplace equation on the square         \n"
        "EQUATION=1,SYMMETRIC=1,COUPLE=1\nEND\n";
    p.files["decks/job.com"] =
        "CUSTOM\nLAPLACE\nGEOMETRY\n"
        "NODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
        "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
        "BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=2,IJ=3,1,3,3\nBOUNDARY=3,IJ=1,3,3,3\n"
        "BOUNDARY=OUTER,IJ=1,1,1,3\nEND\nEND\n"
        "BCONDS\nKIND=2,BOUNDARY=1,3,OUTER\nEND\nKIND=1,BOUNDARY=2\nEND\n"
        "END\nEND\nEND\n";
    p.input = "job\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    auto err = r.lines("decks/job.err");
    // OUTER is boundary 4: only boundary 2 lacked a kind at the first END.
    EXPECT_TRUE(contains_line(err, " WARNING: BOUNDARY#   2 NOT DEFINED")) << show(r);
    int warnings = 0;
    for (const auto& l : err) warnings += l.rfind(" WARNING: BOUNDARY#", 0) == 0;
    EXPECT_EQ(warnings, 1) << show(r);
    EXPECT_TRUE(contains_echo(r.lines("decks/job.out"), "KIND=2,BOUNDARY=1,3,OUTER"))
        << r.file("decks/job.out");
}

}  // namespace
}  // namespace kavren::e2e
