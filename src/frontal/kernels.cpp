#include "frontal/kernels.hpp"

namespace kavren::frontal {

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KAVREN_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KAVREN_CLONES
#endif

KAVREN_CLONES
void axpy_down(double* __restrict c, const double* __restrict u, double y, int n) {
    for (int a = 1; a <= n; ++a) c[a] -= u[a] * y;
}

KAVREN_CLONES
void axpy_down_at(double* __restrict c, const double* __restrict u, double y, const int* idx,
                  int n) {
    for (int t = 0; t < n; ++t) c[idx[t]] -= u[idx[t]] * y;
}

}  // namespace kavren::frontal
