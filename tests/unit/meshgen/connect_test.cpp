// CONNECT, REFLECT and TIE: nodes made and moved from nodes already present,
// the mirror routine, and the refusals that must leave the node table alone.
#include "meshgen/connect.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geometry_fixture.hpp"
#include "meshgen/tables.hpp"

namespace kavren::testing {
namespace {

struct At {
    int i, j;
    double x, y;
};

void expect_nodes(const std::vector<At>& want, int region = 1) {
    for (const At& a : want) {
        const int n = node_at(a.i, a.j, region);
        ASSERT_NE(n, 0) << "no node at " << a.i << "," << a.j;
        EXPECT_NEAR(cnodet.XGEN(n), a.x, 1e-12) << a.i << "," << a.j;
        EXPECT_NEAR(cnodet.YGEN(n), a.y, 1e-12) << a.i << "," << a.j;
    }
}

struct ConnectCase {
    const char* name;
    const char* points;   // POINT records
    const char* records;  // CONNECT records
    int nnodg;            // nodes after the run
    std::vector<At> want;
    const char* error;  // an error line, or ""
};

const double R45 = std::sqrt(0.5);

const ConnectCase kConnect[] = {
    {"uniform",
     "IJ=1,1,XY=0,0\nIJ=1,5,XY=0,4\n",
     "IJ=1,1,1,5\n",
     5,
     {{1, 2, 0, 1}, {1, 3, 0, 2}, {1, 4, 0, 3}},
     ""},
    {"geometric",
     "IJ=1,1,XY=0,0\nIJ=1,5,XY=0,15\n",
     "IJ=1,1,1,5,GEOPROG=2\n",
     5,
     {{1, 2, 0, 1}, {1, 3, 0, 3}, {1, 4, 0, 7}},
     ""},
    {"ratio_one",
     "IJ=1,1,XY=0,0\nIJ=1,5,XY=0,4\n",
     "IJ=1,1,1,5,GEOPROG=1\n",
     5,
     {{1, 3, 0, 2}},
     ""},
    {"parallel_lines",
     "IJ=1,1,XY=1,0\nIJ=1,5,XY=1,4\nIJ=3,1,XY=3,0\nIJ=3,5,XY=3,4\nIJ=5,1,XY=5,0\nIJ=5,5,XY=5,4\n",
     "IJ=1,1,1,5,NLINE=3,INC=2\n",
     15,
     {{1, 2, 1, 1}, {3, 3, 3, 2}, {5, 4, 5, 3}},
     ""},
    {"missing_end_keeps_earlier_lines",
     "IJ=1,1,XY=1,0\nIJ=1,5,XY=1,4\nIJ=3,1,XY=3,0\nIJ=3,5,XY=3,4\n",
     "IJ=1,1,1,5,NLINE=3,INC=2\n",
     10,
     {{1, 3, 1, 2}, {3, 3, 3, 2}},
     " ** NODE(  5,  5) REGION  1 DOES NOT EXIST"},
    {"existing_node_moved",
     "IJ=1,1,XY=0,0\nIJ=1,3,XY=9,9\nIJ=1,5,XY=0,4\n",
     "IJ=1,1,1,5\n",
     5,
     {{1, 3, 0, 2}},
     ""},
    {"reversed_and_empty_lines",
     "IJ=1,1,XY=0,0\nIJ=1,5,XY=0,4\nIJ=5,1,XY=4,0\n",
     "IJ=1,5,1,1\nIJ=5,1,1,1\n",
     3,
     {},
     ""},
    {"not_an_option",
     "IJ=1,1,XY=0,0\nIJ=1,5,XY=0,4\nIJ=2,1,XY=1,0\nIJ=2,5,XY=1,4\n",
     "IJ=1,1,1,5,N=3\n",
     7,
     {{1, 2, 0, 1}},
     ""},
    {"polar",
     "IJ=1,1,XY=1,0\nIJ=1,5,XY=0,1\n",
     "IJ=1,1,1,5,POLAR=0,0\n",
     5,
     {{1, 2, std::cos(M_PI / 8), std::sin(M_PI / 8)},
      {1, 3, R45, R45},
      {1, 4, std::sin(M_PI / 8), std::cos(M_PI / 8)}},
     ""},
    {"polar_the_short_way_round",
     "IJ=1,1,XY=0,-1\nIJ=1,3,XY=-1,0\n",
     "IJ=1,1,1,3,POLAR=0,0\n",
     3,
     {{1, 2, -R45, -R45}},
     ""},
    {"neighbours",
     "IJ=1,1,XY=0,0\nIJ=1,2,XY=0,1\n",
     "IJ=1,1,1,2\n",
     2,
     {},
     " ** CAN NOT CONNECT TWO NEIGBOR POINTS"},
    {"not_a_line",
     "IJ=1,1,XY=0,0\nIJ=3,3,XY=1,1\n",
     "IJ=1,1,3,3\n",
     2,
     {},
     " **IJ DOES NOT DEFINE A LINE"},
    {"without_ij", "IJ=1,1,XY=0,0\n", "NLINE=2\n", 1, {}, " *** OPTION \"IJ\" MISSING ***"},
    {"bounds", "IJ=1,1,XY=0,0\n", "IJ=1,1,1,B\n", 1, {}, " *** I,J BOUNDS NOT FOUND ***"},
    {"off_grid",
     "IJ=1,1,XY=0,0\nIJ=1,5,XY=0,4\n",
     "IJ=1,1,1,5,NLINE=3,INC=60\n",
     2,
     {},
     " *** I,J OUTSIDE THE GRID 1..100 ***"},
    {"unreadable_ratio",
     "IJ=1,1,XY=0,0\nIJ=1,5,XY=0,4\n",
     "IJ=1,1,1,5,GEOPROG=-1\n",
     5,
     {{1, 2, 0, 1}},
     "  GEOMETRIC PROGRESSION COEFFICIENT UNREADABLE"},
};

class ConnectTable : public GeneratorTest, public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(ConnectTable, FillsTheLines) {
    const ConnectCase& c = GetParam();
    geometry(in_nodes("POINT\n" + std::string(c.points) + "END\nCONNECT\n" + c.records + "END\n"));
    EXPECT_EQ(ccon.NNODG, c.nnodg) << errors();
    expect_nodes(c.want);
    if (*c.error != '\0')
        EXPECT_TRUE(has_line("decks/t.err", c.error)) << errors();
    else
        EXPECT_EQ(errors(), "");
}

INSTANTIATE_TEST_SUITE_P(Connect, ConnectTable, ::testing::ValuesIn(kConnect),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeneratorTest, ConnectKeepsTheNumbersOfExistingNodes) {
    geometry(
        in_nodes("POINT\nIJ=1,1,XY=0,0\nIJ=1,3,XY=9,9\nIJ=1,5,XY=0,4\nEND\n"
                 "CONNECT\nIJ=1,1,1,5\nEND\n"));
    EXPECT_EQ(node_at(1, 3), 2);
    EXPECT_EQ(node_at(1, 2), 4);
    EXPECT_EQ(node_at(1, 4), 5);
    EXPECT_EQ(cgeost.IBLOCKN, 4);
}

const char* const kSquare = "GRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\n";

TEST_F(GeneratorTest, ReflectAboutASideOfTheBlock) {
    geometry(in_nodes(std::string(kSquare) + "REFLECT\nIJ=1,1,3,3,SIDE=2\nEND\n"));
    ASSERT_EQ(ccon.NNODG, 15) << errors();
    for (int j = 1; j <= 3; ++j) {
        expect_nodes({{4, j, 1.5, 0.5 * (j - 1)}, {5, j, 2.0, 0.5 * (j - 1)}});
        EXPECT_EQ(node_at(3, j), 3 * j);      // the axis keeps its nodes
        EXPECT_EQ(node_at(5, j), 8 + 2 * j);  // new numbers row by row, I ascending
    }
    expect_nodes({{3, 2, 1.0, 0.5}});
    EXPECT_EQ(errors(), "");
}

TEST_F(GeneratorTest, ReflectAboutALineIntoAnotherRegion) {
    geometry(in_nodes(std::string(kSquare) +
                      "REFLECT\nIJ=1,1,3,3,REGION=TWO,FROM=ONE,LINE=0,0,0,1,5,3,3\n"
                      "IJ=1,1,3,3,REGION=3,FROM=ONE,SIDE=2,LINE=0,0,90,1,1,1,3\nEND\n"));
    for (int i = 1; i <= 3; ++i)
        expect_nodes(
            {{i, 5, 0.5 * (i - 1), 0.0}, {i, 4, 0.5 * (i - 1), -0.5}, {i, 3, 0.5 * (i - 1), -1.0}},
            2);
    // SIDE wins over LINE: side 2 of the block in region 3 (empty) has no
    // nodes, so that record is dropped.
    EXPECT_EQ(ccon.NNODG, 18);
    EXPECT_EQ(count_lines("decks/t.err", " **  NODE DOES NOT EXIT **"), 1) << errors();
}

TEST_F(GeneratorTest, ReflectRefusals) {
    geometry(in_nodes(
        "POINT\nIJ=1,1,XY=0,0\nIJ=3,1,XY=0,0\nIJ=3,3,XY=0,0\nEND\n"
        "REFLECT\nIJ=1,1,3,3,SIDE=2\nIJ=1,1,3,3,SIDE=A\nIJ=1,1,3,3,SIDE=5\nSIDE=1\n"
        "IJ=1,1,3\nIJ=1,1,3,3\nIJ=1,1,3,3,LINE=0,0,0,1,1\nIJ=1,1,3,3,LINE=0,0,0,1,1,3,1\nEND\n"));
    const std::string err = errors();
    // Coincident side ends: the two messages once, no node made.
    EXPECT_EQ(count_lines("decks/t.err", " ** UNABLE TO COMPUTE LINE TO EXECUTE SYMETRY"), 1)
        << err;
    EXPECT_TRUE(has_line("decks/t.err", " ** SIDE NUMBER UNREADABLE **")) << err;
    EXPECT_TRUE(has_line("decks/t.err", " ** BAD SIDE NUMBER , MUST BE <1:4>")) << err;
    EXPECT_TRUE(has_line("decks/t.err", " *** OPTION \"IJ\" MISSING ***")) << err;
    EXPECT_TRUE(has_line("decks/t.err", " *** I,J BOUNDS NOT FOUND ***")) << err;
    EXPECT_TRUE(has_line("decks/t.err", " *** OPTION \"SIDE\" OR \"LINE\" IS MISSING ***")) << err;
    EXPECT_TRUE(has_line("decks/t.err", " *** FORMAT ERROR AFTER \"LINE\" ***")) << err;
    // The last record mirrors (1,1) to (1,1), then finds no node at (2,1):
    // what it made stays, and the rest is dropped.
    EXPECT_TRUE(has_line("decks/t.err", " **  NODE DOES NOT EXIT **")) << err;
    EXPECT_EQ(ccon.NNODG, 3);
}

// Region A holds the line I = 5, J = 1..4; region B (current) the line I = 1.
const char* const kTwoLines =
    "POINT\nREGION=A,IJ=5,1,XY=5,1\nIJ=5,2,XY=5,2\nIJ=5,3,XY=5,3\nIJ=5,4,XY=5,4\n"
    "REGION=B,IJ=1,1,XY=10,2\nIJ=1,2,XY=10,4\nIJ=1,3,XY=10,6\nIJ=1,4,XY=10,8\nEND\n";

TEST_F(GeneratorTest, TieMovesTheSourceLineOntoTheTargetPointByPoint) {
    geometry(in_nodes(std::string(kTwoLines) + "TIE\nIJ=5,1,5,4,TO,1,1,1,4,FROM=A\nEND\n"));
    ASSERT_EQ(errors(), "");
    for (int j = 1; j <= 4; ++j) {
        expect_nodes({{5, j, 10.0, 2.0 * j}}, 2);
        expect_nodes({{1, j, 10.0, 2.0 * j}}, 3);
        EXPECT_NE(node_at(5, j, 2), node_at(1, j, 3));
    }
    EXPECT_EQ(ccon.NNODG, 8);
}

TEST_F(GeneratorTest, TieDescendingTargetRunsTheOtherWay) {
    geometry(in_nodes(std::string(kTwoLines) + "TIE\nIJ=5,1,5,4,TO,1,4,1,1,FROM=A\nEND\n"));
    ASSERT_EQ(errors(), "");
    expect_nodes({{5, 1, 10.0, 8.0}, {5, 4, 10.0, 2.0}}, 2);
}

TEST_F(GeneratorTest, TieRefusalsMoveNothing) {
    geometry(in_nodes(std::string(kTwoLines) +
                      "TIE\nIJ=5,1,5,4,FROM=A\nIJ=5,1,5,4,TO,1,1,1\nTO,1,1,1,4\n"
                      "IJ=5,1,5,3,TO,1,1,1,4,FROM=A\nIJ=5,1,6,4,TO,1,1,1,4,FROM=A\n"
                      "IJ=5,1,5,4,TO,1,1,2,2,FROM=A\nIJ=5,2,5,5,TO,1,1,1,4,FROM=A\n"
                      "IJ=5,1,5,4,TO,1,2,1,5,FROM=A\nIJ=5,1,5,4,TO,1,1,1,4,FROM=NOWHERE\nEND\n"));
    const std::string err = errors();
    EXPECT_TRUE(has_line("decks/t.err", " *** OPTION \"TO\" IS MISSING ***")) << err;
    EXPECT_TRUE(has_line("decks/t.err", " *** FORMAT ERROR AFTER \"TO\" ***")) << err;
    EXPECT_TRUE(has_line("decks/t.err", " *** OPTION \"IJ\" MISSING ***")) << err;
    EXPECT_TRUE(has_line("decks/t.err",
                         " ** SOURCE AND TARGET LINES DO NOT HAVE THE SAME NUMBER OF POINTS"))
        << err;
    EXPECT_TRUE(has_line("decks/t.err", " ** SOURCE LINE MUST BE AT I OR J CONSTANT**")) << err;
    EXPECT_TRUE(has_line("decks/t.err", " ** UNKNOWN REGION **")) << err;
    // Target positions (2,1) and (1,5) of B and source position (5,5) of A.
    EXPECT_EQ(count_lines("decks/t.err", " **  NODE DOES NOT EXIT **"), 3) << err;
    for (int j = 1; j <= 4; ++j) expect_nodes({{5, j, 5.0, 1.0 * j}}, 2);
}

TEST(Symet, MirrorsAboutTheLine) {
    struct Case {
        double x1, y1, x2, y2, xs, ys, xi, yi;
    };
    const Case cases[] = {
        {0, 0, 0, 1, 1, 0, -1, 0}, {0, 0, 1, 1, 1, 0, 0, 1}, {1, 0, 1, 5, 3, 2, -1, 2},
        {0, 2, 4, 2, 1, -1, 1, 5}, {0, 0, 2, 2, 1, 1, 1, 1}, {2, 1, 1, 2, 0, 0, 3, 3},
    };
    for (const Case& c : cases) {
        double xi = 0.0, yi = 0.0;
        ASSERT_TRUE(symet(c.x1, c.y1, c.x2, c.y2, c.xs, c.ys, xi, yi));
        EXPECT_NEAR(xi, c.xi, 1e-15);
        EXPECT_NEAR(yi, c.yi, 1e-15);
    }
}

TEST_F(GeneratorTest, SymetOfCoincidentPointsSaysSoAndSetsNothing) {
    double xi = 7.0, yi = 8.0;
    EXPECT_FALSE(symet(1, 1, 1, 1, 0, 0, xi, yi));
    EXPECT_EQ(xi, 7.0);
    EXPECT_EQ(yi, 8.0);
    EXPECT_TRUE(has_line("decks/t.err", " ** UNABLE TO COMPUTE LINE TO EXECUTE SYMETRY"))
        << errors();
}

}  // namespace
}  // namespace kavren::testing
