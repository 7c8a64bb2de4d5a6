#include "fem/mesh_seams.hpp"

#include "hpmesh/constraints.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "records/limits.hpp"
#include "records/mesh.hpp"

namespace kavren {

Decod2Source bcelem_sides = &decod2;
ElementValuesSource element_values_hook = nullptr;
MeetingSideSource meeting_side_hook = nullptr;

namespace {

// Node of vertex k of element nel (0 for a hanging vertex).
int vertex_node(int nel, int k) {
    int slot = 0;
    findno(nel, slot);
    const int nick = celem.NICK(k, slot);
    return nick > 0 ? nick / 100 : 0;
}

// End, middle and end node of side is of nel, counter-clockwise, by columns.
void side_nodes(int nel, int is, double* out) {
    Arr2<double, 2, 9> x;
    nodcor(nel, x);
    const int at[3] = {is, 4 + is, is % 4 + 1};
    for (int m = 0; m < 3; ++m) {
        out[2 * m] = x(1, at[m]);
        out[2 * m + 1] = x(2, at[m]);
    }
}

}  // namespace

bool element_values(int nel, int which, ElementValues& ev) {
    if (element_values_hook != nullptr) return element_values_hook(nel, which, ev);
    if (nel < 1 || nel > cdata.NRELIN + 2 * MAXFAM) return false;
    // The orders after the constraint logic, so that a wall's functions are
    // those of the values solelm gathers onto it.
    Infelm inf;
    infelm(nel, inf);
    for (int k = 1; k <= 9; ++k) ev.nord[k - 1] = inf.IDGS(k);
    Arr1<int, 9> ndofl;
    for (int c = 1; c <= MXEQNS_MAX; ++c) {
        const double* u = which == 1 ? &cuold.UOLD(1, c) : &cunew.UNEW(1, c);
        solelm(nel, ev.ndofe, ndofl, ev.ue + (c - 1) * MAX_ELFUN, u);
    }
    Arr2<double, 2, 9> x;
    nodcor(nel, x);
    for (int k = 1; k <= 9; ++k) {
        ev.xnod[2 * (k - 1)] = x(1, k);
        ev.xnod[2 * (k - 1) + 1] = x(2, k);
    }
    return true;
}

bool meeting_boundary_side(int nel, int is, int end, int& nb, double* side, int& nb_other,
                           double* other) {
    if (meeting_side_hook != nullptr)
        return meeting_side_hook(nel, is, end, nb, side, nb_other, other);
    Arr1<int, 8> neig;
    neigbr(nel, neig);
    if (neig(is) != 0) return false;
    findty(nel, is, nb);
    side_nodes(nel, is, side);
    // The element's side at that end: the next one counter-clockwise at the
    // end of side is, the previous one at its start.
    const int adj = end == 2 ? is % 4 + 1 : (is + 2) % 4 + 1;
    if (neig(adj) == 0) {
        findty(nel, adj, nb_other);
        side_nodes(nel, adj, other);
        return true;
    }
    // A neighbour across it: the one touching the common vertex, and its side
    // that starts (end 2) or ends (end 1) there.
    const int vertex = end == 2 ? is % 4 + 1 : is;
    const int b = end == 2 ? neig(adj) : (neig(adj + 4) != 0 ? neig(adj + 4) : neig(adj));
    const int node = vertex_node(nel, vertex);
    int kb = 0;
    for (int k = 1; k <= 4; ++k)
        if (node != 0 && vertex_node(b, k) == node) kb = k;
    if (kb == 0) return false;
    const int sb = end == 2 ? kb : (kb + 2) % 4 + 1;
    Arr1<int, 8> nb_neig;
    neigbr(b, nb_neig);
    if (nb_neig(sb) != 0) return false;
    findty(b, sb, nb_other);
    side_nodes(b, sb, other);
    return true;
}

}  // namespace kavren
