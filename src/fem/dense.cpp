#include "fem/dense.hpp"

#include <cmath>
#include <cstddef>

#include "control/messages.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

// Storage offset of element k (1..n) of the strided vector (x, inc).
inline std::ptrdiff_t at(int k, int n, int inc) {
    return inc >= 0 ? static_cast<std::ptrdiff_t>(k - 1) * inc
                    : static_cast<std::ptrdiff_t>(n - k) * (-inc);
}

// Pivots of at most this magnitude are reported (1e-10 in single precision).
constexpr double SMALL_PIVOT = 1.000000013351432e-10;

}  // namespace

//// update kernels ////

}  // namespace kavren

namespace {

// The portable build: one value a lane, a product and a subtraction a term.
struct V {
    using type = double;
    static constexpr int W = 1;
    static constexpr int MV = 4;
    static constexpr int NC = 4;
    static type load(const double* p) { return *p; }
    static void store(double* p, type v) { *p = v; }
    static type loadn(const double* p, int n) { return n > 0 ? *p : 0.0; }
    static void storen(double* p, type v, int n) {
        if (n > 0) *p = v;
    }
    static type bcast(double x) { return x; }
    static type msub(type c, type a, type b) { return c - a * b; }
};

}  // namespace

#include "fem/dense_kernels.hpp"

namespace kavren {

const DenseKernels* dense_kernels_avx2();
const DenseKernels* dense_kernels_avx512();

const DenseKernels* dense_kernels_for(KernelIsa isa) {
    static const DenseKernels generic{KernelIsa::generic, "generic",     false,  update,
                                      V::MV * V::W,       update_packed, update_packed_top, divide, column};
    switch (isa) {
        case KernelIsa::generic:
            return &generic;
#if defined(__x86_64__) && defined(__GNUC__)
        case KernelIsa::avx2:
            __builtin_cpu_init();
            if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) return nullptr;
            return dense_kernels_avx2();
        case KernelIsa::avx512:
            __builtin_cpu_init();
            if (!__builtin_cpu_supports("avx512f")) return nullptr;
            return dense_kernels_avx512();
#endif
        default:
            return nullptr;
    }
}

void dense_pack(double* dst, const double* src, long lds, int kb, int m, int block) {
    for (int r0 = 0; r0 < m; r0 += block) {
        const int n = m - r0 < block ? m - r0 : block;
        for (int t = 0; t < kb; ++t, dst += block) {
            const double* s = src + t * lds + r0;
            for (int r = 0; r < n; ++r) dst[r] = s[r];
            for (int r = n; r < block; ++r) dst[r] = 0.0;
        }
    }
}

const DenseKernels& dense_kernels() {
    static const DenseKernels* chosen = [] {
        for (KernelIsa isa : {KernelIsa::avx512, KernelIsa::avx2})
            if (const DenseKernels* k = dense_kernels_for(isa)) return k;
        return dense_kernels_for(KernelIsa::generic);
    }();
    return *chosen;
}

//// vector kernels ////

int isamax(int n, const double* x, int incx) {
    if (n <= 0 || incx <= 0) return 0;
    int best = 1;
    double big = std::fabs(x[0]);
    for (int k = 2; k <= n; ++k) {
        double v = std::fabs(x[at(k, n, incx)]);
        if (v > big) {
            big = v;
            best = k;
        }
    }
    return best;
}

void sscal(int n, double alpha, double* x, int incx) {
    if (n <= 0 || incx <= 0 || alpha == 1.0) return;
    for (int k = 1; k <= n; ++k) {
        double& v = x[at(k, n, incx)];
        if (alpha == 0.0)
            v = 0.0;
        else if (alpha == -1.0)
            v = -v;
        else
            v *= alpha;
    }
}

void saxpy(int n, double alpha, const double* x, int incx, double* y, int incy) {
    if (n <= 0 || alpha == 0.0) return;
    if (incx == 1 && incy == 1) {
        for (int k = 0; k < n; ++k) y[k] += alpha * x[k];
        return;
    }
    for (int k = 1; k <= n; ++k) y[at(k, n, incy)] += alpha * x[at(k, n, incx)];
}

void scopy(int n, const double* x, int incx, double* y, int incy) {
    for (int k = 1; k <= n; ++k) y[at(k, n, incy)] = x[at(k, n, incx)];
}

void sswap(int n, double* x, int incx, double* y, int incy) {
    for (int k = 1; k <= n; ++k) {
        double& a = x[at(k, n, incx)];
        double& b = y[at(k, n, incy)];
        double t = a;
        a = b;
        b = t;
    }
}

