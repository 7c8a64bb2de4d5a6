// The plot sampler on order-8 elements at its finest grid (33 x 33 points an
// element, solution component 1): sampled points per second on one core. The
// mesh is the unit square in 4 x 4 elements, read by the program's own
// reader in a scratch working directory and enriched to order 8; the solution
// holds arbitrary values.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench_project.hpp"
#include "control/reader.hpp"
#include "hpmesh/enrich.hpp"
#include "hpmesh/tree.hpp"
#include "meshgen/geometry.hpp"
#include "plot/sample.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "session/startup.hpp"
#include "support/units.hpp"

namespace kavren {
namespace {

const char* const kConfig = "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=0\nEND\n";
const std::string kDeck = kUnitSquareGeometry;

void BM_usfnxy_order8(benchmark::State& state) {
    BenchScratch scratch("sample", kConfig, kDeck);
    bench_project();
    bench_geometry();
    const int nrelem = cdata.NRELEM;
    int nel = 0;
    for (int i = 0; i < nrelem; ++i) {
        nel = nelcon(nel);
        enrich(nel, 8, cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS);
    }
    for (int d = 1; d <= cdata.NRDOF; ++d) cunew.UNEW(d, 1) = 0.001 * (d % 997);
    static double x[33 * 33], y[33 * 33], f[33 * 33];
    NodePoints xn;
    long points = 0;
    for (auto _ : state) {
        nel = 0;
        for (int i = 0; i < nrelem; ++i) {
            nel = nelcon(nel);
            int n = 0;
            usfnxy(nel, cunew.UNEW.data(), ICOLU_ROWS, 5, -1, 0, 0, xn, x, y, f, 33, n);
            points += (n + 1) * (n + 1);
        }
        benchmark::DoNotOptimize(f[0]);
    }
    state.SetItemsProcessed(points);
    state.counters["elements"] = nrelem;
    state.counters["dofs"] = cdata.NRDOF;  // (4 * 8 + 1)^2 = 1089 at order 8
}

BENCHMARK(BM_usfnxy_order8)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kavren
