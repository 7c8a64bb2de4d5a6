// Tree services of the hp mesh database.
#include "hpmesh/tree.hpp"

#include <algorithm>
#include <cassert>
#include <string>

#include "control/messages.hpp"
#include "control/utility.hpp"
#include "hpmesh/mesh_debug.hpp"
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

int ancestor_of(int nel) {
    while (nel > cdata.NRELIN) nel = father_of(nel);
    return nel;
}

// Side of a neighbour with the same local axes that faces side k.
int opposite(int k) {
    return (k + 1) % 4 + 1;
}

}  // namespace

[[noreturn]] void mesh_fatal(std::string_view routine, std::string_view message) {
    errcomc.ERRMSG = message;
    errout(1, routine);
    sstop(0, routine);
}

//// tree order, slots, families ////

// Climbs while nel is a son 2, steps to the next brother or initial element,
// and descends through first-born sons.
int nelcon(int nel) {
    const int nrelin = cdata.NRELIN;
    int nfam = 0, nson = 0;
    while (nel > nrelin) {
        faminf(nel, nfam, nson);
        if (nson != 2) break;
        nel = ctree.TREE(1, nfam);
    }
    if (nel == nrelin) mesh_fatal("NELCON", "ERROR IN NELCON");
    int cand = nel + 1;
    if (cand <= nrelin) {
        if (ctree.NFSON(cand) != 0)
            cand = ctree.NFSON(cand);
        else
            return cand;
    }
    for (;;) {
        faminf(cand, nfam, nson);
        int fs = ctree.TREE(nson + 1, nfam);
        if (fs == 0) return cand;
        cand = fs;
    }
}

// A son 1 shares its father's slot; a son 2 of family f has slot NRELIN+f.
void findno(int nel, int& nslot) {
    const int nrelin = cdata.NRELIN;
    int nfam = 0, nson = 0;
    while (nel > nrelin) {
        faminf(nel, nfam, nson);
        if (nson != 1) break;
        nel = ctree.TREE(1, nfam);
    }
    nslot = nel <= nrelin ? nel : nrelin + nfam;
}

void faminf(int nel, int& nfam, int& nson) {
    const int nrelin = cdata.NRELIN;
    nfam = (nel - nrelin - 1) / 2 + 1;
    nson = nel - nrelin - 2 * (nfam - 1);
}

void findfs(int nel, int& nfson) {
    if (nel <= cdata.NRELIN) {
        nfson = ctree.NFSON(nel);
        return;
    }
    int nfam = 0, nson = 0;
    faminf(nel, nfam, nson);
    nfson = ctree.TREE(nson + 1, nfam);
}

int slot_of(int nel) {
    int slot = 0;
    findno(nel, slot);
    return slot;
}

int family_of(int nel) {
    int f = 0, s = 0;
    faminf(nel, f, s);
    return f;
}

int father_of(int nel) {
    return ctree.TREE(1, family_of(nel));
}

int first_son(int nel) {
    int fs = 0;
    findfs(nel, fs);
    return fs;
}

int node_of(int nick) {
    int node = 0, order = 0;
    decode(nick, node, order);
    return node;
}

int order_of(int nick) {
    int node = 0, order = 0;
    decode(nick, node, order);
    return order;
}

void findlv(int nel, int& lev, int& nelorg) {
    lev = 0;
    while (nel > cdata.NRELIN) {
        nel = father_of(nel);
        ++lev;
    }
    nelorg = nel;
}

void findlvxy(int nel, int& levx, int& levy, int& nelorg) {
    levx = 0;
    levy = 0;
    int nfam = 0, nson = 0;
    while (nel > cdata.NRELIN) {
        faminf(nel, nfam, nson);
        if (ctree.TREE(4, nfam) == 1)
            ++levy;
        else
            ++levx;
        nel = ctree.TREE(1, nfam);
    }
    nelorg = nel;
}

//// neighbours ////

namespace {

DebugSwitch neigbr_debug("NEIGBR");

[[noreturn]] void neigbr_inconsistent(int nel) {
    write_terminal("WE SHOULD NOT BE HERE - STOP");
    mesh_fatal("NEIGBR", "INCONSISTENT TREE AROUND ELEMENT " + std::to_string(nel));
}

}  // namespace

