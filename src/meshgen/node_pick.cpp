// The pick of two generator nodes.
#include "meshgen/node_pick.hpp"

#include "control/messages.hpp"
#include "graphics/pick.hpp"
#include "graphics/screen.hpp"
#include "meshgen/tables.hpp"
#include "records/meshgen.hpp"

namespace kavren {

namespace {

// Squared distance beyond which no node counts as near the click (1e5 away).
constexpr double FAR_AWAY = 1.0e10;

// One click snapped to the nearest generator node and marked: its grid
// position, false when there is no click or no node near it.
bool pick_node(int& i, int& j) {
    Arr1<int, 2> ixy;
    char ch = 0;
    if (!wait_release(ixy, ch)) return false;
    double x = 0.0, y = 0.0;
    pick_world(ixy, x, y);
    double best = FAR_AWAY;
    int node = 0;
    for (int n = 1; n <= ccon.NNODG; ++n) {
        const double dx = cnodet.XGEN(n) - x, dy = cnodet.YGEN(n) - y;
        const double d = dx * dx + dy * dy;
        if (d < best) {
            best = d;
            node = n;
        }
    }
    if (node == 0) return false;
    mark_pick(cnodet.XGEN(node), cnodet.YGEN(node), 4);
    int ir = 0, icode = 0;
    fnref(node, i, j, ir, icode);
    return true;
}

}  // namespace

void vinq04(int& ia, int& ib, int& ja, int& jb) {
    ia = ib = ja = jb = 0;
    colormap(1);
    if (!pick_node(ia, ja) || !pick_node(ib, jb)) {
        ia = ib = ja = jb = 0;
        ffldou(0, MSG_ERROR, "*** NO GENERATOR NODE NEAR THE PICK ***");
    }
}

}  // namespace kavren