double sdot(int n, const double* x, int incx, const double* y, int incy) {
    if (n < 1) return 0.0;
    double s = 0.0;
    for (int k = 1; k <= n; ++k) s += x[at(k, n, incx)] * y[at(k, n, incy)];
    return s;
}

double sdot1(int n, const double* x, int incx, const double* y, int incy) {
    double s = 0.0;
    for (int k = 1; k <= n; ++k) s += x[at(k, n, incx)] * y[at(k, n, incy)];
    return s;
}

double snrm2(int n, const double* x, int incx) {
    if (n < 1 || incx < 1) return 0.0;
    return snrm21(n, x, incx);
}

double snrm21(int n, const double* x, int incx) {
    double s = 0.0;
    for (int k = 1; k <= n; ++k) {
        double v = x[at(k, n, incx)];
        s += v * v;
    }
    return std::sqrt(s);
}

//// LU factorisation ////

void decomp(int n, int lda, double* a, int* ipvt, int& info) {
    auto A = [&](int i, int j) -> double& {
        return a[static_cast<std::ptrdiff_t>(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * lda];
    };
    info = 0;
    for (int i = 1; i <= n; ++i) {
        int l = i + isamax(n - i + 1, &A(i, i), 1) - 1;
        ipvt[i - 1] = l;
        double piv = A(l, i);
        bool not_number = std::isnan(piv);
        if (not_number || std::fabs(piv) <= SMALL_PIVOT) {
            write_terminal(fmt::list({"PIVOT=", std::fabs(piv)}));
            runtime_pause();
        }
        // A pivot that is not a number is as useless as a zero one.
        if (piv == 0.0 || not_number) {
            info = 1;
            return;
        }
        A(l, i) = A(i, i);
        A(i, i) = piv;
        if (i < n) sscal(n - i, 1.0 / piv, &A(i + 1, i), 1);
        for (int j = i + 1; j <= n; ++j) {
            double t = A(l, j);
            A(l, j) = A(i, j);
            A(i, j) = t;
            saxpy(n - i, -t, &A(i + 1, i), 1, &A(i + 1, j), 1);
        }
    }
}

void gauss2(int n, int lda, const double* a, const int* ipvt, double* b, double* x) {
    auto A = [&](int i, int j) -> const double& {
        return a[static_cast<std::ptrdiff_t>(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * lda];
    };
    for (int i = 1; i <= n - 1; ++i) {
        int l = ipvt[i - 1];
        double t = b[l - 1];
        b[l - 1] = b[i - 1];
        b[i - 1] = t;
        saxpy(n - i, -b[i - 1], &A(i + 1, i), 1, &b[i], 1);
    }
    for (int c = n; c >= 1; --c) {
        x[c - 1] = b[c - 1] / A(c, c);
        saxpy(c - 1, -x[c - 1], &A(1, c), 1, b, 1);
    }
}

void matinv(int n, int lda, double* a, const int* ipvt, double* work) {
    auto A = [&](int i, int j) -> double& {
        return a[static_cast<std::ptrdiff_t>(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * lda];
    };
    if (n < 1) return;
    // Inverse of U, columns from the right, so that the U columns to the left
    // of column k are still untouched when column k is finished.
    for (int k = n; k >= 2; --k) {
        A(k, k) = 1.0 / A(k, k);
        sscal(k - 1, -A(k, k), &A(1, k), 1);
        A(k - 1, k) = A(k - 1, k) / A(k - 1, k - 1);
        for (int e = k - 1; e >= 2; --e) {
            saxpy(e - 1, -A(e, k), &A(1, e), 1, &A(1, k), 1);
            A(e - 1, k) = A(e - 1, k) / A(e - 1, e - 1);
        }
    }
    A(1, 1) = 1.0 / A(1, 1);
    // Times the inverse of L, with the row exchanges undone as column exchanges.
    for (int k = n - 1; k >= 1; --k) {
        for (int r = 1; r <= k; ++r) work[r - 1] = A(r, k);
        for (int r = k + 1; r <= n; ++r) work[r - 1] = 0.0;
        for (int i = k + 1; i <= n; ++i) saxpy(n, -A(i, k), &A(1, i), 1, work, 1);
        for (int r = 1; r <= n; ++r) A(r, k) = work[r - 1];
        sswap(n, &A(1, k), 1, &A(1, ipvt[k - 1]), 1);
    }
}

}  // namespace kavren
