// The field plots: a quantity of a solution array as a contour map (on the
// mesh, or on the mesh displaced by two components), as a surface seen in
// parallel projection, and a field of two components as segments or arrows.
// Each routine reads its options from the current record, keeps its own
// settings from one call to the next, and draws to the screen and, with
// LASER=name, to a PostScript file.
#pragma once

namespace kavren {

// Contour map of component code icomp of u (icolu rows a component).
// Options: ZOOM, COLOR, MONO, DIVISION, LEVEL, MIN, MAX, GRID, ELSET, RESET,
// NOSCALE, NO-RESET.
void mapcnc(const double* u, int icolu, int icomp);

// Contour map of component code icomp of u on the mesh displaced by SCALE
// times the components du, dv (first words of the x and y displacement).
// Options: ZOOM, COLOR, MONO, SCALE, DIVISION, LEVEL, MIN, MAX, MESH, ELSET,
// RESET, NO-RESET.
void mapcsd(const double* u, int icolu, int icomp, const double* du, const double* dv);

// Surface of component code icomp of u, filled facets in painter's order in
// a box. Options: DIVISION, FILL, EYE, ELSET, MIN, MAX, RESET, NO-RESET.
void mapc3d(const double* u, int icolu, int icomp);

// The EXECUTE driver's surface: as mapc3d, and RD, YMULT, TG, ART, NOART,
// ZOO.
void mapc3dwr(const double* u, int icolu, int icomp);

// Vector field of the components u1, u2 (first words of the x and y
// component). Options: ZOOM, DIVISION, MESH, SCALE, ARROW, NORM, ELSET, RESET.
void mapvec(const double* u1, const double* u2);

}  // namespace kavren
