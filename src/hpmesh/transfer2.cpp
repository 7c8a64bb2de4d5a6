// Solution transfer onto two sons. Direction 1 cuts across eta (the cut line
// runs along xi), direction 2 across xi. Below, "along" is the lattice
// coordinate along the cut line (1..3) and "across" the one across it (1..5);
// the father's local node at grid point (i, j) lies at across 2*(its across
// coordinate)-1.
#include "hpmesh/mesh_debug.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/transfer.hpp"
#include "hpmesh/transfer_detail.hpp"
#include "hpmesh/tree.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"

namespace kavren {

using transfer_detail::FatherLayout;
using transfer_detail::NLA;
using transfer_detail::NLB;

namespace {

// LNS(i, j) of direction 1 (3 columns, 5 rows) and LNS1(i, j) of direction 2
// (5 columns, 3 rows), by lattice column i and row j.
constexpr int LNS[4][6] = {
    {0, 0, 0, 0, 0, 0}, {0, 1, 8, 3, 11, 5}, {0, 7, 14, 10, 15, 13}, {0, 2, 9, 4, 12, 6}};
constexpr int LNS1[6][4] = {{0, 0, 0, 0},  {0, 1, 9, 4},   {0, 7, 14, 12},
                            {0, 2, 10, 5}, {0, 8, 15, 13}, {0, 3, 11, 6}};
constexpr int INNER_EDGE = 4;  // position 10, the new inner edge, as an edge index

DebugSwitch breakin1_debug("BREAKIN1");
DebugSwitch breakin2_debug("BREAKIN2");
DebugSwitch breakin3_debug("BREAKIN3");

// Patch position of the lattice point at (along, across).
int pos(int ixy, int along, int across) {
    return ixy == 1 ? LNS[along][across] : LNS1[across][along];
}
int along_of(int ixy, int k) {
    return ixy == 1 ? NLA[k] : NLB[k];
}
int across_of(int ixy, int k) {
    return ixy == 1 ? NLB[k] : NLA[k];
}

double rrr(int m, int n, int h) {
    return crrr.RRR(m, n, h);
}

// Vertex part: each vertex keeps its value; the middle of a halved side takes
// the mean of its two ends.
void vertices2(int ixy, int nel, const double* u, int icolu, ElementVector& ev, SonPatch& p) {
    element_vector(nel, u, icolu, ev);
    p.clear();
    for (int c = 1; c <= MXEQNS_MAX; ++c)
        for (int k = 1; k <= 4; ++k) {
            const int al = along_of(ixy, k), ac = across_of(ixy, k);
            p.UCORNS(pos(ixy, al, 2 * ac - 1), c) = ev.UE(k, c);
            p.UCORNS(pos(ixy, al, 3), c) += 0.5 * ev.UE(k, c);
        }
    if (breakin1_debug.on(nel)) {
        dbg_ints("BREAKIN1", "LOC", ev.NDOFL.data(), 9);
        dbg_block("BREAKIN1", "UELNEW", ev.UE.data(), MAXLDOF, ev.NDOFE, MXEQNS_MAX);
        dbg_line("CORNER COINCIDING WITH J00");
        dbg_block("BREAKIN1", "UCORNS", p.UCORNS.data(), 9, 6, MXEQNS_MAX);
    }
}

// Edge part: a side parallel to the cut stays whole on its son and gives half
// of itself to the inner edge; a halved side splits into its middle vertex
// and two halves.
void edges2(int ixy, int nel, const ElementVector& ev, SonPatch& p) {
    const FatherLayout f = transfer_detail::father_layout(nel);
    for (int s = 1; s <= 4; ++s) {
        const int n = f.n[s];
        if (n == 0) continue;
        const int al = along_of(ixy, s + 4), ac = across_of(ixy, s + 4);
        for (int c = 1; c <= MXEQNS_MAX; ++c) {
            auto e = [&](int q) { return ev.UE(f.first[s] + q - 1, c); };
            if (al == 2) {
                const int side_e = pos(ixy, 2, 2 * ac - 1) - 6;
                for (int q = 1; q <= n; ++q) {
                    p.UEDGES(q, side_e, c) = e(q);
                    p.UEDGES(q, INNER_EDGE, c) += 0.5 * e(q);
                }
                continue;
            }
            double mid = 0.0;
            for (int q = 1; q <= n; ++q) mid += rrr(q + 1, 1, 1) * e(q);
            p.UCORNS(pos(ixy, al, 3), c) += mid;
            for (int h = 1; h <= 2; ++h) {
                const int half_e = pos(ixy, al, 2 * h) - 6;
                for (int m = 1; m <= n; ++m) {
                    double s_m = 0.0;
                    for (int q = 1; q <= n; ++q) s_m += rrr(q + 1, m + 1, h) * e(q);
                    p.UEDGES(m, half_e, c) += s_m;
                }
            }
        }
    }
    if (breakin2_debug.on(nel)) {
        dbg_line("SAME EDGE...");
        dbg_line("EDGE PARALLEL INSIDE...");
        dbg_line("SMALL CORNERS AT BIG EDGES...");
        dbg_line("COLINEAR SMALL EDGES...");
        dbg_block("BREAKIN2", "UCORNS", p.UCORNS.data(), 9, 6, MXEQNS_MAX);
        dbg_block("BREAKIN2", "UEDGES", p.UEDGES.data(), MAX_SIDE_DOF, MAX_SIDE_DOF, 7);
    }
}

// Interior part: the factor across the cut is taken at the cut for the inner
// edge and split into the two halves for the son interiors; the factor along
// the cut stays.
void interior2(int ixy, int nel, const ElementVector& ev, SonPatch& p) {
    const FatherLayout f = transfer_detail::father_layout(nel);
    const int ni = f.ni;
    for (int c = 1; c <= MXEQNS_MAX && ni > 0; ++c) {
        // ui(along index, across index) of the interior block (xi index fastest).
        auto ui = [&](int a, int b) {
            const int l = ixy == 1 ? a : b, m = ixy == 1 ? b : a;
            return ev.UE(f.first[5] + (m - 1) * ni + l - 1, c);
        };
        for (int a = 1; a <= ni; ++a) {
            double s = 0.0;
            for (int b = 1; b <= ni; ++b) s += rrr(b + 1, 1, 1) * ui(a, b);
            p.UEDGES(a, INNER_EDGE, c) += s;
        }
        for (int h = 1; h <= 2; ++h)
            for (int a = 1; a <= ni; ++a)
                for (int n = 1; n <= ni; ++n) {
                    double s = 0.0;
                    for (int b = 1; b <= ni; ++b) s += rrr(b + 1, n + 1, h) * ui(a, b);
                    if (ixy == 1)
                        p.UCENTRS(a, n, h, c) += s;
                    else
                        p.UCENTRS(n, a, h, c) += s;
                }
    }
    if (breakin3_debug.on(nel)) {
        dbg_line("CENTROID TO CENTRAL EDGE...");
        dbg_line("ON THIS WALL:");
        dbg_line("CENTROIDS ON THIS WALL:");
        dbg_block("BREAKIN3", "UEDGES", p.UEDGES.data(), MAX_SIDE_DOF, MAX_SIDE_DOF, 7);
        dbg_block("BREAKIN3", "UCENTRS", p.CENTRE.data(), MAX_SIDE_DOF, MAX_SIDE_DOF,
                  2 * MAX_SIDE_DOF);
    }
}

}  // namespace

int lns2(int ixy, int i, int j) {
    return ixy == 1 ? LNS[i][j] : LNS1[i][j];
}

void breaki01(int nel, const double* u, int icolu, ElementVector& ev, SonPatch& p) {
    vertices2(1, nel, u, icolu, ev, p);
}
void breaki02(int nel, const ElementVector& ev, SonPatch& p) {
    edges2(1, nel, ev, p);
}
void breaki03(int nel, const ElementVector& ev, SonPatch& p) {
    interior2(1, nel, ev, p);
}
void breaki11(int nel, const double* u, int icolu, ElementVector& ev, SonPatch& p) {
    vertices2(2, nel, u, icolu, ev, p);
}
void breaki12(int nel, const ElementVector& ev, SonPatch& p) {
    edges2(2, nel, ev, p);
}
void breaki13(int nel, const ElementVector& ev, SonPatch& p) {
    interior2(2, nel, ev, p);
}

// Son s's local node at grid point (i, j) lies at across + 2(s-1).
void write_two_sons(int ixy, int son1, int son2, SonPatch& p, double* u, int icolu) {
    const int sons[2] = {son1, son2};
    for (int s = 1; s <= 2; ++s) {
        const int slot = slot_of(sons[s - 1]);
        for (int k = 1; k <= 9; ++k) {
            const int nick = celem.NICK(k, slot);
            const int node = node_of(nick), order = order_of(nick);
            if (node <= 0) continue;
            const int l = pos(ixy, along_of(ixy, k), across_of(ixy, k) + 2 * (s - 1));
            transfer_detail::write_node(node, order, l, 6, 13, p, u, icolu);
        }
    }
}

}  // namespace kavren
