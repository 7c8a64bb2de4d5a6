// The window of menu mode: menu column, command area and line editor.
#include "graphics/menu_window.hpp"

#include <algorithm>
#include <string>

#include "control/command_area.hpp"
#include "control/menu.hpp"
#include "graphics/draw.hpp"
#include "graphics/pick.hpp"
#include "graphics/screen.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/window.hpp"

namespace kavren {

namespace {

// Shade of the window's background: cell 12 on colour displays, white on
// monochrome ones.
int background() {
    return machine.ICOLOR == 1 ? 12 : 1;
}

// Depth of the current level as the column shows it: its rows stop at the
// eighth path title.
int column_depth() {
    return std::min((iodati.INDENT - 1) / 3 + 1, MENU_DEPTH);
}

// Text of entry i (1 the title) of menu, up to its length.
std::string_view entry(int menu, int i) {
    const int k = cmenu.MFIRST(menu) + i - 1;
    return cmenu.MENTRY(k).view().substr(0, static_cast<std::size_t>(cmenu.MLEN(k)));
}

std::string_view trimmed(std::string_view text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

}  // namespace

//// menu column ////

void menubox(int pad, int col, int row, int istyle, std::string_view text, int istate) {
    const int x1 = col == 1 ? 103 + pad : 115 + pad;
    const int x2 = col == 1 ? 113 - pad : 128 - pad;
    ddrbut(x1, 86 - 3 * row, x2, 89 - 3 * row, istyle, istate);
    mtcolor(machine.ICOLOR == 1 || istyle == 1 ? 0 : 1, 1);
    const std::string_view t = trimmed(text);
    mmovt(x1 + 1, 87 - 3 * row);
    mtext(t, static_cast<int>(t.size()));
}

void clmenu(int menu) {
    const int n = menu_entries(menu), d = column_depth();
    if (n + d < iwindo.NROWS)
        mdrbox(115, 86 - 3 * iwindo.NROWS, 131, 90 - 3 * (n + d), -background());
    iwindo.NROWS = n + d;
}

void drmenu_column(int menu) {
    if (clmap.MAPMOD != 0) colormap(0);
    const int d = column_depth();
    const char* fixed[3] = {"HELP", "HIST", "END"};
    for (int i = 1; i <= 3; ++i) menubox(1, 1, i, 2, fixed[i - 1], 1);
    menubox(2, 1, 6, 3, "UP", 1);
    menubox(2, 1, 7, 3, "DOWN", 1);
    menubox(0, 2, 0, 4, "OPTIONS", 1);
    for (int i = 1; i <= d; ++i)
        menubox(0, 2, i, 5, mstack.MTITLE(i).view().substr(0, static_cast<std::size_t>(mstack.MTLEN(i))), 1);
    clmenu(menu);
    const int n = menu_entries(menu);
    for (int i = 2; i <= n; ++i) menubox(0, 2, d + i - 1, 1, entry(menu, i), 2);
    screen_flush();
}

//// command area ////

void viewline(int k, std::string_view text) {
    mfont(2);
    mmovt(5, 3 * k + 2);
    mdrbox(5, 3 * k + 1, 98, 3 * k + 4, -1);
    mtcolor(0, 1);
    const std::string_view t = trimmed(text.substr(0, std::min<std::size_t>(text.size(), 80)));
    mtext(t, static_cast<int>(t.size()));
}

void scrollup() {
    Cbuftext& b = cbuftext;
    b.IVIEW -= 1;
    if (b.IVIEW <= b.NSHOW - 1) {
        if (b.IWRAP == 0) {
            b.IVIEW = b.NSHOW;
            return;
        }
        b.IVIEW = RING_LINES;
    }
    // In a wrapped ring the line after the newest is the oldest.
    if (b.IVIEW == b.ILAST) b.IVIEW = b.ILAST % RING_LINES + 1;
    for (int k = 1; k <= b.NSHOW; ++k) {
        int j = b.IVIEW - k + 1;
        if (j < 1) {
            if (b.IWRAP == 0) break;
            j += RING_LINES;
        }
        viewline(k + 1, b.BUFTXT(j).view());
    }
    b.ISCROL = 1;
}

void scrolldo() {
    Cbuftext& b = cbuftext;
    b.IVIEW += 1;
    if (b.IVIEW > b.ILAST) b.IVIEW = b.ILAST;
    for (int k = 1; k <= b.NSHOW; ++k) {
        int j = b.IVIEW - k + 1;
        if (j > b.ILAST) return;
        if (j < 1) {
            if (b.IWRAP == 0) return;
            j += RING_LINES;
        }
        viewline(k + 1, b.BUFTXT(j).view());
    }
    b.ISCROL = 1;
}

namespace {

// Appends text to the edit line when it fits in its 80 columns.
bool append(std::string_view text) {
    const int len = cinput.LENLIN(1);
    if (len + static_cast<int>(text.size()) > 80) return false;
    for (std::size_t i = 0; i < text.size(); ++i) cinput.CMDLIN(1).col(len + 1 + static_cast<int>(i)) = text[i];
    cinput.LENLIN(1) = len + static_cast<int>(text.size());
    return true;
}

// A picked menu entry or fixed button goes onto the edit line.
void take_pick(int menu, int d, int ipick) {
    if (iwindo.IPICK > 0) menubox(0, 2, iwindo.IPICK + d - 1, 1, entry(menu, iwindo.IPICK), 2);
    iwindo.IPICK = ipick;
    if (ipick > 0) {
        menubox(0, 2, ipick + d - 1, 1, entry(menu, ipick), 1);
        const int len = cinput.LENLIN(1);
        const bool comma = len > 6 && cinput.CMDLIN(1).col(len) != ',';
        std::string text = comma ? "," : "";
        text += entry(menu, ipick);
        text += ',';
        append(text);
    } else if (ipick < 0) {
        static const char* kFixed[3] = {"?  ", "H  ", "END"};
        append(kFixed[-ipick - 1]);
    }
    draw_command_line(1);
}

// The edit line is submitted: it moves up to line 2 and line 1 is emptied.
void end_line() {
    if (cinput.LENLIN(1) > 6 && cinput.CMDLIN(1).col(cinput.LENLIN(1)) == ',') {
        cinput.CMDLIN(1).col(cinput.LENLIN(1)) = ' ';
        cinput.LENLIN(1) -= 1;
    }
    shift_command_lines(1, cbuftext.NSHOW == 3);
    for (int i = 7; i <= 80; ++i) cinput.CMDLIN(1).col(i) = ' ';
    cinput.LENLIN(1) = 6;
    if (cbuftext.NSHOW == 3) {
        draw_command_line(1);
    } else {
        cbuftext.NSHOW = 3;
        redraws();
    }
    screen_flush();
}

}  // namespace

void getcom(int menu, int& ipick) {
    const int n = menu != 0 ? menu_entries(menu) : 0;
    const int d = column_depth();
    ipick = 0;
    for (;;) {
        int kind = 0;
        char ch = 0;
        Arr1<int, 2> ixy;
        mlocat(kind, ch, ixy);
        if (cmode.IMENU == 0) return;
        if (kind == 1) {
            if (ch == '\\') {
                cinput.CMDLIN(1).col(cinput.LENLIN(1)) = ' ';
                draw_command_line(1);
                if (cinput.LENLIN(1) > 6) cinput.LENLIN(1) -= 1;
            } else if (ch == '\r') {
                end_line();
                return;
            } else {
                if (append(std::string_view(&ch, 1))) draw_command_line(1);
            }
            continue;
        }
        double px = 0.0, py = 0.0;
        pick_percent(ixy, px, py);
        int iout = 1;
        int picked = 0;
        bool found = false;
        for (int i = 2; i <= n && !found; ++i) {
            const int r = d + i - 1;
            point1(115, 86 - 3 * r, 128, 89 - 3 * r, px, py, iout);
            if (iout == 0) {
                picked = i;
                found = true;
            }
        }
        for (int i = 1; i <= 3 && !found; ++i) {
            point1(104, 86 - 3 * i, 112, 89 - 3 * i, px, py, iout);
            if (iout == 0) {
                picked = -i;
                found = true;
                ddrbut(104, 86 - 3 * i, 112, 89 - 3 * i, 2, -2);
            }
        }
        bool scrolled = false;
        for (int i = 1; i <= 2 && !found && !scrolled; ++i) {
            point1(105, 71 - 3 * i, 111, 74 - 3 * i, px, py, iout);
            if (iout != 0) continue;
            ddrbut(105, 71 - 3 * i, 111, 74 - 3 * i, 3, -2);
            if (i == 1) scrollup();
            else scrolldo();
            ddrbut(105, 71 - 3 * i, 111, 74 - 3 * i, 3, -1);
            screen_flush();
            scrolled = true;
        }
        if (scrolled) continue;
        const bool button1 = ch == 'g';
        if (!found && !button1) continue;
        ipick = picked;
        take_pick(menu, d, picked);
        if (button1) {
            end_line();
            return;
        }
        screen_flush();
    }
}

//// the window ////

void logo() {
    mdrbox(24, 34, 100, 66, 17);
    mdrbox(25, 35, 99, 65, 1);
}

void tradmark() {
    mfont(3);
    mtcolor(0, 1);
    mmovt(110, 95);
    mtext("kavren  ", 8);
}

void drwind() {
    colormap(0);
    const int k = background();
    mdrbox(0, 0, 133, 100, k);
    mdrbox(0, 2, 100, 17, 1);
    mdrbox(100, 2, 133, 100, -k);
    logo();
    mfont(4);
    for (int i = 1; i <= 4; ++i) {
        cinput.LENLIN(i) = 6;
        cinput.CMDLIN(i) = Line80("   -> ");
        viewline(i, cinput.CMDLIN(i).view());
    }
    tradmark();
    screen_flush();
}

void closew() {
    if (cmode.IMENU != 0 || claser.ISCRN != 1 || !screen_is_open()) return;
    screen_flush();
    int ipick = 0;
    getcom(0, ipick);
    screen_close();
}

//// the seam ////

namespace {

bool drawing() {
    return claser.ISCRN == 1 && screen_is_open();
}

void area() {
    mfont(2);
    mtcolor(0, 1);
    mdrbox(0, 2, 100, 17, 1);
}

}  // namespace

void install_command_window() {
    command_window.drawing = drawing;
    command_window.column = drmenu_column;
    command_window.getcom = getcom;
    command_window.viewline = viewline;
    command_window.area = area;
    command_window.flush = screen_flush;
    command_window.save = dsave;
}

}  // namespace kavren
