// End-to-end runs in menu mode under a private Xvfb: commands typed and
// clicked in the window with xdotool (standard input only answers pauses),
// each screenshot judged once the program waits again (the command log holds
// the last command's echo), polled with a time limit.
//
// Percent point (p, q) is pixel (4.5 p, 450 - 4.5 q) of the 600 x 450 window.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "runner.hpp"
#include "xserver.hpp"

namespace kavren::e2e {
namespace {

using testing::Colour;
using testing::XServer;
using testing::XwdImage;

const Colour kBlack{0, 0, 0};
const Colour kWhite{255, 255, 255};
const Colour kGray{180, 180, 180};

// The unit square in 2 x 2 bilinear elements under HEAT, ending at the
// GEOMETRY level.
const char* const kSquare =
    "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\n"
    "END\nEND\nELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nIJ=3,1,3,3\nIJ=1,3,3,3\nIJ=1,1,1,3\nEND\n";

// Pixel of a percent point.
int pxx(double p) {
    return static_cast<int>(4.5 * p);
}
int pxy(double q) {
    return static_cast<int>(450 - 4.5 * q);
}

class MenuMode : public ::testing::Test {
  protected:
    XServer server;
    std::unique_ptr<Session> s;
    std::string id;

    void SetUp() override { KAVREN_START_X(server); }

