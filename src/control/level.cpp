// Command levels: what every level that reads records shares.
#include "control/level.hpp"

#include "control/echo.hpp"
#include "control/history.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "records/io.hpp"
#include "support/format.hpp"

namespace kavren {

void stub_level(std::string_view name) {
    write_terminal(
        fmt::list({name, "IS NOT AVAILABLE YET: ITS RECORDS ARE DROPPED UP TO ITS END"}));
    outcom(cinout.LUECHO);
    iodati.INDENT += 3;
    for (;;) {
        int ierr = 0;
        ffldin(cinout.LUIN, cinout.LUOUT, 0, ierr);
        if (cbinrec.IREPLY == 1) return;
        if (const LevelWord w = help_or_history(0); w != LevelWord::other) {
            if (w == LevelWord::unwind) return;
            continue;
        }
        if (chkfld("END", 1)) {
            iodati.INDENT -= 3;
            outcom(cinout.LUECHO);
            return;
        }
        // Dropped records are still logged, so that the log replays the run.
        if (iodati.NFIELD > 0) outcom(cinout.LUECHO);
    }
}

}  // namespace kavren