// Climbs from nel recording its son index at every level of each direction
// until a neighbour is known across every side, then descends each
// neighbour's subtree along the mirror of that path.
void neigbr(int nel, Arr1<int, 8>& neig) {
    const int nrelin = cdata.NRELIN;
    Arr1<int, 4> neige, nside;
    Arr1<int, NEIGBR_DEPTH> nrsonx, nrsony;
    neig.fill(0);
    int ngenx = 1, ngeny = 1;
    int nelp = nel;
    bool all_found = false;
    const bool debug = neigbr_debug.on(nel);

    while (nelp > nrelin) {
        int nrf = 0, nrs = 0;
        faminf(nelp, nrf, nrs);
        int ixy = ctree.TREE(4, nrf);
        if (debug) {
            dbg_int("NEIGBR", "NELP", nelp);
            dbg_int("NEIGBR", "NRF", nrf);
            dbg_int("NEIGBR", "NRS", nrs);
            dbg_int("NEIGBR", "IXY", ixy);
            dbg_int("NEIGBR", "NGENX", ngenx);
            dbg_int("NEIGBR", "NGENY", ngeny);
        }
        if ((ixy == 1 ? ngeny : ngenx) > NEIGBR_DEPTH)
            mesh_fatal("NEIGBR", "ERROR IN NEIGBR! ELEMENT " + std::to_string(nel) +
                                     " LIES TOO DEEP IN ITS TREE");
        if (ixy == 1)
            nrsony(ngeny) = nrs;
        else
            nrsonx(ngenx) = nrs;
        int k = ixy == 1 ? (nrs == 1 ? 3 : 1) : (nrs == 1 ? 2 : 4);
        if (neig(k) == 0) {
            neig(k) = nrelin + 2 * (nrf - 1) + 3 - nrs;
            nside(k) = opposite(k);
            neige(k) = (k == 1 || k == 3) ? ngenx : ngeny;
        }
        if (neig(1) != 0 && neig(2) != 0 && neig(3) != 0 && neig(4) != 0) {
            all_found = true;
            break;
        }
        if (ixy == 1)
            ++ngeny;
        else
            ++ngenx;
        nelp = ctree.TREE(1, nrf);
    }
    if (!all_found) {
        for (int q = 1; q <= 4; ++q) {
            if (neig(q) != 0) continue;
            int v = cneig.NEIG(q, nelp);
            neig(q) = v < 0 ? 0 : v;
            if (v > 0) {
                nside(q) = opposite(q);
                neige(q) = (q == 1 || q == 3) ? ngenx : ngeny;
            }
        }
    }

    if (debug) {
        dbg_ints("NEIGBR", "NRSONX", nrsonx.data(), std::min(ngenx, NEIGBR_DEPTH));
        dbg_ints("NEIGBR", "NRSONY", nrsony.data(), std::min(ngeny, NEIGBR_DEPTH));
        dbg_ints("NEIGBR", "NEIG", neig.data(), 8);
        dbg_ints("NEIGBR", "NSIDE", nside.data(), 4);
        dbg_ints("NEIGBR", "NEIGE", neige.data(), 4);
    }
    for (int q = 1; q <= 8; ++q) {
        if (neig(q) == 0) continue;
        const int i = (q - 1) % 4 + 1;
        for (;;) {
            int nelson = 0;
            findfs(neig(q), nelson);
            if (debug) dbg_int("NEIGBR", "NELSON", nelson);
            if (nelson == 0) break;
            int nfam = 0, nson = 0;
            faminf(nelson, nfam, nson);
            const int d = ctree.TREE(4, nfam);
            const bool parallel = (d == 1) == (i == 1 || i == 3);
            // The son on the facing side: son 2 for side 1 and 4, son 1 for sides 2 and 3.
            const int touching = (i == 1 || i == 4) ? nelson + 1 : nelson;
            if (neige(i) >= 2) {
                if (q > 4) neigbr_inconsistent(nel);
                if (parallel) {
                    neig(q) = touching;
                } else {
                    neige(i) -= 1;
                    int idx = (i == 1 || i == 3) ? nrsonx(neige(i)) : nrsony(neige(i));
                    if (idx != 1 && idx != 2) neigbr_inconsistent(nel);
                    neig(q) = nelson + idx - 1;
                }
            } else if (parallel) {
                neig(q) = touching;
            } else {
                // Both sons touch nel: a third neighbour on one side, or a
                // second one met again, is not a 1-irregular mesh.
                if (q > 4 || neig(i + 4) != 0) neigbr_inconsistent(nel);
                bool first_is_son1 = (i == 1 || i == 2);
                neig(i) = first_is_son1 ? nelson : nelson + 1;
                neig(i + 4) = first_is_son1 ? nelson + 1 : nelson;
            }
        }
    }
    if (debug) dbg_ints("NEIGBR", "NEIG", neig.data(), 8);
}

