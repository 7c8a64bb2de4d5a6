// Element node coordinates and curved sides.
#include "hpmesh/geometry.hpp"

#include <cmath>
#include <string>

#include "control/messages.hpp"
#include "control/utility.hpp"
#include "hpmesh/mesh_debug.hpp"
#include "hpmesh/spline.hpp"
#include "hpmesh/tree.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"

namespace kavren {

namespace {

DebugSwitch nodcor_debug("NODCOR");

// Single-precision constants of the curve placement, carried in double.
constexpr double PI_SP = 3.1415927410125732;
constexpr double EPS_SP = 9.999999974752427e-7;

// Node at local position k of element nel, 0 for none or a constrained entry.
int local_node(int nel, int k) {
    int slot = 0;
    findno(nel, slot);
    return node_of(celem.NICK(k, slot));
}

void put(Arr2<double, 2, 9>& xnodl, int k, const Arr1<double, 2>& x) {
    xnodl(1, k) = x(1);
    xnodl(2, k) = x(2);
}

}  // namespace

void hanoco(int n1, int n2, int n3, double t, Arr1<double, 2>& x) {
    for (int c = 1; c <= 2; ++c) {
        const double p = cnode.XNOD(c, n1), r = cnode.XNOD(c, n3);
        if (n2 != 0) {
            const double q = cnode.XNOD(c, n2);
            x(c) = q + t * (r - p) / 2.0 + t * t * ((p + r) / 2.0 - q);
        } else {
            x(c) = (t * (r - p) + p + r) / 2.0;
        }
    }
}

// A hanging vertex lies in the middle of the larger neighbour's side, across
// side k or across side k-1; it and the wall's mid-side position are placed on
// the parabola through that side's three nodes.
void nodcor(int nel, Arr2<double, 2, 9>& xnodl) {
    xnodl.fill(0.0);
    Arr1<int, 8> neig;
    neigbr(nel, neig);
    int slot = 0;
    findno(nel, slot);
    Arr1<int, 9> nod, ord;
    for (int k = 1; k <= 9; ++k) decode(celem.NICK(k, slot), nod(k), ord(k));

    Arr1<bool, 4> done;
    Arr1<double, 2> x;
    for (int k = 1; k <= 4; ++k) {
        const int kp = k % 4 + 1;
        const int km = (k + 2) % 4 + 1;
        if (ord(k) == 1) {
            xnodl(1, k) = cnode.XNOD(1, nod(k));
            xnodl(2, k) = cnode.XNOD(2, nod(k));
            continue;
        }
        if (ord(k) != -1) continue;
        const int b = neig(k);
        bool on_side_k = false;
        if (b != 0) {
            int l = (k + 1) % 4 + 1, lp = l % 4 + 1, bslot = 0;
            findno(b, bslot);
            on_side_k = node_of(celem.NICK(l, bslot)) == nod(kp) && celem.NICK(lp, bslot) > 0;
        }
        if (on_side_k) {
            int l = (k + 1) % 4 + 1, lp = l % 4 + 1;
            const int p = local_node(b, lp), r = local_node(b, l);
            const int q = local_node(b, l + 4);
            hanoco(p, q, r, 0.0, x);
            put(xnodl, k, x);
            hanoco(p, q, r, 0.5, x);
            put(xnodl, k + 4, x);
            done(k) = true;
        } else {
            const int bb = neig(km);
            if (bb == 0)
                mesh_fatal("NODCOR", "ERROR IN NODCOR! HANGING VERTEX WITHOUT A LARGER NEIGHBOUR");
            int l = k % 4 + 1, lp = l % 4 + 1;
            const int p = local_node(bb, l), r = local_node(bb, lp);
            const int q = local_node(bb, l + 4);
            hanoco(p, q, r, 0.0, x);
            put(xnodl, k, x);
            hanoco(p, q, r, 0.5, x);
            put(xnodl, km + 4, x);
            done(km) = true;
        }
    }
    for (int k = 1; k <= 4; ++k) {
        if (done(k)) continue;
        const int kp = k % 4 + 1;
        for (int c = 1; c <= 2; ++c)
            xnodl(c, k + 4) =
                ord(k + 4) > 0 ? cnode.XNOD(c, nod(k + 4)) : 0.5 * (xnodl(c, k) + xnodl(c, kp));
    }
    for (int c = 1; c <= 2; ++c) {
        if (ord(9) > 0) {
            xnodl(c, 9) = cnode.XNOD(c, nod(9));
        } else {
            double s = 0.0;
            for (int k = 1; k <= 8; ++k) s += xnodl(c, k);
            xnodl(c, 9) = s / 8.0;
        }
    }
    if (nodcor_debug.on(nel)) {
        dbg_ints("NODCOR", "LORDER", ord.data(), 9);
        dbg_block("NODCOR", "XNODL", xnodl.data(), 2, 2, 9);
    }
}

//// curved sides ////

namespace {

// Parametric angle of a point of the ellipse (a, b) about (xc, yc), the point
// already turned back by the ellipse's rotation.
double ellipse_angle(double xp, double yp, double a, double b, double xc, double yc) {
    if (std::fabs(xp - xc) < EPS_SP) return yp > yc ? PI_SP / 2.0 : -PI_SP / 2.0;
    if (yp == yc) return xp > xc ? 0.0 : PI_SP;
    double t = std::atan(std::fabs((yp - yc) * a / b / (xp - xc)));
    if (yp > yc && xp < xc) return PI_SP - t;
    if (yp < yc && xp < xc) return t - PI_SP;
    if (yp < yc && xp > xc) return -t;
    return t;
}

// The new node on spline curve c: the curve point at the mean of the
// parameters of the two end nodes. A record whose set-up fails (only a damaged
// one can) gives the chord midpoint after one warning line.
void spline_point(int c, int n1, int n2, int nnew) {
    const int ip = cgeomtyp.IPGEOM(c), n = cgeomtyp.NPGEOM(c);
    const double x1p = cnode.XNOD(1, n1), y1p = cnode.XNOD(2, n1);
    const double x2p = cnode.XNOD(1, n2), y2p = cnode.XNOD(2, n2);
    SplineColumns pts, coef;
    int status = -1, kord = 0;
    double tlen = 0.0;
    if (n >= 2 && n <= MAXSPLUSE && ip >= 1 && ip + 2 * n <= MAXGEOM) {
        for (int i = 1; i <= n; ++i) {
            pts(i) = cgeomtyp.GEOM(ip + 2 * i - 1);
            pts(MAXSPLPT + i) = cgeomtyp.GEOM(ip + 2 * i);
        }
        kord = static_cast<int>(cgeomtyp.GEOM(ip));
        status = prepare(n, kord, tlen, pts, coef);
    }
    if (status != 0) {
        write_terminal(" *** SPLINE CURVE " + std::to_string(c) +
                       " CANNOT BE SET UP: THE NEW NODE IS PUT ON THE CHORD");
        cnode.XNOD(1, nnew) = 0.5 * (x1p + x2p);
        cnode.XNOD(2, nnew) = 0.5 * (y1p + y2p);
        return;
    }
    int ia = 0, ib = 0;
    fspoint(n, pts, x1p, y1p, x2p, y2p, ia, ib);
    const double t1 = pspline(n, kord, ia, pts, x1p, y1p, coef);
    const double t2 = pspline(n, kord, ib, pts, x2p, y2p, coef);
    double x = 0.0, y = 0.0;
    bspline(n, kord, 0.5 * (t1 + t2), x, y, coef);
    cnode.XNOD(1, nnew) = x;
    cnode.XNOD(2, nnew) = y;
}

}  // namespace

void gcoord(int n1, int n2, int nnew) {
    const int code = cgeomtyp.IBCURV(cside.KIND);
    const int curve = code / 100, type = code % 100;
    if (type == 1) {
        const int ip = cgeomtyp.IPGEOM(curve);
        const double a = cgeomtyp.GEOM(ip), b = cgeomtyp.GEOM(ip + 1);
        const double xc = cgeomtyp.GEOM(ip + 2), yc = cgeomtyp.GEOM(ip + 3);
        const double rot = cgeomtyp.GEOM(ip + 4);
        const double cr = std::cos(rot), sr = std::sin(rot);
        double t[2];
        const int ends[2] = {n1, n2};
        for (int e = 0; e < 2; ++e) {
            const double x = cnode.XNOD(1, ends[e]), y = cnode.XNOD(2, ends[e]);
            const double xp = xc + cr * (x - xc) + sr * (y - yc);
            double yp = yc - sr * (x - xc) + cr * (y - yc);
            if (std::fabs(yp - yc) < EPS_SP) yp = yc;
            t[e] = ellipse_angle(xp, yp, a, b, xc, yc);
        }
        // The mean angle, moved by half a turn when the two lie more than half
        // a turn apart, so that the new point is on the shorter arc.
        double tm = 0.5 * (t[0] + t[1]);
        if (std::fabs(t[0] - t[1]) > PI_SP) tm += PI_SP;
        cnode.XNOD(1, nnew) = xc + cr * a * std::cos(tm) - sr * b * std::sin(tm);
        cnode.XNOD(2, nnew) = yc + sr * a * std::cos(tm) + cr * b * std::sin(tm);
    } else if (type == 2) {
        spline_point(curve, n1, n2, nnew);
    }
}

double funsh2(int k, double xi, double eta) {
    auto l1 = [](double s) { return s * (s - 1.0) / 2.0; };
    auto l2 = [](double s) { return s * (s + 1.0) / 2.0; };
    auto l0 = [](double s) { return 1.0 - s * s; };
    switch (k) {
        case 1:
            return l1(xi) * l1(eta);
        case 2:
            return l2(xi) * l1(eta);
        case 3:
            return l2(xi) * l2(eta);
        case 4:
            return l1(xi) * l2(eta);
        case 5:
            return l0(xi) * l1(eta);
        case 6:
            return l2(xi) * l0(eta);
        case 7:
            return l0(xi) * l2(eta);
        case 8:
            return l1(xi) * l0(eta);
        case 9:
            return l0(xi) * l0(eta);
        default:
            return 0.0;
    }
}

// Son k holds the father's vertex k; the centre is son 1's vertex 3, the
// father's side-k middle is son k's vertex k+1 (or the midpoint of the
// father's vertices k and k+1 when that vertex hangs).
void reproj(int s1, int s2, int s3, int s4) {
    const int slots[5] = {0, s1, s2, s3, s4};
    auto nick = [&](int son, int k) { return celem.NICK(k, slots[son]); };
    auto xy = [](int node, int c) { return cnode.XNOD(c, node); };
    double mid[5][3] = {};
    double centre[3] = {};
    for (int k = 1; k <= 4; ++k) {
        const int kp = k % 4 + 1;
        const int m = node_of(nick(k, kp));
        for (int c = 1; c <= 2; ++c) {
            mid[k][c] = nick(k, kp) > 0
                            ? xy(m, c)
                            : 0.5 * (xy(node_of(nick(k, k)), c) + xy(node_of(nick(kp, kp)), c));
            centre[c] += 0.25 * mid[k][c];
        }
    }
    const int cnode_id = node_of(nick(1, 3));
    for (int c = 1; c <= 2; ++c) cnode.XNOD(c, cnode_id) = centre[c];
    for (int k = 1; k <= 4; ++k) {
        const int kp = k % 4 + 1;
        const int interior = node_of(nick(k, 9));
        const int inner_mid = node_of(nick(k, kp + 4));
        const int vk = node_of(nick(k, k));
        for (int c = 1; c <= 2; ++c) {
            if (nick(k, 9) > 0) cnode.XNOD(c, interior) = 0.5 * (xy(vk, c) + centre[c]);
            if (nick(k, kp + 4) > 0) cnode.XNOD(c, inner_mid) = 0.5 * (mid[k][c] + centre[c]);
        }
    }
}

}  // namespace kavren
