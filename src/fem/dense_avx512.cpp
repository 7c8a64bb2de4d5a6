// The dense update kernels for AVX-512 with fused multiply-adds: tiles of 8
// columns by 24 rows (24 of the 32 vector registers).
#include <immintrin.h>

#include "fem/dense.hpp"

#if defined(__x86_64__) && defined(__GNUC__)

// The kernels are built for the instruction set whatever the flags of the
// build; they run only where the machine has it.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,fma")
#endif

namespace {

struct V {
    using type = __m512d;
    static constexpr int W = 8;
    static constexpr int MV = 3;
    static constexpr int NC = 8;
    static type load(const double* p) { return _mm512_loadu_pd(p); }
    static void store(double* p, type v) { _mm512_storeu_pd(p, v); }
    static __mmask8 mask(int n) { return static_cast<__mmask8>((1u << n) - 1u); }
    static type loadn(const double* p, int n) { return _mm512_maskz_loadu_pd(mask(n), p); }
    static void storen(double* p, type v, int n) { _mm512_mask_storeu_pd(p, mask(n), v); }
    static type bcast(double x) { return _mm512_set1_pd(x); }
    static type msub(type c, type a, type b) { return _mm512_fnmadd_pd(a, b, c); }
};

}  // namespace

#include "fem/dense_kernels.hpp"

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace kavren {

const DenseKernels* dense_kernels_avx512() {
    static const DenseKernels k{KernelIsa::avx512, "avx512",      true,   update,
                                V::MV * V::W,      update_packed, update_packed_top, divide, column};
    return &k;
}

}  // namespace kavren

#else

namespace kavren {

const DenseKernels* dense_kernels_avx512() {
    return nullptr;
}

}  // namespace kavren

#endif
