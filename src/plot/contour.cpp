// The contour maps: a quantity over the mesh cut into bands of equal width,
// each band filled in its colour (or bounded by its contour line), over a
// colour scale; and the same on the mesh displaced by two components.
#include <algorithm>
#include <string>
#include <vector>

#include "control/debug.hpp"
#include "control/extension.hpp"
#include "control/messages.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen.hpp"
#include "graphics/zoom.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "plot/band.hpp"
#include "plot/field_detail.hpp"
#include "plot/field_plots.hpp"
#include "plot/options.hpp"
#include "plot/scales.hpp"
#include "records/control.hpp"
#include "records/field.hpp"
#include "records/mesh.hpp"
#include "records/window.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

using field::at;

constexpr int MAX_DISPLACED_LEVELS = 50;  // bands of the displaced map

// One call of a contour map.
struct Call {
    ContourKept* kept = nullptr;
    bool displaced = false;  // the map on the displaced mesh
    const double* u = nullptr;
    int icolu = 0, icomp = 0;
    const double* du = nullptr;
    const double* dv = nullptr;
    int nlevel = 13;
    bool zoomed = false;
    double zxmin = 0.0, zymin = 0.0, zxmax = 0.0, zymax = 0.0;  // the zoom box
    bool automatic = true;  // limits from the data (no MIN, no MAX)
    bool has_min = false, has_max = false;
    bool noscale = false;
    bool first = false;  // the routine has not run before
};

void say(const Call& c, std::string_view text) {
    if (!c.displaced) write_terminal(fmt::list({text}));
}

void station(const Call& c, std::string_view text) {
    if (!c.displaced) field::station(c.kept->IDBG, "MAPCNC", text, c.icomp);
}

// The options in the order ZOOM, COLOR, MONO, (SCALE,) DIVISION, LEVEL, MIN,
// MAX, GRID (MESH), ELSET, RESET, (NOSCALE); first-call values before them.
void read_options(Call& c) {
    ContourKept& k = *c.kept;
    c.first = k.IROUT != 100;
    if (c.first) {
        k.IFCOL = machine.ICOLOR;
        k.NSUBEL = default_division();
        k.FMINL = 1e10;
        k.FMAXL = -1e10;
        k.IMESH = 0;
        k.IRESET = 0;
        k.IRED = 0;
        k.SCALE = double(0.01f);
    }
    if (option_field("ZOOM") != 0 && !c.first) {
        int iflag = 0;
        getzoom(c.zxmin, c.zymin, c.zxmax, c.zymax, iflag);
        c.zoomed = iflag == 1;
    }
    if (option_field("COLOR") != 0) k.IFCOL = 1;
    if (option_field("MONO") != 0) k.IFCOL = 0;
    double v = 0.0;
    if (c.displaced) {
        if (const int ipos = option_field("SCALE"); ipos != 0) {
            if (number_field(ipos, v))
                k.SCALE *= v;
            else
                k.SCALE = double(0.01f);
        }
    }
    read_division(k.NSUBEL, MAX_NSUBEL, default_division());
    c.nlevel = 13;
    if (number_field(option_field("LEVEL"), v)) {
        const int n = ifix(v);
        const int most = c.displaced ? MAX_DISPLACED_LEVELS : MAX_LEVELS;
        if (n >= 1 && n <= most) c.nlevel = n;
    }
    if (number_field(option_field("MIN"), v)) {
        k.FMINL = v;
        c.has_min = true;
    }
    if (number_field(option_field("MAX"), v)) {
        k.FMAXL = v;
        c.has_max = true;
    }
    c.automatic = !c.has_min && !c.has_max;
    if (const int ipos = option_field(c.displaced ? "MESH" : "GRID"); ipos != 0) {
        if (field::word_at(ipos, "ON")) k.IMESH = 1;
        if (field::word_at(ipos, "OFF")) k.IMESH = 0;
    }
    field::select_set();
    if (option_field("RESET") != 0) {
        c.zoomed = false;
        k.IRESET = 1;
    }
    if (!c.displaced && option_field("NOSCALE") != 0) {
        c.noscale = true;
        write_terminal(fmt::list({"NOSCALE..."}));
    }
}

//// the values of one element ////

// The element's sampling grid: x, y, f(1..n+1, 1..n+1). The displaced map
// samples at the level its generation leaves and places the points on the
// node points moved by SCALE times the displacement (xdef).
struct Sampled {
    double x[SAMPLE_LD * SAMPLE_LD], y[SAMPLE_LD * SAMPLE_LD], f[SAMPLE_LD * SAMPLE_LD];
    NodePoints xnodl, xdef;
    int n = 0;
};

