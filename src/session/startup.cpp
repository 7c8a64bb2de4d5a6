#include "session/startup.hpp"

#include <cstdio>
#include <string>

#include "control/level.hpp"
#include "control/menu.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "eval/evaluator.hpp"
#include "fem/tables.hpp"
#include "graphics/draw.hpp"
#include "graphics/menu_window.hpp"
#include "graphics/screen.hpp"
#include "meshgen/mesh_level.hpp"
#include "meshgen/tables.hpp"
#include "plot/artcoord.hpp"
#include "plot/post.hpp"
#include "plot/profile.hpp"
#include "plot/scales.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/plot.hpp"
#include "records/window.hpp"
#include "session/cusmen.hpp"
#include "session/problem_modules.hpp"
#include "user/identify.hpp"
#include "support/convert.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

[[noreturn]] void open_failure(const std::string& file) {
    // Shown on standard error too: the error file may be the file that failed,
    // or one that the user never looks at when the run ends at once.
    const std::string line = " ** UNABLE TO OPEN FILE " + file;
    write_error_file(line);
    if (units::is_open(cinout.LUERR)) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    sstop(0, "OPFIL");
}

//// configuration ////

[[noreturn]] void config_error(std::string_view message) {
    ffldou(0, MSG_LIST, "** FATAL ERROR:       ERROR IN CONFIG FILE **");
    if (!message.empty()) ffldou(0, MSG_ERROR, message);
    ffldou(0, MSG_LIST, "** CHECK FILE AND RESTART PROGRAM          **");
    sstop(0, "MAIN");
}

// "** "WORD" MISSING" padded with blanks to column 44 and closed by an asterisk.
std::string missing_line(std::string_view word, bool long_form) {
    std::string s = "** \"" + std::string(word) + "\" MISSING";
    if (!long_form) return s + " **";
    s.resize(44, ' ');
    return s + "*";
}

// findop over a configuration record: the number of times word is given.
// A word given more than 10 times leaves no value field, and the record is
// refused like any other fault of the file.
int config_option(std::string_view word, int& ipos) {
    int nocc = 0;
    findop(word, nocc, ipos);
    if (nocc > MAX_OCCUR)
        config_error("** \"" + std::string(word) + "\" GIVEN MORE THAN 10 TIMES **");
    return nocc;
}

// One customised problem: its name line and its EQUATION record.
void read_custom_problem(int i, int& luconf) {
    std::string line;
    if (units::read_line(cinout.LUCONF, line) != units::Status::ok) {
        ffldou(0, MSG_LIST, "** FATAL ERROR:       ERROR IN CONFIG FILE **");
        ffldou(0, MSG_ERROR, "** WRONG FORMAT FOR CUSTOMIZED PROBLEM NAMES ");
        ffldou(0, MSG_LIST, "** FORMAT:   A8,A40");
        sstop(0, "MAIN");
    }
    line.resize(48, ' ');
    custo.CUSNAM(i) = Word8(line.substr(0, 8));
    custo.CUSDES(i) = Chars<40>(line.substr(8, 40));

    int ierr = 0;
    ffldin(luconf, cinout.LUOUT, 0, ierr);
    int ipos = 0;
    if (config_option("EQUATION", ipos) == 0) config_error(missing_line("EQUATION", true));
    if (iodati.ITYPE(ipos) != FT_NUMBER)
        config_error("** NUMBER OF EQUATIONS UNREADABLE           *");
    int neq = ifix(iodata.FVALUE(ipos));
    if (neq < 1 || neq > MAX_EQNS) config_error("** NUMBER OF EQUATIONS NOT IN 1..4          *");
    custo.CUSNEQ(i) = neq;

    if (config_option("SYMMETRIC", ipos) == 0) config_error(missing_line("SYMMETRIC", false));
    if (iodati.ITYPE(ipos) != FT_NUMBER) config_error("** SYMMETRY FLAG UNDEFINED **");
    custo.CUSSYM(i) = ifix(iodata.FVALUE(ipos));

    if (config_option("COUPLE", ipos) == 0) config_error(missing_line("COUPLE", false));
    for (int j = 1; j <= neq; ++j) {
        for (int k = 1; k <= neq; ++k) {
            int f = ipos + (j - 1) * neq + k - 1;
            if (f > NFIELD_SLOTS || iodati.ITYPE(f) != FT_NUMBER)
                config_error("** COEFFICIENT IN COUPLING ARRAY UNREADABLE **");
            custo.COUPLE(i, j, k) = ifix(iodata.FVALUE(f));
        }
    }
}

}  // namespace

void unitno() {
    cinout = Cinout();
}

