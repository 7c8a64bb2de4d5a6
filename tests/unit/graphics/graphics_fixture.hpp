// A scratch working directory with a recording screen backend, the terminal
// written to term.txt, and the drawing records at their start values.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "../control/reader_fixture.hpp"
#include "graphics/draw.hpp"
#include "graphics/postscript.hpp"
#include "graphics/screen.hpp"
#include "recording_backend.hpp"
#include "records/window.hpp"

namespace kavren::testing {

class GraphicsTest : public ReaderTest {
  protected:
    RecordingBackend* screen = nullptr;

    void SetUp() override {
        ReaderTest::SetUp();
        units::open_text(units::STDOUT_UNIT, "term.txt", units::Open::create);
        screen = &install_recording();
        claser = Claser();
        cxmin = Cxmin();
        cscale = Cscale();
        iscaler = Iscaler();
        lscale = Lscale();
        iscale = Iscale();
        viewport = Viewport();
        wplotinf = Wplotinf();
        wsize.WSIZE = 750.0;
        machine.ICOLOR = 1;
        display = Display();
    }
    void TearDown() override {
        uninstall_recording();
        machine = Machine();
        ReaderTest::TearDown();
    }

    // Opens the recording window as the first keyboard plot would.
    void open_window() {
        claser.ISCRN = 1;
        opwind();
        screen->drawn.clear();
    }
    // Opens print/<name> for writing with the header, as a plot with LASER=name.
    void open_file(const std::string& name = "t") {
        claser.PSNAME = Chars<10>(name);
        claser.ILASER = 1;
        winitlsr();
    }
    // The lines of print/<name> after its 10 header lines.
    std::vector<std::string> body(const std::string& name = "t") {
        std::vector<std::string> v = lines("print/" + name);
        v.erase(v.begin(), v.begin() + std::min<std::size_t>(v.size(), 10));
        return v;
    }
    bool has_line(const std::string& rel, const std::string& line) {
        const std::vector<std::string> v = lines(rel);
        return std::find(v.begin(), v.end(), line) != v.end();
    }
    std::vector<std::string> lines(const std::string& rel) {
        std::vector<std::string> v;
        std::string text = file(rel), line;
        for (char c : text) {
            if (c == '\n') {
                v.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        if (!line.empty()) v.push_back(line);
        return v;
    }
};

}  // namespace kavren::testing
