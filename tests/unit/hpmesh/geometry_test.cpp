#include "hpmesh/geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "hpmesh/spline.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "support/units.hpp"

namespace kavren::testing {
namespace {

using GeometryTest = MeshTest;

constexpr double DEG = 3.14159265358979323846 / 180.0;

struct Pt {
    double x, y;
};

Pt node_xy(int nel, int k) {
    int slot = 0;
    findno(nel, slot);
    const int node = celem.NICK(k, slot) / 100;
    return {cnode.XNOD(1, node), cnode.XNOD(2, node)};
}

void expect_at(const Arr2<double, 2, 9>& x, int k, Pt p, double tol = 1e-15) {
    EXPECT_NEAR(x(1, k), p.x, tol) << "local node " << k;
    EXPECT_NEAR(x(2, k), p.y, tol) << "local node " << k;
}

TEST_F(GeometryTest, AnOrderOneElementTakesSideMiddlesAndTheMeanOfItsVertices) {
    MeshBuilder b(1, 1);
    b.map([](double x, double y) { return std::array<double, 2>{x + 0.3 * y, y + 0.2 * x * x}; });
    ASSERT_EQ(b.build(), "");
    Arr2<double, 2, 9> x;
    nodcor(1, x);
    const Pt v[5] = {{0, 0}, {0, 0}, {1, 0.2}, {1.3, 1.2}, {0.3, 1}};
    for (int k = 1; k <= 4; ++k) expect_at(x, k, v[k]);
    for (int k = 1; k <= 4; ++k) {
        const int kp = k % 4 + 1;
        expect_at(x, k + 4, {0.5 * (v[k].x + v[kp].x), 0.5 * (v[k].y + v[kp].y)});
    }
    expect_at(x, 9, {0.65, 0.6});
}

TEST_F(GeometryTest, NodesOfHigherOrderArePlacedWhereTheyStand) {
    MeshBuilder b(1, 1);
    b.default_order(3);
    b.map([](double x, double y) { return std::array<double, 2>{x + 0.25 * y * y, y - 0.1 * x}; });
    ASSERT_EQ(b.build(), "");
    Arr2<double, 2, 9> x;
    nodcor(1, x);
    for (int k = 1; k <= 9; ++k) expect_at(x, k, node_xy(1, k));
    expect_at(x, 5, {0.5, -0.05});
}

// Element 2 of two cut into four: its left quarters hang on element 1's side 2.
TEST_F(GeometryTest, AHangingVertexOnAStraightOrderOneSideIsItsMiddle) {
    MeshBuilder b(2, 1);
    const auto s = b.split4(2);
    ASSERT_EQ(b.build(), "");
    Arr2<double, 2, 9> x;
    nodcor(s[0], x);  // vertex 4 hangs on its side 4
    expect_at(x, 4, {1, 0.5});
    expect_at(x, 8, {1, 0.25});
    expect_at(x, 1, {1, 0});
    expect_at(x, 3, {1.5, 0.5});
    nodcor(s[3], x);  // vertex 1 hangs on its side 4, the side before it
    expect_at(x, 1, {1, 0.5});
    expect_at(x, 8, {1, 0.75});
    expect_at(x, 9, {1.25, 0.75});
}

TEST_F(GeometryTest, AHangingVertexOnACurvedSideLiesOnTheParabolaThroughItsNodes) {
    MeshBuilder b(2, 1);
    const auto s = b.split4(2);
    b.order(1, 2);
    ASSERT_EQ(b.build(), "");
    // Element 1's side-2 node off the chord, as on a curved boundary.
    int slot = 0;
    findno(1, slot);
    const int mid = celem.NICK(6, slot) / 100;
    cnode.XNOD(1, mid) += 0.1;
    Arr2<double, 2, 9> x;
    nodcor(s[0], x);
    expect_at(x, 4, {1.1, 0.5});
    expect_at(x, 8, {1.075, 0.25});
    nodcor(s[3], x);
    expect_at(x, 1, {1.1, 0.5});
    expect_at(x, 8, {1.075, 0.75});
}

TEST_F(GeometryTest, HanocoFollowsTheParabolaOrTheChord) {
    cnode.XNOD(1, 1) = 0;
    cnode.XNOD(2, 1) = 0;
    cnode.XNOD(1, 2) = 1;
    cnode.XNOD(2, 2) = 1;
    cnode.XNOD(1, 3) = 2;
    cnode.XNOD(2, 3) = 0;
    struct Case {
        int n2;
        double t, x, y;
    };
    const Case cases[] = {{2, -1, 0, 0}, {2, 0, 1, 1}, {2, 1, 2, 0},    {2, 0.5, 1.5, 0.75},
                          {0, -1, 0, 0}, {0, 0, 1, 0}, {0, 0.5, 1.5, 0}};
    for (const Case& c : cases) {
        Arr1<double, 2> x;
        hanoco(1, c.n2, 3, c.t, x);
        EXPECT_DOUBLE_EQ(x(1), c.x) << c.n2 << " " << c.t;
        EXPECT_DOUBLE_EQ(x(2), c.y) << c.n2 << " " << c.t;
    }
}

// One ellipse record for curve 1 on boundary number 3.
void ellipse(double a, double b, double xc, double yc, double rot) {
    cgeomtyp.NCURV = 1;
    cgeomtyp.IPGEOM(1) = 1;
    cgeomtyp.NPGEOM(1) = -5;
    const double rec[5] = {a, b, xc, yc, rot};
    for (int i = 0; i < 5; ++i) cgeomtyp.GEOM(i + 1) = rec[i];
    cgeomtyp.IBCURV(3) = 101;
    cside.KIND = 3;
}

// The ellipse point of parametric angle t (degrees).
Pt on_ellipse(double a, double b, double xc, double yc, double rot, double t) {
    t *= DEG;
    return {xc + std::cos(rot) * a * std::cos(t) - std::sin(rot) * b * std::sin(t),
            yc + std::sin(rot) * a * std::cos(t) + std::cos(rot) * b * std::sin(t)};
}

TEST_F(GeometryTest, GcoordPlacesTheNewNodeMidwayAlongTheShorterArc) {
    struct Case {
        double a, b, xc, yc, rot, t1, t2, tm;
    };
    const Case cases[] = {
        {2, 1, 0, 0, 0, 0, 90, 45},         {2, 1, 0, 0, 0, 170, -170, 180},
        {2, 1, 0, 0, 0, -30, -150, -90},    {3, 2, 1, -1, 0, 100, 140, 120},
        {2, 1, 1, 1, 90 * DEG, 10, 80, 45}, {1.5, 0.5, -2, 3, 30 * DEG, 200, 250, 225},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.t1 << " to " << c.t2);
        ellipse(c.a, c.b, c.xc, c.yc, c.rot);
        const Pt p1 = on_ellipse(c.a, c.b, c.xc, c.yc, c.rot, c.t1);
        const Pt p2 = on_ellipse(c.a, c.b, c.xc, c.yc, c.rot, c.t2);
        cnode.XNOD(1, 1) = p1.x;
        cnode.XNOD(2, 1) = p1.y;
        cnode.XNOD(1, 2) = p2.x;
        cnode.XNOD(2, 2) = p2.y;
        gcoord(1, 2, 3);
        const Pt want = on_ellipse(c.a, c.b, c.xc, c.yc, c.rot, c.tm);
        EXPECT_NEAR(cnode.XNOD(1, 3), want.x, 1e-6);
        EXPECT_NEAR(cnode.XNOD(2, 3), want.y, 1e-6);
    }
}

TEST_F(GeometryTest, GcoordOnAStraightBoundaryWritesNothing) {
    cgeomtyp.IBCURV(2) = 0;
    cside.KIND = 2;
    cnode.XNOD(1, 3) = 7;
    gcoord(1, 2, 3);
    EXPECT_EQ(cnode.XNOD(1, 3), 7);
}

// Spline curve 2 of boundary number 4 through the points, stored after an
// ellipse record of 5 values.
SplineColumns spline_record(const std::vector<Pt>& p) {
    cgeomtyp.NCURV = 2;
    cgeomtyp.IPGEOM(2) = 6;
    cgeomtyp.NPGEOM(2) = static_cast<int>(p.size());
    cgeomtyp.GEOM(6) = 3.0;
    SplineColumns pts;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const int k = static_cast<int>(i) + 1;
        cgeomtyp.GEOM(6 + 2 * k - 1) = pts(k) = p[i].x;
        cgeomtyp.GEOM(6 + 2 * k) = pts(MAXSPLPT + k) = p[i].y;
    }
    cgeomtyp.IBCURV(4) = 202;
    cside.KIND = 4;
    return pts;
}

