// The element residual estimate: on one element, the local problem of
// localprob.hpp solved densely, and one non-negative number made of its
// solution, the estimate of the error of the solution there. For a symmetric
// problem it is the energy of the local solution; for an unsymmetric one the
// error functional that pairs the local solution with its image under the
// problem's symmetrizer (problem_symmetr). Nothing in the program's commands
// calls it: it serves a user who replaces the adaptation or estimator entry.
#pragma once

namespace kavren {

// Solves A x = b (n by n, leading dimension lda) by Gauss elimination with
// partial pivoting on a copy; A and b are not changed. 0 done, 1 when a pivot
// below 1e-30 (single precision) leaves the matrix singular; it never stops.
int local_solve(const double* a, int lda, const double* b, double* x, int n);

// The estimate err of active element nel: unew the solution measured, uold the
// state solution handed to the symmetrizer (columns = components, leading
// dimension ld). EST_DONE, or EST_FAILED when the local problem is singular
// or the element's map is not positive at an area point: then the terminal
// line "*** SINGULAR LOCAL PROBLEM IN NEL ***" with nel, and err = 0. A
// negative sum gives the line "*** NEGATIVE ERROR IN NEL ***" with the value
// and nel, and err = the root of its magnitude.
int reserest(int nel, const double* uold, const double* unew, int ld, double& err);

// The unsymmetric functional of the local solution a (NREQNS blocks of NB):
// errcon sets err from the area and calls errconb (boundary sides) and
// errconc (shared sides), which add to it. The element's data stand in cpreso.
void errcon(const int* ord, const double* xnod, const double* a, double& err);
void errconb(const int* ord, const double* xnod, const double* a, double& err);
void errconc(const int* ord, const double* xnod, const double* a, double& err);

// The functional of the difference u3 - u2 on element nel with u1 as the state
// solution: the area part, then err2 (an extension point) and err3 (the
// shared sides); err := the root of its magnitude, with the negative-error
// line when it is negative.
void err1(int nel, const double* u1, const double* u2, const double* u3, int ld, double& err);
void err3(const int* ord, const double* xnod, const double* u2e, double& err);

// The estimates of every active element: row i of ERREL for the i-th active
// element in tree order holds (nel, estimate, 0, 0); ERRGL(1) the root of the
// sum of the squared estimates, ERRGL(2..5) 0; IESTIM := 1. Refused with an
// error message, nothing changed, when the database holds no usable mesh or
// no solution of the current mesh: the result is then 1, else 0.
int estimate_elements();

}  // namespace kavren
