// End-to-end runs of the EXECUTE driver that need no solve: the dimension and
// breakpoint questions, the menu, the choice of actions, ERREST on a fresh
// mesh, the adaptive steps without a selection, the refusals on a database
// without a mesh, "@", the command log and its replay, and the ends of a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

// The unit square in 2 x 2 elements of order 1, boundary numbers 1 to 4.
const char* const kSquare =
    "STANDARD\nHEAT\nGEOMETRY\n"
    "NODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=2,IJ=3,1,3,3\nBOUNDARY=3,IJ=1,3,3,3\n"
    "BOUNDARY=4,IJ=1,1,1,3\nEND\nEND\n";

// The strip [0,4] x [0,1] in 4 nine-node elements (order 2).
const char* const kStrip =
    "STANDARD\nHEAT\nGEOMETRY\n"
    "NODES\nGRID\nPOINT=4,IJ=1,1,9,3\nXY,0,0,XY,4,0,XY,4,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=4\nQUADR,1,1\nIENDLOOP\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,9,1\nIJ=9,1,9,3\nIJ=1,3,9,3\nIJ=1,1,1,3\nEND\nEND\n";

// OMEGA = X*Y with its derivatives.
const char* const kOmegaXY = "%\nOMEGA=X*Y\nOMEGAX=Y\nOMEGAY=X\n%\n";

const char* const kEnter2 = "EXECUTE\nNDIMEN=2\nNRBREAKS=0\n";

Project with_deck(const std::string& deck, const std::string& keyboard = "") {
    Project p;
    p.files["decks/job.com"] = deck;
    p.input = "job\n" + keyboard;
    return p;
}

int count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

bool has_block(const std::vector<std::string>& lines, const std::vector<std::string>& block) {
    return std::search(lines.begin(), lines.end(), block.begin(), block.end()) != lines.end();
}

const std::vector<std::string> kTotalsXY = {
    " TOTAL NDOF=     9    log10=0.9542E+00",
    " TOTAL ERRORS:", " L2:    0.3333E+00    log10=-.4771E+00",
    " H1:    0.8165E+00    log10=-.8805E-01", " MAX:   0.7998E+00    log10=-.9700E-01"};

const std::string kClosing = "\n\n   ***** RUN COMPLETED SUCCESSFULLY *****\n";

TEST(Execute, MenuAndErrestOnAFreshMesh) {
    auto r = run_kavren(with_deck(kSquare + std::string(kOmegaXY) + kEnter2 + "ERREST\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_TRUE(
        has_block(out, {" EXECUTE: SET NDIMEN=? (1/2) ?", " NDIMEN   = 2", " set NRBREAKS =?",
                        " NRBREAKS = 0", " list breakpoint names: LPRNAME = ?"}))
        << show(r);
    EXPECT_TRUE(
        has_block(out, {" ***************************************************",
                        " *                                                 *",
                        " *      I N   R O U T I N E   E X E C U T E        *",
                        " *                                                 *",
                        " ***************************************************", "",
                        " SELECT ACTION:", " MESH.........................display or modify mesh",
                        " TWODIM......................display map of solution",
                        " TRIDIM..............display perspective of solution",
                        " PROFILE=ONE.............display profile of solution",
                        " SOLVE..................solve boundary-value problem",
                        " ERREST...............................estimate error",
                        " DISERR=1/2/3................display L2/H1/MAX-error",
                        " ADAPTH............................h mesh adaptation",
                        " ADAPTP............................p mesh adaptation"}))
        << show(r);
    // Before any solve the errors are the norms of X*Y over the unit square.
    EXPECT_TRUE(has_block(out, kTotalsXY)) << show(r);
    EXPECT_EQ(r.file("decks/job.err"), kClosing) << show(r);
    // The driver's records are logged one level below the problem menu.
    auto log = r.lines("decks/job.out");
    std::vector<std::string> tail = {"   EXECUTE", "      NDIMEN=2", "      NRBREAKS=0",
                                     "      ERREST"};
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()), tail) << r.file("decks/job.out");
}

