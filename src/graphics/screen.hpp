// The screen driver: the screen halves of the drawing calls. It opens the
// window, loads the palettes, turns percent and world coordinates into pixels
// and draws boxes, bevelled buttons, polygons, pen lines and texts through the
// screen backend, and waits for keys and mouse clicks.
//
// Nothing is drawn while no window is open. A window that cannot be opened
// in command mode leaves the screen off for the rest of the run: the run goes
// on, and plots still reach their PostScript files. Menu mode cannot go on
// without its window and ends with status 1.
#pragma once

#include <string_view>

#include "support/array.hpp"

namespace kavren {

// Colour code of the background: cell 15 of the active palette, white on a
// monochrome display.
constexpr int BACKGROUND = 508;

// Opens the window (600 by 450 pixels at (10, 10), on the configured display
// node when one was named), sets WSIZE and the window size to 450, loads cells
// 0 (black) and 1 (white) and palette 1, and paints the background. When no
// window can be had the reason is on standard error; menu mode then stops.
void opwind();
// Loads palette mode 0 (the window's), 1 or 2 (the plots') and sets clmap.
void colormap(int mode);
// Box of percent corners filled in colour |icol| (508: the background),
// outlined in cell 0 when icol > 0 and icol != 508.
void ddrbox(int ix1, int iy1, int ix2, int iy2, int icol);
// Bevelled button of style 1..5: istate 1 raised, 2 sunken, each with its
// face; -1 and -2 the bevels alone.
void ddrbut(int ix1, int iy1, int ix2, int iy2, int istyle, int istate);
// Pen in pixels: ipen 3 moves it, ipen 2 draws a line in cell 0 from it;
// other codes do nothing.
void plotw(double x, double y, int ipen);
// Filled polygon of n pixel points pxy (x, y pairs) in colour icol of the
// active palette (508: cell 15).
void colfill(int n, const double* pxy, int icol);
// Closed outline of n pixel points in cell 0, drawn with the pen.
void monfill(int n, const double* pxy);
// Pen to the pixel of world point (x, y) by SCALE; dmovet moves the text
// position there too.
void dmove(double x, double y);
void dmovet(double x, double y);
// Pen and text position to (fx, fy) times the window height.
void dmovt(double fx, double fy);
// Colour cell icol (no palette base) for the texts that follow.
void dtcolor(int icol);
// Draws the first n characters of text (blank padded; at most 80).
void dtext(std::string_view text, int n);
// Screen font n: 4 "9x15", 5 "ent", 6 "vri-40", 7 "6x10"; 1-3 leave the font.
void dfont(int n);
// Clip to the viewport, or to the whole window.
void dclipon();
void dclipoff();
// viewport := the pixel rectangle of the percent box shrunk by 1 on each side.
void setwind(int ix1, int iy1, int ix2, int iy2);
// Waits for a key (kind 1, ch its low byte) or a mouse-button release (kind
// 0, ch 'g', 'f', 'e' for buttons 1, 2, 3, ixy the pixel); follows resizes
// and repaints on an expose in menu mode once a problem was chosen. Without a
// window there is nothing to wait for: it returns Return as a key.
void mlocat(int& kind, char& ch, Arr1<int, 2>& ixy);
// Hands the pixel rows of the plot area to the save and restore extension
// points.
void dsave();
void drest();
// Nothing to do.
void enable();
void disable();

// True while the window is open.
bool screen_is_open();
// Sends what was drawn to the display.
void screen_flush();
// Closes the window and its display connection.
void screen_close();

namespace screen_detail {
// Forgets the window (tests): closed, never tried, default drawing state.
void reset();
}  // namespace screen_detail

}  // namespace kavren
