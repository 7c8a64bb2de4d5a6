// p-enrichment: raising or lowering the orders of an active element's edges
// and interior in place. An edge shared with neighbours takes the largest of
// the order asked for it and the interior orders of the elements that touch
// it, so the approximation stays continuous. Nodes change only through the
// primitives, which carry UOLD (and UNEW when IDEC is 1) over.
//
// Every routine returns a result code of journal.hpp; a refused change leaves
// the mesh, both solution arrays and KIND as they were. The flags of cflags
// are the callers' to clear.
#pragma once

#include "support/array.hpp"

namespace kavren {

// A valid order code: a uniform order 2..MAXP (order 1 is reached through
// unrich), or five digits 1..MAXP, the orders of edges 1..4 and the interior.
bool valid_order_code(int nordsc);
// Raises active element nel to order code nordsc. An invalid code or a
// capacity refusal writes its message.
int enrich(int nel, int nordsc, double* uold, double* unew, int icolu);
// Uniform enrichment of nel to order n (2..MAXP): edges below n rise to n,
// the interior becomes exactly n.
int enrichol(int nel, int n, double* uold, double* unew, int icolu);
// Lowers nel to uniform order n, which must be below its interior order (the
// run ends otherwise). Edges keep the interior orders of the elements that
// touch them. A capacity refusal writes its message.
int unrich(int nel, int n, double* uold, double* unew, int icolu);
// For four elements (slots) lying two by two along the sides of a common
// outline with neighbours neig and their facing sides iside: raises the
// edges along each side that faces two neighbours to the larger of the two
// interior orders across it. Nothing calls it.
int check(const Arr1<int, 4>& slots, const Arr1<int, 8>& neig, const Arr1<int, 4>& iside,
          double* uold, double* unew, int icolu);

}  // namespace kavren
