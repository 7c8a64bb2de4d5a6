// The drawing interface: the plot scale of every layout, the viewport, the
// plot bracket (screen only from the keyboard, the window opened once, the
// file closed by endpl) and the two halves of the m-calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "graphics_fixture.hpp"

namespace kavren::testing {
namespace {

using Lines = std::vector<std::string>;

class DrawTest : public GraphicsTest {};

TEST_F(DrawTest, SetscaleCentresThePictureInTheAreaOfItsLayout) {
    struct Case {
        int layout;
        double xmin, xmax, ymin, ymax;
        double xscale, yscale, xoff, yoff;
        int ilayf;  // -1: left as it was (9)
    };
    const Case cases[] = {
        {0, 0, 2, 0, 1, 225, 225, 0, 153.75, 0},
        {0, 0, 1, 0, 2, 169.5, 169.5, 167.25, 81, 1},
        {1, 0, 1, 0, 2, 169.5, 169.5, 174, 81, 1},
        {2, 0, 10, 0, 1, 45, 45, 0, 228, -1},
        {3, 0, 10, 0, 1, 35.1, 270.0000107, 54, 112.5, -1},
        // A square takes the wide row.
        {0, 0, 1, 0, 1, 307.5, 307.5, 71.25, 112.5, 0},
    };
    wsize.WSIZE = 450.0;
    for (const Case& c : cases) {
        iscale.ILAYF = 9;
        cscale.LAYOUT = c.layout;
        cxmin = {c.xmin, c.xmax, c.ymin, c.ymax};
        setscale();
        SCOPED_TRACE(c.layout);
        EXPECT_NEAR(iscaler.XSCALE, c.xscale, 1e-5);
        EXPECT_NEAR(iscaler.YSCALE, c.yscale, 1e-5);
        EXPECT_NEAR(iscaler.SCALE, std::min(c.xscale, c.yscale), 1e-5);
        EXPECT_NEAR(iscaler.XOFF, c.xoff, 1e-5);
        EXPECT_NEAR(iscaler.YOFF, c.yoff, 1e-5);
        EXPECT_EQ(iscale.ILAYF, c.ilayf < 0 ? 9 : c.ilayf);
    }
}

TEST_F(DrawTest, DegenerateExtentsAndUnknownLayoutsGiveFiniteScales) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        int layout;
        double xmin, xmax, ymin, ymax;
    };
    const Case cases[] = {{0, 1, 1, 1, 1},          {0, 0, 1, 2, 2},   {3, 5, 5, 0, 4},
                          {0, 2, 0, 3, 1},          {0, nan, 1, 0, 1}, {1, 0, inf, 0, 1},
                          {3, -inf, inf, nan, nan}, {7, 0, 1, 0, 1},   {-1, 0, 2, 0, 1},
                          {0, -1e308, 1e308, 0, 1}};
    wsize.WSIZE = 450.0;
    for (const Case& c : cases) {
        cscale.LAYOUT = c.layout;
        cxmin = {c.xmin, c.xmax, c.ymin, c.ymax};
        setscale();
        for (double v : {iscaler.SCALE, iscaler.XSCALE, iscaler.YSCALE, iscaler.XOFF, iscaler.YOFF})
            EXPECT_TRUE(std::isfinite(v) && v == v) << c.layout << " " << c.xmin << " " << c.xmax;
        EXPECT_GT(iscaler.SCALE, 0.0);
    }
    // Reversed extents give the scale of the ordered ones; layout 7 that of layout 2.
    cscale.LAYOUT = 7;
    cxmin = {10, 0, 1, 0};
    setscale();
    EXPECT_NEAR(iscaler.SCALE, 45.0, 1e-5);
    EXPECT_NEAR(iscaler.YOFF, 228.0, 1e-5);
}

TEST_F(DrawTest, SetwindShrinksTheFrameByOnePercentInWholePixels) {
    for (auto [ws, want] : {std::pair{450.0, Viewport{4, 117, 445, 414}},
                            std::pair{750.0, Viewport{7, 195, 742, 690}}}) {
        wsize.WSIZE = ws;
        setwind(0, 25, 100, 93);
        EXPECT_EQ(viewport.IVX1, want.IVX1);
        EXPECT_EQ(viewport.IVY1, want.IVY1);
        EXPECT_EQ(viewport.IVX2, want.IVX2);
        EXPECT_EQ(viewport.IVY2, want.IVY2);
    }
}

