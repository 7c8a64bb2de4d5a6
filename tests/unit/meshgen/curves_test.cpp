// ARC and ELLIPSE: nodes on splines and ellipse arcs, the curve records and
// the curve codes of the slots, the point file, and the refusals.
#include "meshgen/curves.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "geometry_fixture.hpp"
#include "meshgen/tables.hpp"

namespace kavren::testing {
namespace {

constexpr double PI = 3.14159265358979323846;

void expect_node(int i, int j, double x, double y, double tol = 1e-6) {
    const int n = node_at(i, j);
    ASSERT_NE(n, 0) << "no node at " << i << "," << j;
    EXPECT_NEAR(cnodet.XGEN(n), x, tol) << i << "," << j;
    EXPECT_NEAR(cnodet.YGEN(n), y, tol) << i << "," << j;
}

// The curve code of the first slot of the node at (i, j).
int code_at(int i, int j) {
    int ii = 0, jj = 0, r = 0, code = -1;
    fnref(node_at(i, j), ii, jj, r, code);
    return code;
}

TEST_F(GeneratorTest, GeomtypStoresEllipseAndSplineRecords) {
    cgeomtyp.NXTGEO = 1;
    cgeomtyp.ICTYPE = 1;
    cgeomtyp.NCURV = 1;
    const double ellipse[5] = {2, 1, 3, 4, 0.5};
    geomtyp(0, 0, ellipse);
    cgeomtyp.ICTYPE = 2;
    cgeomtyp.NCURV = 2;
    SplineColumns pts;
    const double xs[3] = {0, 1, 2}, ys[3] = {5, 6, 7};
    for (int i = 1; i <= 3; ++i) {
        pts(i) = xs[i - 1];
        pts(MAXSPLPT + i) = ys[i - 1];
    }
    geomtyp(3, MAXSPLPT, &pts(1));
    cgeomtyp.ICTYPE = 0;
    geomtyp(3, MAXSPLPT, &pts(1));  // type 0 stores nothing
    EXPECT_EQ(cgeomtyp.IPGEOM(1), 1);
    EXPECT_EQ(cgeomtyp.NPGEOM(1), -5);
    EXPECT_EQ(cgeomtyp.IPGEOM(2), 6);
    EXPECT_EQ(cgeomtyp.NPGEOM(2), 3);
    EXPECT_EQ(cgeomtyp.NXTGEO, 13);
    const double want[12] = {2, 1, 3, 4, 0.5, 3, 0, 5, 1, 6, 2, 7};
    for (int i = 1; i <= 12; ++i) EXPECT_EQ(cgeomtyp.GEOM(i), want[i - 1]) << i;
}

TEST_F(GeneratorTest, EllipsePlacesItsNodesAndStoresOneRecord) {
    geometry(
        in_nodes("ELLIPSE\nIJ=1,1,5,1,ANGLE=0,90,RADII=2,1\n"
                 "IJ=1,2,5,2,ANGLE=0,90,RADII=2,1\nEND\n"));
    ASSERT_EQ(ccon.NNODG, 10) << errors();
    for (int p = 0; p < 5; ++p) {
        const double t = p * 22.5 * PI / 180.0;
        expect_node(1 + p, 1, 2 * std::cos(t), std::sin(t));
        EXPECT_EQ(code_at(1 + p, 1), 101);
        // The second record's ellipse is unchanged: no record, the same code.
        EXPECT_EQ(code_at(1 + p, 2), 101);
    }
    EXPECT_EQ(cgeomtyp.NCURV, 1);
    EXPECT_EQ(cgeomtyp.NXTGEO, 6);
    const double rec[5] = {2, 1, 0, 0, 0};
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(cgeomtyp.GEOM(i), rec[i - 1]);
    EXPECT_EQ(cgeost.IBLOCKN, 2);
}

TEST_F(GeneratorTest, EllipseInATurnedSystemAndANewEllipseGetANewCode) {
    geometry(
        in_nodes("ELLIPSE\nIJ=1,1,3,1,ANGLE=0,90,RADII=2,1,CS=1,1,90\n"
                 "IJ=1,2,3,2,ANGLE=0,90,RADII=3,1\nEND\n"));
    expect_node(1, 1, 1.0, 3.0);  // angle 0 along the turned x axis
    expect_node(3, 1, 0.0, 1.0);  // angle 90: R2 along the turned y axis
    EXPECT_EQ(code_at(2, 1), 101);
    // The centre and turn stay for the visit; other radii are a new ellipse.
    expect_node(1, 2, 1.0, 4.0);
    EXPECT_EQ(code_at(2, 2), 201);
    EXPECT_EQ(cgeomtyp.NCURV, 2);
    EXPECT_NEAR(cgeomtyp.GEOM(10), 90 * 3.1415927410125732 / 180.0, 1e-15);
}

TEST_F(GeneratorTest, ArcThroughThreePointsPlacesItsNodesOnTheParabola) {
    geometry(in_nodes("ARC\nPOINT=3,IJ=1,1,1,5\nXY,0,0,1,1,2,0\nEND\n"));
    ASSERT_EQ(ccon.NNODG, 5) << errors();
    const double want[7] = {3.0, 0, 0, 1, 1, 2, 0};
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(cgeomtyp.GEOM(i), want[i - 1]) << i;
    EXPECT_EQ(cgeomtyp.NPGEOM(1), 3);
    expect_node(1, 1, 0, 0);
    expect_node(1, 3, 1, 1);
    expect_node(1, 5, 2, 0);
    for (int j = 1; j <= 5; ++j) {
        const int n = node_at(1, j);
        // Equal steps of the chord-length parameter: x runs evenly.
        EXPECT_NEAR(cnodet.XGEN(n), 0.5 * (j - 1), 1e-12);
        EXPECT_NEAR(cnodet.YGEN(n), cnodet.XGEN(n) * (2 - cnodet.XGEN(n)), 1e-12);
        EXPECT_EQ(code_at(1, j), 102);
    }
}

TEST_F(GeneratorTest, ArcOfTwoPointsIsStraightWithoutARecord) {
    geometry(in_nodes("ARC\nPOINT=2,IJ=1,1,5,1\nXY,0,0,4,2\nEND\n"));
    ASSERT_EQ(ccon.NNODG, 5) << errors();
    for (int i = 1; i <= 5; ++i) {
        expect_node(i, 1, i - 1.0, 0.5 * (i - 1.0));
        EXPECT_EQ(code_at(i, 1), 0);
    }
    EXPECT_EQ(cgeomtyp.NCURV, 0);
    EXPECT_EQ(cgeomtyp.NXTGEO, 1);
}

TEST_F(GeneratorTest, ArcCarriesItsPointModeAndCodesEachCurve) {
    // PS with CW turns RT,1,90 to (0, -1); the next record's bare numbers are
    // still polar; IJ pairs take existing nodes; GEOPROG spaces the nodes.
    geometry(
        in_nodes("ARC\nPOINT=2,IJ=1,1,3,1,PS=0,0,CW\nRT,1,90,RT,1,0\n"
                 "POINT=3,IJ=1,2,3,2\n2,0,2,45,2,90\n"
                 "POINT=3,IJ=1,3,4,3,GEOPROG=2\nIJ,1,1,XY,0,0,IJ,3,1\nEND\n"));
    ASSERT_EQ(errors(), "");
    expect_node(1, 1, 0, -1);
    expect_node(3, 1, 1, 0);
    expect_node(1, 2, 2, 0);
    // PS and CW stay in force for the visit.
    expect_node(2, 2, std::sqrt(2.0), -std::sqrt(2.0));
    expect_node(3, 2, 0, -2);
    EXPECT_EQ(code_at(2, 2), 102);
    EXPECT_EQ(code_at(2, 3), 202);
    expect_node(1, 3, 0, -1);
    expect_node(4, 3, 1, 0);
    // Parameter steps 1, 2, 4 sevenths of the length.
    SplineColumns pts, coef;
    const int a = node_at(1, 1), b = node_at(3, 1);
    pts(1) = cnodet.XGEN(a), pts(101) = cnodet.YGEN(a);
    pts(2) = 0, pts(102) = 0;
    pts(3) = cnodet.XGEN(b), pts(103) = cnodet.YGEN(b);
    double tlen = 0.0, x = 0.0, y = 0.0;
    ASSERT_EQ(prepare(3, 3, tlen, pts, coef), 0);
    bspline(3, 3, tlen / 7.0, x, y, coef);
    expect_node(2, 3, x, y, 1e-12);
    bspline(3, 3, 3.0 * tlen / 7.0, x, y, coef);
    expect_node(3, 3, x, y, 1e-12);
}

TEST_F(GeneratorTest, ArcReadsItsPointsFromAPointFile) {
    {
        std::ofstream f("data/quarter");
        f << "3\n1, 0\n0.0 1.0\n-1 0\n";
    }
    geometry(in_nodes("ARC\nFILE=QUARTER,IJ=1,1,3,1,CS=1,1,90\nEND\n"));
    ASSERT_EQ(errors(), "");
    // Each point turned by 90 degrees and moved to (1, 1).
    expect_node(1, 1, 1, 2);
    expect_node(2, 1, 0, 1);
    expect_node(3, 1, 1, 0);
    EXPECT_EQ(cgeomtyp.NPGEOM(1), 3);
}

TEST_F(GeneratorTest, AnArcLineOfOneIntervalPlacesBothEnds) {
    geometry(in_nodes("ARC\nPOINT=3,IJ=2,1,3,1\nXY,0,0,1,1,2,0\nEND\n"));
    expect_node(2, 1, 0, 0);
    expect_node(3, 1, 2, 0);
}

struct Refusal {
    const char* name;
    const char* records;  // after the level word, before END
    const char* error;    // one error line that must be in the error file
};

const Refusal kRefusals[] = {
    {"arc_without_ij", "ARC\nPOINT=3\n", " *** OPTION \"IJ\" MISSING ***"},
    {"arc_bounds", "ARC\nPOINT=3,IJ=1,1,A\n", " *** I,J BOUNDS NOT FOUND ***"},
    {"arc_not_a_line", "ARC\nPOINT=3,IJ=1,1,3,3\n", " ** IJ DOES NOT DEFINE A LINE **"},
    {"arc_one_position", "ARC\nPOINT=3,IJ=2,2,2,2\n", " ** IJ DOES NOT DEFINE A LINE **"},
    {"arc_without_point", "ARC\nIJ=1,1,1,5\n", " *** OPTION \"POINT\" MISSING ***"},
    {"arc_point_word", "ARC\nPOINT=A,IJ=1,1,1,5\n", " BAD NUMBER OF POINTS, MUST BE >=1"},
    {"arc_point_negative", "ARC\nPOINT=-2,IJ=1,1,1,5\n", " BAD NUMBER OF POINTS, MUST BE >=1"},
    {"arc_point_one", "ARC\nPOINT=1,IJ=1,1,1,5\n", " BAD NUMBER OF POINTS, MUST BE >=2"},
    {"arc_too_many", "ARC\nPOINT=99,IJ=1,1,1,5\n", " *** TABLE FULL: SPLINE POINTS, AT MOST 98"},
    {"arc_repeated_point", "ARC\nPOINT=3,IJ=1,1,1,5\nXY,0,0,0,0,1,1\n",
     " ** UNABLE TO DEFINE SPLINE THROUGH THESE POINTS **"},
    {"arc_descending", "ARC\nPOINT=3,IJ=1,5,1,1\nXY,0,0,1,1,2,0\n",
     " ** INVALID IMIN,JMIN,IMAX,JMAX  **"},
    {"arc_missing_file", "ARC\nFILE=NOFILE,IJ=1,1,1,5\n", "  ERROR READING FILE"},
    {"arc_file_number", "ARC\nFILE=3,IJ=1,1,1,5\n", "  FILE NAME UNREADABLE"},
    {"arc_geoprog", "ARC\nPOINT=3,IJ=1,1,1,5,GEOPROG=-1\nXY,0,0,1,1,2,0\n",
     "  GEOMETRIC PROGRESSION COEFFICIENT UNREADABLE"},
    {"ellipse_without_angle", "ELLIPSE\nIJ=1,1,5,1,RADII=1,1\n",
     " *** OPTION \"ANGLE\" MISSING ***"},
    {"ellipse_angle", "ELLIPSE\nIJ=1,1,5,1,ANGLE=0,RADII=1,1\n", " *** ANGLE BOUNDS NOT FOUND ***"},
    {"ellipse_without_radii", "ELLIPSE\nIJ=1,1,5,1,ANGLE=0,90\n",
     " *** OPTION \"RADII\" MISSING ***"},
    {"ellipse_radii", "ELLIPSE\nIJ=1,1,5,1,ANGLE=0,90,RADII=1\n",
     " *** ELLIPS RADII NOT FOUND ***"},
    {"ellipse_zero_radius", "ELLIPSE\nIJ=1,1,5,1,ANGLE=0,90,RADII=1,0\n",
     " *** ELLIPS RADII MUST BE POSITIVE ***"},
    {"ellipse_without_ij", "ELLIPSE\nANGLE=0,90,RADII=1,1\n", " *** OPTION \"IJ\" MISSING ***"},
    {"ellipse_not_a_line", "ELLIPSE\nIJ=1,1,5,2,ANGLE=0,90,RADII=1,1\n",
     " ** IJ DOES NOT DEFINE A LINE **"},
    {"ellipse_descending", "ELLIPSE\nIJ=1,5,1,1,ANGLE=0,90,RADII=1,1\n",
     " ** INVALID IMIN,JMIN,IMAX,JMAX  **"},
};

class ArcEllipseRefusals : public GeneratorTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(ArcEllipseRefusals, ChangeNoNodeOrCurve) {
    const Refusal& c = GetParam();
    geometry(in_nodes(std::string(c.records) + "END\n"));
    EXPECT_TRUE(has_line("decks/t.err", c.error)) << errors();
    // A GEOPROG it cannot read leaves the record placing its nodes evenly.
    if (std::string(c.name) == "arc_geoprog") {
        EXPECT_EQ(ccon.NNODG, 5);
        expect_node(1, 2, 0.5, 0.75);
        return;
    }
    EXPECT_EQ(ccon.NNODG, 0);
    EXPECT_EQ(cgeomtyp.NCURV, 0);
    EXPECT_EQ(cgeomtyp.NXTGEO, 1);
}

INSTANTIATE_TEST_SUITE_P(Curves, ArcEllipseRefusals, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeneratorTest, ABadPointRecordIsReadAgainAndAMissingIJNodeIsNotCounted) {
    geometry(
        in_nodes("ARC\nPOINT=3,IJ=1,1,1,5\nXY,0,0,1,1\nIJ,7,7,XY,0,0,1,1\nXY,0,0,1,1,2,0\nEND\n"));
    const std::string err = errors();
    EXPECT_EQ(count_lines("decks/t.err", " ONLY   2 POINTS HAS BEEN DEFINED"), 2) << err;
    EXPECT_TRUE(has_line("decks/t.err", " ** UNABLE TO FIND IJ COORDINATES **")) << err;
    EXPECT_EQ(ccon.NNODG, 5);
    expect_node(1, 3, 1, 1);
}

TEST_F(GeneratorTest, CurveCapacitiesAreCheckedBeforeAnythingChanges) {
    // A generation already under way: the NODES level keeps its tables.
    reset_node_table();
    cregion();
    cgeost.IBLOCKN = 1;
    cgeomtyp.NCURV = MAXCURV;
    geometry(in_nodes("ELLIPSE\nIJ=1,1,5,1,ANGLE=0,90,RADII=2,1\nEND\n"), 1);
    EXPECT_TRUE(has_line("decks/t.err", " *** TABLE FULL: CURVES, AT MOST 50")) << errors();
    EXPECT_EQ(ccon.NNODG, 0);
    cgeomtyp.NCURV = 1;
    cgeomtyp.NXTGEO = MAXGEOM - 5;
    geometry(in_nodes("ARC\nPOINT=3,IJ=1,1,1,5\nEND\n"), 1);
    EXPECT_TRUE(has_line("decks/t.err", " *** TABLE FULL: CURVE VALUES, AT MOST 1000")) << errors();
    EXPECT_EQ(cgeomtyp.NCURV, 1);
}

}  // namespace
}  // namespace kavren::testing
