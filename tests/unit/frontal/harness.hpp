// Synthetic element sets for the frontal solver: nodes with their numbers of
// unknowns, elements as lists of nodes, random diagonally dominant element
// matrices and loads, the call-backs that hand them to the solver and collect
// its solution, and a dense solve of the assembled system to compare with.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "frontal/frontal.hpp"
#include "records/debug.hpp"
#include "records/frontal.hpp"
#include "support/format.hpp"
#include "support/units.hpp"

namespace kavren::testing {

struct ElementSet {
    std::vector<int> ndof;                   // ndof[node], nodes from 1 (ndof[0] unused)
    std::vector<std::vector<int>> elements;  // node lists, in solver order
};

// Squares of an nx by ny grid of order p with ncomp components: vertices,
// edges ((p-1) unknowns, none at order 1) and interiors ((p-1)^2), each times
// ncomp. Elements row by row, or in a random order when shuffle is set.
inline ElementSet grid_set(int nx, int ny, int p, int ncomp, unsigned shuffle = 0) {
    ElementSet s;
    s.ndof.push_back(0);
    auto add = [&](int nd) {
        s.ndof.push_back(nd);
        return static_cast<int>(s.ndof.size()) - 1;
    };
    std::vector<int> vert((nx + 1) * (ny + 1)), hor(nx * (ny + 1)), ver((nx + 1) * ny);
    for (auto& v : vert) v = add(ncomp);
    for (auto& v : hor) v = add(ncomp * (p - 1));
    for (auto& v : ver) v = add(ncomp * (p - 1));
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const int v1 = vert[j * (nx + 1) + i], v2 = v1 + 1, v4 = vert[(j + 1) * (nx + 1) + i],
                      v3 = v4 + 1;
            const int e1 = hor[j * nx + i], e3 = hor[(j + 1) * nx + i];
            const int e4 = ver[j * (nx + 1) + i], e2 = ver[j * (nx + 1) + i + 1];
            const int in = add(ncomp * (p - 1) * (p - 1));
            s.elements.push_back({v1, v2, v3, v4, e1, e2, e3, e4, in});
        }
    if (shuffle != 0) {
        std::mt19937 g(shuffle);
        std::shuffle(s.elements.begin(), s.elements.end(), g);
    }
    return s;
}

// nel elements of 2..maxnodes distinct nodes drawn from nnod nodes of 0..4
// unknowns; every node is used; element `empty` (0 for none) has no nodes.
inline ElementSet random_set(int nnod, int nel, int maxnodes, unsigned seed, int empty = 0) {
    std::mt19937 g(seed);
    ElementSet s;
    s.ndof.push_back(0);
    for (int n = 1; n <= nnod; ++n) s.ndof.push_back(std::uniform_int_distribution<>(0, 4)(g));
    std::vector<int> all(static_cast<std::size_t>(nnod));
    for (int n = 0; n < nnod; ++n) all[static_cast<std::size_t>(n)] = n + 1;
    int next_unused = 0;
    for (int e = 1; e <= nel; ++e) {
        std::vector<int> el;
        if (e != empty) {
            const int k = std::uniform_int_distribution<>(2, maxnodes)(g);
            std::shuffle(all.begin(), all.end(), g);
            el.assign(all.begin(), all.begin() + k);
            // Nodes not yet used go into the elements in turn.
            if (next_unused < nnod && std::find(el.begin(), el.end(), next_unused + 1) == el.end())
                el[0] = next_unused + 1;
            ++next_unused;
        }
        s.elements.push_back(el);
    }
    // Nodes still unused join the last element (once each).
    auto& last = s.elements.back();
    for (; next_unused < nnod; ++next_unused)
        if (std::find(last.begin(), last.end(), next_unused + 1) == last.end())
            last.push_back(next_unused + 1);
    return s;
}

// A problem on an element set: element matrices and loads, and the solver's
// results gathered by node.
struct Problem {
    ElementSet set;
    bool sym = true;
    int nrhs = 1;
    int nicmul = 100;
    std::vector<int> offset;  // first global unknown of each node
    int nglobal = 0;
    std::vector<std::vector<double>> kmat;   // full element matrices, row-major
    std::vector<std::vector<double>> loads;  // element loads, nrhs blocks
    // Solver side.
    std::vector<std::vector<int>> codes;  // destination codes by element
    std::vector<double> x;                // solution, nrhs blocks of nglobal
    int solout_calls = 0;
    bool consistent = true;  // shared unknowns got one value

