// Element matrices: the stiffness matrix and load of one element for all
// solution components from the domain form of the problem's coefficient
// routine (melem; mcoeff unless problem_mcoeff is replaced), and the boundary
// terms of its sides from its boundary routine (bcelem; bcoeff).
//
// Unknown (c-1) ndof + k stands for component c and element function k (the
// order of shape2). The matrix xk is stored by columns with leading dimension
// ld (324 from the callers); row index = test function (equation), column
// index = trial function (component). Both triangles are built.
#pragma once

namespace kavren {

// Result codes of melem and bcelem.
constexpr int ELEM_DONE = 0;
// The Jacobian at a quadrature point is not positive: the element is
// reported once with an error message and its matrix is not usable.
constexpr int ELEM_BAD_JACOBIAN = 1;

// Multiply-adds the element kernels performed, for the benchmarks.
struct ElementStats {
    double madds = 0;
};
extern ElementStats element_stats;

// Clears xk (ndof NREQNS columns of ld rows) and ph, and integrates the domain
// form with the tensor Gauss-Legendre rule of (largest edge order + 1) points
// a direction. nel only selects the debug prints.
int melem(int nel, const int* nord, int ndof, const double* xnod, int ld, double* xk, double* ph);
// Adds the boundary terms of every side of nel with a non-zero boundary kind
// (decod2), each with the side rule of bointg. Raises nord[4..8] below 1 to 1
// (in the caller's array).
int bcelem(int nel, int* nord, int ndof, const double* xnod, int ld, double* xk, double* ph);

}  // namespace kavren
