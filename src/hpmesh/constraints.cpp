// Constrained approximation: walls, parent nodes, dof places, local values.
#include "hpmesh/constraints.hpp"

#include <string>

#include "control/utility.hpp"
#include "hpmesh/mesh_debug.hpp"
#include "hpmesh/tree.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"

namespace kavren {

namespace {

// Local node at lattice column i, row j, and the lattice point of a local node.
constexpr int LN[4][4] = {{0, 0, 0, 0}, {0, 1, 8, 4}, {0, 5, 9, 7}, {0, 2, 6, 3}};
constexpr int NLI[10] = {0, 1, 3, 3, 1, 2, 3, 2, 1, 2};
constexpr int NLJ[10] = {0, 1, 1, 3, 3, 1, 2, 3, 2, 2};
// Lattice row order of the free nodes.
constexpr int ROW_ORDER[9] = {1, 5, 2, 8, 9, 6, 4, 7, 3};

constexpr int IT0[5][5] = {
    {0, 0, 0, 0, 0}, {0, 0, 1, 0, 1}, {0, 2, 0, 1, 0}, {0, 0, 2, 0, 2}, {0, 2, 0, 1, 0}};

DebugSwitch logic1_debug("LOGIC1");
DebugSwitch logic2_debug("LOGIC2");
DebugSwitch solelm_debug("SOLELM");

[[noreturn]] void cannot_represent(int nel, const std::string& what) {
    mesh_fatal("LOGIC1", "ERROR IN LOGIC1! ELEMENT " + std::to_string(nel) + ": " + what);
}

// Node of local position k of element nel (0 for none or a constrained entry).
int node_at(int nel, int k) {
    int node = 0, order = 0;
    decode(celem.NICK(k, slot_of(nel)), node, order);
    return node;
}

// The element's positions on its 3 x 3 lattice while the walls are resolved.
struct Lattice {
    int nod[4][4] = {};
    int ord[4][4] = {};
    int& n(int k) { return nod[NLI[k]][NLJ[k]]; }
    int& o(int k) { return ord[NLI[k]][NLJ[k]]; }
};

// The neighbours across each side touching its lower- and upper-coordinate half.
struct HalfNeighbours {
    int lower[5] = {};
    int upper[5] = {};
    explicit HalfNeighbours(const Arr1<int, 8>& neig) {
        lower[1] = neig(1);
        upper[1] = neig(5) != 0 ? neig(5) : neig(1);
        lower[2] = neig(2);
        upper[2] = neig(6) != 0 ? neig(6) : neig(2);
        lower[3] = neig(7) != 0 ? neig(7) : neig(3);
        upper[3] = neig(3);
        lower[4] = neig(8) != 0 ? neig(8) : neig(4);
        upper[4] = neig(4);
    }
};

// One wall: the hanging position takes the far vertex, the wall's mid-side
// position the node of the larger side's middle. b is the larger neighbour,
// d the neighbour that shares the far vertex with the hanging vertex.
void put_wall(int nel, Lattice& lat, Logic1& l, int j0, int hang, int mid, int b, int d) {
    if (l.NCONWA >= 2) cannot_represent(nel, "MORE THAN TWO WALLS");
    if (b == 0 || d == 0) cannot_represent(nel, "A WALL WITHOUT ITS LARGER NEIGHBOUR");
    const int far = node_at(d, hang);
    const int father = lat.n(j0);
    int cj = 0, cf = 0;
    for (int c = 1; c <= 4; ++c) {
        const int node = node_at(b, c);
        if (node == father && father > 0) cj = c;
        if (node == far && far > 0) cf = c;
    }
    if (cj == 0 || cf == 0) cannot_represent(nel, "THE LARGER SIDE DOES NOT HOLD THE WALL");
    const int bmid = LN[(NLI[cj] + NLI[cf]) / 2][(NLJ[cj] + NLJ[cf]) / 2];
    lat.n(hang) = far;
    lat.o(hang) = 1;
    decode(celem.NICK(bmid, slot_of(b)), lat.n(mid), lat.o(mid));
    l.NCONWA += 1;
    l.NODWAL(1, l.NCONWA) = hang;
    l.NODWAL(2, l.NCONWA) = mid;
}

}  // namespace

int it0(int father, int hanging) {
    if (father < 1 || father > 4 || hanging < 1 || hanging > 4) return 0;
    return IT0[father][hanging];
}

void logic1(int nel, Logic1& l) {
    l = Logic1{};
    const int slot = slot_of(nel);
    Lattice lat;
    bool negative = false;
    for (int k = 1; k <= 9; ++k) {
        decode(celem.NICK(k, slot), lat.n(k), lat.o(k));
        if (lat.o(k) < 0) negative = true;
    }

    if (negative) {
        l.ICON = 1;
        Arr1<int, 8> neig;
        neigbr(nel, neig);
        const HalfNeighbours half(neig);

        int hang[4] = {}, nrcn = 0;
        for (int k : {1, 2, 4, 3}) {
            if (lat.o(k) >= 0) continue;
            if (nrcn == 2) cannot_represent(nel, "MORE THAN TWO HANGING VERTICES");
            hang[nrcn++] = k;
        }
        if (nrcn == 0) cannot_represent(nel, "A CONSTRAINED SIDE WITHOUT A HANGING VERTEX");

        const int h1 = hang[0], h2 = hang[1];
        if (nrcn == 2 && (h2 == h1 % 4 + 1 || h1 == h2 % 4 + 1)) {
            // Two adjacent hanging vertices: each one's father is its other
            // neighbouring corner.
            l.ICON = 2;
            if (h2 == h1 % 4 + 1) {
                l.J00(1) = (h1 + 2) % 4 + 1;
                l.J00(2) = h2 % 4 + 1;
            } else {
                l.J00(1) = h1 % 4 + 1;
                l.J00(2) = (h2 + 2) % 4 + 1;
            }
        } else {
            // The first hanging vertex lies on side J when the neighbour across
            // side J holds the element's next vertex and a real far vertex.
            const int j = h1;
            const int b = neig(j);
            bool on_side_j = false;
            if (b != 0) {
                const int bslot = slot_of(b);
                int node = 0, order = 0;
                decode(celem.NICK((j + 1) % 4 + 1, bslot), node, order);
                on_side_j = node == lat.n(j % 4 + 1) && celem.NICK((j + 2) % 4 + 1, bslot) > 0;
            }
            const int father = on_side_j ? j % 4 + 1 : (j + 2) % 4 + 1;
            l.J00(1) = father;
            l.J00(2) = father;
        }

        for (int k : ROW_ORDER) {
            if (lat.o(k) > 0 && k != l.J00(1) && k != l.J00(2)) l.NODFRE(++l.NDFR) = k;
        }

        for (int m = 1; m <= nrcn; ++m) {
            const int j0 = l.J00(m);
            const int i0 = NLI[j0], jj0 = NLJ[j0];
            if (lat.ord[i0][4 - jj0] < 1) {
                // Wall on the column side through the father vertex.
                const int hv = LN[i0][4 - jj0];
                const int col_side = i0 == 1 ? 4 : 2;
                const int row_side = 4 - jj0 == 1 ? 1 : 3;
                const int d = i0 == 1 ? half.lower[row_side] : half.upper[row_side];
                if (neig(col_side + 4) != 0) cannot_represent(nel, "A WALL FACING TWO ELEMENTS");
                put_wall(nel, lat, l, j0, hv, LN[i0][2], neig(col_side), d);
            }
            if (lat.ord[4 - i0][jj0] < 1) {
                // Wall on the row side through the father vertex.
                const int hv = LN[4 - i0][jj0];
                const int row_side = jj0 == 1 ? 1 : 3;
                const int col_side = 4 - i0 == 1 ? 4 : 2;
                const int d = jj0 == 1 ? half.lower[col_side] : half.upper[col_side];
                if (neig(row_side + 4) != 0) cannot_represent(nel, "A WALL FACING TWO ELEMENTS");
                put_wall(nel, lat, l, j0, hv, LN[2][jj0], neig(row_side), d);
            }
        }
        for (int k = 1; k <= 4; ++k)
            if (lat.o(k) < 1) cannot_represent(nel, "A HANGING VERTEX ON NO WALL");
    }

    for (int k = 5; k <= 9; ++k) {
        if (lat.o(k) < 0) cannot_represent(nel, "A CONSTRAINED SIDE ON NO WALL");
        if (lat.o(k) < 1) {
            lat.o(k) = 1;
            lat.n(k) = 0;
        }
    }
    int loc = 1;
    for (int k = 1; k <= 9; ++k) {
        l.LNODS(k) = lat.n(k);
        l.IDGS(k) = lat.o(k);
        l.LOCS(k) = k <= 4 ? 1 : (k <= 8 ? l.IDGS(k) - 1 : (l.IDGS(9) - 1) * (l.IDGS(9) - 1));
        l.LOCNOD(k) = loc;
        loc += l.LOCS(k);
    }
    if (logic1_debug.on(nel)) {
        dbg_int("LOGIC1", "ICON", l.ICON);
        dbg_ints("LOGIC1", "J00", l.J00.data(), 2);
        dbg_int("LOGIC1", "NCONWA", l.NCONWA);
        dbg_ints("LOGIC1", "NODWAL", l.NODWAL.data(), 4);
        dbg_ints("LOGIC1", "NODFRE", l.NODFRE.data(), 9);
        dbg_ints("LOGIC1", "LNODS", l.LNODS.data(), 9);
        dbg_ints("LOGIC1", "IDGS", l.IDGS.data(), 9);
        dbg_ints("LOGIC1", "LOCNOD", l.LOCNOD.data(), 9);
    }
}

void logic2(int nel, const Logic1& l1, Logic2& l2) {
    l2 = Logic2{};
    if (l1.ICON == 0) return;
    const bool debug = logic2_debug.on(nel);
    for (int w = 1; w <= l1.NCONWA; ++w) {
        const int hv = l1.NODWAL(1, w), mid = l1.NODWAL(2, w);
        l2.NWINS(1, w) = l1.LOCNOD(hv);
        l2.NDFWAL(w) = 1;
        for (int k = 1; k <= l1.LOCS(mid); ++k)
            l2.NWINS(++l2.NDFWAL(w), w) = l1.LOCNOD(mid) + k - 1;
    }
    for (int f = 1; f <= l1.NDFR; ++f) {
        const int k = l1.NODFRE(f);
        for (int d = 1; d <= l1.LOCS(k); ++d) l2.NFREE(++l2.NFRN) = l1.LOCNOD(k) + d - 1;
    }
    if (debug) {
        dbg_ints("LOGIC2", "NDFWAL", l2.NDFWAL.data(), 2);
        dbg_ints("LOGIC2", "NWINS", l2.NWINS.data(), 16);
        if (l2.NFRN > 0) dbg_ints("LOGIC2", "NFREE", l2.NFREE.data(), l2.NFRN);
    }
}

void infelm(int nel, Infelm& inf) {
    inf = Infelm{};
    Logic1 l1;
    Logic2 l2;
    logic1(nel, l1);
    logic2(nel, l1, l2);
    for (int k = 1; k <= 9; ++k) {
        inf.NICKC(k) = l1.LNODS(k) * 100 + l1.LOCS(k);
        inf.IDGS(k) = l1.IDGS(k);
    }
    if (l1.ICON == 0) return;
    inf.NCONS = l1.ICON == 2 ? 3 : (l1.NCONWA == 1 ? 1 : 2);
    inf.J00 = l1.J00;
    inf.IHANG1 = l1.NODWAL(1, 1);
    inf.IHANG2 = l1.NODWAL(1, 2);
    inf.NFRN = l2.NFRN;
    for (int f = 1; f <= l2.NFRN; ++f) inf.NFREE(f) = l2.NFREE(f);
    inf.NW1 = l2.NDFWAL(1);
    inf.NW2 = l2.NDFWAL(2);
    for (int a = 1; a <= 8; ++a) {
        inf.LW1(a) = l2.NWINS(a, 1);
        inf.LW2(a) = l2.NWINS(a, 2);
    }
}

void infnick(int nel, Arr1<int, 9>& nickc) {
    Logic1 l1;
    logic1(nel, l1);
    for (int k = 1; k <= 9; ++k) nickc(k) = l1.LNODS(k) * 100 + l1.LOCS(k);
}

// Gathers the element's values along the nodes' dof chains, then, on each
// wall, expresses the larger side's far vertex and mid-side dofs on the half.
void solelm(int nel, int& ndofe, Arr1<int, 9>& ndofl, double* ue, const double* u) {
    Infelm inf;
    infelm(nel, inf);
    double g[MAXLDOF] = {};
    int n = 0;
    for (int k = 1; k <= 9; ++k) {
        ndofl(k) = inf.NICKC(k) % 100;
        const int node = inf.NICKC(k) / 100;
        if (ndofl(k) <= 0) continue;
        int dof = cnode.NODPTR(node);
        for (int d = 1; d <= ndofl(k); ++d) {
            if (dof <= 0 || n >= MAXLDOF)
                mesh_fatal("SOLELM", "ERROR IN SOLELM! DOF CHAIN OF NODE " + std::to_string(node) +
                                         " TOO SHORT");
            g[n++] = u[dof - 1];
            dof = cnu.NU(dof);
        }
    }
    ndofe = 4;
    for (int k = 5; k <= 9; ++k) ndofe += ndofl(k);
    const bool debug = solelm_debug.on(nel);
    if (inf.NCONS == 0) {
        for (int i = 0; i < ndofe; ++i) ue[i] = g[i];
        if (debug) {
            dbg_line("NO CONSTRAINTS...");
            dbg_reals("SOLELM", "UE", ue, ndofe);
        }
        return;
    }
    for (int i = 0; i < ndofe; ++i) ue[i] = 0.0;
    for (int f = 1; f <= inf.NFRN; ++f) ue[inf.NFREE(f) - 1] = g[inf.NFREE(f) - 1];
    auto apply_wall = [&](int j0, int hang, const Arr1<int, 8>& lw, int nw) {
        const int t = it0(j0, hang);
        if (t == 0) mesh_fatal("SOLELM", "ERROR IN SOLELM! FATHER AND HANGING VERTEX APART");
        ue[j0 - 1] = g[j0 - 1];
        ue[hang - 1] = 0.5 * g[j0 - 1];
        for (int a = 1; a <= nw; ++a)
            for (int b = 1; b <= nw; ++b) ue[lw(a) - 1] += crrr.RRR(b, a, t) * g[lw(b) - 1];
    };
    apply_wall(inf.J00(1), inf.IHANG1, inf.LW1, inf.NW1);
    if (inf.NCONS != 1) apply_wall(inf.J00(2), inf.IHANG2, inf.LW2, inf.NW2);
    if (debug) {
        dbg_reals("SOLELM", "G", g, ndofe);
        dbg_reals("SOLELM", "UE", ue, ndofe);
    }
}

}  // namespace kavren
