// The frontal solver on the unit square of n x n elements of order p (one
// component: a vertex carries 1 unknown, an edge p-1, an interior (p-1)^2, so
// (np+1)^2 unknowns), elements in the recursive quadrant order of a
// refinement tree, with random diagonally dominant element matrices computed
// once beforehand: symmetric for ISYM 1, unsymmetric for ISYM 2. Each case is
// run RUNS times on each side and every time reported is a median:
//   unknowns, front    the size of the problem and the largest front
//   madds, madd_rate   multiply-adds of the forward elimination (the products
//                      of each pivot's non-zero couplings, what any Cholesky or
//                      LU with this pivot order performs) and their rate
//   frontal_s, fwd_s   the whole solve (prefront, elimination, back
//                      substitution) and its forward elimination
//   cholmod_s          ISYM 1: CHOLMOD (analyse, factorise, solve), and
//   vs_cholmod         frontal_s over it
//   cholmod_madds      the multiply-adds of CHOLMOD's factorisation in its own
//                      (fill-reducing) order, counted as madds
//   umfpack_s          ISYM 2: UMFPACK (symbolic, numeric, solve), and
//   vs_umfpack         frontal_s over it
//   umfpack_madds      half the operations of UMFPACK's numeric factorisation
//   dpbsv_s            ISYM 1: LAPACK's banded Cholesky on a row-wise band
//   diff               largest difference from the other solver's solution,
//                      relative to its largest value
// The other solvers run on OpenBLAS with one thread, the frontal solver on
// one core. "spill" 1 gives the solver the work array of SOLVE (MA_SOLVE
// words), so that its eliminated equations go through the scratch files; 0
// gives it room to keep them all in core.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "frontal/frontal.hpp"
#include "records/debug.hpp"
#include "records/frontal.hpp"
#include "records/limits.hpp"

#ifdef KAVREN_HAVE_CHOLMOD
#include <cholmod.h>
#endif
#ifdef KAVREN_HAVE_UMFPACK
#include <umfpack.h>
#endif
#ifdef KAVREN_HAVE_OPENBLAS
extern "C" void openblas_set_num_threads(int);
extern "C" void dpbsv_(const char* uplo, const int* n, const int* kd, const int* nrhs, double* ab,
                       const int* ldab, double* b, const int* ldb, int* info, std::size_t);
#endif

namespace {

using namespace kavren;

// Runs of each solver for one case; every time reported is their median.
constexpr int RUNS = 5;

// The comparison is one core against one core. The OpenMP runtime and
// OpenBLAS read their thread limits only when the process starts, so the
// bench starts itself again with the limits set when it was not given them.
[[maybe_unused]] const bool one_thread = [] {
    if (std::getenv("OMP_THREAD_LIMIT") != nullptr) return true;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<char*> argv;
    for (std::size_t k = 0; k < all.size(); k += std::strlen(&all[k]) + 1) argv.push_back(&all[k]);
    if (argv.empty()) return false;
    argv.push_back(nullptr);
    setenv("OMP_THREAD_LIMIT", "1", 1);
    setenv("OMP_NUM_THREADS", "1", 1);
    setenv("OPENBLAS_NUM_THREADS", "1", 1);
    execv("/proc/self/exe", argv.data());
    return false;  // exec failed: go on with the default threads
}();

// CHOLMOD and UMFPACK allocate their work and factors afresh on every call.
// With the C library's defaults, blocks that large come from fresh mappings
// whose pages are faulted in and zeroed on every run, and whether a block is
// mapped depends on the sizes freed before it: the same solve took one time
// or three times as long depending on the cases run before. Every solver
// here takes its blocks from the heap instead, reused from run to run.
[[maybe_unused]] const bool heap_blocks = [] {
    return mallopt(M_MMAP_THRESHOLD, 1 << 29) == 1 && mallopt(M_TRIM_THRESHOLD, 1 << 30) == 1;
}();

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 == 1 ? v[m] : 0.5 * (v[m - 1] + v[m]);
}

