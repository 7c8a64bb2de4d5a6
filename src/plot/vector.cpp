// The vector plot: a field of two components drawn as segments or arrows
// from regular sample points of every element, fewer points the more often
// an element was refined, over the outline of the mesh.
#include <algorithm>
#include <cmath>

#include "control/messages.hpp"
#include "graphics/draw.hpp"
#include "graphics/zoom.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "plot/band.hpp"
#include "plot/field_detail.hpp"
#include "plot/field_plots.hpp"
#include "plot/options.hpp"
#include "plot/scales.hpp"
#include "records/field.hpp"
#include "records/mesh.hpp"
#include "records/window.hpp"
#include "support/convert.hpp"

namespace kavren {

namespace {

using field::at;

constexpr double START_SCALE = 0.10000000149011612;  // single-precision 0.1
constexpr int RANGE_CAP = 16;                        // intervals a side in the range pass
constexpr int DRAW_CAP = 32;                         // and in the drawing pass
constexpr double SHORTEST = 1.000000013351432e-10;   // shorter vectors normalise to points
constexpr double ZERO_FIELD = 1e-30;                 // no automatic scale at or below this length

// Reads the options; true when this call takes the automatic scale.
bool read_options(VectorKept& k) {
    const bool first = k.IROUT != 100;
    if (first) {
        k.IZOOM = 0;
        k.NSUBEL = 3;
        k.IMESH = 0;
        k.IARROW = 0;
        k.INORM = 0;
        k.SCALE = START_SCALE;
    }
    bool automatic = first;
    if (option_field("ZOOM") != 0 && !first) getzoom(k.XMIN, k.YMIN, k.XMAX, k.YMAX, k.IZOOM);
    double v = 0.0;
    read_division(k.NSUBEL, MAX_NSUBEL, 3);
    if (const int ipos = option_field("MESH"); ipos != 0) {
        if (field::word_at(ipos, "ON")) k.IMESH = 1;
        if (field::word_at(ipos, "OFF")) k.IMESH = 0;
    }
    if (const int ipos = option_field("SCALE"); ipos != 0) {
        if (number_field(ipos, v)) {
            k.SCALE *= v;
            automatic = false;
        } else {
            k.SCALE = START_SCALE;
            automatic = true;
        }
    }
    if (option_field("ARROW") != 0) k.IARROW = 1;
    if (option_field("NORM") != 0) k.INORM = 1;
    field::select_set();
    if (option_field("RESET") != 0) {
        k.IZOOM = 0;
        automatic = false;
    }
    return automatic;
}

// The field at the sample points of one element: u, v and the position of
// point (i, j), i, j = 1..n+1.
struct Sampled {
    double x[SAMPLE_LD * SAMPLE_LD], y[SAMPLE_LD * SAMPLE_LD];
    double u[SAMPLE_LD * SAMPLE_LD], v[SAMPLE_LD * SAMPLE_LD];
    double len[SAMPLE_LD * SAMPLE_LD];  // length before normalising
    NodePoints xnodl;
    int n = 0;
};

void sample(const VectorKept& k, int nel, const double* u1, const double* u2, int cap, Sampled& s) {
    int ndofe = 0;
    Arr1<int, 9> ndofl;
    double e1[MAX_ELFUN], e2[MAX_ELFUN];
    solelm(nel, ndofe, ndofl, e1, u1);
    solelm(nel, ndofe, ndofl, e2, u2);
    nodcor(nel, s.xnodl);
    s.n = field::intervals(k.NSUBEL, field::generation(nel), cap);
    const double h = static_cast<double>(2.0f / static_cast<float>(s.n));
    for (int i = 1; i <= s.n + 1; ++i)
        for (int j = 1; j <= s.n + 1; ++j) {
            const double xi = (i - 1) * h - 1.0, eta = (j - 1) * h - 1.0;
            double u = 0.0, v = 0.0, x = 0.0, y = 0.0;
            inter1(ndofl, e1, s.xnodl, xi, eta, u, x, y);
            inter1(ndofl, e2, s.xnodl, xi, eta, v, x, y);
            const double l = std::sqrt(u * u + v * v);
            if (k.INORM == 1) {
                u = l > SHORTEST ? u / l : 0.0;
                v = l > SHORTEST ? v / l : 0.0;
            }
            at(s.x, i, j) = x;
            at(s.y, i, j) = y;
            at(s.u, i, j) = u;
            at(s.v, i, j) = v;
            at(s.len, i, j) = l;
        }
}

// One sweep of the range pass; lmax := the longest vector. False when no
// element is taken.
bool sweep(VectorKept& k, const double* u1, const double* u2, Sampled& s, double& lmax) {
    field::Box box;
    k.VMIN = 1e10;
    k.VMAX = -1e10;
    lmax = -1e10;
    int taken = 0;
    each_taken([&](int nel) {
        ++taken;
        sample(k, nel, u1, u2, RANGE_CAP, s);
        box.take(s.xnodl);
        for (int i = 1; i <= s.n + 1; ++i)
            for (int j = 1; j <= s.n + 1; ++j) {
                const double l = at(s.len, i, j);
                lmax = std::max(lmax, l);
                k.VMIN = std::min(k.VMIN, l);
                k.VMAX = std::max(k.VMAX, l);
                const double x = at(s.x, i, j), y = at(s.y, i, j);
                const double du = k.SCALE * at(s.u, i, j), dv = k.SCALE * at(s.v, i, j);
                box.xmin = std::min({box.xmin, x - du, x + du});
                box.xmax = std::max({box.xmax, x - du, x + du});
                box.ymin = std::min({box.ymin, y - dv, y + dv});
                box.ymax = std::max({box.ymax, y - dv, y + dv});
            }
    });
    k.XMIN = box.xmin;
    k.XMAX = box.xmax;
    k.YMIN = box.ymin;
    k.YMAX = box.ymax;
    return taken > 0;
}

void draw_element(const VectorKept& k, int nel, const double* u1, const double* u2, Sampled& s) {
    Arr1<int, 8> neig;
    neigbr(nel, neig);
    sample(k, nel, u1, u2, DRAW_CAP, s);
    const int n = s.n;
    for (int i = 1; i <= n + 1; ++i)
        for (int j = 1; j <= n + 1; ++j) {
            const double x = at(s.x, i, j), y = at(s.y, i, j);
            const double tx = x + k.SCALE * at(s.u, i, j), ty = y + k.SCALE * at(s.v, i, j);
            if (k.IARROW == 1) {
                arrow(x, y, tx, ty, 1);
            } else {
                int icol = 1;
                mline(x, y, tx, ty, icol);
            }
        }
    auto piece = [&](int i1, int j1, int i2, int j2) {
        int icol = 1;
        mline(at(s.x, i1, j1), at(s.y, i1, j1), at(s.x, i2, j2), at(s.y, i2, j2), icol);
    };
    const bool s1 = k.IMESH == 1 || neig(1) == 0, s2 = k.IMESH == 1 || neig(2) == 0;
    const bool s3 = k.IMESH == 1 || neig(3) == 0, s4 = k.IMESH == 1 || neig(4) == 0;
    for (int j = 1; j <= n; ++j) {
        if (s4) piece(1, j, 1, j + 1);
        if (s2) piece(n + 1, j, n + 1, j + 1);
    }
    for (int i = 1; i <= n; ++i) {
        if (s1) piece(i, 1, i + 1, 1);
        if (s3) piece(i, n + 1, i + 1, n + 1);
    }
}

}  // namespace

void mapvec(const double* u1, const double* u2) {
    if (check_usable_mesh() != 0) return;
    VectorKept& k = cfield.MAPVEC;
    const bool automatic = read_options(k);
    Sampled s;
    if (k.IZOOM == 0) {
        double lmax = 0.0;
        if (!sweep(k, u1, u2, s, lmax)) {
            nothing_to_draw();
            return;
        }
        // The longest vector spans a fifteenth of the width the first sweep
        // found; a zero field keeps its scale.
        if (automatic && lmax > ZERO_FIELD) {
            k.SCALE = (k.XMAX - k.XMIN) / (15.0 * lmax);
            sweep(k, u1, u2, s, lmax);
        }
    }
    k.IROUT = 100;
    field::range_message(0, k.VMIN, k.VMAX);
    widen_frame(k.XMIN, k.XMAX, cxmin.XMIN, cxmin.XMAX);
    widen_frame(k.YMIN, k.YMAX, cxmin.YMIN, cxmin.YMAX);
    auto drawn = [&](int nel) {
        if (k.IZOOM == 0) return true;
        NodePoints p;
        nodcor(nel, p);
        return inwind(cxmin.XMIN, cxmin.XMAX, cxmin.YMIN, cxmin.YMAX, p);
    };
    int taken = 0;
    each_taken([&](int nel) {
        if (drawn(nel)) ++taken;
    });
    if (taken == 0) {
        nothing_to_draw();
        return;
    }
    cscale.LAYOUT = 2;
    start1();
    claser.IROT = 1;
    claser.NGRAY = 8;
    mdrtit();
    clipon();
    each_taken([&](int nel) {
        if (drawn(nel)) draw_element(k, nel, u1, u2, s);
    });
    clipoff();
    field::range_legend(k.VMIN, k.VMAX);
    endpl();
}

}  // namespace kavren
