// The problem modules' own logic: boundary kinds, the kinds of an element's
// sides, and the solver menu's settings.
#include "session/problem_modules.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "../control/reader_fixture.hpp"
#include "records/meshgen.hpp"
#include "records/problem.hpp"
#include "support/units.hpp"

namespace kavren::testing {
namespace {

class ProblemTest : public ReaderTest {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        units::open_text(units::STDOUT_UNIT, "term.txt", units::Open::create);
    }
    // Reads the record that enters a level, then runs the level on the rest.
    template <typename Level>
    void enter(const std::string& text, Level level) {
        deck(text);
        ASSERT_EQ(read(), 0);
        level();
    }
    // The error file's lines, in order, without the leading blank.
    std::vector<std::string> errors() {
        std::vector<std::string> out;
        std::string all = file("decks/t.err"), line;
        for (char c : all) {
            if (c != '\n') {
                line += c;
                continue;
            }
            out.push_back(line.empty() ? line : line.substr(1));
            line.clear();
        }
        return out;
    }
};

TEST_F(ProblemTest, KindRecordsSetKindsByNumberAndName) {
    cbcons.NBLIN = 3;
    for (int l = 1; l <= 3; ++l) cbcons.IBND(l) = -l;
    cbcons1.BNAME(3) = Word8("OUTER");
    cflags.ISOLVD = 1;
    enter(
        "BCONDS\n"
        "KIND=2,BOUNDARY=1,3\n"
        "KIND=5,BOUNDARY=OUTER\n"
        "KIND=4,BOUNDARY=1,51,2\n"
        "KIND=2,BOUNDARY\n"
        "KIND=X,BOUNDARY=1\n"
        "KIND=1.0E10,BOUNDARY=1\n"
        "KIND=2,BOUNDARY=INNER\n"
        "KIND=2,BNDRY=1\n"
        "END\n"
        "KIND=-4,BOUNDARY=2\n"
        "END\n",
        setbcs0);
    EXPECT_EQ(cbound.IBKIND(1), 4);
    EXPECT_EQ(cbound.IBKIND(2), -4);  // kinds are open-ended
    EXPECT_EQ(cbound.IBKIND(3), 5);
    EXPECT_EQ(cflags.ISOLVD, 0);
    const std::vector<std::string> expected = {
        "ONE OF THE BOUNDARY NUMBER IS OUT OF BOUNDS",
        "BOUNDARY NUMBER UNREADABLE",
        "BOUNDARY KIND NOT INTEGER",
        "BOUNDARY KIND NOT INTEGER",
        "BOUNDARY UNREADABLE",
        "UNABLE TO FIND KEYWORD BOUNDARY",
        "WARNING: BOUNDARY#   2 NOT DEFINED",
    };
    // Kinds set before an error in the same record stay set (1 got kind 4);
    // those after it are not (2 had none until the last KIND record).
    EXPECT_EQ(errors(), expected);
    // Accepted records are logged; refused ones are not.
    EXPECT_EQ(
        file("decks/t.out"),
        "BCONDS\n   KIND=2,BOUNDARY=1,3\n   KIND=5,BOUNDARY=OUTER\n   KIND=-4,BOUNDARY=2\nEND\n");
}

TEST_F(ProblemTest, UnknownWordAtBcondsListsTheOptions) {
    deck("BCONDS\nFROB\n");
    ASSERT_EQ(read(), 0);
    // From the keyboard the option list shows.
    std::ofstream(dir / "kbd.txt") << "FROB\nEND\n";
    units::open_text(units::STDIN_UNIT, "kbd.txt", units::Open::existing);
    cinout.LUIN = cinout.LUKBD;
    setbcs0();
    EXPECT_EQ(errors(), std::vector<std::string>{"UNABLE TO FIND KEYWORD KIND"});
    EXPECT_NE(file("term.txt").find(" OPTIONS\n\n KIND=K,BOUNDARY=B1,B2...,BN\n END\n\n"),
              std::string::npos)
        << file("term.txt");
}

TEST_F(ProblemTest, SideKindsFromBoundaryNumbers) {
    cbound.IBKIND(2) = 7;
    const int nbound[4] = {0, 3, 2, 0};
    int kinds[8];
    side_kinds(4, nbound, kinds);
    const int expected[8] = {0, 3, 7, 0, 0, 3, 2, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(kinds[i], expected[i]) << i;
}

TEST_F(ProblemTest, IterativeStoresItsParametersBeforeTheSolvingStep) {
    iodati.INDENT = 4;
    enter("SOLVE\nITERATIVE\nGAUSS,MAXIT=50,EPS=ABC\nFREQ=3,PRINT\nEND\n", solve);
    EXPECT_EQ(cslvdefs.ISLV(1), 1);
    EXPECT_EQ(cslvdefs.ISLV(2), 2);
    EXPECT_EQ(cslvdefs.ISLV(3), 50);
    EXPECT_EQ(cslvdefs.ISLV(4), 1);
    EXPECT_EQ(cslvdefs.ISLV(5), 3);
    EXPECT_EQ(cslvdefs.ISLV(6), 1);
    EXPECT_EQ(cslvdefs.RSLV(1), 9.999999747378752e-05);  // EPS kept its start value
    EXPECT_EQ(cflags.ISLVDF, 1);
    EXPECT_EQ(iodati.INDENT, 4);
    const std::vector<std::string> expected = {
        " *** MISSING NUMBER AFTER EPS OPTION ***",
        " REST OF LINE WAS IGNORED",
        "*** NO MESH HAS BEEN DEFINED: USE GEOMETRY FIRST ***",
    };
    EXPECT_EQ(errors(), expected);
    EXPECT_EQ(file("decks/t.out"),
              "   SOLVE\n      ITERATIVE\n         GAUSS,MAXIT=50,EPS=ABC\n         FREQ=3,PRINT\n"
              "         END\n");
}

TEST_F(ProblemTest, DefaultsNeedStoredDefaults) {
    enter("SOLVE\nITERATIVE\nDEFAULTS\nMAXIT=7,END\nSOLVE\nITERATIVE\nDEFAULTS\n", solve);
    EXPECT_EQ(cslvdefs.ISLV(3), 7);
    EXPECT_EQ(errors()[0], " *** NO USER DEFAULTS AVAILABLE ***");
    // The second visit takes the stored defaults.
    cslvdefs.ISLV(3) = 0;
    cslvdefs.ISLV(2) = 2;
    ASSERT_EQ(read(), 0);  // SOLVE
    solve();
    EXPECT_EQ(cslvdefs.ISLV(2), 2);
    EXPECT_EQ(cslvdefs.ISLV(3), 0);
}

TEST_F(ProblemTest, NothingChangedLeavesTheSolverMenu) {
    cflags.ISOLVD = 1;
    cflags.ISOLVR = 1;
    enter("SOLVE\nFRONTAL\nNEXT\n", solve);
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("NEXT", 1));  // the solver menu was left after FRONTAL
    const std::vector<std::string> expected = {" NOTHING HAS BEEN CHANGED SINCE LAST SOLUTION!",
                                               " NO NEED TO RECALCULATE SOLUTION."};
    EXPECT_EQ(errors(), expected);
}

}  // namespace
}  // namespace kavren::testing
