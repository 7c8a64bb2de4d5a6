// Records of the element computations: the quadrature rules and shape-function
// tables built once at start-up, the half-edge constraint coefficients, and the
// current-point records that the element routines fill before every call of a
// problem routine.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

//// start-up tables (read-only after start-up) ////

// Gauss-Legendre rules on [-1, 1]: rule n in column n, points ascending.
struct Cint {
    Arr3<double, NQUAD_RULES, NQUAD_RULES, NQUAD_RULES> W2;  // W2(i,j,n) = WG(i,n) WG(j,n)
    Arr2<double, NQUAD_RULES, NQUAD_RULES> XG;               // XG(i,n): point i of rule n
};
struct Cint1 {
    Arr2<double, NQUAD_RULES, NQUAD_RULES> WG;  // WG(i,n): weight of XG(i,n)
};
// Gauss-Lobatto rules of 2..10 points (end points included); column 1 is 0.
struct Cint1l {
    Arr2<double, NQUAD_RULES, NQUAD_RULES> XL;  // XL(i,n): point i of rule n, ascending
    Arr2<double, NQUAD_RULES, NQUAD_RULES> WL;  // WL(i,n): its weight
};

// Half-edge constraint coefficients. For a father edge function of degree d
// (2..8; row 1 a vertex function) restricted to half h (1: master coordinate
// -1..0, 2: 0..1): RRR(d,1,h) its value at the edge midpoint, RRR(d,e,h) the
// coefficient of the son edge function of degree e (2..d). Rows and columns
// 9 and 10 are 0.
struct Crrr {
    Arr3<double, 10, 10, 2> RRR;
};

// Coefficients of the 1-D shape functions 3..9 (primitives of the Legendre
// polynomials of degree 1..7 from -1): CLAGR(i,j) = coefficient of x^(j-1) in
// function i. Rows 1 and 2 (the linear functions) are 0.
struct Clagr {
    Arr2<double, 9, 9> CLAGR;
};
// First derivatives: DLAGR(i,j) = j CLAGR(i,j+1).
struct Dlagr {
    Arr2<double, 9, 8> DLAGR;
};
// Second derivatives: ELAG(i,j) = j DLAGR(i,j+1).
struct Elag {
    Arr2<double, 9, 7> ELAG;
};
// FACT(k) = 1/k!.
struct Cfact {
    Arr1<double, 10> FACT;
};
// Words 1..100 the 1-D mass matrix and 101..200 the 1-D stiffness matrix of
// the functions (1-x)/2, (1+x)/2 and the monomial bubbles of degree 2..9
// (x^k - 1 even, x^k - x odd), single-precision values; words 201..10200 the
// work area of cnsti1d.
struct Chpint {
    Arr1<double, CHPINT_WORDS> HPINT;
    double& MASS(int i, int j) { return HPINT(i + 10 * (j - 1)); }
    double& STIFF(int i, int j) { return HPINT(100 + i + 10 * (j - 1)); }
};
// HPINT1(i,j,k): coefficient of the bubble of degree k+1 in the stiffness
// projection of the bubble of degree i+2 onto the bubbles of degree 2..j+1.
struct Chpint1 {
    Arr3<double, 7, 7, 7> HPINT1;
};

//// current point of an element routine ////

// The quadrature point of the element matrix (melem) and the element
// functions there, in the element's function order.
struct Cmelem {
    int IINT = 0;     // point index in XI
    int IJNT = 0;     // point index in ETA
    double XI = 0.0;  // master coordinates of the point
    double ETA = 0.0;
    Arr1<double, MAX_ELFUN> VSHAP;   // values of the element functions
    Arr1<double, MAX_ELFUN> VSHAPX;  // their x-derivatives
    Arr1<double, MAX_ELFUN> VSHAPY;  // their y-derivatives
};
// The same for a point of a boundary side (bcelem).
struct Cbelem {
    int IS = 0;    // side 1..4
    int IINT = 0;  // point index along the side
    double XI = 0.0;
    double ETA = 0.0;
    Arr1<double, MAX_ELFUN> VSHAP;
    Arr1<double, MAX_ELFUN> VSHAPX;
    Arr1<double, MAX_ELFUN> VSHAPY;
};
// Map derivatives at the current point.
struct Celsize1 {
    double DXDXI = 0.0;   // dx/dXI
    double DXDETA = 0.0;  // dx/dETA
    double DYDXI = 0.0;   // dy/dXI
    double DYDETA = 0.0;  // dy/dETA
};
// Inverse-map derivatives at the current point.
struct Celsize2 {
    double DXIDX = 0.0;   // dXI/dx
    double DXIDY = 0.0;   // dXI/dy
    double DETADX = 0.0;  // dETA/dx
    double DETADY = 0.0;  // dETA/dy
};

// 1 while the estimator evaluates its error functional: boundary sides of
// kinds 1..4 then use a Gauss-Lobatto rule of one point fewer.
struct Cboint {
    int IBOINT = 0;
};
// The point at which the estimator asks the symmetrizer.
struct Csymtr {
    double XSYM = 0.0;
    double YSYM = 0.0;
};

extern Cint cint;
extern Cint1 cint1;
extern Cint1l cint1l;
extern Crrr crrr;
extern Clagr clagr;
extern Dlagr dlagr;
extern Elag elag;
extern Cfact cfact;
extern Chpint chpint;
extern Chpint1 chpint1;
extern Cmelem cmelem;
extern Cbelem cbelem;
extern Celsize1 celsize1;
extern Celsize2 celsize2;
extern Cboint cboint;
extern Csymtr csymtr;

}  // namespace kavren