// Within one initial element the facing side is the opposite one; across
// initial elements the initial-element table names it.
void findsn(int nel, const Arr1<int, 8>& neig, int iside, int& nside) {
    const int i = (iside - 1) % 4 + 1;
    const int org = ancestor_of(nel);
    const int norg = ancestor_of(neig(iside));
    if (org == norg) {
        nside = opposite(i);
        return;
    }
    for (int k = 1; k <= 4; ++k) {
        if (cneig.NEIG(k, norg) == org) {
            nside = k;
            return;
        }
    }
}

//// element sets and boundary numbers ////

void findst(int nel, int& iin) {
    iin = 0;
    const int org = ancestor_of(nel);
    const int iscur = csetf.ISCUR;
    if (iscur < 1 || iscur > MAXSET) return;
    // Each list ends in one empty entry holding 0, which never matches.
    for (int e = csetf.ISFRST(iscur), n = 0; e != 0 && n < SET_POOL; e = csetf.ISNEXT(e), ++n) {
        if (csetf.ISELEM(e) == org) {
            iin = 1;
            return;
        }
    }
}

void findse(int nel, int& iset) {
    const int org = ancestor_of(nel);
    iset = 1;
    const int high = csetf.ISHIGH < SET_POOL ? csetf.ISHIGH : SET_POOL;
    for (int i = 1; i <= high; ++i) {
        if (csetf.ISELEM(i) != org) continue;
        int e = i;
        for (int n = 0; csetf.ISNEXT(e) != 0 && n < SET_POOL; ++n) e = csetf.ISNEXT(e);
        for (int j = 1; j <= csetf.NSET && j <= MAXSET; ++j) {
            if (csetf.ISLAST(j) == e) {
                iset = j;
                return;
            }
        }
    }
}

// Sons inherit the sides of their ancestors, so a side without neighbour lies
// on the same side of the initial ancestor.
void findty(int nel, int iside, int& ibtyp) {
    ibtyp = 0;
    if (nel == 0) return;
    const int org = ancestor_of(nel);
    const int v = cneig.NEIG(iside, org);
    if (v < 0) {
        ibtyp = -v;
        return;
    }
    write_terminal("INCOMPATIBILITY IN FINDTY");
    write_terminal(" A NON REAL BOUNDARY HAS BEEN CHECKED");
    write_terminal(fmt::list({"ELEMENT:", nel}));
    write_terminal(fmt::list({"SIDE: ", iside}));
    mesh_fatal("FINDTY", "SIDE " + std::to_string(iside) + " OF ELEMENT " + std::to_string(nel) +
                             " HAS A NEIGHBOUR");
}

[[noreturn]] void nelbac(int /*nel*/) {
    write_terminal(" NELBAC - ROUTINE NOT TESTED YET - STOP");
    plain_stop(1, "NELBAC");
}

//// node visit mark ////

void walk_nodes_once(const std::function<void(int nel, int slot, int k, int node)>& fn) {
    int nel = 0;
    for (int n = 1; n <= cdata.NRELEM; ++n) {
        nel = nelcon(nel);
        int slot = 0;
        findno(nel, slot);
        for (int k = 1; k <= 9; ++k) {
            int node = 0, order = 0;
            decode(celem.NICK(k, slot), node, order);
            if (node <= 0 || cnode.NODPTR(node) < 0) continue;
            fn(nel, slot, k, node);
            cnode.NODPTR(node) = -cnode.NODPTR(node);
        }
    }
    clear_node_marks();
}

void clear_node_marks() {
    for (int n = 1; n <= MAXNOD; ++n)
        if (cnode.NODPTR(n) < 0) cnode.NODPTR(n) = -cnode.NODPTR(n);
}

//// guard ////

int check_usable_mesh() {
    if (cmshst.INOMSH == 1) {
        ffldou(0, MSG_ERROR, "*** NO USABLE MESH: THE LAST GEOMETRY WAS NOT HANDED OVER ***");
        return 1;
    }
    if (cdata.NRELEM == 0) {
        ffldou(0, MSG_ERROR, "*** NO MESH HAS BEEN DEFINED: USE GEOMETRY FIRST ***");
        return 1;
    }
    return 0;
}

}  // namespace kavren
