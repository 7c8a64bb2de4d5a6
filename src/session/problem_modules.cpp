// The problem modules: the STANDARD and CUSTOM menus, the problem module menu,
// boundary kinds of customised problems, and the solver menu with its
// solution step.
#include "session/problem_modules.hpp"

#include <algorithm>
#include <cassert>
#include <initializer_list>
#include <string>
#include <type_traits>

#include "control/echo.hpp"
#include "control/extension.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "control/utility.hpp"
#include "frontal/solve1.hpp"
#include "hpmesh/tree.hpp"
#include "meshgen/geometry.hpp"
#include "meshgen/handover.hpp"
#include "plot/post.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "records/problem.hpp"
#include "session/dump.hpp"
#include "session/execute.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

constexpr int STANDARD_MENU = 19;
constexpr int CUSTOM_MENU = 20;
constexpr int PROCESS_MENU = 21;
constexpr int PROCESS_CUSTOM_MENU = 30;
constexpr int BCONDS_MENU = 8;  // menus 9.. follow, one per kind
constexpr int SOLVE_MENU = 29;
constexpr int ITERATIVE_MENU = 50;

// Iterative solver parameters as the ITERATIVE sub-menu starts them.
constexpr double EPS_START = 9.999999747378752e-05;  // 1.0E-4 in single precision

//// level helpers ////

void list(std::initializer_list<const char*> lines) {
    for (const char* l : lines) ffldou(0, MSG_LIST, l);
}

void nothing_changed(const char* second) {
    ffldou(0, MSG_ERROR, " NOTHING HAS BEEN CHANGED SINCE LAST SOLUTION!");
    ffldou(0, MSG_ERROR, second);
}

//// STANDARD and CUSTOM ////

void standard_list() {
    list({"VALID OPTIONS ARE", "", " ELASTICITY   LINEAR ELASTICITY",
          " HEAT         PARTIAL DIFFERENTIAL EQUATION", " END          RETURN TO MAIN MENU"});
}

void choose_standard(int neq, int mxeqns, int isymet, int iprob) {
    ceqsys.NREQNS = neq;
    ceqsys.MXEQNS = mxeqns;
    csymet.ISYMET = isymet;
    cmode.ICUSTM = 0;
    cmode.IPROB = iprob;
    cmode.IPROBG = iprob;
}

void custom_list() {
    ffldou(0, MSG_LIST, "VALID OPTIONS ARE");
    ffldou(0, MSG_LIST, "");
    for (int i = 1; i <= custo.NCUST; ++i)
        ffldou(0, MSG_LIST, custo.CUSNAM(i).str() + "   " + custo.CUSDES(i).str());
    ffldou(0, MSG_LIST, " END      RETURN TO MAIN MENU");
}

// The customised problem whose name is the word of field 1, 0 when none.
int custom_problem() {
    if (iodati.ITYPE(1) != FT_WORD) return 0;
    for (int i = 1; i <= custo.NCUST; ++i)
        if (iodatc.FWORD(1) == custo.CUSNAM(i)) return i;
    return 0;
}

void choose_custom(int i) {
    const int neq = std::clamp(custo.CUSNEQ(i), 1, MAX_EQNS);
    ceqsys.NREQNS = neq;
    ceqsys.MXEQNS = neq;
    csymet.ISYMET = custo.CUSSYM(i);
    for (int j = 1; j <= neq; ++j)
        for (int k = 1; k <= neq; ++k) ceqsys.ICOUPL(j, k) = custo.COUPLE(i, j, k);
    cmode.ICUSTM = 1;
    cmode.IPROB = i;
    cmode.IPROBG = custo.NSTD + i;
}

//// problem module ////