struct Square {
    int n = 0, p = 0;
    bool sym = true;
    std::vector<int> ndof;                   // by node, from 1
    std::vector<std::vector<int>> elements;  // 9 nodes each, solver order
    std::vector<double> y;                   // node centre height, for the band numbering
    std::vector<double> x;
    std::vector<int> offset;  // first global unknown of each node
    int nglobal = 0;
    // Symmetric: packed lower triangles by rows; unsymmetric: full matrices
    // by rows, row r the equation of unknown r.
    std::vector<std::vector<double>> kmat;
    std::vector<std::vector<double>> loads;
    std::vector<std::vector<int>> codes;
    std::vector<double> solution;
    // The global unknowns of each element, in its order, for the solution's
    // call-back.
    std::vector<std::vector<int>> unknowns;
};

Square* g_sq = nullptr;

// Cells of [i0,i1) x [j0,j1) in the order a refinement tree visits them:
// the four quadrants counter-clockwise from the lower left, recursively.
void quadrants(int i0, int i1, int j0, int j1, std::vector<std::pair<int, int>>& out) {
    if (i1 - i0 == 1 && j1 - j0 == 1) {
        out.emplace_back(i0, j0);
        return;
    }
    const int im = i1 - i0 > 1 ? (i0 + i1) / 2 : i1, jm = j1 - j0 > 1 ? (j0 + j1) / 2 : j1;
    quadrants(i0, im, j0, jm, out);
    if (im < i1) quadrants(im, i1, j0, jm, out);
    if (im < i1 && jm < j1) quadrants(im, i1, jm, j1, out);
    if (jm < j1) quadrants(i0, im, jm, j1, out);
}

Square make_square(int n, int p, bool sym) {
    Square s;
    s.n = n;
    s.p = p;
    s.sym = sym;
    s.ndof.push_back(0);
    s.x.push_back(0);
    s.y.push_back(0);
    auto add = [&](int nd, double x, double y) {
        s.ndof.push_back(nd);
        s.x.push_back(x);
        s.y.push_back(y);
        return static_cast<int>(s.ndof.size()) - 1;
    };
    std::vector<int> vert((n + 1) * (n + 1)), hor(n * (n + 1)), ver((n + 1) * n), in(n * n);
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) vert[j * (n + 1) + i] = add(1, i, j);
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i < n; ++i) hor[j * n + i] = add(p - 1, i + 0.5, j);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i <= n; ++i) ver[j * (n + 1) + i] = add(p - 1, i, j + 0.5);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) in[j * n + i] = add((p - 1) * (p - 1), i + 0.5, j + 0.5);
    std::vector<std::pair<int, int>> cells;
    quadrants(0, n, 0, n, cells);
    for (auto [i, j] : cells) {
        const int v1 = vert[j * (n + 1) + i], v4 = vert[(j + 1) * (n + 1) + i];
        s.elements.push_back({v1, v1 + 1, v4 + 1, v4, hor[j * n + i], ver[j * (n + 1) + i + 1],
                              hor[(j + 1) * n + i], ver[j * (n + 1) + i], in[j * n + i]});
    }
    s.offset.assign(s.ndof.size(), 0);
    for (std::size_t k = 1; k < s.ndof.size(); ++k) {
        s.offset[k] = s.nglobal;
        s.nglobal += s.ndof[k];
    }
    // Random diagonally dominant element matrices and loads.
    std::mt19937 g(12345);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    const int m = (p + 1) * (p + 1);
    for (std::size_t e = 0; e < s.elements.size(); ++e) {
        std::vector<double> full(static_cast<std::size_t>(m) * m);
        for (int r = 0; r < m; ++r)
            for (int c = 0; c < r; ++c) {
                full[r * m + c] = d(g);
                full[c * m + r] = sym ? full[r * m + c] : d(g);
            }
        for (int r = 0; r < m; ++r) {
            double sum = 1.0;
            for (int c = 0; c < m; ++c)
                if (c != r) sum += std::fabs(full[r * m + c]);
            full[r * m + r] = sum;
        }
        std::vector<double> k;
        for (int r = 0; r < m; ++r)
            for (int c = 0; c < (sym ? r + 1 : m); ++c) k.push_back(full[r * m + c]);
        s.kmat.push_back(std::move(k));
        std::vector<double> f(static_cast<std::size_t>(m));
        for (auto& v : f) v = d(g);
        s.loads.push_back(std::move(f));
    }
    return s;
}

