// End-to-end runs of the problem modules, the calculator and the evaluator
// files: the menus' option lists, calculator results, boundary kinds, the
// solver menu, refused expressions and the levels that are not built yet.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

// Keyboard input after the project name; the deck is empty.
Project at_keyboard(const std::string& input) {
    Project p;
    p.files["decks/job.com"] = "";
    p.input = "job\n" + input;
    return p;
}

Project with_deck(const std::string& deck, const std::string& input = "") {
    Project p;
    p.files["decks/job.com"] = deck;
    p.input = "job\n" + input;
    return p;
}

// Two customised problems; names and descriptions in fixed columns.
const char* const kCustomConfig =
    "MODE=COMMAND\n"
    "DISPLAY=MONO\n"
    "CUSTOM=2\n"
    "POISSON Scalar Poisson problem\n"
    "EQUATION=1,SYMMETRIC=1,COUPLE=1\n"
    "PAIR    Two coupled fields\n"
    "EQUATION=2,SYMMETRIC=2,COUPLE=1,1,0,1\n"
    "END\n";

bool has_block(const std::vector<std::string>& lines, const std::vector<std::string>& block) {
    return std::search(lines.begin(), lines.end(), block.begin(), block.end()) != lines.end();
}

int count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

TEST(ProblemMenus, StandardAndItsProblemModuleListTheirOptions) {
    auto r = run_kavren(at_keyboard("STANDARD\nFOO\nHEAT\nFOO\nEND\nEND\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_TRUE(has_block(out, {" VALID OPTIONS ARE", "", "  ELASTICITY   LINEAR ELASTICITY",
                                "  HEAT         PARTIAL DIFFERENTIAL EQUATION",
                                "  END          RETURN TO MAIN MENU"}))
        << show(r);
    EXPECT_TRUE(
        has_block(out, {"  OPTIONS ARE:", " RETYPE COMMAND", "", "  GEOMETRY   MESH GENERATOR",
                        "             & PROBLEM DEFINITION", "  BCONDS     SET BOUNDARY CONDITIONS",
                        "  EXECUTE    ACCESS USER DRIVING ROUTINES", "  ADAPT      MESH ADAPTIVITY",
                        "  POST       POST PROCESSING", "  STORAGE    LOAD & SAVE  SOLUTION",
                        "  END        END OF MODULE"}))
        << show(r);
    EXPECT_TRUE(contains_line(out, "  VIRK END OF SESSION")) << show(r);
    // The entering records and the END records are logged, indented by level.
    std::vector<std::string> log = {"STANDARD", "HEAT", "END", "END"};
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
}

TEST(ProblemMenus, CustomListsTheProblemsOfTheConfiguration) {
    Project p = at_keyboard("CUSTOM\nFOO\nPAIR\nPARAMS\nEND\nEND\nEND\n");
    p.config = kCustomConfig;
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_TRUE(
        has_block(out, {" VALID OPTIONS ARE", "", " POISSON    Scalar Poisson problem",
                        " PAIR       Two coupled fields", "  END      RETURN TO MAIN MENU"}))
        << show(r);
    // PARAMS belongs to the standard problems only: the customised problem
    // module answers with its option list.
    EXPECT_EQ(count(out, "  OPTIONS ARE:"), 1) << show(r);
    std::vector<std::string> log = {"CUSTOM", "PAIR", "END", "END"};
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
}

