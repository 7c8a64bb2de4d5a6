// The records of the band maps of element errors: what the error map of
// exact errors keeps from one call to the next, and the display controls and
// the convergence history of the map of element estimates.
#pragma once

#include "support/array.hpp"

namespace kavren {

// What the error map keeps between calls.
struct Cdiserr {
    int IFIRST = 0;        // 100 once the map has taken its first-call values
    int IFCOL = 0;         // 1: the scale bar in band colours, 0 in one colour
    int NSUBEL = 1;        // division level (kept, no effect on the picture)
    int NLEVEL = 13;       // number of bands, at most 16
    double FMINL = 1e10;   // lower end of the scale
    double FMAXL = -1e10;  // upper end of the scale
    int IRANGE = 0;        // 1 once a map has set both ends of the scale
    int IMESH = 1;         // MESH ON/OFF (kept, no effect on the picture)
    int MULT = 0;          // 1: the linear stretch is on
    double FACT = 1.0;     // its factor
    double TG = 0.0;       // slope of the stretch frame
    double YMULT1 = 0.0;   // logarithmic stretch: e
    double YMULT2 = 1.0;   // and 2**-e
    int IART = 0;          // 1: the picture by refinement level
    int IRESET = 1;        // 1: the scale from the current errors
};

// Display controls of the map of element estimates: ESTDSP(1..30), all 0 at
// start (word 1: 100 after the first call; 2: colour flag; 3: number of
// bands; 6: refinement indicators; 7: new scale ends on this call; 8: element
// numbers; 9, 10: the lower, upper end follows the values; 11..30: one flag
// per element set).
struct Cestdisp {
    Arr1<int, 30> ESTDSP;
};
// The ends of its scale, kept between calls.
struct Cestdisr {
    double ESTMIN = 0.0;
    double ESTMAX = 0.0;
};
// The error history (not read) and the convergence rate shown in the legend
// when it is at least 0.
struct Cerrhist {
    Arr1<double, 5001> ERRHST;
    double CRATE = 0.0;
};

extern Cdiserr cdiserr;
extern Cestdisp cestdisp;
extern Cestdisr cestdisr;
extern Cerrhist cerrhist;

}  // namespace kavren
