// The NODES level: POINT and GRID, and the other generators reached from it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "geometry_fixture.hpp"
#include "meshgen/tables.hpp"
#include "support/units.hpp"

namespace kavren::testing {
namespace {

struct PointCase {
    const char* name;
    const char* record;
    double x, y;
};

const PointCase kPoints[] = {
    {"cartesian_in_shifted_system", "IJ=1,1,XY=1.,2.,CS=10.,20.", 11.0, 22.0},
    {"cartesian_in_turned_system", "IJ=1,1,XY=1.,2.,CS=10.,20.,90.", 8.0, 21.0},
    {"polar_clockwise", "IJ=1,1,RT=2.,90.,PS=1.,1.,CW", 1.0, -1.0},
    {"polar_counter_clockwise", "IJ=1,1,RT=2.,90.,PS=1.,1.", 1.0, 3.0},
    {"pair_before_other_words", "XY,3,4,IJ,1,1", 3.0, 4.0},
};

class PointTable : public GeneratorTest, public ::testing::WithParamInterface<PointCase> {};

TEST_P(PointTable, StoresThePoint) {
    const PointCase& c = GetParam();
    geometry(in_nodes("POINT\n" + std::string(c.record) + "\nEND\n"));
    ASSERT_EQ(ccon.NNODG, 1) << errors();
    EXPECT_NEAR(cnodet.XGEN(1), c.x, 1e-6);
    EXPECT_NEAR(cnodet.YGEN(1), c.y, 1e-6);
    int node = 0;
    fref(1, 1, 1, node, 1);
    EXPECT_EQ(node, 1);
    EXPECT_EQ(cgeost.IBLOCKN, 1);
}

INSTANTIATE_TEST_SUITE_P(Nodes, PointTable, ::testing::ValuesIn(kPoints),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeneratorTest, PointMovesAnExistingNodeAndIgnoresTwoPoints) {
    geometry(in_nodes("POINT\nIJ=2,2,XY=1,1\nIJ=2,2,XY=5,6\nIJ=3,3,XY=1,1,XY=2,2\nEND\n"));
    EXPECT_EQ(ccon.NNODG, 1);
    EXPECT_EQ(cnodet.XGEN(1), 5.0);
    EXPECT_EQ(cnodet.YGEN(1), 6.0);
    int node = -1;
    fref(3, 3, 1, node, 1);
    EXPECT_EQ(node, 0);
    // Every record that gave no error is echoed, the two-point one included.
    EXPECT_TRUE(has_line("decks/t.out", "         IJ=3,3,XY=1,1,XY=2,2")) << file("decks/t.out");
    EXPECT_EQ(errors(), "");
}

TEST_F(GeneratorTest, PointRefusals) {
    geometry(in_nodes("POINT\nXY=1,1\nIJ=A,1,XY=1,1\nIJ=3,4,INQUIRE\nEND\n"));
    EXPECT_EQ(ccon.NNODG, 0);
    std::string err = errors();
    EXPECT_NE(err.find(" *** OPTION \"IJ\" MISSING ***\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" *** I,J BOUNDS NOT FOUND ***\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" ** NO NODE AT IJ=(  3,  4)\n"), std::string::npos) << err;
}

TEST_F(GeneratorTest, GridOfFourPointsNumbersRowByRow) {
    geometry(in_nodes("GRID\nPOINT=4,IJ=1,1,3,3\nXY,0.,0.,XY,2.,0.,XY,2.,2.,XY,0.,2.\nEND\n"));
    ASSERT_EQ(ccon.NNODG, 9) << errors();
    for (int j = 1; j <= 3; ++j)
        for (int i = 1; i <= 3; ++i) {
            int node = 0;
            fref(i, j, 1, node, 1);
            EXPECT_EQ(node, (j - 1) * 3 + i);
            EXPECT_NEAR(cnodet.XGEN(node), i - 1.0, 1e-15);
            EXPECT_NEAR(cnodet.YGEN(node), j - 1.0, 1e-15);
        }
    std::string log = file("decks/t.out");
    EXPECT_NE(log.find("      GRID\n         POINT=4,IJ=1,1,3,3\n"
                       "         XY,0.,0.,XY,2.,0.,XY,2.,2.,XY,0.,2.\n      END\n"),
              std::string::npos)
        << log;
}

TEST_F(GeneratorTest, GridOfEightPointsPutsCurvedSidesOnCircles) {
    // A quarter annulus: sides 2 and 4 are arcs of radius 2 and 1 about the origin.
    geometry(
        in_nodes("GRID\nPOINT=8,IJ=1,1,3,3\n"
                 "XY,1,0,XY,2,0,XY,0,2,XY,0,1\n"
                 "XY,1.5,0,CURV,0,0,XY,0,1.5,CURV,0,0\nEND\n"));
    ASSERT_EQ(ccon.NNODG, 9) << errors();
    auto at = [](int i, int j) {
        int node = 0;
        fref(i, j, 1, node, 1);
        return node;
    };
    const double c = std::cos(M_PI / 4);
    EXPECT_NEAR(cnodet.XGEN(at(3, 2)), 2 * c, 1e-15);
    EXPECT_NEAR(cnodet.YGEN(at(3, 2)), 2 * c, 1e-15);
    EXPECT_NEAR(cnodet.XGEN(at(1, 2)), c, 1e-15);
    EXPECT_NEAR(cnodet.YGEN(at(1, 2)), c, 1e-15);
    EXPECT_NEAR(cnodet.XGEN(at(2, 1)), 1.5, 1e-15);
}

TEST_F(GeneratorTest, GridRefusalsLeaveTheTablesAlone) {
    geometry(
        in_nodes("GRID\n"
                 "POINT=5,IJ=1,1,3,3\n"
                 "POINT=4,IJ=1,1,1,3\n"
                 "POINT=4,IJ=1,1,101,101\n"
                 "POINT=8,IJ=1,1,3,3\n"
                 "XY,0,0,XY,2,0,XY,2,2\n"
                 "XY,0,0,XY,2,0,XY,2,2,XY,0,2\n"
                 "CURV,1,0,XY,2,1,XY,1,2,XY,0,1\n"
                 "XY,1,0,XY,2,1,XY,1,2,XY,0,1\n"
                 "END\n"));
    std::string err = errors();
    EXPECT_NE(err.find(" BAD NUMBER OF POINTS, MUST BE =4 OR =8\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" *** IMIN=IMAX OR JMIN=JMAX: A GRID NEEDS TWO LINES EACH WAY ***\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(" *** TABLE FULL: GENERATOR SLOTS, AT MOST 10000\n"), std::string::npos)
        << err;
    EXPECT_NE(err.find(" ONLY   3 POINTS HAS BEEN DEFINED\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" *** CURV CENTRE LIES AT THE MIDDLE OF ITS SIDE ***\n"), std::string::npos)
        << err;
    // Only the last group generated: a straight 3 x 3 grid.
    EXPECT_EQ(ccon.NNODG, 9);
    EXPECT_EQ(cgeost.IBLOCKN, 1);
    EXPECT_EQ(free_slots(), MAXGNOD - 9);
}

TEST_F(GeneratorTest, OverlappingGridReusesAndMovesNodes) {
    geometry(
        in_nodes("GRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,2,0,XY,2,2,XY,0,2\n"
                 "POINT=4,IJ=3,1,4,3\nIJ,1,1,XY,5,0,XY,5,2,XY,0,2\nEND\n"));
    EXPECT_EQ(ccon.NNODG, 12);  // 9, then 3 new ones at I = 4
    int node = 0;
    fref(3, 1, 1, node, 1);
    EXPECT_EQ(node, 3);
    EXPECT_NEAR(cnodet.XGEN(3), 0.0, 1e-15);  // corner (3,1) of the second grid is IJ,1,1
    fref(4, 3, 1, node, 1);
    EXPECT_EQ(node, 12);
}

TEST_F(GeneratorTest, CurveAndToolLevelsReadTheirRecordsUpToEnd) {
    geometry(
        in_nodes("ARC\nPOINT=3,IJ=1,1,1,5\nXY,0,0,1,1,2,0\nEND\n"
                 "TIE\nIJ=1,1,1,2,TO,1,4,1,5\nEND\n"
                 "POINT\nIJ=2,1,XY=1,1\nEND\n"));
    EXPECT_EQ(ccon.NNODG, 6);
    // ARC's curve code is not carried to the nodes of later levels.
    EXPECT_EQ(cgeomtyp.ICTYPE, 0);
    EXPECT_EQ(cnodet.ICURV(6), 0);
    EXPECT_EQ(cnodet.ICURV(1), 102);
    // TIE moved the nodes at (1,1) and (1,2) onto those at (1,4) and (1,5).
    EXPECT_EQ(cnodet.XGEN(1), cnodet.XGEN(4));
    EXPECT_EQ(cnodet.YGEN(2), cnodet.YGEN(5));
    EXPECT_EQ(errors(), "");
    std::string log = file("decks/t.out");
    EXPECT_NE(log.find("   NODES\n      ARC\n         POINT=3,IJ=1,1,1,5\n         XY,0,0,1,1,2,0\n"
                       "      END\n      TIE\n         IJ=1,1,1,2,TO,1,4,1,5\n      END\n"),
              std::string::npos)
        << log;
}

TEST_F(GeneratorTest, FirstNodesCommandResetsTheTables) {
    cregio.NREG = 4;
    csetf.NSET = 7;
    cprofi.NPROF = 3;
    cnodet.IFREE = 50;
    geometry(in_nodes("POINT\nREGION=WEST,IJ=1,1,XY=0,0\nEND\n"));
    EXPECT_EQ(cregio.NREG, 2);
    EXPECT_EQ(cregio.IREG, 2);
    EXPECT_EQ(csetf.NSET, 1);
    EXPECT_EQ(cprofi.NPROF, 0);
    EXPECT_EQ(cnodet.IFREE, 2);
    EXPECT_EQ(cnodet.IHEAD(2), 1);
}

}  // namespace
}  // namespace kavren::testing
