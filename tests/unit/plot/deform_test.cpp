// The deformed-mesh drawing: outline points by side order, the frame fitted
// to the displaced elements, and the options kept between calls.
#include "plot/deform.hpp"

#include <gtest/gtest.h>

#include "plot_fixture.hpp"
#include "records/deform.hpp"
#include "records/meshgen.hpp"
#include "records/plot.hpp"

namespace kavren::testing {
namespace {

class GraphdTest : public PlotTest {
  protected:
    void SetUp() override {
        PlotTest::SetUp();
        csetf.ISCUR = 1;
        cinout.LUIN = cinout.LUKBD;
        cdefor = Cdefor{};
    }
    const double* du() { return cunew.UNEW.data(); }
    const double* dv() { return cuold.UOLD.data(); }  // zero in every test
};

TEST_F(GraphdTest, ZeroDisplacementKeepsTheOutline) {
    MeshBuilder b(1, 1);
    b.default_order(2);
    b.edge_order(1, 1, 1);
    ASSERT_EQ(b.build(), "");
    record("SCALE=7");
    graphd(du(), dv());
    // Side 1 of order 1 by its end points, the others by 9: 2 + 3 * 8 - 1
    // points (vertex 1 closes the outline).
    ASSERT_EQ(cdefor2.NSIDPT - 2, 1 + 3 * 8);
    for (int i = 1; i < cdefor2.NSIDPT; ++i)
        for (int c = 1; c <= 2; ++c) EXPECT_EQ(cdefor2.DEFPT(c, i), cdefor2.SIDPT(c, i));
    EXPECT_EQ(cdefor2.SIDPT(1, 1), 0.0);
    EXPECT_EQ(cdefor2.SIDPT(1, 2), 1.0);  // the other end of side 1
    EXPECT_NEAR(cxmin.XMIN, 0.5 - 1.100000023841858 * 0.5, 1e-12);
}

TEST_F(GraphdTest, DisplacementAlongXStretchesTheFrame) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });  // into UNEW
    record("SCALE=1,MESH=OFF");
    graphd(du(), dv());
    // The outline runs over x in [0, 2]; the frame widens it by 1.1.
    EXPECT_NEAR(cxmin.XMIN, 1.0 - 1.100000023841858, 1e-12);
    EXPECT_NEAR(cxmin.XMAX, 1.0 + 1.100000023841858, 1e-12);
    EXPECT_EQ(cdefor2.DEFPT(1, 2), 2.0);
    EXPECT_EQ(cdefor2.DEFPT(2, 3), 1.0);
    EXPECT_EQ(cdefor2.DEFPT(1, 3), 2.0);
}

TEST_F(GraphdTest, ScaleAndMeshAreKeptTheSetIsNot) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    record("SCALE=0.5,MESH=OFF");
    graphd(du(), dv());
    EXPECT_EQ(cdefor.SCALE, 0.5);
    EXPECT_EQ(cdefor.IMESH, 0);
    csetf.ISCUR = 2;
    record("LASER=X");
    graphd(du(), dv());
    EXPECT_EQ(cdefor.SCALE, 0.5);
    EXPECT_EQ(cdefor.IMESH, 0);
    EXPECT_EQ(csetf.ISCUR, 1);
    record("MESH=ON");
    graphd(du(), dv());
    EXPECT_EQ(cdefor.IMESH, 1);
    EXPECT_EQ(ctitle.CTITLE.trimmed(), "DISPLACEMENTS");
}

TEST(Quaind, PointsFollowTheSideOrder) {
    NodePoints xn;
    const double corner[4][2] = {{0, 0}, {2, 0}, {2, 1}, {0, 1}};
    for (int k = 1; k <= 4; ++k) {
        xn(1, k) = corner[k - 1][0], xn(2, k) = corner[k - 1][1];
        xn(1, 4 + k) = (corner[k - 1][0] + corner[k % 4][0]) / 2;
        xn(2, 4 + k) = (corner[k - 1][1] + corner[k % 4][1]) / 2;
    }
    xn(1, 9) = 1.0, xn(2, 9) = 0.5;
    cdefor = Cdefor{};
    cdefor2 = Cdefor2{};
    for (int k = 1; k <= 9; ++k) cdefor.LOC(k) = k <= 4 ? 1 : 0;
    // A constant displacement (0.5, -1) on the vertex functions.
    for (int i = 1; i <= 4; ++i) cdefor2.DOFX(i) = 0.5, cdefor2.DOFY(i) = -1.0;
    cdefor.SCALE = 2.0;
    quaind(3, 1, xn);
    quaind(4, 3, xn);
    ASSERT_EQ(cdefor2.NSIDPT, 1 + 2 + 9);
    // Side 3 from vertex 3 to 4, then side 4 from 4 down to 1.
    EXPECT_EQ(cdefor2.SIDPT(1, 1), 2.0);
    EXPECT_EQ(cdefor2.SIDPT(1, 2), 0.0);
    EXPECT_EQ(cdefor2.SIDPT(2, 3), 1.0);
    EXPECT_EQ(cdefor2.SIDPT(2, 11), 0.0);
    for (int i = 1; i < cdefor2.NSIDPT; ++i) {
        EXPECT_DOUBLE_EQ(cdefor2.DEFPT(1, i), cdefor2.SIDPT(1, i) + 1.0);
        EXPECT_DOUBLE_EQ(cdefor2.DEFPT(2, i), cdefor2.SIDPT(2, i) - 2.0);
    }
}

}  // namespace
}  // namespace kavren::testing
