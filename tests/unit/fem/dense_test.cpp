// Dense LU, vector kernels, and the small dense and band solvers, on a table
// of systems with known solutions.
#include "fem/dense.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "fem/solvers.hpp"
#include "fem_support.hpp"

namespace kavren::testing {
namespace {

// A system A x = b with the solution x known; A given by rows for reading,
// stored by columns with leading dimension ld (>= n) for the routines.
struct System {
    int n;
    std::vector<double> rows;  // n by n, by rows
    std::vector<double> x;     // the solution
    bool needs_pivoting;       // a leading pivot is zero or tiny
};

const std::vector<System>& systems() {
    static const std::vector<System> s = {
        {1, {4}, {2.5}, false},
        {2, {2, 1, 1, 3}, {1, -2}, false},
        {2, {0, 1, 1, 0}, {3, 4}, true},
        {3, {4, -1, 0, -1, 4, -1, 0, -1, 4}, {1, 2, 3}, false},
        {3, {1e-14, 2, 1, 3, 1, 4, 2, 5, 1}, {-1, 0.5, 2}, true},
        {4, {10, 1, 2, 0, 1, 12, 0, 3, 2, 0, 9, 1, 0, 3, 1, 11}, {1, -1, 2, -2}, false},
        {5,
         {1, 2, 3, 4, 5, 2, 3, 4, 5, 1, 3, 4, 5, 1, 2, 4, 5, 1, 2, 3, 5, 1, 2, 3, 4},
         {0.5, -1, 1.5, -2, 2.5},
         true},
    };
    return s;
}

// The system's matrix by columns with leading dimension ld, and its right-hand side.
std::vector<double> matrix(const System& s, int ld) {
    std::vector<double> a(static_cast<std::size_t>(ld) * s.n, -99.0);
    for (int i = 0; i < s.n; ++i)
        for (int j = 0; j < s.n; ++j) a[i + j * ld] = s.rows[i * s.n + j];
    return a;
}
std::vector<double> rhs(const System& s) {
    std::vector<double> b(s.n, 0.0);
    for (int i = 0; i < s.n; ++i)
        for (int j = 0; j < s.n; ++j) b[i] += s.rows[i * s.n + j] * s.x[j];
    return b;
}
void expect_solution(const System& s, const std::vector<double>& x, double tol) {
    for (int i = 0; i < s.n; ++i) EXPECT_NEAR(x[i], s.x[i], tol) << "n=" << s.n << " i=" << i;
}

//// LU with partial pivoting ////

class DenseTest : public TerminalTest {};

TEST_F(DenseTest, DecompAndGauss2SolveEverySystem) {
    for (const System& s : systems()) {
        const int ld = s.n + 2;
        auto a = matrix(s, ld);
        auto b = rhs(s);
        std::vector<int> ipvt(s.n);
        std::vector<double> x(s.n);
        int info = -1;
        decomp(s.n, ld, a.data(), ipvt.data(), info);
        ASSERT_EQ(info, 0);
        EXPECT_EQ(ipvt[s.n - 1], s.n);
        gauss2(s.n, ld, a.data(), ipvt.data(), b.data(), x.data());
        expect_solution(s, x, 1e-12);
    }
    // Partial pivoting never takes the tiny entry as a pivot: no warning.
    EXPECT_TRUE(lines("terminal.txt").empty());
}

TEST_F(DenseTest, MatinvReplacesTheFactorsByTheInverse) {
    for (const System& s : systems()) {
        const int ld = s.n + 1;
        auto a = matrix(s, ld);
        const auto a0 = a;
        std::vector<int> ipvt(s.n);
        std::vector<double> work(s.n);
        int info = 0;
        decomp(s.n, ld, a.data(), ipvt.data(), info);
        matinv(s.n, ld, a.data(), ipvt.data(), work.data());
        for (int i = 0; i < s.n; ++i)
            for (int j = 0; j < s.n; ++j) {
                double p = 0.0;
                for (int k = 0; k < s.n; ++k) p += a0[i + k * ld] * a[k + j * ld];
                EXPECT_NEAR(p, i == j ? 1.0 : 0.0, 1e-12) << s.n << ": " << i << "," << j;
            }
    }
}

TEST_F(DenseTest, DecompTakesTheUpperOfEqualPivots) {
    // Column 1 is (1, -3, 3): rows 2 and 3 tie; row 2 wins.
    double a[9] = {1, -3, 3, 2, 1, 1, 0, 5, 2};
    int ipvt[3], info;
    decomp(3, 3, a, ipvt, info);
    EXPECT_EQ(ipvt[0], 2);
    EXPECT_EQ(a[0], -3.0);
}

TEST_F(DenseTest, SmallPivotsAreReportedWithAPauseAtTheThreshold) {
    struct Case {
        double pivot;
        bool warns;
    } cases[] = {{1.000000013351432e-10, true}, {1.0000001e-10, false}, {-5e-11, true}};
    int run = 0;
    for (const Case& c : cases) {
        const std::string name = "terminal" + std::to_string(++run) + ".txt";
        units::open_text(units::STDOUT_UNIT, name, units::Open::create);
        keyboard("\n");
        double a[1] = {c.pivot};
        int ipvt[1] = {0}, info = -1;
        decomp(1, 1, a, ipvt, info);
        EXPECT_EQ(info, 0);
        EXPECT_EQ(ipvt[0], 1);
        auto out = lines(name);
        if (c.warns) {
            ASSERT_EQ(out.size(), 1u) << c.pivot;
            EXPECT_EQ(out[0].rfind(" PIVOT= ", 0), 0u) << out[0];
        } else {
            EXPECT_TRUE(out.empty()) << c.pivot;
        }
    }
}

TEST_F(DenseTest, ZeroOrUndefinedPivotStopsTheFactorisationWithInfoOne) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Columns (1, 2, 3), then twice the first (a zero pivot at step 2) or not a
    // number, then (0, 1, 1).
    for (bool undefined : {false, true}) {
        double a[9] = {1, 2, 3, 2, 4, 6, 0, 1, 1};
        if (undefined) a[3] = a[4] = a[5] = nan;
        int ipvt[3], info = -1;
        decomp(3, 3, a, ipvt, info);
        EXPECT_EQ(info, 1) << undefined;
        // Column 1 holds its factors (row 3 the pivot), column 3 the state after
        // step 1; step 2 changed nothing.
        EXPECT_EQ(ipvt[0], 3);
        EXPECT_EQ(a[0], 3.0);
        EXPECT_DOUBLE_EQ(a[1], 2.0 / 3.0);
        EXPECT_EQ(a[6], 1.0);
        EXPECT_DOUBLE_EQ(a[7], 1.0 / 3.0);
        EXPECT_DOUBLE_EQ(a[8], -1.0 / 3.0);
    }
    EXPECT_EQ(lines("terminal.txt").size(), 2u);  // one PIVOT= line for each
}

TEST(VectorKernels, FollowTheStridedConvention) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    double x[5] = {1, -7, 3, 7, 2};
    EXPECT_EQ(isamax(5, x, 1), 2);  // -7 and 7 tie: the first wins
    EXPECT_EQ(isamax(3, x, 2), 2);  // 1, 3, 2
    EXPECT_EQ(isamax(0, x, 1), 0);
    EXPECT_EQ(isamax(3, x, 0), 0);
    EXPECT_EQ(isamax(1, x, 1), 1);

