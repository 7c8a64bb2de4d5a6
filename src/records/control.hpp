// Run state, configuration, project names, state flags and the calculator state.
#pragma once

#include <string>

#include "records/limits.hpp"
#include "support/array.hpp"
#include "support/word.hpp"

namespace kavren {

struct Cmode {
    int IMENU = 0;   // 1 menu (window) mode, 0 command mode
    int ICUSTM = 0;  // 0 standard, 1 customised problem
    int IPROB = 0;   // problem index within its kind
    int IPROBG = 0;  // global problem number
};

struct Machine {
    int ICOLOR = 0;  // 1 colour display, 0 monochrome
};
struct Display {
    int IDISP = 0;     // 1 when a display node was named
    Chars<12> DISPNM;  // node name, lower case, blank padded
};

// Customised problems named in config.sys.
struct Custo {
    int NSTD = 0;                        // standard problems (2)
    int NCUST = 0;                       // customised problems
    Arr1<Word8, MAX_CUSTOM> CUSNAM;      // names: the keywords of the CUSTOM menu
    Arr1<Chars<40>, MAX_CUSTOM> CUSDES;  // descriptions
    Arr1<int, MAX_CUSTOM> CUSNEQ;        // equations of each problem
    Arr3<int, MAX_CUSTOM, MAX_EQNS, MAX_EQNS>
        COUPLE;                    // coupling array (problem, equation, component)
    Arr1<int, MAX_CUSTOM> CUSSYM;  // 1 symmetric, 2 unsymmetric
};

struct Cpname {
    Word8 PRJNAM;  // project name, lower case
};
// File names of any length: a long project name must not run two names into one.
struct Cflnam {
    Arr1<std::string, 5> FLNAM;  // 1 deck, 2 error file, 4 default save file, 5 command log
    int IOPEN = 0;               // 1 once the project's files are open
};

// State flags of the solution and the estimate.
struct Cflags {
    int ISOLVD = 0;  // 1 when a solution exists for the current mesh
    int IESTIM = 0;  // 1 when error estimates exist
    int ISOLVR = 0;  // solver of the last solution: 0 none, 1 frontal, 3 iterative
    int IESTDF = 0;  // 1 when estimator defaults are stored
    int ISLVDF = 0;  // 1 when iterative solver defaults are stored
    int IFLAG6 = 0;  // spare
};
// Outcome of the last solve, apart from the saved flags: 1 when it failed, so
// that nothing measures or adapts the solution held before it as the current
// one; 0 after a solve that succeeded and when a hand-over or a recovery
// replaces the solutions.
struct Csolst {
    int IFAILD = 0;
};
struct Cestdefs {
    Arr1<double, 10> ESTDEF;  // estimator defaults
};

// Calculator state of the reader.
struct Clac1c {
    int NEXPR = 0;  // expression slots used so far (at most MAX_EXPR)
    int ICALC = 0;  // 1 in calculator mode
};
struct Calc1a {
    Arr1<Chars<100>, MAX_EXPR> CALTXT;  // expression texts by slot
};

// The user name of the user stamp, asked for once a run.
struct Cuser {
    int KNOWN = 0;    // 1 once the user name has been asked for
    Chars<16> UNAME;  // the user name, blank when unknown
};

extern Cmode cmode;
extern Machine machine;
extern Display display;
extern Custo custo;
extern Cpname cpname;
extern Cflnam cflnam;
extern Cflags cflags;
extern Csolst csolst;
extern Cestdefs cestdefs;
extern Clac1c clac1c;
extern Calc1a calc1a;
extern Cuser cuser;

}  // namespace kavren
