// Node and degree-of-freedom primitives.
#include "hpmesh/primitives.hpp"

#include <cassert>
#include <cmath>
#include <cstddef>

#include "control/utility.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/mesh_debug.hpp"
#include "hpmesh/tree.hpp"
#include "records/control.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"

namespace kavren {

//// element helpers ////

bool is_active(int nel) {
    return first_son(nel) == 0;
}

bool is_unconstrained(int nel) {
    const int slot = slot_of(nel);
    for (int k = 1; k <= 9; ++k)
        if (celem.NICK(k, slot) < 0) return false;
    return true;
}

int interior_order(int nel) {
    return order_of(celem.NICK(9, slot_of(nel)));
}

void side_boundary_numbers(int nel, const Arr1<int, 8>& neig, Arr1<int, 4>& kinds) {
    for (int i = 1; i <= 4; ++i) {
        kinds(i) = 0;
        if (neig(i) == 0) findty(nel, i, kinds(i));
    }
}

double* column(double* u, int icolu, int k) {
    return u + static_cast<std::ptrdiff_t>(icolu) * (k - 1);
}

void write_chain(int node, int n, const double* val, double* u) {
    int d = cnode.NODPTR(node);
    for (int i = 0; i < n && d != 0; ++i, d = cnu.NU(d)) jset(u[d - 1], val[i]);
}

void mesh_changed() {
    cflags.ISOLVD = 0;
    cflags.IESTIM = 0;
}

namespace {

// The value at the first dof of node.
double first_value(int node, const double* u) {
    return u[cnode.NODPTR(node) - 1];
}

// Gives node a chain of n dofs cut from the head of the free-dof list.
int take_chain(int node, int n) {
    int d = cpoint.NPDOF;
    if (d == 0) return MESH_NO_DOF;
    jset(cnode.NODPTR(node), d);
    for (int i = 1; i < n; ++i) {
        d = cnu.NU(d);
        if (d == 0) return MESH_NO_DOF;
    }
    jset(cpoint.NPDOF, cnu.NU(d));
    jset(cnu.NU(d), 0);
    return MESH_DONE;
}

// Takes a node from the free-node list (the first steps of genod1 and genod2).
int take_free_node(int& node) {
    jset(cdata.NRNODS, cdata.NRNODS + 1);
    node = cpoint.NPNOD;
    if (node == 0) return MESH_NO_NODE;
    jset(cpoint.NPNOD, cnode.NODPTR(node));
    return MESH_DONE;
}

void place(int node, double x, double y) {
    jset(cnode.XNOD(1, node), x);
    jset(cnode.XNOD(2, node), y);
}

// Places node on the curve of boundary KIND between n1 and n2; false when the
// side is straight.
bool place_on_curve(int n1, int n2, int node) {
    const int kind = cside.KIND;
    if (kind < 1 || kind > MAX_BOUNDARY || cgeomtyp.IBCURV(kind) == 0 || n1 <= 0 || n2 <= 0)
        return false;
    // gcoord writes the coordinates directly: keep their old values first.
    place(node, cnode.XNOD(1, node), cnode.XNOD(2, node));
    gcoord(n1, n2, node);
    return true;
}

// The dofs of a node's chain and their values in all components: the last
// steps of genod1 and genod2, after the node is placed. rule(val, u) gives the
// values of one component column.
template <typename Rule>
int finish_new_node(int node, int ndof, int iord, int& nodof, double* uold, double* unew, int icolu,
                    Rule rule) {
    if (cpoint.NPDOF == 0) return MESH_NO_DOF;
    jset(cdata.NRDOF, cdata.NRDOF + ndof);
    if (const int rc = take_chain(node, ndof); rc != MESH_DONE) return rc;
    double val[MAXLDOF] = {};
    for (int k = 1; k <= MXEQNS_MAX; ++k) {
        rule(val, column(uold, icolu, k));
        write_chain(node, ndof, val, column(uold, icolu, k));
        if (cdec.IDEC == 1) {
            rule(val, column(unew, icolu, k));
            write_chain(node, ndof, val, column(unew, icolu, k));
        }
    }
    nodof = node * 100 + iord;
    return MESH_DONE;
}

int chain_length(int iord, int ntype) {
    return iord == 1 ? 1 : (ntype == 1 ? iord - 1 : (iord - 1) * (iord - 1));
}

}  // namespace

//// primitives ////

int genod1(int n1, int n2, int iord, int& nodof, double* uold, double* unew, int icolu) {
    Arr1<double, 2> p1, p2;
    for (int c = 1; c <= 2; ++c) {
        p1(c) = cnode.XNOD(c, n1);
        p2(c) = cnode.XNOD(c, n2);
    }
    return genod1_between(n1, n2, p1, p2, iord, nodof, uold, unew, icolu);
}

int genod1_between(int n1, int n2, const Arr1<double, 2>& p1, const Arr1<double, 2>& p2, int iord,
                   int& nodof, double* uold, double* unew, int icolu) {
    assert(iord >= 2 || (n1 > 0 && n2 > 0));  // a vertex takes its value from both ends
    MeshTransaction t;
    int node = 0;
    int rc = take_free_node(node);
    if (rc == MESH_DONE) {
        if (!place_on_curve(n1, n2, node))
            place(node, 0.5 * (p1(1) + p2(1)), 0.5 * (p1(2) + p2(2)));
        rc = finish_new_node(node, chain_length(iord, 1), iord, nodof, uold, unew, icolu,
                             [&](double* val, const double* u) { user1(n1, n2, iord, val, u); });
    }
    if (rc != MESH_DONE) t.rollback();
    return rc;
}

int genod2(const Arr1<int, 4>& nv, int iord, int& nodof, double* uold, double* unew, int icolu) {
    MeshTransaction t;
    int node = 0;
    int rc = take_free_node(node);
    if (rc == MESH_DONE) {
        double x = 0.0, y = 0.0;
        for (int k = 1; k <= 4; ++k) {
            x += cnode.XNOD(1, nv(k));
            y += cnode.XNOD(2, nv(k));
        }
        place(node, x / 4.0, y / 4.0);
        rc = finish_new_node(node, chain_length(iord, 2), iord, nodof, uold, unew, icolu,
                             [&](double* val, const double* u) { user2(nv, iord, val, u); });
    }
    if (rc != MESH_DONE) t.rollback();
    return rc;
}

int genod2_at(const Arr2<double, 2, 4>& pos, int iord, int& nodof, double* uold, double* unew,
              int icolu) {
    assert(iord >= 2);
    MeshTransaction t;
    int node = 0;
    int rc = take_free_node(node);
    if (rc == MESH_DONE) {
        place(node, (pos(1, 1) + pos(1, 2) + pos(1, 3) + pos(1, 4)) / 4.0,
              (pos(2, 1) + pos(2, 2) + pos(2, 3) + pos(2, 4)) / 4.0);
        const int n = chain_length(iord, 2);
        rc = finish_new_node(node, n, iord, nodof, uold, unew, icolu,
                             [n](double* val, const double*) {
                                 for (int i = 0; i < n; ++i) val[i] = 0.0;
                             });
    }
    if (rc != MESH_DONE) t.rollback();
    return rc;
}

// The new values are computed from the old chain before the chain changes; a
// shrinking chain gives its tail back to the head of the free-dof list in
// chain order, a growing one takes the head of that list.
int modnod(int node, int iord, int ntype, int& nodof, double* uold, double* unew, int icolu) {
    assert(node > 0 && iord >= 2);
    int nold = 0, last = 0;
    ndofr(node, nold, last);
    const int nnew = chain_length(iord, ntype);
    if (nnew == nold) return MESH_DONE;

    double vold[MXEQNS_MAX][MAXLDOF] = {}, vnew[MXEQNS_MAX][MAXLDOF] = {};
    for (int k = 1; k <= MXEQNS_MAX; ++k) {
        auto rule = ntype == 1 ? user3 : user4;
        rule(node, nold, nnew, vold[k - 1], column(uold, icolu, k));
        if (cdec.IDEC == 1) rule(node, nold, nnew, vnew[k - 1], column(unew, icolu, k));
    }

    MeshTransaction t;
    jset(cdata.NRDOF, cdata.NRDOF + nnew - nold);
    jset(cnu.NU(last), cpoint.NPDOF);
    int d = cnode.NODPTR(node);
    for (int i = 1; i < nnew; ++i) {
        d = cnu.NU(d);
        if (d == 0) {
            t.rollback();
            return MESH_NO_DOF;
        }
    }
    jset(cpoint.NPDOF, cnu.NU(d));
    jset(cnu.NU(d), 0);
    for (int k = 1; k <= MXEQNS_MAX; ++k) {
        write_chain(node, nnew, vold[k - 1], column(uold, icolu, k));
        if (cdec.IDEC == 1) write_chain(node, nnew, vnew[k - 1], column(unew, icolu, k));
    }
    nodof = node * 100 + iord;
    return MESH_DONE;
}

namespace {

DebugSwitch split1_debug("SPLIT1");

// Cuts a piece of n dofs for node from the list that starts at first:
// NODPTR(node) := first, the piece's last NU := 0. next := the dof after it.
bool cut_piece(int node, int first, int n, int& next) {
    if (first == 0) return false;
    jset(cnode.NODPTR(node), first);
    int d = first;
    for (int i = 1; i < n; ++i) {
        d = cnu.NU(d);
        if (d == 0) return false;
    }
    next = cnu.NU(d);
    jset(cnu.NU(d), 0);
    return true;
}

}  // namespace

int split1(int node, int n1, int n2, int& nodof, int& nodof1, int& nodof2, double* uold,
           double* unew, int icolu) {
    assert(node > 0 && n1 > 0 && n2 > 0);
    const bool debug = split1_debug.value() == 1;
    if (debug) dbg_int("SPLIT1", "NODE", node);
    int ndof = 0, last = 0;
    ndofr(node, ndof, last);
    if (debug) {
        dbg_line("AFTER NDOFR:");
        dbg_int("SPLIT1", "NDOF", ndof);
    }

    MeshTransaction t;
    auto refuse = [&t](int rc) {
        t.rollback();
        return rc;
    };
    const int new1 = cpoint.NPNOD;
    if (new1 == 0) return refuse(MESH_NO_NODE);
    const int new2 = cnode.NODPTR(new1);
    if (new2 == 0) return refuse(MESH_NO_NODE);
    jset(cpoint.NPNOD, cnode.NODPTR(new2));
    jset(cdata.NRNODS, cdata.NRNODS + 2);
    jset(cdata.NRDOF, cdata.NRDOF + ndof + 1);

    // Straight sides: the points at -1/2 and +1/2 of the parabola through
    // n1 (-1), node (0) and n2 (+1).
    const bool curved = place_on_curve(n1, node, new1);
    if (curved) {
        place_on_curve(node, n2, new2);
    } else {
        double p[2][3];
        for (int c = 1; c <= 2; ++c) {
            const double a = 0.5 * (cnode.XNOD(c, n1) + cnode.XNOD(c, n2)) - cnode.XNOD(c, node);
            const double b = 0.5 * (cnode.XNOD(c, n2) - cnode.XNOD(c, n1));
            p[0][c] = cnode.XNOD(c, node) + a / 4.0 - b / 2.0;
            p[1][c] = cnode.XNOD(c, node) + a / 4.0 + b / 2.0;
        }
        place(new1, p[0][1], p[0][2]);
        place(new2, p[1][1], p[1][2]);
    }

    double vmid_old[MXEQNS_MAX] = {}, vmid_new[MXEQNS_MAX] = {};
    double v1_old[MXEQNS_MAX][MAX_SIDE_DOF] = {}, v2_old[MXEQNS_MAX][MAX_SIDE_DOF] = {};
    double v1_new[MXEQNS_MAX][MAX_SIDE_DOF] = {}, v2_new[MXEQNS_MAX][MAX_SIDE_DOF] = {};
    for (int k = 1; k <= MXEQNS_MAX; ++k) {
        user5(node, ndof, n1, n2, vmid_old[k - 1], v1_old[k - 1], v2_old[k - 1],
              column(uold, icolu, k));
        if (cdec.IDEC == 1)
            user5(node, ndof, n1, n2, vmid_new[k - 1], v1_new[k - 1], v2_new[k - 1],
                  column(unew, icolu, k));
    }

    // The free-dof list joined behind the chain is cut into four pieces: the
    // vertex keeps the first dof, then ndof for each half, the rest is free.
    jset(cnu.NU(last), cpoint.NPDOF);
    const int first = cnode.NODPTR(node);
    const int start1 = cnu.NU(first);
    jset(cnu.NU(first), 0);
    int start2 = 0, rest = 0;
    if (!cut_piece(new1, start1, ndof, start2) || !cut_piece(new2, start2, ndof, rest))
        return refuse(MESH_NO_DOF);
    jset(cpoint.NPDOF, rest);

    for (int k = 1; k <= MXEQNS_MAX; ++k) {
        double* uo = column(uold, icolu, k);
        jset(uo[first - 1], vmid_old[k - 1]);
        write_chain(new1, ndof, v1_old[k - 1], uo);
        write_chain(new2, ndof, v2_old[k - 1], uo);
        if (cdec.IDEC == 1) {
            double* un = column(unew, icolu, k);
            jset(un[first - 1], vmid_new[k - 1]);
            write_chain(new1, ndof, v1_new[k - 1], un);
            write_chain(new2, ndof, v2_new[k - 1], un);
        }
    }
    nodof = node * 100 + 1;
    nodof1 = new1 * 100 + ndof + 1;
    nodof2 = new2 * 100 + ndof + 1;
    if (debug) {
        dbg_line("BEFORE EXIT:");
        dbg_int("SPLIT1", "NDOF", ndof);
        dbg_int("SPLIT1", "NODOF", nodof);
        dbg_int("SPLIT1", "NODOF1", nodof1);
        dbg_int("SPLIT1", "NODOF2", nodof2);
    }
    return MESH_DONE;
}

void delete_node(int node) {
    assert(node > 0);
    int ndof = 0, last = 0;
    ndofr(node, ndof, last);
    jset(cnu.NU(last), cpoint.NPDOF);
    jset(cpoint.NPDOF, cnode.NODPTR(node));
    jset(cnode.NODPTR(node), cpoint.NPNOD);
    jset(cpoint.NPNOD, node);
    jset(cdata.NRNODS, cdata.NRNODS - 1);
    jset(cdata.NRDOF, cdata.NRDOF - ndof);
}

void ndofr(int node, int& ndof, int& last) {
    last = cnode.NODPTR(node);
    ndof = 1;
    while (cnu.NU(last) != 0) {
        ++ndof;
        last = cnu.NU(last);
    }
}

int take_node(int ndof, int& node) {
    MeshTransaction t;
    int rc = take_free_node(node);
    if (rc == MESH_DONE) {
        jset(cdata.NRDOF, cdata.NRDOF + ndof);
        rc = take_chain(node, ndof);
    }
    if (rc != MESH_DONE) t.rollback();
    return rc;
}

//// value rules ////

void user1(int n1, int n2, int iord, double* val, const double* u) {
    if (iord == 1) {
        val[0] = 0.5 * (first_value(n1, u) + first_value(n2, u));
        return;
    }
    for (int i = 0; i < iord - 1; ++i) val[i] = 0.0;
}

void user2(const Arr1<int, 4>& nv, int iord, double* val, const double* u) {
    if (iord == 1) {
        double s = 0.0;
        for (int k = 1; k <= 4; ++k) s += first_value(nv(k), u);
        val[0] = s / 4.0;
        return;
    }
    for (int i = 0; i < (iord - 1) * (iord - 1); ++i) val[i] = 0.0;
}

void user3(int node, int nold, int nnew, double* val, const double* u) {
    int d = cnode.NODPTR(node);
    for (int i = 0; i < nold; ++i, d = cnu.NU(d)) val[i] = u[d - 1];
    for (int i = nold; i < nnew; ++i) val[i] = 0.0;
}

// The old block of side m keeps its place in the new block of side q.
void user4(int node, int nold, int nnew, double* val, const double* u) {
    const int m = static_cast<int>(std::sqrt(nold + 0.01));
    const int q = static_cast<int>(std::sqrt(nnew + 0.01));
    double w[10][10] = {};
    int d = cnode.NODPTR(node);
    for (int l = 0; l < m; ++l)
        for (int k = 0; k < m; ++k, d = cnu.NU(d)) w[k][l] = u[d - 1];
    int i = 0;
    for (int l = 0; l < q; ++l)
        for (int k = 0; k < q; ++k) val[i++] = w[k][l];
}

// The middle vertex takes the edge function's value at the middle of the
// side, each half the coefficients of its restriction to that half.
void user5(int node, int ndof, int n1, int n2, double& vmid, double* v1, double* v2,
           const double* u) {
    double e[MAX_SIDE_DOF] = {};
    int d = cnode.NODPTR(node);
    for (int j = 0; j < ndof; ++j, d = cnu.NU(d)) e[j] = u[d - 1];
    vmid = 0.5 * (first_value(n1, u) + first_value(n2, u));
    for (int j = 1; j <= ndof; ++j) vmid += crrr.RRR(j + 1, 1, 1) * e[j - 1];
    for (int i = 1; i <= ndof; ++i) {
        double s1 = 0.0, s2 = 0.0;
        for (int j = i; j <= ndof; ++j) {
            s1 += crrr.RRR(j + 1, i + 1, 1) * e[j - 1];
            s2 += crrr.RRR(j + 1, i + 1, 2) * e[j - 1];
        }
        v1[i - 1] = s1;
        v2[i - 1] = s2;
    }
}

}  // namespace kavren