    double s[3] = {nan, 2, 3};
    sscal(3, 1.0, s, 1);
    EXPECT_TRUE(std::isnan(s[0]));
    sscal(3, 2.0, s, -1);  // a negative increment does nothing
    EXPECT_EQ(s[1], 2.0);
    sscal(3, 0.0, s, 1);
    EXPECT_EQ(s[0], 0.0);
    double f[2] = {1.5, -2};
    sscal(2, -1.0, f, 1);
    EXPECT_EQ(f[0], -1.5);
    EXPECT_EQ(f[1], 2.0);

    // saxpy with a negative increment walks y from its far end.
    double a[3] = {1, 2, 3}, y[3] = {0, 0, 0};
    saxpy(3, 2.0, a, 1, y, -1);
    EXPECT_EQ(y[0], 6.0);
    EXPECT_EQ(y[2], 2.0);
    saxpy(3, 0.0, a, 1, y, 1);
    EXPECT_EQ(y[0], 6.0);

    double c[1] = {0};
    scopy(3, x, 2, c, 0);  // y(1) ends holding the last element copied
    EXPECT_EQ(c[0], x[4]);

    double p[1] = {1}, q[1] = {2};
    sswap(2, p, 0, q, 0);
    EXPECT_EQ(p[0], 1.0);
    sswap(3, p, 0, q, 0);
    EXPECT_EQ(p[0], 2.0);
    EXPECT_EQ(q[0], 1.0);
    double u[3] = {1, 2, 3}, v[3] = {4, 5, 6};
    sswap(3, u, 1, v, -1);
    EXPECT_EQ(u[0], 6.0);
    EXPECT_EQ(v[0], 3.0);

