// h-unrefinement.
#include "hpmesh/unrefine.hpp"

#include <algorithm>
#include <cstddef>

#include "control/messages.hpp"
#include "control/reader.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/mesh_debug.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/tree.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

DebugSwitch unrefixy_debug("UNREFIXY");
DebugSwitch unrefi_debug("UNREFI");

int levx_of(int nel) {
    int levx = 0, levy = 0, org = 0;
    findlvxy(nel, levx, levy, org);
    return levx;
}

int levy_of(int nel) {
    int levx = 0, levy = 0, org = 0;
    findlvxy(nel, levx, levy, org);
    return levy;
}

// The sides a family of direction ixy halves.
void halved_sides(int ixy, int (&sides)[2]) {
    sides[0] = ixy == 1 ? 2 : 1;
    sides[1] = ixy == 1 ? 4 : 3;
}

//// what the constraint logic can represent ////

constexpr int SIDE_BOUNDARY = 0;
constexpr int SIDE_EQUAL = 1;
constexpr int SIDE_SMALL = 2;  // a wall: half of the larger neighbour's side
constexpr int SIDE_LARGE = 3;  // two smaller neighbours

struct Side {
    int kind = SIDE_BOUNDARY;
    int nb = 0;
    int nbside = 0;
    bool hang_at_end = false;  // a wall whose hanging vertex is vertex s mod 4 + 1
};

struct Sides {
    Side side[5];
    bool hangs[5] = {};
    int walls = 0;
    bool clash = false;  // two walls hang at one vertex
};

// How each side of active element nel meets the mesh, from the tree alone.
Sides sides_of(int nel) {
    Sides r;
    Arr1<int, 8> neig;
    neigbr(nel, neig);
    for (int s = 1; s <= 4; ++s) {
        Side& x = r.side[s];
        if (neig(s) == 0) continue;
        if (neig(s + 4) != 0) {
            x.kind = SIDE_LARGE;
            continue;
        }
        x.nb = neig(s);
        findsn(nel, neig, s, x.nbside);
        Arr1<int, 8> nbn;
        neigbr(x.nb, nbn);
        if (x.nbside == 0 || nbn(x.nbside + 4) == 0) {
            x.kind = SIDE_EQUAL;
            continue;
        }
        x.kind = SIDE_SMALL;
        // nb walks its side the other way round: its first neighbour there
        // ends at nb's vertex and begins at the middle.
        x.hang_at_end = nbn(x.nbside) != nel;
        const int hv = x.hang_at_end ? s % 4 + 1 : s;
        if (r.hangs[hv]) r.clash = true;
        r.hangs[hv] = true;
        ++r.walls;
    }
    return r;
}

// The constraint logic takes at most two walls: on adjacent sides with one
// father vertex, or on opposite sides with adjacent hanging vertices; no
// father vertex of a wall, and neither end of the larger side, may hang in
// turn (neither on nel's walls nor on the walls that smaller neighbours have
// on nel).
bool representable(int nel) {
    const Sides a = sides_of(nel);
    if (a.clash || a.walls > 2) return false;
    int wall_sides[2] = {0, 0}, n = 0;
    for (int s = 1; s <= 4; ++s)
        if (a.side[s].kind == SIDE_SMALL) wall_sides[n++] = s;
    if (n == 2 && wall_sides[1] - wall_sides[0] == 2) {
        int hv[2];
        for (int w = 0; w < 2; ++w) {
            const int s = wall_sides[w];
            hv[w] = a.side[s].hang_at_end ? s % 4 + 1 : s;
        }
        if (hv[1] != hv[0] % 4 + 1 && hv[0] != hv[1] % 4 + 1) return false;
    }
    for (int s = 1; s <= 4; ++s) {
        const Side& x = a.side[s];
        if (x.kind == SIDE_LARGE && (a.hangs[s] || a.hangs[s % 4 + 1])) return false;
        if (x.kind != SIDE_SMALL) continue;
        const int fv = x.hang_at_end ? s : s % 4 + 1;
        if (a.hangs[fv]) return false;
        const Sides o = sides_of(x.nb);
        const int so = x.nbside;
        const int o_father = x.hang_at_end ? so % 4 + 1 : so;
        const int o_far = x.hang_at_end ? so : so % 4 + 1;
        if (o.hangs[o_father] || o.hangs[o_far]) return false;
    }
    return true;
}

