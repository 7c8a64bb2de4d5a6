// The post-processing loop: a prompt of the plot keywords before each record,
// the plot kind kept from one record to the next, and each record drawn with
// UNEW.
#include "user/postldem.hpp"

#include <string>

#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "hpmesh/setup.hpp"
#include "meshgen/mesh_level.hpp"
#include "plot/drplot.hpp"
#include "plot/field_plots.hpp"
#include "plot/options.hpp"
#include "plot/profile.hpp"
#include "records/io.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

constexpr int HELP_POSTLDEM = 25;

// The plot kinds, in the order their keywords are looked for.
enum Kind {
    TRIDIM = 1,
    TWODIM = 2,
    PROFILE = 3,
    MESH = 4,
    VECTOR = 5,
    DUMPPROF = 6,
    DRPLOT = 7,
    PROFILE2 = 8
};

void write_prompt() {
    for (const char* line : {"SET:", "TRIDIM/TWODIM/PROFILE/MESH/VECTOR/NEL/END/SWITCH",
                             "COMP = component number", "SOME OF THE DEFAULT VALUES ARE:",
                             "      TWODIM", "          DIVISION = 3      (0,...,5)",
                             "          EYE      = 1,1,1           ", "      COMP=1"})
        write_terminal(line);
}

// The number after word, 0 when the record holds none.
int number_after(std::string_view word) {
    double v = 0.0;
    return number_field(option_field(word), v) ? ifix(v) : 0;
}

}  // namespace

void postldem(double* uold, double* unew, int icolu) {
    enter_level();
    int ity = TWODIM, comp = 1;
    // The prompt is written before every read but the one after "@" or the
    // end of input.
    bool prompt_due = true;
    CommandLevel level{.menu = 0, .help_topic = HELP_POSTLDEM};
    level.prompt = [&prompt_due] {
        if (prompt_due) write_prompt();
        prompt_due = true;
    };
    level_loop(level, [&](int ierr) {
        if (ierr == 1) {
            prompt_due = false;
            return LevelStep::next;
        }
        // "@" switches between the keyboard and the deck; any other input
        // (an include file, a replay) stays where it is.
        if (chkfld("@", 1)) {
            if (cinout.LUIN == cinout.LUKBD)
                cinout.LUIN = LUDECK;
            else if (cinout.LUIN == LUDECK)
                cinout.LUIN = cinout.LUKBD;
            write_terminal(" *** READING SWITCHED ***");
            prompt_due = false;
            return LevelStep::next;
        }
        if (chkfld("SWITCH", 1)) {
            echo();
            write_terminal("*** INTERCHANGING UNEW & UOLD ***");
            write_terminal("*** BE SURE YOU WANT THAT !!! ***");
            transfer(uold, unew, icolu);
            return LevelStep::next;
        }
        static constexpr std::pair<const char*, int> kKinds[] = {
            {"TRIDIM", TRIDIM}, {"TWODIM", TWODIM},    {"PROFILE", PROFILE},
            {"MESH", MESH},     {"VECTOR", VECTOR},    {"DUMPPROF", DUMPPROF},
            {"DRPLOT", DRPLOT}, {"PROFILE2", PROFILE2}};
        for (const auto& [word, kind] : kKinds)
            if (option_field(word) != 0) ity = kind;
        if (option_field("NEL") != 0) {
            echo();
            write_terminal(fmt::list({"DISPLAY NEL = ", number_after("NEL")}));
            return LevelStep::next;
        }
        // OLDSOL, NEWSOL and NEWSOL-OLDSOL are accepted: every plot draws UNEW.
        if (double v = 0.0; number_field(option_field("COMP"), v)) {
            comp = ifix(v);
            if (comp >= 1 && comp <= 4) ctitle.CTITLE = Line80("COMPONENT " + std::to_string(comp));
        }
        // The mesh level echoes the record that enters it.
        if (ity != MESH) echo();
        switch (ity) {
            case TRIDIM:
                mapc3dwr(unew, icolu, -comp);
                break;
            case TWODIM:
                mapcnc(unew, icolu, -comp);
                break;
            case PROFILE:
                drprof(unew, icolu, -comp);
                break;
            case MESH:
                ctitle.CTITLE = Line80("MESH");
                meshwr(uold, unew, icolu);
                break;
            case VECTOR:
                mapvec(unew, unew + icolu);
                break;
            case DRPLOT:
                drplot();
                break;
            default:
                // DUMPPROF and PROFILE2 have no plot behind them.
                write_terminal(" NOT AVAILABLE");
                break;
        }
        return LevelStep::next;
    });
}

}  // namespace kavren