void process_list() {
    ffldou(0, MSG_LIST, " OPTIONS ARE:");
    // The empty line is given as an error, so that it is filed and asks for
    // the command again.
    ffldou(0, MSG_ERROR, "");
    list({" GEOMETRY   MESH GENERATOR               ", "            & PROBLEM DEFINITION         ",
          " BCONDS     SET BOUNDARY CONDITIONS      ", " EXECUTE    ACCESS USER DRIVING ROUTINES ",
          " ADAPT      MESH ADAPTIVITY              ", " POST       POST PROCESSING              ",
          " STORAGE    LOAD & SAVE  SOLUTION        ",
          " END        END OF MODULE                "});
}

//// boundary kinds ////

void kind_list() {
    list({"OPTIONS", "", "KIND=K,BOUNDARY=B1,B2...,BN", "END                    ", ""});
}

void kind_unknown(int ierr) {
    unknown_word(ierr, 0, "*** UNKNOWN OPTION ***", kind_list);
}

// The boundary number named by word: the last boundary 1..NBLIN with that name.
int boundary_named(const Word8& word) {
    int b = 0;
    const int nblin = std::min(cbcons.NBLIN, MAX_BOUNDARY);
    for (int i = 1; i <= nblin; ++i)
        if (cbcons1.BNAME(i) == word) b = i;
    return b;
}

// One KIND=k,BOUNDARY=b1,b2,... record; lastkind := k once k is read.
void kind_record(int ierr, int& lastkind) {
    // Kinds are open-ended: only a value beyond the integer range is refused.
    const double v = iodata.FVALUE(2);
    if (iodati.ITYPE(2) != FT_NUMBER || !(v > -2147483649.0 && v < 2147483648.0)) {
        ffldou(0, MSG_ERROR, "BOUNDARY KIND NOT INTEGER");
        return;
    }
    const int k = ifix(v);
    lastkind = k;
    if (!chkfld("BOUNDARY", 3)) {
        ffldou(0, MSG_ERROR, "UNABLE TO FIND KEYWORD BOUNDARY");
        kind_unknown(ierr);
        return;
    }
    int f = 4;
    for (; f <= iodati.NFIELD; ++f) {
        int b = 0;
        if (iodati.ITYPE(f) == FT_NUMBER) {
            const double bv = iodata.FVALUE(f);
            if (!(bv >= 1.0 && bv < MAX_BOUNDARY + 1.0)) {
                ffldou(0, MSG_ERROR, "ONE OF THE BOUNDARY NUMBER IS OUT OF BOUNDS");
                return;
            }
            b = ifix(bv);
        } else if (iodati.ITYPE(f) == FT_WORD) {
            b = boundary_named(iodatc.FWORD(f));
            if (b == 0) {
                ffldou(0, MSG_ERROR, "BOUNDARY UNREADABLE");
                return;
            }
        } else {
            break;
        }
        cbound.IBKIND(b) = k;
        // A changed kind makes the last solution out of date.
        cflags.ISOLVD = 0;
    }
    if (f == 4) {
        ffldou(0, MSG_ERROR, "BOUNDARY NUMBER UNREADABLE");
        return;
    }
    echo();
}

// END of BCONDS: every boundary line of the mesh must have a kind.
bool all_kinds_given() {
    bool ok = true;
    const int nblin = std::min(cbcons.NBLIN, MAX_BOUNDARY);
    for (int l = 1; l <= nblin; ++l) {
        const int b = cbcons.IBND(l) < 0 ? -cbcons.IBND(l) : cbcons.IBND(l);
        if (b >= 1 && b <= MAX_BOUNDARY && cbound.IBKIND(b) != 0) continue;
        ffldou(0, MSG_ERROR, "WARNING: BOUNDARY# " + fmt::line("(I3)", {b}) + " NOT DEFINED");
        ok = false;
    }
    return ok;
}

//// solver ////

