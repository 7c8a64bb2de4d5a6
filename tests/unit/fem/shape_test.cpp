// Element shape functions and the 9-node geometry map.
#include "fem/shape.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "fem/fesol.hpp"
#include "fem/mesh_seams.hpp"
#include "fem_support.hpp"
#include "records/limits.hpp"

namespace kavren::testing {
namespace {

struct OrderCase {
    int nord[9];
    int count;
};
const OrderCase kOrders[] = {
    {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 4},
    {{1, 1, 1, 1, 2, 3, 2, 3, 2}, 11},
    {{1, 1, 1, 1, 8, 8, 8, 8, 8}, 81},
    {{1, 1, 1, 1, 1, 1, 1, 1, 8}, 53},  // interior order 8 with order-1 edges
    {{1, 1, 1, 1, 5, 2, 7, 4, 3}, 4 + 4 + 1 + 6 + 3 + 4},
};

TEST(ElementFunctions, CountFollowsTheOrders) {
    for (const auto& c : kOrders) EXPECT_EQ(element_nfun(c.nord), c.count);
}

// Every element function is the documented product of 1-D functions, in the
// documented order, also when the interior order exceeds the edge orders.
TEST(ElementFunctions, AreProductsOfOneDimensionalFunctionsInOrder) {
    build_tables();
    double val[MAX_ELFUN], dxi[MAX_ELFUN], deta[MAX_ELFUN];
    for (const auto& c : kOrders) {
        std::vector<Pair> pairs = element_pairs(c.nord);
        ASSERT_EQ(static_cast<int>(pairs.size()), c.count);
        for (double xi : {-0.7, 0.1, 0.95})
            for (double eta : {-0.4, 0.6}) {
                shape2(c.nord, xi, eta, val);
                dshap2(c.nord, xi, eta, dxi, deta);
                for (int k = 0; k < c.count; ++k) {
                    const Pair& p = pairs[k];
                    SCOPED_TRACE(::testing::Message()
                                 << "count " << c.count << " function " << k + 1);
                    EXPECT_NEAR(val[k], fun1d(p.a, xi) * fun1d(p.b, eta), 1e-14);
                    EXPECT_NEAR(dxi[k], dfun1d(p.a, xi) * fun1d(p.b, eta), 1e-13);
                    EXPECT_NEAR(deta[k], fun1d(p.a, xi) * dfun1d(p.b, eta), 1e-13);
                }
            }
    }
    // Position 5 of orders (2,3,2,3,2) is G1 F3.
    shape2(kOrders[1].nord, 0.3, -0.2, val);
    EXPECT_NEAR(val[4], fun1d(1, -0.2) * fun1d(3, 0.3), 1e-15);
}

TEST(ElementFunctions, SecondDerivativesMatchDifferencesOfFirst) {
    build_tables();
    const int nord[9] = {1, 1, 1, 1, 4, 6, 3, 5, 3};
    const int n = element_nfun(nord);
    double xx[MAX_ELFUN], xy[MAX_ELFUN], yx[MAX_ELFUN], yy[MAX_ELFUN];
    double dxp[MAX_ELFUN], dep[MAX_ELFUN], dxm[MAX_ELFUN], dem[MAX_ELFUN];
    const double xi = 0.31, eta = -0.57, h = 1e-6;
    ddshap2(nord, xi, eta, xx, xy, yx, yy);
    dshap2(nord, xi + h, eta, dxp, dep);
    dshap2(nord, xi - h, eta, dxm, dem);
    for (int k = 0; k < n; ++k) {
        EXPECT_NEAR(xx[k], (dxp[k] - dxm[k]) / (2 * h), 1e-7) << k;
        EXPECT_NEAR(xy[k], (dep[k] - dem[k]) / (2 * h), 1e-7) << k;
        EXPECT_EQ(xy[k], yx[k]);
    }
    dshap2(nord, xi, eta + h, dxp, dep);
    dshap2(nord, xi, eta - h, dxm, dem);
    for (int k = 0; k < n; ++k) EXPECT_NEAR(yy[k], (dep[k] - dem[k]) / (2 * h), 1e-7) << k;
}

TEST(ElementFunctions, VertexFunctionsAreAPartitionOfUnityAndTheIdentityAtVertices) {
    build_tables();
    const int nord[9] = {1, 1, 1, 1, 8, 8, 8, 8, 8};
    double val[MAX_ELFUN];
    const double vx[4] = {-1, 1, 1, -1}, vy[4] = {-1, -1, 1, 1};
    for (int v = 0; v < 4; ++v) {
        shape2(nord, vx[v], vy[v], val);
        for (int k = 0; k < 81; ++k)
            EXPECT_NEAR(val[k], k == v ? 1.0 : 0.0, 1e-15) << v << " " << k;
    }
    std::mt19937 gen(3);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int t = 0; t < 20; ++t) {
        shape2(nord, u(gen), u(gen), val);
        EXPECT_NEAR(val[0] + val[1] + val[2] + val[3], 1.0, 1e-15);
    }
}

// Edge functions vanish on the three other edges, interior functions on all four.
TEST(ElementFunctions, EdgeAndInteriorFunctionsVanishWhereTheyShould) {
    build_tables();
    const int nord[9] = {1, 1, 1, 1, 8, 8, 8, 8, 8};
    double val[MAX_ELFUN];
    // The edge a function belongs to: 1..4, 0 for a vertex, 5 for the interior.
    auto owner = [](int k) { return k < 4 ? 0 : (k < 4 + 4 * 7 ? 1 + (k - 4) / 7 : 5); };
    for (int edge = 1; edge <= 4; ++edge)
        for (double s : {-0.9, -0.3, 0.2, 0.8}) {
            double xi = edge == 1 || edge == 3 ? s : (edge == 2 ? 1.0 : -1.0);
            double eta = edge == 2 || edge == 4 ? s : (edge == 1 ? -1.0 : 1.0);
            shape2(nord, xi, eta, val);
            for (int k = 4; k < 81; ++k)
                if (owner(k) != edge) {
                    EXPECT_NEAR(val[k], 0.0, 1e-15) << "edge " << edge << " k " << k;
                }
        }
}

// An affine map x = a XI + b, y = c ETA + d, and a curved one (a sector of an annulus).
void affine(double xi, double eta, double& x, double& y) {
    x = 1.5 * xi + 2.0;
    y = 0.5 * eta - 1.0;
}
void annulus(double xi, double eta, double& x, double& y) {
    double r = 2.0 + 0.5 * xi, th = 0.4 + 0.3 * eta;
    x = r * std::cos(th);
    y = r * std::sin(th);
}

TEST(GeometryMap, AffineElementHasConstantJacobianAndInverse) {
    auto xnod = nodes_of(affine);
    for (double xi : {-1.0, -0.2, 0.7})
        for (double eta : {-0.6, 1.0}) {
            double x, y, dxdxi, dxdeta, dydxi, dydeta, dxidx, dxidy, detadx, detady, detj;
            bjcbian(xnod.data(), xi, eta, dxdxi, dxdeta, dydxi, dydeta, x, y, dxidx, dxidy, detadx,
                    detady, detj);
            double ex, ey;
            affine(xi, eta, ex, ey);
            EXPECT_NEAR(x, ex, 1e-15);
            EXPECT_NEAR(y, ey, 1e-15);
            EXPECT_NEAR(detj, 0.75, 1e-15);
            EXPECT_NEAR(dxidx, 1.0 / 1.5, 1e-14);
            EXPECT_NEAR(detady, 2.0, 1e-14);
            EXPECT_NEAR(dxidy, 0.0, 1e-15);
            EXPECT_NEAR(detadx, 0.0, 1e-15);
        }
}

TEST(GeometryMap, CurvedElementReproducesItsNodesAndItsJacobian) {
    auto xnod = nodes_of(annulus);
    const double mx[9] = {-1, 1, 1, -1, 0, 1, 0, -1, 0};
    const double my[9] = {-1, -1, 1, 1, -1, 0, 1, 0, 0};
    for (int k = 0; k < 9; ++k) {
        double x, y, a, b, c, d, detj;
        jcbian(xnod.data(), mx[k], my[k], x, y, a, b, c, d, detj);
        EXPECT_EQ(x, xnod[2 * k]) << k;
        EXPECT_EQ(y, xnod[2 * k + 1]) << k;
    }
    // The Jacobian is that of the biquadratic map (by differences) and the
    // inverse derivatives invert the map derivatives.
    const double h = 1e-6;
    for (double xi : {-0.8, 0.0, 0.45})
        for (double eta : {-0.3, 0.9}) {
            double x, y, dxdxi, dxdeta, dydxi, dydeta, dxidx, dxidy, detadx, detady, detj;
            bjcbian(xnod.data(), xi, eta, dxdxi, dxdeta, dydxi, dydeta, x, y, dxidx, dxidy, detadx,
                    detady, detj);
            double xp, yp, xm, ym, u1, u2, u3, u4, u5;
            jcbian(xnod.data(), xi + h, eta, xp, yp, u1, u2, u3, u4, u5);
            jcbian(xnod.data(), xi - h, eta, xm, ym, u1, u2, u3, u4, u5);
            EXPECT_NEAR(dxdxi, (xp - xm) / (2 * h), 1e-8);
            EXPECT_NEAR(dydxi, (yp - ym) / (2 * h), 1e-8);
            jcbian(xnod.data(), xi, eta + h, xp, yp, u1, u2, u3, u4, u5);
            jcbian(xnod.data(), xi, eta - h, xm, ym, u1, u2, u3, u4, u5);
            EXPECT_NEAR(dxdeta, (xp - xm) / (2 * h), 1e-8);
            EXPECT_NEAR(dydeta, (yp - ym) / (2 * h), 1e-8);
            EXPECT_NEAR(detj, dxdxi * dydeta - dxdeta * dydxi, 1e-15);
            EXPECT_NEAR(dxidx * dxdxi + dxidy * dydxi, 1.0, 1e-14);
            EXPECT_NEAR(dxidx * dxdeta + dxidy * dydeta, 0.0, 1e-14);
            EXPECT_NEAR(detadx * dxdxi + detady * dydxi, 0.0, 1e-14);
            EXPECT_NEAR(detadx * dxdeta + detady * dydeta, 1.0, 1e-14);
        }
}

TEST(GeometryMap, LagrangeFunctionsSumToOne) {
    double v[9], dx[9], dy[9];
    lagr2d(0.37, -0.81, v, dx, dy);
    double s = 0, sx = 0, sy = 0;
    for (int k = 0; k < 9; ++k) {
        s += v[k];
        sx += dx[k];
        sy += dy[k];
    }
    EXPECT_NEAR(s, 1.0, 1e-15);
    EXPECT_NEAR(sx, 0.0, 1e-15);
    EXPECT_NEAR(sy, 0.0, 1e-15);
}

TEST(GeometryMap, GetcoordInvertsTheMap) {
    auto xnod = nodes_of(annulus);
    for (double xi : {-0.9, 0.2, 0.8})
        for (double eta : {-0.5, 0.7}) {
            double x, y, a, b, c, d, detj;
            jcbian(xnod.data(), xi, eta, x, y, a, b, c, d, detj);
            double gx = 0.0, ge = 0.0;
            getcoord(xnod.data(), x, y, gx, ge);
            // Newton stops after a correction below 1e-3; it converges quadratically.
            EXPECT_NEAR(gx, xi, 1e-5);
            EXPECT_NEAR(ge, eta, 1e-5);
        }
}

TEST(GeometryMap, GetcoordEndsTheRunWhenNewtonFails) {
    // A collapsed element: every node at the origin.
    std::vector<double> xnod(18, 0.0);
    double xi = 0.0, eta = 0.0;
    EXPECT_EXIT(getcoord(xnod.data(), 1.0, 1.0, xi, eta), ::testing::ExitedWithCode(1), "");
}

TEST(Interp, SumsTheElementValuesAgainstTheFunctions) {
    build_tables();
    auto xnod = nodes_of(affine);
    // Edges of orders 3, 2, 1, 4 and interior order 3: 2, 1, 0, 3 and 4 dofs.
    const int ndofl[9] = {1, 1, 1, 1, 2, 1, 0, 3, 4};
    const int nord[9] = {1, 1, 1, 1, 3, 2, 1, 4, 3};
    const int n = element_nfun(nord);
    ASSERT_EQ(n, 4 + 2 + 1 + 0 + 3 + 4);
    std::vector<double> ue(n);
    for (int k = 0; k < n; ++k) ue[k] = 0.5 + 0.25 * k;
    double val[MAX_ELFUN];
    shape2(nord, 0.3, -0.4, val);
    double expected = 0.0;
    for (int k = 0; k < n; ++k) expected += ue[k] * val[k];
    double u, x, y;
    interp(7, ndofl, ue.data(), xnod.data(), 0.3, -0.4, u, x, y);
    EXPECT_NEAR(u, expected, 1e-14);
    EXPECT_NEAR(x, 1.5 * 0.3 + 2.0, 1e-15);
}

// An element of the mesh database as the solution readers see it: the
// annulus sector with orders (3, 2, 4, 1, 2); component c of the new solution
// has values c + 0.1 k, the old solution their negatives.
bool sector_element(int nel, int which, ElementValues& ev) {
    if (nel != 5) return false;
    const int nord[9] = {1, 1, 1, 1, 3, 2, 4, 1, 2};
    std::copy(nord, nord + 9, ev.nord);
    auto xnod = nodes_of(annulus);
    std::copy(xnod.begin(), xnod.end(), ev.xnod);
    ev.ndofe = element_nfun(nord);
    for (int c = 0; c < 4; ++c)
        for (int k = 0; k < ev.ndofe; ++k)
            ev.ue[c * MAX_ELFUN + k] = (which == 2 ? 1.0 : -1.0) * (c + 1 + 0.1 * k);
    return true;
}

TEST(SolutionReaders, EvaluateTheElementValuesAndTheirDerivatives) {
    build_tables();
    HookGuard<ElementValuesSource> guard(element_values_hook, &sector_element);
    const double xi = 0.2, eta = -0.6;
    ElementValues ev;
    ASSERT_TRUE(sector_element(5, 2, ev));
    double val[MAX_ELFUN];
    shape2(ev.nord, xi, eta, val);
    double u[4], uo[4];
    nfesol(5, xi, eta, u);
    ofesol(5, xi, eta, uo);
    for (int c = 0; c < 4; ++c) {
        double expected = 0.0;
        for (int k = 0; k < ev.ndofe; ++k) expected += ev.ue[c * MAX_ELFUN + k] * val[k];
        EXPECT_NEAR(u[c], expected, 1e-14);
        EXPECT_NEAR(uo[c], -expected, 1e-14);
    }
    // Derivatives in x and y, against differences along the map's directions.
    double x, y, u1[4], dx[4], dy[4];
    nfesol1(5, xi, eta, x, y, u1, dx, dy);
    double px, py, a, b, c, d, detj;
    jcbian(ev.xnod, xi, eta, px, py, a, b, c, d, detj);
    EXPECT_EQ(x, px);
    EXPECT_EQ(y, py);
    const double h = 1e-6;
    for (auto [sx, se] : {std::pair{1.0, 0.0}, {0.0, 1.0}}) {
        double up[4], um[4], xp, yp, xm, ym, t[4], t2[4];
        nfesol1(5, xi + h * sx, eta + h * se, xp, yp, up, t, t2);
        nfesol1(5, xi - h * sx, eta - h * se, xm, ym, um, t, t2);
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(u1[k], u[k], 1e-14);
            // Chain rule: du/dmaster = du/dx dx/dmaster + du/dy dy/dmaster.
            const double along = dx[k] * (xp - xm) + dy[k] * (yp - ym);
            EXPECT_NEAR(along, up[k] - um[k], 1e-9);
        }
    }
    // An element the database cannot give yields zeros.
    nfesol(6, xi, eta, u);
    EXPECT_EQ(u[0], 0.0);
}

}  // namespace
}  // namespace kavren::testing
