#include "control/reader.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "control/echo.hpp"
#include "reader_fixture.hpp"

namespace kavren::testing {
namespace {

struct Field {
    int type;
    double value;
    const char* word;
};

struct RecordCase {
    const char* name;
    const char* deck;
    std::vector<Field> fields;
};

const RecordCase kRecords[] = {
    {"blanks_around_commas", "A, B ,C\n", {{2, 0, "A"}, {2, 0, "B"}, {2, 0, "C"}}},
    {"blank_joins_words", "A B\n", {{2, 0, "AB"}}},
    {"empty_field_is_default", "A,,B\n", {{2, 0, "A"}, {3, 0, ""}, {2, 0, "B"}}},
    {"trailing_comma", "A,\n", {{2, 0, "A"}}},
    {"sign_starts_exponent", "X=1.5-3\n", {{2, 0, "X"}, {1, 0.0015, ""}}},
    {"bare_exponent", "E3\n", {{1, 1000.0, ""}}},
    {"integer_forms", "15\n15.\n+15\n", {{1, 15.0, ""}}},
    {"lower_case_and_long_word", "geometry,elasticity\n", {{2, 0, "GEOMETRY"}, {2, 0, "ELASTICI"}}},
    {"quoted_word_keeps_blank", "TITLE=\"MY PLOT\"\n", {{2, 0, "TITLE"}, {2, 0, "MY PLOT"}}},
    {"quoted_keeps_separators", "\"A,B=C\",D\n", {{2, 0, "A,B=C"}, {2, 0, "D"}}},
    {"empty_quote_is_default", "\"\",X\n", {{3, 0, ""}, {2, 0, "X"}}},
    {"quoted_number_is_word", "\"123\"\n", {{2, 0, "123"}}},
    {"hash_ends_line", "A,B # C,D\n", {{2, 0, "A"}, {2, 0, "B"}}},
    {"continuation", "MESH/\nREFINE\n", {{2, 0, "MESH"}, {2, 0, "REFINE"}}},
    {"continuation_after_comma",
     "MESH,/\nREFINE\n",
     {{2, 0, "MESH"}, {3, 0, ""}, {2, 0, "REFINE"}}},
    {"blank_line_abandons_continuation", "MESH/\n\nREFINE\n", {{2, 0, "REFINE"}}},
    {"comment_lines_skipped", "# comment\n$ another\nA\n", {{2, 0, "A"}}},
    {"echo_words_dropped", "ECHO-ON\nECHO-OFF,X\nB\n", {{2, 0, "B"}}},
    {"negative_and_point", "-2.5,.5,1E+2\n", {{1, -2.5, ""}, {1, 0.5, ""}, {1, 100.0, ""}}},
    {"faulty_record_read_again", "1.2.3\nOK\n", {{2, 0, "OK"}}},
};

void PrintTo(const RecordCase& c, std::ostream* os) {
    *os << c.name;
}

class RecordTable : public ReaderTest, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(RecordTable, FieldsAsExpected) {
    const RecordCase& c = GetParam();
    deck(c.deck);
    ASSERT_EQ(read(), 0);
    ASSERT_EQ(iodati.NFIELD, static_cast<int>(c.fields.size()));
    for (std::size_t i = 0; i < c.fields.size(); ++i) {
        int k = static_cast<int>(i) + 1;
        EXPECT_EQ(iodati.ITYPE(k), c.fields[i].type) << "field " << k;
        if (c.fields[i].type == FT_NUMBER) {
            EXPECT_DOUBLE_EQ(iodata.FVALUE(k), c.fields[i].value);
        }
        EXPECT_EQ(iodatc.FWORD(k).trimmed(), c.fields[i].word) << "field " << k;
    }
    // Fields past the record read as none.
    EXPECT_EQ(iodati.ITYPE(static_cast<int>(c.fields.size()) + 1), FT_NONE);
}

INSTANTIATE_TEST_SUITE_P(Reader, RecordTable, ::testing::ValuesIn(kRecords),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReaderTest, ThreeIntegerFormsAreThreeRecords) {
    deck("15\n15.\n+15\n");
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(read(), 0);
        EXPECT_EQ(iodati.ITYPE(1), FT_NUMBER);
        EXPECT_DOUBLE_EQ(iodata.FVALUE(1), 15.0);
    }
    EXPECT_EQ(read(), 1);
}

struct ErrorCase {
    const char* line;
    const char* message;
};

const ErrorCase kErrors[] = {
    {"1.2.3", " EXTRA DECIMAL POINT IN FIELD   1"},
    {"A,1-.5", " DECIMAL POINT IN EXPONENT IN FIELD   2"},
    {"1E5.2", " EXTRA DECIMAL POINT IN FIELD   1"},
    {"1E5E2", " DOUBLE OCCURANCE OF E IN NUMERIC FIELD   1"},
    {"1E5-3", " EXTRA SIGN IN EXPONENT IN FIELD   1"},
    {"1E--3", " EXTRA SIGN IN EXPONENT IN FIELD   1"},
    {"12X", " INVALID CHARACTER IN NUMERIC FIELD   1"},
    {"15-3", " INTERNAL WRITE ERROR"},
    {"A,\"ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEF\"",
     " NO DOUBLE-TIC MARK AT END OF EXPLICIT WORD IN FIELD   2"},
};

TEST_F(ReaderTest, FieldErrorsAreFiledAndTheRecordIsReadAgain) {
    std::string text;
    for (const auto& e : kErrors) text += std::string(e.line) + "\n";
    text += "GOOD\n";
    deck(text);
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("GOOD", 1));
    std::string err = file("decks/t.err");
    for (const auto& e : kErrors) {
        EXPECT_NE(err.find(std::string(e.message) + "\n"), std::string::npos) << e.message;
        // The faulty line itself follows its message.
        std::string upper_line = e.line;
        EXPECT_NE(err.find(" " + upper_line + "\n"), std::string::npos) << e.line;
    }
}

