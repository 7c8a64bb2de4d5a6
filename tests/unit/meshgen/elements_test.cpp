// The ELEMENT level: blocks, loop orders, steps, refusals and the withdrawal
// of a block with a clockwise element.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "geometry_fixture.hpp"
#include "meshgen/tables.hpp"

namespace kavren::testing {
namespace {

// Nodes on grid points 1..5 x 1..3 of region 1, at x = I - 1, y = J - 1.
const std::string kGrid =
    "NODES\nGRID\nPOINT=4,IJ=1,1,5,3\nXY,0,0,XY,4,0,XY,4,2,XY,0,2\nEND\nEND\n";

std::string with_elements(const std::string& body) {
    return "GEOMETRY\n" + kGrid + "ELEMENT\n" + body + "END\nEND\n";
}

std::pair<int, int> grid_point(int node) {
    int i = 0, j = 0, r = 0, c = 0;
    fnref(node, i, j, r, c);
    return {i, j};
}

std::vector<std::pair<int, int>> origins() {
    std::vector<std::pair<int, int>> o;
    for (int e = 1; e <= ccon.NELG; ++e) o.push_back(grid_point(celem.NICK(1, e)));
    return o;
}

TEST_F(GeneratorTest, OneLinearElement) {
    geometry(with_elements("LINEAR,1,1\n"));
    ASSERT_EQ(ccon.NELG, 1) << errors();
    EXPECT_EQ(ccon2.NPELEM(1), 4);
    const std::pair<int, int> expect[] = {{1, 1}, {2, 1}, {2, 2}, {1, 2}};
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(grid_point(celem.NICK(k, 1)), expect[k - 1]);
    for (int k = 5; k <= 9; ++k) EXPECT_EQ(celem.NICK(k, 1), 0);
    EXPECT_EQ(cgeost.IBLOCKE, 1);
    const int block[6] = {1, 2, 1, 2, 1, 1};
    for (int c = 1; c <= 6; ++c) EXPECT_EQ(elemij.IJBLK(1, c), block[c - 1]) << c;
    EXPECT_EQ(csetf.ISCUR, 1);
}

struct LoopCase {
    const char* name;
    const char* records;
    std::vector<std::pair<int, int>> origins;
};

const LoopCase kLoops[] = {
    {"iloop_first_is_outer",
     "ILOOP=3\nJLOOP=2\nLINEAR,1,1\n",
     {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}}},
    {"jloop_first_is_outer",
     "JLOOP=2\nILOOP=3\nLINEAR,1,1\n",
     {{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}}},
    {"negative_count_grows_down", "ILOOP=-2\nLINEAR,4,1\n", {{4, 1}, {3, 1}}},
    {"step_two", "ILOOP=2\nLINEAR,1,1,STEP=2,2\n", {{1, 1}, {3, 1}}},
    {"block_without_loops_then_loop",
     "LINEAR,4,2\nILOOP=2\nLINEAR,1,1\n",
     {{4, 2}, {1, 1}, {2, 1}}},
};

class LoopTable : public GeneratorTest, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(LoopTable, NumbersElementsByOrigin) {
    geometry(with_elements(GetParam().records));
    EXPECT_EQ(origins(), GetParam().origins) << errors();
}

INSTANTIATE_TEST_SUITE_P(Elements, LoopTable, ::testing::ValuesIn(kLoops),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeneratorTest, QuadraticElementWithUnequalSteps) {
    geometry(with_elements("QUADR,1,1,STEP=4,2\n"));
    ASSERT_EQ(ccon.NELG, 1) << errors();
    EXPECT_EQ(ccon2.NPELEM(1), 9);
    const std::pair<int, int> expect[] = {{1, 1}, {5, 1}, {5, 3}, {1, 3}, {3, 1},
                                          {5, 2}, {3, 3}, {1, 2}, {3, 2}};
    for (int k = 1; k <= 9; ++k) EXPECT_EQ(grid_point(celem.NICK(k, 1)), expect[k - 1]) << k;
}

struct RefusalCase {
    const char* name;
    const char* records;
    const char* message;
};

const RefusalCase kRefusals[] = {
    {"odd_quadratic_step", "QUADR,1,1,STEP=3,2\n", " ***ERROR IMPROPER ISTEP OR JSTEP ****"},
    {"imin_zero", "LINEAR,0,1\n", " ERROR IMIN OR JMIN OUT OF BOUNDS :    0   1"},
    {"jmin_above_100", "LINEAR,1,101\n", " ERROR IMIN OR JMIN OUT OF BOUNDS :    1 101"},
    {"no_origin", "LINEAR,A\n", "  IMIN,JMIN NOT DEFINED"},
    {"step_not_numbers", "LINEAR,1,1,STEP=1\n", "  ISTEP AND JSTEP ARE NOT DEFINED AFTER \"STEP\""},
    {"zero_step", "LINEAR,1,1,STEP=0,1\n", " *** ISTEP AND JSTEP MUST NOT BE ZERO ***"},
    {"vertex_without_node", "ILOOP=5\nLINEAR,1,1\n", "  I,J NODE NUMBER NOT SPECIFIED :   6   1"},
    {"iloop_without_count", "ILOOP\n", " *** NO INDICE AFTER ILOOP"},
    {"zero_loop", "JLOOP=0\nLINEAR,1,1\n", " *** NO ELEMENT IN THE BLOCK: ILOOP OR JLOOP IS ZERO"},
    {"unknown_word", "BLOCK,1,1\n", " *** ELEMENTS ARE \"LINEAR\" OR \"QUADR\"ATIC"},
    {"unknown_region", "REGION=NORTH\n", " ** UNKNOWN REGION **"},
};

class ElementRefusals : public GeneratorTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ElementRefusals, GenerateNothing) {
    geometry(with_elements(GetParam().records));
    EXPECT_EQ(ccon.NELG, 0);
    EXPECT_EQ(cgeost.IBLOCKE, 0);
    std::string err = errors();
    EXPECT_NE(err.find(std::string(GetParam().message) + "\n"), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(Elements, ElementRefusals, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeneratorTest, QuadraticElementNeedsEveryGridPoint) {
    // Grid points (2, 2) and (4, 2) carry no node.
    geometry(
        "GEOMETRY\nNODES\nPOINT\n"
        "IJ=1,1,XY=0,0\nIJ=2,1,XY=1,0\nIJ=3,1,XY=2,0\n"
        "IJ=1,2,XY=0,1\nIJ=3,2,XY=2,1\n"
        "IJ=1,3,XY=0,2\nIJ=2,3,XY=1,2\nIJ=3,3,XY=2,2\nEND\nEND\n"
        "ELEMENT\nQUADR,1,1\nEND\nEND\n");
    EXPECT_EQ(ccon.NELG, 0);
    EXPECT_NE(errors().find("  I,J NODE NUMBER NOT SPECIFIED :   2   2\n"), std::string::npos)
        << errors();
}

TEST_F(GeneratorTest, ClockwiseElementWithdrawsItsWholeBlock) {
    // Node (3,1) lies left of node (2,1): the element at origin (2,1) is clockwise.
    for (int l = 1; l <= 9; ++l) celem.NICK(l, 2) = 1000 + l;  // an earlier mesh's data
    geometry(
        "GEOMETRY\nNODES\nPOINT\n"
        "IJ=1,1,XY=0,0\nIJ=2,1,XY=1,0\nIJ=3,1,XY=3,0\n"
        "IJ=1,2,XY=0,1\nIJ=2,2,XY=1,1\nIJ=3,2,XY=2,-5\nEND\nEND\n"
        "ELEMENT\nLINEAR,1,1\nILOOP=2\nLINEAR,1,1\nIENDLOOP\nEND\nEND\n");
    EXPECT_EQ(ccon.NELG, 1);
    EXPECT_EQ(cgeost.IBLOCKE, 1);
    EXPECT_EQ(elemij.IJBLK(2, 5), 0);
    for (int l = 1; l <= 9; ++l) EXPECT_EQ(celem.NICK(l, 2), 1000 + l);
    std::string err = errors();
    EXPECT_NE(err.find(" ** ELEMENTS DEFINED WITH CLOCKWISE NODE NUMBERING\n"
                       " ** DO HISTORY AND REDEFINE REGION#  1 ALIAS: ONE\n"),
              std::string::npos)
        << err;
    // The withdrawn block record is not echoed.
    std::string log = file("decks/t.out");
    EXPECT_EQ(log.find("         LINEAR,1,1\n"), std::string::npos) << log;
}

TEST_F(GeneratorTest, EndWithAnOpenLoopRestoresTheIndentation) {
    geometry(with_elements("ILOOP=2\nLINEAR,1,1\n"));
    EXPECT_EQ(ccon.NELG, 2);
    std::string log = file("decks/t.out");
    EXPECT_NE(log.find("   ELEMENT\n      ILOOP=2\n         LINEAR,1,1\n   END\nEND\n"),
              std::string::npos)
        << log;
}

TEST_F(GeneratorTest, BlocksBeyondFiveHundredElementsAreRefused) {
    geometry(
        "GEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,22,25\nXY,0,0,XY,21,0,XY,21,24,XY,0,24\n"
        "END\nEND\nELEMENT\nILOOP=21\nJLOOP=24\nLINEAR,1,1\nENDLOOPS\nEND\nEND\n");
    EXPECT_NE(errors().find(" *** TABLE FULL: ELEMENTS, AT MOST 500\n"), std::string::npos);
    EXPECT_EQ(ccon.NELG, 0);
}

}  // namespace
}  // namespace kavren::testing
