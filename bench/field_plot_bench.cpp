// The field plots into a PostScript file, as the EXECUTE driver draws them:
// TWODIM (the contour map at 13 levels) of 4096 elements and TRIDIM (the
// surface, 4 facets an element) of 1024 elements, one picture per iteration
// on one core. The mesh is the unit square in 4 x 4 elements, read by the
// program's own reader in a scratch working directory and refined globally;
// the solution holds arbitrary values.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_project.hpp"
#include "control/reader.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/tree.hpp"
#include "meshgen/geometry.hpp"
#include "plot/field_plots.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "session/startup.hpp"
#include "support/units.hpp"

namespace kavren {
namespace {

const char* const kConfig = "MODE=COMMAND\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
const std::string kDeck = kUnitSquareGeometry + "TWODIM,LASER=BENCH\nTRIDIM,LASER=BENCH\n";

// The 16 elements of the deck refined globally `times` times; the record
// after the geometry is read and made current.
void setup(int times) {
    bench_project();
    bench_geometry();
    for (int t = 0; t < times; ++t) {
        std::vector<int> active;
        int nel = 0;
        for (int i = 0; i < cdata.NRELEM; ++i) active.push_back(nel = nelcon(nel));
        for (int e : active) {
            int nfson = 0;
            findfs(e, nfson);
            if (nfson == 0) refine(e, cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS);
        }
    }
    for (int d = 1; d <= cdata.NRDOF; ++d) cunew.UNEW(d, 1) = 0.001 * (d % 997);
}

void BM_twodim_4096(benchmark::State& state) {
    BenchScratch scratch("field", kConfig, kDeck);
    setup(4);
    int ierr = 0;
    ffldin(cinout.LUIN, cinout.LUOUT, 0, ierr);  // TWODIM,LASER=BENCH
    for (auto _ : state) mapcnc(cunew.UNEW.data(), ICOLU_ROWS, -1);
    state.counters["elements"] = cdata.NRELEM;
    state.counters["bytes"] =
        static_cast<double>(std::filesystem::file_size(scratch.dir / "print/bench"));
}

void BM_tridim_1024(benchmark::State& state) {
    BenchScratch scratch("field", kConfig, kDeck);
    setup(3);
    int ierr = 0;
    ffldin(cinout.LUIN, cinout.LUOUT, 0, ierr);  // TWODIM,LASER=BENCH
    ffldin(cinout.LUIN, cinout.LUOUT, 0, ierr);  // TRIDIM,LASER=BENCH
    for (auto _ : state) mapc3dwr(cunew.UNEW.data(), ICOLU_ROWS, -1);
    state.counters["elements"] = cdata.NRELEM;
    state.counters["bytes"] =
        static_cast<double>(std::filesystem::file_size(scratch.dir / "print/bench"));
}

BENCHMARK(BM_twodim_4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_tridim_1024)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kavren