    EXPECT_EQ(sdot(3, u, 1, v, 1), sdot1(3, u, 1, v, 1));
    EXPECT_EQ(sdot(0, u, 1, v, 1), 0.0);
    const double three_four[2] = {3, 4};
    EXPECT_EQ(snrm2(2, three_four, 1), 5.0);
    EXPECT_EQ(snrm2(2, three_four, -1), 0.0);
    EXPECT_EQ(snrm21(2, three_four, -1), 5.0);
    EXPECT_EQ(snrm21(0, three_four, 1), 0.0);
}

//// Gauss elimination without pivoting ////

TEST(Gausse, SolvesTheSystemsThatNeedNoPivoting) {
    for (const System& s : systems()) {
        if (s.needs_pivoting) continue;
        const int ld = s.n + 3;
        auto a = matrix(s, ld);
        auto b = rhs(s);
        std::vector<double> x(s.n);
        gausse(a.data(), ld, b.data(), x.data(), s.n);
        expect_solution(s, x, 1e-12);
    }
    // One by one: no step, no test of the last pivot.
    double a[1] = {0}, b[1] = {1}, x[1];
    gausse(a, 1, b, x, 1);
    EXPECT_TRUE(std::isinf(x[0]));
}

TEST(Gausse, InvertGivesTheInverse) {
    const System& s = systems()[5];
    const int ld = 6;
    auto a = matrix(s, ld);
    std::vector<double> inv(ld * s.n), w(ld * s.n), v(ld);
    invert(a.data(), inv.data(), w.data(), v.data(), ld, s.n);
    for (int i = 0; i < s.n; ++i)
        for (int j = 0; j < s.n; ++j) {
            double p = 0.0;
            for (int k = 0; k < s.n; ++k) p += a[i + k * ld] * inv[k + j * ld];
            EXPECT_NEAR(p, i == j ? 1.0 : 0.0, 1e-14);
        }
}

TEST(Gausse, APivotBelowTheThresholdEndsTheRun) {
    double a[4] = {1e-30, 1, 1, 1}, b[2] = {1, 1}, x[2];
    EXPECT_EXIT(gausse(a, 2, b, x, 2), ::testing::ExitedWithCode(1), "");
    // Just above the threshold the elimination goes on.
    double c[4] = {1.0000001e-30, 1, 1, 1}, d[2] = {1, 1}, y[2];
    tri(c, 2, 2);
    rhsub(c, y, d, 2, 2);
    EXPECT_TRUE(std::isfinite(y[0]));
}

class SmallPivotLine : public TerminalTest {};

TEST_F(SmallPivotLine, TriWritesTheEquationAndPivot) {
    double a[4] = {0, 1, 1, 1};
    EXPECT_EXIT(tri(a, 2, 2), ::testing::ExitedWithCode(1), "");
    auto out = lines("terminal.txt");
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], " REDUCTION FAILED DUE TO SMALL PIVOTEQUATION NO.    1 0.000E+00");
}

//// solver with row interchanges ////

TEST(Chlsky, SolvesEverySystem) {
    for (const System& s : systems()) {
        auto a = matrix(s, s.n);
        auto b = rhs(s);
        chlsky(a.data(), s.n, b.data());
        expect_solution(s, b, 1e-12);
    }
}

//// band solver ////

// A symmetric positive definite band matrix of half bandwidth nb, in band
// storage (row i, column nb+1 the diagonal, column nb+1-k the entry (i, i-k)).
struct Band {
    int n, nb;
    std::vector<double> full;  // n by n, by columns
};
Band spd_band(int n, int nb) {
    Band b{n, nb, std::vector<double>(static_cast<std::size_t>(n) * n, 0.0)};
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            int d = std::abs(i - j);
            if (d <= nb)
                b.full[i + j * n] = d == 0 ? 4.0 + nb + 0.1 * i : -1.0 / (d + std::min(i, j) % 3);
        }
    return b;
}

