// The window of menu mode on the recording backend: the menu column, the line
// editor with scripted keys and clicks, the text ring and its scrolling, the
// messages in the command area, the repaint and the closing step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "control/command_area.hpp"
#include "control/echo.hpp"
#include "control/menu.hpp"
#include "control/messages.hpp"
#include "graphics_fixture.hpp"
#include "graphics/menu_window.hpp"
#include "records/control.hpp"

namespace kavren::testing {
namespace {

class MenuWindowTest : public GraphicsTest {
  protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        install_command_window();
        blkmen();
        cmode.IMENU = 1;
        cinout.LUIN = cinout.LUKBD;
        open_window();
        drwind();
        screen->drawn.clear();
    }
    void TearDown() override {
        command_window = CommandWindow();
        GraphicsTest::TearDown();
    }
    // A pixel of a percent point.
    int px(double p) { return static_cast<int>(std::lround(p * wsize.WSIZE / 100.0)); }
    void key(char c) { screen->events.push_back({EV_KEY, static_cast<unsigned char>(c), 0, 0}); }
    void keys(const std::string& s) {
        for (char c : s) key(c);
    }
    // A release of mouse button b at percent point (x, y).
    void click(double x, double y, int b = 1) { screen->events.push_back({EV_RELEASE, b, px(x), px(y)}); }
    // A click in the middle of row r of column 2 (a menu entry).
    void click_row(int r, int b = 1) { click(121.5, 87.5 - 3 * r, b); }
    // The line the editor submits: line 2 after its prompt.
    std::string submitted(int menu) {
        int ipick = 0;
        getcom(menu, ipick);
        return std::string(cinput.CMDLIN(2).view().substr(6, static_cast<std::size_t>(cinput.LENLIN(2) - 6)));
    }
    // The texts drawn, in order.
    std::vector<std::string> texts() {
        std::vector<std::string> v;
        for (const Drawn& d : screen->of(Drawn::TEXT)) v.push_back(d.text);
        return v;
    }
    // The row of the menu column a text was drawn in.
    int row_of(const Drawn& d) {
        return static_cast<int>(std::lround((87.0 - 100.0 * d.points[0].y / wsize.WSIZE) / 3.0));
    }
};

TEST_F(MenuWindowTest, MenuTwoAtDepthFourShowsOptionsThePathAndItsEntries) {
    iodati.INDENT = 10;
    for (int d = 1; d <= 3; ++d) mstack.MTITLE(d) = Chars<10>("LEVEL" + std::to_string(d));
    for (int d = 1; d <= 3; ++d) mstack.MTLEN(d) = 6;
    drmenu(2);
    std::vector<std::pair<int, std::string>> column;
    for (const Drawn& d : screen->of(Drawn::TEXT))
        if (100.0 * d.points[0].x / wsize.WSIZE > 114) column.push_back({row_of(d), d.text});
    ASSERT_EQ(column.size(), 17u);
    EXPECT_EQ(column[0], std::make_pair(0, std::string("OPTIONS")));
    EXPECT_EQ(column[1], std::make_pair(1, std::string("LEVEL1")));
    EXPECT_EQ(column[4], std::make_pair(4, std::string("NODES")));
    EXPECT_EQ(column[5], std::make_pair(5, std::string("POINT")));
    EXPECT_EQ(column[16], std::make_pair(16, std::string(" RESET")));
    EXPECT_EQ(iwindo.MENUNO, 2);
    EXPECT_EQ(iwindo.NROWS, 17);

    // A shorter menu next paints the rows below its button in the background.
    screen->drawn.clear();
    drmenu(17);
    EXPECT_EQ(iwindo.NROWS, 2 + 4);
    bool cleared = false;
    for (const Drawn& d : screen->of(Drawn::FILL)) {
        if (d.cell != 12) continue;
        int lo = d.points[0].y, hi = d.points[0].y;
        for (const Pixel& p : d.points) lo = std::min(lo, p.y), hi = std::max(hi, p.y);
        cleared |= std::abs(lo - px(86 - 3 * 17)) <= 1 && std::abs(hi - px(90 - 3 * 6)) <= 1;
    }
    EXPECT_TRUE(cleared);

    // From a file the title is recorded and nothing drawn.
    screen->drawn.clear();
    deck("");
    drmenu(5);
    EXPECT_EQ(mstack.MTITLE(4).trimmed(), "ELEMENT");
    EXPECT_TRUE(screen->drawn.empty());
    EXPECT_EQ(iwindo.MENUNO, 17);
}

struct EditCase {
    const char* name;
    int menu;
    std::vector<ScreenEvent> events;  // percent positions for clicks
    std::string record;
};

TEST_F(MenuWindowTest, TheLineEditorBuildsTheRecord) {
    iodati.INDENT = 4;  // depth 2
    auto k = [](char c) { return ScreenEvent{EV_KEY, static_cast<unsigned char>(c), 0, 0}; };
    // Row of entry i of a menu at depth 2 is i + 1; its middle in percent.
    auto entry = [](int i, int b) { return ScreenEvent{EV_RELEASE, b, 1215, 875 - 30 * (i + 1)}; };
    const EditCase cases[] = {
        {"delete", 0, {k('A'), k('B'), k('C'), k('\\'), k('\\'), k('\r')}, "A"},
        {"plot zoom", 2, {entry(9, 3), entry(10, 1)}, "PLOT, ZOOM"},
        {"empty space", 2, {k('A'), k('B'), {EV_RELEASE, 1, 500, 500}}, "AB"},
        {"button 3 elsewhere waits", 2, {k('X'), {EV_RELEASE, 3, 500, 500}, k('\r')}, "X"},
        {"hist", 2, {{EV_RELEASE, 1, 1080, 805}}, "H  "},
        {"end after a word", 2, {entry(2, 3), {EV_RELEASE, 1, 1080, 775}}, "POINT,END"},
    };
    for (const EditCase& c : cases) {
        screen->events.clear();
        for (ScreenEvent e : c.events) {
            if (e.kind == EV_RELEASE) {
                e.x = px(e.x / 10.0);
                e.y = px(e.y / 10.0);
            }
            screen->events.push_back(e);
        }
        EXPECT_EQ(submitted(c.menu), c.record) << c.name;
        EXPECT_EQ(cinput.LENLIN(1), 6) << c.name;
        EXPECT_TRUE(screen->events.empty()) << c.name;
    }
    EXPECT_EQ(cinput.CMDLIN(1).trimmed(), "   ->");
}

TEST_F(MenuWindowTest, DeletingOnAnEmptyLineKeepsThePrompt) {
    key('\\');
    key('\\');
    key('Q');
    key('\r');
    EXPECT_EQ(submitted(0), "Q");
    EXPECT_EQ(cinput.CMDLIN(2).view().substr(0, 4), "   -");
}

TEST_F(MenuWindowTest, TheEditLineHoldsEightyColumns) {
    keys(std::string(100, 'K'));
    key('\r');
    int ipick = 0;
    getcom(0, ipick);
    EXPECT_EQ(cinput.LENLIN(2), 80);
    // A picked entry that would not fit leaves the line as it was.
    keys(std::string(72, 'K'));
    click_row(3, 3);  // ARC, entry 3 of menu 2 at depth 1: ",ARC," would pass column 80
    key('\r');
    getcom(2, ipick);
    EXPECT_EQ(cinput.LENLIN(2), 78);
}

TEST_F(MenuWindowTest, UpWithFewerThanFourLinesDrawsNothing) {
    for (int i = 0; i < 3; ++i) echo_line("L" + std::to_string(i));
    screen->drawn.clear();
    scrollup();
    EXPECT_EQ(cbuftext.IVIEW, 3);
    EXPECT_TRUE(screen->of(Drawn::TEXT).empty());
}

TEST_F(MenuWindowTest, TheRingWrapsAfterOneHundredLinesAndUpShowsTheOldest) {
    for (int i = 1; i <= 101; ++i) echo_line("L" + std::to_string(i));
    EXPECT_EQ(cbuftext.ILAST, 1);
    EXPECT_EQ(cbuftext.IWRAP, 1);
    screen->drawn.clear();
    // UP clicked in the column.
    click(108, 69.5);
    key('\r');
    int ipick = 0;
    getcom(0, ipick);
    std::vector<std::string> shown;
    for (const std::string& t : texts())
        if (t.rfind("----", 0) == 0) shown.push_back(t);
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown[0], "----L100");
    EXPECT_EQ(shown[1], "----L99");
    EXPECT_EQ(shown[2], "----L98");
    EXPECT_EQ(cbuftext.ISCROL, 1);
}

