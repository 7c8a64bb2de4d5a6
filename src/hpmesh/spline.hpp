// Parametric splines: a planar curve through N points, parameterised by
// cumulative chord length, each coordinate an interpolating B-spline of order
// K on a clamped knot vector. The generator's ARC lines and the refinement of
// spline boundaries use it; tb06a and tg04a are the general B-spline routines
// underneath (interpolation, and the basis values by de Boor's recurrence).
//
// The curve last prepared lives in the records x1 (parameters) and noeud
// (knots); prepare must run before bspline, pspline or fspoint use a curve.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

// Two columns of leading dimension 100: x of point i (or its coefficient) in
// entry i, y in entry 100 + i.
using SplineColumns = Arr1<double, 2 * MAXSPLPT>;

// Sets up the spline of order k through points 1..n: x1, noeud, the total
// chord length tlen and the coefficients. Returns 0, or the first non-zero
// code of its two interpolations (the coefficients are then 0).
int prepare(int n, int k, double& tlen, const SplineColumns& pts, SplineColumns& coef);
// The curve point at parameter t.
void bspline(int n, int k, double t, double& x, double& y, const SplineColumns& coef);
// The parameter of the curve point (xp, yp), searched near sample point i.
double pspline(int n, int k, int i, const SplineColumns& pts, double xp, double yp,
               const SplineColumns& coef);
// ia, ib := the sample points nearest (xa, ya) and (xb, yb), one of them moved
// across the seam of a closed curve when they lie more than 3/4 of the length
// apart.
void fspoint(int n, const SplineColumns& pts, double xa, double ya, double xb, double yb, int& ia,
             int& ib);

// The B-spline of order k on the knots X(1) k times, xint(1..m-k), X(m) k
// times that takes the values f(i) at x(i), i = 1..m: its coefficients c(1..m)
// and, in knots(1..m+k), the full knot vector. Returns the error code (also
// in tb06b): 1 m < 2, 2 k outside 1..m, 3 x not increasing, 4 knots not
// ascending, 5 Schoenberg-Whitney conditions broken. Arrays are 1-based
// pointers (entry i at p[i - 1]).
int tb06a(int m, const double* x, const double* f, int k, const double* xint, double* knots,
          double* c);
// The k B-splines of order k on knots t(1..nk) that may be non-zero at x:
// values(1..k) of B_(l-k+1)..B_l with l the knot interval of x (in/out: kept
// when it still holds x), and their integrals from t(1) to x. norm 2: the
// values sum to 1; norm 1: each integrates to 1. Returns the error code (also
// in tg04b).
int tg04a(int nk, const double* t, int k, int norm, double x, int& l, double* values,
          double* integrals);

}  // namespace kavren
