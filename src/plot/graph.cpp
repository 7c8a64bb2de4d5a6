// The mesh drawings of the MESH levels: every element outlined, its sides and
// interior filled in the colours of their orders, with element or node
// numbers and the contour lines of one quantity laid over it.
#include "plot/graph.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "control/extension.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "control/utility.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen.hpp"
#include "graphics/zoom.hpp"
#include "hpmesh/geometry.hpp"
#include "plot/artcoord.hpp"
#include "plot/band.hpp"
#include "plot/options.hpp"
#include "plot/sample.hpp"
#include "plot/scales.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/plot.hpp"
#include "records/window.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

// One call of a mesh drawing.
struct Call {
    bool wr = false;  // the EXECUTE driver's drawing
    GraphKept* kept = nullptr;
    int inode = 0, ielem = 0;
    double* u = nullptr;
    int icolu = 0;
    int nlevel = 13;
    ZooBox zoo;  // ZOO on this record
};

// The options of the record, in the order ZOOM, DIVISION, LEVEL, RESET, and
// for the EXECUTE driver's drawing YMULT, TG, ART, NOART, ZOO.
void read_options(Call& c, int& icomp) {
    GraphKept& k = *c.kept;
    if (k.IROUT != 100) {
        k.IZOOM = 0;
        k.NSUBEL = default_division();
        k.MULT = 0;
        k.FACT = 1.0;
        k.TG = 0.0;
        k.IART = 0;
        k.IRED = 0;
    }
    double v = 0.0;
    if (option_field("ZOOM") != 0 && k.IROUT == 100) {
        // An unreadable window keeps the last box and still zooms.
        int iflag = 0;
        getzoom(k.XMINL, k.YMINL, k.XMAXL, k.YMAXL, iflag);
        k.IZOOM = 1;
    }
    read_division(k.NSUBEL, MAX_NSUBEL, default_division());
    c.nlevel = 13;
    if (number_field(option_field("LEVEL"), v)) {
        const int n = ifix(v);
        if (n >= 1 && n <= MAX_LEVELS) c.nlevel = n;
    }
    if (option_field("RESET") != 0) {
        k.IZOOM = 0;
        icomp = 0;
    }
    if (!c.wr) return;
    read_driver_picture(k, c.zoo);
}

//// element points ////

void stretch(const GraphKept& k, double& x, double& y) {
    stretch_across(k.TG, k.FACT, x, y);
}

bool art_on(const Call& c) {
    return c.wr && c.kept->IART == 1;
}

// The points element nel, the n-th taken, is drawn with: its node points, or
// its rectangle of the picture by level; false when ZOO leaves it out. The
// stretch is applied last.
bool element_points(const Call& c, int nel, int n, NodePoints& p) {
    if (art_on(c) && n <= cartco.NEL0)
        art_points(n, p);
    else
        nodcor(nel, p);
    if (!zoo_keeps(c.zoo, p)) return false;
    if (c.wr && c.kept->MULT == 1)
        for (int k = 1; k <= 9; ++k) stretch(*c.kept, p(1, k), p(2, k));
    return true;
}

// The grid of a sampled element moved as its points are: through the
// rectangle of the picture by level, then the stretch.
void move_grid(const Call& c, const NodePoints& moved, int n, double* x, double* y) {
    const bool art = art_on(c), mult = c.wr && c.kept->MULT == 1;
    if (!art && !mult) return;
    const double h = static_cast<double>(2.0f / static_cast<float>(n));
    for (int i = 1; i <= n + 1; ++i)
        for (int j = 1; j <= n + 1; ++j) {
            double& px = x[(i - 1) + (j - 1) * SAMPLE_LD];
            double& py = y[(i - 1) + (j - 1) * SAMPLE_LD];
            if (art) {
                // The moved points are already stretched.
                cordin(moved, (i - 1) * h - 1.0, (j - 1) * h - 1.0, px, py);
            } else {
                stretch(*c.kept, px, py);
            }
        }
}

int order_colour(int nord) {
    return std::max(std::abs(nord), 1);
}

//// the drawing of one element ////

struct Sampled {
    double x[SAMPLE_LD * SAMPLE_LD], y[SAMPLE_LD * SAMPLE_LD], f[SAMPLE_LD * SAMPLE_LD];
};

