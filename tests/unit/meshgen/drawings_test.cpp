// The generator's drawings: grid labels, the window and its zoom, the
// elements a set draws, and the legend lines.
#include "meshgen/drawings.hpp"

#include <gtest/gtest.h>

#include <string>

#include "geometry_fixture.hpp"
#include "meshgen/tables.hpp"
#include "records/plot.hpp"
#include "records/window.hpp"

namespace kavren::testing {
namespace {

TEST(GridLabel, WidthsFollowTheNumbers) {
    const struct {
        int i, j;
        const char* text;
    } cases[] = {{3, 9, " 3,9"}, {3, 10, " 3,10"}, {120, 5, "120,5"},   {1, 1, " 1,1"},
                 {4, 6, ""},     {2, 1, " 2,1"},   {13, 100, "13,100"}, {100, 100, ""}};
    for (const auto& c : cases) EXPECT_EQ(grid_label(c.i, c.j), c.text) << c.i << "," << c.j;
}

TEST(DrawingExtent, CentreAndWidenedHalfWidth) {
    double lo = 0, hi = 0;
    drawing_extent(0.0, 2.0, lo, hi);
    EXPECT_DOUBLE_EQ(lo, 1.0 - 1.149999976158142);
    EXPECT_DOUBLE_EQ(hi, 1.0 + 1.149999976158142);
    // No width: widened as every plot frame is.
    drawing_extent(3.0, 3.0, lo, hi);
    EXPECT_DOUBLE_EQ(lo, 2.0);
    EXPECT_DOUBLE_EQ(hi, 4.0);
    drawing_extent(30.0, 30.0, lo, hi);
    EXPECT_DOUBLE_EQ(lo, 27.0);
    EXPECT_DOUBLE_EQ(hi, 33.0);
}

// Nodes on [0, 2] x [0, 1] and a left and a right element, without a boundary.
const char* const kTwoElements =
    "GEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,3,2\nXY,0,0,XY,2,0,XY,2,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nLINEAR,1,1,STEP=1,1\nLINEAR,2,1,STEP=1,1\nEND\n"
    "SETS\nELSET=RIGHT\nADD,2\nELSET=3\nADD,1\nEND\nEND\n";

void expect_extents(double x0, double x1, double y0, double y1) {
    constexpr double k = 1.149999976158142;
    EXPECT_DOUBLE_EQ(cxmin.XMIN, (x0 + x1) / 2 - k * (x1 - x0) / 2);
    EXPECT_DOUBLE_EQ(cxmin.XMAX, (x0 + x1) / 2 + k * (x1 - x0) / 2);
    EXPECT_DOUBLE_EQ(cxmin.YMIN, (y0 + y1) / 2 - k * (y1 - y0) / 2);
    EXPECT_DOUBLE_EQ(cxmin.YMAX, (y0 + y1) / 2 + k * (y1 - y0) / 2);
}

TEST_F(GeneratorTest, NodeGridZoomsFromItsSecondDrawingUntilReset) {
    geometry(kTwoElements);
    const std::string before = errors();  // the refused hand-over of open sides
    record("PLOT,ZOOM,0,0,0.5,0.5");
    graphn(0);
    expect_extents(0, 2, 0, 1);
    graphn(0);
    expect_extents(0, 0.5, 0, 0.5);
    record("PLOT");
    graphn(0);
    expect_extents(0, 0.5, 0, 0.5);
    record("PLOT,RESET");
    graphn(0);
    expect_extents(0, 2, 0, 1);
    EXPECT_EQ(errors(), before);
    EXPECT_EQ(cgendr.MESH.IDRAWN, 0);
}

TEST_F(GeneratorTest, MeshWindowCoversTheElementsOfTheSet) {
    geometry(kTwoElements);
    const std::string before = errors();
    ASSERT_EQ(csetf.NSET, 3);
    record("PLOT\nELSET=RIGHT");
    graphm(0);
    EXPECT_EQ(csetf.ISCUR, 2);
    expect_extents(1, 2, 0, 1);
    // The unnamed set, by number.
    record("PLOT\nELSET=3");
    graphm(0);
    expect_extents(0, 1, 0, 1);
    // The whole mesh again without ELSET.
    record("PLOT\nNODE");
    graphm(0);
    EXPECT_EQ(csetf.ISCUR, 1);
    expect_extents(0, 2, 0, 1);
    EXPECT_EQ(errors(), before);
}

TEST_F(GeneratorTest, RedrawsFromADeckDrawNothing) {
    geometry(kTwoElements);
    record("BOUNDARY=1,IJ=1,1,3,1");
    cxmin.XMIN = cxmin.XMAX = 7.0;
    graphm(1);
    EXPECT_EQ(cgendr.MESH.IDRAWN, 0);
    EXPECT_EQ(cxmin.XMIN, 7.0);
}

TEST_F(GeneratorTest, SetListsSayWhichElementsAreDrawn) {
    geometry(kTwoElements);
    EXPECT_FALSE(set_holds(2, 1));
    EXPECT_TRUE(set_holds(2, 2));
    EXPECT_TRUE(set_holds(3, 1));
    EXPECT_FALSE(set_holds(3, 2));
    EXPECT_FALSE(set_holds(4, 1));  // not defined
    EXPECT_FALSE(set_holds(0, 1));
}

struct LegendCase {
    int iscur, lastbc;
    const char* bname;
    const char* line1;
    double value1;
    const char* line2;
    double value2;
};

TEST_F(GeneratorTest, LegendLinesNameTheSetAndTheBoundary) {
    geometry(kTwoElements);
    const LegendCase cases[] = {
        {1, 0, "", nullptr, 0, nullptr, 0},
        {1, 3, "", "BOUNDARY=", 3, nullptr, 0},
        {1, 4, "WALL", "BOUNDARY=WALL", NO_LEGEND_VALUE, nullptr, 0},
        {2, 0, "", "SET=RIGHT", NO_LEGEND_VALUE, nullptr, 0},
        {3, 5, "", "SET=", 3, "BOUNDARY=", 5},
    };
    for (const LegendCase& c : cases) {
        clegend.NLEG = 0;
        csetf.ISCUR = c.iscur;
        cbcons2.LASTBC = c.lastbc;
        if (c.lastbc > 0) cbcons1.BNAME(c.lastbc) = Word8(c.bname);
        mesh_legend_lines();
        const int expected = (c.line1 != nullptr) + (c.line2 != nullptr);
        ASSERT_EQ(clegend.NLEG, expected) << c.iscur << " " << c.lastbc;
        if (c.line1 != nullptr) {
            EXPECT_EQ(clegend.LEGTXT(1).trimmed(), c.line1);
            EXPECT_EQ(clegend.LEGVAL(1), c.value1);
        }
        if (c.line2 != nullptr) {
            EXPECT_EQ(clegend.LEGTXT(2).trimmed(), c.line2);
            EXPECT_EQ(clegend.LEGVAL(2), c.value2);
        }
    }
    clegend.NLEG = 0;
}

}  // namespace
}  // namespace kavren::testing
