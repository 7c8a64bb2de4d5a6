// The records of POST and of the profile plot: what they keep from one call
// to the next for the whole run.
#pragma once

#include "support/word.hpp"

namespace kavren {

// The component code of POST SOLUTION.
struct Cpost {
    int ICOMP = -1;  // component code of the next plot
    Word8 VNAME;     // name of the evaluator variable ICOMP names, blank for a component
};

// What the profile plot keeps.
struct Cdrprof {
    int IROUT = 0;                           // 100 once the plot has run
    int NLEVELX = 13, NLEVELY = 13;          // divisions of the arc-length and value axes
    int NUMPNT = 17;                         // points on a whole side of an initial element
    double YMINL[2] = {1e10, 1e10};          // smallest value found: normal, flipped axes
    double YMAXL[2] = {-1e10, -1e10};        // largest value found
};

extern Cpost cpost;
extern Cdrprof cdrprof;

}  // namespace kavren
