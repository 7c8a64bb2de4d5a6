// The local problem of the element residual estimator on one element NEL:
// find the error e in the element's increment space (increment.hpp) such that
// the element's bilinear form of e against every increment function equals
// the residual of the solution u on the element plus the normal fluxes across
// its sides; on a shared side the diffusive flux is the mean of the element's
// own and its neighbours'.
//
// Unknowns equation-major: unknown (c-1) NB + m is equation c and increment
// function m (1..4 the functions of sides 1..4, 5..NB the interior ones). The
// matrix xk (leading dimension ldxk) and rhs are cleared by the caller; every
// routine here only adds. The coefficients come from problem_mcoeff and
// problem_bcoeff, asked at each point after the current-point records
// (cmelem, cbelem, celsize1, celsize2) are filled, as the element matrices do.
//
// Element arrays: ord[0..8] the orders of the nine nodes (sign dropped, entries
// 5..9 at least 1), xnod the nine node coordinates XNOD(2,9). The element's
// values of the solution stand in cpreso (estimator_extract).
#pragma once

namespace kavren {

// Results of the assembly and of the estimate.
constexpr int EST_DONE = 0;
// An area point with a Jacobian that is not positive, or a local matrix that
// is singular: the element has no estimate.
constexpr int EST_FAILED = 1;

// Loads element nel into cpreso as the estimator needs it: UEOLD from the
// array uold and UENEW from unew (columns = components, leading dimension
// ld), NDOFE, NDOFL; ord and xnod (18 doubles); celsize := its longest
// vertex-to-vertex distance.
void estimator_extract(int nel, const double* uold, const double* unew, int ld, int* ord,
                       double* xnod);

// Area part: integrals over the element with the tensor Gauss-Legendre rule
// of (largest side order + 2) points a direction.
int melemb(const int* ord, const double* xnod, int ldxk, double* xk, double* rhs);
// Boundary sides: the boundary form and load on the side's own function.
void belemb(int nel, const int* ord, const double* xnod, int ldxk, double* xk, double* rhs);
// The element's own flux on its shared sides: the convective part whole, the
// diffusive part with weight 1/2. uold, unew and ld are not read.
void delemb1(int nel, const int* ord, const double* xnod, int ldxk, double* xk, double* rhs,
             const double* uold, const double* unew, int ld);
// The neighbours' diffusive flux on the shared sides, weight 1/2, read from
// the neighbours' values of uold and unew. Leaves the last neighbour's data
// in cpreso and celsize.
void delemb2(int nel, const int* ord, const double* xnod, int ldxk, double* xk, double* rhs,
             const double* uold, const double* unew, int ld);

//// services of the local problem and the functionals ////

// The Gauss-Legendre area rule and the side rule of the estimator.
int estimator_area_points(const int* ord);
// Points and weights of the rule of side s (1..4) of boundary kind `kind` for
// a side of order p: bointg with one order more.
void estimator_side_rule(int p, int kind, double* t, double* w, int& nint);
// Master point of the side parameter t on side s.
void side_point(int s, double t, double& xi, double& eta);
// The counter-clockwise tangent of side s from the map derivatives of the
// current point (celsize1).
void side_tangent(int s, double& tx, double& ty);

}  // namespace kavren
