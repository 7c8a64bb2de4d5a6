// The screen driver on the recording backend: buttons and boxes on colour and
// monochrome displays, far and broken points, texts, fonts, the clip, and the
// wait for keys and clicks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "graphics_fixture.hpp"
#include "records/control.hpp"

namespace kavren::testing {
namespace {

class ScreenTest : public GraphicsTest {
  protected:
    std::vector<int> fill_cells() const {
        std::vector<int> v;
        for (const Drawn& d : screen->of(Drawn::FILL)) v.push_back(d.cell);
        return v;
    }
    // Every pixel drawn lies within a few window sizes of the window.
    void expect_in_range() const {
        for (const Drawn& d : screen->drawn)
            for (const Pixel& p : d.points) {
                EXPECT_TRUE(p.x >= -3 * 450 && p.x <= 4 * 450) << p.x;
                EXPECT_TRUE(p.y >= -3 * 450 && p.y <= 4 * 450) << p.y;
            }
    }
};

TEST_F(ScreenTest, ButtonsFillTheirBevelsAndFaceFromTheirRamp) {
    open_window();
    colormap(0);
    struct Case {
        int style, state;
        std::vector<int> cells;
    };
    const Case cases[] = {
        {2, 1, {15, 16, 18, 19, 17}},  // raised: bottom, right, top, left, face
        {1, 2, {14, 13, 11, 10, 12}},  // sunken
        {1, -2, {14, 13, 11, 10}},     // sunken without face
        {2, -1, {15, 16, 18, 19}},     // raised without face
    };
    for (const Case& c : cases) {
        screen->drawn.clear();
        ddrbut(100, 50, 132, 58, c.style, c.state);
        EXPECT_EQ(fill_cells(), c.cells) << c.style << " " << c.state;
    }
    // The bottom bevel runs along the bottom edge, 1/8 of the height up.
    screen->drawn.clear();
    ddrbut(100, 50, 132, 58, 2, 1);
    const std::vector<Drawn> f = screen->of(Drawn::FILL);
    EXPECT_EQ(f[0].points, (std::vector<Pixel>{{450, 225}, {594, 225}, {585, 229}, {459, 229}}));
    EXPECT_EQ(f[4].points, (std::vector<Pixel>{{459, 229}, {585, 229}, {585, 256}, {459, 256}}));
}

TEST_F(ScreenTest, MonochromeBoxesAreBlackOrWhiteAndButtonsAreBlackBoxes) {
    machine.ICOLOR = 0;
    open_window();
    const Rgb black{0, 0, 0}, white{255, 255, 255};
    const std::pair<int, Rgb> boxes[] = {{17, black}, {1, white}, {508, white}};
    for (auto [icol, colour] : boxes) {
        screen->drawn.clear();
        ddrbox(10, 10, 20, 20, icol);
        const std::vector<Drawn> f = screen->of(Drawn::FILL);
        ASSERT_EQ(f.size(), 1u);
        EXPECT_EQ(screen->cells[f[0].cell], colour) << icol;
    }
    screen->drawn.clear();
    ddrbut(10, 10, 20, 20, 2, 1);
    ASSERT_EQ(screen->of(Drawn::FILL).size(), 1u);
    EXPECT_EQ(screen->cells[screen->of(Drawn::FILL)[0].cell], black);
    const std::vector<Drawn> outline = screen->of(Drawn::LINE);
    ASSERT_EQ(outline.size(), 4u);
    for (const Drawn& l : outline) EXPECT_EQ(screen->cells[l.cell], black);
}

TEST_F(ScreenTest, FarAndBrokenPointsDrawOnlyPixelsInRange) {
    open_window();
    iscaler.SCALE = iscaler.XSCALE = iscaler.YSCALE = 100.0;
    iscaler.XOFF = iscaler.YOFF = 50.0;
    int icol = 0;
    mline(-1e9, 0.0, 1.0, 1.0, icol);
    const std::vector<Drawn> l = screen->of(Drawn::LINE);
    ASSERT_EQ(l.size(), 2u);  // there and back
    // Cut where it enters the guard, 1500 pixels before its end: y just below 150.
    EXPECT_EQ(l[0].points[0], (Pixel{-3 * 450, 149}));
    EXPECT_EQ(l[0].points[1], (Pixel{150, 150}));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double poly[10] = {0, 0, 1, 0, nan, 0.5, 1, 1, 1e300, 1};
    mfill(5, poly, 2);
    const std::vector<Drawn> f = screen->of(Drawn::FILL);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].points.front(), (Pixel{50, 50}));
    EXPECT_EQ(f[0].cell, 42);
    // A pen line to a far pixel keeps its direction instead of wrapping round.
    screen->drawn.clear();
    plotw(100.0, 100.0, 3);
    plotw(100.0 + 70000.0, 100.0, 2);
    ASSERT_EQ(screen->drawn.size(), 1u);
    EXPECT_EQ(screen->drawn[0].points[1], (Pixel{4 * 450, 100}));
    expect_in_range();
}