    int eldofs(int e) const {
        int n = 0;
        for (int node : set.elements[static_cast<std::size_t>(e)])
            n += set.ndof[static_cast<std::size_t>(node)];
        return n;
    }
    std::vector<int> globals(int e) const {
        std::vector<int> g;
        for (int node : set.elements[static_cast<std::size_t>(e)])
            for (int k = 0; k < set.ndof[static_cast<std::size_t>(node)]; ++k)
                g.push_back(offset[static_cast<std::size_t>(node)] + k);
        return g;
    }

    // Random diagonally dominant element matrices (symmetric when sym) and
    // loads, all scaled by `scale`.
    void fill(unsigned seed, double scale = 1.0) {
        offset.assign(set.ndof.size(), 0);
        nglobal = 0;
        for (std::size_t n = 1; n < set.ndof.size(); ++n) {
            offset[n] = nglobal;
            nglobal += set.ndof[n];
        }
        std::mt19937 g(seed);
        std::uniform_real_distribution<double> d(-1.0, 1.0);
        kmat.clear();
        loads.clear();
        for (std::size_t e = 0; e < set.elements.size(); ++e) {
            const int n = eldofs(static_cast<int>(e));
            std::vector<double> k(static_cast<std::size_t>(n) * n);
            for (int r = 0; r < n; ++r)
                for (int c = 0; c < n; ++c)
                    if (!sym || c <= r) k[static_cast<std::size_t>(r * n + c)] = d(g);
            if (sym)
                for (int r = 0; r < n; ++r)
                    for (int c = r + 1; c < n; ++c)
                        k[static_cast<std::size_t>(r * n + c)] =
                            k[static_cast<std::size_t>(c * n + r)];
            for (int r = 0; r < n; ++r) {
                double sum = 0;
                for (int c = 0; c < n; ++c)
                    if (c != r) sum += std::fabs(k[static_cast<std::size_t>(r * n + c)]);
                k[static_cast<std::size_t>(r * n + r)] = sum + 1.0;
            }
            for (auto& v : k) v *= scale;
            std::vector<double> f(static_cast<std::size_t>(n) * nrhs);
            for (auto& v : f) v = d(g) * scale;
            kmat.push_back(std::move(k));
            loads.push_back(std::move(f));
        }
    }

    // New loads for a re-solution.
    void new_loads(unsigned seed) {
        std::mt19937 g(seed);
        std::uniform_real_distribution<double> d(-1.0, 1.0);
        for (auto& f : loads)
            for (auto& v : f) v = d(g);
    }

