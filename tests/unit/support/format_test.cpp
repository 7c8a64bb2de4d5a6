// Fortran-style edit descriptors, list-directed lines and number reading.
#include "support/format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace kavren::fmt {
namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

//// output ////

struct OutCase {
    const char* form;
    std::vector<Item> items;
    std::vector<std::string> lines;
};

// Exact lines, blanks included, for every descriptor and the format control.
const OutCase kOutCases[] = {
    // Iw, Iw.m, conversions, overflow.
    {"(I4)", {5}, {"   5"}},
    {"(I3)", {1000}, {"***"}},
    {"(I3)", {-99}, {"-99"}},
    {"(I2)", {-10}, {"**"}},
    {"(I6.3)", {-7}, {"  -007"}},
    {"(I3.0)", {0}, {"   "}},
    {"(I4)", {-2.7}, {"  -2"}},
    {"(I11)", {1.0e12}, {" 2147483647"}},
    {"(I4)", {kNaN}, {"****"}},
    {"(I4)", {"AB"}, {"****"}},
    {"(I0,1X,F0.2)", {-42, 3.14159}, {"-42 3.14"}},
    // Fw.d: rounding, optional leading zero, negative values rounding to zero.
    {"(F8.3)", {3.14159}, {"   3.142"}},
    {"(F8.3)", {-0.0004}, {"  -0.000"}},
    {"(F8.3)", {-0.0}, {"   0.000"}},
    {"(F5.3)", {-0.5}, {"-.500"}},
    {"(F4.3)", {0.5}, {".500"}},
    {"(F5.0)", {0.3}, {"   0."}},
    {"(F8.2)", {7}, {"    7.00"}},
    {"(F6.2)", {1234.5}, {"******"}},
    {"(F10.3)", {1.0e300}, {"**********"}},
    {"(F6.2)", {"X"}, {"******"}},
    // Ew.d without scale factor: 0.ddddE+xx, the 0 dropped only when it does not fit.
    {"(E13.5)", {1.5}, {"  0.15000E+01"}},
    {"(E10.3)", {-1.5}, {"-0.150E+01"}},
    {"(E9.3)", {-1.5}, {"-.150E+01"}},
    {"(E9.3)", {1.5}, {"0.150E+01"}},
    {"(E8.3)", {1.5}, {".150E+01"}},
    {"(E7.3)", {1.5}, {"*******"}},
    {"(E10.3)", {0.0}, {" 0.000E+00"}},
    {"(E10.3)", {9.9996}, {" 0.100E+02"}},
    {"(E10.3)", {2}, {" 0.200E+01"}},
    {"(E20.14)", {-3.14159265358979}, {"-.31415926535898E+01"}},
    {"(E12.3)", {1.5e100}, {"   0.150+101"}},
    {"(E12.3)", {1.5e-100}, {"   0.150E-99"}},
    {"(E12.3E3)", {1.5e100}, {"  0.150E+101"}},
    {"(E12.3E1)", {1.5e10}, {"************"}},
    {"(D13.5)", {1.5}, {"  0.15000D+01"}},
    {"(D12.3)", {1.5e100}, {"   0.150+101"}},
    // kP: mantissa shift for E, kept for later descriptors, multiplies F.
    {"(1PE13.5)", {1.5}, {"  1.50000E+00"}},
    {"(1PE13.5)", {-1.0e7}, {" -1.00000E+07"}},
    {"(1PE13.5)", {0.0}, {"  0.00000E+00"}},
    {"(-1PE13.5)", {1.5}, {"  0.01500E+02"}},
    {"(2PE13.5)", {1.5}, {"  15.0000E-01"}},
    {"(6PE13.5)", {1.5}, {"  150000.E-05"}},
    {"(7PE13.5)", {1.5}, {"*************"}},
    {"(1PE13.5,E13.5,F8.3)", {1.5, 2.5, 1.5}, {"  1.50000E+00  2.50000E+00  15.000"}},
    {"(1P,E13.5,0P,E13.5)", {1.5, 1.5}, {"  1.50000E+00  0.15000E+01"}},
    // Gw.d: F form with four trailing blanks inside 0.1 <= |x| < 10**d, else E;
    // a scale factor acts on the E form only.
    {"(G13.5)", {1.5}, {"   1.5000    "}},
    {"(G13.5)", {1.5e7}, {"  0.15000E+08"}},
    {"(G13.5)", {0.05}, {"  0.50000E-01"}},
    {"(1PG13.5)", {1.5}, {"   1.5000    "}},
    {"(1PG13.5)", {-1234.5}, {"  -1234.5    "}},
    {"(1PG13.5)", {1.5e7}, {"  1.50000E+07"}},
    {"(1PG13.5)", {0.05}, {"  5.00000E-02"}},
    {"(G10.3)", {9.9996}, {"  10.0    "}},
    {"(G10.3)", {999.6}, {" 0.100E+04"}},
    {"(G10.3)", {0.09996}, {" 0.100    "}},
    {"(G10.3)", {0.0}, {" 0.000E+00"}},
    {"(G12.3E3)", {5.0}, {"   5.00     "}},
    // Infinity and NaN.
    {"(F12.3)", {kInf}, {"    Infinity"}},
    {"(F12.3)", {-kInf}, {"   -Infinity"}},
    {"(1PE13.5)", {-kInf}, {"    -Infinity"}},
    {"(F8.3)", {-kInf}, {"    -Inf"}},
    {"(F5.3)", {kInf}, {"  Inf"}},
    {"(F3.0)", {-kInf}, {"***"}},
    {"(E10.3)", {kNaN}, {"       NaN"}},
    // A and Aw, literals, Hollerith, nX.
    {"(A8)", {"ABCDEFGHIJK"}, {"ABCDEFGH"}},
    {"(A8)", {"ABC"}, {"     ABC"}},
    {"(A)", {"WHOLE TEXT "}, {"WHOLE TEXT "}},
    {"(A3)", {12}, {"***"}},
    {"(1H*,A,1H*)", {"xy"}, {"*xy*"}},
    {"(3HA,B,I2)", {7}, {"A,B 7"}},
    {"('it''s',1X,\"a \"\"q\"\"\")", {}, {"it's a \"q\""}},
    {"(3X,'TEXT',I3)", {42}, {"   TEXT 42"}},
    {"(5X,I4,8X,I8)", {3, 12345}, {"        3           12345"}},
    {"(A19,I4,A22,I4)",
     {"NUMBER OF ELEMENTS:", 12, " NUMBER OF NODES:", 40},
     {"NUMBER OF ELEMENTS:  12      NUMBER OF NODES:  40"}},
    {"(1X,A,I4,2X,1PE13.5)", {"ERR", 3, 0.25}, {" ERR   3    2.50000E-01"}},
    {"(1X,I2,3X)", {5}, {"  5"}},
    {"(1X I4 2X A)", {5, "x"}, {"    5  x"}},
    {"(2i3,f6.2)", {1, 2, 0.5}, {"  1  2  0.50"}},
    // Repeat counts, groups, '/', reversion, end of the items.
    {"(3I4)", {1, 2, 3, 4, 5, 6, 7}, {"   1   2   3", "   4   5   6", "   7"}},
    {"(1X,'N=',I3,2(1X,I3))", {1, 2, 3, 4, 5, 6, 7}, {" N=  1   2   3", "   4   5", "   6   7"}},
    {"(2(1X,F8.3),/,1X,A)", {1.0, 2.0, "END"}, {"    1.000    2.000", " END"}},
    {"(2(1X,2(I1,'.')),'!')", {1, 2, 3, 4}, {" 1.2. 3.4.!"}},
    {"(1PE10.3/(1X,E10.3))", {1.5, 2.5, 3.5}, {" 1.500E+00", "  2.500E+00", "  3.500E+00"}},
    {"(I2,2/,I2)", {1, 2}, {" 1", "", " 2"}},
    {"(A,/)", {"x"}, {"x", ""}},
    {"(1X,'A',I3,' B',I3,' C')", {1}, {" A  1 B"}},
    {"(I3,' after')", {1}, {"  1 after"}},
    {"(I3,:,' after')", {1}, {"  1"}},
    {"(' NO ITEMS')", {}, {" NO ITEMS"}},
    {"(I4)", {}, {""}},
    {"(' X')", {1, 2}, {" X"}},
};

