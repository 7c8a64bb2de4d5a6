// The column sort of the node merge.
#pragma once

#include "records/meshgen.hpp"
#include "support/colsort.hpp"

namespace kavren {

// The column sort gnsort, the column count taken from the first word of nrec (NNODG).
void sort(double* a, int m, int k, const Ccon& nrec);

}  // namespace kavren
