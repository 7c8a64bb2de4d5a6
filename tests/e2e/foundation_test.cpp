// End-to-end runs of the foundation: start-up, configuration, project files,
// the reader's errors, QUIT, the main menu, history and replay, stops.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

const char* const kRunCompleted = "   ***** RUN COMPLETED SUCCESSFULLY *****";

Project project_with_deck(const std::string& deck, const std::string& input_after = "") {
    Project p;
    p.files["decks/job.com"] = deck;
    p.input = "job\n" + input_after;
    return p;
}

TEST(MainMenu, CommandModeShowsItsOptionList) {
    auto r = run_kavren(project_with_deck("", "END\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    std::vector<std::string> expected = {
        " CURRENT OPTIONS ARE:",
        "",
        "  DATABASE    MANAGING FILES IN DATABASE",
        "  STANDARD    EXECUTE STANDARD PROBLEM MODULE",
        "  CUSTOM      EXECUTE CUSTOMIZED PROBLEM MODULE",
        "  END         END OF VIRK",
    };
    auto it = std::search(out.begin(), out.end(), expected.begin(), expected.end());
    EXPECT_NE(it, out.end()) << show(r);
    EXPECT_TRUE(contains_line(out, "  VIRK END OF SESSION")) << show(r);
    EXPECT_TRUE(contains_line(out, " +++++++++++++ END OF INPUT FILE ++++++++++++++"));
    // END of the main menu writes nothing to the error file.
    EXPECT_EQ(r.file("decks/job.err"), "") << show(r);
}

TEST(MainMenu, UnknownWordGivesTheOptionListAndReadsAgain) {
    auto r = run_kavren(project_with_deck("", "FROBNICATE\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    int lists = 0;
    for (const auto& l : r.out_lines()) lists += l == " CURRENT OPTIONS ARE:";
    EXPECT_EQ(lists, 2) << show(r);  // at the end of the deck, and after the word
}

TEST(Reader, FieldErrorIsFiledAndTheTerminalSaysRetype) {
    auto r = run_kavren(project_with_deck("1.2.3\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto err = r.lines("decks/job.err");
    EXPECT_TRUE(contains_line(err, " EXTRA DECIMAL POINT IN FIELD   1")) << show(r);
    EXPECT_TRUE(contains_line(err, " 1.2.3")) << show(r);
    auto out = r.out_lines();
    EXPECT_TRUE(contains_line(out, " RETYPE COMMAND")) << show(r);
    // Errors are shown even while the deck is read, after the retype line.
    auto retype = std::find(out.begin(), out.end(), " RETYPE COMMAND");
    ASSERT_NE(retype, out.end());
    EXPECT_EQ(*(retype + 1), " EXTRA DECIMAL POINT IN FIELD   1");
}

TEST(Reader, ThirtyOneFieldsAreRefused) {
    std::string fields;
    for (int i = 0; i < 31; ++i) fields += (i ? ",A" : "A");
    auto r = run_kavren(project_with_deck(fields + "\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(contains_line(r.lines("decks/job.err"),
                              " ** ERROR - NUMBER OF INPUT FIELDS EXCEEDS  30"))
        << show(r);
}

TEST(Reader, QuestionMarkPrintsTheHelpLineTwice) {
    auto r = run_kavren(project_with_deck("?\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    int n = 0;
    for (const auto& l : r.out_lines()) n += l == " RETYPE COMMAND";
    EXPECT_EQ(n, 2) << show(r);
}

struct QuitCase {
    const char* name;
    Project project;
};

std::vector<QuitCase> quit_cases() {
    std::vector<QuitCase> v;
    v.push_back({"from_the_deck", project_with_deck("QUIT\nEND\n")});
    v.push_back({"from_the_keyboard", project_with_deck("", "QUIT\n")});
    Project inc = project_with_deck("INCLUDE,PART\nEND\n");
    inc.files["DECKS/PART.INC"] = "# included\nQUIT\n";
    v.push_back({"inside_an_include_file", inc});
    Project kbd_inc = project_with_deck("", "include,part\nEND\n");
    kbd_inc.files["DECKS/PART.INC"] = "quit\n";
    v.push_back({"in_an_include_typed_at_the_keyboard", kbd_inc});
    return v;
}

void PrintTo(const QuitCase& c, std::ostream* os) { *os << c.name; }

class Quit : public ::testing::TestWithParam<QuitCase> {};

TEST_P(Quit, EndsTheRunInOrder) {
    auto r = run_kavren(GetParam().project);
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.last_line("decks/job.err"), kRunCompleted) << show(r);
    EXPECT_FALSE(contains_text(r.out, "VIRK END OF SESSION")) << show(r);
}

INSTANTIATE_TEST_SUITE_P(Foundation, Quit, ::testing::ValuesIn(quit_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Include, EchoesItsNameAndEndsIntoTheDeck) {
    Project p = project_with_deck("INCLUDE,PART\n# after include\nEND\n");
    p.files["DECKS/PART.INC"] = "# inside\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    auto log = r.lines("decks/job.out");
    std::vector<std::string> expected = {"$INCLUDE,PART", "# INSIDE", "# END OF INCLUDE",
                                         "# AFTER INCLUDE"};
    EXPECT_EQ(log, expected) << show(r);
}

TEST(Include, MissingNameIsRefusedWithTheFileName) {
    auto r = run_kavren(project_with_deck("INCLUDE,7\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(contains_line(r.lines("decks/job.err"), " UNABLE TO OPEN INCLUDE FILE: DECKS/.INC"))
        << show(r);
}

TEST(Project, WordWithComExtensionNamesTheFiles) {
    Project p;
    p.files["decks/myrun.com"] = "# from myrun\nEND\n";
    p.input = "MYRUN.COM\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(r.exists("decks/myrun.out"));
    EXPECT_TRUE(r.exists("decks/myrun.err"));
    EXPECT_EQ(r.lines("decks/myrun.out"), std::vector<std::string>{"# FROM MYRUN"}) << show(r);
    EXPECT_TRUE(r.exists("for50"));
    EXPECT_TRUE(r.exists("data/front"));
}

TEST(Project, NumberAsNameGivesDefaultDeckAndKeyboard) {
    Project p;
    p.input = "42\n# typed\nEND\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.lines("decks/deck.out"), std::vector<std::string>{"# TYPED"}) << show(r);
    EXPECT_FALSE(r.exists("decks/deck.com"));
}

TEST(Project, EndBeforeTheFirstProjectIsRefused) {
    Project p = project_with_deck("");
    p.input = "END\njob\nDATABASE\nEND\nEND\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_TRUE(contains_line(out, " ** NO PROJECT HAS BEEN DEFINED ***")) << show(r);
    EXPECT_TRUE(contains_line(out, "  FORMAT     PROJECT=PROJECT_NAME")) << show(r);
    // The refusal went to standard error: no project file was open yet.
    EXPECT_TRUE(contains_text(r.err, " ** NO PROJECT HAS BEEN DEFINED ***")) << show(r);
    int prompts = 0;
    for (const auto& l : out) prompts += l == "  ENTER:     PROJECT_NAME";
    EXPECT_EQ(prompts, 3) << show(r);  // twice at start-up, once for DATABASE
}

TEST(Stops, ClosedStandardInputEndsTheRunAsAFailure) {
    auto r = run_kavren(project_with_deck(""));
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 1) << show(r);
    auto err = r.lines("decks/job.err");
    ASSERT_GE(err.size(), 2u) << show(r);
    EXPECT_EQ(err[err.size() - 2], "   *** RUN TERMINATED WITHOUT COMPLETION ***");
    EXPECT_EQ(err.back(), "       TERMINATION OCCURED IN ROUTINE--FFLDIN");
}

TEST(Stops, NoInputAtAllEndsBeforeAnyProjectFile) {
    Project p;
    auto r = run_kavren(p);
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_FALSE(r.timed_out);
}

TEST(History, ListsTheEchoedLines) {
    auto r = run_kavren(project_with_deck("# one\n# two\n# three\nH\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_TRUE(contains_line(out, " *   1 * # ONE")) << show(r);
    EXPECT_TRUE(contains_line(out, " *   3 * # THREE")) << show(r);
    EXPECT_EQ(r.history().size(), 3u);
}

TEST(History, ReplayRewritesTheLogAndReturnsToTheKeyboard) {
    auto r = run_kavren(project_with_deck("# one\n# two\n# three\n", "H,2\nH\n# four\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    std::vector<std::string> log = {"# ONE", "# TWO", "# FOUR"};
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
    auto out = r.out_lines();
    // The listing after the replay holds the two replayed lines only.
    EXPECT_TRUE(contains_line(out, " *   2 * # TWO")) << show(r);
    int threes = 0;
    for (const auto& l : out) threes += l == " *   3 * # THREE";
    EXPECT_EQ(threes, 0) << show(r);
    auto hist = r.history();
    ASSERT_GE(hist.size(), 3u);
    EXPECT_EQ(hist[2], "# FOUR");
}

TEST(History, NegativeCountReplaysAllButTheLast) {
    auto r = run_kavren(project_with_deck("# one\n# two\n# three\n", "H,-1\nH\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    std::vector<std::string> log = {"# ONE", "# TWO"};
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
}

TEST(History, ReplayOfARefusedLineStillMovesOn) {
    // A record that fails when replayed must not hang the replay.
    auto r = run_kavren(project_with_deck("# one\n", "H,1\nEND\n"), 20);
    EXPECT_FALSE(r.timed_out) << show(r);
    EXPECT_EQ(r.status, 0) << show(r);
}

struct ConfigCase {
    const char* name;
    const char* config;
    std::vector<const char*> messages;  // lines of the terminal, in order
};

const char* const kFatal = " ** FATAL ERROR:       ERROR IN CONFIG FILE **";
const char* const kCheck = " ** CHECK FILE AND RESTART PROGRAM          **";

std::vector<ConfigCase> config_cases() {
    return {
        {"no_display", "MODE=COMMAND\nCUSTOM=0\nEND\n",
         {" ** NODE OPTION MISSING         **", kFatal, kCheck}},
        {"nothing", "END\n",
         {" ** INTERACT OPTION MISSING     **", " ** NODE OPTION MISSING         **",
          " ** CUSTOM OPTION MISSING       **", kFatal, kCheck}},
        {"mode_without_value", "MODE=ON\nDISPLAY=MONO\nCUSTOM=0\nEND\n",
         {kFatal, " ** ON OR OFF MISSING AFTER INTERACT OPTION **", kCheck}},
        {"display_without_colour", "MODE=COMMAND\nDISPLAY=NODE,HOSTA\nCUSTOM=0\n",
         {kFatal, " ** COLOR OR MONO MISSING AFTER NODE OPTION **", kCheck}},
        {"custom_not_a_number", "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=MANY\n",
         {kFatal, " ** NUMBER OF CUSTOMIZED PROBLEMS UNREADABLE *", kCheck}},
        {"custom_too_many", "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=11\n",
         {kFatal, " ** NUMBER OF CUSTOMIZED PROBLEMS NOT IN 0..10 *", kCheck}},
        {"custom_names_missing", "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\n",
         {kFatal, " ** WRONG FORMAT FOR CUSTOMIZED PROBLEM NAMES", " ** FORMAT:   A8,A40"}},
        {"equation_missing", "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nSYMMETRIC=1\n",
         {kFatal, " ** \"EQUATION\" MISSING                       *", kCheck}},
        {"equation_unreadable",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nEQUATION=TWO,SYMMETRIC=1\n",
         {kFatal, " ** NUMBER OF EQUATIONS UNREADABLE           *", kCheck}},
        {"equation_out_of_range",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nEQUATION=5,SYMMETRIC=1\n",
         {kFatal, " ** NUMBER OF EQUATIONS NOT IN 1..4          *", kCheck}},
        {"symmetric_missing", "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nEQUATION=1\n",
         {kFatal, " ** \"SYMMETRIC\" MISSING **", kCheck}},
        {"symmetric_unreadable",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nEQUATION=1,SYMMETRIC=YES\n",
         {kFatal, " ** SYMMETRY FLAG UNDEFINED **", kCheck}},
        {"couple_missing",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nEQUATION=1,SYMMETRIC=1\n",
         {kFatal, " ** \"COUPLE\" MISSING **", kCheck}},
        {"couple_unreadable",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPAIR    Two fields\nEQUATION=2,SYMMETRIC=1,COUPLE=1,1,X,1\n",
         {kFatal, " ** COEFFICIENT IN COUPLING ARRAY UNREADABLE **", kCheck}},
    };
}

void PrintTo(const ConfigCase& c, std::ostream* os) { *os << c.name; }

class Config : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(Config, ErrorEndsTheRunWithItsMessages) {
    Project p = project_with_deck("END\n");
    p.config = GetParam().config;
    auto r = run_kavren(p);
    EXPECT_EQ(r.status, 1) << show(r);
    auto out = r.out_lines();
    auto pos = out.begin();
    for (const char* m : GetParam().messages) {
        pos = std::find(pos, out.end(), std::string(m));
        ASSERT_NE(pos, out.end()) << "missing or out of order: " << m << "\n" << show(r);
    }
    // No project was asked for, and the closing lines went to standard error.
    EXPECT_FALSE(contains_text(r.out, "PROJECT_NAME")) << show(r);
    EXPECT_TRUE(contains_text(r.err, "TERMINATION OCCURED IN ROUTINE--MAIN")) << show(r);
}

INSTANTIATE_TEST_SUITE_P(Foundation, Config, ::testing::ValuesIn(config_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Config, MissingFileEndsTheRunNamingIt) {
    Project p = project_with_deck("END\n");
    p.write_config = false;
    auto r = run_kavren(p);
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(contains_text(r.err, "config.sys")) << show(r);
}

TEST(Config, CustomProblemsCommentsAndContinuationsAreRead) {
    Project p = project_with_deck("END\n");
    p.config =
        "# the configuration\n"
        "MODE=COMMAND\n"
        "DISPLAY=COLOR,NODE=HOSTA\n"
        "CUSTOM=2\n"
        "POISSON Poisson problem\n"
        "EQUATION=1,SYMMETRIC=1,COUPLE=1\n"
        "PAIR    Two coupled fields\n"
        "EQUATION=2,SYMMETRIC=2,/\n"
        "COUPLE=1,0,0,1\n"
        "END\n";
    auto r = run_kavren(p);
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(contains_text(r.out, "PROJECT_NAME")) << show(r);
}

TEST(Config, MenuModeRunsAsCommandModeAfterAWarning) {
    Project p = project_with_deck("", "END\n");
    p.config = "MODE=MENU\nDISPLAY=MONO\nCUSTOM=0\nEND\n";
    auto r = run_kavren(p);
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(contains_line(r.out_lines(), " ** MENU MODE NOT AVAILABLE: RUNNING IN COMMAND MODE **"))
        << show(r);
    EXPECT_TRUE(contains_line(r.out_lines(), " CURRENT OPTIONS ARE:")) << show(r);
}

}  // namespace
}  // namespace kavren::e2e
