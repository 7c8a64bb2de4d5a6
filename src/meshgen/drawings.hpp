// The generator's own drawings, made from its tables before the hand-over:
// the element mesh (graphm, title "MESH") and the node grid (graphn, title
// "NODES"), in the window, a PostScript file or both, with zoom and reset.
#pragma once

#include <string>

namespace kavren {

// The element mesh. Mode 0 reads one option record (menu 61, not echoed);
// another mode is a redraw with the options of the caller's record and that
// mode as its label mode, made only while the input is the keyboard.
// Options: NODE, ELEMENT, IJ, REGION, ELSET=set, ZOOM, RESET.
void graphm(int mode);
// The node grid with the options of the caller's record (IJ, REGION, ZOOM,
// RESET); mode is the label mode of its first drawing, kept after that.
void graphn(int mode);

// The (I, J) label of a grid point: I in 2 columns (3 from 100), a comma, J in
// 1, 2 or 3 columns as it needs; empty when I and J are both even.
std::string grid_label(int i, int j);
// A plot extent from the window [lo, hi]: its centre plus and minus 1.15 of
// its half-width; a window of no width is widened as every plot frame is.
void drawing_extent(double lo, double hi, double& fmin, double& fmax);
// Queues the legend lines of the mesh drawing: the set when it is not the
// whole mesh, and the boundary chosen last, when there is one.
void mesh_legend_lines();

}  // namespace kavren
