#include "control/menu.hpp"

#include <string>
#include <vector>

#include "control/command_area.hpp"
#include "control/messages.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/window.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

// The pre-defined menus in the order of their numbers: title first, then the
// buttons. Menu 20 (CUSTOM) takes the customised problem names at start-up.
const std::vector<std::vector<const char*>>& predefined_menus() {
    static const std::vector<std::vector<const char*>> menus = {
        {"GEOMETRY", "NODES", "ELEMENT", "PLOT", "BOUNDARY", "SETS", "MESH"},
        {"NODES", "POINT", "ARC", "ELLIPSE", "GRID", "CONNECT", "REFLECT", "TIE", "PLOT", " ZOOM",
         " IJ", " REGION", " RESET"},
        {"GRID", "POINT", "IJ", "REGION"},
        {"COORDS", "XY", "RT"},
        {"ELEMENT", "ILOOP", "IENDLOOP", "JLOOP", "JENDLOOP", "ENDLOOPS", "LINEAR", "QUADR", "STEP",
         "ELSET"},
        {"PLOT", "ZOOM", "NODE", "ELEMENT", "NO-LABEL", "ELSET", "LASER", "RESET"},
        {"BOUNDARY", "BOUNDARY", "IJ", "REGION", "PLOT"},
        {"BCONS", "NO-PENETR", "STATIC", "ELASTIC", "KINEMATIC", "FREE"},
        {"NO-PENETR", "BOUNDARY", "U-N", "SIGMA-T"},
        {"STATIC", "BOUNDARY", "SIGMA-N", "SIGMA-T"},
        {"ELASTIC", "BOUNDARY", "U0-N", "U0-T", "RL"},
        {"KINEMATIC", "BOUNDARY", "U-N", "U-T"},
        {"FREE", "BOUNDARY"},
        {"LOADS", "ELSET", "FX", "FY"},
        {"NODES", "FACE", "MULTIPLE", "SCALE", "MESH"},
        {"MESH", "REFINE", "UNREFINE", "ENRICH", " GLOBAL", " ORDER", " INCREMENT", " BOUNDARY",
         " ELSET", "PLOT", " COMPONENT"},
        {"YES", "NO"},
        {"MAIN", "STANDARD", "CUSTOM", "DATABASE"},
        {"STANDARD", "ELASTICITY", "HEAT"},
        {"CUSTOM"},
        {"ANALYSIS", "GEOMETRY", "PARAMS", "BCONDS", "SOLVE", "ADAPT", "POST", "STORAGE"},
        {"PARAMS", "MATPROP", "LOADS"},
        {"MATPROP", "ELSET", "LAMBDA", "G"},
        {"PARAMS", "COEFFS"},
        {"POST", "SOLUTION", "MESH", "ERROR"},
        {"CONNECT", "IJ", " NLINE", " GEOPROG", " REGION", " INC"},
        {"REFLECT", "IJ", "SIDE", " REGION", " LINE", "FROM"},
        {"ARC", "POINT", "IJ", " REGION", " GEOPROG"},
        {"SOLVE", "DEFAULT", "FRONTAL", "ITERATIVE"},
        {"ANALYSIS", "GEOMETRY", "BCONDS", "SOLVE", "EXECUTE", "ADAPT", "POST", "STORAGE"},
        {"POINT", "IJ", " REGION", " INQUIRE"},
        {"TIE", " REGION", "IJ", "FROM", "TO"},
        {"ELLIPSE", " REGION", "IJ", "RADII", "ANGLE"},
        {"SETS", "ELSET", "PROFILE", "ADD", "SIDE", "LOOP", "STEP"},
        {"DUMP", "SAVE", "RECOVER", "FILE"},
        {"BCONS", "KINEMATIC", "STATIC", "ELASTIC", "FREE"},
        {"KINEMATIC", "BOUNDARY", "U"},
        {"STATIC", "BOUNDARY", "SIGMA"},
        {"ELASTIC", "BOUNDARY", "U0", "RK"},
        {"FREE", "BOUNDARY"},
        {"COEFFS", "A11", "A12", "A21", "A22", "B1", "B2", "C", "D1", "D2", "F", "FX", "FY"},
        {"ADAPT", "H-ADAPT", "P-ADAPT", "HP-ADAPT", " ELSET", "DOF-INT", "HP-INT1", "INTERP",
         "LIMIT", "MAX-REF", "FRACTION", "MAX-P-INCR", "MESH"},
        {"POST", "SOLUTION", "MESH", "ERROR", "STRESSES", "DISPLAC"},
        {"SOLUTION", "TWODIM", "TRIDIM", "PROFILE", "VECTOR", " COMPONENT", " TITLE", " NEWSOL",
         " OLDSOL"},
        {"TWODIM", " DEFAULT", " DIVISION", " LEVEL", " MESH", " ELSET", " MIN", " MAX", " RESET",
         " ZOOM", " LASER"},
        {"TRIDIM", " DEFAULT", " DIVISION", " FILL", " EYE", " ELSET", " MIN", " MAX", " RESET",
         " LASER"},
        {"PROFILE", " DEFAULT", " PROFILE", " MIN", " MAX", " LEVELX", " LEVELY", " POINT",
         " FLIP-XY", " LASER"},
        {"STRESSES", "TWODIM", "TRIDIM", "PROFILE", " MEAN", " SIGMA-X", " SIGMA-Y", " SIGMA-XY",
         " TITLE", " L2", " DISPLAC"},
        {"STRESS+DIS", " DEFAULT", " SCALE", " DIVISION", " LEVEL", " MESH", " ELSET", " MIN",
         " MAX", " RESET"},
        {"ITERATIVE", " DEFAULTS", " GAUSS", " BLOCK-JAC", " EPS", " MAXIT", " ACCEL", " FREQ",
         " PRINT", " NO-PRINT"},
        {"CALCULATE", "RESIDUAL", " DEFAULT", " OPTIONS", "INTERPOL"},
        {"RESIDUAL", " DOF-INT", " HP-INT1", " HP-INT2", " H1-PROJ"},
        {"ERROR", "CALCULATE", "DISPLAY", "ERR-HIST"},
        {"DISPLAY", "ELEMENT", "LEVEL", "MIN", "MAX", "ELSET", "RESET", "NO-RESET", "INDICATOR"},
        {"ERR-HIST", "DEFAULTS", "ELSET", "CURVES", "X-MIN", "X-MAX", "Y-MIN", "Y-MAX", "X-LEVELS",
         "Y-LEVELS", "B-SPLINE", "FACTOR"},
        {"SOLVER", "DEFAULT", "FRONTAL", "ITERATIVE"},
        {"TYPE", "H-ADAPT", "P-ADAPT", "HP-ADAPT", " ELSET", " P-INCR"},
        {"HP-ADAPT", "DEFAULTS", "SMOOTH", "SIZE", "COMPLEX"},
        {"STOPPING", "MAX-CPU", "MAX-ERROR", "MAX-DOF", "MAX-CYCLE"},
        {"ERROR", "RESIDUAL", " DEFAULT", " OPTIONS", "INTERPOL"},
        {"PLOT", "ZOOM", "IJ", "REGION", "NODE", "ELEMENT", "ELSET", "LASER", "RESET"},
        {"DISPLAC", "DEFAULT", "SCALE", "ELSET", "MESH"},
        {"VECTOR", " ARROW", " DIVISION", " ELSET", " MESH", " SCALE", " ZOOM", " RESET"},
        {"COORDS", "XY", "RT"},
    };
    return menus;
}

