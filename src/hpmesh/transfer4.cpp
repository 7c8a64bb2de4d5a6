// Solution transfer onto four sons, and the pieces shared with the two-son
// transfer: the element vector and the patch.
#include <cstddef>

#include "hpmesh/constraints.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/mesh_debug.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/transfer.hpp"
#include "hpmesh/transfer_detail.hpp"
#include "hpmesh/tree.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"

namespace kavren {

//// shared pieces ////

void element_vector(int nel, const double* u, int icolu, ElementVector& ev) {
    ev.NEL = nel;
    ev.UE.fill(0.0);
    double ue[MAXLDOF] = {};
    for (int c = 1; c <= MXEQNS_MAX; ++c) {
        solelm(nel, ev.NDOFE, ev.NDOFL, ue, u + static_cast<std::ptrdiff_t>(icolu) * (c - 1));
        for (int i = 1; i <= ev.NDOFE; ++i) ev.UE(i, c) = ue[i - 1];
    }
}

void SonPatch::clear() {
    UCORNS.fill(0.0);
    UEDGES.fill(0.0);
    CENTRE.fill(0.0);
}

namespace transfer_detail {

FatherLayout father_layout(int nel) {
    FatherLayout f;
    const int slot = slot_of(nel);
    for (int k = 5; k <= 9; ++k) {
        int order = order_of(celem.NICK(k, slot));
        if (order < 0) order = -order;
        if (order == 0) order = 1;
        f.n[k - 4] = order - 1;
    }
    f.ni = f.n[5];
    f.first[1] = 5;
    for (int s = 1; s <= 4; ++s) f.first[s + 1] = f.first[s] + f.n[s];
    return f;
}

void write_node(int node, int order, int l, int nvert, int nedge_last, SonPatch& p, double* u,
                int icolu) {
    for (int c = 1; c <= MXEQNS_MAX; ++c) {
        double* uc = u + static_cast<std::ptrdiff_t>(icolu) * (c - 1);
        int d = cnode.NODPTR(node);
        if (l <= nvert) {
            jset(uc[d - 1], p.UCORNS(l, c));
        } else if (l <= nedge_last) {
            for (int j = 1; j <= order - 1 && d != 0; ++j, d = cnu.NU(d))
                jset(uc[d - 1], p.UEDGES(j, l - nvert, c));
        } else {
            for (int j = 1; j <= order - 1; ++j)
                for (int i = 1; i <= order - 1 && d != 0; ++i, d = cnu.NU(d))
                    jset(uc[d - 1], p.UCENTRS(i, j, l - nedge_last, c));
        }
    }
}

}  // namespace transfer_detail

using transfer_detail::FatherLayout;
using transfer_detail::NLA;
using transfer_detail::NLB;

//// four sons ////

namespace {

// LNS4[a][b] of the 5 x 5 patch.
constexpr int LNS4[6][6] = {
    {0, 0, 0, 0, 0, 0},   {0, 1, 12, 4, 17, 7},    {0, 10, 22, 15, 24, 20},
    {0, 2, 13, 5, 18, 8}, {0, 11, 23, 16, 25, 21}, {0, 3, 14, 6, 19, 9},
};

DebugSwitch breakin1_debug("BREAKIN1");
DebugSwitch breakin2_debug("BREAKIN2");
DebugSwitch breakin3_debug("BREAKIN3");

void print_patch(std::string_view routine, SonPatch& p) {
    dbg_block(routine, "UCORNS", p.UCORNS.data(), 9, 9, MXEQNS_MAX);
    dbg_block(routine, "UEDGES", p.UEDGES.data(), MAX_SIDE_DOF, MAX_SIDE_DOF, 12);
    dbg_block(routine, "UCENTRS", p.CENTRE.data(), MAX_SIDE_DOF, MAX_SIDE_DOF, MAX_SIDE_DOF);
}

double rrr(int m, int n, int h) {
    return crrr.RRR(m, n, h);
}

}  // namespace

int lns4(int a, int b) {
    return LNS4[a][b];
}

void breakin1(int nel, const double* u, int icolu, ElementVector& ev, SonPatch& p) {
    element_vector(nel, u, icolu, ev);
    p.clear();
    for (int c = 1; c <= MXEQNS_MAX; ++c) {
        for (int k = 1; k <= 4; ++k) {
            const int a = NLA[k], b = NLB[k];
            const double v = ev.UE(k, c);
            p.UCORNS(lns4(2 * a - 1, 2 * b - 1), c) = v;
            p.UCORNS(lns4(3, 2 * b - 1), c) += 0.5 * v;
            p.UCORNS(lns4(2 * a - 1, 3), c) += 0.5 * v;
            p.UCORNS(5, c) += 0.25 * v;
        }
    }
    if (breakin1_debug.on(nel)) {
        dbg_ints("BREAKIN1", "LOC", ev.NDOFL.data(), 9);
        dbg_block("BREAKIN1", "UELNEW", ev.UE.data(), MAXLDOF, ev.NDOFE, MXEQNS_MAX);
        dbg_line("CORNER COINCIDING WITH");
        dbg_line("CORNERS - CENTERS OF BIG EDGES");
        dbg_line("CORNER - CENTER OF BIG ELEMENT");
        dbg_block("BREAKIN1", "UCORNS", p.UCORNS.data(), 9, 9, MXEQNS_MAX);
    }
}

namespace {

// A side function is G(eta) F(xi) (or the same with the roles exchanged), G
// the linear blend across the element: on the side it splits into the middle
// vertex and the two halves, on the parallel centre line it is halved.
void add_edges4(const FatherLayout& f, const ElementVector& ev, SonPatch& p) {
    for (int s = 1; s <= 4; ++s) {
        const int n = f.n[s];
        if (n == 0) continue;
        const int a = NLA[s + 4], b = NLB[s + 4];
        const bool horizontal = s == 1 || s == 3;
        for (int c = 1; c <= MXEQNS_MAX; ++c) {
            auto e = [&](int j) { return ev.UE(f.first[s] + j - 1, c); };
            double mid = 0.0;
            for (int j = 1; j <= n; ++j) mid += rrr(j + 1, 1, 1) * e(j);
            p.UCORNS(lns4(2 * a - 1, 2 * b - 1), c) += mid;
            p.UCORNS(5, c) += 0.5 * mid;
            for (int h = 1; h <= 2; ++h) {
                const int side_e =
                    (horizontal ? lns4(2 * h, 2 * b - 1) : lns4(2 * a - 1, 2 * h)) - 9;
                const int line_e = (horizontal ? lns4(2 * h, 3) : lns4(3, 2 * h)) - 9;
                for (int i = 1; i <= n; ++i) {
                    double s_i = 0.0;
                    for (int j = 1; j <= n; ++j) s_i += rrr(j + 1, i + 1, h) * e(j);
                    p.UEDGES(i, side_e, c) += s_i;
                    p.UEDGES(i, line_e, c) += 0.5 * s_i;
                }
            }
        }
    }
}

// An interior function F(xi) G(eta) vanishes on the father's sides: it gives
// the centre vertex, the four inner half-edges and the four son interiors.
void add_interior4(const FatherLayout& f, const ElementVector& ev, SonPatch& p) {
    const int ni = f.ni;
    if (ni == 0) return;
    // Inner half-edges at lattice points of the vertical (q 0, 1) and the
    // horizontal (q 2, 3) centre line; son centres.
    static constexpr int IPERM1[4][2] = {{3, 2}, {3, 4}, {2, 3}, {4, 3}};
    static constexpr int IPERM2[4][2] = {{2, 2}, {2, 4}, {4, 2}, {4, 4}};
    for (int c = 1; c <= MXEQNS_MAX; ++c) {
        auto bk = [&](int k, int l) { return ev.UE(f.first[5] + (l - 1) * ni + k - 1, c); };
        for (int k = 1; k <= ni; ++k)
            for (int l = 1; l <= ni; ++l)
                p.UCORNS(5, c) += rrr(k + 1, 1, 1) * bk(k, l) * rrr(l + 1, 1, 1);
        for (int q = 0; q < 4; ++q) {
            const int e = lns4(IPERM1[q][0], IPERM1[q][1]) - 9;
            const bool vertical = q < 2;
            const int h = vertical ? q + 1 : q - 1;
            for (int i = 1; i <= ni; ++i) {
                double s = 0.0;
                for (int k = 1; k <= ni; ++k)
                    for (int l = 1; l <= ni; ++l)
                        s += vertical ? rrr(k + 1, 1, 1) * bk(k, l) * rrr(l + 1, i + 1, h)
                                      : rrr(k + 1, i + 1, h) * bk(k, l) * rrr(l + 1, 1, 1);
                p.UEDGES(i, e, c) += s;
            }
        }
        for (int q = 0; q < 4; ++q) {
            const int m = lns4(IPERM2[q][0], IPERM2[q][1]) - 21;
            const int hx = IPERM2[q][0] / 2, hy = IPERM2[q][1] / 2;
            for (int i = 1; i <= ni; ++i)
                for (int j = 1; j <= ni; ++j) {
                    double s = 0.0;
                    for (int k = 1; k <= ni; ++k)
                        for (int l = 1; l <= ni; ++l)
                            s += rrr(k + 1, i + 1, hx) * bk(k, l) * rrr(l + 1, j + 1, hy);
                    p.UCENTRS(i, j, m, c) += s;
                }
        }
    }
}

}  // namespace

void breakin2(int nel, const ElementVector& ev, SonPatch& p) {
    add_edges4(transfer_detail::father_layout(nel), ev, p);
    if (breakin2_debug.on(nel)) {
        dbg_line("SMALL CORNERS AT BIG EDGES...");
        dbg_line("COLINEAR SMALL EDGES...");
        dbg_line("CENTRAL CORNER...");
        dbg_line("TWO SMALL EDGES INSIDE...");
        print_patch("BREAKIN2", p);
    }
}

void breakin3(int nel, const ElementVector& ev, SonPatch& p) {
    add_interior4(transfer_detail::father_layout(nel), ev, p);
    if (breakin3_debug.on(nel)) {
        dbg_line("MIDWALL CORNER:");
        dbg_line("EDGES ON THIS WALL:");
        dbg_line("CENTROIDS ON THIS WALL:");
        print_patch("BREAKIN3", p);
    }
}

// Son (c, r) covers lattice columns 2c-1..2c+1 and rows 2r-1..2r+1.
void write_four_sons(const Arr1<int, 4>& sons, SonPatch& p, double* u, int icolu) {
    static constexpr int CR[4][2] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};
    for (int s = 0; s < 4; ++s) {
        const int slot = slot_of(sons(s + 1));
        for (int k = 1; k <= 9; ++k) {
            const int nick = celem.NICK(k, slot);
            const int node = node_of(nick), order = order_of(nick);
            if (node <= 0) continue;
            const int l = lns4(NLA[k] + 2 * (CR[s][0] - 1), NLB[k] + 2 * (CR[s][1] - 1));
            transfer_detail::write_node(node, order, l, 9, 21, p, u, icolu);
        }
    }
}