// The solving step of the solver menu; a database without a usable mesh is
// refused with its message.
void solve_with(int isol) {
    if (check_usable_mesh() != 0) return;
    ffldou(0, MSG_LIST, " IN PROCESS OF CALCULATING NEW SOLUTION:");
    zecond();
    const int failed = getsoln(isol);
    zecond();
    if (failed == 0) ffldou(0, MSG_LIST, " CALCULATIONS COMPLETE!");
}

void solver_list() {
    list({"SOLVERS:               ", "", "DEFAULT", "FRONTAL     FRONTAL SOLVER ",
          "ITERATIVE   B-JACOBI SOLVER"});
}

void iterative_list() {
    list({"INTERACTIVE:               ", "", " DEFAULTS", " GAUSS OR BLOCK-JAC        ",
          " EPS,EPS                   ", " MAXIT,MAXIT               ",
          " ACCEL,IACCEL              ", " FREQ,IFREQ                ",
          " PRINT OR NO-PRINT         "});
}

struct IterativeParams {
    int method = 1;  // 1 block Jacobi, 2 Gauss
    double eps = EPS_START;
    int maxit = 100;
    int accel = 1;
    int freq = -1;
    int print = 0;
};

// A numeric option of the sub-menu: its value, or its old setting and the
// two errors when the field after it is not a number.
template <typename T>
bool numeric_option(const char* word, T& value) {
    int nocc = 0, ipos = 0;
    findop(word, nocc, ipos);
    if (nocc == 0) return false;
    if (ipos >= 1 && ipos <= NFIELD_SLOTS && iodati.ITYPE(ipos) == FT_NUMBER) {
        if constexpr (std::is_same_v<T, int>)
            value = ifix(iodata.FVALUE(ipos));
        else
            value = iodata.FVALUE(ipos);
    } else {
        ffldou(0, MSG_ERROR, std::string(" *** MISSING NUMBER AFTER ") + word + " OPTION ***");
        ffldou(0, MSG_ERROR, " REST OF LINE WAS IGNORED ");
    }
    return true;
}

bool flag_option(const char* word) {
    int nocc = 0, ipos = 0;
    findop(word, nocc, ipos);
    return nocc > 0;
}

// The options of one record of the sub-menu; the number found.
int iterative_options(IterativeParams& p) {
    int found = 0;
    if (flag_option("GAUSS")) p.method = 2, ++found;
    if (flag_option("BLOCK-JAC")) p.method = 1, ++found;
    found += numeric_option("EPS", p.eps);
    found += numeric_option("MAXIT", p.maxit);
    found += numeric_option("ACCEL", p.accel);
    found += numeric_option("FREQ", p.freq);
    if (flag_option("PRINT")) p.print = 1, ++found;
    if (flag_option("NO-PRINT")) p.print = 0, ++found;
    return found;
}

