#include "recording_backend.hpp"

#include "graphics/draw.hpp"
#include "graphics/postscript.hpp"
#include "graphics/screen.hpp"

namespace kavren::testing {

RecordingBackend& install_recording() {
    auto backend = std::make_unique<RecordingBackend>();
    RecordingBackend& r = *backend;
    install_screen_backend(std::move(backend));
    screen_detail::reset();
    draw_detail::reset();
    ps_detail::reset();
    return r;
}

void uninstall_recording() {
    install_screen_backend(nullptr);
    screen_detail::reset();
    draw_detail::reset();
    ps_detail::reset();
}

}  // namespace kavren::testing
