// Directional h-refinement into two sons: refinexy keeps the mesh 1-irregular
// by first cutting every larger neighbour the element meets along half of
// one of its sides; each cut (breakxy) makes one family, the sons' nodes and
// nicknames, and carries both solutions over exactly.
//
// Direction 1 halves sides 2 and 4 (son 1 the lower half), direction 2 halves
// sides 1 and 3 (son 1 the left half). Every routine returns a result code of
// journal.hpp; a refused refinement leaves the mesh, both solution arrays and
// KIND as they were. The flags of cflags are the callers' to clear.
#pragma once

#include "support/array.hpp"

namespace kavren {

// Cuts active element nel in direction ixy (1 or 2), cutting larger
// neighbours first (last found first). A refusal writes its message.
int refinexy(int nel, int ixy, double* uold, double* unew, int icolu);
// One cut of the active element |nels|, in direction 1 for nels > 0 and 2
// for nels < 0; no neighbour of it is larger.
int breakxy(int nels, double* uold, double* unew, int icolu);
// The inner-edge node (nf1) and the two son interior nodes (nf2, nf3) of a
// cut father, 0 for a node not made (order below 2). No values are written.
int split2xy(const Arr1<int, 9>& lnodes, const Arr1<int, 9>& lorder, int ixy, int& nf1, int& nf2,
             int& nf3);

}  // namespace kavren