void sample(const Call& c, int nel, int iresmp, Sampled& s) {
    const ContourKept& k = *c.kept;
    if (!c.displaced) {
        usfnxy(nel, c.u, c.icolu, k.NSUBEL, c.icomp, iresmp, k.IRED, s.xnodl, s.x, s.y, s.f,
               SAMPLE_LD, s.n);
        return;
    }
    const int level = std::max(k.NSUBEL - field::generation(nel), 0);
    usfnxy(nel, c.u, c.icolu, level, c.icomp, iresmp, 0, s.xnodl, s.x, s.y, s.f, SAMPLE_LD, s.n);
    int ndofe = 0;
    Arr1<int, 9> ndofl;
    double ue[MAX_ELFUN], ve[MAX_ELFUN];
    solelm(nel, ndofe, ndofl, ue, c.du);
    solelm(nel, ndofe, ndofl, ve, c.dv);
    double dmax = 0.0;
    displa(dmax, k.SCALE, ndofl, s.xnodl, s.xdef, ue, ve);
    if (iresmp == 0) return;
    const double h = static_cast<double>(2.0f / static_cast<float>(s.n));
    for (int i = 1; i <= s.n + 1; ++i)
        for (int j = 1; j <= s.n + 1; ++j)
            cordin(s.xdef, (i - 1) * h - 1.0, (j - 1) * h - 1.0, at(s.x, i, j), at(s.y, i, j));
}

//// range pass ////

// Extents and value range over the taken elements; false when none is taken.
bool range_pass(Call& c, field::Box& box, Sampled& s) {
    ContourKept& k = *c.kept;
    if (!c.displaced && c.icomp > 100) {
        const double r =
            userfn(USERFN_PROBE, 0, 0.0, 0.0, 0.0, 0.0, nullptr, nullptr, nullptr, c.icomp);
        userfn(USERFN_PROBE, 0, 0.0, 0.0, 0.0, 0.0, nullptr, nullptr, nullptr, c.icomp);
        k.IRED = ifix(r);
    }
    double fmin = 1e10, fmax = -1e10;
    int taken = 0;
    each_taken([&](int nel) {
        ++taken;
        sample(c, nel, 0, s);
        box.take(s.xnodl);
        if (c.displaced) box.take(s.xdef);
        for (int i = 1; i <= s.n + 1; ++i)
            for (int j = 1; j <= s.n + 1; ++j) {
                fmin = std::min(fmin, at(s.f, i, j));
                fmax = std::max(fmax, at(s.f, i, j));
            }
    });
    if (taken == 0) return false;
    k.FMIN = fmin;
    k.FMAX = fmax;
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
    return true;
}

// A zoomed call draws the elements with a node point inside the frame.
bool in_frame(int nel) {
    NodePoints p;
    nodcor(nel, p);
    return inwind(cxmin.XMIN, cxmin.XMAX, cxmin.YMIN, cxmin.YMAX, p);
}

//// drawing pass ////

void draw_element(const Call& c, int nel, const double* lev, Sampled& s) {
    const ContourKept& k = *c.kept;
    Arr1<int, 8> neig;
    neigbr(nel, neig);
    sample(c, nel, 1, s);
    const int n = s.n;
    double pxy[2 * 12], seg[4 * 4];
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            const int ci[4] = {i, i + 1, i + 1, i}, cj[4] = {j, j, j + 1, j + 1};
            double x4[4], y4[4], f4[4];
            for (int v = 0; v < 4; ++v) {
                x4[v] = at(s.x, ci[v], cj[v]);
                y4[v] = at(s.y, ci[v], cj[v]);
                f4[v] = at(s.f, ci[v], cj[v]);
            }
            int np = 0, nseg = 0;
            for (int l = 1; l <= c.nlevel; ++l) {
                quadr1(x4, y4, f4, lev[l - 1], lev[l], np, pxy, nseg, seg);
                if (k.IFCOL == 1) {
                    if (np > 0) band_colour(l, c.nlevel, [&](int col) { mfill(np, pxy, col); });
                } else {
                    for (int t = 0; t < nseg; ++t) {
                        int icol = 0;
                        mline(seg[4 * t], seg[4 * t + 1], seg[4 * t + 2], seg[4 * t + 3], icol);
                    }
                }
            }
            if (!c.displaced) {
                // Values above the upper limit take the colour of the top band.
                quadr1(x4, y4, f4, lev[c.nlevel - 1], k.FMAX, np, pxy, nseg, seg);
                if (k.IFCOL == 1 && np > 0)
                    band_colour(c.nlevel, c.nlevel, [&](int col) { mfill(np, pxy, col); });
            }
            // Cell sides on the element boundary: i = 1 (side 4), i = n (side 2),
            // j = 1 (side 1), j = n (side 3).
            auto side = [&](bool on, int a, int b, int s_) {
                if (!on || !(k.IMESH == 1 || neig(s_) == 0)) return;
                int icol = 0;
                mline(x4[a], y4[a], x4[b], y4[b], icol);
            };
            side(i == 1, 0, 3, 4);
            side(i == n, 1, 2, 2);
            side(j == 1, 0, 1, 1);
            side(j == n, 3, 2, 3);
        }
}

