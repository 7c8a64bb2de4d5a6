// The evaluator in the element loops: one compiled expression run by the
// interpreter, userf with the six expressions of an exact solution stored,
// and exact, which asks userf six times.
#include <benchmark/benchmark.h>

#include "adapt/exact.hpp"
#include "eval/evaluator.hpp"
#include "eval/expr.hpp"
#include "eval/ifcompo.hpp"
#include "records/eval.hpp"
#include "records/problem.hpp"

namespace {

using namespace kavren;

// EXP(X+Y)*SIN(3*X) and its derivatives, as a user types them.
void store_exact_solution() {
    initeval();
    ceqsys.NREQNS = 1;
    evpack("OMEGA=EXP(X+Y)*SIN(3*X)");
    evpack("OMEGAX=EXP(X+Y)*(SIN(3*X)+3*COS(3*X))");
    evpack("OMEGAY=EXP(X+Y)*SIN(3*X)");
    evpack("OMEGAXX=EXP(X+Y)*(6*COS(3*X)-8*SIN(3*X))");
    evpack("OMEGAXY=EXP(X+Y)*(SIN(3*X)+3*COS(3*X))");
    evpack("OMEGAYY=EXP(X+Y)*SIN(3*X)");
}

// Ten operations: nine operators and one function.
void BM_EvalufTenOperations(benchmark::State& state) {
    initeval();
    Chars<EXPR_TEXT> text("(X+1)*(Y-2)+X*Y/3-SQRT(X*X+Y)");
    int irpn[RPN_ROWS] = {};
    int len = 0, istat = 0;
    eval(EV_COMPILE, text, irpn, len, istat);
    double x = 0.0;
    for (auto _ : state) {
        b1.VARVAL(2) = x;
        b1.VARVAL(3) = 0.5 - x;
        benchmark::DoNotOptimize(evaluf(irpn, len));
        x += 1e-7;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["codes"] = len;
}
BENCHMARK(BM_EvalufTenOperations);

void BM_UserfSixExpressions(benchmark::State& state) {
    store_exact_solution();
    const int ivar = ifcompo("OMEGA");
    const double zero[MAX_EQNS] = {0, 0, 0, 0};
    double x = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(userf(1, x, 0.25, zero, zero, zero, ivar));
        x += 1e-7;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UserfSixExpressions);

void BM_ExactSixOutputs(benchmark::State& state) {
    store_exact_solution();
    double x = 0.0, y = 0.25, u = 0.0, du[2], d2u[4];
    for (auto _ : state) {
        exact(x, y, u, du, d2u);
        benchmark::DoNotOptimize(u);
        x += 1e-7;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExactSixOutputs);

}  // namespace
