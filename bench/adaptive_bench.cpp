// Adaptive runs on the L-shaped domain [0,2] x [0,2] without (1,2] x (1,2],
// with the corner singularity u = r^(2/3) sin(2t/3) about (1,1) (harmonic, so
// the load is u itself and the second derivatives are given as 0), u imposed
// on every side, from the mesh of three unit squares, driven the way the
// EXECUTE driver drives them: SOLVE, ERREST, then ADAPTH or ADAPTP by a
// schedule ("HP": h and p steps in turn, "HHP", "HPP"), until the true
// relative H1 error is below 1e-4 (or a step is refused, or 60 steps).
//
// Each step prints the unknowns (NRDOF), the relative H1 error that ERREST
// prints (its Gauss rule of one point more than the highest edge order), the
// true relative H1 error and the cumulative CPU time (user and system: the
// machine may be shared) of the SOLVE, ERREST and adaptation steps, start-up
// and generator apart (bench/time_lshape times the whole program). The first
// schedule of a run also pays the first touch of the solver's work arrays.
// The H1 seminorm of u is 1.3550744119328512.
//
// The true error is measured here only, outside the timed process: the same
// element loop as ERREST, but on the elements with a vertex at the corner
// the reference square is split geometrically towards that vertex, 30
// levels, with the element's Gauss rule on every piece, and the exact
// gradient is computed in closed form. ERREST's rule is not exact on those
// elements (the gradient of u is not a polynomial there) and gives 0.77-0.87
// of the true error.
//
// At the end of each schedule: its first steps below 1e-2, 1e-3 and 1e-4 by
// the true error, beside the figures of a reference hp-adaptive library run
// on one core of a machine of this kind on the same problem (its unknowns
// count hanging-node and boundary dofs as these do).
//
// The mesh comes from the GEOMETRY records of the demo project, read by the
// program's own reader in a scratch working directory; the terminal listing
// goes to listing.txt there.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "adapt/adapthp.hpp"
#include "adapt/errexact.hpp"
#include "bench_project.hpp"
#include "control/reader.hpp"
#include "eval/evaluator.hpp"
#include "fem/shape.hpp"
#include "frontal/solve1.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "meshgen/geometry.hpp"
#include "records/control.hpp"
#include "records/execute.hpp"
#include "records/fem.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/window.hpp"
#include "session/startup.hpp"
#include "support/units.hpp"

