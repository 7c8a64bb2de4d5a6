// The X window layer: key and button codes, the argument list and the size
// hints without a server; then, under a private Xvfb, the window that opwind
// opens, the colours, buttons, clip and fonts drawn through the m-calls and
// read back from screenshots, events sent through XTEST, a resize, and the
// display that cannot be opened.
#include "graphics/xwindow.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "graphics_fixture.hpp"
#include "records/control.hpp"
#include "xserver.hpp"

namespace kavren::testing {
namespace {

// Key symbols and modifier masks as the X protocol numbers them.
constexpr unsigned long kBackSpace = 0xff08, kTab = 0xff09, kReturn = 0xff0d, kEscape = 0xff1b,
                        kKp5 = 0xffb5, kKpEnter = 0xff8d, kLeft = 0xff51, kShiftL = 0xffe1,
                        kShiftR = 0xffe2, kControlL = 0xffe3, kControlR = 0xffe4,
                        kCapsLock = 0xffe5, kAltL = 0xffe9;
constexpr unsigned kShift = 1, kLock = 2, kControl = 4, kMod1 = 8;

TEST(XKeys, KeyCodesFollowTheKeySymbolAndTheModifiers) {
    struct Case {
        unsigned long keysym;
        unsigned state;
        int code;
    };
    const Case cases[] = {
        {'a', 0, 97},
        {kBackSpace, 0, 8},
        {kTab, 0, 9},
        {kReturn, 0, 13},
        {kEscape, 0, 155},
        {kKp5, 0, 4149},
        {kKpEnter, 0, 4109},
        {kLeft, 0, 4305},
        {'2', kShift, 2112},            // '@' with the Shift bit
        {'a', kLock, 321},              // 'A' with the Lock bit
        {'a', kShift | kLock, 2401},    // 'a' with both bits
        {'a', kShift, 2113},            // 'A'
        {',', kShift, 2092},            // comma is not shifted
        {'9', kShift, 2088},            // '('
        {'a', kControl | kMod1, 1633},  // Control 4, Mod1 2
        {kControlR, 0, 4324},
    };
    for (const Case& c : cases) {
        int code = -1;
        EXPECT_TRUE(xg_key_code(c.keysym, c.state, code)) << std::hex << c.keysym;
        EXPECT_EQ(code, c.code) << std::hex << c.keysym << " state " << c.state;
    }
    for (unsigned long skipped : {kShiftL, kShiftR, kControlL, kCapsLock, kAltL}) {
        int code = -1;
        EXPECT_FALSE(xg_key_code(skipped, kShift, code)) << std::hex << skipped;
    }
    EXPECT_EQ(xg_button_code(1, kControl), 1025);
    EXPECT_EQ(xg_button_code(3, kShift | kLock | kControl | kMod1), 3 + 256 * 15);
}

TEST(XKeys, ArgumentListAndSizeHints) {
    std::string display, geometry;
    EXPECT_TRUE(xg_parse_args({"Kavren", "-geometry", "=600x450+10+10"}, display, geometry));
    EXPECT_EQ(geometry, "=600x450+10+10");
    EXPECT_TRUE(
        xg_parse_args({"Kavren", "-g", "=600x450+10+10", "-display", "host:0"}, display, geometry));
    EXPECT_EQ(geometry, "=600x450+10+10");
    EXPECT_EQ(display, "host:0");
    EXPECT_FALSE(xg_parse_args({"Kavren", "-x", "y"}, display, geometry));
    EXPECT_FALSE(xg_parse_args({"Kavren", "-geometry"}, display, geometry));
    EXPECT_FALSE(xg_parse_args({"Kavren", "geometry", "=1x1"}, display, geometry));

    SizeHints h = set_sizehints(10, 10, 1000, 750, 10, 10, "=600x450+10+10", 1024, 768);
    EXPECT_EQ(std::vector<int>({h.x, h.y, h.width, h.height}),
              std::vector<int>({10, 10, 600, 450}));
    EXPECT_TRUE(h.user_size && h.user_position);
    h = set_sizehints(10, 10, 1000, 750, 10, 10, "", 1024, 768);
    EXPECT_EQ(std::vector<int>({h.x, h.y, h.width, h.height}),
              std::vector<int>({10, 10, 1000, 750}));
    EXPECT_FALSE(h.user_size || h.user_position);
    // Sizes are raised to the minimum; negative positions count from the far edges.
    h = set_sizehints(10, 10, 1000, 750, 10, 10, "5x300-20-30", 1024, 768);
    EXPECT_EQ(std::vector<int>({h.x, h.y, h.width, h.height}),
              std::vector<int>({1024 - 10 - 20, 768 - 300 - 30, 10, 300}));
}

//// under Xvfb ////

// Polls, with a time limit, until the X layer has an event waiting.
bool event_waiting() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (xglength() == 0) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class XWindowTest : public GraphicsTest {
  protected:
    XServer server;
    std::string window;  // the id of the window "Tessark"
    std::optional<std::string> old_display;

    void SetUp() override {
        GraphicsTest::SetUp();
        if (const char* d = std::getenv("DISPLAY")) old_display = d;
        KAVREN_START_X(server);
        setenv("DISPLAY", server.display().c_str(), 1);
        use_window_backend();
    }
    void TearDown() override {
        install_screen_backend(nullptr);
        if (old_display)
            setenv("DISPLAY", old_display->c_str(), 1);
        else
            unsetenv("DISPLAY");
        server.stop();
        GraphicsTest::TearDown();
    }
    // The program's own backend in place of the recording one, no window open.
    void use_window_backend() {
        install_screen_backend(make_window_backend());
        screen_detail::reset();
        draw_detail::reset();
    }
    // Opens the window as the first keyboard plot does and finds it.
    void open() {
        claser.ISCRN = 1;
        opwind();
        ASSERT_TRUE(screen_is_open());
        window = wait_for_window(server.display(), "Tessark");
        ASSERT_FALSE(window.empty()) << "no single window Tessark";
    }
    XwdImage shot() {
        screen_flush();
        XwdImage image;
        std::string problem;
        EXPECT_TRUE(screenshot(server.display(), window, image, problem)) << problem;
        return image;
    }
    // Row of a pixel y (y up) in a window of height h.
    static int row(int y, int h = 450) { return h - y; }
    ToolRun xdotool(std::vector<std::string> args) {
        args.insert(args.begin(), "xdotool");
        ToolRun r = run_tool(args, server.display());
        EXPECT_EQ(r.status, 0) << r.err;
        return r;
    }
    // The next event record of that kind, passing over others.
    ScreenEvent next_of_kind(int kind) {
        for (;;) {
            if (!event_waiting()) {
                ADD_FAILURE() << "no event of kind " << kind;
                return {-1, -1, -1, -1};
            }
            const ScreenEvent e = screen_backend().next_event();
            if (e.kind == kind) return e;
        }
    }
};

TEST_F(XWindowTest, OpwindMakesOneWindowInTheBackgroundColour) {
    struct Case {
        int icolor;
        Colour background;
    };
    for (const Case& c : {Case{1, {200, 200, 200}}, Case{0, {255, 255, 255}}}) {
        SCOPED_TRACE(c.icolor);
        machine.ICOLOR = c.icolor;
        use_window_backend();
        open();
        const ToolRun info = run_tool({"xwininfo", "-id", window}, server.display());
        ASSERT_EQ(info.status, 0) << info.err;
        for (const char* line : {"Absolute upper-left X:  10", "Absolute upper-left Y:  10",
                                 "Width: 600", "Height: 450", "Border width: 2"})
            EXPECT_NE(info.out.find(line), std::string::npos) << line << "\n" << info.out;
        const XwdImage image = shot();
        ASSERT_EQ(image.width, 600);
        ASSERT_EQ(image.height, 450);
        EXPECT_EQ(image.most_frequent(0, 0, 599, 449), c.background);
        // The background box reaches pixel column 598 (133 percent of 450).
        EXPECT_EQ(image.at(597, 449), c.background);
        EXPECT_EQ(image.at(0, 0), c.background);
    }
}

TEST_F(XWindowTest, CellsBoxesAndButtonsShowTheirColours) {
    open();
    // A cell set directly: each value modulo 256.
    screen_backend().set_cell(5, 300, 20, 511);
    colormap(0);
    ddrbox(2, 2, 10, 10, -5);
    // Boxes of palettes 1 and 2: their cells with the palette's base.
    struct Box {
        int mode, icol;
        Colour rgb;
    };
    const Box boxes[] = {{1, 2, {255, 255, 0}}, {1, 5, {200, 55, 230}}, {1, 7, {0, 155, 255}},
                         {2, 3, {255, 215, 0}}, {2, 16, {0, 100, 255}}, {2, 17, {200, 200, 200}}};
    int x = 12;
    for (const Box& b : boxes) {
        colormap(b.mode);
        ddrbox(x, 2, x + 8, 10, -b.icol);
        x += 10;
    }
    // A raised and a sunken button of style 2 (cells 15..19).
    colormap(0);
    ddrbut(10, 20, 50, 60, 2, 1);
    ddrbut(60, 20, 100, 60, 2, 2);
    const XwdImage image = shot();
    EXPECT_EQ(image.at(27, row(27)), (Colour{44, 20, 255}));
    x = 12;
    for (const Box& b : boxes) {
        const int px = int((x + 4) * 4.5), py = int(6 * 4.5);
        EXPECT_EQ(image.at(px, row(py)), b.rgb) << b.mode << " " << b.icol;
        x += 10;
    }
    // One pixel inside each part: bottom, right, top, left bevel and the face.
    // The button spans 180 pixels; its bevels are 11.25 wide and 22.5 high.
    const Colour ramp[5] = {
        {87, 120, 118}, {109, 150, 147}, {131, 180, 177}, {153, 210, 207}, {175, 240, 237}};
    struct Part {
        int dx, dy;          // pixel offset from the lower-left corner, y up
        int raised, sunken;  // index into the ramp
    };
    const Part parts[] = {
        {90, 1, 0, 4}, {178, 90, 1, 3}, {90, 178, 3, 1}, {1, 90, 4, 0}, {90, 90, 2, 2}};
    for (const Part& p : parts) {
        EXPECT_EQ(image.at(45 + p.dx, row(90 + p.dy)), ramp[p.raised]) << p.dx << " " << p.dy;
        EXPECT_EQ(image.at(270 + p.dx, row(90 + p.dy)), ramp[p.sunken]) << p.dx << " " << p.dy;
    }
}

TEST_F(XWindowTest, ClippedLineStopsAtTheViewport) {
    open();
    setwind(20, 20, 60, 60);  // viewport (94, 94)-(265, 265)
    dclipon();
    plotw(0.0, 150.0, 3);
    plotw(599.0, 150.0, 2);
    dclipoff();
    plotw(0.0, 300.0, 3);
    plotw(599.0, 300.0, 2);
    const XwdImage image = shot();
    const Colour black{0, 0, 0}, gray{200, 200, 200};
    EXPECT_EQ(image.at(94, row(150)), black);
    EXPECT_EQ(image.at(264, row(150)), black);
    EXPECT_EQ(image.at(92, row(150)), gray);
    EXPECT_EQ(image.at(267, row(150)), gray);
    // Without the clip the line crosses the window.
    EXPECT_EQ(image.at(1, row(300)), black);
    EXPECT_EQ(image.at(598, row(300)), black);
}

TEST_F(XWindowTest, FontsDrawBlackTextAndAMissingFontFallsBackOnce) {
    open();
    colormap(0);
    mdrbox(0, 0, 133, 100, 1);  // white
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    dfont(4);
    dtcolor(0);
    dmovt(0.1, 0.5);
    dtext("MMMM", 4);
    dfont(5);
    dfont(5);
    dmovt(0.1, 0.2);
    dtext("MMMM", 4);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("at 01 access to font successful2 access to font successfull3 access to "
                       "font successfull"),
              std::string::npos)
        << out;
    EXPECT_EQ(err, " can not open ent font\n");
    const XwdImage image = shot();
    const Colour black{0, 0, 0};
    // Text in 9x15 right of (45, 225), and in "fixed" right of (45, 90).
    EXPECT_TRUE(image.most_frequent(45, row(235), 80, row(225)) == (Colour{255, 255, 255}));
    int dark15 = 0, dark_fixed = 0;
    for (int y = row(240); y <= row(224); ++y)
        for (int x = 45; x < 90; ++x) dark15 += image.at(x, y) == black;
    for (int y = row(105); y <= row(89); ++y)
        for (int x = 45; x < 90; ++x) dark_fixed += image.at(x, y) == black;
    EXPECT_GT(dark15, 20);
    EXPECT_GT(dark_fixed, 20);
}

TEST_F(XWindowTest, EventsThroughXtestBecomeRecords) {
    open();
    xdotool({"mousemove", "--window", window, "100", "50"});
    xdotool({"type", "a"});
    ScreenEvent e = next_of_kind(EV_KEY);
    EXPECT_EQ(std::vector<int>({e.kind, e.code, e.x, e.y}), std::vector<int>({0, 97, 100, 400}));
    xdotool({"key", "shift+2"});
    e = next_of_kind(EV_KEY);
    EXPECT_EQ(e.code, 2112);
    xdotool({"keydown", "ctrl", "click", "1", "keyup", "ctrl"});
    e = next_of_kind(EV_RELEASE);
    EXPECT_EQ(std::vector<int>({e.kind, e.code, e.x, e.y}), std::vector<int>({3, 1025, 100, 400}));
    xdotool({"windowsize", window, "800", "600"});
    e = next_of_kind(EV_RESIZE);
    EXPECT_EQ(std::vector<int>({e.kind, e.code, e.x, e.y}), std::vector<int>({4, 0, 800, 600}));
}

TEST_F(XWindowTest, AfterAResizeDrawingFlipsAgainstTheNewHeight) {
    open();
    xdotool({"windowsize", window, "800", "600"});
    xdotool({"mousemove", "--window", window, "10", "10"});
    xdotool({"type", "q"});
    // mlocat follows the resize, then returns the key.
    int kind = -1;
    char ch = 0;
    Arr1<int, 2> ixy;
    mlocat(kind, ch, ixy);
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(ch, 'q');
    EXPECT_EQ(wsize.WSIZE, 600.0);
    colormap(1);
    mdrbox(0, 0, 133, 100, BACKGROUND);
    mdrbox(10, 2, 50, 17, 1);  // pixels y 12..102: rows 498..588
    const XwdImage image = shot();
    ASSERT_EQ(image.height, 600);
    const Colour white{255, 255, 255}, black{0, 0, 0}, gray{200, 200, 200};
    EXPECT_EQ(image.at(150, 497), gray);
    EXPECT_EQ(image.at(150, 498), black);
    EXPECT_EQ(image.at(150, 499), white);
    EXPECT_EQ(image.at(150, 587), white);
    EXPECT_EQ(image.at(150, 588), black);
    EXPECT_EQ(image.at(150, 589), gray);
}

TEST_F(XWindowTest, ColourCellsThatCannotBeHadAreSaidOnceAndTheRunGoesOn) {
    // A server of 256 colour cells: cells beyond them cannot all be allocated.
    server.stop();
    KAVREN_START_X_SCREEN(server, "1024x768x8");
    setenv("DISPLAY", server.display().c_str(), 1);
    use_window_backend();
    open();
    ::testing::internal::CaptureStdout();
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 100; i < 400; ++i) xgsetcm(i, i % 7 * 40, i % 11 * 25, i);
    const std::string out = ::testing::internal::GetCapturedStdout();
    int lines = 0;
    for (std::size_t at = out.find("*** XAllocColor died ; no color 399 \n");
         at != std::string::npos; at = out.find("*** XAllocColor died ; no color 399 \n", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1) << out;
    // The window still draws and answers.
    colormap(0);
    mdrbox(0, 0, 133, 100, 1);
    screen_flush();
    EXPECT_TRUE(screen_is_open());
    EXPECT_FALSE(wait_for_window(server.display(), "Tessark").empty());
}

TEST(XDisplay, MenuModeWithoutADisplayEndsWithStatus1) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("DISPLAY", ":77", 1);
            install_screen_backend(make_window_backend());
            cmode.IMENU = 1;
            opwind();
        },
        ::testing::ExitedWithCode(1), "Kavren:  unable to open display ':77'");
}

TEST(XDisplay, ServerHelperSaysWhyThereIsNoServer) {
    const char* old = std::getenv("KAVREN_XVFB");
    const std::string saved = old ? old : "";
    setenv("KAVREN_XVFB", "no-such-program", 1);
    XServer server;
    std::string reason;
    EXPECT_FALSE(server.start(reason));
    EXPECT_EQ(reason, "cannot run no-such-program");
    if (old)
        setenv("KAVREN_XVFB", saved.c_str(), 1);
    else
        unsetenv("KAVREN_XVFB");
}

}  // namespace
}  // namespace kavren::testing
