// End-to-end runs of the foundation: start-up, configuration, project files,
// the reader's errors, QUIT, the main menu, history and replay, stops; input
// that cannot be read, closed standard streams, long project names, include
// and evaluator files, replays that give the same records, read-only files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
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
    EXPECT_TRUE(
        contains_line(r.lines("decks/job.err"), " ** ERROR - NUMBER OF INPUT FIELDS EXCEEDS  30"))
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

void PrintTo(const QuitCase& c, std::ostream* os) {
    *os << c.name;
}

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

// An include file that names itself, or a ring of two that name each other,
// is refused once with its name; reading goes on and the run ends in order.
TEST(Include, FileAlreadyOpenInTheChainIsRefused) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;
        const char* refused;
    };
    const Case cases[] = {
        {"self", {{"DECKS/LOOP.INC", "INCLUDE,LOOP\n"}}, "DECKS/LOOP.INC"},
        {"ring", {{"DECKS/LOOP.INC", "INCLUDE,TWO\n"}, {"DECKS/TWO.INC", "INCLUDE,LOOP\n"}},
         "DECKS/LOOP.INC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Project p = project_with_deck("INCLUDE,LOOP\nQUIT\n");
        for (const auto& [path, text] : c.files) p.files[path] = text;
        auto r = run_kavren(p, 30);
        ASSERT_FALSE(r.timed_out) << show(r);
        EXPECT_EQ(r.status, 0) << show(r);
        int refusals = 0;
        for (const std::string& line : r.lines("decks/job.err"))
            if (contains_text(line, "INCLUDE FILE ALREADY READ IN THIS CHAIN: ")) {
                ++refusals;
                EXPECT_TRUE(contains_text(line, c.refused)) << line;
            }
        EXPECT_EQ(refusals, 1) << show(r);
        EXPECT_LT(r.lines("decks/job.out").size(), 10u) << show(r);
        EXPECT_EQ(r.last_line("decks/job.err"), kRunCompleted) << show(r);
    }
}

