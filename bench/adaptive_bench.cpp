// Adaptive runs on the L-shaped domain [0,2] x [0,2] without (1,2] x (1,2],
// with the corner singularity u = r^(2/3) sin(2t/3) about (1,1) (harmonic, so
// the load is u itself and the second derivatives are given as 0), driven the
// way the EXECUTE driver drives them: SOLVE, ERREST, then ADAPTH or ADAPTP by
// a schedule ("HP": h and p steps in turn). Each step prints the unknowns, the
// relative H1 error (the H1 seminorm of u is 1.3550744119328512), the
// cumulative wall time and, apart, the time spent in the exact solution (the
// runs of the user's expressions behind userf). A run stops at a relative
// error below 1e-4, at a refused step, or after 60 steps.
//
// The mesh comes from the GEOMETRY records of the demo project, read by the
// program's own reader in a scratch working directory; the terminal listing
// goes to listing.txt there.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "adapt/adapthp.hpp"
#include "adapt/errexact.hpp"
#include "adapt/exact.hpp"
#include "control/reader.hpp"
#include "eval/evaluator.hpp"
#include "frontal/solve1.hpp"
#include "hpmesh/tree.hpp"
#include "meshgen/geometry.hpp"
#include "records/control.hpp"
#include "records/execute.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/window.hpp"
#include "session/startup.hpp"
#include "support/units.hpp"
#include "user/problem.hpp"

