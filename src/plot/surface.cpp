// The surface pictures: a quantity as a surface over the mesh, each cell of
// the sampling grid a facet at the height of its four values, drawn back to
// front in parallel projection inside a box of the extents and the value
// range; and the EXECUTE driver's variant, which moves the drawn mesh.
#include <algorithm>
#include <cmath>
#include <string>

#include "control/debug.hpp"
#include "control/messages.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen.hpp"
#include "hpmesh/tree.hpp"
#include "plot/artcoord.hpp"
#include "plot/band.hpp"
#include "plot/field_detail.hpp"
#include "plot/field_plots.hpp"
#include "plot/options.hpp"
#include "plot/scales.hpp"
#include "records/debug.hpp"
#include "records/field.hpp"
#include "records/mesh.hpp"
#include "records/plot.hpp"
#include "records/window.hpp"
#include "support/colsort.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

using field::at;

// One call of a surface picture.
struct Call {
    SurfaceKept* kept = nullptr;
    bool wr = false;  // the EXECUTE driver's picture
    const double* u = nullptr;
    int icolu = 0, icomp = 0;
    bool first = false;
    bool automatic = true;
    bool has_min = false, has_max = false;
    ZooBox zoo;  // ZOO on this record and its window
};

void read_options(Call& c) {
    SurfaceKept& k = *c.kept;
    c.first = k.IROUT != 100;
    if (c.first) {
        k.NSUBEL = 1;
        k.XD = k.YD = k.ZD = 1.0;
        k.FMINL = 1e10;
        k.FMAXL = -1e10;
        k.IRESET = 0;
        k.NFILL = 1;
        k.MULT = 0;
        k.FACT = 1.0;
        k.TG = 0.0;
        k.IART = 0;
    }
    double v = 0.0;
    read_division(k.NSUBEL, MAX_NSUBEL, 1);
    if (const int ipos = option_field("FILL"); ipos != 0) {
        if (field::word_at(ipos, "OFF")) k.NFILL = 0;
        if (field::word_at(ipos, "ON")) k.NFILL = 1;
    }
    if (const int ipos = option_field("EYE"); ipos != 0) {
        double e[3] = {0.0, 0.0, 0.0};
        for (int i = 0; i < 3; ++i) number_field(ipos + i, e[i]);
        k.XD = e[0];
        k.YD = e[1];
        k.ZD = e[2];
    }
    if (k.XD * k.XD + k.YD * k.YD == 0.0) {
        k.XD = k.YD = k.ZD = 1.0;
        ffldou(19, MSG_LIST, "VIEW POINT ADJUSTED");
    }
    if (c.wr && option_field("RD") != 0) write_terminal(fmt::list({"3D picture !!!"}));
    field::select_set();
    if (number_field(option_field("MIN"), v)) {
        k.FMINL = v;
        c.has_min = true;
    }
    if (number_field(option_field("MAX"), v)) {
        k.FMAXL = v;
        c.has_max = true;
    }
    c.automatic = !c.has_min && !c.has_max;
    if (!c.wr) return;
    read_driver_picture(k, c.zoo);
}

//// element points of the EXECUTE driver's picture ////

void stretch(const SurfaceKept& k, double& x, double& y) {
    stretch_across(k.TG, k.FACT, x, y);
}

bool art_on(const Call& c) {
    return c.wr && c.kept->IART == 1;
}

// The 9 points element nel, the n-th taken, is drawn with: its own, or those
// of its rectangle of the picture by level. False when ZOO leaves it out.
bool element_points(const Call& c, int n, NodePoints& p) {
    if (art_on(c) && n <= cartco.NEL0) art_points(n, p);
    return zoo_keeps(c.zoo, p, 1.0000000031710769e-30);
}

//// the picture ////

struct Sampled {
    double x[SAMPLE_LD * SAMPLE_LD], y[SAMPLE_LD * SAMPLE_LD], f[SAMPLE_LD * SAMPLE_LD];
    NodePoints xnodl;
    int n = 0;
};

// The debug stations of the EXECUTE driver's picture.
void station(const Call& c, const char* text, const char* label, int value, int iflag) {
    if (!c.wr || cdbg.IDBGSW(12 + c.kept->IDBG) == 0) return;
    if (text != nullptr) write_terminal(fmt::list({text}));
    dbgprint(1, "MAPC3D", label, &value, nullptr, 1, 1, 1, 1, 1, iflag);
}

void element_station(const Call& c, int nel) {
    if (c.wr && debug_selects(cdbg.IDBGSW(12 + c.kept->IDBG4), nel))
        dbgprint(1, "MAPC3D4", "NEL", &nel, nullptr, 1, 1, 1, 1, 1, 1);
}

