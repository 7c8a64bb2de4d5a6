#include "meshgen/sort.hpp"

namespace kavren {

void sort(double* a, int m, int k, const Ccon& nrec) {
    gnsort(a, m, k, nrec.NNODG);
}

}  // namespace kavren
