#include "fem/constrained.hpp"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "control/debug.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "fem/dense.hpp"
#include "fem/element.hpp"
#include "hpmesh/geometry.hpp"
#include "records/debug.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"
#include "records/preso.hpp"
#include "records/solver.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

//// the transformation ////

// Most entries in a column of T: a wall slot of degree 8 takes 8 slots, a
// father vertex itself and two hanging vertices.
constexpr int MAX_TERMS = MAX_ORDER + 1;

// One wall: its father vertex, its slots (hanging vertex first) and the half
// of the larger side that it covers.
struct Wall {
    int father;
    const Arr1<int, 8>* slots;
    int nw;
};

// T by columns: column b (new slot b + 1) has n[b] non-zero entries, in old
// slots row[b][t] (from 0) with weights wt[b][t].
struct Columns {
    int n[MAX_ELFUN];
    int row[MAX_ELFUN][MAX_TERMS];
    double wt[MAX_ELFUN][MAX_TERMS];
};

void build_columns(int ndofe, const Wall* walls, int nwalls, Columns& t) {
    for (int b = 0; b < ndofe; ++b) {
        t.n[b] = 1;
        t.row[b][0] = b;
        t.wt[b][0] = 1.0;
    }
    for (int m = 0; m < nwalls; ++m) {
        const Wall& w = walls[m];
        const Arr1<int, 8>& l = *w.slots;
        const int hang = l(1);
        const int h = it0(w.father, hang);
        // The constraint logic hands over adjacent vertices only.
        assert(h == 1 || h == 2);
        assert(w.nw >= 1 && w.nw <= 8);
        for (int d = 1; d <= w.nw; ++d) {
            const int b = l(d) - 1;
            t.n[b] = 0;
            for (int e = 1; e <= d; ++e) {
                t.row[b][t.n[b]] = l(e) - 1;
                t.wt[b][t.n[b]] = crrr.RRR(d, e, h);
                ++t.n[b];
            }
        }
        // The hanging vertex carries half the father's value.
        const int f = w.father - 1;
        t.row[f][t.n[f]] = hang - 1;
        t.wt[f][t.n[f]] = 0.5;
        ++t.n[f];
    }
}

// k := T^t k T and f := T^t f, through w := k T and v. Both products go
// column by column through the dense kernels: w's column b gathers the
// columns of k that T's column b names, and the rows of T^t w are gathered
// the same way from the columns of w's transpose.
void transform(int ndofe, int ld, double* k, double* f, int ldw, double* w, double* v,
               const Wall* walls, int nwalls) {
    assert(ndofe >= 1 && ndofe <= MAX_ELFUN && ldw >= ndofe && ld >= ndofe);
    static Columns t;
    static double wt[MAX_ELFUN * MAX_ELFUN], kt[MAX_ELFUN * MAX_ELFUN];
    build_columns(ndofe, walls, nwalls, t);
    const DenseKernels& dk = dense_kernels();
    const double* from[MAX_TERMS];
    double by[MAX_TERMS];
    // Column b of the product of m (leading dimension ldm) and T into out.
    auto times_t = [&](const double* m, int ldm, double* out) {
        for (int b = 0; b < ndofe; ++b) {
            for (int q = 0; q < t.n[b]; ++q) {
                from[q] = m + static_cast<std::ptrdiff_t>(t.row[b][q]) * ldm;
                by[q] = -t.wt[b][q];
            }
            double* ob = out + static_cast<std::ptrdiff_t>(b) * ndofe;
            std::fill_n(ob, ndofe, 0.0);
            dk.column(ob, ndofe, from, by, t.n[b]);
        }
    };
    // w := k T, then kt := w^t T = (T^t k T)^t.
    times_t(k, ld, wt);
    for (int b = 0; b < ndofe; ++b)
        for (int a = 0; a < ndofe; ++a)
            w[b + static_cast<std::ptrdiff_t>(a) * ldw] = wt[a + b * ndofe];
    times_t(w, ldw, kt);
    for (int b = 0; b < ndofe; ++b)
        for (int a = 0; a < ndofe; ++a)
            k[a + static_cast<std::ptrdiff_t>(b) * ld] = kt[b + a * ndofe];
    if (f == nullptr) return;
    for (int a = 0; a < ndofe; ++a) {
        double s = 0.0;
        for (int q = 0; q < t.n[a]; ++q) s += t.wt[a][q] * f[t.row[a][q]];
        v[a] = s;
    }
    std::copy_n(v, ndofe, f);
}

//// debug hooks ////

void print_int(std::string_view label, int value) {
    dbgprint(1, "MELMCON", label, &value, nullptr, 1, 1, 1, 1, 1, 0);
}

// Every block of xk with its load section.
void print_blocks(int nel, int ndofe, int ld, const double* xk, const double* yk) {
    const int neq = ceqsys.NREQNS;
    for (int i = 1; i <= neq; ++i)
        for (int j = 1; j <= neq; ++j) {
            print_int("NEL", nel);
            print_int("IVAR1", i);
            print_int("IVAR2", j);
            dbgprint(2, "MELMCON", "XK", nullptr, xk, ld, (i - 1) * ndofe + 1, i * ndofe,
                     (j - 1) * ndofe + 1, j * ndofe, 0);
            dbgprint(2, "MELMCON", "RH", nullptr, yk, neq * ndofe, (i - 1) * ndofe + 1, i * ndofe,
                     1, 1, 0);
        }
}

