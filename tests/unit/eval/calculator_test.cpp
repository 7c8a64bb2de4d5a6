// The store of expressions: calculator lines, "%" fields, evaluator files,
// userf, and the lookup of variables by name.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "control/reader.hpp"
#include "eval/ifcompo.hpp"
#include "eval_fixture.hpp"

namespace kavren::testing {
namespace {

const double kZero[MAX_EQNS] = {0, 0, 0, 0};

// Variable ivar at the point (x, y) of element 1 with zero solution values.
double at(double x, double y, int ivar) {
    return userf(1, x, y, kZero, kZero, kZero, ivar);
}

double value_of(const std::string& name) {
    return at(0, 0, ifcompo(name));
}

//// calculator lines ////

TEST_F(EvalTest, CalculatorLinesAtThePromptAreStoredAndEchoed) {
    deck("%\nOMEGA=SIN(X)\n%\nNEXT\n");
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("NEXT", 1));
    EXPECT_EQ(clac1c.NEXPR, 16);
    EXPECT_EQ(clac1c.ICALC, 0);
    EXPECT_EQ(ifcompo("OMEGA"), 16);
    // Input from the deck: the definition is logged as typed.
    EXPECT_EQ(file("decks/t.out"), "%\nOMEGA=SIN(X)\n%\n");
    EXPECT_NEAR(at(1.5707963, 0, 16), std::sin(1.5707963), 1e-15);
}

TEST_F(EvalTest, QueryWritesItsValueAndTakesASlot) {
    cinout.LUIN = cinout.LUKBD;  // messages of kind 6 show at the keyboard
    evpack("?2*3");
    evpack("?5-2+1");
    EXPECT_TRUE(terminal_has(" 2*3 =     6.00000")) << terminal();
    EXPECT_TRUE(terminal_has(" 5-2+1 =     2.00000")) << terminal();
    EXPECT_EQ(clac1c.NEXPR, 17);
    EXPECT_EQ(file("decks/t.out"), "");  // queries are not logged
}

TEST_F(EvalTest, EveryRequestRunsTheDefinitionsInEntryOrder) {
    evpack("A=1");
    evpack("B=A+1");
    evpack("A=5");
    EXPECT_EQ(value_of("A"), 5.0);
    EXPECT_EQ(value_of("B"), 2.0);
}

TEST_F(EvalTest, DefinitionMakesTheSolutionOutOfDateAndAQueryDoesNot) {
    cflags.ISOLVD = 1;
    evpack("?1+1");
    EXPECT_EQ(cflags.ISOLVD, 1);
    evpack("A=1");
    EXPECT_EQ(cflags.ISOLVD, 0);
}

TEST_F(EvalTest, RefusedLineLeavesTheStoreAndTheRunGoing) {
    evpack("A*-B");
    evpack("END");
    evpack(" ");
    EXPECT_EQ(clac1c.NEXPR, NPREDF);
    const std::string err = file("decks/t.err");
    EXPECT_NE(err.find(" ** EXPRESSION REFUSED (SYNTAX ERROR): A*-B"), std::string::npos) << err;
    EXPECT_NE(err.find(" ** EXPRESSION REFUSED (BLANK OR BEGINS WITH END): END"),
              std::string::npos);
    // The slot is free for the next line.
    evpack("C=3");
    EXPECT_EQ(clac1c.NEXPR, NPREDF + 1);
    EXPECT_EQ(calc1a.CALTXT(NPREDF + 1).trimmed(), "C=3");
}

TEST_F(EvalTest, HundredAndFirstExpressionIsRefused) {
    for (int i = clac1c.NEXPR + 1; i <= MAX_EXPR; ++i) {
        std::string n = std::to_string(i);
        evpack(std::string("V").append(n).append("=").append(n));
    }
    ASSERT_EQ(clac1c.NEXPR, 100);
    evpack("W=1");
    EXPECT_EQ(clac1c.NEXPR, 100);
    EXPECT_NE(file("decks/t.err").find(" UNABLE TO EVALUATE MORE THAN  100 EXPRESSIONS"),
              std::string::npos);
    EXPECT_EQ(ifcompo("W"), 0);
    EXPECT_EQ(value_of("V100"), 100.0);  // userf runs the 85 user expressions
}

//// "%" fields ////

TEST_F(EvalTest, PercentFieldsTakeValuesAndSlots) {
    deck("%\nQ=4\n%\nK,%Q,-%Q,%NEVER,%2*3\n");
    ASSERT_EQ(read(), 0);
    EXPECT_EQ(iodati.NFIELD, 5);
    const double expected[] = {4, -4, 0, 6};
    for (int k = 2; k <= 5; ++k) {
        EXPECT_EQ(iodati.ITYPE(k), FT_NUMBER);
        EXPECT_EQ(iodata.FVALUE(k), expected[k - 2]);
    }
    EXPECT_EQ(clac1c.NEXPR, NPREDF + 5);
}

TEST_F(EvalTest, RefusedPercentFieldMakesTheRecordFaultyAndFreesItsSlot) {
    deck("K,%A*-B\nNEXT,%1+1\n");
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("NEXT", 1));
    EXPECT_EQ(iodata.FVALUE(2), 2.0);
    EXPECT_EQ(clac1c.NEXPR, NPREDF + 1);  // only the accepted field keeps a slot
    const std::string err = file("decks/t.err");
    EXPECT_NE(err.find(" ** EXPRESSION REFUSED (SYNTAX ERROR): A*-B"), std::string::npos) << err;
    EXPECT_NE(err.find(" K,%A*-B"), std::string::npos) << err;  // the faulty record is filed
}

