// The error map of the EXECUTE driver: the exact errors of the last ERREST,
// element by element, as colour bands.
#include "plot/errmap.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "control/messages.hpp"
#include "control/reader.hpp"
#include "control/utility.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "plot/artcoord.hpp"
#include "plot/band.hpp"
#include "plot/options.hpp"
#include "plot/scales.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "records/plot.hpp"
#include "records/window.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

//// what the maps of element values share ////

int error_band(double e, const double* lev, int n) {
    if (e >= lev[n]) return n;
    for (int m = 1; m <= n; ++m)
        if (lev[m - 1] <= e && e < lev[m]) return m;
    return 1;
}

int element_outline(const NodePoints& p, const int* nord, double* poly) {
    poly[0] = p(1, 1);
    poly[1] = p(2, 1);
    int k = 2;  // the next free point
    for (int s = 1; s <= 4; ++s) {
        const int m = std::max(std::abs(nord[4 + s]), 1);
        if (m == 1) {
            poly[2 * (k - 1)] = p(1, s % 4 + 1);
            poly[2 * (k - 1) + 1] = p(2, s % 4 + 1);
            ++k;
        } else {
            double side[2 * 9];
            int npt = 0;
            quaint(s, p, npt, k, 1.0, side, poly);
        }
    }
    poly[2 * (k - 2)] = p(1, 1);
    poly[2 * (k - 2) + 1] = p(2, 1);
    return k - 1;
}

void draw_band_element(const NodePoints& p, const int* nord, double e, const double* lev,
                       int nlevel, bool band_numbers) {
    double poly[2 * OUTLINE_POINTS];
    const int np = element_outline(p, nord, poly);
    const int il = error_band(e, lev, nlevel);
    if (machine.ICOLOR == 1) {
        mfill(np - 1, poly, il);
    } else if (band_numbers) {
        mtcolor(0, 1);
        mmovet(p(1, 9), p(2, 9));
        mnum(il);
    }
    int icol = 0;
    mpline(np, poly, icol);
}

void band_map_frame(double xmin, double xmax, double ymin, double ymax, double f) {
    const double xc = (xmin + xmax) / 2.0, hx = (xmax - xmin) / 2.0;
    const double yc = (ymin + ymax) / 2.0, hy = (ymax - ymin) / 2.0;
    cxmin.XMIN = xc - hx * f;
    cxmin.XMAX = xc + hx * f;
    cxmin.YMIN = yc - hy * f;
    cxmin.YMAX = yc + hy * f;
}

//// the error map ////