TEST_F(ReaderTest, QuotedWordsSetTheLongTitle) {
    deck("TITLE=\"MY PLOT\"\nT,\"ABCDEFGHIJKL\"\n");
    ASSERT_EQ(read(), 0);
    EXPECT_EQ(ctitle.LTITLE, 0);
    ASSERT_EQ(read(), 0);
    EXPECT_EQ(ctitle.LTITLE, 12);
    EXPECT_EQ(ctitle.CTITLE.trimmed(), "ABCDEFGHIJKL");
    EXPECT_EQ(iodatc.FWORD(2).str(), "ABCDEFGH");
}

TEST_F(ReaderTest, WordValueHoldsItsPackedCharacters) {
    deck("SOLVE\n");
    ASSERT_EQ(read(), 0);
    char bytes[8];
    std::memcpy(bytes, &iodata.FVALUE(1), 8);
    EXPECT_EQ(std::string(bytes, 8), "SOLVE   ");
}

TEST_F(ReaderTest, ContinuedRecordKeepsItsLines) {
    deck("MESH/\nREFINE\n");
    ASSERT_EQ(read(), 0);
    EXPECT_EQ(iodati.NLINE, 2);
    EXPECT_EQ(iodati.LINE(1).trimmed(), "MESH/");
    EXPECT_EQ(iodati.LINE(2).trimmed(), "REFINE");
}

std::string fields(int n) {
    std::string s;
    for (int i = 1; i <= n; ++i) {
        if (i > 1) s += ',';
        s += std::to_string(i % 10);
    }
    return s;
}

TEST_F(ReaderTest, ThirtyFieldsAcceptedThirtyOneRefused) {
    deck(fields(31) + "\n" + fields(30) + "\n");
    ASSERT_EQ(read(), 0);
    EXPECT_EQ(iodati.NFIELD, 30);
    EXPECT_DOUBLE_EQ(iodata.FVALUE(29), 9.0);
    EXPECT_NE(file("decks/t.err").find(" ** ERROR - NUMBER OF INPUT FIELDS EXCEEDS  30\n"),
              std::string::npos);
}

