// Minimal definitions of the hp database routines the mesh generator calls,
// so that the generator links and its tests run before the database lands.
#include "meshgen/db_pending.hpp"

#include "control/messages.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"

namespace kavren {

// STUB: the hp database defines this; removed at merge
void setcon(int& icolu) {
    icolu = ICOLU_ROWS;
    if (ceqsys.MXEQNS != MXEQNS_MAX) ceqsys.MXEQNS = MXEQNS_MAX;
    cdata.NRELEM = cdata.NRELIN;
    cdata.NRDOF = cdata.NRNODS;
    cdata.NRFAM = 0;
    cpoint.NPNOD = cdata.NRNODS + 1;
    cpoint.NPDOF = cdata.NRDOF + 1;
    cpoint.NPFAM = 1;
}

// STUB: the hp database defines this; removed at merge
void setvec() {
    for (int n = 1; n < cpoint.NPNOD && n <= MAXNOD; ++n) cnode.NODPTR(n) = n;
    for (int n = cpoint.NPNOD; n < MAXNOD; ++n) cnode.NODPTR(n) = n + 1;
    cnode.NODPTR(MAXNOD) = 0;
    for (int d = 1; d < cpoint.NPDOF && d <= MAXDOF; ++d) cnu.NU(d) = 0;
    for (int d = cpoint.NPDOF; d < MAXDOF; ++d) cnu.NU(d) = d + 1;
    cnu.NU(MAXDOF) = 0;
    for (int f = 1; f < MAXFAM; ++f) ctree.TREE(2, f) = f + 1;
    ctree.TREE(2, MAXFAM) = 0;
    for (int e = 1; e <= MAXIEL; ++e) ctree.NFSON(e) = 0;
}

namespace {

// Family and son index (1 or 2) of a son element.
void family_of(int nel, int& nfam, int& nson) {
    nfam = (nel - cdata.NRELIN - 1) / 2 + 1;
    nson = nel - cdata.NRELIN - 2 * (nfam - 1);
}

// The first-born son of nel, 0 when it is active.
int first_son(int nel) {
    if (nel <= cdata.NRELIN) return ctree.NFSON(nel);
    int f = 0, s = 0;
    family_of(nel, f, s);
    return ctree.TREE(s + 1, f);
}

}  // namespace

// STUB: the hp database defines this; removed at merge
int nelcon(int nel) {
    while (nel > cdata.NRELIN) {
        int f = 0, s = 0;
        family_of(nel, f, s);
        if (s != 2) break;
        nel = ctree.TREE(1, f);
    }
    if (nel == cdata.NRELIN) {
        errcomc.ERRMSG = "ERROR IN NELCON";
        errout(1, "NELCON");
        sstop(0, "NELCON");
    }
    int cand = nel + 1;
    for (int son = first_son(cand); son != 0; son = first_son(cand)) cand = son;
    return cand;
}

// STUB: the hp database defines this; removed at merge
void findno(int nel, int& nslot) {
    while (nel > cdata.NRELIN) {
        int f = 0, s = 0;
        family_of(nel, f, s);
        if (s != 1) {
            nslot = cdata.NRELIN + f;
            return;
        }
        nel = ctree.TREE(1, f);
    }
    nslot = nel;
}

}  // namespace kavren
