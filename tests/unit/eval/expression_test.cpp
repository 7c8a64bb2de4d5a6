// The compiler and interpreter: a table of expressions with their values and
// terminal lines, the refusals, and the symbol tables.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "eval_fixture.hpp"

namespace kavren::testing {
namespace {

struct Var {
    const char* name;
    double value;
};

struct ExprCase {
    const char* name;
    std::vector<Var> vars;  // set before the expression runs
    const char* text;
    double value;
    const char* line;  // a terminal line the evaluation must write, or nullptr
};

const double kPi = std::acos(-1.0);

const ExprCase kExpressions[] = {
    // Precedence: every operator has its own level, each grouping from the left.
    {"minus_before_plus_groups_right", {{"A", 10}, {"B", 3}, {"P", 2}}, "A-B+P", 5, nullptr},
    {"divide_before_times_groups_right", {{"A", 8}, {"B", 2}, {"P", 2}}, "A/B*P", 2, nullptr},
    {"power_groups_left", {}, "2^3^2", 64, nullptr},
    {"unary_minus_binds_tighter_than_power", {{"X", 3}}, "-X^2", 9, nullptr},
    {"double_star_is_power", {{"X", 3}}, "X**2", 9, nullptr},
    {"times_before_plus", {}, "1+2*3", 7, nullptr},
    {"minus_after_assign_is_unary", {{"X", 3}}, "Y=-X", -3, nullptr},
    {"parenthesised_negative_operand", {{"A", 10}, {"B", 3}}, "A*(-B)", -30, nullptr},
    {"minus_of_a_sum", {{"A", 10}, {"B", 3}}, "-(A+B)", -13, nullptr},
    {"minus_of_a_parenthesised_function", {{"X", 0.5}}, "-(SIN(X))", -std::sin(0.5), nullptr},
    {"zero_minus_function", {{"X", 0.5}}, "0-SIN(X)", -std::sin(0.5), nullptr},
    {"blanks_vanish", {{"AB", 4}}, "A B+1", 5, nullptr},
    {"exponent_constant", {}, "1.5E-3*1000", 1.5, nullptr},
    {"names_with_e_and_d_are_variables", {{"E", 2}, {"EPS", 3}, {"D2", 4}}, "E+EPS+D2", 9, nullptr},
    {"comparisons", {}, "(1<2)+(2<=2)+(3>2)+(3>=4)+(2==2)+(2!=2)", 4, nullptr},
    {"single_bang_is_not_equal", {}, "1!2", 1, nullptr},
    {"single_ampersand_is_and", {}, "(1>0)&(2>1)", 1, nullptr},
    {"and_of_conditions", {}, "(1>0)&&(2>1)", 1, nullptr},
    {"or_of_conditions", {}, "(1>2)||(2>1)", 1, nullptr},
    {"conditional_second_value", {{"X", -2}}, "(X>0)?1:(-1)", -1, nullptr},
    {"conditional_first_value", {{"X", 2}}, "X>0?1:2", 1, nullptr},
    {"comma_list_yields_the_last", {{"A", 1}, {"B", 7}}, "A,B", 7, nullptr},
    {"assign_yields_the_value", {{"X", 2}}, "Y=X+1", 3, nullptr},
    {"assign_to_a_constant_stores_nothing", {{"X", 6}}, "2=X", 6, nullptr},
    {"max_with_parenthesised_negative", {{"A", 1}, {"B", 5}}, "MAX(A,(-B))", 1, nullptr},
    {"nan_is_a_constant", {}, "NAN!=NAN", 1, nullptr},
    {"inf_is_a_constant", {}, "INF>1.0E300", 1, nullptr},
    // Powers and divisions with their fault lines.
    {"zero_to_zero", {}, "0^0", 1, nullptr},
    {"zero_squared", {}, "0^2", 0, nullptr},
    {"negative_base_whole_exponent", {}, "(-8)^3", -512, nullptr},
    {"negative_base_real_exponent",
     {},
     "(-8)^(1/3)",
     0,
     " *** NEGATIVE VALUE RAISED TO A REAL EXPONENT"},
    {"negative_exponent", {}, "2^(-1)", 0, " *** NEGATIVE EXPONENT"},
    {"zero_divisor", {}, "1/0", 0, " *** ZERO DIVISOR"},
    {"non_logical_operand", {}, "2&&1", 0, " *** NON-LOGICAL OPERAND WHERE LOGICAL NEEDED"},
    {"non_logical_condition", {}, "2?3:4", 0, " *** NON-LOGICAL OPERAND WHERE LOGICAL NEEDED"},
    // Every function of the catalogue; two-argument ones take their
    // arguments in reverse order.
    {"log", {}, "LOG(1)", 0, nullptr},
    {"log10", {}, "LOG10(100)", 2, nullptr},
    {"exp", {}, "EXP(1)", std::exp(1.0), nullptr},
    {"asin", {}, "ASIN(1)", kPi / 2, nullptr},
    {"acos", {}, "ACOS(0)", kPi / 2, nullptr},
    {"atan", {}, "ATAN(1)", kPi / 4, nullptr},
    {"atan2_is_the_angle_of_x_p_y_q", {}, "ATAN2(1,0)", 0, " V,V1,V3: 0. 1. 0."},
    {"atan2_upward", {}, "ATAN2(0,1)", kPi / 2, nullptr},
    {"sin", {}, "SIN(0.5)", std::sin(0.5), nullptr},
    {"cos", {}, "COS(0.5)", std::cos(0.5), nullptr},
    {"tan", {}, "TAN(0.5)", std::tan(0.5), nullptr},
    {"cotan", {}, "COTAN(0.5)", 1.0 / std::tan(0.5), nullptr},
    {"sinh", {}, "SINH(0.5)", std::sinh(0.5), nullptr},
    {"cosh", {}, "COSH(0.5)", std::cosh(0.5), nullptr},
    {"tanh", {}, "TANH(0.5)", std::tanh(0.5), nullptr},
    {"abs", {}, "ABS(-2)", 2, nullptr},
    {"sqrt", {}, "SQRT(6.25)", 2.5, nullptr},
    {"aint", {}, "AINT(-2.7)", -2, nullptr},
    {"anint_half_away", {}, "ANINT(-2.5)", -3, nullptr},
    {"nint_up", {}, "NINT(2.5)", 3, nullptr},
    {"nint_down", {}, "NINT(-2.5)", -3, nullptr},
    {"mod_of_the_second_by_the_first", {}, "MOD(3,10)", 1, nullptr},
    {"mod_reversed", {}, "MOD(10,3)", 3, nullptr},
    {"sign_of_the_first_on_the_second", {}, "SIGN(-1,5)", -5, nullptr},
    {"dim_positive", {}, "DIM(1,3)", 2, nullptr},
    {"dim_clipped", {}, "DIM(3,1)", 0, nullptr},
    {"int", {}, "INT(-2.7)", -2, nullptr},
    {"max", {}, "MAX(1,2)+MAX(2,1)", 4, nullptr},
    {"min", {}, "MIN(1,2)+MIN(2,1)", 2, nullptr},
    {"ichar_returns_its_argument", {}, "ICHAR(5)", 5, nullptr},
    {"function_names_any_case", {}, "sin(0.5)", std::sin(0.5), nullptr},
    {"nested_functions", {}, "SQRT(ABS(-16))", 4, nullptr},
};

void PrintTo(const ExprCase& c, std::ostream* os) {
    *os << c.name;
}

class ExpressionTable : public EvalTest, public ::testing::WithParamInterface<ExprCase> {};

TEST_P(ExpressionTable, ValueAndLine) {
    const ExprCase& c = GetParam();
    for (const Var& v : c.vars) set(v.name, v.value);
    int istat = -1;
    double value = run(c.text, &istat);
    ASSERT_EQ(istat, EV_OK) << c.text;
    if (std::isnan(c.value))
        EXPECT_TRUE(std::isnan(value));
    else
        EXPECT_NEAR(value, c.value, 1e-14 * std::max(1.0, std::fabs(c.value))) << c.text;
    if (c.line) {
        EXPECT_TRUE(terminal_has(c.line)) << terminal();
    }
}

INSTANTIATE_TEST_SUITE_P(Evaluator, ExpressionTable, ::testing::ValuesIn(kExpressions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EvalTest, AintKeepsTheSignOfMinusZero) {
    double v = run("AINT(-0.5)");
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(std::signbit(v));
}

TEST_F(EvalTest, AssignmentChainSetsOnlyTheFirstName) {
    set("B", 4);
    EXPECT_EQ(run("A=B=1"), 1.0);
    EXPECT_EQ(b1.VARVAL(slot("A")), 4.0);
    EXPECT_EQ(b1.VARVAL(slot("B")), 4.0);
}

TEST_F(EvalTest, ConditionalCompilesToConditionValuesAndColon) {
    Chars<EXPR_TEXT> text("X>0?1:2");
    int irpn[RPN_ROWS] = {};
    int len = 0, istat = 0;
    eval(EV_COMPILE, text, irpn, len, istat);
    ASSERT_EQ(istat, EV_OK);
    ASSERT_EQ(len, 6);
    EXPECT_EQ(irpn[0], TK_VAR + 2);  // X is predefined variable 2
    EXPECT_EQ(b3a.CVAL(irpn[1] - TK_CONST), 0.0);
    EXPECT_EQ(irpn[2], TK_BINOP + OP_GT);
    EXPECT_EQ(b3a.CVAL(irpn[3] - TK_CONST), 1.0);
    EXPECT_EQ(b3a.CVAL(irpn[4] - TK_CONST), 2.0);
    EXPECT_EQ(irpn[5], TK_BINOP + OP_COLON);
    // The compiler leaves the text without blanks and with "^" for "**".
    Chars<EXPR_TEXT> power(" X ** 2 ");
    eval(EV_COMPILE, power, irpn, len, istat);
    EXPECT_EQ(power.trimmed(), "X^2");
}

TEST_F(EvalTest, SignedExponentOnlyAfterANumber) {
    // 1.5D-3 is the name 1.5D minus the constant 3.
    int before = b4.NUMVAR;
    EXPECT_EQ(run("1.5D-3"), -3.0);
    EXPECT_EQ(b4.NUMVAR, before + 1);
    EXPECT_EQ(b2.SYMNAM(b4.NUMVAR).trimmed(), "1.5D");
    // X1E-3 is X1E minus 3.
    set("X1E", 5);
    EXPECT_EQ(run("X1E-3"), 2.0);
}

//// refusals ////

struct RefusalCase {
    const char* name;
    const char* text;
    int istat;
    const char* line;  // a terminal line the refusal writes, or nullptr
};

const RefusalCase kRefusals[] = {
    {"parentheses_out_of_order", ")A(", EV_SYNTAX, " *** SYNTAX ERROR:() OUT OF ORDER"},
    {"unclosed_parenthesis", "(A", EV_SYNTAX, " *** SYNTAX ERROR: TOO MANY ("},
    {"operator_at_end", "A+", EV_SYNTAX, " *** SYNTAX ERROR: NOT ENOUGH OPERANDS (AT END)"},
    {"operator_first", "*A", EV_SYNTAX, " *** SYNTAX ERROR: NOT ENOUGH OPERANDS"},
    {"operator_before_paren", "(A+)", EV_SYNTAX, " *** SYNTAX ERROR: OPERATOR )"},
    {"two_adjacent_operators", "A*-B", EV_SYNTAX, " *** SYNTAX ERROR:TWO ADJACENT OPERATORS"},
    {"minus_after_colon", "(X>0)?1:-1", EV_SYNTAX, " *** SYNTAX ERROR:TWO ADJACENT OPERATORS"},
    {"unknown_function", "FOO(X)", EV_UNKNOWN_FUNC, " *** NO SUCH KNOWN FUNCTION"},
    {"syntax_checked_before_functions", "FOO(X", EV_SYNTAX, " *** SYNTAX ERROR: TOO MANY ("},
    {"unary_minus_takes_the_function_name", "-SIN(X)", EV_EMPTY_STACK,
     " *** ERROR IN TOP: EMPTY STACK"},
    {"assigned_minus_function", "Y=-SIN(X)", EV_EMPTY_STACK, " *** ERROR IN TOP: EMPTY STACK"},
    {"minus_inside_arguments_subtracts", "MAX(A,-B)", EV_EMPTY_STACK,
     " *** ERROR IN TOP: EMPTY STACK"},
    {"missing_argument", "ATAN2(X)", EV_EMPTY_STACK, " *** ERROR IN TOP: EMPTY STACK"},
    {"empty_parentheses", "()", EV_EMPTY_STACK, " *** ERROR IN TOP: EMPTY STACK"},
    {"blank", "   ", EV_BLANK_OR_END, nullptr},
    {"end", "END", EV_BLANK_OR_END, nullptr},
    {"begins_with_end", "ENDX=1", EV_BLANK_OR_END, nullptr},
    {"end_spelt_with_blanks", "E N D", EV_BLANK_OR_END, nullptr},
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusalTable : public EvalTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTable, RefusedWithItsLinesAndSymbolsUndone) {
    const RefusalCase& c = GetParam();
    const B4 before = b4;
    int istat = 0;
    EXPECT_EQ(run(c.text, &istat), 0.0);
    EXPECT_EQ(istat, c.istat);
    if (c.line) {
        EXPECT_TRUE(terminal_has(c.line)) << terminal();
    }
    EXPECT_EQ(b4.NUMVAR, before.NUMVAR);
    EXPECT_EQ(b4.NUMFUN, before.NUMFUN);
    EXPECT_EQ(b4.NUMCNST, before.NUMCNST);
}

INSTANTIATE_TEST_SUITE_P(Evaluator, RefusalTable, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EvalTest, SyntaxDumpShowsBothSidesOfTheError) {
    run("A*-B");
    const std::string expected =
        " *** SYNTAX ERROR:TWO ADJACENT OPERATORS\n"
        " :: DUMP OF LINE ::\n"
        " A\n"
        " *\n"
        " ^^^^^^^^^^\n"
        " ||||||||||\n"
        " ERROR HERE\n"
        " REST OF EXPRESSION:\n"
        " :: DUMP OF LINE ::\n"
        " -\n"
        " B\n";
    EXPECT_EQ(terminal(), expected);
}

//// symbol tables ////

TEST_F(EvalTest, NamesKeepTheirSlots) {
    run("Q1+2");
    int q = slot("Q1");
    int consts = b4.NUMCNST;
    run("Q1*2");
    EXPECT_EQ(slot("Q1"), q);
    EXPECT_EQ(b4.NUMCNST, consts);  // the constant 2 is found again
    run("Q1+2.0");
    EXPECT_EQ(b4.NUMCNST, consts + 1);  // 2.0 is written differently
    // Variable names are case-sensitive.
    run("q1+1");
    EXPECT_NE(slot("q1"), q);
}

TEST_F(EvalTest, PredefinedVariablesOwnTheFirstSlots) {
    EXPECT_EQ(clac1c.NEXPR, NPREDF);
    const char* names[] = {"NEL",   "X",     "Y",     "U1",    "U2",    "U3",    "U4",   "DU1DX",
                           "DU2DX", "DU3DX", "DU4DX", "DU1DY", "DU2DY", "DU3DY", "DU4DY"};
    for (int i = 1; i <= NPREDF; ++i) {
        EXPECT_EQ(slot(names[i - 1]), i);
        EXPECT_EQ(b1.VARVAL(i), 0.0);
    }
}

TEST_F(EvalTest, FullVariableTableRefusesANewNameOnly) {
    for (int i = b4.NUMVAR + 1; i <= 999; ++i) {
        std::string text = "V";
        text += std::to_string(i);
        text += "=1";
        ASSERT_EQ(run(text), 1.0);
    }
    EXPECT_EQ(b4.NUMVAR, 999);
    int istat = 0;
    run("NEWNAME+1", &istat);
    EXPECT_EQ(istat, EV_TABLE_FULL);
    EXPECT_EQ(b4.NUMVAR, 999);
    // Names already in the table still compile.
    EXPECT_EQ(run("V999+X", &istat), 1.0);
    EXPECT_EQ(istat, EV_OK);
}

TEST_F(EvalTest, FullConstantTableRefusesANewConstant) {
    int istat = 0;
    for (int i = b4.NUMCNST + 1; i <= 999; ++i) {
        run("X+" + std::to_string(i), &istat);
        ASSERT_EQ(istat, EV_OK);
    }
    run("X+1000", &istat);
    EXPECT_EQ(istat, EV_TABLE_FULL);
    EXPECT_EQ(b4.NUMCNST, 999);
}

TEST_F(EvalTest, TokenLimitIsEightyOnceCommasAreDropped) {
    // 40 operands and 39 operators: 79 tokens.
    std::string ok = "1";
    for (int i = 0; i < 39; ++i) ok += "+1";
    int istat = 0;
    EXPECT_EQ(run(ok, &istat), 40.0);
    EXPECT_EQ(istat, EV_OK);
    run(ok + "+1", &istat);  // 81 tokens
    EXPECT_EQ(istat, EV_TABLE_FULL);
    // Commas are not tokens: 41 operands separated by commas fit.
    std::string commas = "1";
    for (int i = 0; i < 40; ++i) commas += ",2";
    EXPECT_EQ(run(commas, &istat), 2.0);
    EXPECT_EQ(istat, EV_OK);
}

TEST_F(EvalTest, ResetEmptiesTheTablesButKeepsValues) {
    Chars<EXPR_TEXT> none;
    int len = 0, istat = 0;
    set("KEEP", 7);
    int k = slot("KEEP");
    eval(EV_RESET, none, nullptr, len, istat);
    EXPECT_EQ(b4.NUMVAR, 0);
    EXPECT_EQ(b4.NUMCNST, 0);
    EXPECT_EQ(b4.NUMFUN, 1);  // the unary minus
    EXPECT_EQ(b1.VARVAL(k), 7.0);
}

TEST_F(EvalTest, StoredFormRunsFromItsCodesAlone) {
    // A stored form runs from its codes alone: changing the text it came from
    // changes nothing.
    Chars<EXPR_TEXT> text("X*X+1");
    int irpn[RPN_ROWS] = {};
    int len = 0, istat = 0;
    eval(EV_COMPILE, text, irpn, len, istat);
    text = Chars<EXPR_TEXT>("GARBAGE");
    b1.VARVAL(2) = 3.0;
    EXPECT_EQ(eval(EV_RUN, text, irpn, len, istat), 10.0);
}

}  // namespace
}  // namespace kavren::testing
