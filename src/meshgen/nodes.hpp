// The NODES level: generator nodes on the (I, J) grids of regions, one by one
// (POINT) or as a block mapped from 4 or 8 control points (GRID).
#pragma once

#include "support/array.hpp"

namespace kavren {

// pi as the generator converts degrees with it (the single-precision value).
constexpr double GEN_PI = 3.1415927410125732;

// The NODES level; iblockn counts the node-generation commands (0: first call).
void rnode(int& iblockn);
// The POINT and GRID levels.
void point(int& iblockn);
void grid(int& iblockn);
// SHP(1..npt) := the shape functions of the grid map at (xi, eta), npt 4 or 8.
void shape(int npt, double xi, double eta);
// Places mid-side control point k + 4 of xy (x in 1..8, y in 9..16): ic = 1 the
// point (x, y) itself, otherwise on the circle about centre (x, y) through
// corner k. False when the centre is the midpoint of the side (no direction).
bool cercle(int k, int ic, double x, double y, Arr1<double, 16>& xy);
// Polar radius and angle of (x, y).
void polar(double x, double y, double& r, double& t);

}  // namespace kavren
