// The adaptive h and p steps: rank the active elements by their errors, select
// the fewest largest whose squared errors pass a share of the total, and split
// or enrich them.
#pragma once

#include "adapt/errexact.hpp"

namespace kavren {

// Share of the squared total that the selection must pass: the single
// precision values of 0.99 for a one-dimensional problem, 0.9 otherwise.
constexpr double FRAC_1D = 0.9900000095367432;
constexpr double FRAC_2D = 0.8999999761581421;

// Results of adapthp besides 0 (done, or nothing selected) and the refusal
// codes of the refinement and enrichment, which it hands on.
constexpr int ADAPT_NOT_A_NUMBER = -100;  // an element's error is not a finite number

// One adaptive step on the errors err (by slot): mode 0 splits the selected
// elements (in direction 2 when NDIMEN is 1, into four otherwise), any other
// mode raises their interior order by one. Lists the selection on the
// terminal. A refused split or enrichment ends the step with its code, the
// changes already made kept. Clears ISOLVD and IESTIM when the mesh changed.
int adapthp(const SlotErrors& err, int mode);

// The selection of adapthp: ranks the NRELEM active elements by their errors,
// ascending, and returns the first sorted position whose partial sum of
// squares from the top passes frac of the total; 0 when none does.
// adapt_ranked(k) is the element at sorted position k (1..NRELEM) until the
// next call.
int adapt_selection(const SlotErrors& err, double frac);
int adapt_ranked(int k);

// Index heap sort: indx[0..n-1] := a permutation of 1..n with
// arr[indx[0]-1] <= arr[indx[1]-1] <= ...; arr is not changed. n = 1 gives
// the identity, n = 0 nothing.
void sortm(int n, int* indx, const double* arr);

}  // namespace kavren
