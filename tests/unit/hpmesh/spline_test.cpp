// Parametric splines: interpolation, knots, the parameter search, the nearest
// sample points and the codes and messages of the B-spline routines.
#include "hpmesh/spline.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "records/meshgen.hpp"
#include "records/reset.hpp"
#include "support/units.hpp"

namespace kavren::testing {
namespace {

class SplineTest : public ::testing::Test {
  protected:
    void SetUp() override { reset_run(); }
    void TearDown() override { reset_run(); }
};

SplineColumns columns(const std::vector<std::array<double, 2>>& p) {
    SplineColumns c;
    for (std::size_t i = 0; i < p.size(); ++i) {
        c(static_cast<int>(i) + 1) = p[i][0];
        c(MAXSPLPT + static_cast<int>(i) + 1) = p[i][1];
    }
    return c;
}

// n random points, each a step of length 0.2..1.2 from the one before.
SplineColumns random_points(int n, std::mt19937& gen) {
    std::uniform_real_distribution<double> angle(0.0, 6.283185307179586), len(0.2, 1.2);
    std::vector<std::array<double, 2>> p{{0.0, 0.0}};
    for (int i = 1; i < n; ++i) {
        const double a = angle(gen), l = len(gen);
        p.push_back({p.back()[0] + l * std::cos(a), p.back()[1] + l * std::sin(a)});
    }
    return columns(p);
}

TEST_F(SplineTest, InterpolatesEveryPointOfRandomSetsAtOrdersTwoAndThree) {
    std::mt19937 gen(29);
    for (int k = 2; k <= 3; ++k) {
        // The interior-knot copy limits order 2 to one point fewer.
        for (int n = k; n <= MAXSPLUSE + k - 3; ++n) {
            SCOPED_TRACE(::testing::Message() << "order " << k << ", " << n << " points");
            const SplineColumns pts = random_points(n, gen);
            SplineColumns coef;
            double tlen = 0.0;
            ASSERT_EQ(prepare(n, k, tlen, pts, coef), 0);
            EXPECT_EQ(tlen, x1.U(n));
            for (int i = 1; i <= n; ++i) {
                double x = 0.0, y = 0.0;
                bspline(n, k, x1.U(i), x, y, coef);
                ASSERT_NEAR(x, pts(i), 1e-9) << "point " << i;
                ASSERT_NEAR(y, pts(MAXSPLPT + i), 1e-9) << "point " << i;
            }
        }
    }
}

TEST_F(SplineTest, ThreePointsGiveTheParabolaOnAKnotVectorWithoutInteriorKnots) {
    const SplineColumns pts = columns({{0, 0}, {1, 1}, {2, 0}});
    SplineColumns coef;
    double tlen = 0.0;
    ASSERT_EQ(prepare(3, 3, tlen, pts, coef), 0);
    const double l = 2.0 * std::sqrt(2.0);
    EXPECT_DOUBLE_EQ(tlen, l);
    EXPECT_DOUBLE_EQ(x1.U(2), std::sqrt(2.0));
    const double knots[6] = {0, 0, 0, l, l, l};
    for (int i = 1; i <= 6; ++i) EXPECT_DOUBLE_EQ(noeud.T(i), knots[i - 1]) << i;
    for (int s = 0; s <= 20; ++s) {
        double x = 0.0, y = 0.0;
        bspline(3, 3, l * s / 20.0, x, y, coef);
        EXPECT_NEAR(y, x * (2.0 - x), 1e-12) << "t = " << l * s / 20.0;
    }
    double x = 0.0, y = 0.0;
    bspline(3, 3, x1.U(2), x, y, coef);
    EXPECT_NEAR(x, 1.0, 1e-12);
    EXPECT_NEAR(y, 1.0, 1e-12);
    // Below 0 every B-spline is 0; at the end the last point.
    bspline(3, 3, -0.5, x, y, coef);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
    bspline(3, 3, l, x, y, coef);
    EXPECT_NEAR(x, 2.0, 1e-12);
    EXPECT_NEAR(y, 0.0, 1e-12);
}

TEST_F(SplineTest, OrderTwoIsThePolyline) {
    const SplineColumns pts = columns({{0, 0}, {3, 4}, {3, 6}, {-1, 9}});
    SplineColumns coef;
    double tlen = 0.0;
    ASSERT_EQ(prepare(4, 2, tlen, pts, coef), 0);
    EXPECT_DOUBLE_EQ(tlen, 12.0);
    for (int s = 0; s <= 48; ++s) {
        const double t = s * 0.25;
        int i = 1;
        while (i < 3 && t > x1.U(i + 1)) ++i;
        const double f = (t - x1.U(i)) / (x1.U(i + 1) - x1.U(i));
        double x = 0.0, y = 0.0;
        bspline(4, 2, t, x, y, coef);
        EXPECT_NEAR(x, pts(i) + f * (pts(i + 1) - pts(i)), 1e-12) << t;
        EXPECT_NEAR(y, pts(MAXSPLPT + i) + f * (pts(MAXSPLPT + i + 1) - pts(MAXSPLPT + i)), 1e-12);
    }
}

TEST_F(SplineTest, TwoPointsOfOrderTwoGiveTheSegmentWithItsMidpointAtHalfTheLength) {
    const SplineColumns pts = columns({{1, 2}, {4, -2}});
    SplineColumns coef;
    double tlen = 0.0;
    ASSERT_EQ(prepare(2, 2, tlen, pts, coef), 0);
    EXPECT_DOUBLE_EQ(tlen, 5.0);
    double x = 0.0, y = 0.0;
    bspline(2, 2, tlen / 2.0, x, y, coef);
    EXPECT_NEAR(x, 2.5, 1e-12);
    EXPECT_NEAR(y, 0.0, 1e-12);
    bspline(2, 2, tlen, x, y, coef);
    EXPECT_NEAR(x, 4.0, 1e-12);
    EXPECT_NEAR(y, -2.0, 1e-12);
}

TEST_F(SplineTest, FourPointsOfOrderThreeHaveOneInteriorKnotAtTheThirdParameter) {
    const SplineColumns pts = columns({{0, 0}, {1, 0}, {2, 1}, {2, 3}});
    SplineColumns coef;
    double tlen = 0.0;
    ASSERT_EQ(prepare(4, 3, tlen, pts, coef), 0);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(noeud.T(i), 0.0);
    EXPECT_EQ(noeud.T(4), x1.U(3));
    EXPECT_EQ(noeud.T(106), x1.U(3));
    for (int i = 5; i <= 7; ++i) EXPECT_EQ(noeud.T(i), tlen);
}

TEST_F(SplineTest, PsplineFindsTheParameterOfACurvePoint) {
    const int n = 12;
    std::vector<std::array<double, 2>> p;
    for (int i = 0; i < n; ++i) p.push_back({0.5 * i, std::sin(0.5 * i)});
    const SplineColumns pts = columns(p);
    SplineColumns coef;
    double tlen = 0.0;
    ASSERT_EQ(prepare(n, 3, tlen, pts, coef), 0);
    // A sample point gives its own parameter, without any bisection.
    for (int i = 1; i <= n; ++i)
        EXPECT_EQ(pspline(n, 3, i, pts, pts(i), pts(MAXSPLPT + i), coef), x1.U(i));
    for (int i = 1; i < n; ++i) {
        for (double f : {0.25, 0.5, 0.8}) {
            const double t = x1.U(i) + f * (x1.U(i + 1) - x1.U(i));
            double x = 0.0, y = 0.0;
            bspline(n, 3, t, x, y, coef);
            int ia = 0, ib = 0;
            fspoint(n, pts, x, y, x, y, ia, ib);
            const double found = pspline(n, 3, ia, pts, x, y, coef);
            double xf = 0.0, yf = 0.0;
            bspline(n, 3, found, xf, yf, coef);
            EXPECT_LT((xf - x) * (xf - x) + (yf - y) * (yf - y), 1.000000013351432e-10)
                << "segment " << i << ", fraction " << f;
        }
    }
    // The midpoint of the first interval is found at the first evaluation.
    double x = 0.0, y = 0.0;
    bspline(n, 3, 0.5 * x1.U(2), x, y, coef);
    EXPECT_EQ(pspline(n, 3, 1, pts, x, y, coef), 0.5 * x1.U(2));
}

TEST_F(SplineTest, FspointMovesOneIndexAcrossTheSeamOfAClosedCurve) {
    std::vector<std::array<double, 2>> p;
    for (int i = 0; i <= 12; ++i)
        p.push_back({std::cos(i * 3.141592653589793 / 6), std::sin(i * 3.141592653589793 / 6)});
    const SplineColumns pts = columns(p);
    SplineColumns coef;
    double tlen = 0.0;
    ASSERT_EQ(prepare(13, 3, tlen, pts, coef), 0);
    int ia = 0, ib = 0;
    // Near the start and near the end of the list: the first is point 1 (the
    // first of equal minima), moved to 13 beside point 12.
    fspoint(13, pts, 1.0, 0.01, std::cos(-0.5), std::sin(-0.5), ia, ib);
    EXPECT_EQ(ia, 13);
    EXPECT_EQ(ib, 12);
    EXPECT_LT(std::fabs(x1.U(ia) - x1.U(ib)), 0.75 * tlen);
    // Two points of one half stay as found; a far point is still the nearest.
    fspoint(13, pts, 0.0, 1.0, -1.0, 0.0, ia, ib);
    EXPECT_EQ(ia, 4);
    EXPECT_EQ(ib, 7);
    fspoint(13, pts, 1e6, 0.0, 1e6, 0.0, ia, ib);
    EXPECT_EQ(ia, 1);
    EXPECT_EQ(ib, 1);
}

TEST_F(SplineTest, NormalisationTwoSumsToOneAndIntegralsMatchTheSupport) {
    const double t[9] = {0, 0, 0, 0.5, 1.2, 2, 3, 3, 3};
    std::mt19937 gen(3);
    std::uniform_real_distribution<double> u(0.0, 3.0);
    double v[3], w[3];
    int l = 1;
    for (int s = 0; s < 50; ++s) {
        ASSERT_EQ(tg04a(9, t, 3, 2, u(gen), l, v, w), 0);
        EXPECT_NEAR(v[0] + v[1] + v[2], 1.0, 1e-14);
        for (double b : v) EXPECT_GE(b, 0.0);
    }
    // At the last knot the integrals are complete: (t(j+k) - t(j)) / k, and
    // 1 with normalisation 1.
    ASSERT_EQ(tg04a(9, t, 3, 2, 3.0, l, v, w), 0);
    EXPECT_EQ(l, 6);
    for (int r = 0; r < 3; ++r) {
        const int j = l - 2 + r;
        EXPECT_NEAR(w[r], (t[j + 2] - t[j - 1]) / 3.0, 1e-14) << j;
    }
    ASSERT_EQ(tg04a(9, t, 3, 1, 3.0, l, v, w), 0);
    for (double i : w) EXPECT_NEAR(i, 1.0, 1e-14);
}

struct CodeCase {
    const char* name;
    bool interpolation;  // tb06a, else tg04a
    int m, k, norm;      // data count (tb06a) or knot count (tg04a); order; normalisation
    std::vector<double> x, knots;
    int code;
    const char* line;
};

const CodeCase kCodes[] = {
    {"one_point",
     true,
     1,
     1,
     0,
     {0},
     {},
     1,
     " message from tb06a n = 1 and is not greater than 2."},
    {"repeated_point",
     true,
     3,
     2,
     0,
     {0, 1, 1},
     {0.5},
     3,
     " message from tb06a the data points are not in ascending order."},
    {"order_above_count",
     true,
     3,
     4,
     0,
     {0, 1, 2},
     {},
     2,
     " message from tb06a k = 4 and is not in the interval 1.le.k.le.3"},
    {"knots_descending",
     true,
     5,
     2,
     0,
     {0, 1, 2, 3, 4},
     {2.5, 1.5, 1.8},
     4,
     " message from tb06a the knots are not in ascending order."},
    {"schoenberg_whitney",
     true,
     4,
     2,
     0,
     {0, 1, 2, 3},
     {0.5, 0.8},
     5,
     " message from tb06a the s-w conditions are not satisfied."},
    {"too_few_knots",
     false,
     3,
     3,
     2,
     {0.5},
     {0, 1, 2},
     1,
     " message from tg04a n=3 and is not .ge.k+1=4"},
    {"order_zero",
     false,
     3,
     0,
     2,
     {0.5},
     {0, 1, 2},
     2,
     " message from tg04a k=0 and is not .gt. 1"},
    {"bad_normalisation",
     false,
     4,
     2,
     7,
     {0.5},
     {0, 0, 1, 1},
     5,
     " message from tg04a norm was .ne.1 or 2 and has been set to 1"},
    {"knots_decrease",
     false,
     6,
     2,
     2,
     {0.5},
     {0, 0, 1, 0.8, 2, 2},
     3,
     " message from tg04a the data points are not in ascending order."},
    {"knots_coalesce",
     false,
     4,
     2,
     2,
     {1.0},
     {1, 1, 1, 1},
     4,
     " message from tg04a more than 2 data points coalesce."},
};

class CodeTable : public SplineTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(CodeTable, SetsTheCodeAndWritesItsLine) {
    const CodeCase& c = GetParam();
    ::testing::internal::CaptureStdout();
    int code = 0;
    if (c.interpolation) {
        std::vector<double> f(c.x.size(), 1.0), knots(40), coef(c.x.size());
        code = tb06a(c.m, c.x.data(), f.data(), c.k, c.knots.data(), knots.data(), coef.data());
        EXPECT_EQ(tb06b.IERR, code);
        for (double v : coef) EXPECT_EQ(v, 0.0);
    } else {
        double v[8], w[8];
        int l = 1;
        code = tg04a(c.m, c.knots.data(), c.k, c.norm, c.x[0], l, v, w);
        EXPECT_EQ(tg04b.IERR, code);
    }
    units::flush_all();
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(out, std::string(c.line) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Splines, CodeTable, ::testing::ValuesIn(kCodes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SplineTest, AMessageUnitOfZeroSilencesTheMessages) {
    tb06b.LP = 0;
    ::testing::internal::CaptureStdout();
    const double x[3] = {0, 1, 1}, f[3] = {0, 0, 0};
    double knots[8], c[3];
    EXPECT_EQ(tb06a(3, x, f, 2, x, knots, c), 3);
    units::flush_all();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(SplineTest, PrepareReportsAFailedSetUpAndLeavesZeroCoefficients) {
    ::testing::internal::CaptureStdout();
    const SplineColumns pts = columns({{0, 0}, {1, 1}, {1, 1}, {2, 0}});
    SplineColumns coef;
    double tlen = 0.0;
    EXPECT_EQ(prepare(4, 3, tlen, pts, coef), 3);
    units::flush_all();
    ::testing::internal::GetCapturedStdout();
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(coef(i), 0.0);
    // More points than the knot copy holds are refused before any set-up.
    EXPECT_EQ(prepare(MAXSPLUSE + 1, 3, tlen, pts, coef), -1);
}

}  // namespace
}  // namespace kavren::testing