void draw_element(const Call& c, int nel, const NodePoints& p, int icomp, const double* lev,
                  Sampled& s) {
    int slot = 0;
    findno(nel, slot);
    int nod[10], nord[10];
    for (int k = 1; k <= 9; ++k) decode(celem.NICK(k, slot), nod[k], nord[k]);
    double q[4][2];
    static constexpr double kQ[4][2] = {{-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5}, {-0.5, 0.5}};
    for (int k = 0; k < 4; ++k) cordin(p, kQ[k][0], kQ[k][1], q[k][0], q[k][1]);
    bool uniform = true;
    if (machine.ICOLOR == 1)
        for (int k = 6; k <= 9; ++k)
            if (std::abs(nord[k]) != std::abs(nord[5])) uniform = false;

    double out[2 * 34], poly[2 * 12], side[2 * 10], lin[2 * 10];
    int nout = 1;
    out[0] = p(1, 1);
    out[1] = p(2, 1);
    for (int k = 1; k <= 4; ++k) {
        const int next = k % 4 + 1;
        int npoly = 0;
        if (order_colour(nord[4 + k]) == 1) {
            poly[0] = p(1, k), poly[1] = p(2, k), poly[2] = p(1, next), poly[3] = p(2, next);
            npoly = 2;
            out[2 * nout] = p(1, next), out[2 * nout + 1] = p(2, next);
            ++nout;
        } else {
            int npt = 0, nlin = 1;
            quaint(k, p, npt, nlin, 1.0, side, lin);
            for (int i = 0; i < npt; ++i) {
                poly[2 * i] = side[2 * i], poly[2 * i + 1] = side[2 * i + 1];
                if (i > 0) {
                    out[2 * nout] = side[2 * i], out[2 * nout + 1] = side[2 * i + 1];
                    ++nout;
                }
            }
            npoly = npt;
        }
        poly[2 * npoly] = q[next - 1][0], poly[2 * npoly + 1] = q[next - 1][1];
        poly[2 * npoly + 2] = q[k - 1][0], poly[2 * npoly + 3] = q[k - 1][1];
        if (!uniform) mfill(npoly + 2, poly, order_colour(nord[4 + k]));
    }
    out[2 * (nout - 1)] = p(1, 1);
    out[2 * (nout - 1) + 1] = p(2, 1);
    if (uniform && machine.ICOLOR == 1) mfill(nout - 1, out, order_colour(nord[5]));
    int icol = 0;
    mpline(nout, out, icol);
    if (!uniform) {
        const double inner[8] = {q[0][0], q[0][1], q[1][0], q[1][1],
                                 q[2][0], q[2][1], q[3][0], q[3][1]};
        mfill(4, inner, order_colour(nord[9]));
    }
    if (icomp == 0) return;

    NodePoints own;
    int n = 0;
    usfnxy(nel, c.u, c.icolu, c.kept->NSUBEL, icomp, 1, c.kept->IRED, own, s.x, s.y, s.f, SAMPLE_LD,
           n);
    move_grid(c, p, n, s.x, s.y);
    auto at = [](const double* a, int i, int j) { return a[(i - 1) + (j - 1) * SAMPLE_LD]; };
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            const int ci[4] = {i, i + 1, i + 1, i}, cj[4] = {j, j, j + 1, j + 1};
            double cx[4], cy[4], cf[4];
            for (int m = 1; m <= c.nlevel; ++m) {
                for (int v = 0; v < 4; ++v) {
                    cx[v] = at(s.x, ci[v], cj[v]);
                    cy[v] = at(s.y, ci[v], cj[v]);
                    cf[v] = at(s.f, ci[v], cj[v]);
                }
                int np = 0, nseg = 0;
                double pxy[2 * 12], seg[4 * 4];
                quadr1(cx, cy, cf, lev[m - 1], lev[m], np, pxy, nseg, seg);
                for (int t = 0; t < nseg; ++t) {
                    int lc = 0;
                    mline(seg[4 * t], seg[4 * t + 1], seg[4 * t + 2], seg[4 * t + 3], lc);
                }
            }
        }
}

// Element or node numbers, and on a monochrome display the interior orders.
void draw_numbers(const Call& c) {
    mfont(1);
    int n = 0;
    each_taken([&](int nel) {
        NodePoints p;
        if (!element_points(c, nel, ++n, p)) return;
        int slot = 0;
        findno(nel, slot);
        int nod[10], nord[10];
        for (int k = 1; k <= 9; ++k) decode(celem.NICK(k, slot), nod[k], nord[k]);
        mtcolor(0, 1);
        if (machine.ICOLOR != 1 && c.ielem == 0) {
            mmovet(p(1, 9), p(2, 9));
            mnum(order_colour(nord[9]));
        }
        if (c.ielem == 1) {
            mmovet(p(1, 9), p(2, 9));
            mnum(nel);
        }
        if (c.inode == 1)
            for (int k = 1; k <= 9; ++k)
                if (nord[k] > 0) {
                    mmovet(p(1, k), p(2, k));
                    mnum(nod[k]);
                }
    });
}

//// the drawing ////

