#include "control/history.hpp"

#include <algorithm>
#include <string>

#include "control/command_area.hpp"
#include "control/extension.hpp"
#include "control/messages.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/window.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

std::string read_history_line(int rec) {
    char buf[80];
    if (units::read_record(cinout.LUHIST, rec, buf, sizeof buf) != units::Status::ok)
        return std::string(80, ' ');
    return std::string(buf, sizeof buf);
}

void start_replay() {
    cbinrec.IREPLY = 1;
    units::rewind(cinout.LUECHO);
    cinout.LUIN = cinout.LUHIST;
    replay.lines.clear();
    for (int r = 1; r <= cbinrec.LSTREC; ++r) replay.lines.push_back(read_history_line(r));
    replay.next = 0;
}

}  // namespace

void history() {
    if (cbinrec.IREPLY == 1) return;
    cbinrec.LSTREC = cbinrec.NXTREC - 1;
    if (iodati.ITYPE(2) == FT_NUMBER) {
        double x = iodata.FVALUE(2);
        int n = ifix(x);
        if (x > 0.0 && n < cbinrec.LSTREC) {
            cbinrec.LSTREC = n;
            start_replay();
            return;
        }
        if (x < 0.0) {
            cbinrec.LSTREC = std::max(0, cbinrec.LSTREC + n);
            start_replay();
            return;
        }
    }
    if (cmode.IMENU == 0) {
        for (int r = 1; r <= cbinrec.LSTREC; ++r)
            write_terminal(" * " + fmt::line("(I3)", {r}) + " * " + read_history_line(r));
        return;
    }
    // Menu mode writes the listing to data/help for the help window.
    if (units::open_text(LUHELP, "data/help", units::Open::create)) {
        for (int r = 1; r <= cbinrec.LSTREC; ++r)
            units::write_line(LUHELP,
                              fmt::line("(I3)", {r}) + " * " + read_history_line(r).substr(0, 66));
        units::close(LUHELP);
    }
    // The command area is saved, then the help window shows the listing.
    if (command_window.save != nullptr) command_window.save();
    xghelp("HISTORY", 7);
}

}  // namespace kavren
