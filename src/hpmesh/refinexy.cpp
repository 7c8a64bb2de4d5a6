// Directional h-refinement into two sons.
#include "hpmesh/refinexy.hpp"

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

// Master points of the inner-edge node and the two son interiors, by direction.
constexpr double XSI[2][3][2] = {{{0.0, 0.0}, {0.0, -0.5}, {0.0, 0.5}},
                                 {{0.0, 0.0}, {-0.5, 0.0}, {0.5, 0.0}}};

}  // namespace

int split2xy(const Arr1<int, 9>& lnodes, const Arr1<int, 9>& lorder, int ixy, int& nf1, int& nf2,
             int& nf3) {
    const int nordcent = lorder(9) > 0 ? lorder(9) : 1;
    const int nordx = std::max({1, lorder(5), lorder(7), lorder(9)});
    const int nordy = std::max({1, lorder(6), lorder(8), lorder(9)});
    // The inner edge runs parallel to sides 1 and 3 in direction 1.
    const int inner = ixy == 1 ? nordx : nordy;
    Arr2<double, 2, 9> p;
    father_positions(lnodes, p);

    MeshTransaction t;
    int nf[3] = {0, 0, 0};
    for (int j = 0; j < 3; ++j) {
        const int order = j == 0 ? inner : nordcent;
        if (order < 2) continue;
        const int ndof = j == 0 ? order - 1 : (order - 1) * (order - 1);
        int node = 0;
        if (const int rc = take_node(ndof, node); rc != MESH_DONE) {
            t.rollback();
            return rc;
        }
        double x = 0.0, y = 0.0;
        for (int k = 1; k <= 9; ++k) {
            const double f = funsh2(k, XSI[ixy - 1][j][0], XSI[ixy - 1][j][1]);
            x += p(1, k) * f;
            y += p(2, k) * f;
        }
        jset(cnode.XNOD(1, node), x);
        jset(cnode.XNOD(2, node), y);
        nf[j] = node * 100 + order;
    }
    nf1 = nf[0];
    nf2 = nf[1];
    nf3 = nf[2];
    if (split2_debug.value() == 1) {
        dbg_int("SPLIT2", "NORDCENT", nordcent);
        dbg_int("SPLIT2", "NORDXMAX", nordx);
        dbg_int("SPLIT2", "NORDYMAX", nordy);
        dbg_ints("SPLIT2", "NODOF", nf, 3);
        for (int k = 1; k <= 9; ++k) {
            dbg_line("THE OLD NODE, I=", k);
            dbg_real("SPLIT2", "XNOD", p(1, k));
            dbg_real("SPLIT2", "YNOD", p(2, k));
        }
        dbg_line("COORDINATES OF NEW NODES:");
        dbg_int("SPLIT2", "NF1", nf1);
        dbg_int("SPLIT2", "NF2", nf2);
        dbg_int("SPLIT2", "NF3", nf3);
    }
    return MESH_DONE;
}

