// The POST module: its level, the SOLUTION level that fixes the component
// and the title, the STRESSES and DISPLAC levels of a displacement problem,
// and ERROR. A chosen plot kind opens a plot level whose every record draws
// the plot once with that record's options.
#include "plot/post.hpp"

#include <functional>
#include <string>

#include "control/echo.hpp"
#include "control/extension.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "eval/ifcompo.hpp"
#include "plot/deform.hpp"
#include "plot/field_plots.hpp"
#include "plot/options.hpp"
#include "plot/profile.hpp"
#include "plot/scales.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/post.hpp"
#include "support/convert.hpp"

namespace kavren {

PostMeshLevel post_mesh_level = nullptr;

namespace {

// Menus of the levels.
constexpr int MENU_POST_DISPLACEMENT = 43;
constexpr int MENU_POST = 25;
constexpr int MENU_SOLUTION = 44;
constexpr int MENU_TWODIM = 45;
constexpr int MENU_TRIDIM = 46;
constexpr int MENU_PROFILE = 47;
constexpr int MENU_STRESSES = 48;
constexpr int MENU_STRESS_DISPLACED = 49;
constexpr int MENU_DISPLAC = 62;
constexpr int MENU_VECTOR = 63;
constexpr int HELP_NOT_CURRENT = 165;

// Plot kinds of a SOLUTION or STRESSES record.
enum Kind { NONE = 0, TWODIM = 1, TRIDIM = 2, PROFILE = 3, VECTOR = 4, DISPLACED = 5 };

bool displacement_problem() {
    if (cmode.IPROBG == 1) return true;
    return cmode.ICUSTM == 1 && cmode.IPROB >= 1 && cmode.IPROB <= MAX_CUSTOM &&
           custo.CUSNAM(cmode.IPROB) == Word8("DEFORM");
}

// The warning of a plot level entered without a current solution.
void warn_not_current(std::string_view last) {
    if (cflags.ISOLVD != 0) return;
    ffldou(HELP_NOT_CURRENT, MSG_ERROR, " *** WARNING: SOLUTION IS NOT CURRENT ***");
    ffldou(0, MSG_LIST, " SOLUTION SHOULD BE RECALCULATED BEFORE");
    ffldou(0, MSG_LIST, last);
}

void list(std::initializer_list<const char*> lines) {
    for (const char* l : lines) ffldou(0, MSG_LIST, l);
}

void unknown_component() {
    ffldou(0, MSG_ERROR, " **UNKNOWN COMPONENT ");
}

// Writes text into columns first.. of the title.
void title_at(int first, std::string_view text) {
    for (std::size_t i = 0; i < text.size() && first + static_cast<int>(i) <= 80; ++i)
        ctitle.CTITLE.col(first + static_cast<int>(i)) = text[i];
}

// TITLE with a word: that word as the title (its whole text when the reader
// kept a longer one). True when the record named its own title.
bool own_title() {
    const int ipos = option_field("TITLE");
    if (ipos == 0 || ipos > iodati.NFIELD || iodati.ITYPE(ipos) != FT_WORD) return false;
    if (ctitle.LTITLE == 0) ctitle.CTITLE = Line80(iodatc.FWORD(ipos).trimmed());
    return true;
}

// The automatic title of a SOLUTION plot of code icomp.
std::string solution_title(int icomp) {
    if (icomp >= 1 && icomp <= 99) return cpost.VNAME.trimmed();
    static constexpr const char* kOther[4] = {"FIRST COMPONENT", "SECOND COMPONENT",
                                              "THIRD COMPONENT", "FORTH COMPONENT"};
    static constexpr const char* kDisplacement[4] = {"X DISPLACEMENTS", "Y DISPLACEMENTS", "", ""};
    if (icomp < -4 || icomp > -1) return "";
    return displacement_problem() ? kDisplacement[-icomp - 1] : kOther[-icomp - 1];
}

// COMPONENT of a SOLUTION record.
void read_component() {
    const int ipos = option_field("COMPONENT");
    if (ipos == 0 || ipos > iodati.NFIELD) return;
    double v = 0.0;
    if (number_field(ipos, v)) {
        const int n = ifix(v);
        cpost.VNAME = Word8();
        if (n >= 1 && n <= ceqsys.NREQNS) {
            cpost.ICOMP = -n;
        } else {
            unknown_component();
            cpost.ICOMP = -1;
        }
    } else if (iodati.ITYPE(ipos) == FT_WORD) {
        const int k = ifcompo(iodatc.FWORD(ipos).trimmed());
        // Index 100 and beyond would read as a user-function code.
        if (k >= 1 && k < 100) {
            cpost.ICOMP = k;
            cpost.VNAME = iodatc.FWORD(ipos);
        } else {
            unknown_component();
            cpost.ICOMP = -1;
            cpost.VNAME = Word8();
        }
    }
}

// The plot kind of the record: the last of the words present, in this order.
Kind plot_kind(bool stresses) {
    Kind kind = NONE;
    if (stresses && option_field("DISPLAC") != 0) kind = DISPLACED;
    if (option_field("TWODIM") != 0) kind = TWODIM;
    if (option_field("TRIDIM") != 0) kind = TRIDIM;
    if (option_field("PROFILE") != 0) kind = PROFILE;
    if (!stresses && option_field("VECTOR") != 0) kind = VECTOR;
    return kind;
}

// A plot level: echoes the record that chose it, then every record other
// than "?", H and END is echoed and draws once.
void plot_level(int menu, const std::function<void()>& draw) {
    enter_level();
    const CommandLevel level{.menu = menu, .help_topic = menu};
    level_loop(level, [&](int ierr) {
        if (ierr != 0 && iodati.NFIELD == 0) return LevelStep::next;
        echo();
        draw();
        return LevelStep::next;
    });
}

//// POST SOLUTION ////

void postsol(double* uold, double* unew, int icolu) {
    warn_not_current(" ATTEMPTING TO PLOT DISPLACEMENTS");
    enter_level();
    const CommandLevel level{.menu = MENU_SOLUTION, .help_topic = MENU_SOLUTION};
    level_loop(level, [&](int ierr) {
        read_component();
        if (!own_title()) ctitle.CTITLE = Line80(solution_title(cpost.ICOMP));
        const bool oldsol = !displacement_problem() && option_field("OLDSOL") != 0;
        const Kind kind = plot_kind(false);
        if (kind == VECTOR) title_at(1, "VELOCITY VECTORS");
        if (option_field("USER") != 0) {
            // A variable code has no user-function code of its own.
            if (cpost.ICOMP >= 1 && cpost.ICOMP <= 99)
                unknown_component();
            else
                cpost.ICOMP -= 100;
        }
        if (kind == NONE) {
            // What the record set still goes to the log, so that it replays.
            if (option_field("COMPONENT") != 0 || option_field("TITLE") != 0 ||
                option_field("USER") != 0)
                echo();
            unknown_word(ierr, MENU_SOLUTION, "*** UNKNOWN OPTION ***", [] {
                list({"VALID OPTIONS ARE", " ", " TWODIM   CONTOUR PLOT",
                      " TRIDIM   3 DIMENSIONAL PLOT", " PROFILE  PROFILE PLOT ",
                      " VECTOR   VELOCITY PLOT "});
            });
            return LevelStep::next;
        }
        double* u = oldsol ? uold : unew;
        const int code = cpost.ICOMP;
        const int menu = kind == VECTOR ? MENU_VECTOR : (4 * oldsol + kind - 1) % 4 + MENU_TWODIM;
        plot_level(menu, [&] {
            switch (kind) {
                case TWODIM:
                    mapcnc(u, icolu, code);
                    break;
                case TRIDIM:
                    mapc3d(u, icolu, code);
                    break;
                case PROFILE:
                    drprof(u, icolu, code);
                    break;
                default:
                    mapvec(u, u + icolu);
                    break;
            }
        });
        return LevelStep::next;
    });
}

//// STRESSES and DISPLAC ////

void stresses(double* unew, int icolu) {
    warn_not_current(" ATTEMPTING TO PLOT STRESSES");
    enter_level();
    const CommandLevel level{.menu = MENU_STRESSES, .help_topic = MENU_STRESSES};
    level_loop(level, [&](int ierr) {
        static constexpr struct {
            const char* word;
            int code;
            const char* title;
        } kStress[] = {{"MEAN", -101, "    MEAN STRESSES"},
                       {"SIGMA-X", -102, " SIGMA-X STRESSES"},
                       {"SIGMA-Y", -103, " SIGMA-Y STRESSES"},
                       {"SIGMA-XY", -104, "SIGMA-XY STRESSES"}};
        int pick = 0;
        for (int i = 0; i < 4; ++i)
            if (option_field(kStress[i].word) != 0) pick = i;
        const int code = kStress[pick].code;
        if (!own_title()) {
            ctitle.CTITLE = Line80();
            title_at(1, kStress[pick].title);
        }
        if (option_field("L2") != 0) {
            ffldou(0, MSG_ERROR, " L2-PROJECTION NOT AVAILABLE");
            return LevelStep::next;
        }
        flegen("POST PROCESS", NO_LEGEND_VALUE);
        const Kind kind = plot_kind(true);
        if (option_field("DISPLAC") != 0) title_at(18, " AND DISPLACEMENTS");
        if (kind == NONE) {
            unknown_word(ierr, MENU_STRESSES, "*** UNKNOWN OPTION ***", [] {
                list({"VALID OPTIONS ARE", " ", " TWODIM   CONTOUR PLOT",
                      " TRIDIM   3 DIMENSIONAL PLOT", " PROFILE  PROFILE PLOT "});
            });
            return LevelStep::next;
        }
        static constexpr int kMenu[6] = {0, MENU_TWODIM,          MENU_TRIDIM, MENU_PROFILE,
                                         0, MENU_STRESS_DISPLACED};
        plot_level(kMenu[kind], [&] {
            switch (kind) {
                case TWODIM:
                    mapcnc(unew, icolu, code);
                    break;
                case TRIDIM:
                    mapc3d(unew, icolu, code);
                    break;
                case PROFILE:
                    drprof(unew, icolu, code);
                    break;
                default:
                    mapcsd(unew, icolu, code, unew, unew + icolu);
                    break;
            }
        });
        return LevelStep::next;
    });
}

void displacements(double* unew, int icolu) {
    warn_not_current(" ATTEMPTING TO PLOT DISPLACEMENTS");
    ctitle.CTITLE = Line80("DISPLACEMENTS");
    enter_level();
    const CommandLevel level{.menu = MENU_DISPLAC, .help_topic = MENU_DISPLAC};
    level_loop(level, [&](int ierr) {
        if (ierr != 0 && iodati.NFIELD == 0) return LevelStep::next;
        graphd(unew, unew + icolu);
        echo();
        return LevelStep::next;
    });
}

// The levels of a displacement problem; idone := 1 when the record was theirs.
void poststr(double* unew, int icolu, int& idone) {
    if (chkfld("STRESSES", 1)) {
        idone = 1;
        stresses(unew, icolu);
    } else if (chkfld("DISPLAC", 1)) {
        idone = 1;
        displacements(unew, icolu);
    }
}

//// ERROR ////

void posterr(double* unew, int icolu) {
    echo();
    pickest(unew, icolu);
}

}  // namespace

void post(double* uold, double* unew, int icolu) {
    const bool disp = displacement_problem();
    enter_level();
    const int menu = disp ? MENU_POST_DISPLACEMENT : MENU_POST;
    const CommandLevel level{.menu = menu, .help_topic = menu};
    level_loop(level, [&](int ierr) {
        if (chkfld("MESH", 1)) {
            if (post_mesh_level != nullptr) post_mesh_level(uold, unew, icolu);
            return LevelStep::next;
        }
        if (chkfld("SOLUTION", 1)) {
            postsol(uold, unew, icolu);
            return LevelStep::next;
        }
        if (chkfld("ERROR", 1)) {
            posterr(unew, icolu);
            return LevelStep::next;
        }
        int idone = 0;
        if (disp) poststr(unew, icolu, idone);
        if (idone == 1) return LevelStep::next;
        if (cmode.IMENU == 1 && chkfld("DEFAULT", 1)) return LevelStep::next;
        unknown_word(ierr, menu, "*** UNKNOWN OPTION ***", [disp] {
            list({"VALID OPTIONS ARE", " ", " SOLUTION  DISPLAY SOLUTION      ",
                  " MESH      DISPLAY MESH          "});
            if (disp)
                list({" STRESSES  DISPLAY STRESSES      ", " DISPLAC   DISPLAY DISPLACEMENTS "});
            list({" ERROR     DISPLAY ERROR ESTIMATE", " END       EXIT POST PROCESSING  "});
        });
        return LevelStep::next;
    });
}

}  // namespace kavren
