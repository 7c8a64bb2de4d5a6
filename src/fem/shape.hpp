// Hierarchical shape functions and the 9-node element geometry map.
//
// The master square is [-1,1] x [-1,1] (XI, ETA). Local nodes: vertices 1-4
// counter-clockwise from (-1,-1), mid-side nodes 5-8 of edges 1-4 (ETA = -1,
// XI = 1, ETA = 1, XI = -1), the interior node 9 at (0,0).
//
// Order vector nord[0..8] = NORD(1..9): entries 5..8 the orders of edges 1..4,
// entry 9 the interior order (1..8); the vertex entries are not read.
//
// Element functions of one component, in this order: the vertex functions
// G1F1, G1F2, G2F2, G2F1; edge 1: G1 Fa (a = 3..p5+1); edge 2: F2 Gb
// (b = 3..p6+1); edge 3: G2 Fa (a = 3..p7+1); edge 4: F1 Gb (b = 3..p8+1);
// interior: Gb Fa (b = 3..p9+1 outer, a = 3..p9+1 inner). F are the 1-D
// functions in XI, G those in ETA: F1 = (1-x)/2, F2 = (1+x)/2 and Fi
// (i = 3..9) the primitive of the Legendre polynomial of degree i-2 from -1.
//
// Geometry nodes xnod[0..17] = XNOD(2,9) by columns: x and y of local node k
// at xnod[2(k-1)] and xnod[2(k-1)+1].
#pragma once

namespace kavren {

//// 1-D functions ////

// v[0..n] = F1..F(n+1) at x, n the order (1..8).
void shape1(int n, double x, double* v);
// First derivatives; d[2] (= x) is written also for n = 1.
void dshap1(int n, double x, double* d);
// Second derivatives; dd[0..3] are written also for n < 3.
void ddshap1(int n, double x, double* dd);

//// element functions ////

// Number of element functions of one component for the order vector.
int element_nfun(const int* nord);
// The element functions at (xi, eta), in the order above.
void shape2(const int* nord, double xi, double eta, double* val);
// Their master derivatives.
void dshap2(const int* nord, double xi, double eta, double* dvdxi, double* dvdeta);
// Their second master derivatives (the two mixed ones equal).
void ddshap2(const int* nord, double xi, double eta, double* d2xx, double* d2xy, double* d2yx,
             double* d2yy);

//// geometry map ////

// Quadratic Lagrange functions of the nodes -1, 0, +1 and their derivatives.
void lagr1d(double x, double* l, double* d);
// The nine map functions and their master derivatives, in local-node order.
void lagr2d(double xi, double eta, double* v, double* dvdxi, double* dvdeta);
// The point (x, y) of the master point, the inverse-map derivatives and the
// Jacobian. Divides by the Jacobian without a check.
void jcbian(const double* xnod, double xi, double eta, double& x, double& y, double& dxidx,
            double& dxidy, double& detadx, double& detady, double& detj);
// The same with the four map derivatives.
void bjcbian(const double* xnod, double xi, double eta, double& dxdxi, double& dxdeta,
             double& dydxi, double& dydeta, double& x, double& y, double& dxidx, double& dxidy,
             double& detadx, double& detady, double& detj);
// Master coordinates of the physical point (x, y) by Newton's method from the
// start value in (xi, eta); ends the run when 10 corrections do not converge.
void getcoord(const double* xnod, double x, double y, double& xi, double& eta);
// u := the element solution ue at the master point, (x, y) the point; ndofl[0..8]
// the degrees of freedom of the nine local nodes.
void interp(int nel, const int* ndofl, const double* ue, const double* xnod, double xi, double eta,
            double& u, double& x, double& y);

}  // namespace kavren