// The ITERATIVE sub-menu (menu 50), entered from the solver menu; it leaves
// both menus.
void iterative() {
    enter_level();
    IterativeParams p;
    bool changed = false;
    bool unchanged_defaults = false;
    auto leave_both = [] { iodati.INDENT -= 6; };
    // END echoes at the sub-menu's indentation; both menus are left below.
    const CommandLevel level{.menu = ITERATIVE_MENU, .help_topic = ITERATIVE_MENU, .indent = 0};
    const LevelExit exit = level_loop(level, [&](int ierr) {
        if (chkfld("DEFAULTS", 1)) {
            if (cflags.ISLVDF != 1) {
                ffldou(0, MSG_ERROR, " *** NO USER DEFAULTS AVAILABLE ***");
                ffldou(0, MSG_ERROR, " PLEASE MAKE DESIRED CHANGES TO ANY OPTIONS AND END");
                return LevelStep::next;
            }
            echo();
            if (cflags.ISOLVD == 1 && cflags.ISOLVR == 3) {
                unchanged_defaults = true;
                return LevelStep::leave;
            }
            p.method = cslvdefs.ISLV(2);
            p.maxit = cslvdefs.ISLV(3);
            p.accel = cslvdefs.ISLV(4);
            p.freq = cslvdefs.ISLV(5);
            p.print = cslvdefs.ISLV(6);
            p.eps = cslvdefs.RSLV(1);
            return LevelStep::leave;
        }
        const int found = iterative_options(p);
        // END anywhere ends the sub-menu once the record's options are taken.
        if (flag_option("END")) {
            echo();
            return LevelStep::leave;
        }
        if (found > 0) {
            echo();
            changed = true;
            return LevelStep::next;
        }
        unknown_word(ierr, 0, "** UNKNOWN OPTION **", iterative_list);
        return LevelStep::next;
    });
    if (exit == LevelExit::replay) return;
    if (unchanged_defaults) {
        nothing_changed(" NO NEED TO RECALCULATE SOLUTION.");
        leave_both();
        return;
    }
    if (!changed && cflags.ISOLVD == 1 && cflags.ISOLVR == 3) {
        nothing_changed(" NO NEED TO RECALCULATE SOLUTION. ");
        leave_both();
        return;
    }
    cslvdefs.ISLV(1) = 1;
    cslvdefs.ISLV(2) = p.method;
    cslvdefs.ISLV(3) = p.maxit;
    cslvdefs.ISLV(4) = p.accel;
    cslvdefs.ISLV(5) = p.freq;
    cslvdefs.ISLV(6) = p.print;
    cslvdefs.RSLV(1) = p.eps;
    cflags.ISLVDF = 1;
    leave_both();
    solve_with(3);
}

}  // namespace

//// public levels ////

void standard() {
    enter_level(0);
    const CommandLevel level{.menu = STANDARD_MENU, .help_topic = STANDARD_MENU, .indent = 0};
    level_loop(level, [](int ierr) {
        if (chkfld("ELASTICITY", 1)) {
            choose_standard(2, 4, 1, 1);
            process();
        } else if (chkfld("HEAT", 1)) {
            choose_standard(1, 2, 2, 2);
            process();
        } else {
            unknown_word(ierr, 0, "*** UNKNOWN OPTION ***", standard_list);
        }
        return LevelStep::next;
    });
}

void custom() {
    enter_level(0);
    const CommandLevel level{.menu = CUSTOM_MENU, .help_topic = CUSTOM_MENU, .indent = 0};
    level_loop(level, [](int) {
        if (int i = custom_problem(); i != 0) {
            choose_custom(i);
            process();
        } else {
            // The CUSTOM menu lists its problems in both modes.
            custom_list();
        }
        return LevelStep::next;
    });
}

void process() {
    const bool customised = cmode.ICUSTM == 1;
    // The generator resets its state at the first GEOMETRY of each entry.
    int geometry_first = 0;
    const int menu = customised ? PROCESS_CUSTOM_MENU : PROCESS_MENU;
    enter_level();
    const CommandLevel level{.menu = menu, .help_topic = menu};
    level_loop(level, [&](int ierr) {
        if (chkfld("GEOMETRY", 1)) {
            setgeom(geometry_first);
        } else if (chkfld("PARAMS", 1) && !customised) {
            echo();
            setparam();
        } else if (chkfld("BCONDS", 1)) {
            setbcs();
        } else if (chkfld("SOLVE", 1)) {
            solve();
        } else if (chkfld("STORAGE", 1)) {
            dump();
        } else if (chkfld("EXECUTE", 1)) {
            execute();
        } else if (chkfld("ADAPT", 1)) {
            echo();
            adapt();
        } else if (chkfld("POST", 1)) {
            post(cuold.UOLD.data(), cunew.UNEW.data(), icolu.ICOLU);
        } else if (cmode.IMENU == 0 || !chkfld("DEFAULT", 1)) {
            // Menu mode passes over DEFAULT.
            unknown_word(ierr, 0, "*** UNKNOWN OPTION ***", process_list);
        }
        return LevelStep::next;
    });
}

