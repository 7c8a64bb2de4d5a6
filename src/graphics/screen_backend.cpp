// The backend of the run, made on first use.
#include "graphics/screen_backend.hpp"

#include <utility>

namespace kavren {

namespace {
std::unique_ptr<ScreenBackend> g_backend;
}  // namespace

ScreenBackend& screen_backend() {
    if (!g_backend) g_backend = make_window_backend();
    return *g_backend;
}

std::unique_ptr<ScreenBackend> install_screen_backend(std::unique_ptr<ScreenBackend> backend) {
    std::swap(g_backend, backend);
    return backend;
}

}  // namespace kavren
