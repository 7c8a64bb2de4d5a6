// A short post-processing loop that offers the plots of a solution by
// keyword. No command calls it: a user who wants it wires it in.
#pragma once

namespace kavren {

// Reads records (menu 0) until END, each naming a plot kind that is kept for
// the records after it: TRIDIM, TWODIM, PROFILE, MESH, VECTOR, DUMPPROF,
// DRPLOT, PROFILE2; COMP n chooses the component. "@" switches between the
// keyboard and the deck, SWITCH exchanges UNEW and UOLD, "?" and H as at
// every level.
void postldem(double* uold, double* unew, int icolu);

}  // namespace kavren