TEST_F(DrawTest, MnumIsAsWideAsTheDigitsOfTheNextNumber) {
    open_window();
    const std::pair<int, const char*> cases[] = {
        {0, "0"},     {9, " 9"},        {10, "10"},   {99, " 99"},
        {100, "100"}, {16000, "16000"}, {-42, "-42"}, {2147483647, "2147483647"}};
    for (auto [i, text] : cases) {
        screen->drawn.clear();
        mnum(i);
        ASSERT_EQ(screen->drawn.size(), 1u);
        EXPECT_EQ(screen->drawn[0].text, text) << i;
    }
}

TEST_F(DrawTest, PlotFromADeckWritesItsFileButDrawsNothing) {
    deck("PLOT,LASER=FIG1\n");
    read();
    cxmin = {0, 1, 0, 1};
    start1();
    EXPECT_EQ(claser.ISCRN, 0);
    EXPECT_TRUE(screen->opens.empty());
    EXPECT_TRUE(ps_writing());
    // The frame of layout 0, white, and its outline begun, in points.
    const Lines b = body("fig1");
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b[0], "412.5 0.0 n 38.5 0.0 d 38.5 550.0 d 412.5 550.0 d");
    EXPECT_EQ(b[1], "412.5 0.0 c");
    EXPECT_EQ(b[2], "1.000 s");
    EXPECT_EQ(b[3], b[0]);
    EXPECT_NEAR(lscale.SCALE, iscaler.SCALE * 550.0 / 750.0, 1e-12);
    endpl();
    EXPECT_EQ(claser.ILASER, 0);
    EXPECT_EQ(lines("print/fig1").back(), " stroke showpage");
    // After endpl nothing more reaches the file.
    const std::string before = file("print/fig1");
    mmovt(10, 10);
    mtext("LATE", 4);
    mdrbox(0, 0, 10, 10, 3);
    EXPECT_EQ(file("print/fig1"), before);
}

TEST_F(DrawTest, MenuModeDrawsAgainAfterAPlotReadFromAFile) {
    cmode.IMENU = 1;
    deck("PLOT\n");
    read();
    cxmin = {0, 1, 0, 1};
    start1();
    EXPECT_EQ(claser.ISCRN, 0);
    endpl();
    EXPECT_EQ(claser.ISCRN, 1);
    EXPECT_TRUE(screen->opens.empty());  // menu mode opens its window at start-up
}

TEST_F(DrawTest, KeyboardPlotOpensTheWindowOnceAndFlushesAtItsEnd) {
    deck("PLOT\n");
    read();
    cinout.LUIN = cinout.LUKBD;
    cxmin = {0, 1, 0, 1};
    start1();
    EXPECT_EQ(claser.ISCRN, 1);
    ASSERT_EQ(screen->opens.size(), 1u);
    EXPECT_EQ(screen->opens[0],
              (std::vector<std::string>{"Kavren", "-geometry", "=600x450+10+10"}));
    EXPECT_EQ(wsize.WSIZE, 450.0);
    EXPECT_EQ(iscale.IWIDTH, 450);
    endpl();
    EXPECT_EQ(screen->flushes, 1);
    start1();
    EXPECT_EQ(screen->opens.size(), 1u);
    // The plot frame at 450: white box and its outline in cell 0.
    const std::vector<Drawn> fills = screen->of(Drawn::FILL);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills.back().cell, 41);
    EXPECT_EQ(fills.back().points,
              (std::vector<Pixel>{{0, 112}, {450, 112}, {450, 418}, {0, 418}}));
}

TEST_F(DrawTest, DisplayNodeIsNamedInTheArguments) {
    display.IDISP = 1;
    display.DISPNM = Chars<12>("hosta");
    opwind();
    ASSERT_EQ(screen->opens.size(), 1u);
    EXPECT_EQ(screen->opens[0], (std::vector<std::string>{"Kavren", "-geometry", "=600x450+10+10",
                                                          "-display", "hosta:0"}));
}

TEST_F(DrawTest, WindowThatCannotOpenLeavesTheScreenOffAndTheFileWritten) {
    screen->open_succeeds = false;
    deck("PLOT,LASER=FIG3\n");
    read();
    cinout.LUIN = cinout.LUKBD;
    cxmin = {0, 1, 0, 1};
    start1();
    EXPECT_EQ(claser.ISCRN, 0);
    EXPECT_EQ(wsize.WSIZE, 750.0);
    claser.NGRAY = 8;
    mfill(4, std::vector<double>{0, 0, 1, 0, 1, 1, 0, 1}.data(), 2);
    endpl();
    EXPECT_TRUE(screen->drawn.empty());
    EXPECT_EQ(screen->flushes, 0);
    EXPECT_TRUE(has_line("print/fig3", "0.857 s"));
    // No second attempt.
    start1();
    EXPECT_EQ(claser.ISCRN, 0);
    EXPECT_EQ(screen->opens.size(), 1u);
}

