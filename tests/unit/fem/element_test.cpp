// Element matrices and loads of the built-in problem, against the bilinear
// form and the loads computed independently with a high-order rule.
#include "fem/element.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "fem/shape.hpp"
#include "fem/solvers.hpp"
#include "fem_support.hpp"
#include "records/fem.hpp"
#include "records/limits.hpp"
#include "records/problem.hpp"

namespace kavren::testing {
namespace {

constexpr int LD = MAX_ELVAR;

//// manufactured solutions ////

// w = 1 + x - 2y + xy + 0.5 x^2 (in every element space of order >= 2 on an affine element).
void quadratic_w(double& x, double& y, double& u, double* du, double* d2u) {
    u = 1.0 + x - 2.0 * y + x * y + 0.5 * x * x;
    du[0] = 1.0 + y + x;
    du[1] = -2.0 + x;
    d2u[0] = 1.0;
    d2u[1] = d2u[2] = 1.0;
    d2u[3] = 0.0;
}
// w = x^2 y - y^3 + 2: a cubic.
void cubic_w(double& x, double& y, double& u, double* du, double* d2u) {
    u = x * x * y - y * y * y + 2.0;
    du[0] = 2.0 * x * y;
    du[1] = x * x - 3.0 * y * y;
    d2u[0] = 2.0 * y;
    d2u[1] = d2u[2] = 2.0 * x;
    d2u[3] = -6.0 * y;
}

//// elements ////

// An affine element: x = 0.3 + 1.2 XI + 0.4 ETA, y = -0.5 + 0.1 XI + 0.9 ETA.
constexpr double A = 1.2, B = 0.4, C = 0.1, D = 0.9;
void parallelogram(double xi, double eta, double& x, double& y) {
    x = 0.3 + A * xi + B * eta;
    y = -0.5 + C * xi + D * eta;
}
void annulus(double xi, double eta, double& x, double& y) {
    double r = 2.0 + 0.5 * xi, th = 0.4 + 0.3 * eta;
    x = r * std::cos(th);
    y = r * std::sin(th);
}

// Boundary description of the element under test, answered through decod2:
// kinds[0..3] the sides' kinds, kinds[4..7] their boundary numbers.
int g_kinds[8];
void test_sides(int /*nel*/, int nside, int* kinds) {
    for (int i = 0; i < 2 * nside; ++i) kinds[i] = g_kinds[i];
}

class ElementTest : public ::testing::Test {
  protected:
    void SetUp() override {
        build_tables();
        ceqsys.NREQNS = 1;
        std::fill(std::begin(g_kinds), std::end(g_kinds), 0);
        xk.assign(static_cast<std::size_t>(LD) * LD, -1.0);
        ph.assign(LD, -1.0);
    }
    void TearDown() override { reset_run(); }
    double& K(int i, int j) { return xk[(i - 1) + static_cast<std::size_t>(j - 1) * LD]; }

