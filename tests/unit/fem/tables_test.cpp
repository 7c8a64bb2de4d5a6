// The start-up tables: quadrature rules, 1-D shape-function coefficients, the
// half-edge constraint coefficients, the 1-D integral tables and the banner.
#include "fem/tables.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "fem/shape.hpp"
#include "fem_support.hpp"
#include "records/fem.hpp"

namespace kavren::testing {
namespace {

// Integral over [-1, 1] of x^k, and of |x|^k as the scale of a relative error.
double exact_moment(int k) {
    return k % 2 != 0 ? 0.0 : 2.0 / (k + 1);
}
double scale_moment(int k) {
    return 2.0 / (k + 1);
}

TEST(GaussLegendre, EachRuleIsExactToDegreeTwoNMinusOne) {
    build_tables();
    for (int n = 1; n <= 10; ++n) {
        double wsum = 0.0;
        for (int i = 1; i <= n; ++i) wsum += cint1.WG(i, n);
        EXPECT_NEAR(wsum, 2.0, 2e-14) << n;
        for (int k = 0; k <= 2 * n - 1; ++k) {
            double q = 0.0;
            for (int i = 1; i <= n; ++i) q += cint1.WG(i, n) * std::pow(cint.XG(i, n), k);
            EXPECT_LE(std::fabs(q - exact_moment(k)), 1e-14 * scale_moment(k))
                << "n=" << n << " k=" << k;
        }
        // Degree 2n is not integrated exactly: the rules are the Gauss rules.
        double q = 0.0;
        for (int i = 1; i <= n; ++i) q += cint1.WG(i, n) * std::pow(cint.XG(i, n), 2 * n);
        EXPECT_GT(std::fabs(q - exact_moment(2 * n)), 1e-6) << n;
    }
}

TEST(GaussLegendre, PointsAscendSymmetricallyWithTheDocumentedValues) {
    build_tables();
    for (int n = 1; n <= 10; ++n)
        for (int i = 1; i <= n; ++i) {
            if (i > 1) {
                EXPECT_LT(cint.XG(i - 1, n), cint.XG(i, n));
            }
            EXPECT_EQ(cint.XG(i, n), -cint.XG(n + 1 - i, n));
            EXPECT_EQ(cint1.WG(i, n), cint1.WG(n + 1 - i, n));
        }
    EXPECT_EQ(cint.XG(1, 1), 0.0);
    EXPECT_EQ(cint1.WG(1, 1), 2.0);
    EXPECT_EQ(cint.XG(2, 2), 0.577350269189626);
    EXPECT_EQ(cint.XG(3, 3), 0.774596669241483);
    EXPECT_EQ(cint.XG(2, 3), 0.0);
    EXPECT_FALSE(std::signbit(cint.XG(5, 9)));
    EXPECT_EQ(cint1.WG(1, 3), 0.555555555555556);
    EXPECT_EQ(cint1.WG(2, 3), 0.888888888888889);
    EXPECT_EQ(cint1.WG(9, 9), 0.081274388361574);
    EXPECT_EQ(cint.XG(10, 10), 0.973906528517172);
    // Slots beyond each rule stay 0.
    EXPECT_EQ(cint.XG(4, 3), 0.0);
    EXPECT_EQ(cint1.WG(10, 9), 0.0);
}

TEST(GaussLegendre, TensorWeightsAreProductsForEveryRule) {
    build_tables();
    for (int n = 1; n <= 10; ++n)
        for (int j = 1; j <= 10; ++j)
            for (int i = 1; i <= 10; ++i) {
                double expected = i <= n && j <= n ? cint1.WG(i, n) * cint1.WG(j, n) : 0.0;
                ASSERT_EQ(cint.W2(i, j, n), expected) << i << "," << j << "," << n;
            }
}

TEST(GaussLobatto, EachRuleIsExactToDegreeTwoNMinusThreeInSinglePrecision) {
    build_tables();
    for (int n = 2; n <= 10; ++n) {
        EXPECT_EQ(cint1l.XL(1, n), -1.0);
        EXPECT_EQ(cint1l.XL(n, n), 1.0);
        for (int i = 1; i <= n; ++i) {
            // Single-precision values widened to double.
            EXPECT_EQ(double(float(cint1l.XL(i, n))), cint1l.XL(i, n));
            EXPECT_EQ(double(float(cint1l.WL(i, n))), cint1l.WL(i, n));
            if (i > 1) {
                EXPECT_LT(cint1l.XL(i - 1, n), cint1l.XL(i, n));
            }
        }
        for (int k = 0; k <= 2 * n - 3; ++k) {
            double q = 0.0;
            for (int i = 1; i <= n; ++i) q += cint1l.WL(i, n) * std::pow(cint1l.XL(i, n), k);
            EXPECT_LE(std::fabs(q - exact_moment(k)), 1e-6 * scale_moment(k))
                << "n=" << n << " k=" << k;
        }
    }
    EXPECT_EQ(cint1l.WL(1, 2), 1.0);
    EXPECT_EQ(cint1l.WL(1, 3), 0.3333333432674408);
    EXPECT_EQ(cint1l.WL(2, 3), 1.3333333730697632);
    // The 7- and 8-point end weights are the truncated values, not 1/21 and 1/28.
    EXPECT_EQ(cint1l.WL(1, 7), 0.0476190410554409);
    EXPECT_NE(cint1l.WL(1, 7), double(float(1.0 / 21.0)));
    EXPECT_EQ(cint1l.WL(8, 8), 0.0357142798602581);
    EXPECT_NE(cint1l.WL(8, 8), double(float(1.0 / 28.0)));
    // No one-point rule.
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(cint1l.XL(i, 1), 0.0);
        EXPECT_EQ(cint1l.WL(i, 1), 0.0);
    }
}

TEST(OneDimensionalFunctions, ArePrimitivesOfLegendrePolynomials) {
    build_tables();
    // The documented coefficients are exact multiples of 1/128.
    EXPECT_EQ(clagr.CLAGR(9, 9), 3.3515625);
    EXPECT_EQ(clagr.CLAGR(7, 1), -0.0625);
    for (int j = 1; j <= 9; ++j) EXPECT_EQ(clagr.CLAGR(1, j) + clagr.CLAGR(2, j), 0.0);
    double v[9], d[9], dd[9];
    for (double x : {-1.0, -0.83, -0.2, 0.0, 0.37, 0.9, 1.0}) {
        shape1(8, x, v);
        dshap1(8, x, d);
        ddshap1(8, x, dd);
        for (int i = 1; i <= 9; ++i) {
            SCOPED_TRACE(::testing::Message() << "function " << i << " at " << x);
            EXPECT_NEAR(v[i - 1], fun1d(i, x), 1e-14);
            EXPECT_NEAR(d[i - 1], dfun1d(i, x), 1e-13);
            // The second derivative is the derivative of P_(i-2).
            double p, dp;
            legendre(i - 2, x, p, dp);
            EXPECT_NEAR(dd[i - 1], i <= 2 ? 0.0 : dp, 1e-12);
        }
        // The bubbles vanish at both ends.
        if (std::fabs(x) == 1.0) {
            for (int i = 3; i <= 9; ++i) EXPECT_NEAR(v[i - 1], 0.0, 1e-15);
        }
    }
    // Entries 3 (and 4 of the second derivatives) are written for the lowest orders too.
    d[2] = dd[2] = dd[3] = 99.0;
    dshap1(1, 0.5, d);
    ddshap1(1, 0.5, dd);
    EXPECT_EQ(d[2], 0.5);
    EXPECT_EQ(dd[2], 1.0);
    EXPECT_EQ(dd[3], 1.5);
}

// The half-edge coefficient of the son function of degree e (e >= 2) in the
// restriction of the father function of degree d to half h, computed from the
// Legendre expansion of the derivative: the son function's derivative is
// P_(e-1), so the coefficient is (2e-1)/2 times the integral of the
// restriction's derivative against P_(e-1).
double direct_rrr(int d, int e, int h) {
    Rule r = gauss_rule(20);
    double s = 0.0;
    for (std::size_t q = 0; q < r.x.size(); ++q) {
        double t = r.x[q];
        double x = h == 1 ? 0.5 * (t - 1.0) : 0.5 * (t + 1.0);
        s += r.w[q] * 0.5 * dfun1d(d + 1, x) * legendre(e - 1, t);
    }
    return 0.5 * (2 * e - 1) * s;
}

TEST(HalfEdgeTable, EqualsTheRestrictionCoefficientsForEveryDegreeAndHalf) {
    build_tables();
    for (int h = 1; h <= 2; ++h) {
        EXPECT_EQ(crrr.RRR(1, 1, h), 0.5);
        for (int d = 2; d <= 8; ++d) {
            EXPECT_NEAR(crrr.RRR(d, 1, h), fun1d(d + 1, 0.0), 1e-14) << d;
            for (int e = 2; e <= 8; ++e) {
                double expected = e <= d ? direct_rrr(d, e, h) : 0.0;
                EXPECT_NEAR(crrr.RRR(d, e, h), expected, 1e-13)
                    << "d=" << d << " e=" << e << " h=" << h;
            }
            EXPECT_NEAR(crrr.RRR(d, d, h), std::ldexp(1.0, -d), 1e-15);
        }
        for (int k = 1; k <= 10; ++k) {
            EXPECT_EQ(crrr.RRR(9, k, h), 0.0);
            EXPECT_EQ(crrr.RRR(10, k, h), 0.0);
            EXPECT_EQ(crrr.RRR(k, 9, h), 0.0);
            EXPECT_EQ(crrr.RRR(k, 10, h), 0.0);
        }
        for (int e = 2; e <= 10; ++e) EXPECT_EQ(crrr.RRR(1, e, h), 0.0);
    }
    EXPECT_NEAR(crrr.RRR(2, 1, 1), -0.5, 1e-15);
    EXPECT_NEAR(crrr.RRR(3, 2, 1), -0.375, 1e-15);
    EXPECT_NEAR(crrr.RRR(3, 2, 2), 0.375, 1e-15);
    EXPECT_NEAR(crrr.RRR(4, 1, 2), 0.125, 1e-15);
    EXPECT_NEAR(crrr.RRR(8, 1, 1), 5.0 / 128.0, 1e-15);
}

TEST(HalfEdgeTable, ReproducesTheFatherFunctionOnEachHalf) {
    build_tables();
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int h = 1; h <= 2; ++h)
        for (int d = 2; d <= 8; ++d)
            for (int trial = 0; trial < 5; ++trial) {
                double s = u(gen);
                auto father = [&](double t) {
                    return fun1d(d + 1, h == 1 ? 0.5 * (t - 1.0) : 0.5 * (t + 1.0));
                };
                // Linear part through the values at the son's ends.
                double value = father(-1.0) * fun1d(1, s) + father(1.0) * fun1d(2, s);
                for (int e = 2; e <= d; ++e) value += crrr.RRR(d, e, h) * fun1d(e + 1, s);
                EXPECT_NEAR(value, father(s), 1e-14) << "d=" << d << " h=" << h;
            }
}