// After a merge into nel only nel and its neighbours meet the mesh in a new
// way; every other element keeps its sides and its hanging vertices.
bool representable_around(int nel) {
    if (!representable(nel)) return false;
    Arr1<int, 8> neig;
    neigbr(nel, neig);
    for (int q = 1; q <= 8; ++q) {
        if (neig(q) == 0) continue;
        bool seen = false;
        for (int p = 1; p < q; ++p) seen = seen || neig(p) == neig(q);
        if (!seen && !representable(neig(q))) return false;
    }
    return true;
}

//// merging nodes ////

// Merges the half-edge nodes na (half 1) and nb with the middle vertex nm
// into one edge node of order nord, which nm becomes (nickout). The halves
// are given back before nm's chain grows, so the free-dof list always holds
// the dofs it needs.
int clust1(int na, int nb, int nm, int nord, int& nickout, double* uold, double* unew, int icolu) {
    const int ndof = nord - 1;
    double xold[MXEQNS_MAX][MAX_SIDE_DOF] = {}, xnew[MXEQNS_MAX][MAX_SIDE_DOF] = {};
    for (int k = 1; k <= MXEQNS_MAX; ++k) {
        user7(nm, na, nb, ndof, xold[k - 1], column(uold, icolu, k));
        if (cdec.IDEC == 1) user7(nm, na, nb, ndof, xnew[k - 1], column(unew, icolu, k));
    }
    delete_node(na);
    delete_node(nb);
    if (ndof > 1) {
        const int first = cnode.NODPTR(nm);
        int d = cpoint.NPDOF;
        if (d == 0) return MESH_NO_DOF;
        jset(cnu.NU(first), d);
        for (int i = 2; i < ndof; ++i) {
            d = cnu.NU(d);
            if (d == 0) return MESH_NO_DOF;
        }
        jset(cpoint.NPDOF, cnu.NU(d));
        jset(cnu.NU(d), 0);
        jset(cdata.NRDOF, cdata.NRDOF + ndof - 1);
    }
    for (int k = 1; k <= MXEQNS_MAX; ++k) {
        write_chain(nm, ndof, xold[k - 1], column(uold, icolu, k));
        if (cdec.IDEC == 1) write_chain(nm, ndof, xnew[k - 1], column(unew, icolu, k));
    }
    nickout = nm * 100 + nord;
    return MESH_DONE;
}

// Raises the half-edge of son (in slot) on its side i to order m: an
// existing node by modnod, an absent one made between the son's vertices.
// The neighbour across that half names the same node.
int raise_half_edge(int son, int slot, int i, int m, double* uold, double* unew, int icolu) {
    Arr1<int, 8> neig;
    neigbr(son, neig);
    Arr1<int, 4> kinds;
    side_boundary_numbers(son, neig, kinds);
    jset(cside.KIND, kinds(i));
    const int nick = celem.NICK(i + 4, slot);
    int nodof = nick;
    int rc = MESH_DONE;
    if (nick > 0) {
        rc = modnod(node_of(nick), m, 1, nodof, uold, unew, icolu);
    } else {
        // A vertex may hang on another side of the son: take its position.
        Arr2<double, 2, 9> xnodl;
        nodcor(son, xnodl);
        const int i1 = i % 4 + 1;
        Arr1<double, 2> p1, p2;
        for (int c = 1; c <= 2; ++c) {
            p1(c) = xnodl(c, i);
            p2(c) = xnodl(c, i1);
        }
        rc = genod1_between(std::max(0, node_of(celem.NICK(i, slot))),
                            std::max(0, node_of(celem.NICK(i1, slot))), p1, p2, m, nodof, uold,
                            unew, icolu);
    }
    if (rc != MESH_DONE) return rc;
    jset(celem.NICK(i + 4, slot), nodof);
    if (neig(i) != 0) {
        int is = 0;
        findsn(son, neig, i, is);
        jset(celem.NICK(is + 4, slot_of(neig(i))), nodof);
    }
    return MESH_DONE;
}

