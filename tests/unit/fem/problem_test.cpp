// The built-in problem routines: coefficients, boundary data, boundary rules
// and the corner normals.
#include "user/problem.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "fem_support.hpp"
#include "records/fem.hpp"
#include "records/problem.hpp"

namespace kavren::testing {
namespace {

// w = x^2 y + 3: w_x = 2xy, w_y = x^2, w_xx = 2y, w_xy = 2x, w_yy = 0.
void quadratic_w(double& x, double& y, double& u, double* du, double* d2u) {
    u = x * x * y + 3.0;
    du[0] = 2.0 * x * y;
    du[1] = x * x;
    d2u[0] = 2.0 * y;
    d2u[1] = d2u[2] = 2.0 * x;
    d2u[3] = 0.0;
}

class ProblemRoutines : public ::testing::Test {
  protected:
    void SetUp() override {
        build_tables();
        ceqsys.NREQNS = 2;
    }
    void TearDown() override { reset_run(); }
    HookGuard<ExactSolution> exact_{problem_exact, &quadratic_w};
};

TEST_F(ProblemRoutines, McoeffGivesTheDiagonalOperatorAndTheManufacturedLoad) {
    double a[9][16];
    for (auto& arr : a)
        for (double& v : arr) v = 7.0;  // entries outside NREQNS stay as they were
    double rh[4] = {7, 7, 7, 7}, rhx[4] = {7, 7, 7, 7}, rhy[4] = {7, 7, 7, 7};
    // Argument order A11, A12, A21, A22, B1, B2, D1, D2, C.
    mcoeff(4, 1.5, -2.0, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], rh, rhx, rhy);
    const double f = (1.5 * 1.5 * -2.0 + 3.0) - (2.0 * -2.0);
    for (int t = 0; t < 9; ++t) {
        const bool diagonal = t == 0 || t == 3 || t == 8;  // A11, A22, C
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i)
                EXPECT_EQ(a[t][i + 4 * j], diagonal && i == j ? 1.0 : 0.0) << t << i << j;
        EXPECT_EQ(a[t][2 + 4 * 2], 7.0);
    }
    for (int k = 0; k < 2; ++k) {
        EXPECT_DOUBLE_EQ(rh[k], f);
        EXPECT_EQ(rhx[k], 0.0);
        EXPECT_EQ(rhy[k], 0.0);
    }
    EXPECT_EQ(rh[2], 7.0);
}

TEST_F(ProblemRoutines, BcoeffChoosesByTheBoundaryNumberNotTheKind) {
    const double x = 0.5, y = 2.0, nx = 0.6, ny = 0.8;
    double w, dw[2], ddw[4], px = x, py = y;
    quadratic_w(px, py, w, dw, ddw);
    const double dwdn = nx * dw[0] + ny * dw[1];
    struct Case {
        int nbound;
        double c, g;
    } cases[] = {
        {2, 1.0, w + dwdn},  // Robin
        {3, 0.0, dwdn},      // Neumann
        {1, 1e8, 1e8 * w},   // Dirichlet by penalty
        {4, 1e8, 1e8 * w},  {7, 1e8, 1e8 * w},
    };
    for (const Case& c : cases) {
        double att[16], bt[16], pt[16], cc[16], gt[4], g[4];
        // Kind 2 for every number: only the number decides.
        bcoeff(5, 4, 2, c.nbound, x, y, nx, ny, -ny, nx, att, bt, pt, cc, gt, g);
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(cc[k + 4 * k], c.c) << c.nbound;
            EXPECT_DOUBLE_EQ(g[k], c.g) << c.nbound;
            EXPECT_EQ(gt[k], 0.0);
        }
        for (double* a : {att, bt, pt})
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i) EXPECT_EQ(a[i + 4 * j], 0.0);
        EXPECT_EQ(cc[1], 0.0);
        EXPECT_EQ(cc[4], 0.0);
    }
    // The penalty is exactly 1/1e-8.
    double att[16], bt[16], pt[16], cc[16], gt[4], g[4];
    bcoeff(1, 4, 1, 1, x, y, nx, ny, -ny, nx, att, bt, pt, cc, gt, g);
    EXPECT_EQ(cc[0], 1.0 / 1e-8);
}