void mode() {
    if (!units::open_text(cinout.LUCONF, "config.sys", units::Open::existing)) {
        write_error_file(" ** UNABLE TO OPEN FILE config.sys");
        sstop(0, "MODE");
    }
    bool have_mode = false, have_display = false, have_custom = false;
    int luconf = cinout.LUCONF;
    for (;;) {
        int ierr = 0;
        ffldin(luconf, cinout.LUOUT, 0, ierr);
        int ipos = 0;
        if (ierr == 0 && chkfld("MODE", 1)) {
            if (config_option("MENU", ipos) > 0) {
                cmode.IMENU = 1;
            } else {
                if (config_option("COMMAND", ipos) == 0)
                    config_error("** ON OR OFF MISSING AFTER INTERACT OPTION **");
                cmode.IMENU = 0;
            }
            have_mode = true;
        } else if (ierr == 0 && chkfld("DISPLAY", 1)) {
            display.IDISP = 0;
            const int ncolor = config_option("COLOR", ipos);
            if (ncolor > 0) machine.ICOLOR = 1;
            const int nmono = config_option("MONO", ipos);
            if (nmono > 0) machine.ICOLOR = 0;
            if (config_option("NODE", ipos) > 0 && iodati.ITYPE(ipos) == FT_WORD) {
                std::string node = iodatc.FWORD(ipos).str();
                lower(node);
                display.DISPNM = Chars<12>(node);
                display.IDISP = 1;
            }
            if (ncolor == 0 && nmono == 0)
                config_error("** COLOR OR MONO MISSING AFTER NODE OPTION **");
            have_display = true;
        } else {
            custo.NSTD = 2;
            if (ierr == 0 && chkfld("CUSTOM", 1)) {
                if (iodati.ITYPE(2) != FT_NUMBER)
                    config_error("** NUMBER OF CUSTOMIZED PROBLEMS UNREADABLE *");
                int n = ifix(iodata.FVALUE(2));
                if (n < 0 || n > MAX_CUSTOM)
                    config_error("** NUMBER OF CUSTOMIZED PROBLEMS NOT IN 0..10 *");
                custo.NCUST = n;
                for (int i = 1; i <= n; ++i) read_custom_problem(i, luconf);
                have_custom = true;
                continue;
            }
            break;
        }
    }
    if (have_mode && have_display && have_custom) {
        units::close(cinout.LUCONF);
        return;
    }
    if (!have_mode) ffldou(0, MSG_ERROR, "** INTERACT OPTION MISSING     **");
    if (!have_display) ffldou(0, MSG_ERROR, "** NODE OPTION MISSING         **");
    if (!have_custom) ffldou(0, MSG_ERROR, "** CUSTOM OPTION MISSING       **");
    config_error("");
}

void inithp() {
    cflags = Cflags();
    cestdefs.ESTDEF(2) = 0.0;
    cestdefs.ESTDEF(3) = 1.0;
    cestdefs.ESTDEF(4) = 0.0;
    wsize.WSIZE = 750.0;
    unitno();
    cnst();
    cnsti();
    cnsti1d();
    install_command_window();
    mode();
    initeval();
    blkmen();
    cusmen();
    install_plot_seams();
    if (cmode.IMENU == 1) {
        // Menu mode: the window opens now, at the scale of the unit square.
        cxmin.XMIN = 0.0;
        cxmin.XMAX = 1.0;
        cxmin.YMIN = 0.0;
        cxmin.YMAX = 1.0;
        iwindo.NROWS = 1;
        iwindo.MENUNO = 0;
        claser.ISCRN = 1;
        opwind();
        enable();
        setscale();
        drwind();
    }
}

void install_plot_seams() {
    // The plots sit below the user stamp and the generator's set tables.
    plot_stamp = identify;
    art_select_set = [](int ipos) {
        int mode = LOOKUP_SELECT;
        fset(ipos, mode);
    };
    // A repaint shows the title and legend of the last plot again.
    plot_repaint.titles = [] {
        ctitle.CTITLE = credraw.TITLE0;
        mdrtit();
        clegend.NLEG = credraw.NLEG0;
        legend();
    };
    post_mesh_level = mesh;
    profile_select = [](int ipos) {
        int mode = LOOKUP_SELECT;
        fprof(ipos, mode);
        return mode;
    };
}

