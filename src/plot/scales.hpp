// Scales, legends and titles: the frame every plot shares. All positions are
// percent coordinates of the window.
//
// The order of a plot: options (first-call values, then the record); the
// guard (plot_refused); the range pass over the current set; the frame
// (widen_frame) and LAYOUT; start1; the palette, the scale or key and
// mdrtit; clipon; the drawing pass; clipoff; the legend lines (flegen, with
// set_legend_line) and legend; endpl.
#pragma once

#include <string>
#include <string_view>

#include "records/plot.hpp"
#include "support/word.hpp"

namespace kavren {

// The label text of x/div, left-aligned in 80 characters (the system's fmt:
// the name is taken by the formatting namespace).
Line80 label_fmt(double div, double x);
// Widens [fmin, fmax] to multiples of a readable step (a table entry times a
// power of 10) and sets n, the wished number of intervals on entry (below 1
// taken as 13), to the number of steps.
void opscal(double& fmin, double& fmax, int& n);
// The colour scale of n bands with the n+1 level values lev(1..n+1): band i in
// colour i when icolf is 1, else all in colour 1; labels divided by a common
// power of 1000, written as "10**" and its exponent.
void mdrsca(const double* lev, int n, int icolf);
// The key of the polynomial orders 1..8.
void gdrsca();
// The axes of an x-y graph over cxmin with nx and ny intervals.
void xdrsca(int nx, int ny);
// Queues a legend line: len characters of text (all of it when len < 0, at
// most 80) and a value (NO_LEGEND_VALUE for text only). Lines beyond 20 are
// dropped.
void flegen(std::string_view text, double value, int len = -1);
// Draws the queued lines, keeps their count for a repaint and empties the queue.
void legend();
// The title line: the project, CTITLE (then blanked), the mark and the user stamp.
void mdrtit();

// The user stamp of the title line, installed at start-up (none in bare tests).
using StampRoutine = void (*)();
extern StampRoutine plot_stamp;

//// what every plot shares ////

// The frame: [lo, hi] widened by 10% on each side; a zero-width range
// becomes c +- max(0.1|c|, 1).
void widen_frame(double lo, double hi, double& fmin, double& fmax);
// A zero-width value range widened the same way about its centre.
void widen_range(double& fmin, double& fmax);
// The refusals before a plot starts: no usable mesh, or a component code that
// names a solution component above NREQNS, or 100 (" **UNKNOWN COMPONENT ").
// True when the plot is refused.
bool plot_refused(int icomp);
// "NOTHING TO DRAW": no element was taken.
void nothing_to_draw();
// The "SET=" legend line when the current set is not the whole mesh.
void set_legend_line();

// The screen cell of band l of n: beyond 17 bands the bands share the 17
// cells of the palette, band l taking cell 1 + ((l-1)*16)/(n-1).
int band_cell(int l, int n);
// Draws in colour l of n bands: draw(l) on both devices, or, when the band's
// screen cell is another, draw(cell) on the screen alone and draw(l) in the
// file alone (the file's gray level stays l of n).
template <typename Draw>
void band_colour(int l, int n, Draw draw);

// Calls fn(nel) for each active element of the current set, in tree order.
template <typename Fn>
void each_taken(Fn fn);

}  // namespace kavren

#include "plot/scales_inl.hpp"