TEST(IntegralTables, HoldTheOneDimensionalMassAndStiffnessInSinglePrecision) {
    build_tables();
    EXPECT_EQ(chpint.MASS(1, 1), 0.6666666865348816);
    EXPECT_EQ(chpint.MASS(1, 2), 0.3333333432674408);
    EXPECT_EQ(chpint.MASS(1, 3), -0.6666666865348816);
    EXPECT_EQ(chpint.STIFF(1, 1), 0.5);
    EXPECT_EQ(chpint.STIFF(1, 2), -0.5);
    // Monomial bubbles x^k - 1 (even k) and x^k - x (odd k), by a Gauss rule.
    auto bubble = [](int k, double x, bool derivative) {
        if (derivative) return k * std::pow(x, k - 1) - (k % 2 == 0 ? 0.0 : 1.0);
        return std::pow(x, k) - (k % 2 == 0 ? 1.0 : x);
    };
    Rule r = gauss_rule(12);
    for (int i = 3; i <= 10; ++i)
        for (int j = 3; j <= 10; ++j) {
            double m = 0.0, s = 0.0;
            for (std::size_t q = 0; q < r.x.size(); ++q) {
                m += r.w[q] * bubble(i - 1, r.x[q], false) * bubble(j - 1, r.x[q], false);
                s += r.w[q] * bubble(i - 1, r.x[q], true) * bubble(j - 1, r.x[q], true);
            }
            // Single-precision values: within one float rounding of the integral.
            EXPECT_NEAR(chpint.MASS(i, j), m, 6e-8 * std::fabs(m) + 1e-15) << i << "," << j;
            EXPECT_NEAR(chpint.STIFF(i, j), s, 6e-8 * std::fabs(s) + 1e-15) << i << "," << j;
            EXPECT_EQ(double(float(chpint.MASS(i, j))), chpint.MASS(i, j));
        }
}

