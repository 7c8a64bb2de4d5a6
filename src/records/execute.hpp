// The problem dimension of the EXECUTE driver and the driver's state: its
// current action, the error kind of DISERR, and the per-element errors of the
// last ERREST.
#pragma once

#include "records/dimen.hpp"  // cndimen
#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

// Actions of the EXECUTE driver.
constexpr int ACT_MESH = 1;
constexpr int ACT_TWODIM = 2;
constexpr int ACT_TRIDIM = 3;
constexpr int ACT_PROFILE = 4;
constexpr int ACT_SOLVE = 5;
constexpr int ACT_ERREST = 6;
constexpr int ACT_DISERR = 7;
constexpr int ACT_ADAPTH = 8;
constexpr int ACT_ADAPTP = 9;

// The driver's state, kept for the whole run.
struct Cexecute {
    int IACTION = ACT_MESH;  // current action; a record without an action word repeats it
    int IERKIND = 1;         // error kind of DISERR: 1 L2, 2 H1, 3 maximum
    // Per-element errors of the last ERREST by element slot; zero until the
    // first ERREST. Slots of elements made since keep what they held.
    Arr1<double, MAXSLOT> errors_l2;
    Arr1<double, MAXSLOT> errors_h1;
    Arr1<double, MAXSLOT> errors_ma;
    // The mesh the last ERREST measured: 1 once an ERREST has run, and the
    // fingerprint of its active elements and their nicknames.
    int IERRMSH = 0;
    unsigned long long ERRMESH = 0;
};

extern Cexecute cexecute;

}  // namespace kavren
