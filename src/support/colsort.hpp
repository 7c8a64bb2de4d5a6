// The column sort of the generator's node merge and of the surface pictures.
#pragma once

namespace kavren {

// Sorts the n columns of a(m, n) (stored by columns) into ascending order of
// row k, moving whole columns. Singleton's quicksort: equal keys end in no
// particular order, but always in the same one.
void gnsort(double* a, int m, int k, int n);

}  // namespace kavren