TEST(FormatOut, TableOfCases) {
    for (const OutCase& c : kOutCases) {
        EXPECT_EQ(format(c.form, c.items), c.lines) << "format " << c.form;
    }
}

TEST(FormatOut, LineJoinsLinesAndTakesInitializerList) {
    EXPECT_EQ(line("(1X,A,I4)", {"N", 12}), " N  12");
    EXPECT_EQ(line("(I2,/,I2)", {1, 2}), " 1\n 2");
    std::string owned = "OWNED";
    EXPECT_EQ(line("(A6)", {owned}), " OWNED");
}

TEST(FormatOut, BadFormatTextIsShownNotHidden) {
    for (const char* bad :
         {"(I4", "(Q4)", "(F8)", "(E0.3)", "(0I4)", "('open)", "(4H12)", "(I4))"}) {
        EXPECT_EQ(format(bad, {1}), std::vector<std::string>{"*** BAD FORMAT " + std::string(bad)})
            << bad;
    }
}

//// list-directed lines ////

TEST(FormatList, ListLineForms) {
    EXPECT_EQ(list({1, -23, "TEXT", 1.5, -2.5, 1000.0, 0.001, 1.5e-7, 1.0e20, 0.0}),
              " 1 -23 TEXT 1.5 -2.5 1000. 0.001 1.5E-07 1.0E+20 0.");
    EXPECT_EQ(list({kInf, -kInf, kNaN}), " Infinity -Infinity NaN");
    // 15 significant digits, and the fixed/E boundaries judged after rounding.
    EXPECT_EQ(list({1.0 / 3.0, 123456.789, 0.1}), " 0.333333333333333 123456.789 0.1");
    EXPECT_EQ(list({999999999999999.0, 1.0e15, 9.999999999999999e14}),
              " 999999999999999. 1.0E+15 1.0E+15");
    EXPECT_EQ(list({0.000999, -1.0e-300, 1.25e100}), " 9.99E-04 -1.0E-300 1.25E+100");
    EXPECT_EQ(list({}), " ");
}

