// The frontal solver against a dense solve of the assembled system, on
// synthetic element sets; the same answer bit for bit whatever the buffer
// size or the re-solution mode, and to rounding whatever the assembly mode.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "harness.hpp"

namespace kavren::testing {
namespace {

struct SetCase {
    const char* name;
    std::function<ElementSet()> make;
    int nrhs;
};

const SetCase kSets[] = {
    {"grid4x3p1", [] { return grid_set(4, 3, 1, 1); }, 1},
    {"grid3x3p3c2shuffled", [] { return grid_set(3, 3, 3, 2, 7); }, 2},
    {"grid2x2p5", [] { return grid_set(2, 2, 5, 1); }, 1},
    {"grid6x5p2shuffled", [] { return grid_set(6, 5, 2, 1, 3); }, 1},
    {"random40with_empty", [] { return random_set(40, 30, 6, 11, 5); }, 2},
    {"random200", [] { return random_set(200, 120, 9, 5); }, 1},
};

double max_abs(const std::vector<double>& v) {
    double m = 0;
    for (double x : v) m = std::max(m, std::fabs(x));
    return m;
}

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

int nonempty(const Problem& p) {
    int n = 0;
    for (const auto& el : p.set.elements) n += !el.empty() && p.set.ndof.size() > 0;
    return n;
}

// The smallest work array the storage plan accepts for p: every equation
// then goes through the scratch files in many records.
long smallest_ma(Problem& p, const SolveOptions& o) {
    SolveOptions big = o;
    big.ma = 400000;
    EXPECT_EQ(run(p, big), 0);
    const long need = surfc2.MFW + p.nrhs + (o.isym == 3 ? surfc2.MFW : 0);
    return big.ma - surfc2.MBUF + need;
}

class FrontalSolve : public ::testing::TestWithParam<std::tuple<int, bool>> {
  protected:
    void SetUp() override { reset_messages(); }
};

TEST_P(FrontalSolve, MatchesDenseSolveAndIgnoresBufferSize) {
    const auto [index, sym] = GetParam();
    const SetCase& sc = kSets[index];
    Problem p;
    p.set = sc.make();
    p.sym = sym;
    p.nrhs = sc.nrhs;
    p.fill(100 + index);
    const int plain = sym ? 1 : 2, kept = sym ? 4 : 3;

    SolveOptions o;
    o.isym = plain;
    ASSERT_EQ(run(p, o), 0);
    EXPECT_TRUE(p.consistent);
    EXPECT_EQ(p.solout_calls, nonempty(p));
    EXPECT_EQ(surfc2.IUDUMP, 0) << "a large buffer keeps every equation in core";
    const std::vector<double> ref = p.dense_solution();
    double err = 0;
    for (std::size_t i = 0; i < ref.size(); ++i) err = std::max(err, std::fabs(p.x[i] - ref[i]));
    EXPECT_LE(err, 1e-10 * max_abs(ref)) << sc.name;
    EXPECT_EQ(surfc1.NNEGPV() + surfc1.NPOSPV(), p.nglobal);
    if (sym) {
        EXPECT_EQ(surfc1.NNEGPV(), 0) << "diagonally dominant and symmetric: positive definite";
    }
    const std::vector<double> x = p.x;

    // Forced flushes, both modes, both assemblies: the same bits.
    for (int isym : {plain, kept}) {
        SolveOptions small = o;
        small.isym = isym;
        small.ma = smallest_ma(p, small);
        ASSERT_EQ(run(p, small), 0) << isym;
        EXPECT_GT(surfc2.IFU, 1) << "the small buffer spilled into the scratch file";
        EXPECT_TRUE(same_bits(p.x, x)) << sc.name << " isym " << isym;
        // The call-back assembling into the front takes it with every
        // pending update applied, which may move the last bits.
        SolveOptions direct = o;
        direct.isym = isym;
        direct.iassem = 0;
        ASSERT_EQ(run(p, direct), 0);
        double moved = 0;
        for (std::size_t i = 0; i < x.size(); ++i)
            moved = std::max(moved, std::fabs(p.x[i] - x[i]));
        EXPECT_LE(moved, 1e-12 * max_abs(x)) << sc.name << " assembled by the call-back";
    }
}

TEST_P(FrontalSolve, ResolutionGivesTheCompleteSolutionOfTheNewLoads) {
    const auto [index, sym] = GetParam();
    const SetCase& sc = kSets[index];
    Problem p;
    p.set = sc.make();
    p.sym = sym;
    p.nrhs = sc.nrhs;
    p.fill(200 + index);
    SolveOptions o;
    o.isym = sym ? 4 : 3;
    o.ma = smallest_ma(p, o) + 7;  // a few words over the minimum: many records
    ASSERT_EQ(run(p, o), 0);

    p.new_loads(300 + index);
    SolveOptions fresh;
    fresh.isym = sym ? 1 : 2;
    Problem q = p;
    ASSERT_EQ(run(q, fresh), 0);
    const std::vector<double> expect = q.x;

    // Re-solve twice from the same factors (prefront of p restored first).
    current() = &p;
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<double> work;
        SolveOptions re = o;
        re.iresol = 1;
        ASSERT_EQ(solve(p, re, work), 0) << messages().size();
        EXPECT_TRUE(p.consistent);
        EXPECT_EQ(surfc1.NNEGPV(), -1);
        EXPECT_EQ(surfc1.NPOSPV(), -1);
        EXPECT_TRUE(same_bits(p.x, expect)) << sc.name << " pass " << pass;
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, FrontalSolve,
                         ::testing::Combine(::testing::Range(0, 6), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(kSets[std::get<0>(info.param)].name) +
                                    (std::get<1>(info.param) ? "_sym" : "_unsym");
                         });

}  // namespace
}  // namespace kavren::testing
