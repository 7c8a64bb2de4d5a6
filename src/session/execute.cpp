// The EXECUTE driver: the solve, estimate and adapt cycle by hand. It asks
// for the problem dimension and the breakpoint names once, then loops for
// ever over action records: MESH, TWODIM, TRIDIM, PROFILE, SOLVE, ERREST,
// DISERR, ADAPTH, ADAPTP. The run ends inside it (QUIT).
#include "session/execute.hpp"

#include <string>

#include "adapt/adapthp.hpp"
#include "adapt/errexact.hpp"
#include "control/debug.hpp"
#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "frontal/solve1.hpp"
#include "hpmesh/tree.hpp"
#include "meshgen/handover.hpp"
#include "meshgen/mesh_level.hpp"
#include "plot/errmap.hpp"
#include "plot/field_plots.hpp"
#include "plot/profile.hpp"
#include "records/control.hpp"
#include "records/debug.hpp"
#include "records/execute.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

// The action words, in the order in which they are looked for: when a record
// holds several, the last found wins.
struct ActionWord {
    const char* word;
    int action;
};
constexpr ActionWord kActions[] = {
    {"MESH", ACT_MESH},       {"TWODIM", ACT_TWODIM}, {"TRIDIM", ACT_TRIDIM},
    {"PROFILE", ACT_PROFILE}, {"SOLVE", ACT_SOLVE},   {"ERREST", ACT_ERREST},
    {"DISERR", ACT_DISERR},   {"ADAPTH", ACT_ADAPTH}, {"ADAPTP", ACT_ADAPTP},
};

void say(std::string_view line) {
    write_terminal(fmt::list({line}));
}

// NDIMEN, 1 or 2. Another value is refused; the keyboard is asked again, a
// deck ends the run as a missing value does.
void ask_ndimen() {
    for (;;) {
        say("EXECUTE: SET NDIMEN=? (1/2) ?");
        int n = 0;
        readi("NDIMEN", n);
        if (n == 1 || n == 2) {
            cndimen.NDIMEN = n;
            return;
        }
        ffldou(0, MSG_ERROR, "NDIMEN MUST BE 1 OR 2");
        if (cinout.LUIN == LUDECK) sstop(0, "READI");
    }
}

// The user breakpoint names; with any, the breakpoint dialog.
void ask_breakpoints() {
    int n = 0;
    for (;;) {
        say("set NRBREAKS =?");
        n = 0;
        readi("NRBREAKS", n);
        if (n >= 0 && n <= MAX_BREAK_NAMES) break;
        ffldou(0, MSG_ERROR,
               fmt::line("(A,I2,A)", {"NRBREAKS MUST BE 0 TO ", MAX_BREAK_NAMES, " NAMES"}));
    }
    cdbg1.NRBREAKS = n;
    say("list breakpoint names: LPRNAME = ?");
    for (int i = 1; i <= n; ++i) {
        std::string name(8, ' ');
        readc("LPRNAME", name);
        cdbg1.LPRNAME(i) = Word8(name);
    }
    if (n > 0) {
        say("SET BREAKPOINTS");
        dbgprint(1, "EXECUTE", "NRBREAKS", &cdbg1.NRBREAKS, nullptr, 1, 1, 1, 1, 1, 1);
    }
}

void write_menu() {
    for (const char* l : {"***************************************************",
                          "*                                                 *",
                          "*      I N   R O U T I N E   E X E C U T E        *",
                          "*                                                 *",
                          "***************************************************", "",
                          "SELECT ACTION:", "MESH.........................display or modify mesh",
                          "TWODIM......................display map of solution",
                          "TRIDIM..............display perspective of solution",
                          "PROFILE=ONE.............display profile of solution",
                          "SOLVE..................solve boundary-value problem",
                          "ERREST...............................estimate error",
                          "DISERR=1/2/3................display L2/H1/MAX-error",
                          "ADAPTH............................h mesh adaptation",
                          "ADAPTP............................p mesh adaptation"})
        say(l);
}

// The action words of the record set the action; DISERR also the error kind
// from the number after it (0, which maps nothing, when there is none). False
// when the record holds none of them.
bool choose_action() {
    Cexecute& d = cexecute;
    bool found = false;
    for (const ActionWord& a : kActions) {
        int nocc = 0, ipos = 0;
        findop(a.word, nocc, ipos);
        if (nocc == 0) continue;
        found = true;
        d.IACTION = a.action;
        if (a.action == ACT_DISERR) {
            const bool number =
                ipos >= 1 && ipos <= iodati.NFIELD && iodati.ITYPE(ipos) == FT_NUMBER;
            d.IERKIND = number ? ifix(iodata.FVALUE(ipos)) : 0;
        }
    }
    return found;
}

// True when some field of the record holds a word or a number.
bool record_has_text() {
    for (int k = 1; k <= iodati.NFIELD && k <= NFIELD_SLOTS; ++k)
        if (iodati.ITYPE(k) == FT_WORD || iodati.ITYPE(k) == FT_NUMBER) return true;
    return false;
}

// Makes the current record the word of the last action (with its error kind
// for DISERR), so that the echo of an empty record logs the action it repeats.
void record_last_action() {
    const Cexecute& d = cexecute;
    std::string text;
    for (const ActionWord& a : kActions)
        if (a.action == d.IACTION) text = a.word;
    if (d.IACTION == ACT_DISERR) text.append("=").append(std::to_string(d.IERKIND));
    iodati.LINE(1) = Line80(text);
    iodati.NLINE = 1;
}

