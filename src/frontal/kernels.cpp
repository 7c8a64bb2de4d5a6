#include "frontal/kernels.hpp"

namespace kavren::frontal {

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KAVREN_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KAVREN_CLONES
#endif

KAVREN_CLONES
double sym_rank1(double* __restrict f, const int* z, int nz, const double* __restrict u,
                 const double* y, int ratio) {
    double madds = 0;
    for (int j = 0; j < nz; ++j) {
        const int b = z[j];
        const double yb = y[b];
        double* __restrict c = f + static_cast<long>(b) * (b - 1) / 2 - 1;
        if (ratio * (j + 1) < b) {
            for (int t = 0; t <= j; ++t) c[z[t]] -= u[z[t]] * yb;
            madds += j + 1;
        } else {
            for (int a = 1; a <= b; ++a) c[a] -= u[a] * yb;
            madds += b;
        }
    }
    return madds;
}

KAVREN_CLONES
double uns_rank1(double* __restrict f, long ld, const int* cols, const double* x, int ncols,
                 const int* z, int nz, const double* __restrict u, int smax, bool sparse) {
    for (int k = 0; k < ncols; ++k) {
        double* __restrict c = f + (cols[k] - 1) * ld - 1;
        const double xk = x[k];
        if (sparse) {
            for (int t = 0; t < nz; ++t) c[z[t]] -= u[z[t]] * xk;
        } else {
            for (int a = 1; a <= smax; ++a) c[a] -= u[a] * xk;
        }
    }
    return static_cast<double>(ncols) * (sparse ? nz : smax);
}

KAVREN_CLONES
void divide(double* v, double d, int n) {
    for (int a = 0; a < n; ++a) v[a] /= d;
}

}  // namespace kavren::frontal
