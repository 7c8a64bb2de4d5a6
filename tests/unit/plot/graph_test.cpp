// The least mesh drawing on a built mesh: each element of the current set
// filled in the colour of its interior order and outlined through its
// vertices, or its eight boundary node points when it has an interior node;
// the frame from the elements drawn; RESET clearing the component.
#include "plot/graph.hpp"

#include <gtest/gtest.h>

#include "../graphics/graphics_fixture.hpp"
#include "mesh_builder.hpp"
#include "records/meshgen.hpp"

namespace kavren::testing {
namespace {

class GraphTest : public GraphicsTest {
  protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        reset_database();
        MeshBuilder b(2, 1);  // [0,1] x [0,1] and [1,2] x [0,1]
        b.order(1, 1);
        b.order(2, 3);
        ASSERT_EQ(b.build(), "");
        csetf.ISCUR = 1;
        deck("PLOT\n");
        read();
        cinout.LUIN = cinout.LUKBD;
    }
    // The element fills: every fill after the white frame (cell 41).
    std::vector<Drawn> element_fills() const {
        std::vector<Drawn> f = screen->of(Drawn::FILL);
        auto frame = std::find_if(f.begin(), f.end(), [](const Drawn& d) { return d.cell == 41; });
        return frame == f.end() ? std::vector<Drawn>{} : std::vector<Drawn>(frame + 1, f.end());
    }
};

TEST_F(GraphTest, ElementsAreFilledByInteriorOrderAndOutlined) {
    int icomp = 5;
    graph(1, 0, 0, nullptr, 0, icomp);
    EXPECT_EQ(icomp, 5);
    EXPECT_EQ(cscale.LAYOUT, 0);
    EXPECT_EQ(claser.NGRAY, 8);
    EXPECT_NEAR(cxmin.XMIN, 1.0 - 1.1 * 1.0, 1e-6);
    EXPECT_NEAR(cxmin.XMAX, 1.0 + 1.1 * 1.0, 1e-6);
    EXPECT_NEAR(cxmin.YMIN, 0.5 - 1.1 * 0.5, 1e-6);
    const std::vector<Drawn> fills = element_fills();
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].cell, 41);  // order 1
    EXPECT_EQ(fills[0].points.size(), 4u);
    EXPECT_EQ(fills[1].cell, 43);  // order 3: the outline through the mid-side nodes
    EXPECT_EQ(fills[1].points.size(), 8u);
    // The fills are clipped to the plot area and each outline closes in cell 0.
    EXPECT_EQ(fills[0].clip0, (Pixel{viewport.IVX1, viewport.IVY1}));
    const std::vector<Drawn> lines = screen->of(Drawn::LINE);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const Drawn& d) { return d.cell == 0; }),
              4 + 4 + 8);  // the frame, then the two outlines
    // Pixels of the shared side x = 1 appear in both outlines.
    const int x1 = static_cast<int>(iscaler.SCALE * 1.0 + iscaler.XOFF);
    EXPECT_EQ(fills[0].points[1].x, x1);
    EXPECT_EQ(fills[1].points[0].x, x1);
}

TEST_F(GraphTest, OnlyTheCurrentSetIsDrawnAndFramed) {
    csetf.NSET = 2;
    csetf.ISFRST(2) = 1;
    csetf.ISELEM(1) = 2;
    csetf.ISNEXT(1) = 2;
    csetf.ISELEM(2) = 0;
    csetf.ISNEXT(2) = 0;
    csetf.ISLAST(2) = 2;
    csetf.ISFREE = 3;
    csetf.ISCUR = 2;
    int icomp = 0;
    graphwr(1, 0, 0, nullptr, 0, icomp);
    const std::vector<Drawn> fills = element_fills();
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].cell, 43);
    EXPECT_NEAR(cxmin.XMIN, 1.5 - 1.1 * 0.5, 1e-6);
    EXPECT_NEAR(cxmin.XMAX, 1.5 + 1.1 * 0.5, 1e-6);
}

TEST_F(GraphTest, ResetClearsTheComponent) {
    deck("PLOT,RESET\n");
    read();
    cinout.LUIN = cinout.LUKBD;
    for (auto draw : {&graph, &graphwr}) {
        int icomp = 7;
        draw(1, 0, 0, nullptr, 0, icomp);
        EXPECT_EQ(icomp, 0);
    }
}

}  // namespace
}  // namespace kavren::testing
