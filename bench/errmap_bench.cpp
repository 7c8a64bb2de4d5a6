// The error map of the EXECUTE driver into a PostScript file: DISERR=2 of a
// mesh of 4096 bilinear elements, the unit square read from GEOMETRY records
// by the program's own reader in a scratch working directory (4 x 4 initial
// elements) and refined four times over; the errors are arbitrary values by
// slot. Times one whole map: options, range pass, scale, drawing, legend and
// the file written and closed.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "bench_project.hpp"
#include "control/reader.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/tree.hpp"
#include "meshgen/geometry.hpp"
#include "plot/errmap.hpp"
#include "records/control.hpp"
#include "records/execute.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "session/startup.hpp"
#include "support/units.hpp"

namespace kavren {
namespace {

const char* const kConfig = "MODE=COMMAND\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
const std::string kDeck = kUnitSquareGeometry + "DISERR=2,LASER=MAP\n";

void BM_diserr_4096(benchmark::State& state) {
    BenchScratch scratch("errmap", kConfig, kDeck);
    bench_project();
    bench_geometry();
    int ierr = 0;
    for (int level = 0; level < 4; ++level) {
        std::vector<int> active;
        int nel = 0;
        for (int i = 0; i < cdata.NRELEM; ++i) active.push_back(nel = nelcon(nel));
        for (int a : active) refine(a, cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS);
    }
    if (cdata.NRELEM != 4096) {
        state.SkipWithError("the mesh is not 4096 elements");
        return;
    }
    for (int s = 1; s <= MAXSLOT; ++s) cexecute.errors_h1(s) = 0.001 * (s % 997);
    ffldin(cinout.LUIN, cinout.LUOUT, 0, ierr);  // the DISERR record
    for (auto _ : state) diserr(cexecute.errors_h1.data());
    state.counters["elements"] = cdata.NRELEM;
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size("print/map"));
}
BENCHMARK(BM_diserr_4096)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kavren