TEST_F(ScreenTest, PenMovesOnlyForPenCodesTwoAndThree) {
    open_window();
    plotw(10.9, 20.2, 3);
    plotw(99.0, 99.0, 1);
    EXPECT_EQ(xgmovs.IXPEN, 10);
    EXPECT_EQ(xgmovs.IYPEN, 20);
    plotw(30.0, 20.0, 2);
    ASSERT_EQ(screen->drawn.size(), 1u);
    EXPECT_EQ(screen->drawn[0].points, (std::vector<Pixel>{{10, 20}, {30, 20}}));
    EXPECT_EQ(screen->drawn[0].cell, 0);
}

TEST_F(ScreenTest, TextsArePaddedAndCutAtEightyInTheTextColour) {
    open_window();
    dmovt(0.2f, 0.9f);
    dtcolor(3);
    dtext("AB", 4);
    dtcolor(5000);  // no such cell: the colour stays
    dtext(std::string(100, 'x'), 100);
    const std::vector<Drawn> t = screen->of(Drawn::TEXT);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].points[0], (Pixel{90, 404}));
    EXPECT_EQ(t[0].text, "AB  ");
    EXPECT_EQ(t[0].cell, 3);
    EXPECT_EQ(t[1].text, std::string(80, 'x'));
    EXPECT_EQ(t[1].cell, 3);
}

TEST_F(ScreenTest, FontFourIsTracedOnTheTerminalAndFontsOneToThreeChangeNothing) {
    open_window();
    dfont(2);
    EXPECT_EQ(screen->font, "");
    dfont(4);
    EXPECT_EQ(screen->font, "9x15");
    EXPECT_EQ(file("term.txt"), " before xgfont 9x15\n again  ...\n after xgfont 9x15\n");
    dfont(1);
    dfont(7);
    EXPECT_EQ(screen->font, "6x10");
    dtext("A", 1);
    EXPECT_EQ(screen->drawn.back().font, "6x10");
}

TEST_F(ScreenTest, ClipIsTheViewportOrTheWholeWindow) {
    open_window();
    setwind(0, 25, 100, 93);
    dclipon();
    dtext("A", 1);
    dclipoff();
    dtext("B", 1);
    ASSERT_EQ(screen->drawn.size(), 2u);
    EXPECT_EQ(screen->drawn[0].clip0, (Pixel{4, 117}));
    EXPECT_EQ(screen->drawn[0].clip1, (Pixel{445, 414}));
    EXPECT_EQ(screen->drawn[1].clip0, (Pixel{0, 0}));
    EXPECT_EQ(screen->drawn[1].clip1, (Pixel{599, 450}));
}

TEST_F(ScreenTest, MlocatReturnsKeysAndReleasesAndFollowsResizes) {
    open_window();
    Arr1<int, 2> ixy;
    int kind = -1;
    char ch = 0;
    screen->events = {{EV_PRESS, 2, 5, 5},
                      {EV_GEXPOSE, 0, 0, 0},
                      {EV_EXPOSE, 0, 0, 0},
                      {EV_RELEASE, 2 + 256 * 8, 120, 340}};
    mlocat(kind, ch, ixy);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(ch, 'f');
    EXPECT_EQ(ixy(1), 120);
    EXPECT_EQ(ixy(2), 340);
    EXPECT_EQ(screen->events_taken, 4);
    for (auto [button, want] : {std::pair{1, 'g'}, std::pair{3 + 256 * 4, 'e'}}) {
        screen->events = {{EV_RELEASE, button, 0, 0}};
        mlocat(kind, ch, ixy);
        EXPECT_EQ(ch, want);
    }
    ixy(1) = -7;
    screen->events = {{EV_RESIZE, 0, 800, 600}, {EV_KEY, 256 * 8 + 0x41, 1, 2}};
    mlocat(kind, ch, ixy);
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(ch, 'A');
    EXPECT_EQ(ixy(1), -7);
    EXPECT_EQ(wsize.WSIZE, 600.0);
}

TEST_F(ScreenTest, NothingIsDrawnOrAwaitedWithoutAWindow) {
    ddrbox(0, 0, 10, 10, 3);
    plotw(0, 0, 3);
    plotw(10, 10, 2);
    dtext("A", 1);
    dfont(4);
    EXPECT_TRUE(screen->drawn.empty());
    EXPECT_EQ(file("term.txt"), "");
    Arr1<int, 2> ixy;
    int kind = -1;
    char ch = 0;
    mlocat(kind, ch, ixy);
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(ch, '\r');
    EXPECT_EQ(screen->events_taken, 0);
}

TEST_F(ScreenTest, FillsAddThePaletteBaseAndTheBackgroundIsCellFifteen) {
    open_window();
    const double tri[6] = {0, 0, 10, 0, 0, 10};
    colfill(3, tri, 3);
    colfill(3, tri, BACKGROUND);
    colormap(2);
    colfill(3, tri, 3);
    colormap(0);
    colfill(3, tri, 3);
    EXPECT_EQ(fill_cells(), (std::vector<int>{43, 15, 59, 3}));
    EXPECT_EQ(screen->cells[56 + 17], (Rgb{200, 200, 200}));
    EXPECT_EQ(screen->cells[39], (Rgb{240, 160, 192}));
}

}  // namespace
}  // namespace kavren::testing