TEST_F(MenuWindowTest, ScrollingStaysInsideTheRing) {
    for (int i = 1; i <= 200; ++i) echo_line("L" + std::to_string(i));
    for (int i = 0; i < 250; ++i) {
        if (i % 7 == 3) scrolldo();
        else scrollup();
        ASSERT_GE(cbuftext.IVIEW, 1);
        ASSERT_LE(cbuftext.IVIEW, 100);
    }
    for (int i = 0; i < 150; ++i) {
        scrolldo();
        ASSERT_GE(cbuftext.IVIEW, 1);
        ASSERT_LE(cbuftext.IVIEW, 100);
    }
    EXPECT_EQ(cbuftext.IVIEW, cbuftext.ILAST);
}

TEST_F(MenuWindowTest, AnEchoDuringAReplayChangesNothing) {
    echo_line("FIRST");
    const std::string log = file("decks/t.out");
    cbinrec.IREPLY = 1;
    echo_line("SECOND");
    EXPECT_EQ(cbuftext.ILAST, 1);
    EXPECT_EQ(file("decks/t.out"), log);
}

TEST_F(MenuWindowTest, MessagesGoToTheCommandAreaAndTheRing) {
    for (int i = 1; i <= 101; ++i) ffldou(0, MSG_INFO, "MESSAGE " + std::to_string(i));
    EXPECT_EQ(cbuftext.ILAST, 1);
    EXPECT_EQ(cbuftext.BUFTXT(1).trimmed(), "   -> MESSAGE 101");
    EXPECT_EQ(file("term.txt").find("MESSAGE"), std::string::npos);

    screen->drawn.clear();
    const std::string long_text(128, 'M');
    ffldou(0, MSG_INFO, long_text);
    EXPECT_EQ(cinput.LENLIN(2), 80);
    EXPECT_EQ(cinput.CMDLIN(2).view(), "   -> " + std::string(74, 'M'));
    EXPECT_EQ(cbuftext.BUFTXT(2).view(), "   -> " + std::string(66, 'M'));
    bool drawn74 = false;
    for (const std::string& t : texts()) drawn74 |= t == "   -> " + std::string(74, 'M');
    EXPECT_TRUE(drawn74);

    // An error marks the command shown on line 2.
    cinput.CMDLIN(2) = Line80("   -+ SOLVE");
    cinput.LENLIN(2) = 11;
    ffldou(0, MSG_ERROR, "IT FAILED");
    EXPECT_EQ(cinput.CMDLIN(3).view().substr(0, 11), "   -! SOLVE");
    EXPECT_EQ(cinput.CMDLIN(2).view().substr(0, 15), "   -* IT FAILED");
    EXPECT_EQ(cinput.CMDLIN(1).trimmed(), "   ->");
}

