// The SOLVE entry: describes the active elements of the mesh to the frontal
// solver, runs it, and serves its call-backs from the mesh database.
#include "frontal/solve1.hpp"

#include <algorithm>
#include <cassert>
#include <cstddef>

#include "control/debug.hpp"
#include "control/messages.hpp"
#include "fem/constrained.hpp"
#include "fem/element.hpp"
#include "frontal/frontal.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/tree.hpp"
#include "records/control.hpp"
#include "records/debug.hpp"
#include "records/frontal.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/preso.hpp"
#include "records/solver.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

// UNEW as it was before the solve, rows of every dof and the components in
// use, put back when the solve is refused after the solver began writing.
Arr2<double, MAXDOF, MXEQNS_MAX> unew_before;

void keep_unew(int neq) {
    for (int k = 1; k <= neq; ++k) std::copy_n(&cunew.UNEW(1, k), MAXDOF, &unew_before(1, k));
}

void restore_unew(int neq) {
    for (int k = 1; k <= neq; ++k) std::copy_n(&unew_before(1, k), MAXDOF, &cunew.UNEW(1, k));
}

void print_int(std::string_view routine, std::string_view label, int value) {
    dbgprint(1, routine, label, &value, nullptr, 1, 1, 1, 1, 1, 0);
}

// Node and dofs per component of local node j of the element at position iel.
int node_of(int j, int iel) {
    return ciaele.IAELE(j, iel) / 100;
}
int dofs_of(int j, int iel) {
    return ciaele.IAELE(j, iel) % 100;
}

}  // namespace

//// solve1 ////

int solve1() {
    if (check_usable_mesh() != 0) {
        cflags.ISOLVD = 0;
        csolst.IFAILD = 1;
        return 1;
    }
    const int neq = ceqsys.NREQNS;
    const int numelm = cdata.NRELEM;
    assert(neq >= 1 && neq <= MXEQNS_MAX);
    assert(csymet.ISYMET == 1 || csymet.ISYMET == 2);
    const Cflags flags_before = cflags;
    keep_unew(neq);
    // A refusal: its message, then UNEW and the flags as before the solve
    // with the solution marked missing.
    auto refuse = [&](std::string_view message) {
        ffldou(0, MSG_ERROR, message);
        restore_unew(neq);
        cflags = flags_before;
        cflags.ISOLVD = 0;
        csolst.IFAILD = 1;
        return 1;
    };

    // Nothing reads or writes data/front; it is rewound as a solve begins.
    units::rewind(LUFRONT);

    Surfc1& c = surfc1;
    c.ISYM() = csymet.ISYMET;
    c.NUMELM() = numelm;
    c.IRESOL() = 0;
    c.NRHS() = 1;
    c.MA() = MA_PREFRONT;
    c.IWRT() = 0;
    c.IASSEM() = 1;
    c.IERR() = 0;
    c.IPFSTM() = 0;
    c.IPFSPV() = 0;
    c.IPFSDV() = 0;
    c.NFSOUT() = cinout.LUERR;

    // Element table: the solver nicknames of every active element in tree
    // order, and the largest number of unknowns of one node.
    int nel = 0, most = 0;
    Arr1<int, 9> nick;
    for (int i = 1; i <= numelm; ++i) {
        nel = nelcon(nel);
        ciaele.NELPOS(i) = nel;
        infnick(nel, nick);
        for (int j = 1; j <= 9; ++j) {
            const int code = nick(j) == -1 ? 0 : nick(j);
            ciaele.IAELE(j, i) = code;
            most = std::max(most, (code % 100) * neq);
        }
    }
    // Node number and unknown count are packed apart whatever the count.
    c.NICMUL() = prefront_multiplier(most);

    // Prefront list: node*NICMUL + unknowns of the node for every position
    // with a non-zero nickname (an edge of order 1 counts, with no unknowns).
    int k = 0;
    for (int i = 1; i <= numelm; ++i) {
        ciwork.NNODE(i) = 0;
        for (int j = 1; j <= 9; ++j) {
            const int code = ciaele.IAELE(j, i);
            if (code == 0) continue;
            ciwork.NNODE(i) += 1;
            ciwork.IA(++k) = (code / 100) * c.NICMUL() + (code % 100) * neq;
        }
    }

    frontal_callbacks = {preout, solin1, solin2, solout};
    int msym = 0, muns = 0, mrhs = 0;
    surfsp(ciwork.NNODE.data(), ciwork.IA.data(), msym, muns, mrhs);
    if (c.IERR() != 0)
        return refuse(" ERROR DETECTED IN SURFSP:  SEE project.ERR FILE FOR MESSAGE");
    c.MA() = MA_SOLVE;
    surfss(cwrksp.WORK.data());
    if (c.IERR() != 0)
        return refuse(" ERROR DETECTED IN SURFSS:  SEE project.ERR FILE FOR MESSAGE");

    cflags.ISOLVD = 1;
    cflags.IESTIM = 0;
    cflags.ISOLVR = 1;
    csolst.IFAILD = 0;
    return 0;
}

//// call-backs ////

