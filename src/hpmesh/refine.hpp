// h-refinement into four sons: refine keeps the mesh 1-irregular by splitting
// every larger neighbour that the split would otherwise break first; each
// split (the system's `break`) makes three families, the sons' nodes and
// nicknames, and carries both solutions over exactly.
//
// Every routine returns a result code of journal.hpp. A refused refinement
// leaves the mesh, both solution arrays and KIND as they were; the flags of
// cflags are the callers' to clear.
#pragma once

#include "support/array.hpp"

namespace kavren {

// Splits active element nel into four sons, splitting larger neighbours
// first (last found first). A refusal writes its message.
int refine(int nel, double* uold, double* unew, int icolu);
// One split of active element nel, none of whose neighbours is larger.
int break_element(int nel, double* uold, double* unew, int icolu);
// From the father's node numbers and orders: the centre vertex (nodof), the
// inner half-edges nf(1..4) (between sons 1-2, 2-3, 3-4, 4-1) and the son
// interiors nf(5..8), 0 where no node is made. No values are written.
int split2(const Arr1<int, 9>& lnodes, const Arr1<int, 9>& lorder, Arr1<int, 8>& nf, int& nodof,
           double* uold, double* unew, int icolu);

}  // namespace kavren
