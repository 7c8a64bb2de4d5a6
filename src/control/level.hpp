// What every command level shares: the loop that reads its records, answers
// "?" and H, returns at once when a history replay has begun, and leaves on
// END with the echo of the END record.
#pragma once

#include <functional>
#include <string_view>

namespace kavren {

// What the handler of one record asks of the loop.
enum class LevelStep {
    next,   // read the next record (the loop returns first when a replay has begun)
    leave,  // leave the level now; the handler has echoed what it had to
};

// How the loop ended.
enum class LevelExit {
    end,     // END was read: the indentation was taken back and the record echoed
    left,    // the handler left the level
    replay,  // a history replay has begun: the level returns at once, without echo
};

// How a level answers H.
enum class LevelHistory {
    replay,     // H lists the history, H,n replays its first lines
    list_only,  // H lists; H with a number is refused, since nothing could
                // unwind the level (the EXECUTE driver never returns)
};

// "?" left to the reader's own answer: the level adds no help of its own.
constexpr int NO_LEVEL_HELP = -1;

// A command level as the loop sees it. The loop reads `menu` and `help_topic`
// before every record, so a handler may change them in the object it was
// given (a level whose menu follows its last record).
struct CommandLevel {
    int menu = 0;        // the menu number given to the reader
    int help_topic = 0;  // the topic of "?", or NO_LEVEL_HELP
    int indent = 3;      // the indentation the level added on entry, taken back at END
    LevelHistory history = LevelHistory::replay;
    bool has_end = true;  // false: END is a record like any other, for the handler
    // Called before every read: an option list, a menu, a prompt.
    std::function<void()> prompt = nullptr;
    // Called at END before the indentation is taken back; false keeps the level
    // reading (END refused). Absent: END always leaves.
    std::function<bool()> at_end = nullptr;
    // Called at END after the echo.
    std::function<void()> after_end = nullptr;
};

// Handles one record that is neither "?", H nor END; ierr is 1 when the reader
// reached the end of input and the record is empty.
using LevelHandler = std::function<LevelStep(int ierr)>;

// Echoes the record that entered a level and raises the indentation by indent.
void enter_level(int indent = 3);

// Reads and handles the records of a level until it ends.
LevelExit level_loop(const CommandLevel& level, const LevelHandler& handle);

// An unknown word at a level: in menu mode the error menu_error (with
// help_topic), unless the reader reached the end of input; in command mode the
// level's option list.
void unknown_word(int ierr, int help_topic, std::string_view menu_error,
                  const std::function<void()>& option_list);

// A level that is not built yet: says so and drops its records up to its END,
// echoing them so that the command log still replays the run.
void stub_level(std::string_view name);

}  // namespace kavren
