// The deformed-mesh drawing of POST DISPLAC.
#include "plot/deform.hpp"

#include <algorithm>
#include <cstdlib>

#include "control/utility.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "plot/field_detail.hpp"
#include "plot/options.hpp"
#include "plot/scales.hpp"
#include "records/deform.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/plot.hpp"
#include "records/window.hpp"

namespace kavren {

void quaind(int iside, int order, const NodePoints& xnodl) {
    Cdefor2& d = cdefor2;
    const bool straight = std::abs(order) <= 1;
    const int count = straight ? 2 : 9;
    const double step = straight ? 2.0 : 0.25;
    for (int i = 1; i <= count; ++i) {
        const double t = (i - 1) * step - 1.0;
        double xi = t, eta = -1.0;
        if (iside == 2) xi = 1.0, eta = t;
        if (iside == 3) xi = -t, eta = 1.0;
        if (iside == 4) xi = -1.0, eta = -t;
        double dx = 0.0, dy = 0.0, x = 0.0, y = 0.0;
        inter1(cdefor.LOC, &d.DOFX(1), xnodl, xi, eta, dx, x, y);
        inter1(cdefor.LOC, &d.DOFY(1), xnodl, xi, eta, dy, x, y);
        if (d.NSIDPT > DEFORM_POINTS) continue;
        d.SIDPT(1, d.NSIDPT) = x;
        d.SIDPT(2, d.NSIDPT) = y;
        d.DEFPT(1, d.NSIDPT) = x + cdefor.SCALE * dx;
        d.DEFPT(2, d.NSIDPT) = y + cdefor.SCALE * dy;
        ++d.NSIDPT;
    }
}

namespace {

// The outline of element nel into SIDPT and DEFPT, points 1..n, closed by
// mpline; xnodl its node points.
int outline(int nel, const double* du, const double* dv, NodePoints& xnodl) {
    Cdefor2& d = cdefor2;
    solelm(nel, d.NDOFUE, cdefor.LOC, &d.DOFX(1), du);
    solelm(nel, d.NDOFUE, cdefor.LOC, &d.DOFY(1), dv);
    nodcor(nel, xnodl);
    int slot = 0;
    findno(nel, slot);
    d.NSIDPT = 1;
    for (int k = 1; k <= 4; ++k) {
        int node = 0, order = 0;
        decode(celem.NICK(4 + k, slot), node, order);
        // Each side starts where the one before ended.
        const int first = d.NSIDPT;
        quaind(k, order, xnodl);
        if (k > 1 && d.NSIDPT > first) {
            for (int i = first; i + 1 < d.NSIDPT; ++i)
                for (int c = 1; c <= 2; ++c) {
                    d.SIDPT(c, i) = d.SIDPT(c, i + 1);
                    d.DEFPT(c, i) = d.DEFPT(c, i + 1);
                }
            --d.NSIDPT;
        }
    }
    // The last point is vertex 1 again: mpline closes the outline.
    return d.NSIDPT - 2;
}

}  // namespace

void graphd(const double* du, const double* dv) {
    if (check_usable_mesh() != 0) return;
    Cdefor& k = cdefor;
    cgraph.ISTRT = 0;
    if (k.IROUT != 100) {
        k.SCALE = 0.019999999552965164;
        k.IMESH = 1;
    }
    double v = 0.0;
    if (number_field(option_field("SCALE"), v)) k.SCALE = v;
    field::select_set();
    if (const int m = option_field("MESH"); m != 0) {
        if (field::word_at(m, "ON")) k.IMESH = 1;
        if (field::word_at(m, "OFF")) k.IMESH = 0;
    }
    k.IROUT = 100;

    double xmin = 1e10, xmax = -1e10, ymin = 1e10, ymax = -1e10;
    auto take = [&](double x, double y) {
        xmin = std::min(xmin, x);
        xmax = std::max(xmax, x);
        ymin = std::min(ymin, y);
        ymax = std::max(ymax, y);
    };
    each_taken([&](int nel) {
        NodePoints xnodl;
        const int n = outline(nel, du, dv, xnodl);
        for (int i = 1; i <= n; ++i) take(cdefor2.DEFPT(1, i), cdefor2.DEFPT(2, i));
        if (k.IMESH == 1)
            for (int i = 1; i <= 9; ++i) take(xnodl(1, i), xnodl(2, i));
    });
    widen_frame(xmin, xmax, cxmin.XMIN, cxmin.XMAX);
    widen_frame(ymin, ymax, cxmin.YMIN, cxmin.YMAX);

    cscale.LAYOUT = 2;
    start1();
    colormap(1);
    mdrtit();
    ctitle.CTITLE = Line80("DISPLACEMENTS");
    claser.NGRAY = 8;
    each_taken([&](int nel) {
        NodePoints xnodl;
        const int n = outline(nel, du, dv, xnodl);
        int icol = 0;
        mpline(n, &cdefor2.DEFPT(1, 1), icol);
    });
    if (k.IMESH == 1)
        each_taken([&](int nel) {
            NodePoints xnodl;
            const int n = outline(nel, du, dv, xnodl);
            int icol = 0;
            mpline(n, &cdefor2.SIDPT(1, 1), icol);
        });
    flegen("D.O.F=", cdata.NRDOF);
    set_legend_line();
    legend();
    endpl();
}

}  // namespace kavren