// The first field of the record that is not empty, as read (blanks dropped).
std::string first_field() {
    std::string field;
    for (int l = 1; l <= iodati.NLINE; ++l) {
        for (const char c : iodati.LINE(l).view()) {
            if (c == '#') break;
            if (c == ',' || c == '=' || c == '/') {
                if (!field.empty()) return field;
                continue;
            }
            if (c != ' ') field += c;
        }
    }
    return field;
}

// False, with the message, while the last solve failed: the solution held
// is not the current mesh's, so nothing measures or adapts from it.
bool solution_current() {
    if (csolst.IFAILD == 0) return true;
    ffldou(0, MSG_ERROR, "*** THE LAST SOLVE FAILED: NO CURRENT SOLUTION");
    return false;
}

// The fingerprint of the mesh: the active elements in tree order with their
// nicknames (64-bit FNV-1a).
unsigned long long mesh_fingerprint() {
    unsigned long long h = 14695981039346656037ull;
    auto mix = [&h](int v) {
        auto u = static_cast<unsigned int>(v);
        for (int b = 0; b < 4; ++b) {
            h ^= (u >> (8 * b)) & 0xffu;
            h *= 1099511628211ull;
        }
    };
    mix(cdata.NRELEM);
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        int slot = 0;
        findno(nel, slot);
        mix(nel);
        for (int k = 1; k <= 9; ++k) mix(celem.NICK(k, slot));
    }
    return h;
}

// The error map of the kind chosen (1 L2, 2 H1, 3 maximum; another draws
// nothing), after a warning when the errors were not measured on this mesh.
void display_errors(Cexecute& d) {
    double* err = d.IERKIND == 1   ? d.errors_l2.data()
                  : d.IERKIND == 2 ? d.errors_h1.data()
                  : d.IERKIND == 3 ? d.errors_ma.data()
                                   : nullptr;
    if (err == nullptr || check_usable_mesh() != 0) return;
    if (d.IERRMSH != 1 || d.ERRMESH != mesh_fingerprint())
        ffldou(0, MSG_ERROR, "*** WARNING: ERRORS ARE NOT CURRENT ***");
    diserr(err);
}

void perform(int action) {
    Cexecute& d = cexecute;
    double* uold = cuold.UOLD.data();
    double* unew = cunew.UNEW.data();
    const int rows = icolu.ICOLU;
    switch (action) {
        case ACT_TRIDIM:
            mapc3dwr(unew, rows, -1);
            break;
        case ACT_TWODIM:
            mapcnc(unew, rows, -1);
            break;
        case ACT_PROFILE:
            if (check_usable_mesh() == 0) drprof(unew, rows, -1);
            break;
        case ACT_MESH:
            if (check_usable_mesh() == 0) meshwr(uold, unew, rows);
            break;
        case ACT_SOLVE:
            if (check_usable_mesh() != 0) break;
            say("ENTER FRONTAL SOLVER...");
            solve1();
            say("EXIT FRONTAL SOLVER...");
            break;
        case ACT_ERREST:
            if (check_usable_mesh() == 0 && solution_current()) {
                errexact(d.errors_l2, d.errors_h1, d.errors_ma);
                d.IERRMSH = 1;
                d.ERRMESH = mesh_fingerprint();
            }
            break;
        case ACT_DISERR:
            display_errors(d);
            break;
        case ACT_ADAPTH:
        case ACT_ADAPTP:
            if (check_usable_mesh() != 0 || !solution_current()) break;
            // The new dofs take their values in both solutions, whatever the
            // last solve or mesh level left in IDEC.
            cdec.IDEC = 1;
            adapthp(d.errors_h1, action == ACT_ADAPTH ? 0 : 1);
            break;
        default:
            break;
    }
}

}  // namespace

void execute() {
    enter_level();
    ask_ndimen();
    ask_breakpoints();
    // The menu is written before every read but the one after "@" or the end
    // of input. The driver has no END, and H only lists: nothing could unwind
    // a driver that never returns.
    bool menu_due = true;
    CommandLevel level{
        .menu = 0, .help_topic = 0, .history = LevelHistory::list_only, .has_end = false};
    level.prompt = [&menu_due] {
        if (menu_due) write_menu();
        menu_due = true;
    };
    level_loop(level, [&menu_due](int ierr) {
        // The end of input is read past: the reader has switched to the keyboard.
        if (ierr == 1) {
            menu_due = false;
            return LevelStep::next;
        }
        // "@" switches between the keyboard and the project deck.
        if (chkfld("@", 1) && (cinout.LUIN == cinout.LUKBD || cinout.LUIN == LUDECK)) {
            cinout.LUIN = cinout.LUIN == cinout.LUKBD ? LUDECK : cinout.LUKBD;
            write_terminal(" *** READING SWITCHED ***");
            menu_due = false;
            return LevelStep::next;
        }
        // A record without an action word repeats the last action only when
        // it is empty; any other word is refused and changes nothing.
        if (!choose_action()) {
            if (record_has_text()) {
                std::string refusal("** UNKNOWN ACTION: ");
                refusal.append(first_field());
                ffldou(0, MSG_ERROR, refusal);
                return LevelStep::next;
            }
            record_last_action();
        }
        // The mesh level echoes the record that enters it; every other
        // record is echoed here, so that the command log replays the run.
        if (cexecute.IACTION != ACT_MESH && iodati.NFIELD > 0) outcom(cinout.LUECHO);
        perform(cexecute.IACTION);
        return LevelStep::next;
    });
    // Nothing ends the driver's loop but the end of the run.
    sstop(0, "EXECUTE");
}

}  // namespace kavren
