// Small dense and band solvers: Gauss elimination without pivoting (the
// estimator's local problems), a symmetric positive definite band
// factorisation (start-up tables), LU with row pivoting (the interactive
// element solve), and a solver with row interchanges. Matrices are stored by
// columns; entry (i, j) of A with leading dimension lda is a[(i-1) + (j-1) lda].
#pragma once

namespace kavren {

// Solves A x = b: tri then rhsub. A is overwritten by its factors, b by
// intermediate values.
void gausse(double* a, int lda, double* b, double* x, int n);
// Gauss triangularisation without pivoting; the entries below the diagonal
// stay as they were when their column was eliminated. A pivot below 1e-30
// (single precision) ends the run.
void tri(double* a, int lda, int n);
// Forward elimination of b with the factors of tri, then back substitution into x.
void rhsub(const double* a, double* x, double* b, int lda, int n);
// ainv := the inverse of A through tri and rhsub; w (lda by n) and v (lda) are work.
void invert(const double* a, double* ainv, double* w, double* v, int lda, int n);
// Solves A x = b (A n by n, leading dimension n) by a factorisation with row
// interchanges; x replaces b.
void chlsky(double* a, int n, double* b);

// Band factorisation A = L L^T of a symmetric positive definite matrix of half
// bandwidth nband, in band storage: row i holds the lower band of row i,
// column nband+1 the diagonal, column nband+1-k the entry (i, i-k). ul gets L
// in the same layout with the reciprocal diagonal. Determinant d1 2^d2.
// ier := 129 (with a report) when the matrix is not positive definite.
void ludapb(const double* a, int n, int nband, int lda, double* ul, int ldu, double& d1, double& d2,
            int& ier);
// Solves A x = b with the factor of ludapb; b is not changed.
void luelpb(const double* ul, const double* b, int n, int nband, int ldu, double* x);

// LU with row pivoting in place; ipvt[i-1] the row exchanged with row i (i < n).
// A pivot column whose largest magnitude is below 1e-20 (single precision)
// stops the program after a "SMALL PIVOT = " line.
void gdecomp(double* a, int lda, int n, int* ipvt);
// Applies the exchanges and multipliers of gdecomp to x.
void linvpx(const double* a, double* x, int lda, int n, const int* ipvt);
// Back substitution with the U of gdecomp, in place.
void uinvx(const double* a, double* x, int lda, int n);

}  // namespace kavren