namespace {

constexpr double kLn2 = 0.6931471824645996;

// What holds for one call only.
struct Call {
    bool element = false;  // element numbers
    bool min_given = false, max_given = false;
    double frame = 1.100000023841858;
    ZooBox zoo;
};

void first_call_values() {
    Cdiserr& k = cdiserr;
    if (k.IFIRST == 100) return;
    k = Cdiserr{};
    k.IFCOL = machine.ICOLOR;
    k.IFIRST = 100;
}

void read_options(Call& c) {
    Cdiserr& k = cdiserr;
    double v = 0.0;
    if (option_field("COLOR") != 0) k.IFCOL = 1;
    if (option_field("MONO") != 0) k.IFCOL = 0;
    read_division(k.NSUBEL, 5, 3);
    if (option_field("ELEMENT") != 0) c.element = true;
    // LEVEL below 1 keeps the number of bands; above 16 it is cut to 16.
    if (number_field(option_field("LEVEL"), v) && ifix(v) >= 1)
        k.NLEVEL = std::min(ifix(v), ERRMAP_BANDS);
    if (number_field(option_field("MIN"), v)) {
        k.FMINL = v;
        c.min_given = true;
    }
    if (number_field(option_field("MAX"), v)) {
        k.FMAXL = v;
        c.max_given = true;
    }
    if (const int ipos = option_field("MESH"); ipos != 0 && ipos <= iodati.NFIELD) {
        if (iodatc.FWORD(ipos) == Word8("ON")) k.IMESH = 1;
        if (iodatc.FWORD(ipos) == Word8("OFF")) k.IMESH = 0;
    }
    csetf.ISCUR = 1;
    if (const int ipos = option_field("ELSET"); ipos != 0 && art_select_set != nullptr)
        art_select_set(ipos);
    if (number_field(option_field("YMULT"), v)) {
        k.MULT = 1;
        k.FACT = v;
    }
    if (number_field(option_field("YMULTL"), v)) {
        k.YMULT1 = v;
        k.YMULT2 = 1.0 / std::pow(2.0, v);
    }
    // A factor that is not positive leaves the frame as it is.
    if (number_field(option_field("REDUCE"), v) && v > 0.0) c.frame = 1.100000023841858 / v;
    if (number_field(option_field("TG"), v)) k.TG = v;
    if (option_field("ART") != 0) k.IART = 1;
    if (option_field("NOART") != 0) k.IART = 0;
    read_zoo(c.zoo);
}

// The unstretched points of element nel, the n-th of the set: its nodes, or
// its rectangle of the picture by level. False when ZOO leaves it out.
bool element_points(const Call& c, int nel, int n, NodePoints& p) {
    if (cdiserr.IART == 1 && n <= cartco.NEL0)
        art_points(n, p);
    else
        nodcor(nel, p);
    return zoo_keeps(c.zoo, p);
}

// The smallest coordinate across the stretch frame of the points.
double frame_v_min(const NodePoints& p) {
    const double cs = 1.0 / std::sqrt(1.0 + cdiserr.TG * cdiserr.TG), sn = cdiserr.TG * cs;
    double vmin = 1e300;
    for (int i = 1; i <= 9; ++i) vmin = std::min(vmin, p(2, i) * cs - p(1, i) * sn);
    return vmin;
}

void stretch_all(NodePoints& p) {
    for (int i = 1; i <= 9; ++i) errmap_stretch(cdiserr, p(1, i), p(2, i));
}

// The range pass: the box of the stretched points, the errors' sum of
// squares and their extremes over the elements taken.
struct Range {
    int taken = 0;
    double xmin = 1e10, xmax = -1e10, ymin = 1e10, ymax = -1e10;
    double sum = 0.0, emin = 1e10, emax = -1e10;
    double vmin = 1e300;  // smallest coordinate across the stretch frame, unstretched
};

Range range_pass(const Call& c, const double* err) {
    Range r;
    int n = 0;
    each_taken([&](int nel) {
        NodePoints p;
        if (!element_points(c, nel, ++n, p)) return;
        ++r.taken;
        r.vmin = std::min(r.vmin, frame_v_min(p));
        stretch_all(p);
        for (int i = 1; i <= 9; ++i) {
            r.xmin = std::min(r.xmin, p(1, i));
            r.xmax = std::max(r.xmax, p(1, i));
            r.ymin = std::min(r.ymin, p(2, i));
            r.ymax = std::max(r.ymax, p(2, i));
        }
        int slot = 0;
        findno(nel, slot);
        const double e = err[slot - 1];
        r.sum += e * e;
        r.emin = std::min(r.emin, e);
        r.emax = std::max(r.emax, e);
    });
    return r;
}

// The ends of the scale: from the errors when no MIN or MAX is given and
// RESET is in force, or when no map has set them yet; rounded by opscal when
// neither is given. Fills lev(1..NLEVEL+1).
void scale(const Call& c, const Range& r, double* lev) {
    Cdiserr& k = cdiserr;
    const bool automatic = !c.min_given && !c.max_given;
    if ((automatic && k.IRESET == 1) || k.IRANGE == 0) {
        if (!c.min_given) k.FMINL = r.emin;
        if (!c.max_given) k.FMAXL = r.emax;
    }
    k.IRANGE = 1;
    ffldou(35, MSG_LIST, fmt::line("(A5,E12.4,A6,E12.4)", {"MIN= ", r.emin, " MAX= ", r.emax}));
    if (automatic) opscal(k.FMINL, k.FMAXL, k.NLEVEL);
    k.NLEVEL = std::clamp(k.NLEVEL, 1, ERRMAP_BANDS);
    const double step = (k.FMAXL - k.FMINL) / k.NLEVEL;
    for (int i = 1; i <= k.NLEVEL + 1; ++i) lev[i - 1] = k.FMINL + (i - 1) * step;
}

void draw_elements(const Call& c, const double* err, const double* lev) {
    const int nlevel = cdiserr.NLEVEL;
    int n = 0;
    each_taken([&](int nel) {
        NodePoints p;
        if (!element_points(c, nel, ++n, p)) return;
        stretch_all(p);
        int slot = 0;
        findno(nel, slot);
        int nod[10], nord[10];
        for (int i = 1; i <= 9; ++i) decode(celem.NICK(i, slot), nod[i], nord[i]);
        draw_band_element(p, nord, err[slot - 1], lev, nlevel, true);
    });
    if (!c.element) return;
    mfont(1);
    mtcolor(0, 1);
    n = 0;
    each_taken([&](int nel) {
        NodePoints p;
        if (!element_points(c, nel, ++n, p)) return;
        stretch_all(p);
        mmovet(p(1, 9), p(2, 9));
        mnum(nel);
    });
}

}  // namespace

void errmap_stretch(const Cdiserr& k, double& x, double& y) {
    const double cs = 1.0 / std::sqrt(1.0 + k.TG * k.TG), sn = k.TG * cs;
    const double u = x * cs + y * sn;
    double v = y * cs - x * sn;
    v = std::log(k.YMULT2 + v) / kLn2 + k.YMULT1;
    if (k.MULT == 1) v *= k.FACT;
    x = u * cs - v * sn;
    y = u * sn + v * cs;
}

void diserr(double* err) {
    if (check_usable_mesh() != 0) return;
    first_call_values();
    Call c;
    read_options(c);
    if (cdiserr.IART == 1 && artcoord() != ART_DONE) return;

    const Range r = range_pass(c, err);
    if (r.taken == 0) {
        nothing_to_draw();
        return;
    }
    // The logarithmic stretch needs 2**-e + V > 0 at every point.
    if (!(cdiserr.YMULT2 + r.vmin > 0.0)) {
        ffldou(0, MSG_ERROR,
               fmt::line("(A,E12.4)", {"*** NO LOGARITHM FOR THE STRETCH: YMULTL MUST BE BELOW",
                                       -std::log2(-r.vmin)}));
        return;
    }
    if (option_field("RESET") != 0) cdiserr.IRESET = 1;
    if (option_field("NO-RESET") != 0) cdiserr.IRESET = 0;

    double lev[ERRMAP_BANDS + 1];
    scale(c, r, lev);
    band_map_frame(r.xmin, r.xmax, r.ymin, r.ymax, c.frame);

    cscale.LAYOUT = 1;
    claser.NGRAY = cdiserr.NLEVEL;
    start1();
    colormap(2);
    mdrsca(lev, cdiserr.NLEVEL, cdiserr.IFCOL);
    mdrtit();
    clipon();
    draw_elements(c, err, lev);
    clipoff();
    flegen("MIN=", r.emin);
    flegen("MAX=", r.emax);
    flegen("ERROR=", std::sqrt(r.sum));
    flegen("D.O.F=", cdata.NRDOF);
    set_legend_line();
    legend();
    endpl();
}

}  // namespace kavren
