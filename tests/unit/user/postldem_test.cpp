// The post-processing loop on records of a scratch deck: its prompt, the
// switch of the input, SWITCH, NEL, the plot kind kept from record to record
// with the PostScript files it writes, the keywords without a plot, END and H.
#include "user/postldem.hpp"

#include <gtest/gtest.h>

#include <string>

#include "../plot/plot_fixture.hpp"
#include "records/io.hpp"
#include "records/meshgen.hpp"

namespace kavren::testing {
namespace {

const char* const kPrompt =
    "SET:\nTRIDIM/TWODIM/PROFILE/MESH/VECTOR/NEL/END/SWITCH\nCOMP = component number\n"
    "SOME OF THE DEFAULT VALUES ARE:\n      TWODIM\n          DIVISION = 3      (0,...,5)\n"
    "          EYE      = 1,1,1\n      COMP=1\n";

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class PostldemTest : public PlotTest {
  protected:
    void SetUp() override {
        PlotTest::SetUp();
        csetf.ISCUR = 1;
        MeshBuilder b(2, 1);
        ASSERT_EQ(b.build(), "");
        fill_solution([](double x, double y) { return x + 2.0 * y; });
    }
    // Runs the loop on the deck; the record that enters it is the first line.
    void run(const std::string& text) {
        deck(text);
        read();
        postldem(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS);
    }
    void keyboard(const std::string& text) {
        std::ofstream(dir / "kbd.txt") << text;
        units::open_text(units::STDIN_UNIT, "kbd.txt", units::Open::existing);
    }
};

TEST_F(PostldemTest, PromptsBeforeEachRecordAndLeavesOnEnd) {
    const int indent = iodati.INDENT;
    run("POSTLDEM\nDUMPPROF\nPROFILE2\nEND\n");
    const std::string t = terminal();
    EXPECT_EQ(count(t, kPrompt), 3);
    EXPECT_EQ(t.find(kPrompt), 0u) << t;
    // The two kinds without a plot say so, and the loop reads on.
    EXPECT_EQ(count(t, "\n NOT AVAILABLE\n"), 2);
    EXPECT_EQ(iodati.INDENT, indent);
    EXPECT_NE(file("decks/t.out").find("POSTLDEM\n"), std::string::npos);
    EXPECT_NE(file("decks/t.out").find("\nEND\n"), std::string::npos);
}

TEST_F(PostldemTest, AtSignSwitchesBetweenDeckAndKeyboard) {
    keyboard("NEL,7\n@\n");
    run("POSTLDEM\n@\nEND\n");
    const std::string t = terminal();
    EXPECT_EQ(count(t, " *** READING SWITCHED ***\n"), 2);
    EXPECT_NE(t.find("\n DISPLAY NEL =  7\n"), std::string::npos) << t;
    // No prompt before the record that follows a switch.
    EXPECT_EQ(count(t, kPrompt), 2);
    EXPECT_EQ(cinout.LUIN, LUDECK);
}

TEST_F(PostldemTest, NelWritesTheElementAndDrawsNothing) {
    run("POSTLDEM\nNEL,5,LASER=N\nEND\n");
    EXPECT_NE(terminal().find("\n DISPLAY NEL =  5\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "print"));
}

TEST_F(PostldemTest, SwitchExchangesTheSolutionsAndASecondSwitchRestoresThem) {
    for (int d = 1; d <= cdata.NRDOF; ++d) cuold.UOLD(d, 1) = -100.0 - d;
    const auto before_new = cunew.UNEW;
    const auto before_old = cuold.UOLD;
    run("POSTLDEM\nSWITCH\nEND\n");
    EXPECT_NE(terminal().find("\n*** INTERCHANGING UNEW & UOLD ***\n*** BE SURE YOU WANT THAT !!! "
                              "***\n"),
              std::string::npos);
    for (int d = 1; d <= cdata.NRDOF; ++d) {
        EXPECT_EQ(cunew.UNEW(d, 1), before_old(d, 1)) << d;
        EXPECT_EQ(cuold.UOLD(d, 1), before_new(d, 1)) << d;
    }
    run("POSTLDEM\nSWITCH\nEND\n");
    for (int d = 1; d <= cdata.NRDOF; ++d) {
        EXPECT_EQ(cunew.UNEW(d, 1), before_new(d, 1)) << d;
        EXPECT_EQ(cuold.UOLD(d, 1), before_old(d, 1)) << d;
    }
}

TEST_F(PostldemTest, ThePlotKindIsKeptForTheRecordsAfterIt) {
    run("POSTLDEM\nTWODIM,LASER=P1\nLASER=P2\nEND\n");
    expect_valid_postscript({"p1", "p2"});
    // The same contour map twice, but for the file name in the first line.
    std::string p1 = file("print/p1"), p2 = file("print/p2");
    p1.erase(0, p1.find('\n'));
    p2.erase(0, p2.find('\n'));
    EXPECT_EQ(p1, p2);
    EXPECT_GT(count(p1, " s\n"), 2);  // filled bands
}

TEST_F(PostldemTest, EachPlotKeywordWritesItsPlot) {
    std::ofstream(dir / "data/xyplot") << "1\n0\n3\n1 2 0\n0 1 2\n";
    run("POSTLDEM\nTRIDIM,LASER=T\nVECTOR,LASER=V\nDRPLOT,LASER=X\nCOMP,1,TWODIM,LASER=C\nEND\n");
    expect_valid_postscript({"t", "v", "x", "c"});
    // COMP sets the title of the next plot.
    EXPECT_NE(file("print/c").find("COMPONENT 1"), std::string::npos);
}

TEST_F(PostldemTest, MeshEntersTheMeshLevelAndReturnsToTheLoop) {
    run("POSTLDEM\nMESH\nEND\nDUMPPROF\nEND\n");
    const std::string t = terminal();
    EXPECT_EQ(count(t, "\n NOT AVAILABLE\n"), 1);
    const std::string log = file("decks/t.out");
    EXPECT_NE(log.find("MESH\n"), std::string::npos) << log;
}

TEST_F(PostldemTest, HistoryListsAndAReplayLeavesTheLoopAtOnce) {
    run("POSTLDEM\nDUMPPROF\nH\nH,1\nPROFILE2\nEND\n");
    EXPECT_EQ(cbinrec.IREPLY, 1);
    // The record after H,1 was not read.
    EXPECT_EQ(count(terminal(), "\n NOT AVAILABLE\n"), 1);
    EXPECT_NE(terminal().find("POSTLDEM"), std::string::npos);
}

}  // namespace
}  // namespace kavren::testing