TEST(IntegralTables, ProjectionCoefficientsSolveTheirStiffnessSystems) {
    build_tables();
    for (int i = 1; i <= 7; ++i)
        for (int j = 1; j <= i; ++j)
            for (int l = 1; l <= j; ++l) {
                // Row l of the normal equations of the projection of the bubble
                // of degree i+2 onto the bubbles of degree 2..j+1.
                double lhs = 0.0;
                for (int k = 1; k <= j; ++k)
                    lhs += chpint.STIFF(l + 2, k + 2) * chpint1.HPINT1(i, j, k);
                EXPECT_NEAR(lhs, chpint.STIFF(i + 3, l + 2), 1e-9 * chpint.STIFF(i + 3, i + 3))
                    << i << "," << j << "," << l;
            }
}

class Banner : public TerminalTest {};

TEST_F(Banner, SixLinesOfFortySevenCharactersAtEachStart) {
    cnst();
    const std::vector<std::string> expected = {
        " ***********************************************",
        " ***                                         ***",
        " ***   NEW  SHAPE  FUNCTIONS  ARE  SET:      ***",
        " ***   PRIMITIVES OF LEGENDRE POLYNOMIALS    ***",
        " ***                                         ***",
        " ***********************************************",
    };
    EXPECT_EQ(lines("terminal.txt"), expected);
}

}  // namespace
}  // namespace kavren::testing
