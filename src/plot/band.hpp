// Element search and band geometry of the plotters: the active elements along
// a side of an initial element, a quadrilateral clipped to a band of values
// with its contour pieces, the sample points of an element side, the window
// test, the faces of the 3-D frame box, and arrows.
#pragma once

#include "plot/sample.hpp"

namespace kavren {

// Outcome of search1.
constexpr int SEARCH_DONE = 0;
constexpr int SEARCH_BAD_INPUT = 1;    // element, side, flag or point count refused
constexpr int SEARCH_STACK_FULL = 2;   // more than 1000 elements waiting
constexpr int SEARCH_LIST_FULL = 3;    // more elements than nmax
constexpr int SEARCH_TOO_DEEP = 4;     // a refinement level above 19 along the side
constexpr int SEARCH_POINTS_FULL = 5;  // more points than kmax

// The active elements along side iside of initial element nel: iflag 1 by
// increasing local coordinate t along the side, iflag 2 by decreasing t, each
// element's npl points running the same way (npts for the whole side, halved
// a level, at least 2). nmax: capacity on entry, elements found on return;
// list(j), nplist(j) the j-th element and its point count, xieta(1..2, k) the
// local points, element after element (kmax of them at most). A failure is
// written on the terminal, waits for a line, and returns its code with the
// elements found so far.
int search1(int nel, int iside, int iflag, int npts, int& nmax, int kmax, int* list, int* nplist,
            double* xieta);

// The quadrilateral (x(i), y(i)), values f(i) linear along its edges, clipped
// to the band flo <= value < fhi: the polygon pxy(1..2, 1..np) and the nseg
// contour pieces seg(1..4, k) = (x1, y1, x2, y2) on the level flo. Values
// equal to a level are first raised by a thousandth of the band, in f.
void quadr1(const double* x, const double* y, double* f, double flo, double fhi, int& np,
            double* pxy, int& nseg, double* seg);

// Appends the sample points of side iside of an element to pts(2, *) (count
// npt) and, when sign is 1, all but the very first point of pts also to
// lin(2, *) at position nlin (the next free one): 9 points at local steps of
// 0.25, or the 2 end points of a straight side when cgraph.ISTRT is 1.
void quaint(int iside, const NodePoints& xnodl, int& npt, int& nlin, double sign, double* pts,
            double* lin);

// An element is in the window when one of its 9 points lies strictly inside,
// or the box of the 9 points overlaps the window strictly (a window inside
// one element).
bool inwind(double xmin, double xmax, double ymin, double ymax, const NodePoints& xy);

// Draws face n (1..6) of the frame box, corners x, y, z(8) in space and xs,
// ys(8) on the picture, when isign times the face normal's product with the
// viewing vector is positive.
void view(int isign, int n, const double* x, const double* y, const double* z, const double* xs,
          const double* ys, double vx, double vy, double vz);

// An arrow from (x1, y1) to (x2, y2) in colour icol: two head lines, then the shaft.
void arrow(double x1, double y1, double x2, double y2, int icol);

}  // namespace kavren
