// The dense update kernels for AVX2 with fused multiply-adds: tiles of 4
// columns by 12 rows (12 of the 16 vector registers).
#include <immintrin.h>

#include "fem/dense.hpp"

#if defined(__x86_64__) && defined(__GNUC__)

// The kernels are built for the instruction set whatever the flags of the
// build; they run only where the machine has it.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif

namespace {

struct V {
    using type = __m256d;
    static constexpr int W = 4;
    static constexpr int MV = 3;
    static constexpr int NC = 4;
    static type load(const double* p) { return _mm256_loadu_pd(p); }
    static void store(double* p, type v) { _mm256_storeu_pd(p, v); }
    static __m256i mask(int n) {
        return _mm256_cmpgt_epi64(_mm256_set1_epi64x(n), _mm256_setr_epi64x(0, 1, 2, 3));
    }
    static type loadn(const double* p, int n) { return _mm256_maskload_pd(p, mask(n)); }
    static void storen(double* p, type v, int n) { _mm256_maskstore_pd(p, mask(n), v); }
    static type bcast(double x) { return _mm256_set1_pd(x); }
    static type msub(type c, type a, type b) { return _mm256_fnmadd_pd(a, b, c); }
};

}  // namespace

#include "fem/dense_kernels.hpp"

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace kavren {

const DenseKernels* dense_kernels_avx2() {
    static const DenseKernels k{KernelIsa::avx2, "avx2",        true,   update,
                                V::MV * V::W,    update_packed, update_packed_top, divide, column};
    return &k;
}

}  // namespace kavren

#else

namespace kavren {

const DenseKernels* dense_kernels_avx2() {
    return nullptr;
}

}  // namespace kavren

#endif
