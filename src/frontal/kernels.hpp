// The inner loops of the frontal elimination. Each is built for the plain
// x86-64 instruction set and again for AVX2 and chosen when the program
// starts; neither build fuses a multiply with its add, so both give the same
// bits.
#pragma once

namespace kavren::frontal {

// Rank-one update of the packed symmetric front f (slots from 1, column b
// at f + b(b-1)/2 - 1): for each slot b of z(0..nz-1), in increasing order,
// entries (a, b), a <= b, get -= u(a) * y(b); a column with fewer than
// 1/ratio non-zero u below it is updated at the slots of z only, else along
// its whole length (u is zero off z). Returns the multiply-adds done.
double sym_rank1(double* f, const int* z, int nz, const double* u, const double* y, int ratio);
// c(1..n) -= u(1..n) * y (arrays indexed from 1).
void axpy_down(double* c, const double* u, double y, int n);
// Rank-one update of the unsymmetric front f (leading dimension ld, slots
// from 1): each equation cols(k) gets -= u * x(k), over the slots of z when
// sparse, else over slots 1..smax. Returns the multiply-adds done.
double uns_rank1(double* f, long ld, const int* cols, const double* x, int ncols, const int* z,
                 int nz, const double* u, int smax, bool sparse);

// Rank-k update of one column c (slots from 1): c(a) -= u_t(a) * y(t) for
// t = 0..nt-1 in this order, for a = 1..n (dense) or for the nz slots idx
// (sparse, idx not null). u(t) points at the row of pivot t (slots from 1).
void rankk_column(double* c, int n, const int* idx, int nz, const double* const* u, const double* y,
                  int nt);

// v(0..n-1) := v / d, each value divided (not multiplied by 1/d).
void divide(double* v, double d, int n);

}  // namespace kavren::frontal