TEST_F(GeometryTest, GcoordOnASplinePlacesTheNodeAtTheMeanParameterOfItsEnds) {
    const std::vector<Pt> p = {
        {2, 0}, {1.8478, 0.7654}, {1.4142, 1.4142}, {0.7654, 1.8478}, {0, 2}};
    const SplineColumns pts = spline_record(p);
    SplineColumns coef;
    double tlen = 0.0;
    ASSERT_EQ(prepare(5, 3, tlen, pts, coef), 0);
    struct Case {
        double t1, t2;
    };
    // Ends at sample points, between them, and given in either order.
    const Case cases[] = {{0.0, x1.U(2)}, {x1.U(4), x1.U(5)}, {0.3, 1.1}, {2.9, 1.7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.t1 << " to " << c.t2);
        bspline(5, 3, c.t1, cnode.XNOD(1, 1), cnode.XNOD(2, 1), coef);
        bspline(5, 3, c.t2, cnode.XNOD(1, 2), cnode.XNOD(2, 2), coef);
        gcoord(1, 2, 3);
        double x = 0.0, y = 0.0;
        bspline(5, 3, 0.5 * (c.t1 + c.t2), x, y, coef);
        // The end parameters are found to the search's tolerance (1e-5 in distance).
        EXPECT_NEAR(cnode.XNOD(1, 3), x, 1e-5);
        EXPECT_NEAR(cnode.XNOD(2, 3), y, 1e-5);
    }
}

