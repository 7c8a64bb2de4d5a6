// The band maps of per-element errors: every element filled with the colour
// of the band its value falls into, over a colour scale, with a legend. The
// error map of the EXECUTE driver draws the exact errors of the last ERREST;
// the map of element estimates (mapcne) shares its outline and band rule.
#pragma once

#include "plot/sample.hpp"
#include "records/errmap.hpp"

namespace kavren {

// Most bands of an error map.
constexpr int ERRMAP_BANDS = 16;
// Most points of an element outline: vertex 1 and 8 more along each side.
constexpr int OUTLINE_POINTS = 33;

// The band of value e among the n bands of the levels lev[0..n]: the m in
// 1..n with lev[m-1] <= e < lev[m]; n for e at or above lev[n]; 1 for any
// other value (below the scale, or not a number).
int error_band(double e, const double* lev, int n);

// The outline of an element of points p and local node orders nord[1..9]
// into poly(2, *): vertex 1, then along each side its next vertex (order 0
// or 1) or its further sample points (quaint), closed on vertex 1. Returns
// the number of points, the closing one included.
int element_outline(const NodePoints& p, const int* nord, double* poly);

// One element of a band map: on a colour display its outline filled in the
// colour of the band of e, on a monochrome one the band number at its centre
// when band_numbers is set; then the outline in colour 0. nord: the orders
// of the local nodes 1..9.
void draw_band_element(const NodePoints& p, const int* nord, double e, const double* lev,
                       int nlevel, bool band_numbers);

// The plot extents cxmin: the box [xmin, xmax] x [ymin, ymax] enlarged about
// its centre by the factor f.
void band_map_frame(double xmin, double xmax, double ymin, double ymax, double f);

// The stretch of the error map under the kept settings k: in the frame
// tilted by slope TG, the coordinate V across it becomes log2(2**-e + V) + e,
// then V times the linear factor when that is on.
void errmap_stretch(const Cdiserr& k, double& x, double& y);

// The error map of err(1..16000), the errors by element slot, with the
// options of the current record (COLOR, MONO, DIVISION, ELEMENT, LEVEL, MIN,
// MAX, MESH, ELSET, YMULT, YMULTL, REDUCE, TG, ART, NOART, ZOO; RESET and
// NO-RESET after the range pass, under ART from the answer to the set
// prompt). Refused without a usable mesh, with nothing to draw, when the
// stretch meets a point without a logarithm, or when the picture by level
// does not fit its tables.
void diserr(double* err);

}  // namespace kavren