std::vector<int> globals(const Square& s, int e) {
    std::vector<int> g;
    for (int node : s.elements[static_cast<std::size_t>(e)])
        for (int k = 0; k < s.ndof[static_cast<std::size_t>(node)]; ++k)
            g.push_back(s.offset[static_cast<std::size_t>(node)] + k);
    return g;
}

void cb_preout(int iel, int n, const int*, const int* list) {
    g_sq->codes[static_cast<std::size_t>(iel - 1)].assign(list, list + n);
}
void cb_solin1(int iel, int& n, double* andest) {
    const auto& c = g_sq->codes[static_cast<std::size_t>(iel - 1)];
    n = static_cast<int>(c.size());
    for (int k = 0; k < n; ++k) andest[k] = static_cast<float>(c[static_cast<std::size_t>(k)]);
}
void cb_solin2(int iel, int iask, int ndofm, int nrhs, double*, double* elk, double* elr) {
    const auto& f = g_sq->loads[static_cast<std::size_t>(iel - 1)];
    std::copy(f.begin(), f.begin() + ndofm * nrhs, elr);
    if (iask == 2) {
        const auto& k = g_sq->kmat[static_cast<std::size_t>(iel - 1)];
        std::copy(k.begin(), k.end(), elk);
    }
}
void cb_solout(int iel, int ndofm, int, const double*, const double* elsol) {
    const auto& g = g_sq->unknowns[static_cast<std::size_t>(iel - 1)];
    for (int k = 0; k < ndofm; ++k) g_sq->solution[static_cast<std::size_t>(g[k])] = elsol[k];
}

// The elimination's buffer words, so that every equation stays in core.
long record_words(Square& s) {
    std::vector<double> andest(9), ddest(400), edest(400);
    long words = 0;
    int lfw = 0;
    for (std::size_t e = 0; e < s.elements.size(); ++e) {
        int ne = 0, nelim = 0;
        cb_solin1(static_cast<int>(e) + 1, ne, andest.data());
        dest(ne, andest.data(), nelim, ddest.data(), edest.data());
        int nfw = std::max(surfc2.NFW, lfw);
        for (int m = 0; m < nelim; ++m) words += nfw-- + 1;
        lfw = nfw;
    }
    return words;
}

struct FrontalRun {
    std::vector<int> ia, nnode;
    std::vector<double> work;
};

int frontal_solve(Square& s, FrontalRun& r, bool spill) {
    g_sq = &s;
    frontal_callbacks = {cb_preout, cb_solin1, cb_solin2, cb_solout};
    for (int k = 1; k <= 28; ++k) surfc1.IWORD(k) = 0;
    surfc1.ISYM() = s.sym ? 1 : 2;
    surfc1.NUMELM() = static_cast<int>(s.elements.size());
    surfc1.NRHS() = 1;
    surfc1.IASSEM() = 1;
    surfc1.NFSOUT() = 6;
    surfc1.NICMUL() = prefront_multiplier((s.p - 1) * (s.p - 1));
    s.codes.assign(s.elements.size(), {});
    r.nnode.assign(s.elements.size(), 9);
    r.ia.clear();
    for (const auto& el : s.elements)
        for (int node : el)
            r.ia.push_back(node * surfc1.NICMUL() + s.ndof[static_cast<std::size_t>(node)]);
    r.ia.resize(r.ia.size() * 2 + 18);
    surfc1.MA() = static_cast<int>(r.ia.size());
    int a, b, c;
    surfsp(r.nnode.data(), r.ia.data(), a, b, c);
    if (surfc1.IERR() != 0) return surfc1.IERR();
    if (r.work.empty()) {
        long words = MA_SOLVE;
        if (!spill) {
            const long mfw = surfc2.MFW, front = s.sym ? mfw * (mfw + 1) / 2 : mfw * mfw;
            words = front + mfw + surfc1.NUMELM() + 400L * 400 + record_words(s);
        }
        r.work.assign(static_cast<std::size_t>(words), 0.0);
    }
    surfc1.MA() = static_cast<int>(r.work.size());
    surfss(r.work.data());
    return surfc1.IERR();
}

