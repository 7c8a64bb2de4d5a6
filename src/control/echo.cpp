#include "control/echo.hpp"

#include <algorithm>
#include <string>

#include "control/messages.hpp"
#include "records/io.hpp"
#include "records/window.hpp"
#include "support/units.hpp"

namespace kavren {

void outcom(int lun) {
    if (iodati.NLINE > MAX_LINES) {
        write_terminal(" IN OUTCOM NLINE > 10");
        plain_stop(1, "OUTCOM");
    }
    for (int l = 1; l <= iodati.NLINE; ++l) {
        Line80 line = iodati.LINE(l);
        int last = 80;
        while (last > 0 && line.col(last) == ' ') --last;
        if (last > 0 && line.col(last) == ',') line.col(last) = ' ';
        Line80 out;
        if (line.col(1) == '#' || line.col(1) == '$' || line.col(1) == '%') {
            // Comment and calculator toggles stay as typed, so that a replay
            // reads them as such again.
            out = line;
        } else {
            // Blanks removed, from column INDENT. A line that would reach
            // column 80 there starts as far left as it needs, so that the log
            // and the history keep it whole and the reader takes it again (a
            // line whose last character stands in column 80 is refused unless
            // that is a "/"; only such a line, or one with a "#" comment, has
            // 80 characters).
            int n = 0;
            for (int i = 1; i <= 80; ++i) n += line.col(i) != ' ';
            int c = std::max(1, std::min(iodati.INDENT, 80 - n));
            for (int i = 1; i <= 80; ++i)
                if (line.col(i) != ' ') out.col(c++) = line.col(i);
        }
        if (cbinrec.IREPLY != 0) continue;
        units::write_line(lun, out.view());
        units::write_record(cinout.LUHIST, cbinrec.NXTREC, out.c.data(), 80);
        cbinrec.NXTREC += 1;
        cbuftext.ILAST += 1;
        if (cbuftext.ILAST > RING_LINES) {
            cbuftext.ILAST = 1;
            cbuftext.IWRAP = 1;
        }
        std::string ring("----");
        ring.append(out.view().substr(0, 67));
        cbuftext.BUFTXT(cbuftext.ILAST) = Chars<72>(ring);
        cbuftext.IVIEW = cbuftext.ILAST;
        // In menu mode the command area is marked and redrawn here; the window
        // layer is not built yet, so every run is in command mode.
    }
}

void echo() {
    outcom(cinout.LUECHO);
}

void echo_line(std::string_view text) {
    iodati.LINE(1) = Line80(text);
    iodati.NLINE = 1;
    outcom(cinout.LUECHO);
    iodati.NLINE = 0;
}

void scroll(int n, std::string_view text) {
    // In menu mode the generated command is also shown on the command lines;
    // the window layer is not built yet.
    std::size_t len = n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), text.size());
    iodati.LINE(1) = Line80(text.substr(0, len));
    iodati.NLINE = 1;
    outcom(cinout.LUECHO);
}

}  // namespace kavren