TEST_F(ReaderTest, FieldsSpreadOverLinesCountTogether) {
    deck(fields(20) + "/\n" + fields(11) + "\nX\n");
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("X", 1));
}

TEST_F(ReaderTest, ColumnEightyRule) {
    std::string bad = std::string(79, ' ') + "A";
    std::string good = "B";
    good.append(78, ' ').append(",");
    deck(bad + "\n" + good + "\n");
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("B", 1));
    EXPECT_EQ(iodati.NFIELD, 1);
    std::string err = file("decks/t.err");
    EXPECT_NE(err.find(" ** TOO MANY CHARACTERS ON THE LINE\n"), std::string::npos);
    EXPECT_NE(err.find(" ** LIMIT=79   CURRENT NUMBER= 81\n"), std::string::npos);
}

TEST_F(ReaderTest, EveryRecordStartsWithClearedFields) {
    // The first record fails after field 3 was set; the re-read has one field.
    deck("A,B,C,1.2.3\nX\n");
    ASSERT_EQ(read(), 0);
    EXPECT_EQ(iodati.NFIELD, 1);
    EXPECT_EQ(iodati.ITYPE(2), FT_NONE);
    EXPECT_TRUE(iodatc.FWORD(3).blank());
}

TEST_F(ReaderTest, EndOfDeckReturnsEmptyRecordAndSwitchesToKeyboard) {
    deck("A\n");
    ASSERT_EQ(read(), 0);
    EXPECT_EQ(read(), 1);
    EXPECT_EQ(iodati.NFIELD, 0);
    EXPECT_EQ(cinout.LUIN, cinout.LUKBD);
}

TEST_F(ReaderTest, MoreThanTenLinesRefused) {
    std::string text;
    for (int i = 0; i < 10; ++i) text += "A/\n";
    text += "B\nC\n";
    deck(text);
    ASSERT_EQ(read(), 0);
    // The eleventh line could not join its record and is dropped with it.
    EXPECT_TRUE(chkfld("C", 1));
    EXPECT_NE(file("decks/t.err").find(" ** TOO MANY LINES IN ONE RECORD\n"), std::string::npos);
}

TEST_F(ReaderTest, FindopFindsOccurrencesAndValue) {
    deck("PLOT,ZOOM,1,2,ZOOM,3\n");
    ASSERT_EQ(read(), 0);
    int nocc = 0, ipos = -7;
    findop("ZOOM", nocc, ipos);
    EXPECT_EQ(nocc, 2);
    EXPECT_EQ(iodati.IOCCUR(1), 2);
    EXPECT_EQ(iodati.IOCCUR(2), 5);
    EXPECT_EQ(ipos, 3);
    findop("NONE", nocc, ipos);
    EXPECT_EQ(nocc, 0);
    EXPECT_EQ(ipos, 3);  // left as the caller had it
    EXPECT_EQ(iodati.IOCCUR(1), 0);
}

TEST_F(ReaderTest, FindopOverElevenOccurrencesReports) {
    deck("A,A,A,A,A,A,A,A,A,A,A\n");
    ASSERT_EQ(read(), 0);
    int nocc = 0, ipos = 99;
    findop("A", nocc, ipos);
    EXPECT_EQ(nocc, 11);
    EXPECT_EQ(ipos, 99);
    std::string err = file("decks/t.err");
    EXPECT_NE(
        err.find("THE REPEATED WORD IS  A         INCREASE THE DIMENSION OF IOCCUR IN SUB. GETOP"),
        std::string::npos);
    EXPECT_NE(err.find("AN ITEM APPEARS MORE THAN 10 TIMES ON ONE DATA CARD"), std::string::npos);
}