// The assembled matrix by columns: the lower triangle (symmetric) or all of it.
struct Assembled {
    std::vector<int> colptr, rowind;
    std::vector<double> values, rhs;
};

Assembled assemble(const Square& s) {
    const int n = s.nglobal;
    std::vector<std::vector<std::pair<int, double>>> cols(static_cast<std::size_t>(n));
    Assembled a;
    a.rhs.assign(static_cast<std::size_t>(n), 0.0);
    for (std::size_t e = 0; e < s.elements.size(); ++e) {
        const auto g = globals(s, static_cast<int>(e));
        const auto& k = s.kmat[e];
        std::size_t w = 0;
        for (std::size_t r = 0; r < g.size(); ++r) {
            if (s.sym) {
                for (std::size_t c = 0; c <= r; ++c, ++w) {
                    const int i = std::max(g[r], g[c]), j = std::min(g[r], g[c]);
                    cols[static_cast<std::size_t>(j)].emplace_back(i, k[w]);
                }
            } else {
                for (std::size_t c = 0; c < g.size(); ++c, ++w)
                    cols[static_cast<std::size_t>(g[c])].emplace_back(g[r], k[w]);
            }
            a.rhs[static_cast<std::size_t>(g[r])] += s.loads[e][r];
        }
    }
    a.colptr.push_back(0);
    for (auto& col : cols) {
        std::sort(col.begin(), col.end(),
                  [](const auto& x, const auto& y) { return x.first < y.first; });
        for (std::size_t t = 0; t < col.size(); ++t) {
            if (t > 0 && col[t].first == col[t - 1].first) {
                a.values.back() += col[t].second;
            } else {
                a.rowind.push_back(col[t].first);
                a.values.push_back(col[t].second);
            }
        }
        a.colptr.push_back(static_cast<int>(a.rowind.size()));
    }
    return a;
}

#ifdef KAVREN_HAVE_CHOLMOD
// Seconds of analyse + factorise + solve; x gets the solution, madds the
// multiply-adds of the factorisation as CHOLMOD's analysis counts them (each
// column's off-diagonal count c gives c (c + 1) / 2, as the frontal count).
double cholmod_time(const Assembled& a, std::vector<double>& x, double& madds) {
    cholmod_common cm;
    cholmod_start(&cm);
    const int n = static_cast<int>(a.rhs.size());
    cholmod_sparse* A = cholmod_allocate_sparse(n, n, a.values.size(), 1, 1, -1, CHOLMOD_REAL, &cm);
    std::copy(a.colptr.begin(), a.colptr.end(), static_cast<int*>(A->p));
    std::copy(a.rowind.begin(), a.rowind.end(), static_cast<int*>(A->i));
    std::copy(a.values.begin(), a.values.end(), static_cast<double*>(A->x));
    cholmod_dense* B = cholmod_allocate_dense(n, 1, n, CHOLMOD_REAL, &cm);
    std::copy(a.rhs.begin(), a.rhs.end(), static_cast<double*>(B->x));
    const double t0 = now();
    cholmod_factor* L = cholmod_analyze(A, &cm);
    cholmod_factorize(A, L, &cm);
    cholmod_dense* X = cholmod_solve(CHOLMOD_A, L, B, &cm);
    const double t = now() - t0;
    madds = 0.5 * (cm.fl - cm.lnz);
    x.assign(static_cast<double*>(X->x), static_cast<double*>(X->x) + n);
    cholmod_free_dense(&X, &cm);
    cholmod_free_factor(&L, &cm);
    cholmod_free_dense(&B, &cm);
    cholmod_free_sparse(&A, &cm);
    cholmod_finish(&cm);
    return t;
}
#endif

