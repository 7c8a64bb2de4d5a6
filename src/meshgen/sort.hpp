// The column sort of the node merge and of the 3-D pictures.
#pragma once

#include "records/meshgen.hpp"

namespace kavren {

// Sorts the n columns of a(m, n) (stored by columns) into ascending order of
// row k, moving whole columns. Singleton's quicksort: equal keys end in no
// particular order, but always in the same one.
void gnsort(double* a, int m, int k, int n);
// The same sort, the column count taken from the first word of nrec (NNODG).
void sort(double* a, int m, int k, const Ccon& nrec);

}  // namespace kavren