TEST_F(ReaderTest, ChkfldComparesEightCharacters) {
    deck("ELASTICITY\n");
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("ELASTICITY", 1));
    EXPECT_TRUE(chkfld("ELASTICI", 1));
    EXPECT_FALSE(chkfld("ELASTIC", 1));
}

TEST_F(ReaderTest, PromptedReadersTakeTheNamedValue) {
    deck("NDIMEN=2\nEPS,1.5E-3\nNAME=ABC\n");
    int i = 0;
    double r = 0;
    std::string c(8, ' ');
    readi("NDIMEN", i);
    readr("EPS", r);
    readc("NAME", c);
    EXPECT_EQ(i, 2);
    EXPECT_DOUBLE_EQ(r, 1.5e-3);
    EXPECT_EQ(c, "ABC     ");
    // Each accepted value record is echoed.
    EXPECT_NE(file("decks/t.out").find("NDIMEN=2\n"), std::string::npos);
}

struct EchoCase {
    const char* name;
    int indent;
    std::string deck;               // the record's lines as read
    std::vector<std::string> echo;  // its log lines
};

std::string repeat(char c, int n) {
    return std::string(static_cast<std::size_t>(n), c);
}

// The 71 characters of a GRID record with four corners.
const std::string kCorners =
    "XY,0.000000,0.000000,XY,1.000000,0.000000,XY,1.000000,1.000000,XY,0,1.0";

const EchoCase kEchoes[] = {
    {"blanks_and_closing_comma_dropped", 7, "A , B ,\n", {"      A,B"}},
    {"fits_at_its_indentation", 9, kCorners + "\n", {repeat(' ', 8) + kCorners}},
    {"moves_left_to_end_in_column_79", 13, kCorners + "\n", {repeat(' ', 8) + kCorners}},
    {"full_line_starts_in_column_1", 13, repeat('A', 79) + ",\n", {repeat('A', 79)}},
    {"continued_line_keeps_column_80",
     4,
     repeat('B', 79) + "/\nC\n",
     {repeat('B', 79) + "/", "   C"}},
};

void PrintTo(const EchoCase& c, std::ostream* os) {
    *os << c.name;
}

class EchoTable : public ReaderTest, public ::testing::WithParamInterface<EchoCase> {};

// The log and the history keep the whole record, and the reader takes the
// echoed lines back as the same record.
TEST_P(EchoTable, LogLinesReadBackAsTheRecord) {
    const EchoCase& c = GetParam();
    deck(c.deck);
    ASSERT_EQ(read(), 0);
    const int nfield = iodati.NFIELD;
    iodati.INDENT = c.indent;
    outcom(cinout.LUECHO);
    std::string log;
    for (const auto& l : c.echo) log += l + "\n";
    EXPECT_EQ(file("decks/t.out"), log);
    for (std::size_t r = 0; r < c.echo.size(); ++r) {
        char rec[80];
        ASSERT_EQ(units::read_record(cinout.LUHIST, static_cast<int>(r) + 1, rec, 80),
                  units::Status::ok);
        std::string hist(rec, 80);
        hist.erase(hist.find_last_not_of(' ') + 1);
        EXPECT_EQ(hist, c.echo[r]);
    }
    deck(log);
    ASSERT_EQ(read(), 0);
    EXPECT_EQ(iodati.NFIELD, nfield);
    EXPECT_EQ(file("decks/t.err"), "");
}