// The family goes back on the free list, nel becomes active again and takes
// its nicknames from its sons' slots: the outer vertices and kept sides, no
// interior node (clust2: the sons have none and their inner edge is gone),
// and on each halved side the merged edge, the larger neighbour's edge, or
// none. iside(k): the facing side of son 1's neighbour across halved side k.
// An UNREF_ status.
int unbrea(int nel, int nfam, int sl1, int sl2, const int (&iside)[2], double* uold, double* unew,
           int icolu) {
    const int ixy = ctree.TREE(4, nfam);
    jset(cdata.NRFAM, cdata.NRFAM - 1);
    jset(cdata.NRELEM, cdata.NRELEM - 1);
    jset(ctree.TREE(1, nfam), 0);
    jset(ctree.TREE(2, nfam), cpoint.NPFAM);
    jset(cpoint.NPFAM, nfam);
    if (nel <= cdata.NRELIN) {
        jset(ctree.NFSON(nel), 0);
    } else {
        int f = 0, s = 0;
        faminf(nel, f, s);
        jset(ctree.TREE(s + 1, f), 0);
    }
    Arr1<int, 8> neig;
    neigbr(nel, neig);

    Arr1<int, 9> nn;
    nn.fill(0);
    static constexpr int FROM_SON1[2][3] = {{1, 2, 5}, {1, 4, 8}};
    static constexpr int FROM_SON2[2][3] = {{3, 4, 7}, {2, 3, 6}};
    for (int j = 0; j < 3; ++j) {
        nn(FROM_SON1[ixy - 1][j]) = celem.NICK(FROM_SON1[ixy - 1][j], sl1);
        nn(FROM_SON2[ixy - 1][j]) = celem.NICK(FROM_SON2[ixy - 1][j], sl2);
    }

    int halved[2];
    halved_sides(ixy, halved);
    for (int k = 0; k < 2; ++k) {
        const int i = halved[k];
        const int lo = order_of(celem.NICK(i + 4, sl1));
        // The middle vertex of the side, in son 1.
        const int mloc = ixy == 1 ? (i == 2 ? 3 : 4) : (i == 1 ? 2 : 3);
        const int nm = node_of(celem.NICK(mloc, sl1));
        // Half 1 of the side, where its coordinate runs from -1 to 0, is son 1's.
        const int na = node_of(celem.NICK(i + 4, sl1));
        const int nb = node_of(celem.NICK(i + 4, sl2));
        // Without a neighbour of nel's size the middle is a vertex of its own.
        if ((neig(i) == 0 || neig(i + 4) != 0) && nm <= 0) return UNREF_NOT_HANDLED;
        if (neig(i) != 0 && neig(i + 4) != 0) {
            // Two smaller neighbours: the middle vertex hangs for them now.
            const int sa = slot_of(neig(i)), sb = slot_of(neig(i + 4));
            const int s = iside[k];
            jset(celem.NICK(s, sa), -1);
            jset(celem.NICK(s % 4 + 1, sb), -1);
            if (lo > 0) {
                int nick = 0;
                if (clust1(na, nb, nm, lo, nick, uold, unew, icolu) != MESH_DONE)
                    return UNREF_NO_SPACE;
                nn(i + 4) = nick;
                jset(celem.NICK(s + 4, sa), -lo);
                jset(celem.NICK(s + 4, sb), -lo);
            } else {
                delete_node(nm);
            }
        } else if (neig(i) != 0) {
            // One neighbour of nel's size: the halves were constrained by it.
            nn(i + 4) = lo != 0 ? celem.NICK(iside[k] + 4, slot_of(neig(i))) : 0;
        } else if (lo > 0) {
            int nick = 0;
            if (clust1(na, nb, nm, lo, nick, uold, unew, icolu) != MESH_DONE) return UNREF_NO_SPACE;
            nn(i + 4) = nick;
        } else {
            delete_node(nm);
        }
    }
    for (int m = 1; m <= 9; ++m) jset(celem.NICK(m, sl1), nn(m));
    return UNREF_DONE;
}

