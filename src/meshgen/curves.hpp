// The curve levels of the NODES level: ARC puts the nodes of a grid line on
// the spline through given points (from a point record or a point file),
// ELLIPSE on an arc of a rotated ellipse; each stores its curve as a record
// that the refinement reads to place new boundary nodes on the same curve.
#pragma once

#include "hpmesh/spline.hpp"

namespace kavren {

// The ARC and ELLIPSE levels; iblockn counts the records that place nodes.
void arc(int& iblockn);
void ellips(int& iblockn);
// Stores the record of curve NCURV of type ICTYPE: an ellipse from data[0..4]
// (R1, R2, centre x, y, rotation), a spline of n points from the columns of
// leading dimension l (x in data[0..n-1], y in data[l..l+n-1]).
void geomtyp(int n, int l, const double* data);
// Reads the point file named by field ipos (data/<name>): n points placed in
// CS (origin x0, y0, rotation a0). flag := 1 when read, 0 after " ERROR
// READING FILE", -1 after a table-full refusal.
void splinef(int ipos, int& n, SplineColumns& pts, double x0, double y0, double a0, int& flag);

}  // namespace kavren
