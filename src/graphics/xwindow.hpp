// The X window layer: the program's only contact with the window system. One
// display connection, one top-level window "Tessark", one graphics context and
// a table of colour cells, behind small routines that draw lines, polygons and
// texts in pixels with the origin at the bottom-left and y upward, set colours,
// fonts and one clip rectangle, and turn X events into four-integer records.
// It is the program's screen backend (make_window_backend).
//
// Only xwindow.cpp includes the window system's headers; key symbols and
// modifier states cross this header as plain integers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kavren {

//// pure parts, usable without a server ////

// Modifier bits of the event records: M of "button + 256 M" and of key codes.
constexpr int XG_SHIFT = 8;
constexpr int XG_CONTROL = 4;
constexpr int XG_MOD1 = 2;
constexpr int XG_LOCK = 1;

// M of an X modifier state (Shift, Lock, Control and Mod1 masks).
int xg_modifiers(unsigned state);
// The code of a key press from its key symbol (column 0, no modifiers applied)
// and the modifier state. False for the keys that give no record: Shift_L,
// Shift_R, Control_L, Caps_Lock and Alt_L.
bool xg_key_code(unsigned long keysym, unsigned state, int& code);
// The code of a button press or release: button + 256 M.
int xg_button_code(unsigned button, unsigned state);

// The window's size hints from the program's defaults and a geometry string
// ("=600x450+10+10"); a negative position counts from the right or bottom
// edge of a screen of screen_width by screen_height.
struct SizeHints {
    int x = 0, y = 0, width = 0, height = 0;
    int min_width = 0, min_height = 0;
    bool user_size = false, user_position = false;
};
SizeHints set_sizehints(int min_width, int min_height, int default_width, int default_height,
                        int default_x, int default_y, const std::string& geometry, int screen_width,
                        int screen_height);

// Reads the argument list (program name, then pairs "-d..." display and
// "-g..." geometry). False when it is not of that form.
bool xg_parse_args(const std::vector<std::string>& args, std::string& display,
                   std::string& geometry);

//// the window ////

// Opens the display and the window from the argument list and waits until it
// is mapped. False (with the reason on standard error) when there is none.
bool xgopw(const std::vector<std::string>& args);
// A line between two pixels.
void xgdrawl(int ix1, int iy1, int ix2, int iy2);
// Colour cell i := (ir, ig, ib), each taken modulo 256.
void xgsetcm(int i, int ir, int ig, int ib);
// Drawing colour := cell i.
void xgsetcol(int i);
// Waits for the next event that makes a record: kind 0 key, 2 button press,
// 3 button release, 4 resize (x, y the new size), 5 graphics expose, 7 expose.
void xgnxtev(int& kind, int& code, int& ix, int& iy);
// The number of events waiting in the queue (without waiting).
int xglength();
// One clip rectangle with corners at the two pixels.
void xgsetclip(int ix1, int iy1, int ix2, int iy2);
// Open polyline and filled polygon through n pixels.
void xgdrpoly(int n, const int* ix, const int* iy);
void xgdrfpoly(int n, const int* ix, const int* iy);
// Text position, and a text drawn there.
void xgsettl(int ix, int iy);
void xgdrtxt(std::string_view text);
// Loads the font of that name (once per name) and draws texts in it.
void xgfont(std::string_view name);
// Frees fonts and the graphics context and closes the display connection.
void xgclosw();
// Sends what was drawn to the server.
void xgflush();
// True while a window is open.
bool xg_is_open();

}  // namespace kavren
