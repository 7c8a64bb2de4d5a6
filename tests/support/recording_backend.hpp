// A screen backend for tests: it logs every primitive with its pixels, colour
// cell, font and clip rectangle, keeps the colour cells, and hands out a
// scripted list of events. install_recording() puts a fresh one in place of
// the run's backend and forgets the window, so a test starts with none open.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "graphics/screen_backend.hpp"

namespace kavren::testing {

struct Drawn {
    enum Kind { LINE, FILL, TEXT } kind;
    int cell = 0;
    std::vector<Pixel> points;  // the two ends of a line, the polygon, or the text position
    std::string text;           // the characters of a text
    std::string font;           // the font loaded when it was drawn
    Pixel clip0, clip1;         // the clip rectangle then
};

struct Rgb {
    int r = -1, g = -1, b = -1;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

class RecordingBackend final : public ScreenBackend {
  public:
    bool open_succeeds = true;
    std::vector<std::vector<std::string>> opens;  // argument list of every open
    std::vector<Drawn> drawn;
    std::map<int, Rgb> cells;
    std::string font;
    Pixel clip0, clip1;
    int flushes = 0;
    int closes = 0;
    std::deque<ScreenEvent> events;  // handed out in order; then Return keys
    int events_taken = 0;

    bool open(const std::vector<std::string>& args) override {
        opens.push_back(args);
        return open_succeeds;
    }
    void set_cell(int cell, int r, int g, int b) override { cells[cell] = {r, g, b}; }
    void set_font(std::string_view name) override { font = name; }
    void set_clip(Pixel a, Pixel b) override {
        clip0 = a;
        clip1 = b;
    }
    void line(int cell, Pixel a, Pixel b) override { add(Drawn::LINE, cell, {a, b}, ""); }
    void fill_polygon(int cell, const std::vector<Pixel>& points) override {
        add(Drawn::FILL, cell, points, "");
    }
    void text(int cell, Pixel at, std::string_view text) override {
        add(Drawn::TEXT, cell, {at}, std::string(text));
    }
    void flush() override { ++flushes; }
    void close() override { ++closes; }
    ScreenEvent next_event() override {
        ++events_taken;
        if (events.empty()) return {EV_KEY, 13, 0, 0};
        ScreenEvent e = events.front();
        events.pop_front();
        return e;
    }

    // The drawn items of one kind.
    std::vector<Drawn> of(Drawn::Kind kind) const {
        std::vector<Drawn> v;
        for (const Drawn& d : drawn)
            if (d.kind == kind) v.push_back(d);
        return v;
    }

  private:
    void add(Drawn::Kind kind, int cell, std::vector<Pixel> points, std::string text) {
        drawn.push_back({kind, cell, std::move(points), std::move(text), font, clip0, clip1});
    }
};

// Installs a fresh recording backend for the rest of the test (and closes the
// window of the drawing layer, so the next plot or opwind opens it anew).
RecordingBackend& install_recording();
// Puts the run's own backend back and forgets the window.
void uninstall_recording();

}  // namespace kavren::testing
