#include "control/echo.hpp"

#include <algorithm>
#include <string>

#include "control/command_area.hpp"
#include "control/messages.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/window.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

// An accepted command is marked '+' on line 2 (menu mode), and line 1 shows
// the prompt of the mode the reader is in; both are drawn again.
void mark_command_lines() {
    if (cmode.IMENU == 1 && cinput.LENLIN(2) > 6) cinput.CMDLIN(2).col(5) = '+';
    cinput.CMDLIN(1).col(5) = clac1c.ICALC == 1 ? '%' : '>';
    draw_command_line(1);
    draw_command_line(2);
}

}  // namespace

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
        std::string ring("----");
        ring.append(out.view().substr(0, 67));
        ring_store(ring);
        if (cinout.LUIN == cinout.LUKBD) mark_command_lines();
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
    std::size_t len = n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), text.size());
    // Line 2 holds 74 characters after its prompt.
    len = std::min<std::size_t>(len, 74);
    if (cmode.IMENU == 1 && cinout.LUIN == cinout.LUKBD) {
        if (cbuftext.ISCROL == 1) {
            show_newest_ring();
            cbuftext.ISCROL = 0;
        }
        shift_command_lines(2, true);
        empty_edit_line();
        draw_command_line(1);
        Line80 line("   -> ");
        for (std::size_t i = 0; i < len; ++i) line.col(7 + static_cast<int>(i)) = text[i];
        line.col(5) = '+';
        cinput.CMDLIN(2) = line;
        cinput.LENLIN(2) = 6 + static_cast<int>(len);
        draw_command_line(2);
        ring_store(line.view());
    }
    iodati.LINE(1) = Line80(text.substr(0, len));
    iodati.NLINE = 1;
    outcom(cinout.LUECHO);
}

}  // namespace kavren