TEST_F(MenuWindowTest, WithoutAWindowMessagesGoToTheTerminal) {
    screen_detail::reset();
    ffldou(0, MSG_INFO, "NO WINDOW YET");
    EXPECT_NE(file("term.txt").find(" NO WINDOW YET\n"), std::string::npos);
    EXPECT_EQ(cbuftext.ILAST, 0);
}

TEST_F(MenuWindowTest, AGeneratedCommandIsShownMarkedAndJournaled) {
    iodati.INDENT = 4;
    scroll(8, "REFINE,5");
    EXPECT_EQ(cinput.CMDLIN(2).trimmed(), "   -+ REFINE,5");
    EXPECT_EQ(file("decks/t.out"), "   REFINE,5\n");
    // Shown in the ring and echoed into it.
    EXPECT_EQ(cbuftext.ILAST, 2);
    EXPECT_EQ(cbuftext.BUFTXT(1).trimmed(), "   -+ REFINE,5");
}

TEST_F(MenuWindowTest, TheRepaintDrawsWindowLinesColumnInThatOrder) {
    iodati.INDENT = 1;
    drmenu(18);
    screen->drawn.clear();
    redraws();
    const std::vector<Drawn>& d = screen->drawn;
    ASSERT_FALSE(d.empty());
    // The whole window first, in the background shade.
    EXPECT_EQ(d.front().kind, Drawn::FILL);
    EXPECT_EQ(d.front().cell, 12);
    std::vector<std::string> t = texts();
    auto at = [&](const std::string& s) {
        return std::find_if(t.begin(), t.end(), [&](const std::string& x) { return x.rfind(s, 0) == 0; }) -
               t.begin();
    };
    EXPECT_LT(at("   ->"), at("HELP"));
    EXPECT_LT(at("HELP"), static_cast<long>(t.size()));
    EXPECT_LT(at("HELP"), at("STANDARD"));
    EXPECT_EQ(iwindo.MENUNO, 18);
}

TEST_F(MenuWindowTest, AnExposeRepaintsOnlyOnceAProblemIsChosen) {
    for (int iprob : {0, 1}) {
        cmode.IPROB = iprob;
        screen->drawn.clear();
        screen->events.push_back({EV_EXPOSE, 0, 0, 0});
        key('\r');
        int kind = 0;
        char ch = 0;
        Arr1<int, 2> ixy;
        mlocat(kind, ch, ixy);
        EXPECT_EQ(screen->drawn.empty(), iprob == 0) << iprob;
    }
}

TEST_F(MenuWindowTest, ClosingWaitsForOneEventInCommandModeOnly) {
    closew();
    EXPECT_EQ(screen->closes, 0);
    EXPECT_EQ(screen->events_taken, 0);
    cmode.IMENU = 0;
    key('x');
    key('y');
    closew();
    EXPECT_EQ(screen->closes, 1);
    EXPECT_EQ(screen->events_taken, 1);
    EXPECT_FALSE(screen_is_open());
}

}  // namespace
}  // namespace kavren::testing