INSTANTIATE_TEST_SUITE_P(Reader, EchoTable, ::testing::ValuesIn(kEchoes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReaderTest, CommentLinesAreEchoedAsTyped) {
    iodati.INDENT = 10;
    for (const char* text : {"$ A NOTE", "#  SPACED", "%"}) {
        iodati.LINE(1) = Line80(text);
        iodati.NLINE = 1;
        outcom(cinout.LUECHO);
    }
    EXPECT_EQ(file("decks/t.out"), "$ A NOTE\n#  SPACED\n%\n");
}

TEST_F(ReaderTest, EchoedRecordsEnterTheHistory) {
    deck("NODES , POINT = 1 ,\n");
    ASSERT_EQ(read(), 0);
    iodati.INDENT = 4;
    outcom(cinout.LUECHO);
    EXPECT_EQ(file("decks/t.out"), "   NODES,POINT=1\n");
    char rec[80];
    ASSERT_EQ(units::read_record(cinout.LUHIST, 1, rec, 80), units::Status::ok);
    EXPECT_EQ(std::string(rec, 16), "   NODES,POINT=1");
    EXPECT_EQ(cbinrec.NXTREC, 2);
}

TEST(Lenstr, Cases) {
    EXPECT_EQ(lenstr("        ", 8), 1);
    EXPECT_EQ(lenstr("AB  ", 4), 2);
    EXPECT_EQ(lenstr(std::string("AB\0\0", 4), 4), 2);
    EXPECT_EQ(lenstr("AB", 0), 0);
    std::string s = "Mixed Case 1";
    upper(s);
    EXPECT_EQ(s, "MIXED CASE 1");
    lower(s);
    EXPECT_EQ(s, "mixed case 1");
    EXPECT_EQ(ifnum('7'), 1);
    EXPECT_EQ(ifnum('A'), 0);
}

}  // namespace
}  // namespace kavren::testing

namespace kavren::testing {
namespace {

// The keyboard is unit 5; a test connects it to a file.
class PromptedReaderTest : public ReaderTest {
  protected:
    void keyboard(const std::string& text) {
        std::ofstream(dir / "kbd.txt") << text;
        units::open_text(units::STDIN_UNIT, "kbd.txt", units::Open::existing);
        cinout.LUIN = cinout.LUKBD;
    }
};

TEST_F(PromptedReaderTest, AtSwitchesFromKeyboardToDeckAndBack) {
    std::ofstream(dir / "decks/t.com") << "@\nNDIMEN=3\n";
    units::open_text(LUDECK, "decks/t.com", units::Open::existing);
    keyboard("@\nNDIMEN,7\n");
    int n = 0;
    readi("NDIMEN", n);  // keyboard "@" -> deck "@" -> keyboard NDIMEN,7
    EXPECT_EQ(n, 7);
    EXPECT_EQ(cinout.LUIN, cinout.LUKBD);
}

TEST_F(PromptedReaderTest, PromptedReaderSwitchesInputOnAt) {
    // "@" read from the deck switches to the keyboard, which gives the value.
    deck("@\nNDIMEN=9\n");
    keyboard("NDIMEN=3\n");
    int n = 0;
    readi("NDIMEN", n);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(cinout.LUIN, cinout.LUKBD);
}

TEST_F(PromptedReaderTest, MissingNameFromTheKeyboardAsksAgain) {
    keyboard("OTHER=1\nNDIMEN=4\n");
    int n = 0;
    readi("NDIMEN", n);
    EXPECT_EQ(n, 4);
}

TEST_F(PromptedReaderTest, MissingNameFromTheDeckEndsTheRun) {
    deck("OTHER=1\n");
    int n = 0;
    EXPECT_EXIT(readi("NDIMEN", n), ::testing::ExitedWithCode(1), "");
    EXPECT_NE(file("decks/t.err").find("TERMINATION OCCURED IN ROUTINE--READI"), std::string::npos);
}

TEST_F(PromptedReaderTest, AtInAnIncludeFileIsAnOrdinaryWord) {
    std::ofstream(dir / "DECKS/P.INC") << "@,5\nNDIMEN=2\n";
    units::open_text(cinout.LUAUX, "DECKS/P.INC", units::Open::existing);
    cinout.LUIN = cinout.LUAUX;
    int n = 0;
    readi("NDIMEN", n);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(cinout.LUIN, cinout.LUAUX);
}

}  // namespace
}  // namespace kavren::testing