#ifdef KAVREN_HAVE_UMFPACK
// Seconds of symbolic + numeric factorisation + solve; x gets the solution,
// madds half the floating-point operations UMFPACK counts in its numeric
// factorisation (a multiply-add counts two there).
double umfpack_time(const Assembled& a, std::vector<double>& x, double& madds) {
    const int n = static_cast<int>(a.rhs.size());
    x.assign(static_cast<std::size_t>(n), 0.0);
    double control[UMFPACK_CONTROL], info[UMFPACK_INFO];
    umfpack_di_defaults(control);
    void *symbolic = nullptr, *numeric = nullptr;
    const double t0 = now();
    int st = umfpack_di_symbolic(n, n, a.colptr.data(), a.rowind.data(), a.values.data(), &symbolic,
                                 control, info);
    if (st == UMFPACK_OK)
        st = umfpack_di_numeric(a.colptr.data(), a.rowind.data(), a.values.data(), symbolic,
                                &numeric, control, info);
    madds = 0.5 * info[UMFPACK_FLOPS];
    if (st == UMFPACK_OK)
        st = umfpack_di_solve(UMFPACK_A, a.colptr.data(), a.rowind.data(), a.values.data(),
                              x.data(), a.rhs.data(), numeric, control, info);
    const double t = now() - t0;
    umfpack_di_free_symbolic(&symbolic);
    umfpack_di_free_numeric(&numeric);
    return st == UMFPACK_OK ? t : -1.0;
}
#endif

#ifdef KAVREN_HAVE_OPENBLAS
// The unknowns numbered by the height, then the abscissa, of their node.
std::vector<int> band_numbering(const Square& s, int& kd) {
    std::vector<int> nodes;
    for (std::size_t k = 1; k < s.ndof.size(); ++k) nodes.push_back(static_cast<int>(k));
    std::stable_sort(nodes.begin(), nodes.end(), [&](int a, int b) {
        return s.y[a] != s.y[b] ? s.y[a] < s.y[b] : s.x[a] < s.x[b];
    });
    std::vector<int> perm(static_cast<std::size_t>(s.nglobal));
    int next = 0;
    for (int node : nodes)
        for (int k = 0; k < s.ndof[static_cast<std::size_t>(node)]; ++k)
            perm[static_cast<std::size_t>(s.offset[static_cast<std::size_t>(node)] + k)] = next++;
    kd = 0;
    for (std::size_t e = 0; e < s.elements.size(); ++e) {
        const auto g = globals(s, static_cast<int>(e));
        int lo = s.nglobal, hi = 0;
        for (int v : g) {
            lo = std::min(lo, perm[static_cast<std::size_t>(v)]);
            hi = std::max(hi, perm[static_cast<std::size_t>(v)]);
        }
        kd = std::max(kd, hi - lo);
    }
    return perm;
}

// Seconds of dpbsv (factorise and solve) on the band of the assembled matrix.
double dpbsv_time(const Assembled& a, const std::vector<int>& perm, int kd,
                  std::vector<double>& x) {
    const int n = static_cast<int>(a.rhs.size()), ld = kd + 1, one = 1;
    std::vector<double> ab(static_cast<std::size_t>(ld) * n, 0.0);
    x.assign(static_cast<std::size_t>(n), 0.0);
    for (int j = 0; j < n; ++j) {
        x[static_cast<std::size_t>(perm[static_cast<std::size_t>(j)])] =
            a.rhs[static_cast<std::size_t>(j)];
        for (int t = a.colptr[j]; t < a.colptr[j + 1]; ++t) {
            int r = perm[static_cast<std::size_t>(a.rowind[t])],
                c = perm[static_cast<std::size_t>(j)];
            if (r < c) std::swap(r, c);
            ab[static_cast<std::size_t>(c) * ld + (r - c)] = a.values[t];
        }
    }
    int info = 0;
    const double t0 = now();
    dpbsv_("L", &n, &kd, &one, ab.data(), &ld, x.data(), &n, &info, 1);
    const double t = now() - t0;
    return info == 0 ? t : -1.0;
}
#endif

[[maybe_unused]] double rel_diff(const std::vector<double>& a, const std::vector<double>& b) {
    double d = 0, m = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        d = std::max(d, std::fabs(a[i] - b[i]));
        m = std::max(m, std::fabs(b[i]));
    }
    return d / m;
}