//// the map ////

void contour_map(Call& c) {
    if (check_usable_mesh() != 0) return;
    ContourKept& k = *c.kept;
    read_options(c);
    if (plot_refused(c.icomp)) return;
    if (!c.displaced && k.IDBG == 0) {
        int registered = 0;  // the map counts as run only once it has drawn
        initdbg("MAPCNC", registered, k.IDBG);
    }
    station(c, "MAPCNC 1...");

    Sampled s;
    field::Box box;
    if (!c.zoomed) {
        if (!range_pass(c, box, s)) {
            nothing_to_draw();
            return;
        }
        station(c, "MAPCNC 2...");
    }
    k.IROUT = 100;
    field::range_message(0, k.FMIN, k.FMAX);
    say(c, "MAPCNC 1...");

    if (c.zoomed) {
        widen_frame(c.zxmin, c.zxmax, cxmin.XMIN, cxmin.XMAX);
        widen_frame(c.zymin, c.zymax, cxmin.YMIN, cxmin.YMAX);
        int taken = 0;
        each_taken([&](int nel) {
            if (c.displaced || in_frame(nel)) ++taken;
        });
        if (taken == 0) {
            nothing_to_draw();
            return;
        }
    } else {
        widen_frame(box.xmin, box.xmax, cxmin.XMIN, cxmin.XMAX);
        widen_frame(box.ymin, box.ymax, cxmin.YMIN, cxmin.YMAX);
    }

    if (c.automatic) opscal(k.FMINL, k.FMAXL, c.nlevel);
    c.nlevel = std::clamp(c.nlevel, 1, LEVEL_TABLE - 1);
    double lev[LEVEL_TABLE];
    for (int i = 1; i <= c.nlevel + 1; ++i)
        lev[i - 1] = k.FMINL + (i - 1) * (k.FMAXL - k.FMINL) / c.nlevel;
    station(c, "MAPCNC 3...");
    say(c, "MAPCNC 3...");

    cscale.LAYOUT = 1;
    start1();
    claser.IROT = 1;
    colormap(2);
    station(c, "MAPCNC 4...");
    say(c, "MAPCNC 4...");
    claser.NGRAY = c.nlevel;
    if (c.displaced) {
        mdrsca(lev, c.nlevel, k.IFCOL);
        mdrtit();
    } else {
        mdrtit();
        say(c, "MAPCNC 41...");
        write_terminal(fmt::list({"NLEVEL=", c.nlevel}));
        std::vector<fmt::Item> fn{"FN="};
        for (int i = 1; i <= c.nlevel + 1; ++i) fn.emplace_back(lev[i - 1]);
        write_terminal(fmt::list(fn));
        if (!c.noscale) mdrsca(lev, c.nlevel, k.IFCOL);
        say(c, "MAPCNC 42...");
    }
    clipon();
    station(c, "MAPCNC 5...");
    say(c, "MAPCNC 5...");

    each_taken([&](int nel) {
        if (c.zoomed && !c.displaced && !in_frame(nel)) return;
        draw_element(c, nel, lev, s);
    });
    station(c, "MAPCNC 6...");
    say(c, "MAPCNC 6...");

    clipoff();
    field::range_legend(k.FMIN, k.FMAX);
    station(c, "MAPCNC 7...");
    say(c, "MAPCNC 7...");
    endpl();
}

}  // namespace

void mapcnc(const double* u, int icolu, int icomp) {
    Call c;
    c.kept = &cfield.MAPCNC;
    c.u = u;
    c.icolu = icolu;
    c.icomp = icomp;
    contour_map(c);
}

void mapcsd(const double* u, int icolu, int icomp, const double* du, const double* dv) {
    Call c;
    c.kept = &cfield.MAPCSD;
    c.displaced = true;
    c.u = u;
    c.icolu = icolu;
    c.icomp = icomp;
    c.du = du;
    c.dv = dv;
    contour_map(c);
}

}  // namespace kavren
