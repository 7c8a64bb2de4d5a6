// Constrained element matrices: the element routine of the frontal solver.
// melmcon gathers an element from the mesh database, builds its matrix and
// load with melem and bcelem, and rewrites every component block in the
// element's unconstrained dofs, so that the solver assembles real dofs only.
//
// With u = T u' (old element values u, unconstrained values u' in the same
// slots), a block K and a load F become T^t K T and T^t F. T is the identity
// on free slots and father vertices; on a wall with father F, hanging vertex
// H = L(1), slots L(1..NW) and half h of the larger side,
// T(L(e), L(d)) = RRR(d, e, h) for d >= e, and T(H, F) = 0.5.
#pragma once

#include "hpmesh/constraints.hpp"

namespace kavren {

// Matrix and load of element nel: xk (ld rows, ld = 324) and yk receive
// NDOFE NREQNS rows and columns by component blocks, in the unconstrained
// dofs; w (ldw by 81, ldw = 81) and v (81) are work space. Leaves nel, NDOFE,
// NDOFL and the element's old and new values in cpreso and its size in
// celsize. Returns ELEM_DONE, or ELEM_BAD_JACOBIAN when the element routines
// refused the element (their message names it).
int melmcon(int nel, int ld, double* xk, double* yk, int ldw, double* w, double* v);

// Transforms one ndofe by ndofe block k (leading dimension ld) and its load f
// (nullptr for a block without load) of an element with one wall, or two
// walls sharing the father vertex J00(1) (NCONS 1 or 2; nothing for NCONS 0).
// nel is not used.
void elmcon(int nel, int ndofe, int ld, double* k, double* f, int ldw, double* w, double* v,
            const Infelm& inf);
// The same for two walls with fathers J00(1) and J00(2) (NCONS 3).
void elmcon2(int nel, int ndofe, int ld, double* k, double* f, int ldw, double* w, double* v,
             const Infelm& inf);

// Prints the n by n block xk (leading dimension ld) with its load yk on the
// terminal under a header naming the element and the block.
void printel(int nel, int ivar1, int ivar2, int n, const double* xk, int ld, const double* yk);

}  // namespace kavren
