// What the EXECUTE driver's plots share in reading their records and placing
// their elements: the option fields, the ZOO box, and the rectangle of an
// element in the picture by refinement level.
#pragma once

#include <string_view>

#include "plot/sample.hpp"

namespace kavren {

// The field after word in the current record (its value), 0 when the record
// does not hold word.
int option_field(std::string_view word);
// v := the number in field k; false when field k holds no number.
bool number_field(int k, double& v);

// ZOO=x1,x2,y1,y2: the box of the elements drawn on this call.
struct ZooBox {
    bool on = false;
    double x1 = -1e10, x2 = 1e10, y1 = -1e10, y2 = 1e10;
};
// Reads ZOO from the current record, writing "ZOOMING WITH: " and the box on
// the terminal.
void read_zoo(ZooBox& z);
// True when the box keeps the element of points p: vertex 1 at or above the
// lower ends and vertices 2 (x) and 3 (y) at or below the upper ends.
bool zoo_keeps(const ZooBox& z, const NodePoints& p);

// The points of the n-th listed element of the picture by level: its corners
// as vertices 1..4, the mid-side points and the centre.
void art_points(int n, NodePoints& p);

}  // namespace kavren