    // The assembled system solved densely (partial pivoting), nrhs blocks.
    std::vector<double> dense_solution() const {
        const int n = nglobal;
        std::vector<double> a(static_cast<std::size_t>(n) * n, 0.0),
            b(static_cast<std::size_t>(n) * nrhs, 0.0);
        for (std::size_t e = 0; e < set.elements.size(); ++e) {
            const auto g = globals(static_cast<int>(e));
            const int m = static_cast<int>(g.size());
            for (int r = 0; r < m; ++r) {
                for (int c = 0; c < m; ++c)
                    a[static_cast<std::size_t>(g[r]) * n + g[c]] +=
                        kmat[e][static_cast<std::size_t>(r * m + c)];
                for (int q = 0; q < nrhs; ++q)
                    b[static_cast<std::size_t>(q) * n + g[r]] +=
                        loads[e][static_cast<std::size_t>(q * m + r)];
            }
        }
        for (int k = 0; k < n; ++k) {
            int piv = k;
            for (int i = k + 1; i < n; ++i)
                if (std::fabs(a[static_cast<std::size_t>(i) * n + k]) >
                    std::fabs(a[static_cast<std::size_t>(piv) * n + k]))
                    piv = i;
            if (piv != k) {
                for (int c = 0; c < n; ++c)
                    std::swap(a[static_cast<std::size_t>(k) * n + c],
                              a[static_cast<std::size_t>(piv) * n + c]);
                for (int q = 0; q < nrhs; ++q)
                    std::swap(b[static_cast<std::size_t>(q) * n + k],
                              b[static_cast<std::size_t>(q) * n + piv]);
            }
            for (int i = k + 1; i < n; ++i) {
                const double f =
                    a[static_cast<std::size_t>(i) * n + k] / a[static_cast<std::size_t>(k) * n + k];
                if (f == 0.0) continue;
                for (int c = k; c < n; ++c)
                    a[static_cast<std::size_t>(i) * n + c] -=
                        f * a[static_cast<std::size_t>(k) * n + c];
                for (int q = 0; q < nrhs; ++q)
                    b[static_cast<std::size_t>(q) * n + i] -=
                        f * b[static_cast<std::size_t>(q) * n + k];
            }
        }
        for (int q = 0; q < nrhs; ++q)
            for (int k = n - 1; k >= 0; --k) {
                double s = b[static_cast<std::size_t>(q) * n + k];
                for (int c = k + 1; c < n; ++c)
                    s -= a[static_cast<std::size_t>(k) * n + c] *
                         b[static_cast<std::size_t>(q) * n + c];
                b[static_cast<std::size_t>(q) * n + k] = s / a[static_cast<std::size_t>(k) * n + k];
            }
        return b;
    }
};

// The problem the call-backs serve.
inline Problem*& current() {
    static Problem* p = nullptr;
    return p;
}

inline void cb_preout(int iel, int n, const int* /*entries*/, const int* list) {
    current()->codes[static_cast<std::size_t>(iel - 1)].assign(list, list + n);
}

inline void cb_solin1(int iel, int& n, double* andest) {
    const auto& c = current()->codes[static_cast<std::size_t>(iel - 1)];
    n = static_cast<int>(c.size());
    for (int k = 0; k < n; ++k) andest[k] = static_cast<float>(c[static_cast<std::size_t>(k)]);
}

inline void cb_solin2(int iel, int iask, int ndofm, int nrhs, double* ddest, double* elk,
                      double* elr) {
    Problem& p = *current();
    const std::size_t e = static_cast<std::size_t>(iel - 1);
    const int m = p.eldofs(iel - 1);
    if (m != ndofm) p.consistent = false;
    const auto& k = p.kmat[e];
    const auto& f = p.loads[e];
    if (surfc1.IASSEM() == 0) {
        // Add straight into the front: elk is the front matrix, elr the front loads.
        const int nfw = surfc2.NFW, mfw = surfc2.MFW;
        for (int r = 0; r < m; ++r) {
            const int pr = static_cast<int>(std::fabs(ddest[r]));
            if (iask == 2)
                for (int c = 0; c < m; ++c) {
                    const int pc = static_cast<int>(std::fabs(ddest[c]));
                    if (p.sym) {
                        if (c > r) continue;
                        const int lo = std::min(pr, pc), hi = std::max(pr, pc);
                        elk[hi * (hi - 1) / 2 + lo - 1] += k[static_cast<std::size_t>(r * m + c)];
                    } else {
                        elk[(pr - 1) * nfw + pc - 1] += k[static_cast<std::size_t>(r * m + c)];
                    }
                }
            for (int q = 0; q < nrhs; ++q)
                elr[q * mfw + pr - 1] += f[static_cast<std::size_t>(q * m + r)];
        }
        return;
    }
    for (int q = 0; q < nrhs; ++q)
        for (int r = 0; r < m; ++r) elr[q * m + r] = f[static_cast<std::size_t>(q * m + r)];
    if (iask != 2) return;
    for (int r = 0; r < m; ++r)
        for (int c = 0; c < m; ++c) {
            if (p.sym) {
                if (c <= r) elk[(r + 1) * r / 2 + c] = k[static_cast<std::size_t>(r * m + c)];
            } else {
                elk[r * m + c] = k[static_cast<std::size_t>(r * m + c)];
            }
        }
}