namespace {

int breakxy_steps(int nels, double* uold, double* unew, int icolu) {
    const int nel = std::abs(nels);
    const int ixy = nels > 0 ? 1 : 2;
    // refinexy cuts the larger neighbours first.
    assert(is_active(nel) && is_unconstrained(nel));
    const bool debug = break_debug.on(nel);
    const bool dialogs = break_debug.value() == 1;
    const bool debug1 = break1_debug.value() == 1;
    if (debug) {
        dbg_int("BREAK", "NEL", nel);
        dbg_int("BREAK", "NRFAM", cdata.NRFAM);
        dbg_int("BREAK", "NRELEM", cdata.NRELEM);
    }
    if (dialogs) nickname_dialog("BREAK", "CHECK NICKNAMES...");

    // A cut in direction 1 adds a y-level, in direction 2 an x-level.
    if (const int rc = check_new_families(nel, 1, ixy == 2 ? 1 : 0, ixy == 1 ? 1 : 0);
        rc != MESH_DONE)
        return rc;

    // The father's function on the two-son patch, from both arrays, before
    // anything changes.
    ElementVector ev;
    SonPatch pnew, pold;
    if (ixy == 1) {
        breaki01(nel, unew, icolu, ev, pnew);
        breaki02(nel, ev, pnew);
        breaki03(nel, ev, pnew);
        breaki01(nel, uold, icolu, ev, pold);
        breaki02(nel, ev, pold);
        breaki03(nel, ev, pold);
    } else {
        breaki11(nel, unew, icolu, ev, pnew);
        breaki12(nel, ev, pnew);
        breaki13(nel, ev, pnew);
        breaki11(nel, uold, icolu, ev, pold);
        breaki12(nel, ev, pold);
        breaki13(nel, ev, pold);
    }

    Arr1<int, 8> neig, nside;
    neigbr(nel, neig);
    for (int q = 1; q <= 8; ++q) nside(q) = neig(q) != 0 ? ((q - 1) % 4 + 2) % 4 + 1 : 0;
    const int s1 = slot_of(nel);
    Arr1<int, 9> lnodes, lorder, lnick;
    for (int k = 1; k <= 9; ++k) {
        lnick(k) = celem.NICK(k, s1);
        lnodes(k) = node_of(lnick(k));
        lorder(k) = order_of(lnick(k));
        jset(celem.NICK(k, s1), 0);
    }
    int lordmax = 1;
    for (int k = 5; k <= 9; ++k) lordmax = std::max(lordmax, std::abs(lorder(k)));

    const int f = take_family(nel, ixy);
    const int s2 = cdata.NRELIN + f;
    Arr1<int, 4> kinds;
    side_boundary_numbers(nel, neig, kinds);
    for (int k = 1; k <= 9; ++k) jset(celem.NICK(k, s2), 0);

    // Nodes the sons take over unchanged: two vertices and the kept side each.
    static constexpr int KEPT[2][2][3] = {{{1, 2, 5}, {3, 4, 7}}, {{1, 4, 8}, {2, 3, 6}}};
    for (int s = 0; s < 2; ++s)
        for (int k : KEPT[ixy - 1][s]) jset(celem.NICK(k, s == 0 ? s1 : s2), lnick(k));

    if (lordmax != 1) {
        int nf1 = 0, nf2 = 0, nf3 = 0;
        if (const int rc = split2xy(lnodes, lorder, ixy, nf1, nf2, nf3); rc != MESH_DONE) return rc;
        jset(celem.NICK(ixy == 1 ? 7 : 6, s1), nf1);
        jset(celem.NICK(ixy == 1 ? 5 : 8, s2), nf1);
        jset(celem.NICK(9, s1), nf2);
        jset(celem.NICK(9, s2), nf3);
    }
    if (dialogs) nickname_dialog("BREAK", "CHECK NICKNAMES AFTER SPLITTING CENTRAL NODE:");
    if (debug) {
        dbg_ints("BREAK", "NEIG", neig.data(), 8);
        dbg_ints("BREAK", "NSIDE", nside.data(), 8);
        dbg_ints("BREAK", "LNODES", lnodes.data(), 9);
        dbg_ints("BREAK", "LORDER", lorder.data(), 9);
        const int nsons[2] = {s1, s2};
        dbg_ints("BREAK", "NSONS", nsons, 2);
    }

    // The halved sides; the son holding vertex i is son 1 for sides 1 and 2.
    const int halved[2][2] = {{2, 4}, {1, 3}};
    for (int i : halved[ixy - 1]) {
        const int k1 = i <= 2 ? s1 : s2;
        const int k2 = i <= 2 ? s2 : s1;
        jset(cside.KIND, kinds(i));
        if (const int rc =
                split_father_side(i, neig, nside, lnodes, lorder, k1, k2, uold, unew, icolu, debug);
            rc != MESH_DONE)
            return rc;
    }
    if (dialogs) nickname_dialog("BREAK", "CHECK NICKNAMES AFTER SPLITTING SIDE NODES:");

    // No element names the father's interior node any more.
    if (lnodes(9) > 0) delete_node(lnodes(9));

    int son1 = 0;
    findfs(nel, son1);
    if (debug1) {
        const int sons[2] = {son1, son1 + 1};
        dbg_ints("BREAK1", "NSONS", sons, 2);
        dbg_block("BREAK1", "UCORN1", pnew.UCORNS.data(), 9, 6, 4);
        dbg_block("BREAK1", "UEDGE1", pnew.UEDGES.data(), 7, 7, 7);
        dbg_block("BREAK1", "UCENTR1", pnew.CENTRE.data(), 7, 7, 14);
        dof_dialog("BREAKIN1", "CHECK DOF OF ANY ELEMENT");
    }
    // Both arrays receive the sons' values, whatever IDEC is.
    write_two_sons(ixy, son1, son1 + 1, pnew, unew, icolu);
    write_two_sons(ixy, son1, son1 + 1, pold, uold, icolu);
    if (debug1) dof_dialog("BREAKIN1", "CHECK DOF OF ANY ELEMENT");
    return MESH_DONE;
}

}  // namespace

int breakxy(int nels, double* uold, double* unew, int icolu) {
    MeshTransaction t;
    const int rc = breakxy_steps(nels, uold, unew, icolu);
    if (rc != MESH_DONE) t.rollback();
    return rc;
}

// The closure: every side of the element on top of the stack is examined; a
// neighbour that meets it along half of its own facing side is larger and is
// pushed, to be cut in the direction that halves that side. After a cut the
// element below is examined afresh.
int refinexy(int nel, int ixy, double* uold, double* unew, int icolu) {
    assert(is_active(nel) && (ixy == 1 || ixy == 2));  // the callers test the element
    MeshTransaction t;
    int nelstk[REFINE_STACK + 1] = {};
    Arr2<int, 8, REFINE_STACK + 1> neiga;
    auto neighbours = [&neiga](int e, int col) {
        Arr1<int, 8> n;
        neigbr(e, n);
        for (int q = 1; q <= 8; ++q) neiga(q, col) = n(q);
    };
    int k = 1;
    nelstk[1] = ixy == 1 ? nel : -nel;
    neighbours(nel, 1);
    int rc = MESH_DONE;
    while (rc == MESH_DONE) {
        bool pushed = false;
        for (int i = 1; i <= 4; ++i) {
            if (neiga(i, k) == 0 || neiga(i + 4, k) != 0) continue;
            const int n = neiga(i, k);
            const int iside = (i + 1) % 4 + 1;
            neighbours(n, k + 1);
            if (neiga(iside + 4, k + 1) == 0) continue;
            if (k + 1 > REFINE_STACK) {
                rc = MESH_STACK_FULL;
                break;
            }
            nelstk[++k] = iside == 2 || iside == 4 ? n : -n;
            pushed = true;
            break;
        }
        if (pushed || rc != MESH_DONE) continue;
        rc = breakxy(nelstk[k], uold, unew, icolu);
        if (rc != MESH_DONE || k == 1) break;
        --k;
        neighbours(std::abs(nelstk[k]), k);
    }
    if (rc != MESH_DONE) {
        t.rollback();
        mesh_refused("REFINEXY", nel, rc);
    }
    return rc;
}

}  // namespace kavren
