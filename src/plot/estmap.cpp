// The map of element estimates.
#include "plot/estmap.hpp"

#include <algorithm>
#include <cmath>

#include "control/extension.hpp"
#include "control/messages.hpp"
#include "control/utility.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "plot/errmap.hpp"
#include "plot/scales.hpp"
#include "records/control.hpp"
#include "records/errmap.hpp"
#include "records/estimate.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "records/plot.hpp"
#include "records/window.hpp"

namespace kavren {

namespace {

constexpr int kSetFlags = 10;  // word of the flag of set 1; sets 1..20 follow

int word(int k) {
    return cestdisp.ESTDSP(k);
}

bool indicators() {
    return word(6) == 1;
}

// An element is drawn when no set is flagged, or when a flagged set holds it.
bool drawn(int nel) {
    int nsets = 0;
    for (int k = 1; k <= MAXSET; ++k) nsets += word(kSetFlags + k);
    if (nsets < 1) return true;
    for (int k = 1; k <= MAXSET; ++k) {
        if (word(kSetFlags + k) != 1) continue;
        csetf.ISCUR = k;
        int iin = 0;
        findst(nel, iin);
        if (iin == 1) return true;
    }
    return false;
}

// The value of element nel at position i of the tree order: its estimate, or
// its refinement indicator.
double value(int i, int nel) {
    double v = cerrest.ERREL(i, 2);
    if (indicators()) {
        double factor = 1.0;
        pfactor(nel, factor);
        v /= factor;
    }
    return v;
}

// Calls fn(i, nel) for each drawn element, i its position among all active
// elements.
template <typename Fn>
void each_drawn(Fn fn) {
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        if (drawn(nel)) fn(i, nel);
    }
}

struct Range {
    int taken = 0;
    double xmin = 1e10, xmax = -1e10, ymin = 1e10, ymax = -1e10;
    double sum = 0.0, vmin = 1e10, vmax = -1e10;
};

Range range_pass() {
    Range r;
    each_drawn([&r](int i, int nel) {
        ++r.taken;
        NodePoints p;
        nodcor(nel, p);
        for (int k = 1; k <= 9; ++k) {
            r.xmin = std::min(r.xmin, p(1, k));
            r.xmax = std::max(r.xmax, p(1, k));
            r.ymin = std::min(r.ymin, p(2, k));
            r.ymax = std::max(r.ymax, p(2, k));
        }
        const double v = value(i, nel);
        r.sum += v * v;
        r.vmin = std::min(r.vmin, v);
        r.vmax = std::max(r.vmax, v);
    });
    return r;
}

// The ends of the scale: the largest value rounded on the first call; later
// on, when word 7 asks for it, the ends that words 9 and 10 name.
void scale_ends(const Range& r) {
    Cestdisr& s = cestdisr;
    int& nlevel = cestdisp.ESTDSP(3);
    const bool first = word(1) != 100, ask = word(7) == 1;
    if (first) {
        s.ESTMAX = r.vmax;
        opscal(s.ESTMIN, s.ESTMAX, nlevel);
    }
    if (word(9) == 1 && word(10) == 1) {
        if (ask && !first) {
            s.ESTMIN = r.vmin;
            s.ESTMAX = r.vmax;
            opscal(s.ESTMIN, s.ESTMAX, nlevel);
        }
    } else if (word(9) == 1 && word(10) == 0) {
        if (ask) s.ESTMIN = r.vmin;
    } else if (word(9) == 0 && word(10) == 1) {
        if (ask) s.ESTMAX = r.vmax;
    }
    cestdisp.ESTDSP(7) = 0;
    nlevel = std::clamp(nlevel, 1, LEVEL_TABLE - 1);
}

void draw_elements(const double* lev, int nlevel) {
    each_drawn([&](int i, int nel) {
        const double v = value(i, nel);
        int slot = 0;
        findno(nel, slot);
        int nod[10], nord[10];
        for (int k = 1; k <= 9; ++k) decode(celem.NICK(k, slot), nod[k], nord[k]);
        NodePoints p;
        nodcor(nel, p);
        draw_band_element(p, nord, v, lev, nlevel, word(8) == 0);
    });
    if (word(8) == 0) return;
    mfont(1);
    mtcolor(0, 1);
    each_drawn([](int, int nel) {
        if (word(8) != 1) return;
        NodePoints p;
        nodcor(nel, p);
        mmovet(p(1, 9), p(2, 9));
        mnum(nel);
    });
}

void legend_lines(const Range& r) {
    flegen(indicators() ? "INDICATORS" : "ERRORS", NO_LEGEND_VALUE);
    flegen(" MIN=", r.vmin);
    flegen(" MAX=", r.vmax);
    if (!indicators()) flegen(" GLOBAL=", std::sqrt(r.sum));
    if (cerrhist.CRATE >= 0.0) {
        flegen("CONVERGENCE", NO_LEGEND_VALUE);
        flegen(" RATE=", cerrhist.CRATE);
    }
    flegen("D.O.F=", cdata.NRDOF);
    for (int k = 1; k <= MAXSET; ++k) {
        if (word(kSetFlags + k) != 1) continue;
        if (csetf.SETNAM(k).blank())
            flegen("SET=", k);
        else
            flegen("SET=" + csetf.SETNAM(k).str(), NO_LEGEND_VALUE);
    }
}

}  // namespace

void mapcne() {
    // The positions of cerrest follow the elements only until the mesh or
    // the solution changes.
    if (cflags.IESTIM == 0) {
        ffldou(0, MSG_ERROR, "NO CURRENT ERROR ESTIMATE");
        return;
    }
    const Range r = range_pass();
    csetf.ISCUR = 1;
    if (r.taken == 0) {
        nothing_to_draw();
        return;
    }
    scale_ends(r);
    const int nlevel = word(3);
    band_map_frame(r.xmin, r.xmax, r.ymin, r.ymax, 1.100000023841858);
    double lev[LEVEL_TABLE];
    const double step = (cestdisr.ESTMAX - cestdisr.ESTMIN) / nlevel;
    for (int k = 1; k <= nlevel + 1; ++k) lev[k - 1] = cestdisr.ESTMIN + (k - 1) * step;

    cscale.LAYOUT = 1;
    claser.NGRAY = nlevel;
    start1();
    colormap(2);
    cestdisp.ESTDSP(2) = machine.ICOLOR;
    mdrsca(lev, nlevel, word(2));
    ctitle.CTITLE = Line80(indicators() ? "REFINEMENT INDICATORS" : "ERROR ESTIMATE");
    mdrtit();
    clipon();
    draw_elements(lev, nlevel);
    clipoff();
    legend_lines(r);
    csetf.ISCUR = 1;
    legend();
    endpl();
    cestdisp.ESTDSP(1) = 100;
}

}  // namespace kavren
