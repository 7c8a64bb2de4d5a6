// Command levels: what every level that reads records shares.
#include "control/level.hpp"

#include "control/echo.hpp"
#include "control/history.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

// H at a level: the listing, or a replay where the level allows one.
void answer_history(LevelHistory mode) {
    if (mode == LevelHistory::list_only && iodati.NFIELD >= 2 && iodati.ITYPE(2) == FT_NUMBER) {
        ffldou(0, MSG_ERROR, "*** NO REPLAY OF THE HISTORY INSIDE EXECUTE ***");
        return;
    }
    history();
}

bool replaying() {
    return cbinrec.IREPLY == 1;
}

}  // namespace

void enter_level(int indent) {
    outcom(cinout.LUECHO);
    iodati.INDENT += indent;
}

LevelExit level_loop(const CommandLevel& level, const LevelHandler& handle) {
    for (;;) {
        if (level.prompt) level.prompt();
        int ierr = 0;
        ffldin(cinout.LUIN, cinout.LUOUT, level.menu, ierr);
        if (replaying()) return LevelExit::replay;
        if (chkfld("?", 1)) {
            if (level.help_topic != NO_LEVEL_HELP) help(level.help_topic);
            continue;
        }
        if (chkfld("H", 1)) {
            answer_history(level.history);
            if (replaying()) return LevelExit::replay;
            continue;
        }
        if (level.has_end && chkfld("END", 1)) {
            if (level.at_end && !level.at_end()) continue;
            iodati.INDENT -= level.indent;
            outcom(cinout.LUECHO);
            if (level.after_end) level.after_end();
            return LevelExit::end;
        }
        const LevelStep step = handle(ierr);
        // A sub-level may have started a replay: every level returns at once.
        if (replaying()) return LevelExit::replay;
        if (step == LevelStep::leave) return LevelExit::left;
    }
}

void unknown_word(int ierr, int help_topic, std::string_view menu_error,
                  const std::function<void()>& option_list) {
    if (cmode.IMENU == 1) {
        if (ierr == 0) ffldou(help_topic, MSG_ERROR, menu_error);
    } else {
        option_list();
    }
}

void stub_level(std::string_view name) {
    write_terminal(
        fmt::list({name, "IS NOT AVAILABLE YET: ITS RECORDS ARE DROPPED UP TO ITS END"}));
    enter_level();
    const CommandLevel level{.menu = 0, .help_topic = 0};
    level_loop(level, [](int) {
        // Dropped records are still logged, so that the log replays the run.
        if (iodati.NFIELD > 0) outcom(cinout.LUECHO);
        return LevelStep::next;
    });
}

}  // namespace kavren
