#include "control/messages.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "control/command_area.hpp"
#include "control/reader.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/window.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"
#include "support/units.hpp"

namespace kavren {

void write_terminal(std::string_view line) { units::write_line(cinout.LUOUT, line); }

void write_error_file(std::string_view line) {
    if (units::is_open(cinout.LUERR)) {
        units::write_line(cinout.LUERR, line);
    } else {
        std::fflush(stdout);
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fputc('\n', stderr);
    }
}

void help(int /*itopic*/) { write_terminal(" RETYPE COMMAND"); }

namespace {

// Marks of the message kinds on the command area.
constexpr char kMarks[] = {'>', '!', '*', '+', '?', '#', '%'};

// A message on line 2 of the command area, the older lines moved up, the
// edit line emptied, and the message kept in the ring.
void show_message(int kind, std::string_view text) {
    command_window.area();
    if (cbuftext.NSHOW < 3) cbuftext.NSHOW = 3;
    if (cbuftext.ISCROL == 1) {
        if (cbuftext.NSHOW > 3) {
            cbuftext.NSHOW = 3;
            cbuftext.redraw2 = 1;
        }
        show_newest_ring();
        cbuftext.ISCROL = 0;
    }
    if (kind == MSG_ERROR && cinput.CMDLIN(2).col(5) != '*') cinput.CMDLIN(2).col(5) = '!';
    shift_command_lines(2, true);
    const std::size_t len = std::min<std::size_t>(text.size(), 74);
    Line80 line("   -> ");
    for (std::size_t i = 0; i < len; ++i) line.col(7 + static_cast<int>(i)) = text[i];
    line.col(5) = kind >= 0 && kind <= MSG_CALC ? kMarks[kind] : '>';
    cinput.CMDLIN(2) = line;
    cinput.LENLIN(2) = static_cast<int>(len) + 6;
    draw_command_line(2);
    empty_edit_line();
    draw_command_line(1);
    ring_store(line.view());
}

}  // namespace

void ffldou(int ihelp, int kind, std::string_view text) {
    if (text.size() > 128) text = text.substr(0, 128);
    int len = lenstr(text, static_cast<int>(text.size()));
    std::string line(" ");
    line.append(text.substr(0, static_cast<std::size_t>(len)));
    if (kind == MSG_ERROR) {
        chelp.IHELP = ihelp;
        write_error_file(line);
        help(ihelp);
    }
    // While input comes from a file only errors are shown.
    if (cinout.LUIN != cinout.LUKBD && kind != MSG_ERROR) return;
    // Menu mode shows messages in the window's command area; before the
    // window is there (the configuration's own messages) they go to the
    // terminal, so that a faulty configuration explains itself.
    if (cmode.IMENU == 1 && window_drawing()) {
        show_message(kind, line.substr(1));
        return;
    }
    write_terminal(line);
}

void errout(int ierr, std::string_view name) {
    errcom.NERRS += 1;
    auto w = [](const std::string& s) { write_error_file(s); };
    for (int i = 0; i < 3; ++i) w("");
    w(fmt::line("(1X,'***** ERROR NUMBER',I3,2X,'FOUND IN SUBPROGRAM:',2X,A8)",
                {ierr, Word8(name).view()}));
    w("");
    w("");
    w(fmt::line("(3X,'THE LAST DATA RECORD READ WAS LINE NUMBER ',I4)", {iodati.NLINE}));
    w("     FIELD         ENTRY");
    w("");
    for (int k = 1; k <= iodati.NFIELD; ++k) {
        switch (iodati.ITYPE(k)) {
            case FT_NUMBER: {
                double v = iodata.FVALUE(k);
                if (std::fmod(v, 1.0) == 0.0 && std::fabs(v) < 9999999.0)
                    w(fmt::line("(5X,I4,8X,I8)", {k, nint(v)}));
                else
                    w(fmt::line("(5X,I4,7X,1PE13.5)", {k, v}));
                break;
            }
            case FT_WORD:
                w(fmt::line("(5X,I4,9X,A8)", {k, iodatc.FWORD(k).view()}));
                break;
            case FT_DEFAULT:
                w(fmt::line("(5X,I4,9X,'DEFAULT')", {k}));
                break;
            default:
                break;
        }
    }
    w("");
    w("   THE COMMAND BEING PROCESSED WHEN THE ERROR OCCURRED:  " + errcomc.ERRCMD.str());
    w(" ===> THE ERROR MESSAGE:");
    w("    " + errcomc.ERRMSG.str());
    w("");
    w("");
}

namespace {
StopHook g_stop_hook = nullptr;
}  // namespace

void set_stop_hook(StopHook hook) {
    g_stop_hook = hook;
}

[[noreturn]] void plain_stop(int status, std::string_view name) {
    units::close_all();
    // A file that must not be lost and was not written fails the run, however
    // it ended; the line names each such file once more.
    const std::vector<std::string> lost = units::files_not_written();
    if (!lost.empty()) {
        std::string line = " *** RUN ENDED WITH FILES NOT WRITTEN:";
        for (const std::string& f : lost) line += " " + f;
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
        status = 1;
    }
    if (g_stop_hook) g_stop_hook(status, name);
    std::exit(status);
}

[[noreturn]] void sstop(int iflag, std::string_view name) {
    if (iflag == 0) {
        write_error_file("");
        write_error_file("");
        write_error_file("   *** RUN TERMINATED WITHOUT COMPLETION ***");
        write_error_file("       TERMINATION OCCURED IN ROUTINE--" + Word8(name).str());
    } else if (iflag > 0) {
        write_error_file("");
        write_error_file("");
        write_error_file("   ***** RUN COMPLETED SUCCESSFULLY *****");
    } else {
        write_terminal("core trap");
    }
    // An orderly end exits with 0; every failure stop with 1, so that a
    // script can tell them apart.
    plain_stop(iflag > 0 ? 0 : 1, name);
}

[[noreturn]] void error(std::string_view name) {
    write_terminal("   ***** ERROR IN ROUTINE " + std::string(name.substr(0, 6)));
    write_terminal("   ***** RUN TERMINATED WITHOUT COMPLETION *****");
    sstop(0, "ERROR");
}

void pause() {
    write_terminal(" PAUSE - type anything");
    std::string answer;
    units::read_line(units::STDIN_UNIT, answer);
}

void runtime_pause() {
    units::flush_all();
    std::fputs("PAUSE - press Return to continue\n", stderr);
    std::string answer;
    units::read_line(units::STDIN_UNIT, answer);
}

}  // namespace kavren