void mesh_drawing(Call& c, int& icomp) {
    if (check_usable_mesh() != 0) return;
    GraphKept& k = *c.kept;
    cgraph.ISTRT = 1;
    read_options(c, icomp);
    if (plot_refused(icomp)) return;
    if (art_on(c) && artcoord() != ART_DONE) return;

    if (icomp > 100 && k.IZOOM == 0) {
        const double r =
            userfn(USERFN_PROBE, 0, 0.0, 0.0, 0.0, 0.0, nullptr, nullptr, nullptr, icomp);
        userfn(USERFN_PROBE, 0, 0.0, 0.0, 0.0, 0.0, nullptr, nullptr, nullptr, icomp);
        k.IRED = ifix(r);
    }
    Sampled s;
    int taken = 0;
    if (k.IZOOM == 0) {
        k.XMINL = k.YMINL = 1e10;
        k.XMAXL = k.YMAXL = -1e10;
        k.FMIN = 1e10;
        k.FMAX = -1e10;
        int n = 0;
        each_taken([&](int nel) {
            NodePoints p;
            if (!element_points(c, nel, ++n, p)) return;
            ++taken;
            if (icomp != 0) {
                NodePoints own;
                int ns = 0;
                usfnxy(nel, c.u, c.icolu, k.NSUBEL, icomp, 0, k.IRED, own, s.x, s.y, s.f, SAMPLE_LD,
                       ns);
                for (int j = 1; j <= ns + 1; ++j)
                    for (int i = 1; i <= ns + 1; ++i) {
                        const double f = s.f[(i - 1) + (j - 1) * SAMPLE_LD];
                        k.FMIN = std::min(k.FMIN, f);
                        k.FMAX = std::max(k.FMAX, f);
                    }
            }
            for (int m = 1; m <= 9; ++m) {
                k.XMINL = std::min(k.XMINL, p(1, m));
                k.XMAXL = std::max(k.XMAXL, p(1, m));
                k.YMINL = std::min(k.YMINL, p(2, m));
                k.YMAXL = std::max(k.YMAXL, p(2, m));
            }
        });
    }
    k.IROUT = 100;
    if (k.IZOOM == 0 && taken == 0) {
        nothing_to_draw();
        return;
    }
    double fxmin, fxmax, fymin, fymax;
    widen_frame(k.XMINL, k.XMAXL, fxmin, fxmax);
    widen_frame(k.YMINL, k.YMAXL, fymin, fymax);
    if (k.IZOOM == 1) {
        int n = 0;
        taken = 0;
        each_taken([&](int nel) {
            NodePoints p;
            if (element_points(c, nel, ++n, p) && inwind(fxmin, fxmax, fymin, fymax, p)) ++taken;
        });
        if (taken == 0) {
            nothing_to_draw();
            return;
        }
    }

    double lev[LEVEL_TABLE];
    if (icomp != 0) {
        double fmin = k.FMIN, fmax = k.FMAX;
        if (!(fmin <= fmax)) fmin = fmax = 0.0;
        widen_range(fmin, fmax);
        opscal(fmin, fmax, c.nlevel);
        c.nlevel = std::clamp(c.nlevel, 1, LEVEL_TABLE - 1);
        const double step = (fmax - fmin) / c.nlevel;
        for (int i = 1; i <= c.nlevel + 1; ++i) lev[i - 1] = fmin + (i - 1) * step;
    }

    cxmin.XMIN = fxmin;
    cxmin.XMAX = fxmax;
    cxmin.YMIN = fymin;
    cxmin.YMAX = fymax;
    cscale.LAYOUT = 0;
    start1();
    colormap(1);
    claser.NGRAY = 8;
    gdrsca();
    ctitle.CTITLE = Line80("MESH");
    mdrtit();
    clipon();
    int n = 0;
    each_taken([&](int nel) {
        NodePoints p;
        if (!element_points(c, nel, ++n, p)) return;
        if (k.IZOOM == 1 && !inwind(cxmin.XMIN, cxmin.XMAX, cxmin.YMIN, cxmin.YMAX, p)) return;
        draw_element(c, nel, p, icomp, lev, s);
    });
    if (c.ielem != 0 || c.inode != 0 || machine.ICOLOR != 1) draw_numbers(c);
    clipoff();
    flegen("D.O.F=", cdata.NRDOF);
    set_legend_line();
    legend();
    endpl();
}

}  // namespace

void graph(int /*idum*/, int inode, int ielem, double* u, int icolu, int& icomp) {
    Call c;
    c.kept = &cgrafs.GRAPH;
    c.inode = inode;
    c.ielem = ielem;
    c.u = u;
    c.icolu = icolu;
    mesh_drawing(c, icomp);
}

void graphwr(int /*idum*/, int inode, int ielem, double* u, int icolu, int& icomp) {
    Call c;
    c.wr = true;
    c.kept = &cgrafs.GRAPHWR;
    c.inode = inode;
    c.ielem = ielem;
    c.u = u;
    c.icolu = icolu;
    mesh_drawing(c, icomp);
}

}  // namespace kavren