// Projection of the picture.
struct Projection {
    double ca = 0, sa = 0, cb = 0, sb = 0;
    double u(double x, double y) const { return y * ca - x * sa; }
    double v(double x, double y, double z) const { return z * cb - (x * ca + y * sa) * sb; }
};

// The 8 corners of the box and their projections.
void box_corners(const Projection& pr, double xl, double xh, double yl, double yh, double zl,
                 double zh, double* x, double* y, double* z, double* u, double* v) {
    static constexpr bool kHighX[4] = {true, true, false, false};
    static constexpr bool kHighY[4] = {false, true, true, false};
    for (int i = 0; i < 8; ++i) {
        x[i] = kHighX[i % 4] ? xh : xl;
        y[i] = kHighY[i % 4] ? yh : yl;
        z[i] = i < 4 ? zl : zh;
        u[i] = pr.u(x[i], y[i]);
        v[i] = pr.v(x[i], y[i], z[i]);
    }
}

void surface(Call& c) {
    if (check_usable_mesh() != 0) return;
    SurfaceKept& k = *c.kept;
    read_options(c);
    if (plot_refused(c.icomp)) return;
    if (c.wr && k.IDBG == 0) {
        int irout = 0;  // the picture counts as run only once it has drawn
        initdbg("MAPC3D", irout, k.IDBG);
        initdbg("MAPC3D4", irout, k.IDBG4);
    }
    station(c, nullptr, "NRELEM", cdata.NRELEM, 1);
    if (art_on(c) && artcoord() != ART_DONE) return;
    station(c, "AFTER ZEROTH LOOP...", "NRELEM", cdata.NRELEM, 1);

    // Range pass.
    Sampled s;
    field::Box box;
    double fmin = 1e10, fmax = -1e10;
    int taken = 0, n = 0;
    each_taken([&](int nel) {
        element_station(c, nel);
        usfnxy(nel, c.u, c.icolu, k.NSUBEL, c.icomp, 0, 0, s.xnodl, s.x, s.y, s.f, SAMPLE_LD, s.n);
        element_station(c, nel);
        NodePoints p = s.xnodl;
        if (!element_points(c, ++n, p)) return;
        ++taken;
        if (c.wr && k.MULT == 1)
            for (int m = 1; m <= 9; ++m) stretch(k, p(1, m), p(2, m));
        box.take(p);
        for (int i = 1; i <= s.n + 1; ++i)
            for (int j = 1; j <= s.n + 1; ++j) {
                fmin = std::min(fmin, at(s.f, i, j));
                fmax = std::max(fmax, at(s.f, i, j));
            }
    });
    station(c, "AFTER FIRST LOOP...", "NRELEM", cdata.NRELEM, 1);
    if (taken == 0) {
        nothing_to_draw();
        return;
    }
    if (option_field("RESET") != 0) k.IRESET = 1;
    if (option_field("NO-RESET") != 0) k.IRESET = 0;
    if (c.automatic && (k.IRESET == 1 || c.first)) {
        k.FMINL = fmin;
        k.FMAXL = fmax;
        k.IRESET = 1;
    } else if (c.first) {
        // A first call with one limit given takes the other from the data.
        if (!c.has_min) k.FMINL = fmin;
        if (!c.has_max) k.FMAXL = fmax;
    }
    k.IROUT = 100;
    field::range_message(35, fmin, fmax);
    cxmin.XMIN = box.xmin;
    cxmin.XMAX = box.xmax;
    cxmin.YMIN = box.ymin;
    cxmin.YMAX = box.ymax;
    if (fmax == fmin) {
        ffldou(15, MSG_LIST, "NOTHING TO DRAW");
        return;
    }

    double xl = 0, xh = 0, yl = 0, yh = 0;
    widen_frame(box.xmin, box.xmax, xl, xh);
    widen_frame(box.ymin, box.ymax, yl, yh);
    xl = static_cast<float>(xl);
    xh = static_cast<float>(xh);
    yl = static_cast<float>(yl);
    yh = static_cast<float>(yh);
    wplotinf.EXT3D(1) = static_cast<float>(xl);
    wplotinf.EXT3D(2) = static_cast<float>(yl);
    wplotinf.EXT3D(3) = static_cast<float>(xh);
    wplotinf.EXT3D(4) = static_cast<float>(yh);
    const double h = std::sqrt(k.XD * k.XD + k.YD * k.YD);
    const double r = std::sqrt(k.ZD * k.ZD + h * h);
    const Projection pr{k.XD / h, k.YD / h, h / r, k.ZD / r};
    const double fac =
        0.699999988079071 * std::max(box.xmax - box.xmin, box.ymax - box.ymin) / (fmax - fmin);
    const double zlo = k.FMINL * fac, zhi = k.FMAXL * fac;
    double bx[8], by[8], bz[8], bu[8], bv[8];
    box_corners(pr, xl, xh, yl, yh, zlo, zhi, bx, by, bz, bu, bv);
    cxmin.XMIN = *std::min_element(bu, bu + 8);
    cxmin.XMAX = *std::max_element(bu, bu + 8);
    cxmin.YMIN = *std::min_element(bv, bv + 8);
    cxmin.YMAX = *std::max_element(bv, bv + 8);

    // Facet pass.
    int m = 0;
    n = 0;
    bool full = false;
    each_taken([&](int nel) {
        if (full) return;
        usfnxy(nel, c.u, c.icolu, k.NSUBEL, c.icomp, 1, 0, s.xnodl, s.x, s.y, s.f, SAMPLE_LD, s.n);
        NodePoints p = s.xnodl;
        if (!element_points(c, ++n, p)) return;
        const int nn = s.n;
        if (art_on(c) && n <= cartco.NEL0)
            for (int i = 1; i <= nn + 1; ++i)
                for (int j = 1; j <= nn + 1; ++j) {
                    at(s.x, i, j) = p(1, 1) + (i - 1) * (p(1, 2) - p(1, 1)) / nn;
                    at(s.y, i, j) = p(2, 1) + (j - 1) * (p(2, 4) - p(2, 1)) / nn;
                }
        for (int i = 1; i <= nn && !full; ++i)
            for (int j = 1; j <= nn; ++j) {
                ++m;
                if (m > MAX_FACETS) {
                    write_terminal(fmt::list({"NO ROOM FOR STORAGE IN MAP3D"}));
                    write_terminal(fmt::list({"TRY WITH SMALLER DIVISION=.."}));
                    full = true;
                    break;
                }
                const int ci[4] = {i, i + 1, i + 1, i}, cj[4] = {j, j, j + 1, j + 1};
                double key = -1e10;
                for (int v = 0; v < 4; ++v) {
                    double x = at(s.x, ci[v], cj[v]), y = at(s.y, ci[v], cj[v]);
                    if (c.wr && k.MULT == 1) stretch(k, x, y);
                    key = std::max(key, k.XD * x + k.YD * y);
                    cworksp.FACET(1 + v, m) = x;
                    cworksp.FACET(5 + v, m) = y;
                    cworksp.FACET(9 + v, m) = at(s.f, ci[v], cj[v]);
                }
                cworksp.SORT(1, m) = -key;
                cworksp.SORT(2, m) = m;
            }
    });
    if (full) return;
    station(c, "AFTER SECOND LOOP...", "KUKU", m, 0);
    gnsort(cworksp.SORT.data(), 2, 1, m);

    cscale.LAYOUT = 2;
    start1();
    if (c.wr) colormap(2);
    mdrtit();
    box_corners(pr, box.xmin, box.xmax, box.ymin, box.ymax, zlo, zhi, bx, by, bz, bu, bv);
    for (int f = 1; f <= 6; ++f) view(-1, f, bx, by, bz, bu, bv, k.XD, k.YD, k.ZD);
    for (int s_ = m; s_ >= 1; --s_) {
        const int f = static_cast<int>(cworksp.SORT(2, s_));
        double uv[8];
        for (int v = 0; v < 4; ++v) {
            const double x = cworksp.FACET(1 + v, f), y = cworksp.FACET(5 + v, f);
            uv[2 * v] = pr.u(x, y);
            uv[2 * v + 1] = pr.v(x, y, cworksp.FACET(9 + v, f) * fac);
        }
        if (k.NFILL == 1) mfill(4, uv, 1);
        for (int v = 0; v < 4; ++v) {
            const int a = (v + 3) % 4, b = v;
            int icol = 0;
            mline(uv[2 * a], uv[2 * a + 1], uv[2 * b], uv[2 * b + 1], icol);
        }
    }
    for (int f = 1; f <= 6; ++f) view(1, f, bx, by, bz, bu, bv, k.XD, k.YD, k.ZD);
    field::range_legend(fmin, fmax);
    endpl();
}

}  // namespace

void mapc3d(const double* u, int icolu, int icomp) {
    Call c;
    c.kept = &cfield.MAPC3D;
    c.u = u;
    c.icolu = icolu;
    c.icomp = icomp;
    surface(c);
}

void mapc3dwr(const double* u, int icolu, int icomp) {
    Call c;
    c.kept = &cfield.MAPC3DWR;
    c.wr = true;
    c.u = u;
    c.icolu = icolu;
    c.icomp = icomp;
    surface(c);
}

}  // namespace kavren