// The breakpoint's offer to solve the first component block as it stands.
void offer_solve(const char* question, int ndofe, int ld, const double* xk, const double* yk,
                 int ldw, double* w, double* v) {
    write_terminal(fmt::list({question}));
    int iws = 0;
    readi("IWS", iws);
    if (iws != 1) return;
    for (int j = 0; j < ndofe; ++j)
        for (int i = 0; i < ndofe; ++i)
            w[i + static_cast<std::ptrdiff_t>(j) * ldw] =
                xk[i + static_cast<std::ptrdiff_t>(j) * ld];
    std::copy_n(yk, ndofe, v);
    int ipvt[MAX_ELFUN];
    double x[MAX_ELFUN];
    int info = 0;
    decomp(ndofe, ldw, w, ipvt, info);
    gauss2(ndofe, ldw, w, ipvt, v, x);
    dbgprint(2, "MELMCON", "XSOL", nullptr, x, ndofe, 1, ndofe, 1, 1, 0);
}

}  // namespace

//// elmcon, elmcon2 ////

void elmcon(int /*nel*/, int ndofe, int ld, double* k, double* f, int ldw, double* w, double* v,
            const Infelm& inf) {
    if (inf.NCONS == 0) return;
    assert(inf.NCONS == 1 || inf.NCONS == 2);
    const Wall walls[2] = {{inf.J00(1), &inf.LW1, inf.NW1}, {inf.J00(1), &inf.LW2, inf.NW2}};
    transform(ndofe, ld, k, f, ldw, w, v, walls, inf.NCONS);
}

void elmcon2(int /*nel*/, int ndofe, int ld, double* k, double* f, int ldw, double* w, double* v,
             const Infelm& inf) {
    assert(inf.NCONS == 3);
    const Wall walls[2] = {{inf.J00(1), &inf.LW1, inf.NW1}, {inf.J00(2), &inf.LW2, inf.NW2}};
    transform(ndofe, ld, k, f, ldw, w, v, walls, 2);
}

//// melmcon ////

int melmcon(int nel, int ld, double* xk, double* yk, int ldw, double* w, double* v) {
    // The element's values of both solutions, for problem routines that read them.
    cpreso.NEL = nel;
    for (int c = 1; c <= MXEQNS_MAX; ++c) {
        solelm(nel, cpreso.NDOFE, cpreso.NDOFL, &cpreso.UEOLD(1, c), &cuold.UOLD(1, c));
        solelm(nel, cpreso.NDOFE, cpreso.NDOFL, &cpreso.UENEW(1, c), &cunew.UNEW(1, c));
    }
    const int ndofe = cpreso.NDOFE;
    const int neq = ceqsys.NREQNS;
    // Orders up to 8 and at most 4 components stay within the callers' arrays.
    assert(ndofe <= MAX_ELFUN && ndofe * neq <= ld && ldw >= ndofe);

    static Infelm inf;
    infelm(nel, inf);
    Arr2<double, 2, 9> xnod;
    nodcor(nel, xnod);
    double longest = 0.0;
    for (int s = 1; s <= 4; ++s) {
        const int e = s % 4 + 1;
        longest = std::max(longest, std::hypot(xnod(1, e) - xnod(1, s), xnod(2, e) - xnod(2, s)));
    }
    celsize.ELSIZE = longest;

    int nord[9];
    for (int k = 1; k <= 9; ++k) nord[k - 1] = inf.IDGS(k);
    if (melem(nel, nord, ndofe, xnod.data(), ld, xk, yk) != ELEM_DONE) return ELEM_BAD_JACOBIAN;
    if (debug_selects(cdbg.IDBGSW(3), nel)) print_blocks(nel, ndofe, ld, xk, yk);
    if (bcelem(nel, nord, ndofe, xnod.data(), ld, xk, yk) != ELEM_DONE) return ELEM_BAD_JACOBIAN;
    if (debug_selects(cdbg.IDBGSW(4), nel)) {
        print_blocks(nel, ndofe, ld, xk, yk);
        offer_solve("SOLVE BEFORE ELMCON , IWS=0/1 ?", ndofe, ld, xk, yk, ldw, w, v);
    }

    if (inf.NCONS != 0) {
        for (int i = 1; i <= neq; ++i)
            for (int j = 1; j <= neq; ++j) {
                double* block =
                    xk + (i - 1) * ndofe + static_cast<std::ptrdiff_t>(j - 1) * ndofe * ld;
                // Each component's load is transformed once, with its diagonal block.
                double* f = i == j ? yk + (i - 1) * ndofe : nullptr;
                if (inf.NCONS > 2)
                    elmcon2(nel, ndofe, ld, block, f, ldw, w, v, inf);
                else
                    elmcon(nel, ndofe, ld, block, f, ldw, w, v, inf);
            }
    }
    if (debug_selects(cdbg.IDBGSW(5), nel)) {
        print_blocks(nel, ndofe, ld, xk, yk);
        offer_solve("SOLVE AFTER ELMCON , IWS=0/1 ?", ndofe, ld, xk, yk, ldw, w, v);
    }
    return ELEM_DONE;
}

//// printel ////

void printel(int nel, int ivar1, int ivar2, int n, const double* xk, int ld, const double* yk) {
    write_terminal(" " + std::string(79, '-'));
    write_terminal(fmt::line("(1x,'ELEMENT',i6,'   BLOCK',2i3)", {nel, ivar1, ivar2}));
    write_terminal(" STIFFNESS MATRIX AND LOAD VECTOR");
    for (int i = 0; i < n; ++i) {
        std::vector<fmt::Item> row;
        for (int j = 0; j < n; ++j) row.emplace_back(xk[i + static_cast<std::ptrdiff_t>(j) * ld]);
        row.emplace_back(yk[i]);
        for (const std::string& l : fmt::format("(8e12.5)", row)) write_terminal(l);
    }
}

}  // namespace kavren
