// Family and position steps shared by the four-son and the two-son split.
#include "hpmesh/family.hpp"

#include "hpmesh/journal.hpp"
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

}  // namespace kavren
