// Stubs of the generator drawings that later work brings.
#include "meshgen/stubs.hpp"

#include <string>

#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "records/io.hpp"

namespace kavren {

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
