// Element matrix and load of the built-in problem on one curved element of
// uniform order 1..8: time per element, and multiply-adds per second of the
// integration loops ("madd/s"), counting those the kernels actually perform
// (element_stats): a symmetric block is computed in tiles of columns down to
// each tile's last column, the rest copied from above the diagonal.
//
// The exact solution is a C++ function here, so the timings are those of the
// element kernel alone, without the expression evaluator behind exact().
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "fem/element.hpp"
#include "fem/mesh_seams.hpp"
#include "fem/shape.hpp"
#include "fem/tables.hpp"
#include "records/limits.hpp"
#include "records/problem.hpp"
#include "support/units.hpp"
#include "user/problem.hpp"

namespace {

using namespace kavren;

void smooth_w(double& x, double& y, double& u, double* du, double* d2u) {
    const double e = std::exp(0.5 * x), s = std::sin(y), c = std::cos(y);
    u = e * s;
    du[0] = 0.5 * e * s;
    du[1] = e * c;
    d2u[0] = 0.25 * e * s;
    d2u[1] = d2u[2] = 0.5 * e * c;
    d2u[3] = -e * s;
}

// Every side Dirichlet (kind 1, boundary number 1).
void dirichlet_sides(int /*nel*/, int nside, int* kinds) {
    for (int i = 0; i < nside; ++i) {
        kinds[i] = 1;
        kinds[nside + i] = 1;
    }
}

struct Setup {
    Setup() {
        units::open_text(units::STDOUT_UNIT, "/dev/null", units::Open::existing);
        cnst();
        cnsti();
        cnsti1d();
        units::close(units::STDOUT_UNIT);
        ceqsys.NREQNS = 1;
        problem_exact = &smooth_w;
        bcelem_sides = &dirichlet_sides;
        // A sector of an annulus: a curved element.
        const double mx[9] = {-1, 1, 1, -1, 0, 1, 0, -1, 0};
        const double my[9] = {-1, -1, 1, 1, -1, 0, 1, 0, 0};
        for (int k = 0; k < 9; ++k) {
            const double r = 2.0 + 0.5 * mx[k], th = 0.4 + 0.3 * my[k];
            xnod[2 * k] = r * std::cos(th);
            xnod[2 * k + 1] = r * std::sin(th);
        }
        xk.resize(static_cast<std::size_t>(MAX_ELVAR) * MAX_ELVAR);
        ph.resize(MAX_ELVAR);
    }
    double xnod[18];
    std::vector<double> xk, ph;
};
Setup& setup() {
    static Setup s;
    return s;
}

// madds: the multiply-adds performed over all the iterations.
void set_counters(benchmark::State& state, int ndof, double madds) {
    state.counters["ndof"] = ndof;
    state.counters["madd/s"] = benchmark::Counter(madds / static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

void BM_melem(benchmark::State& state) {
    Setup& s = setup();
    const int p = static_cast<int>(state.range(0));
    const int nord[9] = {1, 1, 1, 1, p, p, p, p, p};
    const int ndof = element_nfun(nord);
    const double before = element_stats.madds;
    for (auto _ : state) {
        melem(1, nord, ndof, s.xnod, MAX_ELVAR, s.xk.data(), s.ph.data());
        benchmark::DoNotOptimize(s.xk.data());
    }
    set_counters(state, ndof, element_stats.madds - before);
}
BENCHMARK(BM_melem)->DenseRange(1, 8);

// The whole element: domain terms and the penalty terms of four Dirichlet sides.
void BM_melem_bcelem(benchmark::State& state) {
    Setup& s = setup();
    const int p = static_cast<int>(state.range(0));
    int nord[9] = {1, 1, 1, 1, p, p, p, p, p};
    const int ndof = element_nfun(nord);
    const double before = element_stats.madds;
    for (auto _ : state) {
        melem(1, nord, ndof, s.xnod, MAX_ELVAR, s.xk.data(), s.ph.data());
        bcelem(1, nord, ndof, s.xnod, MAX_ELVAR, s.xk.data(), s.ph.data());
        benchmark::DoNotOptimize(s.xk.data());
    }
    set_counters(state, ndof, element_stats.madds - before);
}
BENCHMARK(BM_melem_bcelem)->DenseRange(1, 8);

}  // namespace