TEST_F(DrawTest, OpwindLoadsBlackWhiteAndPaletteOneAndPaintsTheBackground) {
    claser.ISCRN = 1;
    opwind();
    EXPECT_EQ(screen->cells[0], (Rgb{0, 0, 0}));
    EXPECT_EQ(screen->cells[1], (Rgb{255, 255, 255}));
    EXPECT_EQ(screen->cells[40], (Rgb{0, 0, 0}));
    EXPECT_EQ(screen->cells[44], (Rgb{255, 0, 0}));
    EXPECT_EQ(screen->cells[55], (Rgb{200, 200, 200}));
    EXPECT_EQ(screen->cells.count(56), 0u);
    EXPECT_EQ(clmap.MAPBAS, 40);
    // The PostScript half of the background box waits for the file.
    ASSERT_EQ(screen->drawn.size(), 1u);
    EXPECT_EQ(screen->drawn[0].cell, 55);
    EXPECT_EQ(screen->drawn[0].points,
              (std::vector<Pixel>{{0, 0}, {598, 0}, {598, 450}, {0, 450}}));
}

TEST_F(DrawTest, BoxesWithNegativeOrZeroColourWriteNoFillToTheFile) {
    open_window();
    open_file();
    mdrbox(0, 0, 10, 10, -12);
    ASSERT_EQ(screen->drawn.size(), 1u);  // the box without outline
    EXPECT_EQ(screen->drawn[0].cell, 52);
    EXPECT_TRUE(body().empty());
    mdrbox(0, 0, 10, 10, 0);
    wflush();
    EXPECT_EQ(body(), (Lines{"550.0 0.0 n 495.0 0.0 d 495.0 55.0 d 550.0 55.0 d",
                             "550.0 0.0 c 0.0 0.0 m", "0 setgray stroke"}));
    EXPECT_EQ(lscale.LPOINT, 0);
}

TEST_F(DrawTest, OutlinesSetTheCallersColourToZeroWhenTheScreenIsOn) {
    const double xy[4] = {0, 0, 1, 1};
    int icol = 5;
    mpline(2, xy, icol);
    EXPECT_EQ(icol, 5);
    mline(0, 0, 1, 1, icol);
    EXPECT_EQ(icol, 5);
    open_window();
    mpline(2, xy, icol);
    EXPECT_EQ(icol, 0);
    icol = 5;
    mline(0, 0, 1, 1, icol);
    EXPECT_EQ(icol, 0);
}

TEST_F(DrawTest, MlineWritesOneLineToTheFile) {
    open_window();
    open_file();
    iscaler.SCALE = iscaler.XSCALE = iscaler.YSCALE = 100.0;
    lscale.XSCALE = lscale.YSCALE = 10.0;
    int icol = 0;
    mline(1.0, 2.0, 3.0, 4.0, icol);
    wflush();
    EXPECT_EQ(body(), (Lines{"530.0 10.0 m 510.0 30.0 d", "0 setgray stroke"}));
    // On the screen the pen goes there and back.
    const std::vector<Drawn> l = screen->of(Drawn::LINE);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0].points, (std::vector<Pixel>{{100, 200}, {300, 400}}));
    EXPECT_EQ(l[0].cell, 0);
}

TEST_F(DrawTest, MonochromeFillsOnlyColourOne) {
    machine.ICOLOR = 0;
    open_window();
    iscaler.XSCALE = iscaler.YSCALE = 10.0;
    const double sq[8] = {1, 1, 2, 1, 2, 2, 1, 2};
    mfill(4, sq, 3);
    EXPECT_TRUE(screen->of(Drawn::FILL).empty());
    EXPECT_EQ(screen->of(Drawn::LINE).size(), 4u);
    screen->drawn.clear();
    mfill(4, sq, 1);
    ASSERT_EQ(screen->of(Drawn::FILL).size(), 1u);
    EXPECT_EQ(screen->of(Drawn::FILL)[0].cell, 1);
}

}  // namespace
}  // namespace kavren::testing