TEST(FormatList, ReadListValuesAndSeparators) {
    struct Case {
        const char* line;
        bool ok;
        int i;
        double x;
        std::string s;
    };
    // Targets start at i = -1, x = -1, s = "old"; nulls and '/' leave them so.
    const Case cases[] = {
        {"3 2.5 'it''s'", true, 3, 2.5, "it's"},
        {" 3 , 2.5 ,WORD", true, 3, 2.5, "WORD"},
        {"4 1.5D2 \"dq \"\"x\"\"\" EXTRA", true, 4, 150.0, "dq \"x\""},
        {"3,,WORD", true, 3, -1.0, "WORD"},
        {",7.5,", false, -1, 7.5, "old"},
        {",7.5,W", true, -1, 7.5, "W"},
        {"3 / 9 9", true, 3, -1.0, "old"},
        {"3 1.5 a/b", true, 3, 1.5, "a"},
        {"2*", false, -1, -1.0, "old"},
        {"2* X", true, -1, -1.0, "X"},
        {"1 2*'AB'", false, 1, -1.0, "old"},
        {"2.5 1 X", false, -1, -1.0, "old"},
        {"3 2.5", false, 3, 2.5, "old"},
        {"3 'x' y", false, 3, -1.0, "old"},
        {"3 2.5 'open", false, -1, -1.0, "old"},
        {"3 1.2.3 X", false, 3, -1.0, "old"},
        {"", false, -1, -1.0, "old"},
    };
    for (const Case& c : cases) {
        int i = -1;
        double x = -1;
        std::string s = "old";
        EXPECT_EQ(read_list(c.line, {&i, &x, &s}), c.ok) << c.line;
        EXPECT_EQ(i, c.i) << c.line;
        EXPECT_EQ(x, c.x) << c.line;
        EXPECT_EQ(s, c.s) << c.line;
    }
}

TEST(FormatList, RepeatCountsFillSeveralTargets) {
    int a = 0, b = 0, c = 0;
    double x = 0;
    EXPECT_TRUE(read_list("2*7 3*-1.5", {&a, &b, &x}));
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(x, -1.5);
    EXPECT_FALSE(read_list("0*7 1 2", {&a, &b, &c}));
    EXPECT_FALSE(read_list("1 2 2147483648", {&a, &b, &c}));
}

//// input ////

TEST(FormatIn, ReadNumberAcceptsFortranNumbers) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"15.", 15.0},       {"1.5E-3", 1.5e-3}, {"15E-3", 0.015},     {"-.5D-2", -0.005},
        {"  1.E3  ", 1.0e3}, {"1.5-3", 1.5e-3},  {"15-3", 0.015},      {"+7", 7.0},
        {"2d1", 20.0},       {"1.5e+3", 1500.0}, {"1.5+300", 1.5e300}, {"0.1", 0.1},
        {"1e-400", 0.0},
    };
    for (const Case& c : cases) {
        double v = -99;
        EXPECT_TRUE(read_number(c.text, v)) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
}

TEST(FormatIn, ReadNumberRefusesOtherTexts) {
    for (const char* text : {"", "   ", "1.2.3", "ABC", "1E", "1E+", "15E-3.", "1e400", ".", "-",
                             "E5", "1 5", "1.5E3X", "0x10", "inf", "nan", "1.5--3", "--1"}) {
        double v = -99;
        EXPECT_FALSE(read_number(text, v)) << '"' << text << '"';
        EXPECT_EQ(v, -99) << "value changed by refused text " << text;
    }
}

