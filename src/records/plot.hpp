// The records of the plots: the legend queue, the outline switch, the
// options each mesh drawing keeps between calls, and the tables of the
// picture by refinement level.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"
#include "support/word.hpp"

namespace kavren {

// Legend lines queued by flegen and drawn (then emptied) by legend.
constexpr double NO_LEGEND_VALUE = 1e10;  // a line with this value shows its text alone
struct Clegend {
    Arr1<Line80, MAX_LEGEND> LEGTXT;  // text of each line
    Arr1<double, MAX_LEGEND> LEGVAL;  // value of each line, NO_LEGEND_VALUE for none
    int NLEG = 0;                     // lines queued
};

// Outline switch of quaint: 1 draws a side whose mid node lies on its chord
// with its two end points.
struct Cgraph {
    int ISTRT = 0;
};

// What one mesh drawing keeps from one call to the next.
struct GraphKept {
    int IROUT = 0;                                              // 100 once the drawing has run
    int IZOOM = 0;                                              // 1: zoomed to the saved box
    double XMINL = 0.0, XMAXL = 0.0, YMINL = 0.0, YMAXL = 0.0;  // last extents or zoom box
    int NSUBEL = 0;                    // sampling level of the contour overlay
    double FMIN = 1e10, FMAX = -1e10;  // value range of the last range pass
    int IRED = 0;                      // Gauss-count reduction from the last probe
    // The EXECUTE driver's drawing only.
    int MULT = 0;       // 1: the stretch is on
    double FACT = 1.0;  // stretch factor
    double TG = 0.0;    // slope of the stretch direction
    int IART = 0;       // 1: the picture by refinement level
};
struct Cgrafs {
    GraphKept GRAPH;    // the MESH level's drawing
    GraphKept GRAPHWR;  // the EXECUTE driver's drawing
};

// The picture by refinement level: its own node marks and stores.
struct Cartco {
    Arr1<int, MAXNOD> MARK;                       // artificial number of a laid-out node, 0 none
    Arr2<double, 2, ART_NODES> XY;                // x, y of each artificial node
    Arr1<double, 2 * 2 * 2 * ART_ELEMENTS> ELXY;  // corners (c, i, j, n), by columns
    Arr1<int, ART_ELEMENTS> LIST;                 // elements in listing order
    int NEL0 = 0;                                 // elements listed
    // Corner c (1 x, 2 y) of corner (i, j) of the n-th listed element.
    double& elxy(int c, int i, int j, int n) {
        return ELXY(c + 2 * (i - 1) + 4 * (j - 1) + 8 * (n - 1));
    }
};

// The x-y plot's curve store, filled from the file "data/xyplot" (unit
// LUXY) at each call: each curve's marker switch and point count, y and x of
// its points, and the point and coefficient columns of the spline being drawn
// (x in entries 1..100, y in 101..200).
constexpr int LUXY = 27;
struct Cxyplot {
    int NC = 0;                                        // curves
    Arr1<int, MAX_XY_CURVES> IMARK;                    // 0 lines, else square markers
    Arr1<int, MAX_XY_CURVES> NP;                       // points of each curve
    Arr3<double, MAX_XY_CURVES, MAX_XY_POINTS, 2> XY;  // (c, k, 1) y, (c, k, 2) x
    Arr1<double, 2 * MAXSPLPT> PTS;                    // spline points
    Arr1<double, 2 * MAXSPLPT> COEF;                   // spline coefficients
};

extern Clegend clegend;
extern Cgraph cgraph;
extern Cgrafs cgrafs;
extern Cartco cartco;
extern Cxyplot cxyplot;

}  // namespace kavren
