// Mouse picks: containment tests, the click in world and percent
// coordinates, and the element picks of the MESH levels.
#include "graphics/pick.hpp"

#include "control/messages.hpp"
#include "control/utility.hpp"
#include "graphics/draw.hpp"
#include "graphics/order_key.hpp"
#include "graphics/screen.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "records/mesh.hpp"
#include "records/window.hpp"

namespace kavren {

//// containment ////

namespace {

// Side of the point to the edge from (x1, y1) to (x2, y2).
double side(double x1, double y1, double x2, double y2, double px, double py) {
    return (y2 - y1) * (px - x1) - (x2 - x1) * (py - y1);
}

}  // namespace

void point1(int ix1, int iy1, int ix2, int iy2, double px, double py, int& iout) {
    const double x[5] = {double(ix1), double(ix2), double(ix2), double(ix1), double(ix1)};
    const double y[5] = {double(iy1), double(iy1), double(iy2), double(iy2), double(iy1)};
    const double s1 = side(x[0], y[0], x[1], y[1], px, py);
    iout = 1;
    for (int k = 1; k < 4; ++k) {
        if (s1 * side(x[k], y[k], x[k + 1], y[k + 1], px, py) <= 0.0) return;
    }
    iout = 0;
}

void point2(const double* xy, double px, double py, int n, int& inside) {
    auto vx = [&](int k) { return xy[2 * (k % n)]; };
    auto vy = [&](int k) { return xy[2 * (k % n) + 1]; };
    const double s1 = side(vx(0), vy(0), vx(1), vy(1), px, py);
    inside = 0;
    for (int k = 1; k < n; ++k) {
        if (s1 * side(vx(k), vy(k), vx(k + 1), vy(k + 1), px, py) < 0.0) return;
    }
    inside = 1;
}

//// the click ////

bool wait_release(Arr1<int, 2>& ixy, char& ch) {
    if (!screen_is_open()) return false;
    int kind = 1;
    while (kind != 0) mlocat(kind, ch, ixy);
    return true;
}

void pick_world(const Arr1<int, 2>& ixy, double& x, double& y) {
    x = (ixy(1) - cpicksc.XOFF) / cpicksc.SCALE;
    y = (ixy(2) - cpicksc.YOFF) / cpicksc.SCALE;
}

void pick_percent(const Arr1<int, 2>& ixy, double& px, double& py) {
    px = 100.0 * ixy(1) / wsize.WSIZE;
    py = 100.0 * ixy(2) / wsize.WSIZE;
}

// iscaler is swapped for the picture's scale around the mark: a plot written
// only to a file since then changed it.
void mark_pick(double x, double y, int icol) {
    const Iscaler kept = iscaler;
    iscaler.SCALE = iscaler.XSCALE = iscaler.YSCALE = cpicksc.SCALE;
    iscaler.XOFF = cpicksc.XOFF;
    iscaler.YOFF = cpicksc.YOFF;
    mmark(x, y, 10, icol);
    iscaler = kept;
    screen_flush();
}

//// elements ////

namespace {

// Order of the interior node of an element's slot.
int interior_order(int slot) {
    int node = 0, ord = 0;
    decode(celem.NICK(9, slot), node, ord);
    return ord;
}

// Waits for a click in the mesh: false when there is no window or the click
// holds no element; x, y the world point, nel the element.
bool click_element(double& x, double& y, int& nel) {
    Arr1<int, 2> ixy;
    char ch = 0;
    if (!wait_release(ixy, ch)) return false;
    pick_world(ixy, x, y);
    nel = element_at(x, y);
    return nel != 0;
}

// The selection of vinq01 and of vinq03 after its order.
void select_elements(PickList& list) {
    list.fill(0);
    double x = 0.0, y = 0.0;
    int nel = 0;
    while (click_element(x, y, nel)) {
        bool again = false;
        for (int i = 2; i <= list(1) + 1; ++i) {
            if (list(i) == nel) {
                list(i) = 0;
                again = true;
            }
        }
        if (again) {
            colormap(1);
            mark_pick(x, y, interior_order(slot_of(nel)));
            continue;
        }
        if (list(1) == MAX_PICKS) {
            ffldou(0, MSG_ERROR, " ONLY 50 ELEMENTS CAN BE SELECTED ");
            return;
        }
        list(1) += 1;
        list(list(1) + 1) = nel;
        mark_pick(x, y, 0);
    }
}

}  // namespace

int element_at(double x, double y) {
    // Outline order of the eight boundary nodes: corner, mid-side, corner, ...
    static constexpr int kRound[8] = {1, 5, 2, 6, 3, 7, 4, 8};
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        const int slot = slot_of(nel);
        Arr2<double, 2, 9> xnodl;
        nodcor(nel, xnodl);
        const int n = interior_order(slot) > 0 ? 8 : 4;
        double xy[16];
        for (int k = 0; k < n; ++k) {
            const int j = n == 8 ? kRound[k] : k + 1;
            xy[2 * k] = xnodl(1, j);
            xy[2 * k + 1] = xnodl(2, j);
        }
        int inside = 0;
        point2(xy, x, y, n, inside);
        if (inside == 1) return nel;
    }
    return 0;
}

void vinq01(PickList& list) {
    select_elements(list);
}

void vinq02(int& nel) {
    double x = 0.0, y = 0.0;
    nel = 0;
    if (!click_element(x, y, nel)) return;
    if (nel > cdata.NRELIN) nel = ctree.TREE(1, family_of(nel));
}

void vinq03(PickList& list, int& ichoice) {
    list.fill(0);
    ichoice = 0;
    const int ilayf = cpicksc.ILAYF;
    Arr1<int, 2> ixy;
    char ch = 0;
    while (ichoice == 0) {
        if (!wait_release(ixy, ch)) return;
        double px = 0.0, py = 0.0;
        pick_percent(ixy, px, py);
        for (int i = 1; i <= 8 && ichoice == 0; ++i) {
            int ix1 = 0, iy1 = 0, ix2 = 0, iy2 = 0;
            order_key_box(ilayf, i, ix1, iy1, ix2, iy2);
            int iout = 1;
            point1(ix1, iy1, ix2, iy2, px, py, iout);
            if (iout != 0) continue;
            ichoice = i;
            if (ilayf == 0) {
                mdrbox(ix1 + 4, 23, ix2 - 4, 24, 0);
            } else {
                mdrbox(10, iy1 + 2, 11, iy2 - 2, 0);
            }
            screen_flush();
        }
    }
    select_elements(list);
}

}  // namespace kavren
