// The problem routines: the only place where the boundary-value problem is
// defined. The built-in problem is -div grad u + u = f on every component, f
// manufactured from the exact solution w: f = w - (w_xx + w_yy); on boundary
// number 2 the Robin condition du/dn + u = w + dw/dn, on boundary number 3 the
// Neumann condition du/dn = dw/dn, on every other the Dirichlet condition u = w
// by a penalty of 1e8.
//
// Coefficient arrays are NREQNS by NREQNS, stored by columns with leading
// dimension ld: entry (i, j) (equation i, component j) at [(i-1) + (j-1) ld].
// Loads are vectors of NREQNS values.
#pragma once

namespace kavren {

// The exact solution the built-in problem manufactures its data from, with the
// argument list of exact(). exact() itself unless a test installs another.
using ExactSolution = void (*)(double& x, double& y, double& u, double* du, double* d2u);
extern ExactSolution problem_exact;

// The routines the element matrices call for the domain and boundary forms:
// mcoeff and bcoeff unless a problem installs its own with the same argument
// lists (the routines may read the current-point records cmelem and cbelem).
using DomainCoefficients = void (*)(int ld, double x, double y, double* a11, double* a12,
                                    double* a21, double* a22, double* b1, double* b2, double* d1,
                                    double* d2, double* c, double* rh, double* rhx, double* rhy);
using BoundaryCoefficients = void (*)(int nel, int ld, int kind, int nbound, double x, double y,
                                      double nx, double ny, double tx, double ty, double* att,
                                      double* bt, double* pt, double* c, double* gt, double* g);
extern DomainCoefficients problem_mcoeff;
extern BoundaryCoefficients problem_bcoeff;
// The estimator's symmetrizer: symmetr unless a problem installs its own.
using Symmetrizer = void (*)(const double* v1, const double* v2, const double* v3, double* m1,
                             double* m2, double* m3);
extern Symmetrizer problem_symmetr;

// Coefficients and loads of the domain form at the point (x, y).
void mcoeff(int ld, double x, double y, double* a11, double* a12, double* a21, double* a22,
            double* b1, double* b2, double* d1, double* d2, double* c, double* rh, double* rhx,
            double* rhy);
// Coefficients and loads of the boundary form at the point (x, y) of a side
// with boundary kind `kind` and boundary number nbound; (nx, ny) the outward
// unit normal, (tx, ty) the counter-clockwise unit tangent.
void bcoeff(int nel, int ld, int kind, int nbound, double x, double y, double nx, double ny,
            double tx, double ty, double* att, double* bt, double* pt, double* c, double* gt,
            double* g);
// The quadrature rule of a boundary side of order nord and kind `kind`: nint
// points xpts and weights wgts on [-1, 1], ascending.
void bointg(int nord, int kind, double* xpts, double* wgts, int& nint);
// The estimator's symmetrizer at the point (XSYM, YSYM) of csymtr: given the
// value v1, the x-derivatives v2 and the y-derivatives v3 of the four
// components of the state solution, the 4 by 4 matrix m1 (leading dimension 4)
// that maps the local solution to the test function of the error functional,
// and its x- and y-derivatives m2, m3. The built-in problem is symmetric in
// the functional's sense: m1 the identity, m2 = m3 = 0.
void symmetr(const double* v1, const double* v2, const double* v3, double* m1, double* m2,
             double* m3);

// At an end of side is of element nel (side coordinate t, taken
// counter-clockwise), the mean outward normal of the side and the boundary
// side meeting it there when both carry the same boundary number: iflag 1 and
// (xn, yn); else iflag 0.
void bcoef1(int nel, int is, double t, double& xn, double& yn, int& iflag);
// The normalised mean of the outward unit normals of two three-node curves p
// and q (x, y of the end, middle and end node, by columns) at their common
// point, the end of p and the start of q.
void bcoef2(const double* p, const double* q, double& xn, double& yn);

}  // namespace kavren