// After a chain has ended in the deck, the same include file can be read again.
TEST(Include, SameFileAgainFromTheDeck) {
    Project p = project_with_deck("INCLUDE,PART\nINCLUDE,PART\nEND\n");
    p.files["DECKS/PART.INC"] = "# inside\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    std::vector<std::string> expected = {"$INCLUDE,PART", "# INSIDE", "# END OF INCLUDE",
                                         "$INCLUDE,PART", "# INSIDE", "# END OF INCLUDE"};
    EXPECT_EQ(r.lines("decks/job.out"), expected) << show(r);
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
    // Fifty calculator lines take fifty of the 85 free slots of the store; the
    // replay enters them again, so that the last fifteen are refused (the
    // store is full) and are not echoed. The replay must go on past them.
    std::string deck = "%\n";
    for (int i = 0; i < 50; ++i) deck += "A=1\n";
    deck += "%\n# after\n# last\n";
    auto r = run_kavren(project_with_deck(deck, "H,53\nEND\n"), 30);
    EXPECT_FALSE(r.timed_out) << show(r);
    ASSERT_EQ(r.status, 0) << show(r);
    int refused = 0;
    for (const auto& l : r.lines("decks/job.err"))
        refused += l == "  UNABLE TO EVALUATE MORE THAN  100 EXPRESSIONS";
    EXPECT_EQ(refused, 15) << show(r);
    std::vector<std::string> log = {"%"};
    log.insert(log.end(), 35, "A=1");
    log.insert(log.end(), {"%", "# AFTER"});
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
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
        {"no_display",
         "MODE=COMMAND\nCUSTOM=0\nEND\n",
         {" ** NODE OPTION MISSING         **", kFatal, kCheck}},
        {"nothing",
         "END\n",
         {" ** INTERACT OPTION MISSING     **", " ** NODE OPTION MISSING         **",
          " ** CUSTOM OPTION MISSING       **", kFatal, kCheck}},
        {"mode_without_value",
         "MODE=ON\nDISPLAY=MONO\nCUSTOM=0\nEND\n",
         {kFatal, " ** ON OR OFF MISSING AFTER INTERACT OPTION **", kCheck}},
        {"display_without_colour",
         "MODE=COMMAND\nDISPLAY=NODE,HOSTA\nCUSTOM=0\n",
         {kFatal, " ** COLOR OR MONO MISSING AFTER NODE OPTION **", kCheck}},
        {"custom_not_a_number",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=MANY\n",
         {kFatal, " ** NUMBER OF CUSTOMIZED PROBLEMS UNREADABLE *", kCheck}},
        {"custom_too_many",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=11\n",
         {kFatal, " ** NUMBER OF CUSTOMIZED PROBLEMS NOT IN 0..10 *", kCheck}},
        {"custom_names_missing",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\n",
         {kFatal, " ** WRONG FORMAT FOR CUSTOMIZED PROBLEM NAMES", " ** FORMAT:   A8,A40"}},
        {"equation_missing",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nSYMMETRIC=1\n",
         {kFatal, " ** \"EQUATION\" MISSING                       *", kCheck}},
        {"equation_unreadable",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nEQUATION=TWO,SYMMETRIC=1\n",
         {kFatal, " ** NUMBER OF EQUATIONS UNREADABLE           *", kCheck}},
        {"equation_out_of_range",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nEQUATION=5,SYMMETRIC=1\n",
         {kFatal, " ** NUMBER OF EQUATIONS NOT IN 1..4          *", kCheck}},
        {"symmetric_missing",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nEQUATION=1\n",
         {kFatal, " ** \"SYMMETRIC\" MISSING **", kCheck}},
        {"symmetric_unreadable",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nEQUATION=1,SYMMETRIC=YES\n",
         {kFatal, " ** SYMMETRY FLAG UNDEFINED **", kCheck}},
        {"couple_missing",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\nEQUATION=1,SYMMETRIC=1\n",
         {kFatal, " ** \"COUPLE\" MISSING **", kCheck}},
        {"equation_eleven_times",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPOISSON Poisson\n"
         "EQUATION,EQUATION,EQUATION,EQUATION,EQUATION,EQUATION,/\n"
         "EQUATION,EQUATION,EQUATION,EQUATION,EQUATION,SYMMETRIC=1,COUPLE=1\n",
         {kFatal, " ** \"EQUATION\" GIVEN MORE THAN 10 TIMES **", kCheck}},
        {"node_eleven_times",
         "MODE=COMMAND\nCUSTOM=0\nDISPLAY=MONO,NODE,NODE,NODE,NODE,NODE,NODE,NODE,NODE,NODE,NODE,"
         "NODE\n",
         {kFatal, " ** \"NODE\" GIVEN MORE THAN 10 TIMES **", kCheck}},
        {"couple_unreadable",
         "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=1\nPAIR    Two "
         "fields\nEQUATION=2,SYMMETRIC=1,COUPLE=1,1,X,1\n",
         {kFatal, " ** COEFFICIENT IN COUPLING ARRAY UNREADABLE **", kCheck}},
    };
}

void PrintTo(const ConfigCase& c, std::ostream* os) {
    *os << c.name;
}

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

//// input that cannot be read, closed streams ////

// Runs the program through the shell, which first applies the redirections
// of `shell` (the program is "$0" there).
RunResult run_through_shell(const Project& p, const std::string& shell, int timeout = 30) {
    return run_program("/bin/sh", p, timeout, {"-c", shell, KAVREN_BINARY});
}

struct UnreadableInputCase {
    const char* name;
    const char* shell;
};

void PrintTo(const UnreadableInputCase& c, std::ostream* os) {
    *os << c.name;
}

class UnreadableInput : public ::testing::TestWithParam<UnreadableInputCase> {};