TEST(FormatIn, ReadRealFields) {
    struct Case {
        const char* form;
        const char* line;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"(F10.2)", "    12345", true, 123.45},  // no point: last d digits are decimals
        {"(F10.2)", " 1 2 3 4 ", true, 12.34},   // blanks ignored
        {"(F10.2)", "   123.4 ", true, 123.4},   // a point overrides d
        {"(F10.2)", " 1.5-3", true, 1.5e-3},
        {"(F10.2)", " 15E-3", true, 0.15e-3},
        {"(F10.2)", "", true, 0.0},         // blank field
        {"(1PF10.2)", " 15", true, 0.015},  // no exponent: divided by 10**k
        {"(1PF10.2)", " 15E1", true, 1.5},
        {"(E20.14)", "1.23456789012345D+02", true, 123.456789012345},
        {"(E20.14)", "-.31415926535898E+01", true, -3.14159265358980},
        {"(G10.3)", "  2.5e0", true, 2.5},
        {"(D10.3)", "  -1.0d1", true, -10.0},
        {"(5X,F5.1)", "XXXXX  2.5", true, 2.5},  // nX skips
        {"(2X,'AB',F2.0)", "xxAB42", true, 42.0},
        {"(F10.2)", "   1.2.3", false, -1.0},
        {"(F10.2)", "    ABC", false, -1.0},
        {"(F10.2)", "     1E", false, -1.0},
        {"(F10.2", "       1", false, -1.0},
    };
    for (const Case& c : cases) {
        double v = -1;
        EXPECT_EQ(read(c.form, c.line, {&v}), c.ok) << c.form << " " << c.line;
        EXPECT_DOUBLE_EQ(v, c.value) << c.form << " '" << c.line << "'";
    }
}

TEST(FormatIn, ReadSeveralFieldsAndGroups) {
    double a = 0, b = 0;
    ASSERT_TRUE(read("(2E20.14)", "0.31415926535898E+01-.31415926535898E+01", {&a, &b}));
    EXPECT_DOUBLE_EQ(a, 3.14159265358980);
    EXPECT_DOUBLE_EQ(b, -3.14159265358980);

    int i = -1, j = -1, k = -1;
    ASSERT_TRUE(read("(I3,F3.1)", "  12.5", {&i, &a}));
    EXPECT_EQ(i, 1);
    EXPECT_DOUBLE_EQ(a, 2.5);
    ASSERT_TRUE(read("(2(I2,1X),I2)", " 1 -2 33", {&i, &j, &k}));
    EXPECT_EQ(i, 1);
    EXPECT_EQ(j, -2);
    EXPECT_EQ(k, 33);
    ASSERT_TRUE(read("(3I4)", "   7", {&i, &j, &k}));  // short line: blank fields read 0
    EXPECT_EQ(i, 7);
    EXPECT_EQ(j, 0);
    EXPECT_EQ(k, 0);
}

TEST(FormatIn, ReadTextColumns) {
    std::string word = "old", name = "old";
    ASSERT_TRUE(read("(A8,A40)", "GEOMETRYdata/mesh.dat", {&word, &name}));
    EXPECT_EQ(word, "GEOMETRY");
    EXPECT_EQ(name, "data/mesh.dat" + std::string(27, ' '));
    ASSERT_TRUE(read("(A8,A40)", "MESH    ", {&word, &name}));
    EXPECT_EQ(word, "MESH    ");
    EXPECT_EQ(name, std::string(40, ' '));
    ASSERT_TRUE(read("(A4)", "TOOLONG", {&word}));
    EXPECT_EQ(word, "TOOL");
    ASSERT_TRUE(read("(A)", "whole line ", {&word}));
    EXPECT_EQ(word, "whole line ");
    int n = 0;
    ASSERT_TRUE(read("(I2,A)", "12rest", {&n, &word}));
    EXPECT_EQ(n, 12);
    EXPECT_EQ(word, "rest");
}

TEST(FormatIn, LineIsTheOnlyRecord) {
    // '/' and reversion would move to another record: the data ends there.
    int i = -1, j = -1;
    EXPECT_TRUE(read("(I4/I4)", "   1   2", {&i, &j}));
    EXPECT_EQ(i, 1);
    EXPECT_EQ(j, -1);
    i = j = -1;
    EXPECT_TRUE(read("(I4)", "   1   2", {&i, &j}));
    EXPECT_EQ(i, 1);
    EXPECT_EQ(j, -1);
}

TEST(FormatIn, TargetKindsConvertOrFail) {
    int i = 0;
    double x = 0;
    std::string s = "old";
    EXPECT_TRUE(read("(F6.2)", "  -2.7", {&i}));
    EXPECT_EQ(i, -2);
    EXPECT_TRUE(read("(I4)", "  12", {&x}));
    EXPECT_EQ(x, 12.0);
    EXPECT_FALSE(read("(I4)", "12a4", {&i}));
    EXPECT_FALSE(read("(I4)", " 1.5", {&i}));
    EXPECT_FALSE(read("(I12)", " 2147483648", {&i}));
    EXPECT_FALSE(read("(I4)", "  12", {&s}));
    EXPECT_FALSE(read("(A4)", "ABCD", {&i}));
    EXPECT_EQ(s, "old");
}

}  // namespace
}  // namespace kavren::fmt
