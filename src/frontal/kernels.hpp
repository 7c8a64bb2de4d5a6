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
// Rank-one update of the unsymmetric front f (leading dimension ld, slots
// from 1): each equation cols(k) gets -= u * x(k), over the slots of z when
// sparse, else over slots 1..smax. Returns the multiply-adds done.
double uns_rank1(double* f, long ld, const int* cols, const double* x, int ncols, const int* z,
                 int nz, const double* u, int smax, bool sparse);

// v(0..n-1) := v / d, each value divided (not multiplied by 1/d).
void divide(double* v, double d, int n);

}  // namespace kavren::frontal