// The steps of unrefixy without its undo: checks, the inner edge, equal
// orders on the halved sides, and unbrea.
int merge_sons(int nel, int& nexel, double* uold, double* unew, int icolu) {
    const int s1 = first_son(nel);
    if (s1 == 0) {
        nexel = nel;
        return UNREF_NOT_HANDLED;
    }
    const int s2 = s1 + 1;
    const int nfam = family_of(s1);
    if (ctree.TREE(2, nfam) != 0 || ctree.TREE(3, nfam) != 0) {
        nexel = ctree.TREE(2, nfam) != 0 ? s1 : s2;
        return UNREF_SON_REFINED;
    }
    const int ixy = ctree.TREE(4, nfam);
    int halved[2];
    halved_sides(ixy, halved);
    // A halved side of a son that faces two smaller elements would leave four
    // elements along one side of nel.
    for (int son : {s1, s2}) {
        Arr1<int, 8> n;
        neigbr(son, n);
        for (int i : halved)
            if (n(i + 4) != 0) {
                nexel = father_of(n(i));
                return UNREF_NEIGHBOUR_REFINED;
            }
    }

    const int sl1 = slot_of(s1);
    const int sl2 = cdata.NRELIN + nfam;
    const int lo1 = std::max(0, order_of(celem.NICK(9, sl1)));
    const int lo2 = std::max(0, order_of(celem.NICK(9, sl2)));
    const int inner = ixy == 1 ? 7 : 6;
    if (lo1 != lo2) {
        write_terminal(fmt::list({"UNREFIXY: IER=-3 CASE..."}));
        nexel = nel;
        return UNREF_ORDERS_DIFFER;
    }
    // Interiors of the sons cannot be merged into the father's.
    if (lo1 > 0) {
        nexel = nel;
        return UNREF_NOT_HANDLED;
    }
    int ier = UNREF_DONE;
    if (const int nick = celem.NICK(inner, sl1); nick > 0) {
        delete_node(node_of(nick));
        jset(celem.NICK(inner, sl1), 0);
        ier = UNREF_ORDERS_CHANGED;
    }

    // Halves of one side with different orders: the lower one is raised.
    for (int i : halved) {
        const int o1 = order_of(celem.NICK(i + 4, sl1));
        const int o2 = order_of(celem.NICK(i + 4, sl2));
        if (o1 == o2) continue;
        if (o1 < 0 || o2 < 0) {
            nexel = nel;
            return UNREF_NOT_HANDLED;
        }
        ier = UNREF_ORDERS_CHANGED;
        const bool low1 = o1 < o2;
        if (const int rc = raise_half_edge(low1 ? s1 : s2, low1 ? sl1 : sl2, i, std::max(o1, o2),
                                           uold, unew, icolu);
            rc != MESH_DONE)
            return UNREF_NO_SPACE;
    }

    Arr1<int, 8> n1;
    neigbr(s1, n1);
    int iside[2] = {0, 0};
    for (int k = 0; k < 2; ++k)
        if (n1(halved[k]) != 0) findsn(s1, n1, halved[k], iside[k]);
    const int rc = unbrea(nel, nfam, sl1, sl2, iside, uold, unew, icolu);
    return rc != UNREF_DONE ? rc : ier;
}

// Shows the nicknames of the elements asked for, until a number below 1.
void nickname_check() {
    for (;;) {
        dbg_line("CHECK ANY NICKNAMES YOU WISH, NELP=?");
        int nelp = 0;
        readi("NELP", nelp);
        if (nelp < 1) return;
        const bool exists = nelp <= cdata.NRELIN || (nelp <= cdata.NRELIN + 2 * MAXFAM &&
                                                     ctree.TREE(1, family_of(nelp)) != 0);
        if (exists) dbg_ints("UNREFIXY", "NICK", &celem.NICK(1, slot_of(nelp)), 9);
    }
}