void opfil() {
    std::string name = "deck";
    bool word = iodati.ITYPE(1) == FT_WORD;
    if (word) {
        name = iodatc.FWORD(1).trimmed();
        // A name longer than 8 characters is kept whole in the title record.
        if (ctitle.LTITLE > 8 && ctitle.CTITLE.str().compare(0, 8, iodatc.FWORD(1).str()) == 0)
            name = ctitle.CTITLE.str().substr(0, static_cast<std::size_t>(ctitle.LTITLE));
    }
    lower(name);
    cpname.PRJNAM = Word8(name);
    std::string stem = name;
    if (stem.size() >= 4 && stem.compare(stem.size() - 4, 4, ".com") == 0)
        stem.resize(stem.size() - 4);

    if (word) {
        std::string deck = "decks/" + stem + ".com";
        // The deck is only read: a read-only deck is used as it is.
        if (units::open_text(LUDECK, deck, units::Open::read_create)) {
            cinout.LUIN = LUDECK;
        } else {
            cinout.LUIN = cinout.LUKBD;
            ffldou(0, MSG_ERROR, "** UNKNOWN DECK NAME **");
            ffldou(0, MSG_LIST, "** DEFAULT NAME TAKEN    DECK.COM");
            stem = "deck";
        }
    } else {
        cinout.LUIN = cinout.LUKBD;
    }
    cflnam.FLNAM(1) = "decks/" + stem + ".com";
    cflnam.FLNAM(5) = "decks/" + stem + ".out";
    cflnam.FLNAM(2) = "decks/" + stem + ".err";
    cflnam.FLNAM(4) = "data/" + stem + ".sav";

    const std::string& log = cflnam.FLNAM(5);
    if (!units::open_text(cinout.LUECHO, log, units::Open::create)) open_failure(log);
    if (!units::open_direct(cinout.LUHIST, "for50", HISTORY_RECLEN)) open_failure("for50");
    const std::string& err = cflnam.FLNAM(2);
    if (!units::open_text(cinout.LUERR, err, units::Open::create)) open_failure(err);
    if (!units::open_direct(LUFRONT, "data/front", 8)) open_failure("data/front");
    // The project's files: the log, the history and the error file are the
    // record of the run, and data/front the solver's. A failure to write one
    // is reported and fails the run at its end.
    units::report_failures(cinout.LUECHO);
    units::report_failures(cinout.LUHIST);
    units::report_failures(cinout.LUERR);
    units::report_failures(LUFRONT);
    cflnam.IOPEN = 1;
}

void datab() {
    for (;;) {
        ffldou(0, MSG_LIST, " ENTER:     PROJECT_NAME");
        int ierr = 0;
        ffldin(cinout.LUIN, cinout.LUOUT, 0, ierr);
        if (chkfld("END", 1)) {
            if (cflnam.IOPEN == 1) return;
            ffldou(0, MSG_ERROR, "** NO PROJECT HAS BEEN DEFINED ***");
            ffldou(0, MSG_LIST, " FORMAT     PROJECT=PROJECT_NAME");
            continue;
        }
        if (chkfld("?", 1)) {
            help(0);
            continue;
        }
        opfil();
        return;
    }
}

void main_menu_options() {
    ffldou(0, MSG_LIST, "CURRENT OPTIONS ARE:");
    ffldou(0, MSG_LIST, " ");
    ffldou(0, MSG_LIST, " DATABASE    MANAGING FILES IN DATABASE");
    ffldou(0, MSG_LIST, " STANDARD    EXECUTE STANDARD PROBLEM MODULE");
    ffldou(0, MSG_LIST, " CUSTOM      EXECUTE CUSTOMIZED PROBLEM MODULE");
    ffldou(0, MSG_LIST, " END         END OF VIRK");
}

[[noreturn]] void kavren_main() {
    // A standard stream closed by the caller would otherwise be taken by the
    // first file opened, and terminal lines would be written into it.
    units::open_standard_streams();
    inithp();
    datab();
    cbinrec.LSTREC = 0;
    constexpr int MAIN_MENU = 18;
    for (;;) {
        // Loop head: a history replay restarts here.
        iodati.INDENT = 1;
        cbinrec.NXTREC = 1;
        cbinrec.IREPLY = 0;
        if (cmode.IMENU == 0 && cinout.LUIN == cinout.LUKBD) main_menu_options();
        // END ends the run; a replay comes back to the loop head.
        const CommandLevel level{.menu = MAIN_MENU, .help_topic = 0, .indent = 0, .at_end = [] {
                                     ffldou(0, MSG_LIST, " VIRK END OF SESSION");
                                     if (cmode.IMENU == 1) closew();
                                     plain_stop(0, "MAIN");
                                     return true;
                                 }};
        level_loop(level, [](int ierr) {
            if (chkfld("DATABASE", 1))
                datab();
            else if (chkfld("STANDARD", 1))
                standard();
            else if (chkfld("CUSTOM", 1))
                custom();
            else
                unknown_word(ierr, 0, "*** UNKNOWN OPTION ***", main_menu_options);
            return LevelStep::next;
        });
    }
}

}  // namespace kavren
