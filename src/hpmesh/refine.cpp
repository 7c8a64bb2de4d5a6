// h-refinement into four sons.
#include "hpmesh/refine.hpp"

#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "hpmesh/family.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/mesh_debug.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/transfer.hpp"
#include "hpmesh/tree.hpp"
#include "records/limits.hpp"
#include "records/mesh.hpp"

namespace kavren {

namespace {

DebugSwitch break_debug("BREAK");
DebugSwitch break1_debug("BREAK1");
DebugSwitch split2_debug("SPLIT2");

// Master points of split2's new nodes: the lower, right, upper and left inner
// half-edges, then the centres of the sons at the father's vertices 1..4.
constexpr double XSI[8][2] = {{0.0, -0.5},  {0.5, 0.0},  {0.0, 0.5}, {-0.5, 0.0},
                              {-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5}, {-0.5, 0.5}};

}  // namespace

int split2(const Arr1<int, 9>& lnodes, const Arr1<int, 9>& lorder, Arr1<int, 8>& nf, int& nodof,
           double* uold, double* unew, int icolu) {
    const int nordcent = std::max(1, lorder(9));
    const int nordx = std::max({1, lorder(5), lorder(7), lorder(9)});
    const int nordy = std::max({1, lorder(6), lorder(8), lorder(9)});
    const bool debug = split2_debug.value() == 1;
    if (debug) {
        dbg_int("SPLIT2", "NORDCENT", nordcent);
        dbg_int("SPLIT2", "NORDXMAX", nordx);
        dbg_int("SPLIT2", "NORDYMAX", nordy);
    }

    // The father's node positions, an absent edge node at its side's middle,
    // an absent interior node at the mean of the vertices.
    Arr2<double, 2, 9> p;
    father_positions(lnodes, p);

    MeshTransaction t;
    int rc = MESH_DONE;
    if (lnodes(9) < 1) {
        Arr1<int, 4> nv;
        for (int k = 1; k <= 4; ++k) nv(k) = lnodes(k);
        rc = genod2(nv, 1, nodof, uold, unew, icolu);
    } else {
        // The interior node becomes the centre vertex: it keeps its position
        // and its first dof, the rest of its chain goes to the free-dof list.
        const int node = lnodes(9);
        int len = 0, last = 0;
        ndofr(node, len, last);
        const int first = cnode.NODPTR(node);
        if (len > 1) {
            jset(cnu.NU(last), cpoint.NPDOF);
            jset(cpoint.NPDOF, cnu.NU(first));
            jset(cnu.NU(first), 0);
            jset(cdata.NRDOF, cdata.NRDOF - (len - 1));
        }
        nodof = node * 100 + 1;
    }

    nf.fill(0);
    for (int j = 1; j <= 8 && rc == MESH_DONE; ++j) {
        const int order = j >= 5 ? nordcent : (j % 2 == 1 ? nordy : nordx);
        if (order < 2) continue;
        const int ndof = j >= 5 ? (order - 1) * (order - 1) : order - 1;
        int node = 0;
        rc = take_node(ndof, node);
        if (rc != MESH_DONE) break;
        double x = 0.0, y = 0.0;
        for (int k = 1; k <= 9; ++k) {
            const double f = funsh2(k, XSI[j - 1][0], XSI[j - 1][1]);
            x += p(1, k) * f;
            y += p(2, k) * f;
        }
        jset(cnode.XNOD(1, node), x);
        jset(cnode.XNOD(2, node), y);
        nf(j) = node * 100 + order;
    }
    if (rc != MESH_DONE) {
        t.rollback();
        return rc;
    }
    if (debug) {
        dbg_int("SPLIT2", "NODOF", nodof);
        for (int k = 1; k <= 9; ++k) {
            dbg_line("THE OLD NODE, I=", k);
            dbg_real("SPLIT2", "XNOD", p(1, k));
            dbg_real("SPLIT2", "YNOD", p(2, k));
        }
        dbg_line("COORDINATES OF NEW NODES:");
        static constexpr const char* NF[8] = {"NF1", "NF2", "NF3", "NF4",
                                              "NF5", "NF6", "NF7", "NF8"};
        for (int j = 1; j <= 8; ++j) dbg_int("SPLIT2", NF[j - 1], nf(j));
    }
    return MESH_DONE;
}

namespace {

int break_steps(int nel, double* uold, double* unew, int icolu) {
    // refine splits the larger neighbours first.
    assert(is_active(nel) && is_unconstrained(nel));
    const bool debug = break_debug.on(nel);
    const bool dialogs = break_debug.value() == 1;
    const bool debug1 = break1_debug.value() == 1;
    if (debug) {
        dbg_int("BREAK", "MXEQNS", ceqsys.MXEQNS);
        dbg_int("BREAK", "NEL", nel);
    }
    if (dialogs) nickname_dialog("BREAK", "CHECK NICKNAMES...");
    if (debug1) dof_dialog("BREAKIN1", "CHECK DOF OF ANY ELEMENT");

    // Capacities the primitives do not check: families, slots, levels.
    if (const int rc = check_new_families(nel, 3, 1, 1); rc != MESH_DONE) return rc;

    // The father's function on the patch of the sons, from both arrays,
    // before anything changes.
    ElementVector ev;
    SonPatch pnew, pold;
    breakin1(nel, unew, icolu, ev, pnew);
    breakin2(nel, ev, pnew);
    breakin3(nel, ev, pnew);
    breakin1(nel, uold, icolu, ev, pold);
    breakin2(nel, ev, pold);
    breakin3(nel, ev, pold);

    Arr1<int, 8> neig, nside;
    neigbr(nel, neig);
    for (int q = 1; q <= 8; ++q) nside(q) = neig(q) != 0 ? ((q - 1) % 4 + 2) % 4 + 1 : 0;
    const int slot = slot_of(nel);
    Arr1<int, 9> lnodes, lorder;
    for (int k = 1; k <= 9; ++k) {
        lnodes(k) = node_of(celem.NICK(k, slot));
        lorder(k) = order_of(celem.NICK(k, slot));
        jset(celem.NICK(k, slot), 0);
    }
    int lordmax = 1;
    for (int k = 5; k <= 9; ++k) lordmax = std::max(lordmax, std::abs(lorder(k)));

    const int f1 = take_family(nel, 1);
    const int e1 = cdata.NRELIN + 2 * f1 - 1;
    const int f2 = take_family(e1, 2);
    const int f3 = take_family(e1 + 1, 2);
    const int e11 = cdata.NRELIN + 2 * f2 - 1;
    const int e21 = cdata.NRELIN + 2 * f3 - 1;
    // Slots of the sons at the father's vertices 1..4, and the sons in the
    // order of the lattice write-back.
    Arr1<int, 4> nsons, sonsel;
    nsons(1) = slot;
    nsons(2) = cdata.NRELIN + f2;
    nsons(3) = cdata.NRELIN + f3;
    nsons(4) = cdata.NRELIN + f1;
    sonsel(1) = e11;
    sonsel(2) = e11 + 1;
    sonsel(3) = e21;
    sonsel(4) = e21 + 1;

    Arr1<int, 4> kinds;
    side_boundary_numbers(nel, neig, kinds);
    if (debug) {
        dbg_ints("BREAK", "NEIG", neig.data(), 8);
        dbg_ints("BREAK", "NSIDE", nside.data(), 8);
        dbg_ints("BREAK", "LNODES", lnodes.data(), 9);
        dbg_ints("BREAK", "LORDER", lorder.data(), 9);
        dbg_ints("BREAK", "NSONS", nsons.data(), 4);
        dbg_ints("BREAK", "KIND", kinds.data(), 4);
        dbg_int("BREAK", "LORDMAX", lordmax);
    }

    for (int k = 1; k <= 4; ++k) {
        for (int m = 1; m <= 9; ++m) jset(celem.NICK(m, nsons(k)), 0);
        jset(celem.NICK(k, nsons(k)), lnodes(k) * 100 + 1);
    }

    int centre = 0;
    if (lordmax == 1) {
        if (debug) dbg_line("BEFORE CALLING GENOD2...");
        Arr1<int, 4> nv;
        for (int k = 1; k <= 4; ++k) nv(k) = lnodes(k);
        if (const int rc = genod2(nv, 1, centre, uold, unew, icolu); rc != MESH_DONE) return rc;
        if (debug) dbg_line("AFTER GENOD2...");
    } else {
        if (debug) dbg_line("BEFORE CALLING SPLIT2...");
        Arr1<int, 8> nf;
        if (const int rc = split2(lnodes, lorder, nf, centre, uold, unew, icolu); rc != MESH_DONE)
            return rc;
        // Inner half-edges: son k's side k+1 and son k+1's side k+3 (cyclic).
        jset(celem.NICK(6, nsons(1)), nf(1));
        jset(celem.NICK(7, nsons(2)), nf(2));
        jset(celem.NICK(8, nsons(3)), nf(3));
        jset(celem.NICK(5, nsons(4)), nf(4));
        jset(celem.NICK(8, nsons(2)), nf(1));
        jset(celem.NICK(5, nsons(3)), nf(2));
        jset(celem.NICK(6, nsons(4)), nf(3));
        jset(celem.NICK(7, nsons(1)), nf(4));
        for (int k = 1; k <= 4; ++k) jset(celem.NICK(9, nsons(k)), nf(k + 4));
    }
    for (int k = 1; k <= 4; ++k) jset(celem.NICK((k + 1) % 4 + 1, nsons(k)), centre);
    if (dialogs) nickname_dialog("BREAK", "CHECK NICKNAMES AFTER SPLITTING CENTRAL NODE:");

    for (int i = 1; i <= 4; ++i) {
        jset(cside.KIND, kinds(i));
        if (const int rc = split_father_side(i, neig, nside, lnodes, lorder, nsons(i),
                                             nsons(i % 4 + 1), uold, unew, icolu, debug);
            rc != MESH_DONE)
            return rc;
    }
    if (dialogs) nickname_dialog("BREAK", "CHECK NICKNAMES AFTER SPLITTING SIDE NODES:");

    if (debug1) {
        dbg_ints("BREAK1", "NSONSEL", sonsel.data(), 4);
        dbg_block("BREAK1", "UCORN1", pnew.UCORNS.data(), 9, 9, 4);
        dbg_block("BREAK1", "UEDGE1", pnew.UEDGES.data(), 7, 7, 12);
        dbg_block("BREAK1", "UCENTR1", pnew.CENTRE.data(), 7, 7, 7);
        dof_dialog("BREAKIN1", "CHECK DOF OF ANY ELEMENT");
    }
    // Both arrays receive the sons' values, whatever IDEC is.
    write_four_sons(sonsel, pnew, unew, icolu);
    write_four_sons(sonsel, pold, uold, icolu);
    if (debug1) dof_dialog("BREAKIN1", "CHECK DOF OF ANY ELEMENT");
    return MESH_DONE;
}

}  // namespace

int break_element(int nel, double* uold, double* unew, int icolu) {
    MeshTransaction t;
    const int rc = break_steps(nel, uold, unew, icolu);
    if (rc != MESH_DONE) t.rollback();
    return rc;
}

// The closure: the element on top of the stack is split once none of its
// sides is half of a larger neighbour's side; such a neighbour is pushed and
// examined first. After a split the element below is examined afresh.
int refine(int nel, double* uold, double* unew, int icolu) {
    assert(is_active(nel));  // the callers test it
    MeshTransaction t;
    int nelstk[REFINE_STACK + 1] = {};
    Arr2<int, 8, REFINE_STACK + 1> neiga;
    auto neighbours = [&neiga](int e, int col) {
        Arr1<int, 8> n;
        neigbr(e, n);
        for (int q = 1; q <= 8; ++q) neiga(q, col) = n(q);
    };
    int k = 1;
    nelstk[1] = nel;
    neighbours(nel, 1);
    int rc = MESH_DONE;
    while (rc == MESH_DONE) {
        bool pushed = false;
        for (int i = 1; i <= 4 && rc == MESH_DONE; ++i) {
            if (neiga(i, k) == 0 || neiga(i + 4, k) != 0) continue;
            const int n = neiga(i, k);
            neighbours(n, k + 1);
            const int is = (i + 1) % 4 + 1;
            if (neiga(is + 4, k + 1) == 0) continue;
            if (k + 1 > REFINE_STACK) {
                rc = MESH_STACK_FULL;
                break;
            }
            nelstk[++k] = n;
            pushed = true;
            break;
        }
        if (pushed || rc != MESH_DONE) continue;
        rc = break_element(nelstk[k], uold, unew, icolu);
        if (rc != MESH_DONE || k == 1) break;
        --k;
        neighbours(nelstk[k], k);
    }
    if (rc != MESH_DONE) {
        t.rollback();
        mesh_refused("REFINE", nel, rc);
    }
    return rc;
}

}  // namespace kavren
