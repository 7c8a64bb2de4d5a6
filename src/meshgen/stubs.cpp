// Stubs of the generator levels and drawings that later work brings. A level
// stub is entered like the level (its record echoed, the indentation raised),
// says in one line that it is not available, and reads and drops records up
// to its END, so that the records after it reach the right level.
#include "meshgen/stubs.hpp"

#include <string>

#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "records/io.hpp"

namespace kavren {

namespace {

void skip_level(const std::string& name, int menu) {
    enter_level();
    write_terminal(" ** " + name + " IS NOT AVAILABLE YET: ITS RECORDS UP TO END ARE SKIPPED");
    const CommandLevel level{.menu = menu, .help_topic = NO_LEVEL_HELP};
    level_loop(level, [](int) { return LevelStep::next; });
}

}  // namespace

// STUB: the ARC level comes with the curve work.
void arc(int& /*iblockn*/) {
    skip_level("ARC", 28);
}
// STUB: the ELLIPSE level comes with the curve work.
void ellips(int& /*iblockn*/) {
    skip_level("ELLIPSE", 33);
}
// STUB: the CONNECT level comes with CONNECT, REFLECT and TIE.
void connect(int& /*iblockn*/) {
    skip_level("CONNECT", 26);
}
// STUB: the REFLECT level comes with CONNECT, REFLECT and TIE.
void reflect() {
    skip_level("REFLECT", 27);
}
// STUB: the TIE level comes with CONNECT, REFLECT and TIE.
void tie() {
    skip_level("TIE", 32);
}

// STUB: the generator mesh drawing comes with the generator drawings. Mode 0
// reads and drops its one option record; the redraws of the BOUNDARY level
// (other modes) do nothing.
void graphm(int mode) {
    if (mode != 0) return;
    ffldou(0, MSG_LIST, " ** GENERATOR DRAWINGS ARE NOT AVAILABLE YET");
    iodati.INDENT += 3;
    int ierr = 0;
    ffldin(cinout.LUIN, cinout.LUOUT, 61, ierr);
    iodati.INDENT -= 3;
}

// STUB: the node drawing comes with the generator drawings; it takes its
// options from the PLOT record and reads nothing.
void graphn(int /*mode*/) {
    ffldou(0, MSG_LIST, " ** GENERATOR DRAWINGS ARE NOT AVAILABLE YET");
}

}  // namespace kavren
