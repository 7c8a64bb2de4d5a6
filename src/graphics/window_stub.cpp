// STUB: the window layer comes with its own work. Until then the program's
// backend has no window: opening says so on standard error and fails, and the
// screen stays off for the run. Nothing else is ever called.
#include <cstdio>

#include "graphics/screen_backend.hpp"

namespace kavren {

namespace {

// STUB: stands in for the window layer.
class NoWindow final : public ScreenBackend {
  public:
    bool open(const std::vector<std::string>&) override {
        std::fflush(stdout);
        std::fputs(" ** THE WINDOW IS NOT AVAILABLE YET: NOTHING IS DRAWN ON THE SCREEN\n", stderr);
        return false;
    }
    void set_cell(int, int, int, int) override {}
    void set_font(std::string_view) override {}
    void set_clip(Pixel, Pixel) override {}
    void line(int, Pixel, Pixel) override {}
    void fill_polygon(int, const std::vector<Pixel>&) override {}
    void text(int, Pixel, std::string_view) override {}
    void flush() override {}
    ScreenEvent next_event() override { return {}; }
};

}  // namespace

// STUB: the window layer replaces this.
std::unique_ptr<ScreenBackend> make_window_backend() {
    return std::make_unique<NoWindow>();
}

}  // namespace kavren