    std::vector<double> xk, ph;
    HookGuard<ExactSolution> exact_{problem_exact, &quadratic_w};
    HookGuard<Decod2Source> sides_{bcelem_sides, &test_sides};
};

// The bilinear form of -div grad u + u and the load of w - (w_xx + w_yy) on
// the parallelogram, with a 12-point rule a direction and the functions of
// the reference mathematics.
struct Reference {
    std::vector<double> k, f;
    int n;
};
Reference reference(const int* nord, ExactSolution w) {
    std::vector<Pair> pairs = element_pairs(nord);
    Reference r;
    r.n = static_cast<int>(pairs.size());
    r.k.assign(static_cast<std::size_t>(r.n) * r.n, 0.0);
    r.f.assign(r.n, 0.0);
    const double det = A * D - B * C;
    Rule g = gauss_rule(12);
    for (std::size_t qi = 0; qi < g.x.size(); ++qi)
        for (std::size_t qj = 0; qj < g.x.size(); ++qj) {
            const double xi = g.x[qi], eta = g.x[qj], wt = g.w[qi] * g.w[qj] * det;
            std::vector<double> v(r.n), vx(r.n), vy(r.n);
            for (int m = 0; m < r.n; ++m) {
                const Pair& p = pairs[m];
                const double dxi = dfun1d(p.a, xi) * fun1d(p.b, eta);
                const double deta = fun1d(p.a, xi) * dfun1d(p.b, eta);
                v[m] = fun1d(p.a, xi) * fun1d(p.b, eta);
                vx[m] = (D * dxi - C * deta) / det;
                vy[m] = (-B * dxi + A * deta) / det;
            }
            double x, y, u, du[2], d2u[4];
            parallelogram(xi, eta, x, y);
            w(x, y, u, du, d2u);
            const double f = u - (d2u[0] + d2u[3]);
            for (int l = 0; l < r.n; ++l) {
                r.f[l] += wt * f * v[l];
                for (int m = 0; m < r.n; ++m)
                    r.k[m + static_cast<std::size_t>(l) * r.n] +=
                        wt * (vx[m] * vx[l] + vy[m] * vy[l] + v[m] * v[l]);
            }
        }
    return r;
}

struct Orders {
    int nord[9];
};
// Interior orders at most the edge orders: the element rule is then exact.
const Orders kAffineCases[] = {
    {{1, 1, 1, 1, 1, 1, 1, 1, 1}}, {{1, 1, 1, 1, 2, 3, 2, 3, 2}}, {{1, 1, 1, 1, 3, 3, 3, 3, 3}},
    {{1, 1, 1, 1, 5, 2, 7, 4, 3}}, {{1, 1, 1, 1, 1, 6, 1, 1, 4}}, {{1, 1, 1, 1, 8, 8, 8, 8, 8}},
};

TEST_F(ElementTest, MatrixOfAnAffineElementIsTheExactBilinearForm) {
    auto xnod = nodes_of(parallelogram);
    for (const Orders& o : kAffineCases) {
        Reference r = reference(o.nord, &quadratic_w);
        SCOPED_TRACE(::testing::Message() << "functions " << r.n);
        ASSERT_EQ(melem(1, o.nord, r.n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
        double big = 0.0;
        for (double v : r.k) big = std::max(big, std::fabs(v));
        double worst = 0.0;
        for (int l = 1; l <= r.n; ++l)
            for (int m = 1; m <= r.n; ++m)
                worst = std::max(worst, std::fabs(K(m, l) - r.k[(m - 1) + (l - 1) * r.n]));
        EXPECT_LE(worst, 1e-12 * big);
        double fbig = 0.0, fworst = 0.0;
        for (int m = 1; m <= r.n; ++m) {
            fbig = std::max(fbig, std::fabs(r.f[m - 1]));
            fworst = std::max(fworst, std::fabs(ph[m - 1] - r.f[m - 1]));
        }
        EXPECT_LE(fworst, 1e-12 * fbig);
    }
}

TEST_F(ElementTest, LoadsAreExactForCubicData) {
    HookGuard<ExactSolution> cubic(problem_exact, &cubic_w);
    auto xnod = nodes_of(parallelogram);
    const int nord[9] = {1, 1, 1, 1, 2, 2, 2, 2, 2};
    Reference r = reference(nord, &cubic_w);
    ASSERT_EQ(melem(1, nord, r.n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
    for (int m = 1; m <= r.n; ++m) EXPECT_NEAR(ph[m - 1], r.f[m - 1], 1e-13) << m;
}

TEST_F(ElementTest, UnitSquareOfOrderOneGivesTheBilinearLaplaceAndMassMatrices) {
    const double h = 0.5;
    auto xnod = nodes_of([&](double xi, double eta, double& x, double& y) {
        x = 0.5 * h * (xi + 1.0);
        y = 0.5 * h * (eta + 1.0);
    });
    ceqsys.NREQNS = 3;
    const int nord[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    ASSERT_EQ(melem(1, nord, 4, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
    // Vertices counter-clockwise: neighbours differ by 1 or 3, opposites by 2.
    const double lap[3] = {2.0 / 3.0, -1.0 / 6.0, -1.0 / 3.0};
    const double mass[3] = {4.0 * h * h / 36.0, 2.0 * h * h / 36.0, 1.0 * h * h / 36.0};
    for (int ci = 0; ci < 3; ++ci)
        for (int cj = 0; cj < 3; ++cj)
            for (int i = 1; i <= 4; ++i)
                for (int j = 1; j <= 4; ++j) {
                    int d = std::abs(i - j);
                    int kind = d == 0 ? 0 : (d == 2 ? 2 : 1);
                    double expected = ci == cj ? lap[kind] + mass[kind] : 0.0;
                    EXPECT_NEAR(K(ci * 4 + i, cj * 4 + j), expected, 1e-15)
                        << ci << cj << " " << i << j;
                }
}

TEST_F(ElementTest, EveryComponentGetsTheSameBlockAndLoad) {
    auto xnod = nodes_of(annulus);
    const int nord[9] = {1, 1, 1, 1, 3, 2, 4, 2, 2};
    const int n = element_nfun(nord);
    ceqsys.NREQNS = 2;
    ASSERT_EQ(melem(3, nord, n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
    for (int l = 1; l <= n; ++l) {
        EXPECT_EQ(ph[l - 1], ph[n + l - 1]);
        for (int m = 1; m <= n; ++m) {
            EXPECT_EQ(K(m, l), K(n + m, n + l));
            EXPECT_EQ(K(n + m, l), 0.0);
            EXPECT_EQ(K(m, n + l), 0.0);
        }
    }
    // Only the element's unknowns are written: the rest of every column and
    // the columns beyond stay as they were.
    EXPECT_EQ(K(2 * n + 1, 1), -1.0);
    EXPECT_EQ(K(LD, 2 * n), -1.0);
    EXPECT_EQ(K(1, 2 * n + 1), -1.0);
}

TEST_F(ElementTest, MatrixIsSymmetricOnACurvedElement) {
    auto xnod = nodes_of(annulus);
    for (const Orders& o :
         {Orders{{1, 1, 1, 1, 3, 5, 2, 4, 3}}, Orders{{1, 1, 1, 1, 8, 8, 8, 8, 8}},
          Orders{{1, 1, 1, 1, 1, 1, 1, 1, 5}}}) {
        const int n = element_nfun(o.nord);
        ASSERT_EQ(melem(1, o.nord, n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
        double big = 0.0;
        for (int l = 1; l <= n; ++l) big = std::max(big, std::fabs(K(l, l)));
        for (int l = 1; l <= n; ++l)
            for (int m = 1; m < l; ++m) EXPECT_NEAR(K(m, l), K(l, m), 1e-14 * big) << m << "," << l;
    }
}

TEST_F(ElementTest, RuleHasLargestEdgeOrderPlusOnePointsADirection) {
    auto xnod = nodes_of(parallelogram);
    struct Case {
        int nord[9];
        int ng;
    } cases[] = {
        {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 2},
        {{1, 1, 1, 1, 2, 2, 2, 2, 3}, 3},
        {{1, 1, 1, 1, 1, 8, 1, 1, 1}, 9},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(melem(1, c.nord, element_nfun(c.nord), xnod.data(), LD, xk.data(), ph.data()),
                  ELEM_DONE);
        // The last point published is the last of the tensor rule.
        EXPECT_EQ(cmelem.IINT, c.ng);
        EXPECT_EQ(cmelem.IJNT, c.ng);
        EXPECT_EQ(cmelem.XI, cint.XG(c.ng, c.ng));
    }
}

//// a general problem ////

// Coefficient t (A11, A12, A21, A22, B1, B2, D1, D2, C) of equation i and
// component j at x: distinct non-symmetric values, some zero, one varying.
double general_coef(int t, int i, int j, double x) {
    if (t == 5 && i != j) return 0.0;  // B2 couples nothing across components
    double v = 0.1 * (t + 1) + 0.3 * i - 0.2 * j + 0.05 * i * j;
    if (t == 0 || t == 3 || t == 8) v += 2.0;  // keep the form definite-looking
    if (t == 8) v += 0.5 * x;
    return v;
}
void general_mcoeff(int ld, double x, double /*y*/, double* a11, double* a12, double* a21,
                    double* a22, double* b1, double* b2, double* d1, double* d2, double* c,
                    double* rh, double* rhx, double* rhy) {
    double* a[9] = {a11, a12, a21, a22, b1, b2, d1, d2, c};
    for (int t = 0; t < 9; ++t)
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) a[t][i + j * ld] = general_coef(t, i, j, x);
    for (int i = 0; i < 2; ++i) {
        rh[i] = 1.0 + i + x;
        rhx[i] = 0.5 - i;
        rhy[i] = i == 0 ? 0.0 : 0.25;
    }
}

TEST_F(ElementTest, EveryCoefficientEntersWithItsFactorsAndBlock) {
    HookGuard<DomainCoefficients> general(problem_mcoeff, &general_mcoeff);
    ceqsys.NREQNS = 2;
    auto xnod = nodes_of(parallelogram);
    const int nord[9] = {1, 1, 1, 1, 3, 2, 3, 2, 2};
    std::vector<Pair> pairs = element_pairs(nord);
    const int n = static_cast<int>(pairs.size());
    ASSERT_EQ(melem(1, nord, n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);

    // Reference: the domain form with the same coefficients, 12 points a direction.
    std::vector<double> kref(4 * n * n, 0.0), fref(2 * n, 0.0);
    const double det = A * D - B * C;
    Rule g = gauss_rule(12);
    for (std::size_t qi = 0; qi < g.x.size(); ++qi)
        for (std::size_t qj = 0; qj < g.x.size(); ++qj) {
            const double xi = g.x[qi], eta = g.x[qj], wt = g.w[qi] * g.w[qj] * det;
            double x, y;
            parallelogram(xi, eta, x, y);
            std::vector<double> v(n), vx(n), vy(n);
            for (int m = 0; m < n; ++m) {
                const Pair& p = pairs[m];
                const double dxi = dfun1d(p.a, xi) * fun1d(p.b, eta);
                const double deta = fun1d(p.a, xi) * dfun1d(p.b, eta);
                v[m] = fun1d(p.a, xi) * fun1d(p.b, eta);
                vx[m] = (D * dxi - C * deta) / det;
                vy[m] = (-B * dxi + A * deta) / det;
            }
            // Test (row) and trial (column) factors of each coefficient.
            const std::vector<double>* row[9] = {&vx, &vx, &vy, &vy, &v, &v, &vx, &vy, &v};
            const std::vector<double>* col[9] = {&vx, &vy, &vx, &vy, &vx, &vy, &v, &v, &v};
            for (int i = 0; i < 2; ++i) {
                for (int m = 0; m < n; ++m)
                    fref[i * n + m] += wt * ((1.0 + i + x) * v[m] + (0.5 - i) * vx[m] +
                                             (i == 0 ? 0.0 : 0.25) * vy[m]);
                for (int j = 0; j < 2; ++j)
                    for (int t = 0; t < 9; ++t) {
                        const double e = wt * general_coef(t, i, j, x);
                        for (int l = 0; l < n; ++l)
                            for (int m = 0; m < n; ++m)
                                kref[(i * n + m) + (j * n + l) * 2 * n] +=
                                    e * (*row[t])[m] * (*col[t])[l];
                    }
            }
        }
    for (int l = 1; l <= 2 * n; ++l) {
        EXPECT_NEAR(ph[l - 1], fref[l - 1], 1e-13) << l;
        for (int m = 1; m <= 2 * n; ++m)
            EXPECT_NEAR(K(m, l), kref[(m - 1) + (l - 1) * 2 * n], 1e-12) << m << "," << l;
    }
}

void general_bcoeff(int /*nel*/, int ld, int /*kind*/, int /*nbound*/, double x, double /*y*/,
                    double /*nx*/, double /*ny*/, double /*tx*/, double /*ty*/, double* att,
                    double* bt, double* pt, double* c, double* gt, double* g) {
    att[0] = 1.5;
    bt[0] = 0.7;
    pt[0] = -0.4;
    c[0] = 2.0 + x;
    gt[0] = 0.3;
    g[0] = 1.0 - x;
    (void)ld;
}

TEST_F(ElementTest, BoundaryFormTakesTangentialDerivativesAlongTheSide) {
    HookGuard<BoundaryCoefficients> general(problem_bcoeff, &general_bcoeff);
    auto xnod = nodes_of(parallelogram);
    const int p = 3;
    int nord[9] = {1, 1, 1, 1, 2, p, 1, 2, 1};
    const int n = element_nfun(nord);
    g_kinds[1] = 5;  // side 2 (XI = 1), a kind with the Gauss-Legendre rule
    g_kinds[5] = 9;
    std::fill(xk.begin(), xk.end(), 0.0);
    std::fill(ph.begin(), ph.end(), 0.0);
    ASSERT_EQ(bcelem(1, nord, n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
    // Side 2 runs from vertex 2 to vertex 3 along ETA: functions G1, G2, then
    // G3..G(p+1) at positions 4 + (2-1) + 1 onwards.
    const std::vector<int> pos = {2, 3, 6, 7};
    const double jac = std::hypot(B, D);
    std::vector<double> kref(16, 0.0), fref(4, 0.0);
    Rule g = gauss_rule(8);
    for (std::size_t q = 0; q < g.x.size(); ++q) {
        const double s = g.x[q], w = g.w[q] * jac;
        double x, y;
        parallelogram(1.0, s, x, y);
        double v[4], ds[4];
        const int fun[4] = {1, 2, 3, 4};
        for (int m = 0; m < 4; ++m) {
            v[m] = fun1d(fun[m], s);
            ds[m] = dfun1d(fun[m], s) / jac;
        }
        for (int m = 0; m < 4; ++m) {
            fref[m] += w * (0.3 * ds[m] + (1.0 - x) * v[m]);
            for (int l = 0; l < 4; ++l)
                kref[m + 4 * l] += w * (1.5 * ds[m] * ds[l] + 0.7 * ds[m] * v[l] -
                                        0.4 * v[m] * ds[l] + (2.0 + x) * v[m] * v[l]);
        }
    }
    for (int m = 0; m < 4; ++m) {
        EXPECT_NEAR(ph[pos[m] - 1], fref[m], 1e-14) << m;
        for (int l = 0; l < 4; ++l) EXPECT_NEAR(K(pos[m], pos[l]), kref[m + 4 * l], 1e-14);
    }
    EXPECT_EQ(K(1, 1), 0.0);
    EXPECT_EQ(ph[4], 0.0);  // an edge function of side 1
}

//// boundary terms ////

// Side 1 of the parallelogram (ETA = -1): its length factor and its functions
// (vertex 1, vertex 2, then the edge functions of degree 2..p).
double side1_jac() {
    return std::hypot(A, C);
}
std::vector<double> side1_functions(int p, double s) {
    std::vector<double> f = {fun1d(1, s), fun1d(2, s)};
    for (int a = 3; a <= p + 1; ++a) f.push_back(fun1d(a, s));
    return f;
}
std::vector<int> side1_positions(int p) {
    std::vector<int> pos = {1, 2};
    for (int e = 0; e < p - 1; ++e) pos.push_back(5 + e);
    return pos;
}

TEST_F(ElementTest, DirichletSideAddsThePenaltyTimesItsLobattoMassMatrix) {
    auto xnod = nodes_of(parallelogram);
    int nord[9] = {1, 1, 1, 1, 3, 2, 2, 2, 2};
    const int n = element_nfun(nord);
    g_kinds[0] = 1;  // side 1: kind 1, boundary number 1
    g_kinds[4] = 1;
    std::fill(xk.begin(), xk.end(), 0.0);
    std::fill(ph.begin(), ph.end(), 0.0);
    ASSERT_EQ(bcelem(1, nord, n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
    const int p = 3, nint = p + 1;
    std::vector<int> pos = side1_positions(p);
    std::vector<double> kref(pos.size() * pos.size(), 0.0), fref(pos.size(), 0.0);
    for (int q = 1; q <= nint; ++q) {
        const double s = cint1l.XL(q, nint), w = cint1l.WL(q, nint) * side1_jac();
        std::vector<double> f = side1_functions(p, s);
        double x, y, u, du[2], d2u[4];
        parallelogram(s, -1.0, x, y);
        quadratic_w(x, y, u, du, d2u);
        for (std::size_t m = 0; m < f.size(); ++m) {
            fref[m] += 1e8 * w * u * f[m];
            for (std::size_t l = 0; l < f.size(); ++l)
                kref[m + l * f.size()] += 1e8 * w * f[m] * f[l];
        }
    }
    for (int l = 1; l <= n; ++l) {
        auto pl = std::find(pos.begin(), pos.end(), l);
        for (int m = 1; m <= n; ++m) {
            auto pm = std::find(pos.begin(), pos.end(), m);
            double expected = pl != pos.end() && pm != pos.end()
                                  ? kref[(pm - pos.begin()) + (pl - pos.begin()) * pos.size()]
                                  : 0.0;
            EXPECT_NEAR(K(m, l), expected, 1e-6) << m << "," << l;
        }
        double expected = pl != pos.end() ? fref[pl - pos.begin()] : 0.0;
        EXPECT_NEAR(ph[l - 1], expected, 1e-6 * std::max(1.0, std::fabs(expected))) << l;
    }
}

TEST_F(ElementTest, RobinAndNeumannSidesAddTheirLoadsExactly) {
    auto xnod = nodes_of(parallelogram);
    const int p = 2;
    // Outward normal of side 1 (counter-clockwise tangent (A, C)): (C, -A) / |(A, C)|.
    const double nx = C / side1_jac(), ny = -A / side1_jac();
    struct Case {
        int kind, nbound;
        double c;     // boundary mass coefficient
        bool with_w;  // load w + dw/dn (Robin) or dw/dn (Neumann)
    } cases[] = {{5, 2, 1.0, true}, {5, 3, 0.0, false}};
    for (const Case& c : cases) {
        int nord[9] = {1, 1, 1, 1, p, 1, 1, 1, 1};
        const int n = element_nfun(nord);
        std::fill(g_kinds, g_kinds + 8, 0);
        g_kinds[0] = c.kind;
        g_kinds[4] = c.nbound;
        std::fill(xk.begin(), xk.end(), 0.0);
        std::fill(ph.begin(), ph.end(), 0.0);
        ASSERT_EQ(bcelem(1, nord, n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
        // Kind 5 takes the Gauss-Legendre rule, exact for these polynomials.
        Rule g = gauss_rule(8);
        std::vector<int> pos = side1_positions(p);
        std::vector<double> fref(pos.size(), 0.0), kref(pos.size() * pos.size(), 0.0);
        for (std::size_t q = 0; q < g.x.size(); ++q) {
            const double s = g.x[q], w = g.w[q] * side1_jac();
            std::vector<double> f = side1_functions(p, s);
            double x, y, u, du[2], d2u[4];
            parallelogram(s, -1.0, x, y);
            quadratic_w(x, y, u, du, d2u);
            const double data = (c.with_w ? u : 0.0) + nx * du[0] + ny * du[1];
            for (std::size_t m = 0; m < f.size(); ++m) {
                fref[m] += w * data * f[m];
                for (std::size_t l = 0; l < f.size(); ++l)
                    kref[m + l * f.size()] += c.c * w * f[m] * f[l];
            }
        }
        for (std::size_t m = 0; m < pos.size(); ++m) {
            EXPECT_NEAR(ph[pos[m] - 1], fref[m], 1e-14) << c.nbound << " " << m;
            for (std::size_t l = 0; l < pos.size(); ++l)
                EXPECT_NEAR(K(pos[m], pos[l]), kref[m + l * pos.size()], 1e-14);
        }
        EXPECT_EQ(ph[2], 0.0);  // vertex 3 is not on side 1
    }
}

TEST_F(ElementTest, SidesOfKindZeroAddNothingAndOrdersAreRaisedToOne) {
    auto xnod = nodes_of(parallelogram);
    int nord[9] = {1, 1, 1, 1, 2, 0, -1, 3, 0};
    std::fill(xk.begin(), xk.end(), 0.0);
    std::fill(ph.begin(), ph.end(), 0.0);
    ASSERT_EQ(bcelem(1, nord, 7, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
    EXPECT_TRUE(std::all_of(xk.begin(), xk.end(), [](double v) { return v == 0.0; }));
    EXPECT_TRUE(std::all_of(ph.begin(), ph.end(), [](double v) { return v == 0.0; }));
    const int raised[9] = {1, 1, 1, 1, 2, 1, 1, 3, 1};
    EXPECT_TRUE(std::equal(nord, nord + 9, raised));
}

// One element with the exact solution in its space and the Dirichlet
// condition on every side: the element's own system gives back that solution.
TEST_F(ElementTest, OneElementWithPenaltySidesReproducesASolutionInItsSpace) {
    auto xnod = nodes_of(parallelogram);
    ceqsys.NREQNS = 2;
    int nord[9] = {1, 1, 1, 1, 3, 3, 3, 3, 3};
    const int n = element_nfun(nord), ntot = 2 * n;
    for (int s = 0; s < 4; ++s) {
        g_kinds[s] = 1;
        g_kinds[4 + s] = 1 + 3 * s;  // numbers 1, 4, 7, 10: all Dirichlet
    }
    ASSERT_EQ(melem(1, nord, n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
    ASSERT_EQ(bcelem(1, nord, n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
    std::vector<double> a(static_cast<std::size_t>(ntot) * ntot);
    for (int j = 1; j <= ntot; ++j)
        for (int i = 1; i <= ntot; ++i) a[(i - 1) + (j - 1) * ntot] = K(i, j);
    std::vector<double> u(ph.begin(), ph.begin() + ntot);
    std::vector<int> ipvt(ntot);
    gdecomp(a.data(), ntot, ntot, ipvt.data());
    linvpx(a.data(), u.data(), ntot, ntot, ipvt.data());
    uinvx(a.data(), u.data(), ntot, ntot);
    double val[MAX_ELFUN];
    for (double xi : {-1.0, -0.3, 0.5})
        for (double eta : {-0.8, 0.2, 1.0}) {
            shape2(nord, xi, eta, val);
            double x, y, w, dw[2], d2w[4];
            parallelogram(xi, eta, x, y);
            quadratic_w(x, y, w, dw, d2w);
            for (int comp = 0; comp < 2; ++comp) {
                double uh = 0.0;
                for (int k = 0; k < n; ++k) uh += u[comp * n + k] * val[k];
                EXPECT_NEAR(uh, w, 1e-6) << xi << "," << eta << " component " << comp + 1;
            }
        }
}

class ElementJacobian : public TerminalTest {};

TEST_F(ElementJacobian, InvertedElementIsReportedOnceAndRefused) {
    ceqsys.NREQNS = 1;
    // A mirrored square: negative Jacobian everywhere.
    auto xnod = nodes_of([](double xi, double eta, double& x, double& y) {
        x = -xi;
        y = eta;
    });
    const int nord[9] = {1, 1, 1, 1, 2, 2, 2, 2, 2};
    std::vector<double> xk(static_cast<std::size_t>(LD) * LD), ph(LD);
    EXPECT_EQ(melem(42, nord, 9, xnod.data(), LD, xk.data(), ph.data()), ELEM_BAD_JACOBIAN);
    auto err = lines("err.txt");
    ASSERT_EQ(err.size(), 1u);
    EXPECT_EQ(err[0], " *** MELEM: NON-POSITIVE JACOBIAN IN ELEMENT     42");
}

TEST_F(ElementJacobian, CollapsedBoundarySideIsReported) {
    ceqsys.NREQNS = 1;
    // Side 1 collapsed to a point: a triangle with a vertex at the origin.
    auto xnod = nodes_of([](double xi, double eta, double& x, double& y) {
        x = 0.5 * (1.0 + eta) * xi;
        y = 0.5 * (1.0 + eta);
    });
    HookGuard<Decod2Source> sides(bcelem_sides, &test_sides);
    std::fill(g_kinds, g_kinds + 8, 0);
    g_kinds[0] = 1;
    g_kinds[4] = 1;
    int nord[9] = {1, 1, 1, 1, 2, 2, 2, 2, 2};
    std::vector<double> xk(static_cast<std::size_t>(LD) * LD), ph(LD);
    // The interior points are fine; the collapsed side is not.
    EXPECT_EQ(melem(8, nord, 9, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
    EXPECT_EQ(bcelem(8, nord, 9, xnod.data(), LD, xk.data(), ph.data()), ELEM_BAD_JACOBIAN);
    auto err = lines("err.txt");
    ASSERT_EQ(err.size(), 1u);
    EXPECT_EQ(err[0], " *** BCELEM: NON-POSITIVE JACOBIAN IN ELEMENT      8");
}

TEST_F(ElementJacobian, SideThroughACollapsedVertexStaysFinite) {
    ceqsys.NREQNS = 1;
    // Side 4 collapsed (vertices 1 and 4 at the origin); side 1 ends at that
    // vertex, where the element's Jacobian is zero and the Lobatto rule samples.
    auto xnod = nodes_of([](double xi, double eta, double& x, double& y) {
        x = 0.5 * (1.0 + xi);
        y = 0.25 * (1.0 + xi) * eta;
    });
    HookGuard<Decod2Source> sides(bcelem_sides, &test_sides);
    std::fill(g_kinds, g_kinds + 8, 0);
    g_kinds[0] = 1;
    g_kinds[4] = 1;
    int nord[9] = {1, 1, 1, 1, 3, 1, 1, 1, 1};
    const int n = element_nfun(nord);
    std::vector<double> xk(static_cast<std::size_t>(LD) * LD), ph(LD);
    ASSERT_EQ(melem(3, nord, n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
    ASSERT_EQ(bcelem(3, nord, n, xnod.data(), LD, xk.data(), ph.data()), ELEM_DONE);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) EXPECT_TRUE(std::isfinite(xk[i + j * LD])) << i << "," << j;
    EXPECT_TRUE(lines("err.txt").empty());
}

}  // namespace
}  // namespace kavren::testing