// Band factorisations beyond this many multiply-adds (about N kd^2 / 2) are
// not run.
constexpr double DPBSV_LIMIT = 1.5e10;

void BM_Frontal(benchmark::State& state) {
    const int p = static_cast<int>(state.range(0));
    const int n = static_cast<int>(state.range(1));
    const bool sym = state.range(2) == 1;
    const bool spill = state.range(3) == 1;
#ifdef KAVREN_HAVE_OPENBLAS
    openblas_set_num_threads(1);
#endif
    Square s = make_square(n, p, sym);
    for (std::size_t e = 0; e < s.elements.size(); ++e)
        s.unknowns.push_back(globals(s, static_cast<int>(e)));
    s.solution.assign(static_cast<std::size_t>(s.nglobal), 0.0);
    FrontalRun run;
    // One solve outside the timing: it sizes and first touches the work array.
    if (frontal_solve(s, run, spill) != 0) {
        state.SkipWithError("frontal solve refused");
        return;
    }
    const Assembled a = assemble(s);
    std::vector<double> total, fwd, peer;
    double madds = 0, diff = 0, peer_madds = 0;
    for (auto _ : state) {
        const double t0 = now();
        if (frontal_solve(s, run, spill) != 0) {
            state.SkipWithError("frontal solve refused");
            return;
        }
        const double t = now() - t0;
        state.SetIterationTime(t);
        total.push_back(t);
        fwd.push_back(frontal_stats.forward_seconds);
        madds = frontal_stats.madds;
        std::vector<double> xp;
#ifdef KAVREN_HAVE_CHOLMOD
        if (sym) peer.push_back(cholmod_time(a, xp, peer_madds));
#endif
#ifdef KAVREN_HAVE_UMFPACK
        if (!sym) peer.push_back(umfpack_time(a, xp, peer_madds));
#endif
        if (!xp.empty()) diff = rel_diff(s.solution, xp);
    }
    const double tf = median(total);
    state.counters["unknowns"] = s.nglobal;
    state.counters["front"] = surfc2.MFW;
    state.counters["madds"] = madds;
    state.counters["madd_rate"] = madds / median(fwd);
    state.counters["fwd_s"] = median(fwd);
    state.counters["frontal_s"] = tf;
    state.counters["dumps"] = surfc2.IFU * surfc2.IUDUMP;
    if (!peer.empty()) {
        const double tp = median(peer);
        state.counters[sym ? "cholmod_s" : "umfpack_s"] = tp;
        state.counters[sym ? "vs_cholmod" : "vs_umfpack"] = tf / tp;
        state.counters[sym ? "cholmod_madds" : "umfpack_madds"] = peer_madds;
        state.counters["diff"] = diff;
    }
#ifdef KAVREN_HAVE_OPENBLAS
    int kd = 0;
    const std::vector<int> perm = band_numbering(s, kd);
    if (sym && !spill && 0.5 * s.nglobal * static_cast<double>(kd) * kd <= DPBSV_LIMIT) {
        std::vector<double> band, xb;
        for (int r = 0; r < RUNS; ++r) band.push_back(dpbsv_time(a, perm, kd, xb));
        state.counters["dpbsv_s"] = median(band);
    }
#endif
}

// (p, n): about 10 000 and 40 000 unknowns of each order; ISYM 1 and 2, in
// core, and the 40 000 cases again in SOLVE's work array.
void squares(benchmark::internal::Benchmark* b) {
    const int sizes[4][3] = {{1, 99, 199}, {2, 50, 100}, {4, 25, 50}, {8, 12, 25}};
    for (int isym : {1, 2})
        for (const auto& sz : sizes)
            for (int k : {1, 2}) {
                b->Args({sz[0], sz[k], isym, 0});
                if (k == 2) b->Args({sz[0], sz[k], isym, 1});
            }
}

BENCHMARK(BM_Frontal)
    ->Apply(squares)
    ->ArgNames({"p", "n", "isym", "spill"})
    ->Iterations(RUNS)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
