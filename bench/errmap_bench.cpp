// The error map of the EXECUTE driver into a PostScript file: DISERR=2 of a
// mesh of 4096 bilinear elements, the unit square read from GEOMETRY records
// by the program's own reader in a scratch working directory (4 x 4 initial
// elements) and refined four times over; the errors are arbitrary values by
// slot. Times one whole map: options, range pass, scale, drawing, legend and
// the file written and closed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
const char* const kDeck =
    "GEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,5,5\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=4\nJLOOP=4\nLINEAR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,5,1\nIJ=5,1,5,5\nIJ=1,5,5,5\nIJ=1,1,1,5\nEND\nEND\n"
    "DISERR=2,LASER=MAP\n";

struct Scratch {
    std::filesystem::path old_cwd = std::filesystem::current_path();
    std::filesystem::path dir;
    Scratch() {
        dir = std::filesystem::temp_directory_path() /
              ("kavren-errmap-bench-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        for (const char* d : {"decks", "data", "print", "DECKS"})
            std::filesystem::create_directories(dir / d);
        std::ofstream(dir / "config.sys") << kConfig;
        std::ofstream(dir / "decks/bench.com") << kDeck;
        std::filesystem::current_path(dir);
    }
    ~Scratch() {
        units::close_all();
        std::filesystem::current_path(old_cwd);
        std::filesystem::remove_all(dir);
    }
};

void BM_diserr_4096(benchmark::State& state) {
    Scratch scratch;
    units::open_text(units::STDOUT_UNIT, "listing.txt", units::Open::create);
    inithp();
    iodati.NFIELD = 1;
    iodati.ITYPE(1) = FT_WORD;
    iodatc.FWORD(1) = "BENCH";
    ctitle.LTITLE = 0;
    opfil();
    ceqsys.NREQNS = 1;
    ceqsys.MXEQNS = 2;
    int ierr = 0;
    ffldin(cinout.LUIN, cinout.LUOUT, 21, ierr);  // the GEOMETRY record
    int first = 0;
    setgeom(first);
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
