// The user stamp with the shell's answers stubbed: the columns of the line,
// the cut of long and blank-containing names, printenv asked once a run, an
// unset UNAME reported once without ending the run, and the stamp drawn on
// the screen and written to the PostScript file of the plot.
#include "user/identify.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "../control/reader_fixture.hpp"
#include "graphics/draw.hpp"
#include "recording_backend.hpp"
#include "records/window.hpp"
#include "support/units.hpp"

namespace kavren::testing {
namespace {

// What the stubbed shell answers, by command word, and how often each ran.
std::map<std::string, std::string> g_answers;
std::map<std::string, int> g_runs;

// Writes the answer of the command's first word into the file after ">",
// as the shell's redirection would (an empty answer leaves the file empty).
int fake_shell(const char* command) {
    const std::string c(command);
    const std::string word = c.substr(0, c.find_first_of(" >"));
    ++g_runs[word];
    std::ofstream out(c.substr(c.find('>') + 1), std::ios::trunc);
    if (!g_answers[word].empty()) out << g_answers[word] << "\n";
    return 0;
}

class IdentifyTest : public ReaderTest {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        units::open_text(units::STDOUT_UNIT, "term.txt", units::Open::create);
        saved_ = identify_detail::shell;
        identify_detail::shell = &fake_shell;
        identify_detail::reset();
        g_runs.clear();
        g_answers = {{"date", "2031-02-17"}, {"printenv", "kowalski"}, {"hostname", "cluster7"}};
    }
    void TearDown() override {
        identify_detail::shell = saved_;
        identify_detail::reset();
        ReaderTest::TearDown();
    }
    identify_detail::ShellRunner saved_ = nullptr;
};

TEST_F(IdentifyTest, DateUserAndHostStandInTheirTwelveColumns) {
    struct Case {
        const char* user;
        const char* host;
        const char* line;
    };
    const Case cases[] = {
        {"kowalski", "cluster7", "2031-02-17  kowalski    cluster7"},
        // Longer names are cut at 12 characters.
        {"abcdefghijklmnopq", "node-0123456789.example.org",
         "2031-02-17  abcdefghijklnode-0123456"},
        // A name with a blank keeps its part before the blank.
        {"jan kowalski", "h", "2031-02-17  jan         h"},
    };
    for (const Case& c : cases) {
        identify_detail::reset();
        g_answers["printenv"] = c.user;
        g_answers["hostname"] = c.host;
        const std::string line = user_stamp();
        EXPECT_EQ(line.size(), 48u);
        EXPECT_EQ(line, std::string(c.line) + std::string(48 - std::string(c.line).size(), ' '));
    }
    // The answers came through TAPE10, which stays.
    EXPECT_TRUE(std::ifstream("TAPE10").good());
}

TEST_F(IdentifyTest, UserNameIsAskedOncePerRun) {
    const std::string first = user_stamp();
    g_answers["printenv"] = "someone";
    g_answers["date"] = "2031-02-18";
    const std::string second = user_stamp();
    EXPECT_EQ(g_runs["printenv"], 1);
    EXPECT_EQ(g_runs["date"], 2);
    EXPECT_EQ(g_runs["hostname"], 2);
    EXPECT_EQ(second.substr(0, 24), "2031-02-18  kowalski    ");
    identify();  // draws the same stamp
    EXPECT_EQ(g_runs["printenv"], 1);
    EXPECT_EQ(g_runs["date"], 3);
}

TEST_F(IdentifyTest, UnsetUserNameIsReportedOnceAndLeftBlank) {
    g_answers["printenv"] = "";
    const std::string line = user_stamp();
    EXPECT_EQ(line.substr(0, 36), "2031-02-17              cluster7    ");
    user_stamp();
    EXPECT_EQ(file("term.txt"),
              " -------------------------------------------\n"
              " | please, type: export UNAME=your_surname |\n"
              " | and:    restart program                 |\n"
              " -------------------------------------------\n");
}

TEST_F(IdentifyTest, CommandThatWritesNothingLeavesNoOlderAnswer) {
    // A hostname that cannot run must not show the user name read before it.
    g_answers["hostname"] = "";
    EXPECT_EQ(user_stamp().substr(24), std::string(24, ' '));
}

TEST_F(IdentifyTest, StampIsDrawnOnTheScreenAndWrittenToThePlotFile) {
    RecordingBackend& screen = install_recording();
    machine.ICOLOR = 1;
    wsize.WSIZE = 750.0;
    claser = Claser();
    cscale = Cscale();
    cxmin = {0.0, 1.0, 0.0, 1.0};
    deck("PLOT,LASER=STAMP\n");
    read();
    cinout.LUIN = cinout.LUKBD;
    start1();
    identify();
    endpl();
    const std::string stamp = "2031-02-17  kowalski    cluster7    ";
    std::vector<std::string> texts;
    for (const auto& d : screen.drawn)
        if (d.kind == Drawn::TEXT) {
            texts.push_back(d.text);
            EXPECT_EQ(d.points[0], (Pixel{90, 404}));
        }
    EXPECT_EQ(texts, std::vector<std::string>{stamp});
    EXPECT_EQ(wsize.WSIZE, 450.0);
    uninstall_recording();
    const std::string ps = file("print/stamp");
    EXPECT_NE(ps.find("\n   55.0 110.0 m\n  90 rotate (" + stamp + ") show stroke -90 rotate\n"),
              std::string::npos)
        << ps;
}

}  // namespace
}  // namespace kavren::testing
