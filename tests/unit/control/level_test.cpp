// The loop every command level runs, driven by a deck through the real
// reader: which records reach the level's handler, how the loop ends, and what
// the command log, the terminal and the error file hold afterwards.
#include "control/level.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "control/echo.hpp"
#include "reader_fixture.hpp"

namespace kavren::testing {
namespace {

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// How a case sets up its level beyond the defaults.
enum class Variant { plain, no_help, no_end, list_only, end_refused_once };

struct LoopCase {
    const char* name;
    Variant variant;
    const char* deck;     // the records after the one that enters the level
    LevelExit exit;       // how the loop ends
    const char* handled;  // field 1 of every record the handler saw, each followed by "|"
    const char* log;      // the command log afterwards (nullptr: not checked)
    int indent;           // INDENT afterwards
    int retype;           // " RETYPE COMMAND" lines on the terminal
    const char* next;     // field 1 of the record read after the loop ("": none)
};

const LoopCase kLoops[] = {
    {"end_leaves_with_its_echo", Variant::plain, "A\nB,1\nEND\nAFTER\n", LevelExit::end, "A|B|",
     "LEVEL\n   A\n   B,1\nEND\n", 1, 0, "AFTER"},
    // The reader answers "?" itself, and the level adds its own help.
    {"question_and_h_do_not_reach_the_level", Variant::plain, "?\nH\nA\nEND\n", LevelExit::end,
     "A|", "LEVEL\n   A\nEND\n", 1, 2, ""},
    {"question_left_to_the_reader", Variant::no_help, "?\nEND\n", LevelExit::end, "",
     "LEVEL\nEND\n", 1, 1, ""},
    {"handler_leaves", Variant::plain, "A\nLEAVE\nB\n", LevelExit::left, "A|LEAVE|",
     "LEVEL\n   A\n   LEAVE\n", 4, 0, "B"},
    {"end_as_an_ordinary_record", Variant::no_end, "END\nLEAVE\n", LevelExit::left, "END|LEAVE|",
     "LEVEL\n   END\n   LEAVE\n", 4, 0, ""},
    {"end_refused_then_accepted", Variant::end_refused_once, "END\nA\nEND\nB\n", LevelExit::end,
     "A|", "LEVEL\n   A\nEND\n", 1, 0, "B"},
    // H,1 replays the first history line: the level returns at once, B unread.
    {"h_with_a_number_replays", Variant::plain, "A\nH,1\nB\n", LevelExit::replay, "A|", nullptr, 4,
     0, ""},
    {"list_only_refuses_the_replay", Variant::list_only, "A\nH,1\nEND\n", LevelExit::end, "A|",
     "LEVEL\n   A\nEND\n", 1, 1, ""},
    // A sub-level entered by SUB began a replay: the level returns at once.
    {"replay_begun_below", Variant::plain, "SUB\nB\n", LevelExit::replay, "SUB|", nullptr, 4, 0,
     ""},
};

void PrintTo(const LoopCase& c, std::ostream* os) {
    *os << c.name;
}

class LevelLoop : public ReaderTest, public ::testing::WithParamInterface<LoopCase> {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        // The end of the deck falls back to the keyboard: make that the end of input.
        std::freopen("/dev/null", "r", stdin);
        reset_keyboard_end();
    }
    std::string terminal;
};

TEST_P(LevelLoop, RecordsExitAndTraces) {
    const LoopCase& c = GetParam();
    deck(std::string("LEVEL\n") + c.deck);
    read();
    enter_level();

    CommandLevel level{.menu = 7, .help_topic = 7};
    int at_end_calls = 0;
    if (c.variant == Variant::no_help) level.help_topic = NO_LEVEL_HELP;
    if (c.variant == Variant::no_end) level.has_end = false;
    if (c.variant == Variant::list_only) level.history = LevelHistory::list_only;
    if (c.variant == Variant::end_refused_once) level.at_end = [&] { return ++at_end_calls > 1; };

    std::string handled;
    ::testing::internal::CaptureStdout();
    const LevelExit exit = level_loop(level, [&](int) {
        const std::string word = iodatc.FWORD(1).trimmed();
        handled += word + "|";
        if (word == "SUB") {
            cbinrec.IREPLY = 1;  // what a nested level's H,n leaves behind
            return LevelStep::next;
        }
        outcom(cinout.LUECHO);
        return word == "LEAVE" ? LevelStep::leave : LevelStep::next;
    });
    std::string next = "(not read)";
    if (exit != LevelExit::replay) {
        read();
        next = iodatc.FWORD(1).trimmed();
    }
    terminal = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(exit, c.exit);
    EXPECT_EQ(handled, c.handled);
    if (c.log) {
        EXPECT_EQ(file("decks/t.out"), c.log);
    }
    EXPECT_EQ(iodati.INDENT, c.indent);
    EXPECT_EQ(count(terminal, " RETYPE COMMAND"), c.retype) << terminal;
    EXPECT_EQ(cbinrec.IREPLY, c.exit == LevelExit::replay ? 1 : 0);
    if (c.variant == Variant::end_refused_once) {
        EXPECT_EQ(at_end_calls, 2);
    }
    if (c.variant == Variant::list_only) {
        EXPECT_NE(file("decks/t.err").find(" *** NO REPLAY OF THE HISTORY INSIDE EXECUTE ***"),
                  std::string::npos)
            << file("decks/t.err");
    }
    if (c.exit != LevelExit::replay) {
        EXPECT_EQ(next, c.next);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LevelLoop, ::testing::ValuesIn(kLoops),
                         [](const auto& info) { return std::string(info.param.name); });

// The prompt comes before every read, also after "?"; after_end sees the
// level's indentation taken back and the END record echoed.
TEST_F(LevelLoop, PromptBeforeEveryReadAndAfterEndLast) {
    deck("LEVEL\n?\nA\nEND\n");
    read();
    enter_level();
    int prompts = 0;
    int indent_after_end = 0;
    std::string log_after_end;
    CommandLevel level{.menu = 7, .help_topic = 7};
    level.prompt = [&] { ++prompts; };
    level.after_end = [&] {
        indent_after_end = iodati.INDENT;
        log_after_end = file("decks/t.out");
    };
    ::testing::internal::CaptureStdout();
    level_loop(level, [](int) { return LevelStep::next; });
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(prompts, 3);
    EXPECT_EQ(indent_after_end, 1);
    EXPECT_EQ(log_after_end, "LEVEL\nEND\n");
}

}  // namespace
}  // namespace kavren::testing
