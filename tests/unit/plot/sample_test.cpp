// Solution sampling: the 9-node map, one component at a local point, the
// sampler on its grid for solution and evaluator codes, the Gauss-point
// path, displaced points, generated-element orders and the resampling.
#include "plot/sample.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "eval/ifcompo.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/geometry.hpp"
#include "plot_fixture.hpp"
#include "records/fem.hpp"

namespace kavren::testing {
namespace {

using Poly = std::vector<std::vector<double>>;  // c[i][j] x^i y^j

double eval(const Poly& c, double x, double y) {
    double s = 0.0;
    for (std::size_t i = 0; i < c.size(); ++i)
        for (std::size_t j = 0; j < c[i].size(); ++j)
            s += c[i][j] * std::pow(x, i) * std::pow(y, j);
    return s;
}

Poly random_poly(int p, std::mt19937& g) {
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    Poly c(static_cast<std::size_t>(p + 1), std::vector<double>(static_cast<std::size_t>(p + 1)));
    for (auto& row : c)
        for (double& v : row) v = d(g);
    return c;
}

TEST(Cordin, NodePointsAndAnyBiquadraticMap) {
    std::mt19937 g(7);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    for (int trial = 0; trial < 20; ++trial) {
        const Poly cx = random_poly(2, g), cy = random_poly(2, g);
        NodePoints xn;
        static constexpr double kXi[9] = {-1, 1, 1, -1, 0, 1, 0, -1, 0};
        static constexpr double kEta[9] = {-1, -1, 1, 1, -1, 0, 1, 0, 0};
        for (int k = 1; k <= 9; ++k) {
            xn(1, k) = eval(cx, kXi[k - 1], kEta[k - 1]);
            xn(2, k) = eval(cy, kXi[k - 1], kEta[k - 1]);
        }
        for (int k = 1; k <= 9; ++k) {
            double x, y;
            cordin(xn, kXi[k - 1], kEta[k - 1], x, y);
            EXPECT_EQ(x, xn(1, k));
            EXPECT_EQ(y, xn(2, k));
        }
        for (int i = 0; i < 10; ++i) {
            const double xi = d(g), eta = d(g);
            double x, y;
            cordin(xn, xi, eta, x, y);
            EXPECT_NEAR(x, eval(cx, xi, eta), 1e-13);
            EXPECT_NEAR(y, eval(cy, xi, eta), 1e-13);
        }
    }
}

class SampleTest : public PlotTest {
  protected:
    // One element of order p on [0.5, 2] x [-0.25, 0.5] (an affine map).
    void one_element(int p) {
        reset_database();
        ceqsys.NREQNS = 1;
        MeshBuilder b(1, 1);
        b.default_order(p);
        b.map([](double x, double y) {
            return std::array<double, 2>{0.5 + 1.5 * x, -0.25 + 0.75 * y};
        });
        ASSERT_EQ(b.build(), "");
    }
    int nel() { return nelcon(0); }
};

TEST_F(SampleTest, Inter1AndUsfnxyReproduceTheElementSpace) {
    std::mt19937 g(11);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    const int iu1 = ifcompo("U1");
    ASSERT_GT(iu1, 0);
    for (int p = 1; p <= 8; ++p) {
        SCOPED_TRACE(p);
        one_element(p);
        const Poly c = random_poly(p, g);
        fill_solution([&](double x, double y) { return eval(c, x, y); });
        const int e = nel();
        Arr1<int, 9> ndofl;
        int ndofe = 0;
        double ue[MAX_ELFUN];
        solelm(e, ndofe, ndofl, ue, cunew.UNEW.data());
        NodePoints xn;
        nodcor(e, xn);
        for (int i = 0; i < 20; ++i) {
            double f, x, y;
            inter1(ndofl, ue, xn, d(g), d(g), f, x, y);
            EXPECT_NEAR(f, eval(c, x, y), 1e-10);
        }
        // The grid, through the interpolation and through the evaluator's U1.
        for (int code : {-1, iu1}) {
            double gx[33 * 33], gy[33 * 33], gf[33 * 33];
            int n = 0;
            usfnxy(e, cunew.UNEW.data(), ICOLU_ROWS, 2, code, 0, 0, xn, gx, gy, gf, 33, n);
            ASSERT_EQ(n, 4);
            for (int j = 0; j <= n; ++j)
                for (int i = 0; i <= n; ++i) {
                    const int at = i + 33 * j;
                    EXPECT_NEAR(gx[at], 0.5 + 1.5 * (i / 4.0), 1e-13);
                    EXPECT_NEAR(gy[at], -0.25 + 0.75 * (j / 4.0), 1e-13);
                    EXPECT_NEAR(gf[at], eval(c, gx[at], gy[at]), 1e-10) << code;
                }
        }
    }
}

TEST_F(SampleTest, VertexDofsAtTheGridCornersForEveryLevel) {
    one_element(4);
    fill_random_solution(3);
    const int e = nel();
    Arr1<int, 9> ndofl;
    int ndofe = 0;
    double ue[MAX_ELFUN];
    solelm(e, ndofe, ndofl, ue, cunew.UNEW.data());
    for (int ns = 0; ns <= 5; ++ns) {
        double gx[33 * 33], gy[33 * 33], gf[33 * 33];
        NodePoints xn;
        int n = 0;
        usfnxy(e, cunew.UNEW.data(), ICOLU_ROWS, ns, -1, 0, 0, xn, gx, gy, gf, 33, n);
        ASSERT_EQ(n, 1 << ns);
        EXPECT_NEAR(gf[0], ue[0], 1e-13);
        EXPECT_NEAR(gf[n], ue[1], 1e-13);
        EXPECT_NEAR(gf[n + 33 * n], ue[2], 1e-13);
        EXPECT_NEAR(gf[33 * n], ue[3], 1e-13);
    }
}

TEST_F(SampleTest, GaussCodeWithoutResamplingKeepsTheGaussValues) {
    one_element(3);
    const int e = nel();
    double gx[33 * 33], gy[33 * 33], gf[33 * 33];
    NodePoints xn;
    int n = 0;
    usfnxy(e, cunew.UNEW.data(), ICOLU_ROWS, 2, 101, 0, 0, xn, gx, gy, gf, 33, n);
    EXPECT_EQ(n, 3);  // NG = 4 Gauss points a side
    // The positions still hold the regular grid of four intervals.
    EXPECT_NEAR(gx[4], 2.0, 1e-13);
    EXPECT_NEAR(gy[33 * 4], 0.5, 1e-13);
    EXPECT_NE(terminal().find("FAKE USERFN"), std::string::npos);
}

TEST_F(SampleTest, DisplacedPointsWithScaleZero) {
    one_element(2);
    fill_random_solution(5);
    const int e = nel();
    Arr1<int, 9> ndofl;
    int ndofe = 0;
    double du[MAX_ELFUN], dv[MAX_ELFUN];
    solelm(e, ndofe, ndofl, du, cunew.UNEW.data());
    solelm(e, ndofe, ndofl, dv, cunew.UNEW.data() + ICOLU_ROWS);
    NodePoints xn, xd;
    nodcor(e, xn);
    double dmax = 0.0;
    displa(dmax, 0.0, ndofl, xn, xd, du, dv);
    double largest = 0.0;
    static constexpr double kXi[9] = {-1, 1, 1, -1, 0, 1, 0, -1, 0};
    static constexpr double kEta[9] = {-1, -1, 1, 1, -1, 0, 1, 0, 0};
    for (int k = 1; k <= 9; ++k) {
        EXPECT_EQ(xd(1, k), xn(1, k));
        EXPECT_EQ(xd(2, k), xn(2, k));
        double a, b, x, y;
        inter1(ndofl, du, xn, kXi[k - 1], kEta[k - 1], a, x, y);
        inter1(ndofl, dv, xn, kXi[k - 1], kEta[k - 1], b, x, y);
        largest = std::max(largest, std::sqrt(a * a + b * b));
    }
    EXPECT_DOUBLE_EQ(dmax, largest);
    displa(dmax, 2.0, ndofl, xn, xd, du, dv);
    double a, x, y;
    inter1(ndofl, du, xn, 0.0, 0.0, a, x, y);
    EXPECT_NEAR(xd(1, 9), xn(1, 9) + 2.0 * a, 1e-13);
}

TEST(Decodn, FourNodeAndNineNodeElements) {
    NodePoints xn;
    xn.fill(0.0);
    xn(1, 2) = 1.0;
    xn(2, 3) = 1.0;
    Arr1<int, 9> nord;
    decodn(xn, nord);
    for (int k = 1; k <= 9; ++k) EXPECT_EQ(nord(k), k <= 4 ? 1 : 0) << k;
    xn(2, 7) = 0.5;  // node 7 alone off the origin
    decodn(xn, nord);
    for (int k = 1; k <= 9; ++k) EXPECT_EQ(nord(k), 2) << k;
}

class Intpgs : public ::testing::Test {
  protected:
    void SetUp() override { cnst(); }
};

TEST_F(Intpgs, ReproducesWhatTheGaussPointsDetermine) {
    // Degree 2 for NG >= 3, 1 for NG = 2, 0 for NG = 1.
    for (int ng = 1; ng <= 9; ++ng) {
        SCOPED_TRACE(ng);
        auto f = [ng](double x, double y) {
            const double lin = 0.3 - 1.2 * x + 0.7 * y;
            if (ng == 1) return 1.75;
            if (ng == 2) return lin;
            return lin + 0.4 * x * x - 0.9 * x * y + 1.3 * y * y;
        };
        double xg[9];
        GaussValues vg;
        for (int i = 1; i <= ng; ++i) xg[i - 1] = cint.XG(i, ng);
        for (int i = 1; i <= ng; ++i)
            for (int j = 1; j <= ng; ++j) vg(i, j) = f(xg[i - 1], xg[j - 1]);
        for (int n : {1, 2, 8, 32}) {
            std::vector<double> out(33 * 33, 0.0);
            intpgs(xg, vg, ng, out.data(), n);
            const double h = 2.0 / n;
            for (int i = 0; i <= n; ++i)
                for (int j = 0; j <= n; ++j)
                    EXPECT_NEAR(out[static_cast<std::size_t>(i + 33 * j)],
                                f(i * h - 1.0, j * h - 1.0), 1e-10);
        }
    }
}

TEST_F(Intpgs, AGridPointOnAGaussPointTakesItsValue) {
    // NG = 3 puts a Gauss point at the centre; the grid of 2 intervals holds it.
    double xg[3];
    GaussValues vg;
    for (int i = 1; i <= 3; ++i) xg[i - 1] = cint.XG(i, 3);
    std::mt19937 g(2);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) vg(i, j) = d(g);
    std::vector<double> out(33 * 33, 0.0);
    intpgs(xg, vg, 3, out.data(), 2);
    EXPECT_EQ(out[1 + 33 * 1], vg(2, 2));
}

TEST(Ssls, SolvesAndReportsAnExactZeroPivot) {
    double a[9] = {2, 1, 0, 1, 3, 1, 0, 1, 4};  // by columns
    double b[3] = {3, 5, 5};
    ASSERT_TRUE(ssls(a, 3, 3, b));
    EXPECT_NEAR(b[0], 1.0, 1e-14);
    EXPECT_NEAR(b[1], 1.0, 1e-14);
    EXPECT_NEAR(b[2], 1.0, 1e-14);
    double z[4] = {0, 1, 1, 0};
    double c[2] = {1, 1};
    EXPECT_FALSE(ssls(z, 2, 2, c));
}

}  // namespace
}  // namespace kavren::testing
