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