TEST_F(ProblemRoutines, BointgTakesLobattoForKindsOneToFourAndLegendreOtherwise) {
    struct Case {
        int nord, kind, boint, nint;
        bool lobatto;
    } cases[] = {
        {3, 1, 0, 4, true},  {3, 4, 0, 4, true},  {3, 0, 0, 4, false},
        {3, 5, 0, 4, false}, {8, 2, 0, 9, true},  {8, 7, 0, 9, false},
        {3, 2, 1, 3, true},  {3, 5, 1, 4, false}, {1, 3, 1, 1, true},
    };
    for (const Case& c : cases) {
        cboint.IBOINT = c.boint;
        double x[10], w[10];
        int nint = 0;
        bointg(c.nord, c.kind, x, w, nint);
        ASSERT_EQ(nint, c.nint) << c.nord << " " << c.kind;
        for (int i = 1; i <= nint; ++i) {
            EXPECT_EQ(x[i - 1], c.lobatto ? cint1l.XL(i, nint) : cint.XG(i, nint));
            EXPECT_EQ(w[i - 1], c.lobatto ? cint1l.WL(i, nint) : cint1.WG(i, nint));
        }
        if (c.lobatto && nint > 1) {
            EXPECT_EQ(x[0], -1.0);
            EXPECT_EQ(x[nint - 1], 1.0);
        }
    }
    cboint.IBOINT = 0;
    // With the flag set and order 1 there is no Lobatto rule: one point 0 of weight 0.
    cboint.IBOINT = 1;
    double x[10], w[10];
    int nint = 0;
    bointg(1, 1, x, w, nint);
    cboint.IBOINT = 0;
    EXPECT_EQ(nint, 1);
    EXPECT_EQ(x[0], 0.0);
    EXPECT_EQ(w[0], 0.0);
}

TEST(Bcoef2, AveragesTheOutwardNormalsAtTheCommonPoint) {
    // Counter-clockwise around the unit square: bottom side, then right side.
    const double p[6] = {0, 0, 0.5, 0, 1, 0};
    const double q[6] = {1, 0, 1, 0.5, 1, 1};
    double xn = 0, yn = 0;
    bcoef2(p, q, xn, yn);
    EXPECT_NEAR(xn, std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(yn, -std::sqrt(0.5), 1e-15);
    // A curved side: the quadratic through its nodes gives the tangent.
    const double r[6] = {1, 1, 0.4, 1.2, 0, 1};
    const double s[6] = {0, 1, -0.2, 0.5, 0, 0};
    bcoef2(r, s, xn, yn);
    // Tangent of r at its end: 0.5 (1,1) - 2 (0.4,1.2) + 1.5 (0,1) = (-0.3, -0.4), normal
    // (-0.8, 0.6); of s at its start: -1.5 (0,1) + 2 (-0.2,0.5) - 0.5 (0,0) = (-0.4, -0.5),
    // normal (-0.5, 0.4) / sqrt(0.41).
    const double mx = -0.8 - 0.5 / std::sqrt(0.41), my = 0.6 + 0.4 / std::sqrt(0.41);
    EXPECT_NEAR(xn, mx / std::hypot(mx, my), 1e-14);
    EXPECT_NEAR(yn, my / std::hypot(mx, my), 1e-14);
}

TEST(Bcoef2, CurvesThatDoNotMeetEndTheRun) {
    const double p[6] = {0, 0, 0.5, 0, 1, 0};
    const double q[6] = {1, 1e-20, 1, 0.5, 1, 1};
    double xn, yn;
    EXPECT_EXIT(bcoef2(p, q, xn, yn), ::testing::ExitedWithCode(1), "");
}

// Element 1 is the unit square; its sides 1 (bottom) and 2 (right) carry
// boundary number 5, side 4 (left) number 6.
bool unit_square_sides(int /*nel*/, int is, int end, int& nb, double* side, int& nb_other,
                       double* other) {
    const double corner[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const int numbers[4] = {5, 5, 0, 6};
    auto fill = [&](int s, double* out) {
        const double* a = corner[s - 1];
        const double* b = corner[s % 4];
        const double v[6] = {a[0], a[1], 0.5 * (a[0] + b[0]), 0.5 * (a[1] + b[1]), b[0], b[1]};
        for (int k = 0; k < 6; ++k) out[k] = v[k];
    };
    const int meet = end == 2 ? is % 4 + 1 : (is + 2) % 4 + 1;
    if (numbers[meet - 1] == 0) return false;
    nb = numbers[is - 1];
    nb_other = numbers[meet - 1];
    fill(is, side);
    fill(meet, other);
    return true;
}

TEST(Bcoef1, AveragesTheNormalsOnlyAtACornerOfOneBoundary) {
    HookGuard<MeetingSideSource> guard(meeting_side_hook, &unit_square_sides);
    double xn = 0, yn = 0;
    int iflag = -1;
    bcoef1(1, 1, 1.0, xn, yn, iflag);  // end of the bottom side: the right side, same number
    EXPECT_EQ(iflag, 1);
    EXPECT_NEAR(xn, std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(yn, -std::sqrt(0.5), 1e-15);
    bcoef1(1, 1, 0.3, xn, yn, iflag);  // not an end
    EXPECT_EQ(iflag, 0);
    bcoef1(1, 1, -1.0, xn, yn, iflag);  // start of the bottom side: the left side, number 6
    EXPECT_EQ(iflag, 0);
    // Side 2 at its far end (counter-clockwise) meets side 3, which is no boundary.
    bcoef1(1, 2, 1.0, xn, yn, iflag);
    EXPECT_EQ(iflag, 0);
    // Side 4's coordinate is reversed: t = 1 is its counter-clockwise start, the bottom.
    bcoef1(1, 4, 1.0, xn, yn, iflag);
    EXPECT_EQ(iflag, 0);
}

}  // namespace
}  // namespace kavren::testing