// The regularity rules of a four-son cluster: no grandson meets two
// neighbours on one side, and the two grandsons along each outer side meet
// neighbours of one level across it.
bool cluster_regular(const Arr1<int, 4>& g, bool debug) {
    Arr1<int, 8> n[4];
    for (int q = 0; q < 4; ++q) neigbr(g(q + 1), n[q]);
    if (debug) {
        static constexpr const char* NAMES[4] = {"NEIG11", "NEIG12", "NEIG21", "NEIG22"};
        for (int q = 0; q < 4; ++q) dbg_ints("UNREFI", NAMES[q], n[q].data(), 8);
    }
    for (int q = 0; q < 4; ++q)
        for (int e = 5; e <= 8; ++e)
            if (n[q](e) != 0) return false;
    // Lower-left, lower-right, upper-left, upper-right.
    auto same = [](int a, int b, int (*level)(int)) { return b != 0 && level(a) == level(b); };
    if (n[0](1) != 0 && !same(n[0](1), n[1](1), levy_of)) return false;
    if (n[1](2) != 0 && !same(n[1](2), n[3](2), levx_of)) return false;
    if (n[2](3) != 0 && !same(n[2](3), n[3](3), levy_of)) return false;
    if (n[2](4) != 0 && !same(n[2](4), n[0](4), levx_of)) return false;
    return true;
}

}  // namespace

void user7(int /*nm*/, int na, int nb, int ndof, double* x, const double* u) {
    double a[MAX_SIDE_DOF] = {}, b[MAX_SIDE_DOF] = {};
    int da = cnode.NODPTR(na), db = cnode.NODPTR(nb);
    for (int j = 0; j < ndof; ++j, da = cnu.NU(da), db = cnu.NU(db)) {
        a[j] = u[da - 1];
        b[j] = u[db - 1];
    }
    for (int j = ndof; j >= 1; --j) {
        double ra = a[j - 1], rb = b[j - 1];
        for (int k = j + 1; k <= ndof; ++k) {
            ra -= crrr.RRR(k + 1, j + 1, 1) * x[k - 1];
            rb -= crrr.RRR(k + 1, j + 1, 2) * x[k - 1];
        }
        x[j - 1] = 0.5 * (ra / crrr.RRR(j + 1, j + 1, 1) + rb / crrr.RRR(j + 1, j + 1, 2));
    }
}

void unrefixy(int nel, int& ier, int& nexel, double* uold, double* unew, int icolu) {
    const bool debug = unrefixy_debug.on(nel);
    MeshTransaction t;
    ier = merge_sons(nel, nexel, uold, unew, icolu);
    if (ier >= 0 && !representable_around(nel)) {
        nexel = nel;
        ier = UNREF_NEIGHBOUR_REFINED;
    }
    if (ier < 0) t.rollback();
    if (debug) nickname_check();
}

void unrefi(int nel, int& ier, int& nexel, double* uold, double* unew, int icolu) {
    write_terminal(fmt::list({"UNREFI: NEL = ", nel}));
    const bool debug = unrefi_debug.on(nel);
    if (debug) dbg_int("UNREFI", "NEL", nel);
    ier = UNREF_NEIGHBOUR_REFINED;
    const int e1 = first_son(nel);
    if (e1 == 0 || ctree.TREE(4, family_of(e1)) != 1) return;
    const int e2 = e1 + 1;
    const int g1 = first_son(e1), g2 = first_son(e2);
    if (debug) {
        dbg_int("UNREFI", "NFSON1", e1);
        dbg_int("UNREFI", "NFSON2", e2);
        dbg_int("UNREFI", "NFSON11", g1);
        dbg_int("UNREFI", "NFSON21", g2);
    }
    // The sons must both be split in direction 2, into four active grandsons.
    if (g1 == 0 || g2 == 0) return;
    if (ctree.TREE(4, family_of(g1)) != 2 || ctree.TREE(4, family_of(g2)) != 2) return;
    Arr1<int, 4> g;
    g(1) = g1;
    g(2) = g1 + 1;
    g(3) = g2;
    g(4) = g2 + 1;
    for (int q = 1; q <= 4; ++q)
        if (first_son(g(q)) != 0) {
            ier = UNREF_SON_REFINED;
            nexel = g(q);
            return;
        }
    if (debug) {
        static constexpr const char* LEVELS[4] = {"LEVY1", "LEVY2", "LEVX1", "LEVX2"};
        const int lv[4] = {levy_of(g(1)), levy_of(g(3)), levx_of(g(1)), levx_of(g(2))};
        for (int q = 0; q < 4; ++q) dbg_int("UNREFI", LEVELS[q], lv[q]);
    }
    if (!cluster_regular(g, debug)) return;

    // The lower half, the upper half, then the two halves; all or nothing.
    // The status is that of the last merge: orders an earlier merge had to
    // change are not reported.
    MeshTransaction t;
    for (int e : {e1, e2, nel}) {
        ier = merge_sons(e, nexel, uold, unew, icolu);
        if (ier < 0) {
            t.rollback();
            if (debug) dbg_int("UNREFI", "IER", ier);
            return;
        }
    }
    if (!representable_around(nel)) {
        t.rollback();
        nexel = nel;
        ier = UNREF_NEIGHBOUR_REFINED;
    }
    if (debug) {
        dbg_int("UNREFI", "IER", ier);
        dbg_int("UNREFI", "NEXEL", nexel);
    }
}