constexpr int CUSTOM_MENU = 20;

}  // namespace

void decrip(int n) {
    Cmenu& m = cmenu;
    m.NMENU += 1;
    m.MDESC(1, m.NMENU) = n;
    m.MDESC(2, m.NMENU) = 2;
    m.MFIRST(m.NMENU) = m.NENTR + 1;
    m.MFIRST(m.NMENU + 1) = 0;
    for (int i = 1; i <= n; ++i) {
        m.MENTRY(m.NENTR + i) = m.MLIST(i);
        int len = 10;
        while (len > 1 && m.MLIST(i).col(len) == ' ') --len;
        m.MLEN(m.NENTR + i) = len;
    }
    m.NENTR += n;
}

void check_menu_limits() {
    if (cmenu.NMENU > 99 || cmenu.NENTR > 500) {
        ffldou(166, MSG_ERROR, " TOO MANY PRE-DEFINED MENUS OR MENU ITEMS!");
        ffldou(0, MSG_LIST,
               fmt::line("(A19,I4,A22,I4)", {" NUMBER OF MENUS = ", cmenu.NMENU,
                                             ", NUMBER OF ENTRIES = ", cmenu.NENTR}));
        ffldou(0, MSG_LIST, " MAX PRE-DEFINED MENUS = 100, MAX ENTRIES = 500");
    }
}

void blkmen() {
    const auto& menus = predefined_menus();
    for (std::size_t k = 0; k < menus.size(); ++k) {
        int n = 0;
        for (const char* e : menus[k]) cmenu.MLIST(++n) = Chars<10>(e);
        if (static_cast<int>(k) + 1 == CUSTOM_MENU) {
            for (int i = 1; i <= custo.NCUST && n < MENU_LIST; ++i)
                cmenu.MLIST(++n) = Chars<10>(custo.CUSNAM(i).str() + "  ");
        }
        decrip(n);
    }
    check_menu_limits();
}

int menu_entries(int menu) {
    if (menu < 1 || menu > cmenu.NMENU) return 0;
    return cmenu.MDESC(1, menu);
}

void drmenu(int menu) {
    if (menu == 0 || menu > cmenu.NMENU) return;
    int depth = (iodati.INDENT - 1) / 3 + 1;
    if (depth >= 1 && depth <= MENU_DEPTH) {
        mstack.MTITLE(depth) = cmenu.MENTRY(cmenu.MFIRST(menu));
        mstack.MTLEN(depth) = cmenu.MLEN(cmenu.MFIRST(menu));
    }
    if (cinout.LUIN != cinout.LUKBD) return;
    iwindo.IPICK = 0;
    iwindo.MENUNO = menu;
    if (window_drawing()) command_window.column(menu);
}

}  // namespace kavren
