// The drawing interface: every picture, and every box, text and line of the
// window's own furniture, is drawn through these device-independent calls
// (the m-calls). Each call does its screen half when ISCRN = 1 and its
// PostScript half while the file of the plot is open.
//
// Coordinates: percent (x 0..133, y 0..100, both times WSIZE/100; integer
// percent values are divided by 100 in single precision), world (mapped by
// iscaler) and PostScript points (the 550-point frame, the picture's x up the
// page). World point arrays are x, y pairs.
//
// A plot is one bracket: the plotter sets LAYOUT, the extents cxmin and, for
// fills, NGRAY; calls start1; draws; calls endpl.
#pragma once

#include <string_view>

namespace kavren {

// Box of percent corners in colour |icol|: outlined in cell 0 when icol > 0
// and not the background (508); a negative icol writes nothing to the file.
void mdrbox(int ix1, int iy1, int ix2, int iy2, int icol);
// Filled polygon of n world points in colour icol (on a monochrome screen
// only colour 1 is filled, the others are outlined); gray level icol in the
// file (0 taken as 1).
void mfill(int n, const double* xy, int icol);
// Closed outline of n world points in cell 0; icol := 0 when the screen is on.
void mpline(int n, const double* xy, int& icol);
// A line between two world points in cell 0; icol := 0 when the screen is on.
void mline(double x1, double y1, double x2, double y2, int& icol);
// A filled square isize/2 pixels wide centred on the world point.
void mmark(double x, double y, int isize, int icol);
// Pen to a world point; mmovet moves the text position there too.
void mmove(double x, double y);
void mmovet(double x, double y);
// Pen to a percent point, integer or double; mmovt moves the text position too.
void mmovea(int ix, int iy);
void mmovear(double x, double y);
void mmovt(int ix, int iy);
// Pen line in cell 0 to a percent point, integer or double.
void mdrawa(int ix, int iy);
void mdrawar(double x, double y);
// The first n characters of text (at most 80) at the text position.
void mtext(std::string_view text, int n);
// The integer i in as many columns as i + 1 has digits (9 is " 9"); a
// negative number with its sign.
void mnum(int i);
// Colour cell icol for the texts that follow (screen only); iflag not used.
void mtcolor(int icol, int iflag);
// Font 1..7.
void mfont(int n);
// Clip to the plot area, and lift the clip.
void clipon();
void clipoff();
// World points to pixels: pxy = (XSCALE x + XOFF, YSCALE y + YOFF).
void scaleco(int n, const double* xy, double* pxy);

// The plot scale from LAYOUT, cxmin and WSIZE: iscaler, ILAYF, the file
// header and lscale when ILASER = 1, the white frame and the viewport.
// Reversed extents are ordered; a zero or non-finite width or height is
// widened about its centre to the other one (to 1 when both are); a LAYOUT
// outside 0..4 is taken as 2.
void setscale();
// The start of every plot: the LASER option, ISCRN (1 only for a plot asked
// from the keyboard), the window in command mode (opened once), setscale.
void start1();
// The end of every plot: the file finished and closed; the screen flushed.
void endpl();
// The repaint of the whole window after an expose: background, command area
// with its four lines, menu column, the title and legend of the last plot and
// the menu shown; the plot itself is not drawn again.
void redraws();
// The restore step of a repaint; nothing is restored.
void mrest();
// The title and legend of the last plot, drawn again by redraws; the plots
// fill it at start-up.
struct PlotRepaint {
    void (*titles)() = nullptr;
};
extern PlotRepaint plot_repaint;

namespace draw_detail {
// Forgets that the window was asked for (tests).
void reset();
}  // namespace draw_detail

}  // namespace kavren