TEST_F(EvalTest, PercentFieldWithAFullStoreIsRefused) {
    clac1c.NEXPR = MAX_EXPR;
    deck("K,%1\nNEXT\n");
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("NEXT", 1));
    EXPECT_EQ(clac1c.NEXPR, MAX_EXPR);
}

//// evaluator files ////

TEST_F(EvalTest, EvalFileLinesAreStoredAndLoggedAsComments) {
    std::ofstream(dir / "decks/test.eva") << "omega=x*x+y\nOMEGAX=2*X\n";
    deck("EVAL,TEST\nNEXT\n");
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("NEXT", 1));
    EXPECT_EQ(cinout.LUIN, LUDECK);
    EXPECT_EQ(clac1c.NEXPR, NPREDF + 2);
    EXPECT_EQ(file("decks/t.out"), "EVAL,TEST\n#>OMEGA=X*X+Y\n#>OMEGAX=2*X\n# END OF EVAL\n");
    EXPECT_EQ(at(2.0, 3.0, ifcompo("OMEGA")), 7.0);
}

TEST_F(EvalTest, MissingEvalFileIsCreatedEmpty) {
    deck("EVAL,NOFILE\nNEXT\n");
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("NEXT", 1));
    EXPECT_TRUE(std::filesystem::exists(dir / "decks/nofile.eva"));
    EXPECT_EQ(file("decks/t.out"), "EVAL,NOFILE\n# END OF EVAL\n");
}

TEST_F(EvalTest, EvalInsideAnIncludeFile) {
    std::ofstream(dir / "DECKS/PART.INC") << "EVAL,TEST\nEVAL\nA=1\nfoo(2)\nb=A+1\n";
    deck("INCLUDE,PART\nNEXT\n");
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("NEXT", 1));
    const std::string err = file("decks/t.err");
    // EVAL with a name cannot open a second file there.
    EXPECT_NE(err.find(" UNABLE TO OPEN FILE IN INCLUDE FILE"), std::string::npos) << err;
    // A bare EVAL compiles the rest of the include file, as written, without
    // running it; a refused line is skipped.
    EXPECT_NE(err.find(" ** EXPRESSION REFUSED (UNKNOWN FUNCTION): foo(2)"), std::string::npos);
    EXPECT_EQ(clac1c.NEXPR, NPREDF + 2);
    EXPECT_EQ(calc1a.CALTXT(NPREDF + 2).trimmed(), "b=A+1");
    EXPECT_EQ(b1.VARVAL(ifcompo("A")), 0.0);
    EXPECT_EQ(value_of("b"), 2.0);
}

TEST_F(EvalTest, BareEvalWithoutAnOpenFileIsRefused) {
    deck("EVAL\nNEXT\n");
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("NEXT", 1));
    EXPECT_NE(file("decks/t.err").find("** EVAL WITHOUT A NAME: NO EVALUATOR FILE IS OPEN **"),
              std::string::npos);
}

//// userf ////

TEST_F(EvalTest, UserfLoadsThePointIntoThePredefinedVariables) {
    ceqsys.NREQNS = 2;
    evpack("R=NEL+10*X+100*Y+1000*U2+10000*DU2DX+100000*DU2DY");
    const double u[2] = {0, 1}, ux[2] = {0, 2}, uy[2] = {0, 3};
    EXPECT_EQ(userf(4, 5, 6, u, ux, uy, ifcompo("R")), 4 + 50 + 600 + 1000 + 20000 + 300000);
    // Components above NREQNS keep what they held.
    ceqsys.NREQNS = 1;
    const double v[1] = {9};
    EXPECT_EQ(userf(0, 0, 0, v, v, v, ifcompo("U2")), 1.0);
    EXPECT_EQ(userf(0, 0, 0, v, v, v, ifcompo("U1")), 9.0);
}

TEST_F(EvalTest, UnassignedVariableGivesZeroWithOneWarning) {
    evpack("OMEGA=K*X");
    const int k = ifcompo("K");
    ASSERT_EQ(k, NPREDF + 2);  // K came after the expression's own slot
    EXPECT_EQ(at(1, 1, k), 0.0);
    EXPECT_EQ(at(1, 1, k), 0.0);
    const std::string warning =
        " *** WARNING: NO EXPRESSION ASSIGNS THE VARIABLE K: ITS VALUE IS 0";
    const std::string t = terminal();
    EXPECT_NE(t.find(warning), std::string::npos) << t;
    EXPECT_EQ(t.find(warning), t.rfind(warning));  // once only
    // Slot 0 (a name that is no variable) stays silent.
    EXPECT_EQ(at(1, 1, 0), 0.0);
    EXPECT_EQ(terminal(), t);
    // Once assigned, the variable has its value.
    evpack("K=3");
    EXPECT_EQ(at(2, 0, ifcompo("OMEGA")), 6.0);
}

//// ifcompo ////

TEST_F(EvalTest, IfcompoFindsVariablesByTheirFirstEightCharacters) {
    evpack("LONGNAME1=1");
    struct {
        const char* name;
        int slot;
    } cases[] = {{"X", 2},      {"X   ", 2},      {"x", 0}, {"DU4DY", 15},
                 {"NOSUCH", 0}, {"LONGNAME1", 0}, {"", 0}};
    for (const auto& c : cases) EXPECT_EQ(ifcompo(c.name), c.slot) << "'" << c.name << "'";
}

}  // namespace
}  // namespace kavren::testing
