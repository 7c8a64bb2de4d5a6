// Mouse picks in the window: the containment tests of a point in a box of
// the window and in an element outline, the pick of a world point through the
// scale of the last picture on the screen, and the element picks of the MESH
// levels.
#pragma once

#include "support/array.hpp"

namespace kavren {

// Places of a pick list: the count, then up to MAX_PICKS element numbers.
constexpr int MAX_PICKS = 50;
using PickList = Arr1<int, MAX_PICKS + 1>;

// iout := 0 when (px, py) lies strictly inside the box of percent corners
// (ix1, iy1), (ix2, iy2); 1 otherwise, on an edge included.
void point1(int ix1, int iy1, int ix2, int iy2, double px, double py, int& iout);
// inside := 1 when (px, py) lies inside or on the outline of n vertices xy
// (x, y pairs, counter-clockwise); a point on the line through the first two
// vertices counts as inside.
void point2(const double* xy, double px, double py, int n, int& inside);

// Waits for a mouse-button release, passing keys over: the pixel and the
// button code ('g', 'f', 'e'). False when no window is open to click in.
bool wait_release(Arr1<int, 2>& ixy, char& ch);
// The world point of a pixel through the scale of the last picture on the screen.
void pick_world(const Arr1<int, 2>& ixy, double& x, double& y);
// A mark of size 10 in colour icol at a picked world point, placed by the
// scale of the last picture on the screen, and sent to the display.
void mark_pick(double x, double y, int icol);
// The percent point of a pixel.
void pick_percent(const Arr1<int, 2>& ixy, double& px, double& py);
// The first active element, in tree order, whose outline holds the world
// point (x, y); 0 when none does.
int element_at(double x, double y);

// A selection of active elements: list(1) the count, list(2..) the elements
// (0 for one picked twice); a click outside every element ends it.
void vinq01(PickList& list);
// One click: the father of the active element under the pointer (the element
// itself for an initial element), 0 outside every element.
void vinq02(int& nel);
// A click on one of the eight order boxes (ichoice 1..8), then a selection
// as vinq01.
void vinq03(PickList& list, int& ichoice);

}  // namespace kavren
