// p-enrichment.
#include "hpmesh/enrich.hpp"

#include <algorithm>
#include <cassert>

#include "hpmesh/geometry.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/mesh_debug.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/tree.hpp"
#include "records/limits.hpp"
#include "records/mesh.hpp"

namespace kavren {

namespace {

DebugSwitch enrich_debug("ENRICH");

// What the three routines fetch of an element before they change it.
struct Element {
    int nel = 0;
    int slot = 0;
    Arr1<int, 8> neig;   // neighbours (neigbr)
    Arr1<int, 8> nsid;   // the side of each neighbour that faces nel
    Arr1<int, 9> lnod;   // old node numbers
    Arr1<int, 9> lord;   // old orders; a side handled as constrained gets 0 or minus its order
    Arr1<int, 4> kinds;  // boundary numbers, 0 for a side with a neighbour
    // The vertices as new nodes see them: a hanging vertex stands for the
    // node of its larger side's middle (0 while that side has none) and lies
    // where the geometry places it, on that side.
    Arr1<int, 4> vnode;
    Arr2<double, 2, 4> vpos;
};

// A constrained side i: the larger neighbour nb across it, nb's facing side,
// and the other small element along nb's side (the sibling).
struct Wall {
    int nb = 0, is = 0, nbslot = 0;
    int sibling = 0, sibslot = 0;
    int hanging = 0;  // the element's vertex in the middle of nb's side
};

void fetch(int nel, Element& e) {
    assert(is_active(nel));  // the callers test it
    e.nel = nel;
    e.slot = slot_of(nel);
    neigbr(nel, e.neig);
    e.nsid.fill(0);
    for (int q = 1; q <= 8; ++q)
        if (e.neig(q) != 0) findsn(nel, e.neig, q, e.nsid(q));
    for (int k = 1; k <= 9; ++k) {
        e.lnod(k) = node_of(celem.NICK(k, e.slot));
        e.lord(k) = order_of(celem.NICK(k, e.slot));
    }
    side_boundary_numbers(nel, e.neig, e.kinds);
    Arr2<double, 2, 9> xnodl;
    nodcor(nel, xnodl);
    for (int k = 1; k <= 4; ++k) {
        e.vnode(k) = e.lnod(k);
        e.vpos(1, k) = xnodl(1, k);
        e.vpos(2, k) = xnodl(2, k);
    }
}

// Side i is half of a larger neighbour's side.
bool wall_of(const Element& e, int i, Wall& w) {
    if (e.neig(i) == 0 || e.neig(i + 4) != 0) return false;
    w.nb = e.neig(i);
    w.is = e.nsid(i);
    Arr1<int, 8> nbn;
    neigbr(w.nb, nbn);
    if (nbn(w.is + 4) == 0) return false;
    const bool first = nbn(w.is) == e.nel;
    w.sibling = first ? nbn(w.is + 4) : nbn(w.is);
    w.hanging = first ? i : i % 4 + 1;
    w.nbslot = slot_of(w.nb);
    w.sibslot = slot_of(w.sibling);
    return true;
}

void set_nick(int slot, int k, int nick) {
    jset(celem.NICK(k, slot), nick);
}

// After the larger side's edge changed: the hanging vertex stands for that
// side's middle node, or without one lies at the middle of the side.
void stand_in(Element& e, const Wall& w) {
    const int mid = node_of(celem.NICK(w.is + 4, w.nbslot));
    const int a = node_of(celem.NICK(w.is, w.nbslot));
    const int b = node_of(celem.NICK(w.is % 4 + 1, w.nbslot));
    e.vnode(w.hanging) = mid;
    for (int c = 1; c <= 2; ++c)
        e.vpos(c, w.hanging) =
            mid > 0 ? cnode.XNOD(c, mid) : 0.5 * (cnode.XNOD(c, a) + cnode.XNOD(c, b));
}

// The larger neighbour's edge node across a wall: set to order m (deleted
// below 2, made between nb's vertices when absent).
int set_wall_edge(const Wall& w, int m, double* uold, double* unew, int icolu) {
    const int nick = celem.NICK(w.is + 4, w.nbslot);
    const int node = node_of(nick);
    if (node > 0) {
        if (m < 2) {
            delete_node(node);
            set_nick(w.nbslot, w.is + 4, 0);
            return MESH_DONE;
        }
        int nodof = nick;
        const int rc = modnod(node, m, 1, nodof, uold, unew, icolu);
        if (rc == MESH_DONE) set_nick(w.nbslot, w.is + 4, nodof);
        return rc;
    }
    if (m < 2) return MESH_DONE;
    // The larger side is interior: its new node lies at its middle.
    jset(cside.KIND, 0);
    const int a = node_of(celem.NICK(w.is, w.nbslot));
    const int b = node_of(celem.NICK(w.is % 4 + 1, w.nbslot));
    int nodof = 0;
    const int rc = genod1(a, b, m, nodof, uold, unew, icolu);
    if (rc == MESH_DONE) set_nick(w.nbslot, w.is + 4, nodof);
    return rc;
}

// The element's own edge node of side i: set to order m, deleted below 2,
// made between the vertices (hanging ones standing for their larger side's
// middle) when absent.
int set_own_edge(Element& e, int i, int m, double* uold, double* unew, int icolu) {
    const int node = e.lord(i + 4) > 0 ? e.lnod(i + 4) : 0;
    if (node > 0) {
        if (m < 2) {
            delete_node(node);
            set_nick(e.slot, i + 4, 0);
            return MESH_DONE;
        }
        int nodof = celem.NICK(i + 4, e.slot);
        const int rc = modnod(node, m, 1, nodof, uold, unew, icolu);
        if (rc == MESH_DONE) set_nick(e.slot, i + 4, nodof);
        return rc;
    }
    if (m < 2) return MESH_DONE;
    const int i1 = i % 4 + 1;
    Arr1<double, 2> p1, p2;
    for (int c = 1; c <= 2; ++c) {
        p1(c) = e.vpos(c, i);
        p2(c) = e.vpos(c, i1);
    }
    int nodof = 0;
    const int rc = genod1_between(e.vnode(i), e.vnode(i1), p1, p2, m, nodof, uold, unew, icolu);
    if (rc == MESH_DONE) set_nick(e.slot, i + 4, nodof);
    return rc;
}

// The neighbours' view of side i after its edge changed: two smaller ones
// name it constrained (-order, 0 below 2), one of the same size names the
// element's edge node.
void update_neighbours(const Element& e, int i, int m) {
    if (e.neig(i + 4) != 0) {
        for (int q : {i, i + 4}) set_nick(slot_of(e.neig(q)), e.nsid(q) + 4, m >= 2 ? -m : 0);
    } else if (e.neig(i) != 0) {
        set_nick(slot_of(e.neig(i)), e.nsid(i) + 4, celem.NICK(i + 4, e.slot));
    }
}

// The larger of the interior orders of the neighbours across side i.
int neighbour_interiors(const Element& e, int i) {
    int m = 0;
    if (e.neig(i) != 0) m = interior_order(e.neig(i));
    if (e.neig(i + 4) != 0) m = std::max(m, interior_order(e.neig(i + 4)));
    return m;
}

// The interior node: set to order m (deleted below 2, made when absent).
int set_interior(Element& e, int m, double* uold, double* unew, int icolu) {
    if (e.lnod(9) > 0) {
        if (m < 2) {
            delete_node(e.lnod(9));
            set_nick(e.slot, 9, 0);
            return MESH_DONE;
        }
        int nodof = celem.NICK(9, e.slot);
        const int rc = modnod(e.lnod(9), m, 2, nodof, uold, unew, icolu);
        if (rc == MESH_DONE) set_nick(e.slot, 9, nodof);
        return rc;
    }
    if (m < 2) return MESH_DONE;
    int nodof = 0;
    const int rc = genod2_at(e.vpos, m, nodof, uold, unew, icolu);
    if (rc == MESH_DONE) set_nick(e.slot, 9, nodof);
    return rc;
}

// enrich with a five-digit code.
int enrich_code(int nel, int nordsc, double* uold, double* unew, int icolu, bool debug) {
    Arr1<int, 9> norder;
    norder.fill(1);
    norder(5) = nordsc / 10000;
    norder(6) = nordsc % 10000 / 1000;
    norder(7) = nordsc % 1000 / 100;
    norder(8) = nordsc % 100 / 10;
    norder(9) = nordsc % 10;
    if (debug) dbg_ints("ENRICH", "NORDER", norder.data(), 9);
    Element e;
    fetch(nel, e);

    for (int i = 1; i <= 4; ++i) {
        Wall w;
        if (!wall_of(e, i, w)) continue;
        jset(cside.KIND, e.kinds(i));
        const int m = std::max({norder(i + 4), interior_order(w.sibling), interior_order(w.nb)});
        norder(i + 4) = m;
        if (const int rc = set_wall_edge(w, m, uold, unew, icolu); rc != MESH_DONE) return rc;
        const int own = m < 2 ? 0 : -m;
        set_nick(e.slot, i + 4, own);
        set_nick(w.sibslot, i + 4, own);
        if (m < 2) set_nick(w.nbslot, w.is + 4, 0);
        e.lord(i + 4) = own;
        stand_in(e, w);
    }
    for (int i = 1; i <= 4; ++i) {
        if (e.lord(i + 4) < 0) continue;
        jset(cside.KIND, e.kinds(i));
        if (e.neig(i) != 0) norder(i + 4) = std::max(norder(i + 4), neighbour_interiors(e, i));
        const int m = norder(i + 4);
        if (const int rc = set_own_edge(e, i, m, uold, unew, icolu); rc != MESH_DONE) return rc;
        update_neighbours(e, i, m);
    }
    return set_interior(e, norder(9), uold, unew, icolu);
}

int enrichol_steps(int nel, int n, double* uold, double* unew, int icolu) {
    Element e;
    fetch(nel, e);
    for (int i = 1; i <= 4; ++i) {
        Wall w;
        if (!wall_of(e, i, w)) continue;
        jset(cside.KIND, e.kinds(i));
        const int nbord = std::max(0, order_of(celem.NICK(w.is + 4, w.nbslot)));
        if (nbord < n) {
            if (const int rc = set_wall_edge(w, n, uold, unew, icolu); rc != MESH_DONE) return rc;
            set_nick(e.slot, i + 4, -n);
            set_nick(w.sibslot, i + 4, -n);
            e.lord(i + 4) = -n;
        }
        stand_in(e, w);
    }
    // Edges at n or above stay: the uniform enrichment never lowers an edge.
    for (int i = 1; i <= 4; ++i) {
        if (e.lord(i + 4) < 0 || e.lord(i + 4) >= n) continue;
        jset(cside.KIND, e.kinds(i));
        if (const int rc = set_own_edge(e, i, n, uold, unew, icolu); rc != MESH_DONE) return rc;
        update_neighbours(e, i, n);
    }
    return set_interior(e, n, uold, unew, icolu);
}

int unrich_steps(int nel, int n, double* uold, double* unew, int icolu) {
    Element e;
    fetch(nel, e);
    if (n >= e.lord(9)) mesh_fatal("UNRICH", "WRONG INPUT TO UNRICH!");
    for (int i = 1; i <= 4; ++i) {
        Wall w;
        if (!wall_of(e, i, w)) continue;
        const int m = std::max({n, interior_order(w.sibling), interior_order(w.nb)});
        if (const int rc = set_wall_edge(w, m, uold, unew, icolu); rc != MESH_DONE) return rc;
        const int own = m < 2 ? 0 : -m;
        set_nick(e.slot, i + 4, own);
        set_nick(w.sibslot, i + 4, own);
        e.lord(i + 4) = own;
    }
    for (int i = 1; i <= 4; ++i) {
        if (e.lord(i + 4) <= 0) continue;
        // A boundary side takes n; a shared one keeps its neighbours' interiors.
        const int m = e.neig(i) != 0 ? std::max(n, neighbour_interiors(e, i)) : n;
        if (const int rc = set_own_edge(e, i, m, uold, unew, icolu); rc != MESH_DONE) return rc;
        update_neighbours(e, i, m);
    }
    return set_interior(e, n, uold, unew, icolu);
}

// Runs steps as one change: undone when refused, with the message of action.
template <typename Steps>
int as_one_change(const char* action, int nel, bool report, Steps steps) {
    MeshTransaction t;
    const int rc = steps();
    if (rc != MESH_DONE) {
        t.rollback();
        if (report) mesh_refused(action, nel, rc);
    }
    return rc;
}

}  // namespace

bool valid_order_code(int nordsc) {
    if (nordsc <= MAX_UNIFORM_CODE) return nordsc >= 2 && nordsc <= MAXP;
    if (nordsc > 99999) return false;
    for (int c = nordsc; c > 0; c /= 10)
        if (c % 10 < 1 || c % 10 > MAXP) return false;
    return true;
}

int enrich(int nel, int nordsc, double* uold, double* unew, int icolu) {
    const bool debug = enrich_debug.on(nel);
    if (debug) {
        dbg_int("ENRICH", "NEL", nel);
        dbg_int("ENRICH", "NORDSC", nordsc);
    }
    if (!valid_order_code(nordsc)) {
        mesh_refused("ENRICH", nel, MESH_BAD_ORDER, nordsc);
        return MESH_BAD_ORDER;
    }
    return as_one_change("ENRICH", nel, true, [&] {
        return nordsc <= MAX_UNIFORM_CODE ? enrichol_steps(nel, nordsc, uold, unew, icolu)
                                          : enrich_code(nel, nordsc, uold, unew, icolu, debug);
    });
}

int enrichol(int nel, int n, double* uold, double* unew, int icolu) {
    return as_one_change("ENRICH", nel, false,
                         [&] { return enrichol_steps(nel, n, uold, unew, icolu); });
}

int unrich(int nel, int n, double* uold, double* unew, int icolu) {
    return as_one_change("UNRICH", nel, true,
                         [&] { return unrich_steps(nel, n, uold, unew, icolu); });
}

int check(const Arr1<int, 4>& slots, const Arr1<int, 8>& neig, const Arr1<int, 4>& iside,
          double* uold, double* unew, int icolu) {
    MeshTransaction t;
    for (int i = 1; i <= 4; ++i) {
        if (neig(i) == 0 || neig(i + 4) == 0) continue;
        for (int q : {i, i + 4}) {
            const int slot = slots(q == i ? i : i % 4 + 1);
            const int nslot = slot_of(neig(q));
            const int m = std::max(order_of(celem.NICK(9, slot)), interior_order(neig(q)));
            const int node = node_of(celem.NICK(i + 4, slot));
            if (node <= 0) continue;
            if (m < 2) {
                delete_node(node);
                set_nick(slot, i + 4, 0);
                set_nick(nslot, iside(i) + 4, 0);
                continue;
            }
            int nodof = celem.NICK(i + 4, slot);
            if (const int rc = modnod(node, m, 1, nodof, uold, unew, icolu); rc != MESH_DONE) {
                t.rollback();
                return rc;
            }
            set_nick(slot, i + 4, nodof);
            set_nick(nslot, iside(i) + 4, nodof);
        }
    }
    return MESH_DONE;
}

}  // namespace kavren