void user6(const Arr1<int, 9>& lnodes, const Arr1<int, 9>& lorder, double& ucentr,
           Arr2<double, MAX_SIDE_DOF, 4>& uedge, Arr3<double, MAX_SIDE_DOF, MAX_SIDE_DOF, 4>& uint,
           const double* u) {
    // The father's chains in the order of an element vector, then the same
    // arithmetic as the transfer, on one component.
    ElementVector ev;
    FatherLayout f;
    int m = 0;
    for (int k = 1; k <= 9; ++k) {
        const int order = lorder(k) < 1 ? 1 : lorder(k);
        const int n = k <= 4 ? 1 : (k <= 8 ? order - 1 : (order - 1) * (order - 1));
        if (k >= 5) f.n[k - 4] = order - 1;
        if (lnodes(k) <= 0) continue;
        int d = cnode.NODPTR(lnodes(k));
        for (int i = 0; i < n && d != 0; ++i, d = cnu.NU(d)) ev.UE(++m, 1) = u[d - 1];
    }
    f.ni = f.n[5];
    f.first[1] = 5;
    for (int s = 1; s <= 4; ++s) f.first[s + 1] = f.first[s] + f.n[s];
    ev.NDOFE = m;
    SonPatch p;
    p.clear();
    for (int k = 1; k <= 4; ++k) {
        const double v = ev.UE(k, 1);
        p.UCORNS(5, 1) += 0.25 * v;
    }
    add_edges4(f, ev, p);
    add_interior4(f, ev, p);
    ucentr = p.UCORNS(5, 1);
    // Inner half-edges in the order lower vertical, right, upper vertical, left.
    static constexpr int EDGE[4] = {4, 7, 9, 6};
    static constexpr int CENTRE[4] = {1, 2, 4, 3};
    for (int q = 0; q < 4; ++q)
        for (int i = 1; i <= MAX_SIDE_DOF; ++i) {
            uedge(i, q + 1) = p.UEDGES(i, EDGE[q], 1);
            for (int j = 1; j <= MAX_SIDE_DOF; ++j)
                uint(i, j, q + 1) = p.UCENTRS(i, j, CENTRE[q], 1);
        }
}

}  // namespace kavren
