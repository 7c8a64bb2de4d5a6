#include <gtest/gtest.h>

#include <string>

#include "control/messages.hpp"
#include "reader_fixture.hpp"

namespace kavren::testing {
namespace {

TEST_F(ReaderTest, ErroutLaysOutTheReport) {
    deck("SOLVE,2,1.5,,10000000,-3\n");
    ASSERT_EQ(read(), 0);
    errcomc.ERRCMD = "SOLVE";
    errcomc.ERRMSG = "SOMETHING WENT WRONG";
    errout(7, "SURFSP");
    const std::string expected =
        "\n\n\n"
        " ***** ERROR NUMBER  7  FOUND IN SUBPROGRAM:  SURFSP\n"
        "\n\n"
        "   THE LAST DATA RECORD READ WAS LINE NUMBER    1\n"
        "     FIELD         ENTRY\n"
        "\n"
        "        1         SOLVE\n"
        "        2               2\n"
        "        3         1.50000E+00\n"
        "        4         DEFAULT\n"
        "        5         1.00000E+07\n"
        "        6              -3\n"
        "\n"
        "   THE COMMAND BEING PROCESSED WHEN THE ERROR OCCURRED:  SOLVE\n"
        " ===> THE ERROR MESSAGE:\n"
        "    SOMETHING WENT WRONG\n"
        "\n\n";
    EXPECT_EQ(file("decks/t.err"), expected);
    EXPECT_EQ(errcom.NERRS, 1);
}

TEST_F(ReaderTest, ErrorMessagesAreFiledAndOthersAreNotWhileReadingAFile) {
    deck("");
    ffldou(3, MSG_ERROR, "** AN ERROR **   ");
    ffldou(0, MSG_INFO, "AN INFORMATION");
    EXPECT_EQ(file("decks/t.err"), " ** AN ERROR **\n");
    EXPECT_EQ(chelp.IHELP, 3);
}

TEST_F(ReaderTest, LongMessageIsCutTo128Characters) {
    ffldou(0, MSG_ERROR, std::string(200, 'X'));
    EXPECT_EQ(file("decks/t.err"), " " + std::string(128, 'X') + "\n");
}

struct StopCase {
    int flag;
    int status;
    const char* last_line;
};

TEST_F(ReaderTest, StopsWriteTheirClosingLinesAndExitStatus) {
    const StopCase cases[] = {
        {1, 0, "   ***** RUN COMPLETED SUCCESSFULLY *****"},
        {0, 1, "       TERMINATION OCCURED IN ROUTINE--SOLVE1"},
    };
    for (const StopCase& c : cases) {
        EXPECT_EXIT(sstop(c.flag, "SOLVE1"), ::testing::ExitedWithCode(c.status), "");
        std::string err = file("decks/t.err");
        ASSERT_GE(err.size(), 2u);
        std::string last = err.substr(0, err.size() - 1);
        last = last.substr(last.rfind('\n') + 1);
        EXPECT_EQ(last, c.last_line);
        units::open_text(cinout.LUERR, "decks/t.err", units::Open::create);
    }
}

}  // namespace
}  // namespace kavren::testing
