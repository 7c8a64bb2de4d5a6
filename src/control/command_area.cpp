#include "control/command_area.hpp"

#include <algorithm>

#include "records/control.hpp"
#include "records/window.hpp"

namespace kavren {

CommandWindow command_window;

bool window_drawing() {
    return command_window.drawing != nullptr && command_window.drawing();
}

void draw_command_line(int k) {
    if (window_drawing()) command_window.viewline(k, cinput.CMDLIN(k).view());
}

void shift_command_lines(int lowest, bool draw) {
    for (int k = 4; k > lowest; --k) {
        const int len = cinput.LENLIN(k - 1);
        Line80 line;
        for (int i = 1; i <= len && i <= 80; ++i) line.col(i) = cinput.CMDLIN(k - 1).col(i);
        cinput.CMDLIN(k) = line;
        cinput.LENLIN(k) = len;
        if (draw) draw_command_line(k);
    }
}

void empty_edit_line() {
    cinput.CMDLIN(1) = Line80("   -> ");
    cinput.CMDLIN(1).col(5) = clac1c.ICALC == 1 ? '%' : '>';
    cinput.LENLIN(1) = 6;
}

void ring_store(std::string_view text) {
    cbuftext.ILAST += 1;
    if (cbuftext.ILAST > RING_LINES) {
        cbuftext.ILAST = 1;
        cbuftext.IWRAP = 1;
    }
    cbuftext.BUFTXT(cbuftext.ILAST) = Chars<72>(text.substr(0, std::min<std::size_t>(text.size(), 72)));
    cbuftext.IVIEW = cbuftext.ILAST;
}

void show_newest_ring() {
    if (!window_drawing()) return;
    for (int k = 1; k <= std::min(cbuftext.NSHOW, 3); ++k) {
        int j = cbuftext.ILAST - k + 1;
        if (j < 1) {
            if (cbuftext.IWRAP == 0) return;
            j += RING_LINES;
        }
        command_window.viewline(k + 1, cbuftext.BUFTXT(j).view());
    }
}

}  // namespace kavren
