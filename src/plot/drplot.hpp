// The x-y plot: up to five curves given point by point in the text file
// "data/xyplot", drawn on one graph with readable axes as polylines, as rows
// of square markers, or as smooth B-spline curves.
//
// The file holds, each item starting on a new line (values separated by
// blanks, commas or line ends; an item may go on over several lines, and the
// rest of the line after its last value is skipped): the number of curves
// NC (1..5); then for each curve its marker switch IMARK (0 lines, else
// square markers), its number of points NP (1..1000, 1..98 with BSPLINE),
// its NP ordinates and its NP abscissae. The whole file is checked before
// anything is drawn; a missing, short or out-of-range file is refused with
// one error naming it, and no plot is started.
#pragma once

namespace kavren {

// Options of the current record, each for this call only: LEVELX=n and
// LEVELY=n (the wished numbers of intervals, 13), BSPLINE (smooth curves),
// FACTOR=n (spline segments per point interval, 3), NOSCALE (no axes), and
// LASER=name of every plot. Waits for a line from the terminal after each
// curve.
void drplot();

}  // namespace kavren
