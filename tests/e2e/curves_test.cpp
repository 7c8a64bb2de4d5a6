// End-to-end runs of the generator's curves and node tools: boundaries on
// ellipse arcs and splines whose refinement puts new nodes on the curve, a
// mesh read from a file that refines straight, REFLECT and TIE joining
// regions, the refusals, and the counts shown at the keyboard.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "grid_file.hpp"
#include "runner.hpp"

namespace kavren::e2e {
namespace {

constexpr double PI = 3.14159265358979323846;

// The quarter ring 1 <= r <= 2, x, y >= 0, whose outer arc (J = 3) `outer`
// makes; 4 x 2 LINEAR elements, boundaries 1 inner arc, 2 x axis, 3 outer
// arc, 4 y axis.
std::string ring(const std::string& outer) {
    return "NODES\nELLIPSE\nIJ=1,1,5,1,ANGLE=90,0,RADII=1,1\nEND\n" + outer +
           "CONNECT\nIJ=1,1,1,3,NLINE=5\nEND\nEND\n"
           "ELEMENT\nJLOOP=2\nILOOP=4\nLINEAR,1,1\nENDLOOPS\nEND\n"
           "BOUNDARY\nBOUNDARY=1,IJ=1,1,5,1\nBOUNDARY=2,IJ=5,1,5,3\nBOUNDARY=3,IJ=1,3,5,3\n"
           "BOUNDARY=4,IJ=1,1,1,3\nEND\n";
}

const char* const kEllipseOuter = "ELLIPSE\nIJ=1,3,5,3,ANGLE=90,0,RADII=2,2\nEND\n";
const char* const kArcOuter = "ARC\nPOINT=5,IJ=1,3,5,3\nRT,2,90,2,67.5,2,45,2,22.5,2,0\nEND\n";

// The geometry, then MESH with REFINE,5 and the grid file RING; QUIT.
Project refined_ring(const std::string& outer) {
    Project p;
    p.files["decks/job.com"] =
        "STANDARD\nHEAT\nGEOMETRY\n" + ring(outer) + "MESH\nREFINE,5\nEND\nEND,GRID=RING\nQUIT\n";
    p.input = "job\n";
    return p;
}

double radius(const std::pair<double, double>& p) {
    return std::hypot(p.first, p.second);
}

// The node of the grid file within tol of (x, y), 0 when none.
int node_near(const GridFile& g, double x, double y, double tol) {
    for (const auto& [n, p] : g.nodes)
        if (std::fabs(p.first - x) <= tol && std::fabs(p.second - y) <= tol) return n;
    return 0;
}

int count_at_radius(const GridFile& g, double r, double tol) {
    int n = 0;
    for (const auto& [node, p] : g.nodes) n += std::fabs(radius(p) - r) <= tol;
    return n;
}

TEST(Curves, QuarterRingRefinesOntoItsArcs) {
    auto r = run_kavren(refined_ring(kEllipseOuter));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.last_line("decks/job.err"), "   ***** RUN COMPLETED SUCCESSFULLY *****") << show(r);
    GridFile g = read_grid(r.lines("ring.grid"));
    ASSERT_TRUE(g.ok) << g.problem << "\n" << r.file("ring.grid");
    expect_consistent_sides(g);
    // Five nodes on each arc, and the refinement's new one on the outer arc.
    EXPECT_EQ(count_at_radius(g, 1.0, 1e-6), 5) << r.file("ring.grid");
    EXPECT_EQ(count_at_radius(g, 2.0, 1e-6), 6) << r.file("ring.grid");
    const int arc = node_near(g, 0.39018, 1.96157, 1e-5);
    ASSERT_NE(arc, 0) << r.file("ring.grid");
    EXPECT_NEAR(radius(g.nodes[arc]), 2.0, 1e-6);
    EXPECT_EQ(node_near(g, 0.38268, 1.92388, 1e-4), 0) << "a node on the chord";
    // The straight y axis keeps its new vertex on the line.
    EXPECT_NE(node_near(g, 0.0, 1.75, 1e-6), 0) << r.file("ring.grid");
}

TEST(Curves, SplineBoundaryRefinesOntoTheSplineFromARecordOrAFile) {
    auto r = run_kavren(refined_ring(kArcOuter));
    ASSERT_EQ(r.status, 0) << show(r);
    GridFile g = read_grid(r.lines("ring.grid"));
    ASSERT_TRUE(g.ok) << g.problem << "\n" << r.file("ring.grid");
    for (int k = 0; k <= 4; ++k) {
        const double t = (90.0 - 22.5 * k) * PI / 180.0;
        EXPECT_NE(node_near(g, 2 * std::cos(t), 2 * std::sin(t), 1e-6), 0) << k;
    }
    // The spline point at the mean parameter: neither the chord nor the circle.
    const int mid = node_near(g, 0.39725, 1.95904, 1e-5);
    ASSERT_NE(mid, 0) << r.file("ring.grid");
    EXPECT_NEAR(radius(g.nodes[mid]), 1.99891, 1e-5);

    // The same points from a point file.
    std::string points = "5\n";
    for (int k = 0; k <= 4; ++k) {
        const double t = (90.0 - 22.5 * k) * PI / 180.0;
        char line[80];
        std::snprintf(line, sizeof line, "%.15f, %.15f\n", 2 * std::cos(t), 2 * std::sin(t));
        points += line;
    }
    Project p = refined_ring("ARC\nFILE=OUTER,IJ=1,3,5,3\nEND\n");
    p.files["data/outer"] = points;
    auto f = run_kavren(p);
    ASSERT_EQ(f.status, 0) << show(f);
    EXPECT_EQ(f.last_line("decks/job.err"), "   ***** RUN COMPLETED SUCCESSFULLY *****") << show(f);
    GridFile h = read_grid(f.lines("ring.grid"));
    ASSERT_TRUE(h.ok) << h.problem << "\n" << f.file("ring.grid");
    ASSERT_EQ(h.nodes.size(), g.nodes.size());
    for (const auto& [n, xy] : g.nodes) {
        EXPECT_NEAR(h.nodes[n].first, xy.first, 1e-6) << n;
        EXPECT_NEAR(h.nodes[n].second, xy.second, 1e-6) << n;
    }
}

TEST(Curves, AMeshReadFromAFileLaterInTheRunRefinesStraight) {
    Project p;
    // One element whose side 2 (boundary 3) runs from (2, 0) to (0, 2).
    p.files["data/flat"] =
        "4 1 0 0.0\n1 1.0 0.0\n2 2.0 0.0\n3 0.0 2.0\n4 0.0 1.0\n1 1 2 3 4\n"
        "1 -1 -3 -4 -2 0 0 0 0\n";
    p.files["decks/job.com"] = "STANDARD\nHEAT\nGEOMETRY\n" + ring(kEllipseOuter) +
                               "END,GRID=RING\nEND\nSTANDARD\nHEAT\nGEOMETRY\nFILE=FLAT\n"
                               "MESH\nREFINE,1\nEND\nEND,GRID=FLAT\nQUIT\n";
    p.input = "job\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.last_line("decks/job.err"), "   ***** RUN COMPLETED SUCCESSFULLY *****") << show(r);
    GridFile g = read_grid(r.lines("flat.grid"));
    ASSERT_TRUE(g.ok) << g.problem << "\n" << r.file("flat.grid");
    EXPECT_NE(node_near(g, 1.0, 1.0, 1e-12), 0) << r.file("flat.grid");
    EXPECT_EQ(node_near(g, std::sqrt(2.0), std::sqrt(2.0), 1e-3), 0) << r.file("flat.grid");
}

// Count of lines of standard output that start with text.
int lines_starting(const RunResult& r, const std::string& text) {
    int n = 0;
    for (const auto& l : r.out_lines()) n += l.rfind(text, 0) == 0;
    return n;
}

TEST(Curves, ReflectMakesTheMirrorRegionThatTheMergeJoins) {
    Project p;
    p.files["decks/job.com"] =
        "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\n"
        "END\nREFLECT\nIJ=1,1,3,3,REGION=TWO,FROM=ONE,LINE=1,0,90,3,1,1,3\nEND\nEND\n"
        "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1,REGION=ONE\nENDLOOPS\n"
        "ILOOP=2\nJLOOP=2\nLINEAR,1,1,REGION=TWO\nENDLOOPS\nEND\n"
        "BOUNDARY\nREGION=ONE\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=3,IJ=1,3,3,3\n"
        "BOUNDARY=4,IJ=1,1,1,3\nREGION=TWO\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=3,IJ=1,3,3,3\nBOUNDARY="
        "2,IJ=3,1,3,3\nEND\n"
        "END,GRID=TWO\nQUIT\n";
    p.input = "job\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(lines_starting(r, " MATCHING NODE NUMBERS :"), 3) << show(r);
    GridFile g = read_grid(r.lines("two.grid"));
    ASSERT_TRUE(g.ok) << g.problem << "\n" << r.file("two.grid");
    ASSERT_EQ(g.nodes.size(), 15u);
    for (int i = 0; i <= 4; ++i)
        for (int j = 0; j <= 2; ++j)
            EXPECT_NE(node_near(g, 0.5 * i, 0.5 * j, 1e-6), 0) << i << "," << j;
    expect_consistent_sides(g);
    // Elements 3 and 4 of region ONE meet elements 5 and 6 of region TWO at x = 1.
    EXPECT_EQ(g.neig[2][1], 5);
    EXPECT_EQ(g.neig[3][1], 6);

    // About a side of the block in one region: the same positions, no merge.
    p.files["decks/job.com"] =
        "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\n"
        "END\nREFLECT\nIJ=1,1,3,3,SIDE=2\nEND\nEND\n"
        "ELEMENT\nILOOP=4\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
        "BOUNDARY\nBOUNDARY=1,IJ=1,1,5,1\nBOUNDARY=2,IJ=5,1,5,3\nBOUNDARY=3,IJ=1,3,5,3\n"
        "BOUNDARY=4,IJ=1,1,1,3\nEND\nEND,GRID=SIDE\nQUIT\n";
    auto s = run_kavren(p);
    ASSERT_EQ(s.status, 0) << show(s);
    EXPECT_EQ(lines_starting(s, " MATCHING NODE NUMBERS :"), 0) << show(s);
    GridFile h = read_grid(s.lines("side.grid"));
    ASSERT_TRUE(h.ok) << h.problem << "\n" << s.file("side.grid");
    ASSERT_EQ(h.nodes.size(), 15u);
    for (const auto& [n, xy] : g.nodes) EXPECT_NE(node_near(h, xy.first, xy.second, 1e-6), 0);
}

// Regions ONE [0,1]^2 and TWO [1.02,2]x[0,1], 2 x 2 elements each.
std::string two_squares(const std::string& tie) {
    return "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,"
           "1\n"
           "POINT=4,IJ=1,1,3,3,REGION=TWO\nXY,1.02,0,XY,2,0,XY,2,1,XY,1.02,1\nEND\n" +
           tie +
           "END\nELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1,REGION=ONE\nENDLOOPS\n"
           "ILOOP=2\nJLOOP=2\nLINEAR,1,1,REGION=TWO\nENDLOOPS\nEND\n"
           "BOUNDARY\nREGION=ONE\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=3,IJ=1,3,3,3\n"
           "BOUNDARY=4,IJ=1,1,1,3\nREGION=TWO\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=3,IJ=1,3,3,3\n"
           "BOUNDARY=2,IJ=3,1,3,3\nEND\n";
}

TEST(Curves, TieJoinsTwoRegionsThatWouldStayOpen) {
    Project p;
    // Without TIE the seam stays open: END again, then leave through QUIT.
    p.files["decks/job.com"] = two_squares("") + "QUIT\n";
    p.input = "job\n";
    auto open = run_kavren(p);
    ASSERT_EQ(open.status, 0) << show(open);
    for (const char* line : {" *** BOUNDARY NOT DEFINED FOR ELEMENT #  3",
                             " *** BOUNDARY NOT DEFINED FOR ELEMENT #  6"})
        EXPECT_TRUE(contains_line(open.lines("decks/job.err"), line)) << show(open);
    EXPECT_FALSE(open.exists("tied.grid"));

    p.files["decks/job.com"] =
        two_squares("TIE\nIJ=3,1,3,3,TO,1,1,1,3,FROM=ONE\nEND\n") + "END,GRID=TIED\nQUIT\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(lines_starting(r, " MATCHING NODE NUMBERS :"), 3) << show(r);
    GridFile g = read_grid(r.lines("tied.grid"));
    ASSERT_TRUE(g.ok) << g.problem << "\n" << r.file("tied.grid");
    expect_consistent_sides(g);
    EXPECT_EQ(g.neig[2][1], 5);
    EXPECT_EQ(g.neig[3][1], 6);
    EXPECT_NE(node_near(g, 1.02, 0.5, 1e-12), 0);
    EXPECT_EQ(node_near(g, 1.0, 0.5, 1e-6), 0);
}

TEST(Curves, RefusedRecordsShowTheirErrorsAndChangeNothing) {
    Project p;
    p.files["data/short"] = "4\n0 0\n1 1\n";
    p.files["data/many"] = "101\n";
    p.files["decks/job.com"] = "";
    // Typed at the keyboard, so that the node totals show at every END.
    p.input =
        "job\nSTANDARD\nHEAT\nGEOMETRY\nNODES\nPOINT\nIJ=1,1,XY=0,0\nIJ=1,5,XY=0,4\n"
        "IJ=5,1,XY=4,0\nIJ=3,3,XY=2,2\nEND\n"
        "CONNECT\nNLINE=2\nIJ=1,1,1,X\nIJ=1,1,5,5\nIJ=1,1,1,2\nIJ=1,1,1,5,GEOPROG=A,NLINE=0\n"
        "IJ=2,1,2,5\nEND\n"
        "REFLECT\nSIDE=1\nIJ=1,1,3,A,SIDE=2\nIJ=1,1,3,3,SIDE=X\nIJ=1,1,3,3,SIDE=7\n"
        "IJ=1,1,3,3,LINE=0,0,90\nIJ=1,1,3,3\nIJ=1,1,2,2,LINE=0,0,90,1,1,1,2\n"
        "IJ=3,3,5,5,SIDE=3\nIJ=3,3,5,5,SIDE=1\nIJ=1,1,1,5,SIDE=3\nIJ=1,1,1,5,SIDE=1\nEND\n"
        "TIE\nTO,1,1,1,5\nIJ=1,1,1,5\nIJ=1,1,B,5,TO,5,1,5,5\nIJ=1,1,1,5,TO,5,1,5,A\n"
        "IJ=1,1,1,5,TO,1,1,1,5\nIJ=1,1,5,5,TO,1,1,1,1\nIJ=1,1,1,1,TO,5,5,1,1\n"
        "IJ=1,1,1,5,TO,1,1,1,1\nIJ=1,1,1,5,TO,5,5,5,1\nIJ=1,2,1,2,TO,1,1,1,1\n"
        "IJ=1,1,1,1,TO,1,1,1,1,FROM=NONE\nEND\n"
        "ARC\nPOINT=3\nPOINT=3,IJ=1,1,1\nPOINT=3,IJ=1,1,2,2\nPOINT=3,IJ=4,4,4,4\n"
        "IJ=1,1,1,5\nPOINT=A,IJ=1,1,1,5\nPOINT=1,IJ=1,1,1,5\nPOINT=99,IJ=1,1,1,5\n"
        "FILE=SHORT,POINT=3,IJ=1,1,1,5\nXY,0,0,0,0,1,1\nFILE=MANY,IJ=1,1,1,5\nFILE=9,IJ=1,1,1,5\n"
        "POINT=3,IJ=1,1,1,5\nXY,0,0\nIJ,9,9,XY,0,0,1,1\nXY,0,0,1,1,2,0\n"
        "POINT=3,IJ=1,5,1,1\nXY,0,0,1,1,2,0\nEND\n"
        "ELLIPSE\nRADII=1,1,IJ=1,1,5,1\nANGLE=0,IJ=1,1,5,1,RADII=1,1\nANGLE=0,90,IJ=1,1,5,1\n"
        "ANGLE=0,90,RADII=1,IJ=1,1,5,1\nANGLE=0,90,RADII=1,-1,IJ=1,1,5,1\n"
        "ANGLE=0,90,RADII=1,1\nANGLE=0,90,RADII=1,1,IJ=1,1,5\nANGLE=0,90,RADII=1,1,IJ=1,1,5,5\n"
        "ANGLE=0,90,RADII=1,1,IJ=2,2,2,2\nANGLE=0,90,RADII=1,1,IJ=5,1,1,1\nEND\n"
        "POINT\nIJ=1,1,INQUIRE\nIJ=3,3,INQUIRE\nEND\nEND\nQUIT\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    const auto err = r.lines("decks/job.err");
    for (const char* message : {
             " *** OPTION \"IJ\" MISSING ***",
             " *** I,J BOUNDS NOT FOUND ***",
             " **IJ DOES NOT DEFINE A LINE",
             " ** CAN NOT CONNECT TWO NEIGBOR POINTS",
             "  GEOMETRIC PROGRESSION COEFFICIENT UNREADABLE",
             " ** NODE(  2,  5) REGION  1 DOES NOT EXIST",
             " ** SIDE NUMBER UNREADABLE **",
             " ** BAD SIDE NUMBER , MUST BE <1:4>",
             " *** FORMAT ERROR AFTER \"LINE\" ***",
             " *** OPTION \"SIDE\" OR \"LINE\" IS MISSING ***",
             " **  NODE DOES NOT EXIT **",
             " ** UNABLE TO COMPUTE LINE TO EXECUTE SYMETRY",
             " *** I,J OUTSIDE THE GRID 1..100 ***",
             " *** OPTION \"TO\" IS MISSING ***",
             " *** FORMAT ERROR AFTER \"TO\" ***",
             " ** SOURCE LINE MUST BE AT I OR J CONSTANT**",
             " ** TARGET LINE MUST BE AT I OR J CONSTANT**",
             " ** SOURCE AND TARGET LINES DO NOT HAVE THE SAME NUMBER OF POINTS",
             " ** UNKNOWN REGION **",
             " ** IJ DOES NOT DEFINE A LINE **",
             " *** OPTION \"POINT\" MISSING ***",
             " BAD NUMBER OF POINTS, MUST BE >=1",
             " BAD NUMBER OF POINTS, MUST BE >=2",
             " *** TABLE FULL: SPLINE POINTS, AT MOST 98",
             " *** TABLE FULL: POINTS IN A POINT FILE, AT MOST 100",
             "  ERROR READING FILE",
             "  FILE NAME UNREADABLE",
             " ONLY   1 POINTS HAS BEEN DEFINED",
             " ** UNABLE TO FIND IJ COORDINATES **",
             " ONLY   2 POINTS HAS BEEN DEFINED",
             " ** UNABLE TO DEFINE SPLINE THROUGH THESE POINTS **",
             " ** INVALID IMIN,JMIN,IMAX,JMAX  **",
             " *** OPTION \"ANGLE\" MISSING ***",
             " *** ANGLE BOUNDS NOT FOUND ***",
             " *** OPTION \"RADII\" MISSING ***",
             " *** ELLIPS RADII NOT FOUND ***",
             " *** ELLIPS RADII MUST BE POSITIVE ***",
         })
        EXPECT_TRUE(contains_line(err, message)) << message << "\n" << r.file("decks/job.err");
    // The errors are in the listing too, and the syntax lines with them.
    const auto out = r.out_lines();
    for (const auto& line : err) {
        if (line.find("***** RUN COMPLETED") == std::string::npos && !line.empty()) {
            EXPECT_TRUE(contains_line(out, line)) << line << "\n" << show(r);
        }
    }
    for (const char* syntax :
         {" IJ=IMIN,JMIN,IMAX,JMAX,{N=N},{INC=I},{POLAR=X,Y}",
          " IJ=IMIN,JMIN,IMAX,JMAX,{FROM=REGNAME},{SIDE={1:4},{LINE=X,Y,A,IB,JB,IE,JE}}",
          " IJ=IMIN,JMIN,IMAX,JMAX,{REGION=REGNAME},TO,IMIT,JMIT,IMAT,JMAT,{FROM=REGNAME}",
          " POINT={1,N},IJ=IMIN,JMIN,IMAX,JMAX,{{CS},X0,Y0,{A0}},{{PS},X0,YO,{CCW}}",
          " IJ=IMIN,JMIN,IMAX,JMAX,ANGLE=AMIN,AMAX,RADII=RMIN,RMAX,{CENTER=XO,YO,A}",
          " **  I=  2 J=  1 REGION=  1", " **  I=  5 J=  3 REGION=  1",
          " **  I=  1 J=  2 REGION=  1", " **  I=  5 J=  5 REGION=  1",
          " ** POINTS TO DEFINE LINE NOT DISJOINTED **", " **NO POINTS HAVE BEEN GENERATED **"})
        EXPECT_TRUE(contains_line(out, syntax)) << syntax << "\n" << show(r);
    // Four nodes before the levels, and still four after every refused
    // record; the one good ARC record adds three. The node at (3,3), which no
    // record may touch, stays where POINT put it.
    std::vector<int> totals;
    for (const auto& l : out)
        if (l.rfind(" TOTAL NUMBER OF NODES = ", 0) == 0) totals.push_back(std::stoi(l.substr(25)));
    EXPECT_EQ(totals, (std::vector<int>{4, 4, 4, 7, 7, 7})) << show(r);
    EXPECT_TRUE(contains_line(out, " (  1,  1)    X= 0.0000000E+00 Y= 0.0000000E+00")) << show(r);
    EXPECT_TRUE(contains_line(out, " (  3,  3)    X= 0.2000000E+01 Y= 0.2000000E+01")) << show(r);
}

TEST(Curves, CountsShowAtTheKeyboard) {
    Project p;
    p.files["decks/job.com"] = "";
    p.input =
        "job\nSTANDARD\nHEAT\nGEOMETRY\nNODES\nPOINT\nIJ=1,1,XY=0,0\nIJ=1,5,XY=0,4\nEND\n"
        "CONNECT\nIJ=1,1,1,5\nEND\n"
        "REFLECT\nIJ=1,1,1,5,LINE=1,0,90,3,1,3,5\nEND\n"
        "ARC\nPOINT=3,IJ=1,6,5,6\nXY,0,5,1,6,2,5\nEND\n"
        "ELLIPSE\nIJ=1,7,3,7,ANGLE=0,90,RADII=1,1\nEND\nQUIT\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    const auto out = r.out_lines();
    std::vector<std::string> counts;
    for (const auto& l : out)
        if (l.rfind(" NUMBER OF NODES GENERATED :", 0) == 0 ||
            l.rfind(" TOTAL NUMBER OF NODES = ", 0) == 0)
            counts.push_back(l);
    const std::vector<std::string> want = {
        " NUMBER OF NODES GENERATED :   1", " NUMBER OF NODES GENERATED :   1",
        " TOTAL NUMBER OF NODES =    2",    " NUMBER OF NODES GENERATED :   3",
        " TOTAL NUMBER OF NODES =    5",    " NUMBER OF NODES GENERATED :   5",
        " TOTAL NUMBER OF NODES =   10",    " NUMBER OF NODES GENERATED :   5",
        " TOTAL NUMBER OF NODES =   15",    " NUMBER OF NODES GENERATED :   3",
        " TOTAL NUMBER OF NODES =   18"};
    EXPECT_EQ(counts, want) << show(r);
    // The ARC point record is echoed to the command log with its record.
    EXPECT_TRUE(contains_echo(r.lines("decks/job.out"), "XY,0,5,1,6,2,5"))
        << r.file("decks/job.out");
}

}  // namespace
}  // namespace kavren::e2e