    // Starts kavren in menu mode with deck as decks/job.com and opens the
    // project by typing its name in the window; true once the deck has run.
    bool start(const std::string& deck) {
        Project p;
        p.config = "MODE=MENU\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
        p.files["decks/job.com"] = deck;
        p.environment["DISPLAY"] = server.display();
        s = std::make_unique<Session>(p, 120);
        id = testing::wait_for_window(server.display(), "Tessark");
        if (id.empty()) return false;
        type("job");
        return s->wait_for_output("END OF INPUT FILE");
    }
    void xdo(const std::vector<std::string>& args) {
        std::vector<std::string> argv{"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        const testing::ToolRun t = testing::run_tool(argv, server.display());
        EXPECT_EQ(t.status, 0) << t.err;
    }
    // Types text and Return in the window (the pointer in it gives it the keys).
    void type(const std::string& text) {
        xdo({"mousemove", "--window", id, "300", "300"});
        if (!text.empty()) xdo({"type", "--delay", "20", text});
        xdo({"key", "Return"});
    }
    void click(int x, int y, int button = 1) {
        xdo({"mousemove", "--window", id, std::to_string(x), std::to_string(y), "click",
             std::to_string(button)});
    }
    // The command log once it holds text count times.
    bool logged(const std::string& text, int count = 1) {
        return wait([&] {
            const std::string log = s->run().file("decks/job.out");
            int n = 0;
            for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
                ++n;
            return n >= count;
        });
    }
    XwdImage shot() {
        XwdImage image;
        std::string problem;
        EXPECT_TRUE(testing::screenshot(server.display(), id, image, problem)) << problem;
        return image;
    }
    // Polls screenshots until ok holds of one (20 s at most); the last one.
    XwdImage shot_until(const std::function<bool(const XwdImage&)>& ok) {
        XwdImage image;
        wait([&] {
            image = shot();
            return image.width == 600 && ok(image);
        });
        return image;
    }
    static bool wait(const std::function<bool()>& done, int seconds = 20) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        for (;;) {
            if (done()) return true;
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    // True when some pixel of the box has colour c.
    static bool any(const XwdImage& im, int x0, int y0, int x1, int y1, const Colour& c) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (im.at(x, y) == c) return true;
        return false;
    }
    // Inner part of button face of column col (1, 2), row r, pad.
    static Colour face(const XwdImage& im, int col, int r, int pad) {
        const int x1 = pxx((col == 1 ? 103 : 115) + pad) + 4, x2 = pxx((col == 1 ? 113 : 128) - pad) - 4;
        return im.most_frequent(x1, pxy(89 - 3 * r) + 3, x2, pxy(86 - 3 * r) - 3);
    }
    static bool text_in(const XwdImage& im, int col, int r, int pad) {
        const int x1 = pxx((col == 1 ? 103 : 115) + pad) + 2, x2 = pxx((col == 1 ? 113 : 128) - pad) - 2;
        return any(im, x1, pxy(89 - 3 * r) + 2, x2, pxy(86 - 3 * r) - 2, kBlack);
    }
    // The lowest pixel row of a button, its bottom bevel.
    static Colour bottom(const XwdImage& im, int col, int r, int pad) {
        const int x1 = pxx((col == 1 ? 103 : 115) + pad), x2 = pxx((col == 1 ? 113 : 128) - pad);
        return im.at((x1 + x2) / 2, pxy(86 - 3 * r) - 1);
    }
    RunResult quit() {
        type("quit");
        return s->finish();
    }
};

TEST_F(MenuMode, StartUpShowsTheWindowTheLogoAndTheMainMenu) {
    ASSERT_TRUE(start("")) << show(s->run());
    EXPECT_EQ(testing::find_windows(server.display(), "Tessark").size(), 1u);
    const testing::ToolRun info = testing::run_tool({"xwininfo", "-id", id}, server.display());
    EXPECT_NE(info.out.find("Width: 600"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Height: 450"), std::string::npos) << info.out;
    const XwdImage im = shot_until([](const XwdImage& i) { return text_in(i, 2, 4, 0); });
    EXPECT_EQ(im.at(225, 13), kGray);
    EXPECT_EQ(im.at(110, 225), (Colour{131, 180, 177}));
    EXPECT_EQ(im.at(270, 225), kWhite);
    EXPECT_EQ(face(im, 1, 1, 1), (Colour{131, 180, 177}));  // HELP
    EXPECT_EQ(face(im, 2, 0, 0), (Colour{163, 180, 129}));  // OPTIONS
    EXPECT_EQ(face(im, 2, 1, 0), (Colour{180, 129, 129}));  // MAIN
    EXPECT_TRUE(text_in(im, 1, 1, 1));
    EXPECT_TRUE(text_in(im, 2, 0, 0));
    EXPECT_TRUE(text_in(im, 2, 1, 0));
    for (int r = 2; r <= 4; ++r) {
        EXPECT_EQ(face(im, 2, r, 0), kGray) << r;
        EXPECT_TRUE(text_in(im, 2, r, 0)) << r;
        EXPECT_EQ(bottom(im, 2, r, 0), (Colour{240, 240, 240})) << r;
    }
    // Raised: the bottom bevel in the darkest shade of the ramp.
    EXPECT_EQ(bottom(im, 1, 1, 1), (Colour{87, 120, 118}));
    EXPECT_EQ(bottom(im, 2, 0, 0), (Colour{109, 120, 86}));
    EXPECT_EQ(bottom(im, 2, 1, 0), (Colour{120, 86, 86}));
    // Row 5 of the column holds no button.
    EXPECT_FALSE(text_in(im, 2, 5, 0));
    EXPECT_NE(bottom(im, 2, 5, 0), (Colour{240, 240, 240}));
    EXPECT_EQ(face(im, 2, 5, 0), kGray);

    type("end");
    const auto r = s->finish();
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_FALSE(r.timed_out);
}

TEST_F(MenuMode, ACommandTypedOrClickedIsTheSameRecord) {
    ASSERT_TRUE(start("")) << show(s->run());
    auto problem_menu = [](const XwdImage& i) {
        // The level's title STANDARD in place of MAIN, then ELASTICITY and HEAT.
        return face(i, 2, 1, 0) == Colour{180, 129, 129} && text_in(i, 2, 2, 0) &&
               text_in(i, 2, 3, 0) && face(i, 2, 2, 0) == kGray && !text_in(i, 2, 4, 0);
    };
    type("standard");
    ASSERT_TRUE(logged("STANDARD")) << show(s->run());
    EXPECT_TRUE(problem_menu(shot_until(problem_menu)));
    type("end");
    ASSERT_TRUE(logged("END")) << show(s->run());
    click(547, 83);
    ASSERT_TRUE(logged("STANDARD", 2)) << show(s->run());
    EXPECT_TRUE(problem_menu(shot_until(problem_menu)));
    const auto r = quit();
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.last_line("decks/job.err"), "   ***** RUN COMPLETED SUCCESSFULLY *****") << show(r);
    const auto log = r.lines("decks/job.out");
    EXPECT_EQ(std::count(log.begin(), log.end(), "STANDARD"), 2) << r.file("decks/job.out");
    const auto hist = r.history();
    EXPECT_EQ(std::count(hist.begin(), hist.end(), "STANDARD"), 2);
}

// The line of a grid file that starts element nel's entry, and the nicknames after it.
std::string nicknames(const std::vector<std::string>& grid, int nel) {
    char head[16];
    std::snprintf(head, sizeof head, "   %4d", nel);
    for (std::size_t i = 0; i + 1 < grid.size(); ++i)
        if (grid[i].rfind(head, 0) == 0 && grid[i].size() <= 11) return grid[i + 1];
    return "";
}

// The number after a line of its own.
std::string after(const std::vector<std::string>& grid, const std::string& heading) {
    auto at = std::find(grid.begin(), grid.end(), heading);
    return at != grid.end() && at + 1 != grid.end() ? *(at + 1) : "";
}

// The number at the end of the last log line that starts with head.
int last_number(const RunResult& r, const std::string& head) {
    int n = 0;
    for (const std::string& l : r.lines("decks/job.out")) {
        const std::size_t at = l.find(head);
        if (at != std::string::npos) n = std::atoi(l.c_str() + at + head.size());
    }
    return n;
}

TEST_F(MenuMode, TheMeshLevelsTakeElementsByMousePick) {
    ASSERT_TRUE(start(kSquare)) << show(s->run());
    type("mesh");
    ASSERT_TRUE(logged("MESH")) << show(s->run());
    XwdImage im = shot_until([](const XwdImage& i) { return i.near(225, 254, 1, kBlack); });
    EXPECT_TRUE(im.near(225, 254, 1, kBlack));
    EXPECT_EQ(im.at(155, 254), kWhite);

    type("refine");
    click(155, 254);
    click(440, 254);
    ASSERT_TRUE(logged("REFINE,")) << show(s->run());
    im = shot_until([](const XwdImage& i) { return i.near(155, 289, 1, kBlack); });
    EXPECT_TRUE(im.near(155, 289, 1, kBlack));

    type("unrefine");
    click(120, 289);
    ASSERT_TRUE(logged("UNREFINE,")) << show(s->run());
    im = shot_until([](const XwdImage& i) { return !i.near(155, 289, 1, kBlack); });
    EXPECT_FALSE(im.near(155, 289, 1, kBlack));

    type("refine");
    click(155, 254);
    click(440, 254);
    ASSERT_TRUE(logged("REFINE,", 3)) << show(s->run());

    type("enrich");
    click(171, 344);
    click(295, 114);
    click(440, 254);
    ASSERT_TRUE(logged("ENRICH,")) << show(s->run());
    im = shot_until([](const XwdImage& i) { return i.at(295, 114) == Colour{255, 162, 0}; });
    EXPECT_EQ(im.at(295, 114), (Colour{255, 162, 0}));

    type("end");
    type("end");
    ASSERT_TRUE(s->wait_for_file("output.grid", "INITIAL NUMBER OF ELEMENTS")) << show(s->run());
    const auto r = quit();
    ASSERT_EQ(r.status, 0) << show(r);
    const int m = last_number(r, "ENRICH,");
    bool enriched = false;
    for (const std::string& l : r.lines("decks/job.out"))
        enriched |= l.substr(std::min(l.find_first_not_of(' '), l.size())) ==
                    "ENRICH," + std::to_string(m) + ",ORDER=3";
    EXPECT_TRUE(enriched) << r.file("decks/job.out");
    const auto grid = r.lines("output.grid");
    EXPECT_EQ(after(grid, "  NUMBER OF ELEMENTS"), " 7") << r.file("output.grid");
    const std::string nicks = nicknames(grid, m);
    ASSERT_FALSE(nicks.empty()) << r.file("output.grid");
    EXPECT_EQ(nicks.substr(nicks.size() - 2), "03") << nicks;

    // The log, as the deck of a command-mode run, makes the same grid file.
    Project again;
    again.files["decks/job.com"] = r.file("decks/job.out");
    again.input = "job\nQUIT\n";
    const auto r2 = run_kavren(again);
    EXPECT_EQ(r2.status, 0) << show(r2);
    EXPECT_EQ(r2.file("output.grid"), r.file("output.grid"));
}

TEST_F(MenuMode, AnIncludedPlotGoesToItsFileOnly) {
    ASSERT_TRUE(start(kSquare)) << show(s->run());
    type("mesh");
    ASSERT_TRUE(logged("MESH")) << show(s->run());
    XwdImage before = shot_until([](const XwdImage& i) { return i.near(225, 254, 1, kBlack); });
    // The include file is written into the working directory now.
    {
        std::FILE* f = std::fopen((s->run().dir / "DECKS/INC1.INC").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("PLOT\nLASER=INC1\n", f);
        std::fclose(f);
    }
    type("include,inc1");
    ASSERT_TRUE(logged("# END OF INCLUDE")) << show(s->run());
    ASSERT_TRUE(wait([&] { return s->run().exists("print/inc1"); })) << show(s->run());
    const XwdImage after_inc = shot();
    for (int y = pxy(93); y < pxy(25); y += 7)
        for (int x = 0; x < pxx(100); x += 7) ASSERT_EQ(after_inc.at(x, y), before.at(x, y)) << x << " " << y;
    type("");  // an empty line keeps the level waiting
    xdo({"mousemove", "--window", id, "300", "300"});
    xdo({"type", "--delay", "20", "abc"});
    // Black text after the prompt's six columns (9 pixels each) of line 1.
    auto abc = [](const XwdImage& i) { return any(i, pxx(5) + 56, pxy(8), pxx(30), pxy(5), kBlack); };
    EXPECT_TRUE(abc(shot_until(abc)));
    xdo({"key", "Return"});
    const auto r = quit();
    EXPECT_EQ(r.status, 0) << show(r);
}

TEST_F(MenuMode, HistClickedListsTheRecordsForTheHelpWindow) {
    ASSERT_TRUE(start("STANDARD\nEND\n")) << show(s->run());
    click(pxx(108), pxy(81.5));
    ASSERT_TRUE(s->wait_for_output("IN FAKE XGSAVE")) << show(s->run());
    s->write("");
    ASSERT_TRUE(s->wait_for_output("IN FAKE XGHELP")) << show(s->run());
    s->write("");
    const auto r = quit();
    EXPECT_EQ(r.status, 0) << show(r);
    const auto help = r.lines("data/help");
    ASSERT_GE(help.size(), 2u) << r.file("data/help");
    EXPECT_EQ(help[0], "  1 * STANDARD");
}

TEST_F(MenuMode, AnUnknownWordAtTheMainMenuIsAnErrorWithoutTheOptionList) {
    ASSERT_TRUE(start("")) << show(s->run());
    type("bogus");
    ASSERT_TRUE(s->wait_for_output(" RETYPE COMMAND")) << show(s->run());
    const auto r = quit();
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(contains_line(r.lines("decks/job.err"), " *** UNKNOWN OPTION ***")) << show(r);
    EXPECT_FALSE(contains_text(r.out, "CURRENT OPTIONS ARE:")) << show(r);
}

TEST_F(MenuMode, AMappedAgainWindowIsRepaintedApartFromThePlot) {
    ASSERT_TRUE(start("STANDARD\nHEAT\n")) << show(s->run());
    type("# ready");
    ASSERT_TRUE(logged("# READY")) << show(s->run());
    const XwdImage before = shot_until([](const XwdImage& i) { return text_in(i, 2, 3, 0); });
    xdo({"windowunmap", "--sync", id});
    xdo({"windowmap", "--sync", id});
    // The command area and the menu column, apart from the mark.
    // The command area and the menu column, apart from the mark. A line's
    // glyphs reach a pixel above its own box, which the box of the line above
    // paints over when it is drawn later; the repaint draws the texts without
    // boxes, so a few such pixels may differ.
    std::string differs;
    auto same = [&](const XwdImage& i) {
        int n = 0;
        differs.clear();
        for (int y = 0; y < 450; ++y)
            for (int x = 0; x < 600; ++x) {
                const bool area = (y > pxy(17) && x < pxx(100)) || x > pxx(100);
                const bool mark = x >= pxx(109) && y <= pxy(93);
                if (area && !mark && !(i.at(x, y) == before.at(x, y))) {
                    ++n;
                    differs += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
                }
            }
        return n <= 8;
    };
    EXPECT_TRUE(same(shot_until(same))) << differs;
    const auto r = quit();
    EXPECT_EQ(r.status, 0) << show(r);
}

TEST(MenuModeStart, ADisplayThatCannotBeOpenedEndsTheRun) {
    Project p;
    p.config = "MODE=MENU\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
    p.environment["DISPLAY"] = ":77";
    p.input = "job\n";
    const auto r = run_kavren(p);
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_NE(r.err.find("Kavren:  unable to open display ':77'"), std::string::npos) << show(r);
}

TEST(MenuModeStart, AFaultyConfigurationExplainsItselfOnTheTerminal) {
    Project p;
    p.config = "MODE=MENU\nCUSTOM=0\nEND\n";
    p.environment["DISPLAY"] = ":77";
    p.input = "job\n";
    const auto r = run_kavren(p);
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(contains_line(r.out_lines(), " ** NODE OPTION MISSING         **")) << show(r);
    EXPECT_TRUE(contains_text(r.err, "** NODE OPTION MISSING")) << show(r);
    EXPECT_FALSE(contains_text(r.err, "unable to open display")) << show(r);
}

}  // namespace
}  // namespace kavren::e2e