void checkun(int nfam, int& iflag, int& nfather, Arr1<int, 4>& nsons) {
    nsons.fill(0);
    iflag = 0;
    nfather = ctree.TREE(1, nfam);
    if (nfather == 0) {
        iflag = -1;
        return;
    }
    const int s1 = first_son(nfather), s2 = s1 + 1;
    const int g1 = first_son(s1), g2 = first_son(s2);
    Arr1<int, 8> n1, n2;
    if (ctree.TREE(4, nfam) == 1 && (g1 != 0 || g2 != 0)) {
        if (g1 == 0 || g2 == 0) return;
        if (ctree.TREE(4, family_of(g1)) != 2 || ctree.TREE(4, family_of(g2)) != 2) return;
        Arr1<int, 4> g;
        g(1) = g1;
        g(2) = g1 + 1;
        g(3) = g2;
        g(4) = g2 + 1;
        for (int q = 1; q <= 4; ++q)
            if (first_son(g(q)) != 0) return;
        if (!cluster_regular(g, false)) return;
        iflag = 1;
        nsons = g;
        return;
    }
    if (g1 != 0 || g2 != 0) return;
    neigbr(s1, n1);
    neigbr(s2, n2);
    auto same = [](int a, int b, int (*level)(int)) { return b != 0 && level(a) == level(b); };
    // A neighbour across a kept side, when present, no coarser than the son
    // along that side.
    auto not_coarser = [](int nb, int son, int (*level)(int)) {
        return nb == 0 || level(nb) >= level(son);
    };
    if (ctree.TREE(4, nfam) == 1) {
        for (int e : {6, 8})
            if (n1(e) != 0 || n2(e) != 0) return;
        if (n1(4) != 0 && !same(n1(4), n2(4), levx_of)) return;
        if (n1(2) != 0 && !same(n1(2), n2(2), levx_of)) return;
        if (!not_coarser(n1(1), s1, levx_of) || !not_coarser(n2(3), s2, levx_of)) return;
        iflag = 2;
    } else {
        // A half of a four-son split is merged with the whole split.
        if (nfather > cdata.NRELIN) {
            int pf = 0, ps = 0;
            faminf(nfather, pf, ps);
            const int bs = first_son(ps == 1 ? nfather + 1 : nfather - 1);
            if (ctree.TREE(4, pf) == 1 && bs != 0 && ctree.TREE(4, family_of(bs)) == 2) return;
        }
        for (int e : {5, 7})
            if (n1(e) != 0 || n2(e) != 0) return;
        if (n1(3) != 0 && !same(n1(3), n2(3), levy_of)) return;
        if (n1(1) != 0 && !same(n1(1), n2(1), levy_of)) return;
        if (nfather > cdata.NRELIN &&
            (!not_coarser(n1(4), s1, levy_of) || !not_coarser(n2(2), s2, levy_of)))
            return;
        iflag = 3;
    }
    nsons(1) = s1;
    nsons(2) = s2;
}

}  // namespace kavren