TEST(Ludapb, SolvesBandSystemsAndGivesTheDeterminant) {
    for (auto [n, nb] : {std::pair{6, 1}, {7, 2}, {4, 3}, {1, 0}}) {
        Band m = spd_band(n, nb);
        const int ld = 10;
        std::vector<double> a(ld * (nb + 1), 0.0), ul(ld * (nb + 1), 7.0);
        for (int i = 1; i <= n; ++i)
            for (int k = 0; k <= nb && i - k >= 1; ++k)
                a[(i - 1) + (nb - k) * ld] = m.full[(i - 1) + (i - k - 1) * n];
        double d1, d2;
        int ier = -1;
        ludapb(a.data(), n, nb, ld, ul.data(), ld, d1, d2, ier);
        ASSERT_EQ(ier, 0);
        EXPECT_GT(std::fabs(d1), 0.0625);
        EXPECT_LE(std::fabs(d1), 1.0);
        // Reference: solution of a known x and the determinant by LU of the full matrix.
        std::vector<double> xt(n), b(n, 0.0), x(n);
        for (int i = 0; i < n; ++i) xt[i] = 1.0 + 0.5 * i - (i % 2);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) b[i] += m.full[i + j * n] * xt[j];
        const auto b0 = b;
        luelpb(ul.data(), b.data(), n, nb, ld, x.data());
        EXPECT_EQ(b, b0);
        for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], xt[i], 1e-13) << n << "," << nb;
        std::vector<double> f = m.full;
        std::vector<int> ipvt(n);
        int info;
        decomp(n, n, f.data(), ipvt.data(), info);
        double det = 1.0;
        for (int i = 0; i < n; ++i) det *= f[i + i * n];
        EXPECT_NEAR(d1 * std::ldexp(1.0, static_cast<int>(d2)), det, 1e-12 * std::fabs(det));
    }
}

TEST(Ludapb, IdentityOfOrderTwo) {
    double a[4] = {0, 1, 1, 1};  // column 1: below-diagonal entries (row 1 outside), column 2: 1, 1
    a[1] = 0.0;
    double ul[4] = {9, 9, 9, 9}, d1, d2;
    int ier;
    ludapb(a, 2, 1, 2, ul, 2, d1, d2, ier);
    EXPECT_EQ(ier, 0);
    EXPECT_EQ(ul[0], 0.0);
    EXPECT_EQ(ul[1], 0.0);
    EXPECT_EQ(ul[2], 1.0);
    EXPECT_EQ(ul[3], 1.0);
    EXPECT_EQ(d1, 1.0);
    EXPECT_EQ(d2, 0.0);
    // Leading zeros of b are skipped, and the solution is exact.
    double b[2] = {0, 3}, x[2];
    luelpb(ul, b, 2, 1, 2, x);
    EXPECT_EQ(x[0], 0.0);
    EXPECT_EQ(x[1], 3.0);
}

class LudapbFailure : public TerminalTest {};

TEST_F(LudapbFailure, NotPositiveDefiniteIsReportedWithTheMatrix) {
    // [[1, 2], [2, 1]]: the second pivot is -3.
    double a[4] = {0, 2, 1, 1}, ul[4], d1, d2;
    int ier = 0;
    ludapb(a, 2, 1, 2, ul, 2, d1, d2, ier);
    EXPECT_EQ(ier, 129);
    EXPECT_EQ(lines("terminal.txt"), std::vector<std::string>{" ERROR IN LUDAPB ,  IER=  129"});
    const std::vector<std::string> err = {
        " ERROR IN LUDAPB ,  IER=  129", "   1", "  0.0000  1.0000", "   2", "  2.0000  1.0000",
    };
    EXPECT_EQ(lines("err.txt"), err);
}

//// update kernels ////

