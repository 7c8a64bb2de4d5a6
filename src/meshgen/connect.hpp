// Node generators of the NODES level that work from nodes already present:
// CONNECT fills the positions between two end nodes of grid lines, REFLECT
// mirrors a block of a region into the current region, TIE moves a line of one
// region onto a line of the current region so that the node merge of the
// BOUNDARY level joins them.
#pragma once

namespace kavren {

// The CONNECT level; iblockn counts the records that pass the option checks.
void connect(int& iblockn);
// The REFLECT and TIE levels.
void reflect();
void tie();
// (xi, yi) := the mirror image of (xs, ys) about the line through (x1, y1)
// and (x2, y2). False, after its two messages, when the points coincide
// (the image is then not set).
bool symet(double x1, double y1, double x2, double y2, double xs, double ys, double& xi,
           double& yi);

}  // namespace kavren
