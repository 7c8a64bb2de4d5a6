// The mesh drawings of the MESH levels: the active elements coloured by
// order, with node or element numbers and contour lines of a component.
#pragma once

namespace kavren {

// Draws the mesh of the current element set; inode, ielem 1 label nodes or
// elements; icomp is the component code of the contour lines (0 none). Takes
// ZOOM, DIVISION=, LEVEL= and RESET from the current record; RESET sets icomp
// to 0.
void graph(int idum, int inode, int ielem, double* u, int icolu, int& icomp);
// The EXECUTE driver's variant; it also reads YMULT, TG, ART, NOART and ZOO.
void graphwr(int idum, int inode, int ielem, double* u, int icolu, int& icomp);

}  // namespace kavren