void preout(int iel, int n, const int* /*entries*/, const int* list) {
    // An element has at most 9 node entries.
    assert(n >= 0 && n <= MAX_DEST_ROWS);
    cdesve.NDES(iel) = n;
    for (int k = 1; k <= n; ++k) cdesve.IDES(k, iel) = list[k - 1];
}

void solin1(int iel, int& n, double* andest) {
    n = cdesve.NDES(iel);
    // The prefront keeps every code below 2^24, so single precision holds it exactly.
    for (int k = 1; k <= n; ++k) andest[k - 1] = static_cast<float>(cdesve.IDES(k, iel));
}

void solin2(int iel, int iask, int ndofm, int /*nrhs*/, double* /*ddest*/, double* elk,
            double* elr) {
    const int nel = ciaele.NELPOS(iel);
    const int neq = ceqsys.NREQNS;
    int ndofe = 0;
    for (int i = 1; i <= 9; ++i) {
        cpreso.NDOFL(i) = dofs_of(i, iel);
        ndofe += cpreso.NDOFL(i);
    }
    cpreso.NEL = nel;
    const int ndoft = ndofe * neq;
    if (ndoft > MAX_ELVAR || ndofe > MAX_ELFUN) {
        write_terminal("TOO LITTLE SPACE _ SOLIN2. STOP");
        surfc1.IERR() = FS_ELEMENT;
        return;
    }
    const bool sym = csymet.ISYMET == 1;
    // Every entry of elr, and of elk when asked for, is written below.

    Cxkyk& e = cxkyk;
    if (melmcon(nel, MAX_ELVAR, e.XK.data(), e.YK.data(), MAX_ELFUN, e.W.data(), e.V.data()) !=
        ELEM_DONE) {
        surfc1.IERR() = FS_ELEMENT;
        return;
    }
    // melmcon reads the same constraint logic as the element table.
    assert(cpreso.NDOFE == ndofe && ndoft == ndofm);
    (void)ndofm;

    if (debug_selects(cdbg.IDBGSW(1), nel)) {
        for (int r = 1; r <= neq; ++r)
            for (int s = 1; s <= neq; ++s) {
                print_int("SOLIN2", "NEL", nel);
                print_int("SOLIN2", "IVAR1", r);
                print_int("SOLIN2", "IVAR2", s);
                dbgprint(2, "SOLIN2", "XK", nullptr, e.XK.data(), MAX_ELVAR, (r - 1) * ndofe + 1,
                         r * ndofe, (s - 1) * ndofe + 1, s * ndofe, 0);
                dbgprint(2, "SOLIN2", "RH", nullptr, e.YK.data(), ndoft, (r - 1) * ndofe + 1,
                         r * ndofe, 1, 1, 1);
            }
    }

    // Component blocks to solver order: unknown (c-1) NREQNS + r.
    for (int r = 1; r <= neq; ++r)
        for (int c = 1; c <= ndofe; ++c) elr[(c - 1) * neq + r - 1] = e.YK((r - 1) * ndofe + c);
    if (iask == 2) {
        for (int s = 1; s <= neq; ++s)
            for (int cc = 1; cc <= ndofe; ++cc) {
                const int j = (cc - 1) * neq + s;
                const double* col = &e.XK(1, (s - 1) * ndofe + cc);
                for (int r = 1; r <= neq; ++r)
                    for (int c = 1; c <= ndofe; ++c) {
                        const int l = (c - 1) * neq + r;
                        const double v = col[(r - 1) * ndofe + c - 1];
                        if (!sym)
                            elk[static_cast<std::ptrdiff_t>(l - 1) * ndoft + j - 1] = v;
                        else if (j <= l)
                            elk[static_cast<std::ptrdiff_t>(l) * (l - 1) / 2 + j - 1] = v;
                    }
            }
    }

    if (debug_selects(cdbg.IDBGSW(2), nel)) {
        print_int("SOLIN2", "NEL", nel);
        const int len = sym ? ndoft * (ndoft + 1) / 2 : ndoft * ndoft;
        if (iask == 2) dbgprint(2, "SOLIN2", "ALHS", nullptr, elk, len, 1, len, 1, 1, 0);
        dbgprint(2, "SOLIN2", "ARHS", nullptr, elr, ndoft, 1, ndoft, 1, 1, 1);
    }
}

void solout(int iel, int ndofm, int /*nrhs*/, const double* /*ddest*/, const double* elsol) {
    if (debug_selects(cdbg.IDBGSW(12), iel)) {
        print_int("SOLOUT", "IEL", iel);
        dbgprint(2, "SOLOUT", "ELE", nullptr, elsol, ndofm, 1, ndofm, 1, 1, 1);
    }
    const int neq = ceqsys.NREQNS;
    for (int k = 1; k <= neq; ++k) {
        int m = 0;
        for (int i = 1; i <= 9; ++i) {
            const int nd = dofs_of(i, iel);
            if (nd <= 0) continue;
            int d = cnode.NODPTR(node_of(i, iel));
            for (int q = 0; q < nd; ++q) {
                ++m;
                cunew.UNEW(d, k) = elsol[(m - 1) * neq + k - 1];
                d = cnu.NU(d);
            }
        }
    }
}

}  // namespace kavren