namespace {

using namespace kavren;
using Clock = std::chrono::steady_clock;

constexpr double kSeminorm = 1.3550744119328512;
constexpr double kTarget = 1e-4;
constexpr int kMaxSteps = 60;

const char* const kConfig = "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=0\nEND\n";

// The demo project's GEOMETRY: two regions of 2 x 2 elements per unit square,
// joined along y = 1; boundary 2 holds the right-hand sides and the
// re-entrant corner.
const char* const kDeck =
    "GEOMETRY\nNODES\nGRID\n"
    "POINT=4,IJ=1,1,5,3\nXY,0,0,XY,2,0,XY,2,1,XY,0,1\n"
    "POINT=4,IJ=1,1,3,3,REGION=TOP\nXY,0,1,XY,1,1,XY,1,2,XY,0,2\nEND\nEND\n"
    "ELEMENT\nILOOP=4\nJLOOP=2\nLINEAR,1,1,REGION=ONE\nENDLOOPS\n"
    "ILOOP=2\nJLOOP=2\nLINEAR,1,1,REGION=TOP\nENDLOOPS\nEND\n"
    "BOUNDARY\nREGION=ONE\nBOUNDARY=1,IJ=1,1,5,1\nBOUNDARY=2,IJ=5,1,5,3\nIJ=3,3,5,3\n"
    "BOUNDARY=4,IJ=1,1,1,3\nREGION=TOP\nBOUNDARY=2,IJ=3,1,3,3\nBOUNDARY=3,IJ=1,3,3,3\n"
    "BOUNDARY=4,IJ=1,1,1,3\nEND\nEND,GRID=LSHAPE\n";

// The exact solution as a user types it: the angle from the edge x = 1,
// y > 1, written with ACOS (ATAN2 prints a line at every evaluation); every
// sum parenthesised, since the evaluator's "+" binds tighter than "-".
const char* const kExact[] = {
    "DX=X-1",
    "DY=Y-1",
    "R=SQRT((DX*DX)+(DY*DY))",
    "RS=(R>0)?R:1",
    "C=MAX(-1,MIN(1,DX/RS))",
    "PHI=(DY>0)?ACOS(C):((2*3.141592653589793)-ACOS(C))",
    "T=PHI-(3.141592653589793/2)",
    "A=2/3",
    "OMEGA=(R^A)*SIN(A*T)",
    "G=(A*(R^A))/RS",
    "OMEGAX=G*SIN((A*T)-PHI)",
    "OMEGAY=G*COS((A*T)-PHI)",
    "OMEGAXX=0",
    "OMEGAYY=0",
    "OMEGAXY=0",
};

// Time spent in the exact solution, which mcoeff, bcoeff and errex call.
double g_exact_seconds = 0.0;

void timed_exact(double& x, double& y, double& u, double* du, double* d2u) {
    const auto t0 = Clock::now();
    exact(x, y, u, du, d2u);
    g_exact_seconds += std::chrono::duration<double>(Clock::now() - t0).count();
}

// A scratch working directory for one run, left again at the end.
struct Scratch {
    std::filesystem::path old_cwd = std::filesystem::current_path();
    std::filesystem::path dir;
    Scratch() {
        dir = std::filesystem::temp_directory_path() /
              ("kavren-adaptive-bench-" + std::to_string(::getpid()));
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

// Start-up, the project BENCH, the HEAT problem and its GEOMETRY, the exact
// solution, and the driver's answers NDIMEN=2, NRBREAKS=0.
void set_up() {
    cmenu = Cmenu();
    units::open_text(units::STDOUT_UNIT, "listing.txt", units::Open::create);
    inithp();
    iodati.NFIELD = 1;
    iodati.ITYPE(1) = FT_WORD;
    iodatc.FWORD(1) = "BENCH";
    ctitle.LTITLE = 0;
    opfil();
    ceqsys.NREQNS = 1;
    ceqsys.MXEQNS = 2;
    csymet.ISYMET = 2;
    cmode.ICUSTM = 0;
    cmode.IPROB = 2;
    cmode.IPROBG = 2;
    int ierr = 0;
    ffldin(cinout.LUIN, cinout.LUOUT, 21, ierr);  // the GEOMETRY record
    int first = 0;
    setgeom(first);
    for (const char* line : kExact) evpack(line);
    cndimen.NDIMEN = 2;
    cexecute = Cexecute();
    problem_exact = &timed_exact;
}

double total_h1() {
    double s = 0.0;
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        int slot = 0;
        findno(nel, slot);
        s += cexecute.errors_h1(slot) * cexecute.errors_h1(slot);
    }
    return std::sqrt(s);
}

void BM_LShapeAdaptive(benchmark::State& state, const char* schedule) {
    for (auto _ : state) {
        Scratch scratch;
        set_up();
        g_exact_seconds = 0.0;
        const auto t0 = Clock::now();
        std::printf("schedule %s\n%5s %6s %8s %14s %10s %10s\n", schedule, "step", "action",
                    "unknowns", "relative H1", "wall s", "exact s");
        const int len = static_cast<int>(std::char_traits<char>::length(schedule));
        double rel = 1.0;
        int ndof = 0;
        for (int step = 0; step <= kMaxSteps; ++step) {
            solve1();
            errexact(cexecute.errors_l2, cexecute.errors_h1, cexecute.errors_ma);
            rel = total_h1() / kSeminorm;
            ndof = cdata.NRDOF;
            const char action = step < kMaxSteps && rel >= kTarget ? schedule[step % len] : '-';
            std::printf("%5d %6c %8d %14.6e %10.3f %10.3f\n", step, action, ndof, rel,
                        std::chrono::duration<double>(Clock::now() - t0).count(), g_exact_seconds);
            if (action == '-') break;
            const int code = adapthp(cexecute.errors_h1, action == 'H' ? 0 : 1);
            if (code != 0) {
                std::printf("step %d refused (code %d)\n", step, code);
                break;
            }
        }
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        state.SetIterationTime(wall);
        state.counters["unknowns"] = ndof;
        state.counters["relative_h1"] = rel;
        state.counters["exact_s"] = g_exact_seconds;
        state.counters["wall_s"] = wall;
        problem_exact = &exact;
    }
}

BENCHMARK_CAPTURE(BM_LShapeAdaptive, hp_in_turn, "HP")->Iterations(1)->UseManualTime();
BENCHMARK_CAPTURE(BM_LShapeAdaptive, h_twice_then_p, "HHP")->Iterations(1)->UseManualTime();

}  // namespace
