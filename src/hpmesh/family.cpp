// Family and position steps shared by the four-son and the two-son split.
#include "hpmesh/family.hpp"

#include "hpmesh/journal.hpp"
#include "hpmesh/mesh_debug.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/tree.hpp"
#include "records/limits.hpp"
#include "records/mesh.hpp"

namespace kavren {

int check_new_families(int nel, int nfam, int addx, int addy) {
    int levx = 0, levy = 0, org = 0;
    findlvxy(nel, levx, levy, org);
    if (levx + addx > NEIGBR_DEPTH || levy + addy > NEIGBR_DEPTH) return MESH_TOO_DEEP;
    if (cdata.NRFAM + nfam > MAXFAM) return MESH_NO_FAMILY;
    int f = cpoint.NPFAM;
    for (int i = 1; i <= nfam; ++i) {
        if (f == 0) return MESH_NO_FAMILY;
        if (cdata.NRELIN + f > MAXSLOT) return MESH_NO_SLOT;
        f = ctree.TREE(2, f);
    }
    return f == 0 ? MESH_NO_FAMILY : MESH_DONE;
}

int take_family(int father, int ixy) {
    jset(cdata.NRFAM, cdata.NRFAM + 1);
    jset(cdata.NRELEM, cdata.NRELEM + 1);
    const int f = cpoint.NPFAM;
    jset(cpoint.NPFAM, ctree.TREE(2, f));
    for (int r = 1; r <= 5; ++r) jset(ctree.TREE(r, f), 0);
    jset(ctree.TREE(1, f), father);
    jset(ctree.TREE(4, f), ixy);
    const int son1 = cdata.NRELIN + 2 * f - 1;
    if (father <= cdata.NRELIN) {
        jset(ctree.NFSON(father), son1);
    } else {
        int ff = 0, fs = 0;
        faminf(father, ff, fs);
        jset(ctree.TREE(fs + 1, ff), son1);
    }
    return f;
}

void father_positions(const Arr1<int, 9>& lnodes, Arr2<double, 2, 9>& p) {
    for (int c = 1; c <= 2; ++c) {
        double mean = 0.0;
        for (int k = 1; k <= 4; ++k) {
            p(c, k) = cnode.XNOD(c, lnodes(k));
            mean += 0.25 * p(c, k);
        }
        for (int k = 5; k <= 8; ++k)
            p(c, k) = lnodes(k) > 0 ? cnode.XNOD(c, lnodes(k))
                                    : 0.5 * (p(c, k - 4) + p(c, (k - 4) % 4 + 1));
        p(c, 9) = lnodes(9) > 0 ? cnode.XNOD(c, lnodes(9)) : mean;
    }
}

// A is the end where the side's coordinate is -1: vertex i for sides 1 and 2,
// vertex i mod 4 + 1 for sides 3 and 4; the half at A belongs to the son
// holding A.
int split_father_side(int i, const Arr1<int, 8>& neig, const Arr1<int, 8>& nside,
                      const Arr1<int, 9>& lnodes, const Arr1<int, 9>& lorder, int k1, int k2,
                      double* uold, double* unew, int icolu, bool debug) {
    const int i1 = i % 4 + 1;
    const int a = i <= 2 ? lnodes(i) : lnodes(i1);
    const int b = i <= 2 ? lnodes(i1) : lnodes(i);
    const int p = lorder(i + 4);
    if (debug) {
        dbg_line("SIDE=");
        dbg_int("BREAK", "I", i);
        dbg_int("BREAK", "I1", i1);
        dbg_int("BREAK", "K1", k1);
        dbg_int("BREAK", "K2", k2);
    }
    if (neig(i) != 0 && neig(i + 4) == 0) {
        // The neighbour of the same size keeps the side whole.
        if (debug) dbg_line("COSTRAINED NODE INTRODUCED...");
        jset(celem.NICK(i1, k1), -1);
        jset(celem.NICK(i, k2), -1);
        jset(celem.NICK(i + 4, k1), p > 1 ? -p : 0);
        jset(celem.NICK(i + 4, k2), p > 1 ? -p : 0);
        return MESH_DONE;
    }
    if (debug) dbg_line(neig(i) == 0 ? "NODES ON BOUNDARY GENERATED..." : "TWO NEIGHBORS CASE...");
    int mid = 0, half1 = 0, half2 = 0;
    if (p < 2) {
        if (debug) dbg_line("LINEAR NODE GENERATED...");
        if (const int rc = genod1(a, b, 1, mid, uold, unew, icolu); rc != MESH_DONE) return rc;
    } else {
        if (debug) dbg_line("HIGHER ORDER NODE SPLIT...");
        int h_a = 0, h_b = 0;
        if (const int rc = split1(lnodes(i + 4), a, b, mid, h_a, h_b, uold, unew, icolu);
            rc != MESH_DONE)
            return rc;
        // The half at end a belongs to the son holding a.
        half1 = i <= 2 ? h_a : h_b;
        half2 = i <= 2 ? h_b : h_a;
        if (debug) {
            dbg_line("OUTPUT FROM SPLIT1...");
            dbg_int("BREAK", "NODOF", mid);
            dbg_int("BREAK", "NODOF1", h_a);
        }
    }
    jset(celem.NICK(i1, k1), mid);
    jset(celem.NICK(i, k2), mid);
    jset(celem.NICK(i + 4, k1), half1);
    jset(celem.NICK(i + 4, k2), half2);
    if (neig(i + 4) != 0) {
        // The two smaller neighbours name the new vertex and half-edges in
        // place of their constrained entries.
        const int s = nside(i);
        const int sl1 = slot_of(neig(i)), sl2 = slot_of(neig(i + 4));
        jset(celem.NICK(s, sl1), mid);
        jset(celem.NICK(s % 4 + 1, sl2), mid);
        if (p >= 2) {
            jset(celem.NICK(nside(i) + 4, sl1), half1);
            jset(celem.NICK(nside(i + 4) + 4, sl2), half2);
        }
    }
    return MESH_DONE;
}

}  // namespace kavren