inline void cb_solout(int iel, int ndofm, int nrhs, const double* ddest, const double* elsol) {
    Problem& p = *current();
    ++p.solout_calls;
    const auto g = p.globals(iel - 1);
    for (int q = 0; q < nrhs; ++q)
        for (int k = 0; k < ndofm; ++k) {
            const double v =
                surfc1.IASSEM() == 1
                    ? elsol[q * ndofm + k]
                    : elsol[q * surfc2.MFW + static_cast<int>(std::fabs(ddest[k])) - 1];
            double& x =
                p.x[static_cast<std::size_t>(q) * p.nglobal + g[static_cast<std::size_t>(k)]];
            if (!std::isnan(x) && x != v) p.consistent = false;
            x = v;
        }
}

// The unit the solver writes its messages on, in a scratch text file.
constexpr int TEST_FSOUT = 91;

inline std::string fsout_path() {
    static std::string path = [] {
        char name[] = "/tmp/kavren-fsout-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) ::close(fd);
        return std::string(name);
    }();
    return path;
}

// Empties the message file and makes it the solver's message unit.
inline void reset_messages() {
    units::close(TEST_FSOUT);
    if (std::FILE* f = std::fopen(fsout_path().c_str(), "w")) std::fclose(f);
    units::open_text(TEST_FSOUT, fsout_path(), units::Open::create);
}

inline std::vector<std::string> messages() {
    units::flush_all();
    std::ifstream in(fsout_path());
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

inline bool has_line(const std::vector<std::string>& lines, const std::string& want) {
    return std::find(lines.begin(), lines.end(), want) != lines.end();
}

// Runs one solve of p: prefront in IA, then the solution in a work array of
// ma doubles. Returns IERR.
struct SolveOptions {
    int isym = 1;
    long ma = 300000;
    int iassem = 1;
    int iresol = 0;
};

inline void set_controls(const Problem& p, const SolveOptions& o) {
    for (int k = 1; k <= 28; ++k) surfc1.IWORD(k) = 0;
    surfc1.ISYM() = o.isym;
    surfc1.NUMELM() = static_cast<int>(p.set.elements.size());
    surfc1.IRESOL() = o.iresol;
    surfc1.NRHS() = p.nrhs;
    surfc1.IASSEM() = o.iassem;
    surfc1.NFSOUT() = TEST_FSOUT;
    surfc1.NICMUL() = p.nicmul;
    frontal_callbacks = {cb_preout, cb_solin1, cb_solin2, cb_solout};
}

inline int prefront(Problem& p, const SolveOptions& o, int ma_int = 0) {
    current() = &p;
    set_controls(p, o);
    p.codes.assign(p.set.elements.size(), {});
    std::vector<int> nnode, ia;
    for (const auto& el : p.set.elements) {
        nnode.push_back(static_cast<int>(el.size()));
        for (int node : el)
            ia.push_back(node * p.nicmul + p.set.ndof[static_cast<std::size_t>(node)]);
    }
    if (ma_int == 0)
        ma_int =
            2 * static_cast<int>(ia.size()) + 2 * *std::max_element(nnode.begin(), nnode.end());
    ia.resize(static_cast<std::size_t>(std::max<long>(ma_int, static_cast<long>(ia.size()))));
    surfc1.MA() = ma_int;
    int msym = 0, muns = 0, mrhs = 0;
    surfsp(nnode.data(), ia.data(), msym, muns, mrhs);
    return surfc1.IERR();
}

inline int solve(Problem& p, const SolveOptions& o, std::vector<double>& work) {
    current() = &p;
    p.x.assign(static_cast<std::size_t>(p.nglobal) * p.nrhs, std::nan(""));
    p.solout_calls = 0;
    surfc1.ISYM() = o.isym;
    surfc1.IRESOL() = o.iresol;
    surfc1.NRHS() = p.nrhs;
    surfc1.IASSEM() = o.iassem;
    surfc1.MA() = static_cast<int>(o.ma);
    work.assign(static_cast<std::size_t>(o.ma), 0.0);
    surfss(work.data());
    return surfc1.IERR();
}

// Prefront and complete solution in one go.
inline int run(Problem& p, const SolveOptions& o) {
    std::vector<double> work;
    const int e = prefront(p, o);
    if (e != 0) return e;
    return solve(p, o, work);
}

}  // namespace kavren::testing
