// Solution sampling: the values a plot draws, on a regular grid of local
// points of one element, with the physical positions of those points; and the
// small evaluators the plotters share (one component at a local point, the
// 9-node map, displaced node points, orders of a generated element, and the
// moving least-squares resampling of Gauss-point values).
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

using NodePoints = Arr2<double, 2, 9>;  // x, y of the 9 local nodes

// Samples element nel of the solution array u (icolu rows a component) for
// component code icomp on the grid of 2**nsubel intervals a side (nsubel
// kept to 0..5): x, y, f(i, j) at (xi, eta) = ((i-1)h - 1, (j-1)h - 1), leading
// dimension ldim (at least 33). Codes above 100 sample the user point
// function at NG x NG Gauss points, NG = max edge order + 1 - ired (kept to
// 1..9): iresmp 1 resamples them onto the grid, iresmp 0 leaves them in f
// (n = NG - 1). n returns the intervals a side of what f holds.
void usfnxy(int nel, const double* u, int icolu, int nsubel, int icomp, int iresmp, int ired,
            NodePoints& xnodl, double* x, double* y, double* f, int ldim, int& n);

// Value f of one component with local values dof (ndofl(k) at local node k)
// at the local point, and the point's position.
void inter1(const Arr1<int, 9>& ndofl, const double* dof, const NodePoints& xnodl, double xi,
            double eta, double& f, double& x, double& y);
// Position of a local point under the biquadratic 9-node map.
void cordin(const NodePoints& xnodl, double xi, double eta, double& x, double& y);
// The 9 node points displaced by scale times the components du, dv;
// dmax := the largest displacement magnitude over them (-1e10 when none).
void displa(double& dmax, double scale, const Arr1<int, 9>& ndofl, const NodePoints& xnodl,
            NodePoints& xdef, const double* du, const double* dv);
// Orders of the nodes of a generated element: 1 at the vertices and 0 at
// the others when nodes 5..9 all lie at (0, 0) (a 4-node element), else 2.
void decodn(const NodePoints& xnodl, Arr1<int, 9>& nord);

// f(i, j), i, j = 1..n+1, on the regular grid of n intervals (leading
// dimension ldf) from the ng x ng values vg(i, j) at (xg(i), xg(j)).
using GaussValues = Arr2<double, 10, 10>;
void intpgs(const double* xg, const GaussValues& vg, int ng, double* f, int n, int ldf = SAMPLE_LD);
// Moving least-squares fit at (xi, eta) to the m values v(k) at the points
// p(1..2, k) with weights 1/d**6, starting from nt terms (6, 3 or 1: constant,
// linear, quadratic) and halving them while the system is singular; cf(1)
// returns the fitted value.
void apxmin(double xi, double eta, double* cf, const double* p, const double* v, int m, int nt);
// Solves a c = b in place (b returns c) for the leading nt x nt block of a
// (leading dimension lda), Gauss-Jordan without pivoting; false at an exact
// zero pivot.
bool ssls(double* a, int lda, int nt, double* b);

// The fit terms the NG x NG Gauss points determine: 6 for NG >= 3, 3 for 2, 1 for 1.
int fit_terms(int ng);

}  // namespace kavren