void setparam() {
    if (cmode.IPROB == 1)
        setparam1();
    else
        setparam2();
}

void setbcs() {
    if (cmode.ICUSTM == 1) {
        setbcs0();
        return;
    }
    echo();
    if (cmode.IPROBG == 1)
        setbcs1();
    else
        setbcs2();
}

void setbcs0() {
    enter_level();
    int lastkind = 0;
    CommandLevel level{.menu = BCONDS_MENU, .help_topic = BCONDS_MENU};
    // END is refused while a boundary line of the mesh has no kind.
    level.at_end = all_kinds_given;
    level_loop(level, [&](int ierr) {
        if (chkfld("KIND", 1)) {
            kind_record(ierr, lastkind);
            // The menu of the last kind given follows the boundary-condition
            // menu; kinds without a menu of their own keep that menu.
            level.menu = lastkind >= 1 && lastkind <= 5 ? BCONDS_MENU + lastkind : BCONDS_MENU;
            level.help_topic = level.menu;
            return LevelStep::next;
        }
        ffldou(0, MSG_ERROR, "UNABLE TO FIND KEYWORD KIND");
        kind_unknown(ierr);
        return LevelStep::next;
    });
}

// The solver menu has no END: every solve, and every solve found unnecessary,
// leaves it.
void solve() {
    enter_level();
    const CommandLevel level{.menu = SOLVE_MENU, .help_topic = SOLVE_MENU, .has_end = false};
    level_loop(level, [](int ierr) {
        if (chkfld("DEFAULT", 1)) {
            if (cflags.ISOLVR == 0) {
                ffldou(0, MSG_ERROR, " *** NO DEFAULT SOLVER CURRENTLY CHOSEN ***");
                ffldou(0, MSG_ERROR, " PLEASE SELECT A SOLVER ");
                return LevelStep::next;
            }
            echo();
            iodati.INDENT -= 3;
            if (cflags.ISOLVD == 1)
                nothing_changed(" NO NEED TO RECALCULATE SOLUTION. ");
            else
                solve_with(cflags.ISOLVR);
            return LevelStep::leave;
        }
        if (chkfld("FRONTAL", 1)) {
            echo();
            iodati.INDENT -= 3;
            if (cflags.ISOLVD == 1 && cflags.ISOLVR == 1) {
                nothing_changed(" NO NEED TO RECALCULATE SOLUTION. ");
            } else {
                cdec.IDEC = 0;
                solve_with(1);
            }
            return LevelStep::leave;
        }
        if (chkfld("ITERATIVE", 1)) {
            iterative();
            return LevelStep::leave;
        }
        unknown_word(ierr, 0, "** UNKNOWN OPTION **", solver_list);
        return LevelStep::next;
    });
}

int getsoln(int isol) {
    if (isol == 1) {
        cdec.IDEC = 0;
        return solve1();
    }
    if (isol == 3) {
        // The parameters stand in cslvdefs; no iterative solver is built in.
        ffldou(0, MSG_ERROR, " ** did not converge **");
        return 1;
    }
    return 1;
}

void side_kinds(int nside, const int* nbound, int* kinds) {
    for (int i = 0; i < nside; ++i) {
        const int b = nbound[i];
        kinds[nside + i] = b;
        int kind = b;
        if (b >= 1 && b <= MAX_BOUNDARY && cbound.IBKIND(b) != 0) kind = cbound.IBKIND(b);
        kinds[i] = b == 0 ? 0 : kind;
    }
}

void decod2(int nel, int nside, int* kinds) {
    assert(nside >= 1 && nside <= 4);
    Arr1<int, 8> neig;
    neigbr(nel, neig);
    int nbound[4] = {0, 0, 0, 0};
    for (int i = 1; i <= nside; ++i)
        if (neig(i) == 0) findty(nel, i, nbound[i - 1]);
    side_kinds(nside, nbound, kinds);
}

}  // namespace kavren