namespace {

using namespace kavren;

constexpr double kSeminorm = 1.3550744119328512;
constexpr double kTarget = 1e-4;
constexpr int kMaxSteps = 60;
constexpr int kCornerLevels = 30;

const char* const kConfig = "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=0\nEND\n";

// The demo project's GEOMETRY: one element per unit square, every side on
// boundary 1 (u imposed).
const char* const kDeck =
    "GEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,3,2\nXY,0,0,XY,2,0,XY,2,1,XY,0,1\nPOINT=4,IJ=1,1,2,2,"
    "REGION=TOP\nXY,0,1,XY,1,1,XY,1,2,XY,0,2\nEND\nEND\nELEMENT\nILOOP=2\nLINEAR,1,1,REGION="
    "ONE\nENDLOOPS\nLINEAR,1,1,REGION=TOP\nEND\nBOUNDARY\nREGION=ONE\nBOUNDARY=1,IJ=1,1,3,1\nIJ=3,"
    "1,3,2\nIJ=2,2,3,2\nIJ=1,1,1,2\nREGION=TOP\nIJ=2,1,2,2\nIJ=1,2,2,2\nIJ=1,1,1,2\nEND\nEND,GRID="
    "LSHAPE\n";

// The exact solution as the demo types it.
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

// The reference library's cumulative figures at relative H1 1e-2, 1e-3, 1e-4.
constexpr double kLevels[3] = {1e-2, 1e-3, 1e-4};
constexpr int kRefUnknowns[3] = {872, 2357, 5827};
constexpr double kRefSeconds[3] = {0.023, 0.074, 0.242};

double cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Start-up, the project BENCH, the HEAT problem and its GEOMETRY, the exact
// solution, and the driver's answers NDIMEN=2, NRBREAKS=0.
void set_up() {
    bench_project();
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
}

// The gradient of u = r^(2/3) sin(2t/3), t from the edge x = 1, y > 1.
void exact_gradient(double x, double y, double& ux, double& uy) {
    const double dx = x - 1, dy = y - 1;
    const double r = std::hypot(dx, dy);
    double phi = std::atan2(dy, dx);
    if (phi <= 0) phi += 2 * M_PI;
    const double a = 2.0 / 3.0, t = phi - M_PI / 2;
    const double g = a * std::pow(r, a - 1);
    ux = g * std::sin(a * t - phi);
    uy = g * std::cos(a * t - phi);
}

// The squared H1-seminorm error of element nel over the square [xi0, xi0+h]
// x [eta0, eta0+h] of its reference square, by the n-point Gauss rule.
double square_h1(const int* nord, Arr2<double, 2, 9>& xnodl, const double* ue, int ndofe, int n,
                 double xi0, double eta0, double h) {
    double dxi[MAX_ELFUN], deta[MAX_ELFUN], s = 0.0;
    for (int j = 1; j <= n; ++j)
        for (int i = 1; i <= n; ++i) {
            const double xi = xi0 + h * (cint.XG(i, n) + 1) / 2;
            const double eta = eta0 + h * (cint.XG(j, n) + 1) / 2;
            double a, b, c, d, x, y, ix, iy, jx, jy, detj;
            bjcbian(xnodl.data(), xi, eta, a, b, c, d, x, y, ix, iy, jx, jy, detj);
            dshap2(nord, xi, eta, dxi, deta);
            double uhx = 0, uhy = 0;
            for (int k = 0; k < ndofe; ++k) {
                uhx += ue[k] * (dxi[k] * ix + deta[k] * jx);
                uhy += ue[k] * (dxi[k] * iy + deta[k] * jy);
            }
            double ux, uy;
            exact_gradient(x, y, ux, uy);
            const double w = std::fabs(detj) * cint.W2(i, j, n) * (h / 2) * (h / 2);
            s += ((uhx - ux) * (uhx - ux) + (uhy - uy) * (uhy - uy)) * w;
        }
    return s;
}

// The true H1-seminorm error of the newest solution.
double true_h1() {
    double total = 0.0;
    int nel = 0;
    double ue[MAX_ELFUN];
    for (int e = 1; e <= cdata.NRELEM; ++e) {
        nel = nelcon(nel);
        Infelm inf;
        infelm(nel, inf);
        int nord[9];
        for (int k = 1; k <= 9; ++k) nord[k - 1] = std::max(1, inf.IDGS(k));
        Arr2<double, 2, 9> xnodl;
        nodcor(nel, xnodl);
        int ndofe = 0;
        Arr1<int, 9> ndofl;
        solelm(nel, ndofe, ndofl, ue, &cunew.UNEW(1, 1));
        const int ng = std::max({1, nord[4], nord[5], nord[6], nord[7]}) + 1;
        // The vertex at the corner, if any: reference corners (-1,-1),
        // (1,-1), (1,1), (-1,1) counter-clockwise.
        int corner = 0;
        for (int k = 1; k <= 4 && corner == 0; ++k)
            if (std::fabs(xnodl(1, k) - 1) < 1e-12 && std::fabs(xnodl(2, k) - 1) < 1e-12)
                corner = k;
        if (corner == 0) {
            total += square_h1(nord, xnodl, ue, ndofe, ng, -1, -1, 2);
            continue;
        }
        const double cx = corner == 2 || corner == 3 ? 1 : -1;
        const double cy = corner == 3 || corner == 4 ? 1 : -1;
        double x0 = -1, y0 = -1, h = 2;  // the square that holds the corner
        for (int level = 0; level < kCornerLevels; ++level) {
            const double half = h / 2;
            for (int q = 0; q < 4; ++q) {
                const double qx = x0 + (q % 2) * half, qy = y0 + (q / 2) * half;
                const bool holds = (cx < 0 ? qx == x0 : qx + half == x0 + h) &&
                                   (cy < 0 ? qy == y0 : qy + half == y0 + h);
                if (holds) continue;
                total += square_h1(nord, xnodl, ue, ndofe, ng, qx, qy, half);
            }
            x0 = cx < 0 ? x0 : x0 + half;
            y0 = cy < 0 ? y0 : y0 + half;
            h = half;
        }
        total += square_h1(nord, xnodl, ue, ndofe, ng, x0, y0, h);
    }
    return std::sqrt(total);
}

double printed_h1() {
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
        BenchScratch scratch("adaptive", kConfig, kDeck);
        set_up();
        double spent = 0.0;  // CPU time of the steps, the true error apart
        std::printf("schedule %s\n%5s %6s %8s %14s %14s %10s\n", schedule, "step", "action",
                    "unknowns", "ERREST rel H1", "true rel H1", "CPU s");
        const int len = static_cast<int>(std::char_traits<char>::length(schedule));
        double rel = 1.0, printed = 1.0;
        int ndof = 0;
        int first_below[3] = {0, 0, 0};
        int ndof_below[3] = {0, 0, 0};
        double time_below[3] = {0, 0, 0};
        for (int step = 1; step <= kMaxSteps; ++step) {
            double t0 = cpu_seconds();
            solve1();
            errexact(cexecute.errors_l2, cexecute.errors_h1, cexecute.errors_ma);
            spent += cpu_seconds() - t0;
            printed = printed_h1() / kSeminorm;
            rel = true_h1() / kSeminorm;
            ndof = cdata.NRDOF;
            for (int l = 0; l < 3; ++l)
                if (first_below[l] == 0 && rel < kLevels[l]) {
                    first_below[l] = step;
                    ndof_below[l] = ndof;
                    time_below[l] = spent;
                }
            const char action =
                step < kMaxSteps && rel >= kTarget ? schedule[(step - 1) % len] : '-';
            std::printf("%5d %6c %8d %14.4e %14.4e %10.3f\n", step, action, ndof, printed, rel,
                        spent);
            if (action == '-') break;
            t0 = cpu_seconds();
            const int code = adapthp(cexecute.errors_h1, action == 'H' ? 0 : 1);
            spent += cpu_seconds() - t0;
            if (code != 0) {
                std::printf("step %d refused (code %d)\n", step, code);
                break;
            }
        }
        std::printf("schedule %s, first step below, by the true error:\n", schedule);
        std::printf("%9s %6s %9s %8s   %s\n", "rel H1", "step", "unknowns", "CPU s",
                    "reference: unknowns, s");
        for (int l = 0; l < 3; ++l) {
            if (first_below[l] == 0)
                std::printf("%9.0e %6s %9s %8s   %9d %6.3f\n", kLevels[l], "-", "-", "-",
                            kRefUnknowns[l], kRefSeconds[l]);
            else
                std::printf("%9.0e %6d %9d %8.3f   %9d %6.3f\n", kLevels[l], first_below[l],
                            ndof_below[l], time_below[l], kRefUnknowns[l], kRefSeconds[l]);
        }
        std::fflush(stdout);
        state.SetIterationTime(spent);
        state.counters["unknowns"] = ndof;
        state.counters["true_relative_h1"] = rel;
        state.counters["errest_relative_h1"] = printed;
        state.counters["cpu_s"] = spent;
    }
}

BENCHMARK_CAPTURE(BM_LShapeAdaptive, hp_in_turn, "HP")->Iterations(1)->UseManualTime();
BENCHMARK_CAPTURE(BM_LShapeAdaptive, h_twice_then_p, "HHP")->Iterations(1)->UseManualTime();
BENCHMARK_CAPTURE(BM_LShapeAdaptive, h_then_p_twice, "HPP")->Iterations(1)->UseManualTime();

}  // namespace