TEST_F(GeometryTest, GcoordOnADamagedSplineRecordWarnsAndTakesTheChordMidpoint) {
    // Two equal consecutive points: the set-up fails.
    spline_record({{0, 0}, {1, 1}, {1, 1}, {2, 0}});
    cnode.XNOD(1, 1) = 0;
    cnode.XNOD(2, 1) = 0;
    cnode.XNOD(1, 2) = 2;
    cnode.XNOD(2, 2) = 0;
    ::testing::internal::CaptureStdout();
    gcoord(1, 2, 3);
    units::flush_all();
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(cnode.XNOD(1, 3), 1.0);
    EXPECT_EQ(cnode.XNOD(2, 3), 0.0);
    EXPECT_NE(out.find(" *** SPLINE CURVE 2 CANNOT BE SET UP: THE NEW NODE IS PUT ON THE CHORD\n"),
              std::string::npos)
        << out;
}

TEST_F(GeometryTest, BiquadraticFunctionsAreOneAtTheirNodeAndSumToOne) {
    const double xi[10] = {0, -1, 1, 1, -1, 0, 1, 0, -1, 0};
    const double eta[10] = {0, -1, -1, 1, 1, -1, 0, 1, 0, 0};
    for (int k = 1; k <= 9; ++k)
        for (int n = 1; n <= 9; ++n)
            EXPECT_EQ(funsh2(k, xi[n], eta[n]), k == n ? 1.0 : 0.0) << k << " at " << n;
    double sum = 0.0, sx = 0.0;
    for (int k = 1; k <= 9; ++k) {
        sum += funsh2(k, 0.3, -0.7);
        sx += funsh2(k, 0.3, -0.7) * xi[k];
    }
    EXPECT_NEAR(sum, 1.0, 1e-15);
    EXPECT_NEAR(sx, 0.3, 1e-15);
}

TEST_F(GeometryTest, ReprojMovesTheInnerNodesOfAFourSonPatchBack) {
    MeshBuilder b(1, 1);
    b.default_order(2);
    const auto s = b.split4(1);
    ASSERT_EQ(b.build(), "");
    int slots[4];
    for (int k = 0; k < 4; ++k) findno(s[static_cast<std::size_t>(k)], slots[k]);
    // Where the builder placed them, then disturbed.
    std::vector<std::pair<int, Pt>> inner;
    auto keep = [&](int son, int k) {
        const int node = celem.NICK(k, slots[son - 1]) / 100;
        inner.push_back({node, {cnode.XNOD(1, node), cnode.XNOD(2, node)}});
    };
    keep(1, 3);
    for (int k = 1; k <= 4; ++k) {
        keep(k, 9);
        keep(k, k % 4 + 1 + 4);
    }
    for (auto& [node, p] : inner) {
        cnode.XNOD(1, node) += 0.05 * node;
        cnode.XNOD(2, node) -= 0.03;
    }
    reproj(slots[0], slots[1], slots[2], slots[3]);
    for (auto& [node, p] : inner) {
        EXPECT_DOUBLE_EQ(cnode.XNOD(1, node), p.x) << node;
        EXPECT_DOUBLE_EQ(cnode.XNOD(2, node), p.y) << node;
    }
    EXPECT_DOUBLE_EQ(inner[0].second.x, 0.5);
}

}  // namespace
}  // namespace kavren::testing
