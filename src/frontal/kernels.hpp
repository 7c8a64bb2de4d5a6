// The inner loops of the frontal elimination. Each is built for the plain
// x86-64 instruction set and again for AVX2 and chosen when the program
// starts; neither build fuses a multiply with its add, so both give the same
// bits.
#pragma once

namespace kavren::frontal {

// c(1..n) -= u(1..n) * y (arrays indexed from 1).
void axpy_down(double* c, const double* u, double y, int n);
// c(idx(t)) -= u(idx(t)) * y for t = 0..n-1.
void axpy_down_at(double* c, const double* u, double y, const int* idx, int n);

}  // namespace kavren::frontal