TEST(Execute, OneDimensionalCountAddsTheInteriorOrders) {
    auto r = run_kavren(
        with_deck(kStrip + std::string("EXECUTE\nNDIMEN=1\nNRBREAKS=0\n") + "ERREST\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    // 1 + 4 elements of interior order 2; no exact solution: every error 0.
    EXPECT_TRUE(has_block(
        out, {" TOTAL NDOF=     9    log10=0.9542E+00",
              " TOTAL ERRORS:", " L2:    0.0000E+00    log10= -Infinity",
              " H1:    0.0000E+00    log10= -Infinity", " MAX:   0.0000E+00    log10= -Infinity"}))
        << show(r);
    // The same mesh as a two-dimensional problem counts its dofs:
    // 27 vertices and mid-side nodes of order 2, 4 interiors.
    auto r2 = run_kavren(with_deck(kStrip + std::string(kEnter2) + "ERREST\nQUIT\n"));
    ASSERT_EQ(r2.status, 0) << show(r2);
    EXPECT_EQ(count(r2.out_lines(), " TOTAL NDOF=    27    log10=0.1431E+01"), 1) << show(r2);
}

TEST(Execute, LastActionWordWinsAndAnEmptyRecordRepeatsIt) {
    auto r =
        run_kavren(with_deck(kSquare + std::string(kOmegaXY) + kEnter2 +
                             "SOLVE,ERREST\n,\nDISERR\nDISERR,GLOBAL\nADAPTP\nADAPTP\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    // SOLVE,ERREST ran ERREST only, and the empty record ran it again.
    EXPECT_EQ(count(out, " ENTER FRONTAL SOLVER..."), 0) << show(r);
    EXPECT_EQ(count(out, kTotalsXY[2]), 2) << show(r);
    // The adaptive steps work on the errors of the last ERREST (enrichment keeps
    // the element slots, so both steps select the same elements): of the four
    // elements with equal errors three carry more than 0.9 of the total.
    EXPECT_EQ(count(out, " ELEMENTS TO BE REFINED:"), 2) << show(r);
    EXPECT_EQ(count(out, " IEL= 2"), 2) << show(r);
    auto log = r.lines("decks/job.out");
    // The empty record is logged as the action it repeated.
    for (const char* rec : {"SOLVE,ERREST", "ERREST", "DISERR", "DISERR,GLOBAL"})
        EXPECT_EQ(count(log, std::string("      ") + rec), 1) << rec << "\n"
                                                              << r.file("decks/job.out");
    EXPECT_EQ(count(log, "      ADAPTP"), 2) << r.file("decks/job.out");
}

// Records that hold no action word: an empty one repeats the last action and
// is logged as it; any other word is refused, changes nothing and is not
// logged; H lists the history and H,n is refused, since the driver never
// returns. Every case starts with ERREST, so that a repeat would show.
struct RecordCase {
    const char* name;
    const char* records;              // after ERREST, before QUIT
    std::vector<std::string> errors;  // the error file before its closing lines
    int errests;                      // ERREST runs ("TOTAL ERRORS:" lines)
    int adapts;                       // adaptive steps ("ELEMENTS TO BE REFINED:" lines)
    std::vector<std::string> log;     // the driver's records in the log, from ERREST on
    const char* shown;                // a line the terminal shows ("": none)
};

const RecordCase kRecordCases[] = {
    {"typo", "SOVLE\n", {" ** UNKNOWN ACTION: SOVLE"}, 1, 0, {"ERREST"}, ""},
    {"end_after_adaptp",
     "ADAPTP\nEND\n",
     {" ** UNKNOWN ACTION: END"},
     1,
     1,
     {"ERREST", "ADAPTP"},
     ""},
    {"plot_option_alone", "COLOR\n", {" ** UNKNOWN ACTION: COLOR"}, 1, 0, {"ERREST"}, ""},
    {"number", "5\n", {" ** UNKNOWN ACTION: 5"}, 1, 0, {"ERREST"}, ""},
    {"long_word_given_whole",
     "SOLVEITNOW,2\n",
     {" ** UNKNOWN ACTION: SOLVEITNOW"},
     1,
     0,
     {"ERREST"},
     ""},
    {"at_from_an_include_file", "INCLUDE,AT\n", {" ** UNKNOWN ACTION: @"}, 1, 0, {"ERREST"}, ""},
    {"option_word_before_an_action", "COLOR,ERREST\n", {}, 2, 0, {"ERREST", "COLOR,ERREST"}, ""},
    {"empty_record_repeats", ",\n", {}, 2, 0, {"ERREST", "ERREST"}, ""},
    {"empty_record_repeats_adaptp", "ADAPTP\n,\n", {}, 1, 2, {"ERREST", "ADAPTP", "ADAPTP"}, ""},
    {"h_lists_after_adaptp",
     "ADAPTP\nH\n",
     {},
     1,
     1,
     {"ERREST", "ADAPTP"},
     " *  36 *       ADAPTP"},
    {"h_with_a_number",
     "H,2\n",
     {" *** NO REPLAY OF THE HISTORY INSIDE EXECUTE ***"},
     1,
     0,
     {"ERREST"},
     ""},
};

void PrintTo(const RecordCase& c, std::ostream* os) {
    *os << c.name;
}

class ExecuteRecords : public ::testing::TestWithParam<RecordCase> {};

TEST_P(ExecuteRecords, OnlyAnEmptyRecordRepeats) {
    const RecordCase& c = GetParam();
    Project p =
        with_deck(kSquare + std::string(kOmegaXY) + kEnter2 + "ERREST\n" + c.records + "QUIT\n");
    p.files["DECKS/AT.INC"] = "@\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    std::string errors;
    for (const std::string& e : c.errors) errors += e + "\n";
    EXPECT_EQ(r.file("decks/job.err"), errors + kClosing) << show(r);
    auto out = r.out_lines();
    EXPECT_EQ(count(out, " TOTAL ERRORS:"), c.errests) << show(r);
    EXPECT_EQ(count(out, " ELEMENTS TO BE REFINED:"), c.adapts) << show(r);
    if (*c.shown) {
        EXPECT_EQ(count(out, c.shown), 1) << show(r);
    }
    // The driver's part of the log: the records after NRBREAKS=0, without the
    // comment lines that mark an include file.
    auto log = r.lines("decks/job.out");
    auto from = std::find(log.begin(), log.end(), "      NRBREAKS=0");
    ASSERT_NE(from, log.end()) << r.file("decks/job.out");
    std::vector<std::string> driver;
    for (auto it = from + 1; it != log.end(); ++it) {
        const std::string rec = it->substr(std::min(it->find_first_not_of(' '), it->size()));
        if (rec.empty() || (rec[0] != '#' && rec[0] != '$')) driver.push_back(rec);
    }
    EXPECT_EQ(driver, c.log) << r.file("decks/job.out");
}

INSTANTIATE_TEST_SUITE_P(Cases, ExecuteRecords, ::testing::ValuesIn(kRecordCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Execute, QuestionMarkGivesHelpWithoutRepeatingTheAction) {
    auto r = run_kavren(with_deck(kSquare + std::string(kOmegaXY) + kEnter2 + "ERREST\n?\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_EQ(count(out, " TOTAL ERRORS:"), 1) << show(r);
    EXPECT_EQ(count(out, " RETYPE COMMAND"), 2) << show(r);
    EXPECT_EQ(count(out, " SELECT ACTION:"), 3) << show(r);
}

TEST(Execute, AdaptiveStepsBeforeAnyErrestSelectNothing) {
    auto r = run_kavren(with_deck(kSquare + std::string(kEnter2) + "ADAPTH\nADAPTP\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(count(r.out_lines(), " NO ELEMENT SELECTED"), 2) << show(r);
    EXPECT_EQ(r.file("decks/job.err"), kClosing) << show(r);
}

TEST(Execute, WithoutAMeshTheMeshActionsRefuseAndTheDriverReadsOn) {
    auto r = run_kavren(with_deck("STANDARD\nHEAT\n" + std::string(kEnter2) +
                                  "SOLVE\nERREST\nADAPTH\nADAPTP\nMESH\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto err = r.lines("decks/job.err");
    EXPECT_EQ(count(err, " *** NO MESH HAS BEEN DEFINED: USE GEOMETRY FIRST ***"), 5) << show(r);
    EXPECT_EQ(count(r.out_lines(), " ENTER FRONTAL SOLVER..."), 0) << show(r);
}

TEST(Execute, NdimenOtherThanOneOrTwo) {
    // At the keyboard: refused and asked again.
    auto r = run_kavren(
        with_deck("STANDARD\nHEAT\nEXECUTE\n", "NDIMEN=3\nNDIMEN=2\nNRBREAKS=0\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_EQ(count(out, " EXECUTE: SET NDIMEN=? (1/2) ?"), 2) << show(r);
    EXPECT_EQ(count(r.lines("decks/job.err"), " NDIMEN MUST BE 1 OR 2"), 1) << show(r);
    EXPECT_EQ(count(out, " set NRBREAKS =?"), 1) << show(r);
    // From the deck the run ends as for missing data.
    auto d = run_kavren(with_deck("STANDARD\nHEAT\nEXECUTE\nNDIMEN=0\nNDIMEN=2\n"));
    EXPECT_EQ(d.status, 1) << show(d);
    auto err = d.lines("decks/job.err");
    EXPECT_EQ(count(err, " NDIMEN MUST BE 1 OR 2"), 1) << show(d);
    EXPECT_EQ(d.last_line("decks/job.err"), "       TERMINATION OCCURED IN ROUTINE--READI")
        << show(d);
}

TEST(Execute, MoreThanTwentyBreakpointNamesAreAskedAgain) {
    auto r = run_kavren(
        with_deck("STANDARD\nHEAT\nEXECUTE\n", "NDIMEN=2\nNRBREAKS=21\nNRBREAKS=0\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(count(r.out_lines(), " set NRBREAKS =?"), 2) << show(r);
    EXPECT_EQ(count(r.lines("decks/job.err"), " NRBREAKS MUST BE 0 TO 20 NAMES"), 1) << show(r);
    EXPECT_EQ(count(r.out_lines(), " SET BREAKPOINTS"), 0) << show(r);
}

TEST(Execute, BreakpointNamesOpenTheDialog) {
    auto r = run_kavren(with_deck(kStrip + std::string("EXECUTE\nNDIMEN=1\nNRBREAKS=2\n") +
                                  "LPRNAME=ERREX\nLPRNAME=FOO\nSTATUS\nG\nERREX=-99,G\n"
                                  "ERREST\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_TRUE(has_block(out, {" list breakpoint names: LPRNAME = ?", " LPRNAME  = ERREX",
                                " LPRNAME  = FOO", " SET BREAKPOINTS"}))
        << show(r);
    EXPECT_TRUE(has_block(out, {" ERREX    =    0", " FOO      =    0"})) << show(r);
    EXPECT_EQ(count(out, " *** WARNING -  NO BREAKPOINTS ***"), 1) << show(r);
    // ERREX registers at its first call and finds its name first in the list;
    // its switch names another element, so it prints nothing else.
    EXPECT_EQ(count(out, " INITIALIZE DBGPRINT   ERREX 1"), 1) << show(r);
    EXPECT_EQ(count(out, " ERREX:NEL       = 1"), 0) << show(r);
    EXPECT_EQ(count(out, " TOTAL ERRORS:"), 1) << show(r);
}

TEST(Execute, AtSwitchesBetweenKeyboardAndDeck) {
    // The deck hands over to the keyboard, whose "@" hands back.
    auto r = run_kavren(
        with_deck(kSquare + std::string(kOmegaXY) + kEnter2 + "@\nERREST\nQUIT\n", "ERREST\n@\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_EQ(count(out, " *** READING SWITCHED ***"), 2) << show(r);
    EXPECT_EQ(count(out, " TOTAL ERRORS:"), 2) << show(r);
    // "@" is not logged: the log replays without it.
    auto log = r.lines("decks/job.out");
    EXPECT_EQ(count(log, "      ERREST"), 2) << r.file("decks/job.out");
    EXPECT_EQ(count(log, "      @"), 0) << r.file("decks/job.out");
}

TEST(Execute, EndOfTheKeyboardEndsTheRun) {
    auto r = run_kavren(with_deck(kSquare + std::string(kEnter2) + "ERREST\n"));
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_EQ(r.last_line("decks/job.err"), "       TERMINATION OCCURED IN ROUTINE--FFLDIN")
        << show(r);
    EXPECT_EQ(count(r.out_lines(), " TOTAL ERRORS:"), 1) << show(r);
}

TEST(Execute, CommandLogReplaysTheRun) {
    auto first = run_kavren(
        with_deck(kSquare + std::string(kOmegaXY) + kEnter2 + "ERREST\n,\nSOVLE\nADAPTP\nQUIT\n"));
    ASSERT_EQ(first.status, 0) << show(first);
    auto again = run_kavren(with_deck(first.file("decks/job.out") + "QUIT\n"));
    ASSERT_EQ(again.status, 0) << show(again);
    auto totals = [](const std::vector<std::string>& out) {
        std::vector<std::string> t;
        for (const auto& l : out)
            if (l.rfind(" L2:", 0) == 0 || l.rfind(" H1:", 0) == 0 ||
                l.rfind(" TOTAL NDOF", 0) == 0 || l.rfind(" LIST=", 0) == 0)
                t.push_back(l);
        return t;
    };
    EXPECT_EQ(totals(again.out_lines()), totals(first.out_lines())) << show(again);
    EXPECT_EQ(totals(first.out_lines()).size(), 7u) << show(first);
}

}  // namespace
}  // namespace kavren::e2e
