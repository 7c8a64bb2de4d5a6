// The seam under the screen driver: the few primitives it draws with and the
// events it waits for. Pixels have their origin at the bottom-left corner of
// the window and y pointing up; a backend flips y itself if its device wants.
// The X window layer (xwindow) implements it for the program; tests install a
// recording one.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kavren {

struct Pixel {
    int x = 0;
    int y = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

// Event kinds of the event record.
constexpr int EV_KEY = 0;      // code: the key code
constexpr int EV_PRESS = 2;    // code: button number + 256 * modifiers
constexpr int EV_RELEASE = 3;  // code: as EV_PRESS
constexpr int EV_RESIZE = 4;   // x, y: the new width and height
constexpr int EV_GEXPOSE = 5;  // graphics expose
constexpr int EV_EXPOSE = 7;   // the window must be repainted

// One event: its kind, its code and the pointer position (or the new size).
struct ScreenEvent {
    int kind = EV_KEY;
    int code = 0;
    int x = 0;
    int y = 0;
};

// Colour cells are numbered 0..MAX_CELL; the driver never hands over others.
constexpr int MAX_CELL = 4099;

class ScreenBackend {
  public:
    virtual ~ScreenBackend() = default;
    // Opens the window from its argument list: the program name, then option
    // pairs ("-geometry", "=600x450+10+10", "-display", "host:0"). False when
    // no window can be had; the backend has then said why on standard error.
    virtual bool open(const std::vector<std::string>& args) = 0;
    // Colour cell := (r, g, b), each 0..255.
    virtual void set_cell(int cell, int r, int g, int b) = 0;
    // Loads the font of that name for the texts that follow.
    virtual void set_font(std::string_view name) = 0;
    // Drawing is clipped to the rectangle with these two corners.
    virtual void set_clip(Pixel a, Pixel b) = 0;
    virtual void line(int cell, Pixel a, Pixel b) = 0;
    virtual void fill_polygon(int cell, const std::vector<Pixel>& points) = 0;
    // Draws text with its start at pixel at.
    virtual void text(int cell, Pixel at, std::string_view text) = 0;
    // Sends what was drawn to the display.
    virtual void flush() = 0;
    // Waits for the next event.
    virtual ScreenEvent next_event() = 0;
    // Closes the window and the connection behind it (the end of a run that
    // waits for a last key first does it; nothing else needs it).
    virtual void close() = 0;
};

// The backend of the run: the real program's until a test installs another.
ScreenBackend& screen_backend();
// Installs backend and returns the one it replaces (null when none was made).
std::unique_ptr<ScreenBackend> install_screen_backend(std::unique_ptr<ScreenBackend> backend);
// The real program's backend.
std::unique_ptr<ScreenBackend> make_window_backend();

}  // namespace kavren
