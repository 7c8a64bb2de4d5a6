#include "adapt/adapthp.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "control/messages.hpp"
#include "control/utility.hpp"
#include "hpmesh/enrich.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/refinexy.hpp"
#include "hpmesh/tree.hpp"
#include "records/execute.hpp"
#include "records/mesh.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

// The work arrays of one step: the active elements in tree order, their
// errors, and the sort permutation.
struct AdaptWork {
    int n = 0;
    Arr1<int, MAXSLOT> list;
    Arr1<double, MAXSLOT> err;
    Arr1<int, MAXSLOT> listord;
};
AdaptWork g_work;

// True while nel is an element without sons whose family is in use.
bool unrefined(int nel) {
    if (nel <= cdata.NRELIN) return ctree.NFSON(nel) == 0;
    int nfam = 0, nson = 0;
    faminf(nel, nfam, nson);
    return nfam <= MAXFAM && ctree.TREE(1, nfam) != 0 && ctree.TREE(1 + nson, nfam) == 0;
}

// The first active element whose error is not a finite number, 0 when none.
int first_not_finite(const SlotErrors& err) {
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        int slot = 0;
        findno(nel, slot);
        if (!std::isfinite(err(slot))) return nel;
    }
    return 0;
}

void list_selection(int iel) {
    write_terminal(fmt::list({"ELEMENTS TO BE REFINED:"}));
    write_terminal(fmt::list({"IEL=", iel}));
    std::vector<fmt::Item> items{"LIST="};
    for (int k = g_work.n; k >= iel; --k) items.emplace_back(adapt_ranked(k));
    write_terminal(fmt::list(items));
}

}  // namespace

void sortm(int n, int* indx, const double* arr) {
    auto ix = [indx](int j) -> int& { return indx[j - 1]; };
    auto a = [arr](int t) { return arr[t - 1]; };
    for (int j = 1; j <= n; ++j) ix(j) = j;
    if (n < 2) return;
    int l = n / 2 + 1, ir = n;
    for (;;) {
        int t = 0;
        double q = 0.0;
        if (l > 1) {
            // Building the heap.
            --l;
            t = ix(l);
            q = a(t);
        } else {
            // Taking the largest off the heap.
            t = ix(ir);
            q = a(t);
            ix(ir) = ix(1);
            if (--ir == 1) {
                ix(1) = t;
                return;
            }
        }
        int i = l, j = l + l;
        while (j <= ir) {
            if (j < ir && a(ix(j)) < a(ix(j + 1))) ++j;
            if (q < a(ix(j))) {
                ix(i) = ix(j);
                i = j;
                j += j;
            } else {
                j = ir + 1;
            }
        }
        ix(i) = t;
    }
}

int adapt_selection(const SlotErrors& err, double frac) {
    AdaptWork& w = g_work;
    w.n = std::min(cdata.NRELEM, MAXSLOT);
    double total = 0.0;
    int nel = 0;
    for (int i = 1; i <= w.n; ++i) {
        nel = nelcon(nel);
        int slot = 0;
        findno(nel, slot);
        total += err(slot) * err(slot);
        w.list(i) = nel;
        w.err(i) = err(slot);
    }
    sortm(w.n, w.listord.data(), w.err.data());
    double part = 0.0;
    for (int k = w.n; k >= 1; --k) {
        const double e = w.err(w.listord(k));
        part += e * e;
        if (part > total * frac) return k;
    }
    return 0;
}

int adapt_ranked(int k) {
    return g_work.list(g_work.listord(k));
}

int adapthp(const SlotErrors& err, int mode) {
    if (const int bad = first_not_finite(err); bad != 0) {
        ffldou(0, MSG_ERROR,
               fmt::line("(A,I6,A)", {"ADAPTATION REFUSED: THE ERROR OF ELEMENT", bad,
                                      " IS NOT A FINITE NUMBER"}));
        return ADAPT_NOT_A_NUMBER;
    }
    const int ndimen = cndimen.NDIMEN;
    const int iel = adapt_selection(err, ndimen == 1 ? FRAC_1D : FRAC_2D);
    if (iel == 0) {
        // Every error 0 (as before the first ERREST): nothing to choose from.
        write_terminal(fmt::list({"NO ELEMENT SELECTED"}));
        return 0;
    }
    list_selection(iel);
    double* uold = cuold.UOLD.data();
    double* unew = cunew.UNEW.data();
    const int icolu_rows = icolu.ICOLU;
    bool changed = false;
    int code = 0;
    for (int k = g_work.n; k >= iel && code == 0; --k) {
        const int nel = adapt_ranked(k);
        if (mode == 0) {
            // An element split meanwhile as a larger neighbour is passed over.
            if (!unrefined(nel)) continue;
            code = ndimen == 1 ? refinexy(nel, 2, uold, unew, icolu_rows)
                               : refine(nel, uold, unew, icolu_rows);
        } else {
            int slot = 0, node = 0, p = 0;
            findno(nel, slot);
            decode(celem.NICK(9, slot), node, p);
            if (p == 0) p = 1;
            if (p + 1 > MAXP) {
                write_terminal(fmt::list({"ALREADY MAXP=8 in NEL=", nel}));
                continue;
            }
            code = enrich(nel, p + 1, uold, unew, icolu_rows);
        }
        if (code == 0) changed = true;
    }
    if (changed) mesh_changed();
    return code;
}

}  // namespace kavren
