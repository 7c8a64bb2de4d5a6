// The increment space: its size, the closed forms at order 0, vanishing at the
// vertices and on the other edges, the orthogonality of the edge and interior
// functions, derivatives against difference quotients, and the stop on a
// degree above 9.
#include "adapt/increment.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "adapt_fixture.hpp"
#include "records/fem.hpp"

namespace kavren::testing {
namespace {

// An order vector with edges e1..e4 and interior p.
std::vector<int> orders(int e1, int e2, int e3, int e4, int p) {
    return {1, 1, 1, 1, e1, e2, e3, e4, p};
}

TEST(Increment, SizeDependsOnTheInteriorOrderAlone) {
    for (int p = 0; p <= 8; ++p) {
        const std::vector<int> o = orders(1 + p % 3, 8, 2, 5, p);
        EXPECT_EQ(increment_count(o.data()), p == 0 ? 5 : 2 * p + 3) << p;
    }
}

TEST(Increment, ClosedFormsAtOrderZeroAndOne) {
    for (int p : {0, 1}) {
        const std::vector<int> o = orders(p, p, p, p, p);
        for (double xi : {-0.7, 0.1, 0.9})
            for (double eta : {-0.3, 0.55}) {
                double v[MAX_INC_FUN];
                shapeb(o.data(), xi, eta, v);
                const double bx = xi * xi - 1, by = eta * eta - 1;
                EXPECT_NEAR(v[0], bx * (1 - eta) / 2, 1e-15);
                EXPECT_NEAR(v[1], by * (1 + xi) / 2, 1e-15);
                EXPECT_NEAR(v[2], bx * (1 + eta) / 2, 1e-15);
                EXPECT_NEAR(v[3], by * (1 - xi) / 2, 1e-15);
                EXPECT_NEAR(v[4], bx * by, 1e-15);
            }
    }
}

TEST(Increment, FunctionsVanishAtVerticesAndOnOtherEdges) {
    for (int q = 1; q <= 8; ++q) {
        // Every edge order, edges of different orders, interiors low and high.
        for (int p : {1, q, 8}) {
            const std::vector<int> o = orders(q, q % 8 + 1, (q + 3) % 8 + 1, 9 - q, p);
            const int nb = increment_count(o.data());
            double v[MAX_INC_FUN];
            for (double xi : {-1.0, 1.0})
                for (double eta : {-1.0, 1.0}) {
                    shapeb(o.data(), xi, eta, v);
                    for (int k = 0; k < nb; ++k) EXPECT_EQ(v[k], 0.0) << q << " " << k;
                }
            for (int e = 1; e <= 4; ++e)
                for (double t : {-0.83, -0.2, 0.37, 0.91}) {
                    const double xi = e == 1 || e == 3 ? t : (e == 2 ? 1.0 : -1.0);
                    const double eta = e == 2 || e == 4 ? t : (e == 1 ? -1.0 : 1.0);
                    shapeb(o.data(), xi, eta, v);
                    for (int k = 1; k <= nb; ++k) {
                        if (k == e) continue;
                        EXPECT_NEAR(v[k - 1], 0.0, 1e-14) << q << " " << e << " " << k;
                    }
                    EXPECT_NE(v[e - 1], 0.0);
                }
        }
    }
}

// A Gauss-Legendre rule of 10 points (exact to degree 19) from the shared table.
struct Gauss10 {
    double x[10], w[10];
    Gauss10() {
        for (int i = 1; i <= 10; ++i) {
            x[i - 1] = cint.XG(i, 10);
            w[i - 1] = cint1.WG(i, 10);
        }
    }
};

using IncrementTables = AdaptTest;

// Orthogonality holds to the rounding of the single-precision coefficients:
// an inner product is measured against the norms of the products it was made
// from, before their lower parts were taken off.
TEST_F(IncrementTables, EdgeFunctionsAreOrthogonalInTheSeminorm) {
    const Gauss10 g;
    // E_n' along edge 1 is the xi-derivative of VAL(1) on eta = -1.
    auto dedge = [](int n, double x) {
        const std::vector<int> o = orders(n - 1, 1, 1, 1, 1);
        double dx[MAX_INC_FUN], de[MAX_INC_FUN];
        dshapb(o.data(), x, -1.0, dx, de);
        return dx[0];
    };
    auto db = [](int n, double x) {
        double d[10];
        dshapol1(9, x, d);
        return d[n];
    };
    for (int n = 2; n <= 9; ++n)
        for (int m = 2; m < n; ++m) {
            double s = 0, nn = 0, mm = 0;
            for (int i = 0; i < 10; ++i) {
                s += g.w[i] * dedge(n, g.x[i]) * dedge(m, g.x[i]);
                nn += g.w[i] * db(n, g.x[i]) * db(n, g.x[i]);
                mm += g.w[i] * db(m, g.x[i]) * db(m, g.x[i]);
            }
            EXPECT_LT(std::fabs(s), 1e-6 * std::sqrt(nn * mm)) << n << " " << m;
        }
}

TEST_F(IncrementTables, InteriorFunctionsAreOrthogonalToTheLowerProducts) {
    const Gauss10 g;
    // Gradient of B(k, l) = b_k(xi) b_l(eta) at (x, y).
    auto grad_b = [](int k, int l, double x, double y, double& bx, double& by) {
        double px[10], py[10], dpx[10], dpy[10];
        shapeol1(9, x, px);
        shapeol1(9, y, py);
        dshapol1(9, x, dpx);
        dshapol1(9, y, dpy);
        bx = dpx[k] * py[l];
        by = px[k] * dpy[l];
    };
    for (int idg = 3; idg <= 9; ++idg) {
        const std::vector<int> o = orders(1, 1, 1, 1, idg - 1);
        const int nb = increment_count(o.data());
        ASSERT_EQ(nb, 2 * idg + 1);
        for (int f = 5; f <= nb; ++f) {
            // The product the function was made from: (IDG, 2..IDG-1), then (2..IDG, IDG).
            const int fn = f - 4;
            const int fi = fn <= idg - 2 ? idg : fn - idg + 3;
            const int fj = fn <= idg - 2 ? fn + 1 : idg;
            for (int k = 2; k < idg; ++k)
                for (int l = 2; l < idg; ++l) {
                    double s = 0, ff = 0, bb = 0;
                    for (int i = 0; i < 10; ++i)
                        for (int j = 0; j < 10; ++j) {
                            double dx[MAX_INC_FUN], de[MAX_INC_FUN];
                            dshapb(o.data(), g.x[i], g.x[j], dx, de);
                            double bx, by, rx, ry;
                            grad_b(k, l, g.x[i], g.x[j], bx, by);
                            grad_b(fi, fj, g.x[i], g.x[j], rx, ry);
                            const double w = g.w[i] * g.w[j];
                            s += w * (dx[f - 1] * bx + de[f - 1] * by);
                            ff += w * (rx * rx + ry * ry);
                            bb += w * (bx * bx + by * by);
                        }
                    EXPECT_LT(std::fabs(s), 1e-6 * std::sqrt(ff * bb))
                        << "IDG " << idg << " function " << f << " B(" << k << "," << l << ")";
                }
        }
    }
}

TEST(Increment, DerivativesAreDifferenceQuotientsOfTheValues) {
    const std::vector<std::vector<int>> cases = {
        orders(1, 1, 1, 1, 0), orders(2, 3, 2, 2, 2), orders(1, 1, 1, 1, 8),
        orders(8, 7, 6, 5, 4), orders(3, 8, 1, 5, 6), orders(8, 8, 8, 8, 8)};
    const double h = 1e-6;
    for (const std::vector<int>& o : cases) {
        const int nb = increment_count(o.data());
        for (double xi : {-0.9, -0.31, 0.44, 0.77})
            for (double eta : {-0.66, 0.05, 0.93}) {
                double dx[MAX_INC_FUN], de[MAX_INC_FUN], vp[MAX_INC_FUN], vm[MAX_INC_FUN];
                dshapb(o.data(), xi, eta, dx, de);
                shapeb(o.data(), xi + h, eta, vp);
                shapeb(o.data(), xi - h, eta, vm);
                for (int k = 0; k < nb; ++k)
                    EXPECT_NEAR(dx[k], (vp[k] - vm[k]) / (2 * h), 1e-6) << o[8] << " " << k;
                shapeb(o.data(), xi, eta + h, vp);
                shapeb(o.data(), xi, eta - h, vm);
                for (int k = 0; k < nb; ++k)
                    EXPECT_NEAR(de[k], (vp[k] - vm[k]) / (2 * h), 1e-6) << o[8] << " " << k;
            }
    }
}

using IncrementStop = AdaptTest;

TEST_F(IncrementStop, OrderNineStopsWithTheRoutinesMessage) {
    struct Case {
        std::vector<int> o;
        bool derivative;
        const char* message;
    };
    const Case cases[] = {
        {orders(1, 1, 1, 9, 1), false, " TO HIGH IDG IN SHAPEB - STOP"},
        {orders(2, 2, 2, 2, 9), true, " TO HIGH IDG IN DSHAPB - STOP"},
    };
    for (const Case& c : cases) {
        const std::size_t m = mark();
        double v[MAX_INC_FUN + 4], d[MAX_INC_FUN + 4];
        if (c.derivative)
            EXPECT_EXIT(dshapb(c.o.data(), 0.1, 0.2, v, d), ::testing::ExitedWithCode(1), "");
        else
            EXPECT_EXIT(shapeb(c.o.data(), 0.1, 0.2, v), ::testing::ExitedWithCode(1), "");
        EXPECT_NE(since(m).find(c.message), std::string::npos) << since(m);
    }
}

}  // namespace
}  // namespace kavren::testing
