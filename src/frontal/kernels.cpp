#include "frontal/kernels.hpp"

namespace kavren::frontal {

namespace {

// Four doubles, loaded and stored at any alignment; each lane computes as a
// plain double would.
typedef double V4 __attribute__((vector_size(32)));

inline void load4(V4& v, const double* p) {
    __builtin_memcpy(&v, p, sizeof v);
}
inline void store4(double* p, const V4& v) {
    __builtin_memcpy(p, &v, sizeof v);
}

}  // namespace

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
void axpy_down(double* __restrict c, const double* __restrict u, double y, int n) {
    for (int a = 1; a <= n; ++a) c[a] -= u[a] * y;
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
void rankk_column(double* __restrict c, int n, const int* idx, int nz,
                  const double* const* __restrict u, const double* y, int nt) {
    if (idx != nullptr) {
        for (int k = 0; k < nz; ++k) {
            const int a = idx[k];
            double v = c[a];
            for (int t = 0; t < nt; ++t) v -= u[t][a] * y[t];
            c[a] = v;
        }
        return;
    }
    // Eight rows at a time stay in registers while the pivots pass over them.
    int a = 1;
    for (; a + 7 <= n; a += 8) {
        V4 c0, c1, u0, u1;
        load4(c0, c + a);
        load4(c1, c + a + 4);
        for (int t = 0; t < nt; ++t) {
            const double* ut = u[t] + a;
            const V4 yt = {y[t], y[t], y[t], y[t]};
            load4(u0, ut);
            load4(u1, ut + 4);
            c0 -= u0 * yt;
            c1 -= u1 * yt;
        }
        store4(c + a, c0);
        store4(c + a + 4, c1);
    }
    for (; a <= n; ++a) {
        double v = c[a];
        for (int t = 0; t < nt; ++t) v -= u[t][a] * y[t];
        c[a] = v;
    }
}

KAVREN_CLONES
void divide(double* v, double d, int n) {
    for (int a = 0; a < n; ++a) v[a] /= d;
}

}  // namespace kavren::frontal
