// Small utilities shared by every subsystem.
#pragma once

namespace kavren {

// Splits a node code node*100 + order: iq := icode/100 (toward zero), ir := the rest.
void decode(int icode, int& iq, int& ir);
void setz(double* a, int n);
void setzi(int* ia, int n);
// The timing hook; does nothing.
void zecond();
// Packs n decimal digits ia(1..n), ia(1) the units digit, into ic.
void code1(const int* ia, int n, int& ic);
// Unpacks the n lowest decimal digits of ic into ia(1..n), ia(1) the units digit.
void decod1(int ic, int n, int* ia);
// Sorts the first n rows of the table a(lda, ncol) ascending by column icol,
// moving whole rows. False when a limit of the sort is exceeded.
bool zsortr(double* a, int lda, int n, int ncol, int icol);

}  // namespace kavren