// Every build of the update kernels this machine runs, against the terms
// taken one at a time in order: the same bits, for sizes that leave every
// kind of partial tile and vector. The padding between columns (ld > m)
// shows a kernel that writes past its rows.
TEST(UpdateKernels, EveryBuildTakesTheTermsInOrderToTheBit) {
    std::mt19937 g(7);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    int builds = 0;
    for (KernelIsa isa : {KernelIsa::generic, KernelIsa::avx2, KernelIsa::avx512}) {
        const DenseKernels* k = dense_kernels_for(isa);
        if (k == nullptr) continue;
        ++builds;
        EXPECT_EQ(k->isa, isa);
        for (int m : {1, 3, 8, 13, 24, 25, 61})
            for (int nc : {1, 3, 8, 11})
                for (int kb : {1, 4, 7, 13}) {
                    const int ld = m + 3, ldp = m + 5, ldq = nc + 2;
                    std::vector<double> c(static_cast<std::size_t>(ld * nc)), p(ldp * kb),
                        q(ldq * kb);
                    for (double& v : c) v = d(g);
                    for (double& v : p) v = d(g);
                    for (double& v : q) v = d(g);
                    std::vector<double> want = c;
                    for (int j = 0; j < nc; ++j)
                        for (int r = 0; r < m; ++r)
                            for (int t = 0; t < kb; ++t)
                                want[r + j * ld] = dense_msub(want[r + j * ld], p[t * ldp + r],
                                                              q[t * ldq + j], k->fused);
                    const std::string what = std::string(k->name) + " m " + std::to_string(m) +
                                             " nc " + std::to_string(nc) + " kb " +
                                             std::to_string(kb);
                    std::vector<double*> cols;
                    std::vector<double> got = c;
                    for (int j = 0; j < nc; ++j) cols.push_back(got.data() + j * ld);
                    k->update(cols.data(), nc, m, p.data(), ldp, q.data(), ldq, kb);
                    EXPECT_EQ(got, want) << "update " << what;

                    std::vector<double> pk(((m + k->block - 1) / k->block) * k->block * kb);
                    dense_pack(pk.data(), p.data(), ldp, kb, m, k->block);
                    got = c;
                    k->update_packed(cols.data(), nc, m, pk.data(), q.data(), ldq, kb);
                    EXPECT_EQ(got, want) << "packed " << what;

                    // Columns that end early (some at once, one only at m):
                    // rows from len[j] on are left as they were.
                    std::vector<int> len(static_cast<std::size_t>(nc));
                    for (int j = 0; j < nc; ++j) len[j] = j + 1 == nc ? m : (j * 5 + 3) % (m + 1);
                    std::vector<double> top = c;
                    for (int j = 0; j < nc; ++j)
                        for (int r = 0; r < len[j]; ++r) top[r + j * ld] = want[r + j * ld];
                    got = c;
                    k->update_packed_top(cols.data(), len.data(), nc, m, pk.data(), q.data(), ldq,
                                         kb);
                    EXPECT_EQ(got, top) << "packed, columns ending early, " << what;

                    if (nc != 1) continue;
                    std::vector<const double*> rows;
                    std::vector<double> qs;
                    for (int t = 0; t < kb; ++t) {
                        rows.push_back(p.data() + t * ldp);
                        qs.push_back(q[t * ldq]);
                    }
                    got = c;
                    k->column(got.data(), m, rows.data(), qs.data(), kb);
                    EXPECT_EQ(got, want) << "column " << what;

                    got = c;
                    k->divide(got.data(), 3.0, m);
                    for (int r = 0; r < m; ++r) EXPECT_EQ(got[r], c[r] / 3.0) << "divide " << what;
                    EXPECT_EQ(got[m], c[m]) << "divide stops at n, " << what;
                }
    }
    EXPECT_GE(builds, 1);
    // The chosen build is the widest the machine runs.
    const DenseKernels& chosen = dense_kernels();
    for (KernelIsa wider : {KernelIsa::avx2, KernelIsa::avx512})
        if (wider > chosen.isa) {
            EXPECT_EQ(dense_kernels_for(wider), nullptr);
        }
}

//// LU with row pivoting ////

TEST(Gdecomp, SolvesEverySystem) {
    for (const System& s : systems()) {
        const int ld = s.n + 1;
        auto a = matrix(s, ld);
        auto x = rhs(s);
        std::vector<int> ipvt(std::max(1, s.n - 1));
        gdecomp(a.data(), ld, s.n, ipvt.data());
        linvpx(a.data(), x.data(), ld, s.n, ipvt.data());
        uinvx(a.data(), x.data(), ld, s.n);
        expect_solution(s, x, 1e-12);
    }
}

class GdecompStop : public TerminalTest {};

TEST_F(GdecompStop, AZeroColumnStopsWithTheSmallPivotLine) {
    double a[4] = {0, 0, 1, 2};
    int ipvt[1];
    EXPECT_EXIT(gdecomp(a, 2, 2, ipvt), ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(lines("terminal.txt"), std::vector<std::string>{" SMALL PIVOT =  0."});
}

}  // namespace
}  // namespace kavren::testing
