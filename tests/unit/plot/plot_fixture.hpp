// A fixture for the plot toolkit: the scratch project of the mesh suites
// with the evaluator set up, the terminal written to term.txt, an empty
// keyboard (so that waits return at once), the recording screen backend and
// one equation; and Ghostscript's verdict on a PostScript file.
#pragma once

#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "../adapt/adapt_fixture.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen.hpp"
#include "hpmesh/tree.hpp"
#include "recording_backend.hpp"
#include "records/mesh.hpp"
#include "records/window.hpp"
#include "xserver.hpp"

namespace kavren::testing {

class PlotTest : public AdaptTest {
  protected:
    RecordingBackend* screen = nullptr;

    void SetUp() override {
        AdaptTest::SetUp();
        std::ofstream(dir / "kbd.txt").close();
        units::open_text(units::STDIN_UNIT, "kbd.txt", units::Open::existing);
        screen = &install_recording();
        wsize.WSIZE = 750.0;
        machine.ICOLOR = 1;
        ceqsys.NREQNS = 1;
    }
    void TearDown() override {
        uninstall_recording();
        AdaptTest::TearDown();
    }
    // Makes record the current one, read from the deck; a plot then draws as
    // one asked from the keyboard.
    void record(const std::string& text) {
        deck(text + "\n");
        read();
        cinout.LUIN = cinout.LUKBD;
    }
    bool in_plot_area(const Drawn& d) const {
        return d.clip0 == Pixel{viewport.IVX1, viewport.IVY1};
    }
    // The items of one kind drawn inside the clip of the plot area.
    std::vector<Drawn> clipped(Drawn::Kind kind) const {
        std::vector<Drawn> v;
        for (const Drawn& d : screen->of(kind))
            if (in_plot_area(d)) v.push_back(d);
        return v;
    }
    // The area of a polygon of pixels.
    static double area(const std::vector<Pixel>& p) {
        double s = 0.0;
        for (std::size_t i = 0; i < p.size(); ++i) {
            const Pixel& a = p[i];
            const Pixel& b = p[(i + 1) % p.size()];
            s += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
        }
        return std::abs(s) / 2.0;
    }
    void open_window() {
        claser.ISCRN = 1;
        opwind();
        screen->drawn.clear();
    }
    // Ghostscript reads the files print/<name> to their ends without error
    // (one run for all of them).
    void expect_valid_postscript(std::initializer_list<std::string> names) {
        std::vector<std::string> argv = {"gs",      "-q",        "-dSAFER",
                                         "-dBATCH", "-dNOPAUSE", "-sDEVICE=nullpage"};
        for (const std::string& name : names) {
            const std::string path = (dir / "print" / name).string();
            ASSERT_TRUE(std::filesystem::exists(path)) << path;
            argv.push_back(path);
        }
        units::flush_all();
        const ToolRun r = run_tool(argv, "", 60);
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_EQ(r.out.find("Error"), std::string::npos) << r.out;
        EXPECT_EQ(r.err.find("Error"), std::string::npos) << r.err;
    }
};

}  // namespace kavren::testing
