// Dense LU factorisation with partial pivoting and the strided vector kernels
// it is built from. Matrices are stored by columns with a leading dimension
// lda; entry (i, j), both from 1, is a[(i-1) + (j-1) lda]. Vectors follow the
// strided convention: element k (1..n) of (x, incx) is x[(k-1) incx] for
// incx >= 0 and x[(n-k) (-incx)] for incx < 0.
#pragma once

namespace kavren {

// LU factorisation in place: U on and above the diagonal, the multipliers
// (positive sign) below it; ipvt[k-1] is the row exchanged with row k at step
// k. A pivot of magnitude at most 1e-10 (single precision) is reported with a
// "PIVOT=" line and a pause. info := 1 when a pivot is zero (or not a number),
// the factorisation stopping at that column; else 0.
void decomp(int n, int lda, double* a, int* ipvt, int& info);
// Solves A x = b with the factors of decomp; b is used as work space.
void gauss2(int n, int lda, const double* a, const int* ipvt, double* b, double* x);
// Replaces the factors of decomp by the inverse of the factored matrix.
void matinv(int n, int lda, double* a, const int* ipvt, double* work);

//// update kernels ////

// The instruction sets the update kernels are built for; the best one the
// machine runs is chosen the first time the kernels are asked for.
enum class KernelIsa { generic, avx2, avx512 };

// Dense update kernels. With `fused` every term is one fused multiply-add
// (rounded once), else a product and a subtraction; either way each entry
// takes its terms one at a time in order, so that splitting an update into
// several calls, or into rows and columns in any way, gives the same bits.
struct DenseKernels {
    KernelIsa isa;
    const char* name;
    bool fused;
    // Rank-kb update of nc columns over m rows: for j < nc and r < m, in the
    // order t = 0..kb-1, cols[j][r] -= p[t ldp + r] * q[t ldq + j].
    void (*update)(double* const* cols, int nc, int m, const double* p, long ldp, const double* q,
                   long ldq, int kb);
    // Rows of one block of packed terms.
    int block;
    // The same update with the terms packed (dense_pack): the values of rows
    // r..r+block-1 for term t at pp[(r / block) kb block + t block + r % block].
    void (*update_packed)(double* const* cols, int nc, int m, const double* pp, const double* q,
                          long ldq, int kb);
    // The same with column j ending early: only its rows r < len[j] (len[j]
    // at most m) are updated, and nothing past them is read or written.
    void (*update_packed_top)(double* const* cols, const int* len, int nc, int m,
                              const double* pp, const double* q, long ldq, int kb);
    // v(0..n-1) := v / d, each value divided.
    void (*divide)(double* v, double d, int n);
    // One column, the terms given by their rows: for r < m, in the order
    // t = 0..kb-1, c[r] -= p[t][r] * q[t].
    void (*column)(double* c, int m, const double* const* p, const double* q, int kb);
};

// Packs kb terms of m rows each (term t's row r at src[t lds + r]) for
// update_packed with blocks of `block` rows, the last block padded with
// zeros; dst takes ceil(m / block) kb block values.
void dense_pack(double* dst, const double* src, long lds, int kb, int m, int block);

// The kernels chosen for this machine.
const DenseKernels& dense_kernels();
// The kernels of one instruction set; null when the machine cannot run them.
const DenseKernels* dense_kernels_for(KernelIsa isa);
// One term as the chosen kernels take it: c - a b.
inline double dense_msub(double c, double a, double b, bool fused) {
    return fused ? __builtin_fma(-a, b, c) : c - a * b;
}

// Index (1..n) of the first element of largest magnitude; 0 when n <= 0 or incx <= 0.
int isamax(int n, const double* x, int incx);
// x := alpha x; nothing when n <= 0 or incx <= 0.
void sscal(int n, double alpha, double* x, int incx);
// y := alpha x + y; nothing when n <= 0 or alpha is 0.
void saxpy(int n, double alpha, const double* x, int incx, double* y, int incy);
// y := x.
void scopy(int n, const double* x, int incx, double* y, int incy);
// Exchanges x and y.
void sswap(int n, double* x, int incx, double* y, int incy);
// Dot products (0 when n < 1), accumulated in increasing k.
double sdot(int n, const double* x, int incx, const double* y, int incy);
double sdot1(int n, const double* x, int incx, const double* y, int incy);
// Euclidean norm without scaling: snrm2 is 0 when incx < 1, snrm21 takes any increment.
double snrm2(int n, const double* x, int incx);
double snrm21(int n, const double* x, int incx);

}  // namespace kavren
