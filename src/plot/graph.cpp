// The mesh drawings in their least form: every active element of the current
// set filled with the colour of its interior order and outlined, inside the
// frame and scale that the full drawing uses, so that picks and drawings
// agree. STUB: the title, key, legend, numbers, contour lines, zoom and the
// options of the full drawing come with the plot toolkit.
#include "plot/graph.hpp"

#include <algorithm>
#include <cstdlib>

#include "control/reader.hpp"
#include "control/utility.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "records/window.hpp"
#include "support/array.hpp"

namespace kavren {

namespace {

// The frame is the extent of the node points widened by 10% on each side.
constexpr double kFrame = 1.100000023841858;

// Calls fn(nel) for every active element of the current set, in tree order.
template <typename Fn>
void each_element(Fn fn) {
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        if (csetf.ISCUR != 1) {
            int iin = 0;
            findst(nel, iin);
            if (iin != 1) continue;
        }
        fn(nel);
    }
}

void frame(double lo, double hi, double& fmin, double& fmax) {
    const double c = (lo + hi) / 2.0, h = (hi - lo) / 2.0;
    fmin = c - kFrame * h;
    fmax = c + kFrame * h;
}

// One element: filled in the colour of its interior order (0 counted as 1)
// and outlined through its 4 vertices, or through its 8 boundary node points
// when its interior node has a positive order.
void draw_element(int nel) {
    Arr2<double, 2, 9> x;
    nodcor(nel, x);
    int slot = 0;
    findno(nel, slot);
    int node = 0, order = 0;
    decode(celem.NICK(9, slot), node, order);
    static constexpr int kEight[8] = {1, 5, 2, 6, 3, 7, 4, 8};
    double out[16];
    const int n = order > 0 ? 8 : 4;
    for (int i = 0; i < n; ++i) {
        const int k = n == 8 ? kEight[i] : i + 1;
        out[2 * i] = x(1, k);
        out[2 * i + 1] = x(2, k);
    }
    mfill(n, out, std::max(std::abs(order), 1));
    int icol = 0;
    mpline(n, out, icol);
}

void least_drawing(int& icomp) {
    int nocc = 0, ipos = 0;
    findop("RESET", nocc, ipos);
    if (nocc > 0) icomp = 0;

    double xminl = 1e10, xmaxl = -1e10, yminl = 1e10, ymaxl = -1e10;
    each_element([&](int nel) {
        Arr2<double, 2, 9> x;
        nodcor(nel, x);
        for (int k = 1; k <= 9; ++k) {
            xminl = std::min(xminl, x(1, k));
            xmaxl = std::max(xmaxl, x(1, k));
            yminl = std::min(yminl, x(2, k));
            ymaxl = std::max(ymaxl, x(2, k));
        }
    });
    frame(xminl, xmaxl, cxmin.XMIN, cxmin.XMAX);
    frame(yminl, ymaxl, cxmin.YMIN, cxmin.YMAX);

    cscale.LAYOUT = 0;
    start1();
    colormap(1);
    claser.NGRAY = 8;
    clipon();
    each_element(draw_element);
    clipoff();
    endpl();
}

}  // namespace

void graph(int /*idum*/, int /*inode*/, int /*ielem*/, double* /*u*/, int /*icolu*/, int& icomp) {
    least_drawing(icomp);
}

void graphwr(int /*idum*/, int /*inode*/, int /*ielem*/, double* /*u*/, int /*icolu*/, int& icomp) {
    least_drawing(icomp);
}

}  // namespace kavren