TEST_P(UnreadableInput, EndsTheRunAfterTheFirstFailedRead) {
    auto r = run_through_shell(project_with_deck("END\n"), GetParam().shell);
    EXPECT_FALSE(r.timed_out) << show(r);
    EXPECT_EQ(r.status, 1) << show(r);
    int failed = 0;
    for (const auto& l : r.out_lines()) failed += l == "          ***ERROR READING INPUT FILE";
    EXPECT_EQ(failed, 1) << show(r);
    // No project was open yet: the closing lines are on standard error.
    EXPECT_TRUE(contains_text(r.err, "TERMINATION OCCURED IN ROUTINE--FFLDIN")) << show(r);
}

INSTANTIATE_TEST_SUITE_P(Foundation, UnreadableInput,
                         ::testing::Values(UnreadableInputCase{"a_directory", "exec \"$0\" </"},
                                           UnreadableInputCase{"opened_for_writing_only",
                                                               "exec \"$0\" 0>/dev/null"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ClosedStreamCase {
    const char* name;
    const char* shell;
};

void PrintTo(const ClosedStreamCase& c, std::ostream* os) {
    *os << c.name;
}

class ClosedStream : public ::testing::TestWithParam<ClosedStreamCase> {};

// A standard stream closed when the program starts is not taken over by a
// file: the deck stays as it was and the log holds the echo only. BCONDS
// reaches an extension point, which writes a line and pauses on standard error.
TEST_P(ClosedStream, IsNotTakenByAProjectFile) {
    const std::string deck = "STANDARD\nHEAT\nBCONDS\nEND\nEND\nEND\n";
    auto r = run_through_shell(project_with_deck(deck, "\n"), GetParam().shell);
    EXPECT_FALSE(r.timed_out) << show(r);
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.file("decks/job.com"), deck) << show(r);
    std::vector<std::string> log = {"STANDARD", "HEAT", "   BCONDS", "END", "END"};
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
    EXPECT_EQ(r.file("decks/job.err"), "") << show(r);
}

INSTANTIATE_TEST_SUITE_P(Foundation, ClosedStream,
                         ::testing::Values(ClosedStreamCase{"standard_output", "exec \"$0\" >&-"},
                                           ClosedStreamCase{"standard_error", "exec \"$0\" 2>&-"},
                                           ClosedStreamCase{"both", "exec \"$0\" >&- 2>&-"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClosedStream, ClosedStandardInputReadsAsItsEnd) {
    // config.sys must not become the keyboard: the project prompt meets the
    // end of input, takes the default name, and the next read ends the run.
    auto r = run_through_shell(project_with_deck("END\n"), "exec \"$0\" <&-");
    EXPECT_FALSE(r.timed_out) << show(r);
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(r.exists("decks/deck.out")) << show(r);
    EXPECT_FALSE(r.exists("decks/mode.out")) << show(r);
    EXPECT_EQ(r.last_line("decks/deck.err"), "       TERMINATION OCCURED IN ROUTINE--FFLDIN")
        << show(r);
}

//// project names of any length ////

class LongProjectName : public ::testing::TestWithParam<int> {};

TEST_P(LongProjectName, KeepsItsLogAndErrorFileApart) {
    const std::string name(static_cast<std::size_t>(GetParam()), 'p');
    Project p;
    p.files["decks/" + name + ".com"] = "# hello\n1.2.3\nEND\n";
    p.input = name + "\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.lines("decks/" + name + ".out"), std::vector<std::string>{"# HELLO"}) << show(r);
    std::vector<std::string> err = {" EXTRA DECIMAL POINT IN FIELD   1", " 1.2.3"};
    EXPECT_EQ(r.lines("decks/" + name + ".err"), err) << show(r);
    // Nothing else was made in decks/ (no file cut to a shorter name).
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(r.dir / "decks")) files += e.exists();
    EXPECT_EQ(files, 3) << show(r);
}

INSTANTIATE_TEST_SUITE_P(Foundation, LongProjectName, ::testing::Values(9, 74, 79));

TEST(LongProjectName, ALogThatCannotBeOpenedEndsTheRunNamingIt) {
    const std::string name(74, 'q');
    Project p;
    p.files["decks/" + name + ".com"] = "END\n";
    p.files["decks/" + name + ".out/in-the-way"] = "";  // a directory where the log goes
    p.input = name + "\n";
    auto r = run_kavren(p);
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(contains_text(r.err, " ** UNABLE TO OPEN FILE decks/" + name + ".out")) << show(r);
}

//// include and evaluator files ////

struct AuxFileCase {
    const char* name;
    std::map<std::string, std::string> files;
    std::string deck;
    std::vector<std::string> log;
};

void PrintTo(const AuxFileCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<AuxFileCase> aux_file_cases() {
    return {
        // Calculator mode ends with the include file, and the deck goes on.
        {"include_ending_in_calculator_mode",
         {{"DECKS/C.INC", "%\nA=1\n"}},
         "INCLUDE,C\nSTANDARD\nHEAT\nEND\nEND\nEND\n",
         {"$INCLUDE,C", "%", "A=1", "%", "# END OF INCLUDE", "STANDARD", "HEAT", "END", "END"}},
        // An evaluator file that leaves calculator mode is still an evaluator
        // file: its end returns to the deck as "# END OF EVAL".
        {"evaluator_file_with_a_toggle",
         {{"decks/e.eva", "B=2\n%\nSTANDARD\n"}},
         "EVAL,E\nHEAT\nEND\nEND\nEND\n",
         {"EVAL,E", "#>B=2", "%", "STANDARD", "# END OF EVAL", "HEAT", "END", "END"}},
    };
}

class AuxFile : public ::testing::TestWithParam<AuxFileCase> {};

TEST_P(AuxFile, EndsIntoTheUnitItCameFrom) {
    Project p = project_with_deck(GetParam().deck);
    for (const auto& [rel, text] : GetParam().files) p.files[rel] = text;
    auto r = run_kavren(p);
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.lines("decks/job.out"), GetParam().log) << show(r);
    EXPECT_EQ(r.file("decks/job.err"), "") << show(r);
}

INSTANTIATE_TEST_SUITE_P(Foundation, AuxFile, ::testing::ValuesIn(aux_file_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

//// a replay gives the records the run gave ////

// The corners "XY,0,0,XY,1,0,XY,1,1,XY,0,1" written with decimals, n characters.
std::string corner_record(std::size_t n) {
    std::vector<std::string> numbers = {"0.", "0.", "1.", "0.", "1.", "1.", "0.", "1."};
    auto text = [&] {
        std::string r;
        for (std::size_t i = 0; i < numbers.size(); ++i)
            r += (i % 2 == 0 ? (i ? ",XY," : "XY,") : ",") + numbers[i];
        return r;
    };
    for (std::size_t i = 0; text().size() < n; i = (i + 1) % numbers.size()) numbers[i] += '0';
    return text();
}

struct ReplayCase {
    const char* name;
    std::map<std::string, std::string> files;
    // The deck's records before "# last"; log: the lines it gives (every one
    // of them is replayed by H).
    std::string deck;
    std::vector<std::string> log;
};

void PrintTo(const ReplayCase& c, std::ostream* os) {
    *os << c.name;
}

std::string grid_deck(const std::string& record) {
    return "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,2,2\n" + record +
           "\nEND\nEND\nEND\nEND\nEND\n";
}

std::vector<std::string> grid_log(const std::string& echoed_record) {
    return {"STANDARD",    "HEAT",          "   GEOMETRY",
            "      NODES", "         GRID", "            POINT=4,IJ=1,1,2,2",
            echoed_record, "         END",  "      END",
            "   END",      "END",           "END"};
}

std::vector<ReplayCase> replay_cases() {
    const std::string issue_record =
        "XY,0.000000,0.000000,XY,1.000000,0.000000,XY,1.000000,1.000000,XY,0,1.0";
    const std::string full_record = corner_record(79);
    return {
        // 71 characters at column 13 would pass column 80: the record moves left.
        {"record_past_column_80",
         {},
         grid_deck(issue_record),
         grid_log(std::string(8, ' ') + issue_record)},
        // 79 characters fill columns 1 to 79.
        {"record_of_79_characters", {}, grid_deck(full_record), grid_log(full_record)},
        // Blanks and a closing comma are dropped; the indentation is kept.
        {"record_with_blanks",
         {},
         grid_deck("XY, 0, 0, XY, 1, 0, XY, 1, 1, XY, 0, 1,"),
         grid_log("            XY,0,0,XY,1,0,XY,1,1,XY,0,1")},
        // The include's name is echoed as a comment, which the replay passes by.
        {"include_at_the_problem_level",
         {{"DECKS/SQUARE.INC", "GEOMETRY\nEND\n"}},
         "STANDARD\nHEAT\nINCLUDE,SQUARE\nEND\nEND\n",
         {"STANDARD", "HEAT", "$INCLUDE,SQUARE", "   GEOMETRY", "   END", "# END OF INCLUDE", "END",
          "END"}},
        {"include_ending_in_calculator_mode",
         {{"DECKS/C.INC", "%\nA=1\n"}},
         "STANDARD\nHEAT\nINCLUDE,C\nEND\nEND\n",
         {"STANDARD", "HEAT", "$INCLUDE,C", "%", "   A=1", "%", "# END OF INCLUDE", "END", "END"}},
        {"comment_lines_inside_a_level",
         {},
         "STANDARD\nHEAT\n$ a note\n# another\nEND\nEND\n",
         {"STANDARD", "HEAT", "$ A NOTE", "# ANOTHER", "END", "END"}},
    };
}

class Replay : public ::testing::TestWithParam<ReplayCase> {};

TEST_P(Replay, GivesTheSameRecords) {
    const ReplayCase& c = GetParam();
    const std::size_t n = c.log.size();
    Project p = project_with_deck(c.deck + "# last\n", "H," + std::to_string(n) + "\nEND\n");
    for (const auto& [rel, text] : c.files) p.files[rel] = text;
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    // The history still holds the first pass: its lines, then "# LAST".
    std::vector<std::string> first = c.log;
    first.push_back("# LAST");
    auto hist = r.history();
    ASSERT_GE(hist.size(), first.size()) << show(r);
    hist.resize(first.size());
    for (auto& l : first) l.erase(l.find_last_not_of(' ') + 1);
    EXPECT_EQ(hist, first) << show(r);
    // The log was rewritten by the replay with the same lines.
    EXPECT_EQ(r.lines("decks/job.out"), c.log) << show(r);
    // Neither pass refused a line.
    EXPECT_EQ(r.file("decks/job.err"), "") << show(r);
    EXPECT_FALSE(contains_text(r.out, "RETYPE COMMAND")) << show(r);
}

INSTANTIATE_TEST_SUITE_P(Foundation, Replay, ::testing::ValuesIn(replay_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

//// files that are only read ////

// The run as a user who is not root (nobody), so that mode 444 is enforced;
// the shell makes the scratch directory theirs and the named files read-only.
// Empty when this cannot be arranged here.
std::string as_nobody(const std::vector<std::string>& read_only) {
    std::string files;
    for (const auto& f : read_only) files += " '" + f + "'";
    const std::string prepare = "chmod -R a+rwX . && chmod 444" + files + " && ";
    if (::geteuid() != 0) return prepare + "exec \"$0\"";
    if (::access("/usr/bin/setpriv", X_OK) != 0) return "";
    // nobody must reach the program itself.
    Project probe;
    auto r = run_program("/bin/sh", probe, 10,
                         {"-c",
                          "exec /usr/bin/setpriv --reuid=65534 --regid=65534 --clear-groups "
                          "test -x \"$0\"",
                          KAVREN_BINARY});
    if (r.status != 0) return "";
    return prepare + "exec /usr/bin/setpriv --reuid=65534 --regid=65534 --clear-groups \"$0\"";
}

struct ReadOnlyCase {
    const char* name;
    std::string deck;
    std::map<std::string, std::string> files;  // beside the deck, all made read-only
    std::vector<std::string> output;           // lines the terminal must show
    std::vector<std::string> log;
};

void PrintTo(const ReadOnlyCase& c, std::ostream* os) {
    *os << c.name;
}

// Run 1 (as the test's own user): the square generated and saved, in both forms.
struct SavedFiles {
    std::string direct;
    std::string formatted;
    std::string account;
};
const SavedFiles& saved_square() {
    static const SavedFiles saved = [] {
        Project p = project_with_deck(
            "STANDARD\nHEAT\nGEOMETRY\n"
            "NODES\nGRID\nPOINT=4,IJ=1,1,2,2\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
            "ELEMENT\nLINEAR,1,1\nEND\n"
            "BOUNDARY\nBOUNDARY=1,IJ=1,1,2,1\nBOUNDARY=1,IJ=2,1,2,2\nBOUNDARY=1,IJ=1,2,2,2\n"
            "BOUNDARY=1,IJ=1,1,1,2\nEND\nEND\n"
            "STORAGE\nSAVE,FILE=SQ\nSAVE,UNFORM,FILE=SQTXT\nEND\nEND\nEND\nEND\n",
            std::string(4, '\n'));
        auto r = run_kavren(p);
        return SavedFiles{r.file("data/SQ"), r.file("data/SQTXT"), show(r)};
    }();
    return saved;
}

std::vector<ReadOnlyCase> read_only_cases() {
    const std::string recover = "STANDARD\nHEAT\nSTORAGE\n";
    return {
        {"deck", "# from the deck\nEND\n", {}, {}, {"# FROM THE DECK"}},
        {"include_file",
         "INCLUDE,PART\nEND\n",
         {{"DECKS/PART.INC", "# included\n"}},
         {},
         {"$INCLUDE,PART", "# INCLUDED", "# END OF INCLUDE"}},
        {"evaluator_file",
         "EVAL,SOL\nEND\n",
         {{"decks/sol.eva", "OMEGA=X*Y\n"}},
         {},
         {"EVAL,SOL", "#>OMEGA=X*Y", "# END OF EVAL"}},
        {"save_file",
         recover + "RECOVER,FILE=SQ\nEND\nEND\nEND\nEND\n",
         {{"data/SQ", saved_square().direct}},
         {" FAKE USERDIN"},
         {"STANDARD", "HEAT", "   STORAGE", "      RECOVER,FILE=SQ", "   END", "END", "END"}},
        {"formatted_save_file",
         recover + "RECOVER,UNFORM,FILE=SQTXT\nEND\nEND\nEND\nEND\n",
         {{"data/SQTXT", saved_square().formatted}},
         {" FAKE USERDIN"},
         {"STANDARD", "HEAT", "   STORAGE", "      RECOVER,UNFORM,FILE=SQTXT", "   END", "END",
          "END"}},
    };
}

class ReadOnlyFile : public ::testing::TestWithParam<ReadOnlyCase> {};

TEST_P(ReadOnlyFile, IsReadAndLeftAsItWas) {
    const ReadOnlyCase& c = GetParam();
    ASSERT_FALSE(saved_square().direct.empty()) << saved_square().account;
    ASSERT_FALSE(saved_square().formatted.empty()) << saved_square().account;
    std::vector<std::string> read_only = {"decks/job.com"};
    for (const auto& [rel, text] : c.files) read_only.push_back(rel);
    const std::string shell = as_nobody(read_only);
    if (shell.empty()) GTEST_SKIP() << "cannot run the program as a user who is not root";
    Project p = project_with_deck(c.deck, std::string(4, '\n'));
    for (const auto& [rel, text] : c.files) p.files[rel] = text;
    auto r = run_through_shell(p, shell);
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.file("decks/job.err"), "") << show(r);
    for (const auto& l : c.output) EXPECT_TRUE(contains_line(r.out_lines(), l)) << l << show(r);
    EXPECT_EQ(r.lines("decks/job.out"), c.log) << show(r);
    // Nothing was written into the files read, nor were they made anew.
    EXPECT_EQ(r.file("decks/job.com"), c.deck);
    for (const auto& [rel, text] : c.files) EXPECT_EQ(r.file(rel), text) << rel;
}

INSTANTIATE_TEST_SUITE_P(Foundation, ReadOnlyFile, ::testing::ValuesIn(read_only_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavren::e2e