TEST(Calculator, QueriesAtTheKeyboardPrintTheirValues) {
    auto r = run_kavren(at_keyboard("%\n?2*3\n?5-2+1\n%\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_TRUE(contains_line(out, " 2*3 =     6.00000")) << show(r);
    EXPECT_TRUE(contains_line(out, " 5-2+1 =     2.00000")) << show(r);
    std::vector<std::string> log = {"%", "%"};
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
}

TEST(Calculator, EvalFileDefinesOmega) {
    Project p = at_keyboard("EVAL,SOL\n%\nX=0.5\nY=0.25\n?OMEGA\n%\nEND\n");
    p.files["decks/sol.eva"] = "omega = exp(x+y)*sin(3*x)\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    // exp(0.75)*sin(1.5) = 2.1116969...
    EXPECT_TRUE(contains_line(r.out_lines(), " OMEGA =     2.11170")) << show(r);
    std::vector<std::string> log = {
        "EVAL,SOL", "#>OMEGA = EXP(X+Y)*SIN(3*X)", "# END OF EVAL", "%", "X=0.5", "Y=0.25", "%"};
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
}

TEST(Calculator, RefusedExpressionsLeaveTheRunGoing) {
    Project p = with_deck(
        "%\n"
        "A*-B\n"
        "END\n"
        "FOO(X)\n"
        "-SIN(X)\n"
        "(A\n"
        "OK=1\n"
        "%\n"
        "EVAL,BAD\n"
        "STANDARD,%A*-B\n"
        "STANDARD\n"
        "END\n",
        "%\n?OK+OK2\n%\nEND\n");
    p.files["decks/bad.eva"] = "OK2=2\nMAX(1,-2)\nEND\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_FALSE(r.timed_out);
    auto err = r.lines("decks/job.err");
    for (const char* line :
         {" ** EXPRESSION REFUSED (SYNTAX ERROR): A*-B",
          " ** EXPRESSION REFUSED (BLANK OR BEGINS WITH END): END",
          " ** EXPRESSION REFUSED (UNKNOWN FUNCTION): FOO(X)",
          " ** EXPRESSION REFUSED (MISSING OPERAND): -SIN(X)",
          " ** EXPRESSION REFUSED (SYNTAX ERROR): (A",
          " ** EXPRESSION REFUSED (MISSING OPERAND): MAX(1,-2)", " STANDARD,%A*-B"})
        EXPECT_TRUE(contains_line(err, line)) << line << "\n" << show(r);
    auto out = r.out_lines();
    // The terminal lines of each refusal.
    EXPECT_TRUE(contains_line(out, " *** SYNTAX ERROR:TWO ADJACENT OPERATORS")) << show(r);
    EXPECT_TRUE(contains_line(out, " *** NO SUCH KNOWN FUNCTION")) << show(r);
    EXPECT_TRUE(contains_line(out, " *** ERROR IN TOP: EMPTY STACK")) << show(r);
    // The accepted definitions of the deck and of the file are both there.
    EXPECT_TRUE(contains_line(out, " OK+OK2 =     3.00000")) << show(r);
    EXPECT_TRUE(contains_line(out, "  VIRK END OF SESSION")) << show(r);
}

TEST(Calculator, QuitStopsTheRunInCalculatorMode) {
    auto r = run_kavren(with_deck("%\nA=1\nQUIT\nB=2\n"));
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.last_line("decks/job.err"), "   ***** RUN COMPLETED SUCCESSFULLY *****") << show(r);
    std::vector<std::string> log = {"%", "A=1"};
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
}

TEST(BoundaryKinds, KindRecordsOfACustomisedProblem) {
    Project p = with_deck(
        "CUSTOM\nPOISSON\nBCONDS\n"
        "KIND=2,BOUNDARY=1,3\n"
        "KIND=2,BOUNDARY=51\n"
        "KIND=2,BOUNDARY\n"
        "KIND=TWO,BOUNDARY=1\n"
        "KIND=3,BOUNDARY=OUTER\n"
        "KIND=3,WALL=1\n"
        "END\nEND\nEND\nEND\n");
    p.config = kCustomConfig;
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    std::vector<std::string> errors = {" ONE OF THE BOUNDARY NUMBER IS OUT OF BOUNDS",
                                       " BOUNDARY NUMBER UNREADABLE", " BOUNDARY KIND NOT INTEGER",
                                       " BOUNDARY UNREADABLE", " UNABLE TO FIND KEYWORD BOUNDARY"};
    EXPECT_EQ(r.lines("decks/job.err"), errors) << show(r);
    // Each error is shown after the retype line, also while the deck is read.
    EXPECT_TRUE(has_block(r.out_lines(),
                          {" RETYPE COMMAND", " ONE OF THE BOUNDARY NUMBER IS OUT OF BOUNDS"}))
        << show(r);
    std::vector<std::string> log = {"CUSTOM", "POISSON", "   BCONDS", "      KIND=2,BOUNDARY=1,3",
                                    "   END", "END",     "END"};
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
}

TEST(Solver, DefaultBeforeAnySolveAndNoMesh) {
    auto r =
        run_kavren(with_deck("STANDARD\nHEAT\nSOLVE\nDEFAULT\nFRONTAL\nSOLVE\nITERATIVE\nMAXIT="
                             "50\nEND\nEND\nEND\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    std::vector<std::string> errors = {
        "  *** NO DEFAULT SOLVER CURRENTLY CHOSEN ***", "  PLEASE SELECT A SOLVER",
        " *** NO MESH HAS BEEN DEFINED: USE GEOMETRY FIRST ***",
        " *** NO MESH HAS BEEN DEFINED: USE GEOMETRY FIRST ***"};
    EXPECT_EQ(r.lines("decks/job.err"), errors) << show(r);
    EXPECT_FALSE(contains_text(r.out, "CALCULATIONS COMPLETE")) << show(r);
    // Each solve left the solver menu: FRONTAL and the sub-menu's END return to
    // the problem module, whose END then ends it.
    std::vector<std::string> log = {"STANDARD",
                                    "HEAT",
                                    "   SOLVE",
                                    "      FRONTAL",
                                    "   SOLVE",
                                    "      ITERATIVE",
                                    "         MAXIT=50",
                                    "         END",
                                    "END",
                                    "END"};
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
}

TEST(PostLevels, RecordsOfTheSolutionLevelNeverReachTheProblemMenu) {
    auto r =
        run_kavren(with_deck("STANDARD\nELASTICITY\n"
                             "POST\nSOLUTION\nEND\nEND\n"
                             "END\nEND\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    // Nothing reached the problem menu as an unknown word, and the last END
    // ended the run at the main menu; SOLUTION warned of the missing solution.
    EXPECT_EQ(errors(r), std::vector<std::string>{"  *** WARNING: SOLUTION IS NOT CURRENT ***"})
        << show(r);
    auto log = r.lines("decks/job.out");
    ASSERT_GE(log.size(), 6u);
    EXPECT_EQ(log[2], "   POST");
    EXPECT_EQ(log[3], "      SOLUTION");
    EXPECT_EQ(log[4], "      END");
    EXPECT_EQ(log[5], "   END");
}

TEST(History, ReplayReturnsToTheProblemModule) {
    auto r =
        run_kavren(at_keyboard("STANDARD\nELASTICITY\nGEOMETRY\nH\nH,2\nFOO\nEND\nEND\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_TRUE(contains_line(out, " *   3 *    GEOMETRY")) << show(r);
    // The replay ends at the problem module, which lists its options at the
    // end of the replayed input and again for the keyboard's FOO.
    EXPECT_EQ(count(out, "  OPTIONS ARE:"), 2) << show(r);
    std::vector<std::string> log = {"STANDARD", "ELASTICITY", "END", "END"};
    EXPECT_EQ(r.lines("decks/job.out"), log) << show(r);
}

}  // namespace
}  // namespace kavren::e2e
