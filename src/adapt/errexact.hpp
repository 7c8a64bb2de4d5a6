// Exact errors of the newest solution against the exact solution: per element
// and in total, for solution component 1.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

// Per-element error arrays, indexed by element slot.
using SlotErrors = Arr1<double, MAXSLOT>;

// Results of errex besides the errors.
constexpr int ERREX_DONE = 0;
constexpr int ERREX_DETJ = 1;  // DETJ <= 0 at a Gauss point: |DETJ| was taken there

// The L2 error el2, the H1-seminorm error eh1 and the largest absolute error
// emax at the Gauss points of solution component 1 on active element nel;
// ndof1 := max(1, interior order), the element's share of the dof count of a
// one-dimensional problem. Fills cpreso with the element's values of UNEW and
// cmelem, celsize1 and celsize2 with its last Gauss point.
int errex(int nel, int& ndof1, double& el2, double& eh1, double& emax);

// errex for every active element, each result stored at the element's slot
// (other slots keep what they hold); writes the dof count and the total
// errors with their logarithms on the terminal. An element whose Jacobian is
// not positive at a Gauss point, or whose error is not a number, is named in
// an error message.
void errexact(SlotErrors& errl2, SlotErrors& errh1, SlotErrors& errmax);

}  // namespace kavren
