// Private records of the element residual estimator: the point data of the
// local-problem assembly and of the error functionals, the accumulator of a
// boundary value, and the local matrix kept from one estimate to the next.
// Point records hold 10 points a direction (rules of up to 10 points serve
// sides of order 8) and 20 along a side that two half sides share.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

constexpr int EST_POINTS = NQUAD_RULES;           // points of one rule
constexpr int EST_HALF_POINTS = 2 * NQUAD_RULES;  // points of two half sides
constexpr int EST_FUN = 20;                       // increment functions of one equation (19 used)
constexpr int LDXK = 80;                          // local unknowns: 4 equations of at most 19

//// local problem assembly ////

// The area points of melemb (i in XI, j in ETA).
struct Cmelemb {
    Arr2<double, EST_POINTS, EST_POINTS> XA, YA;  // physical point
    Arr2<double, EST_POINTS, EST_POINTS> DETJ;    // Jacobian of the map
    Arr3<double, MAX_ELFUN, EST_POINTS, EST_POINTS> PHI, PHIX, PHIY;  // element functions
    Arr3<double, EST_FUN, EST_POINTS, EST_POINTS> PSI, PSIX, PSIY;    // increment functions
    Arr3<double, MXEQNS_MAX, EST_POINTS, EST_POINTS> U, UX, UY;       // solution and gradient
};
// The element's own solution at the points of each shared side (delemb1).
struct Cdelemb1 {
    Arr3<double, MXEQNS_MAX, EST_POINTS, 4> U, UX, UY;
};
// A neighbour's solution and functions at the points of each shared side,
// over up to two half sides (delemb2).
struct Cdelemb2 {
    Arr3<double, MXEQNS_MAX, EST_HALF_POINTS, 4> U, UX, UY;
    Arr3<double, MAX_ELFUN, EST_HALF_POINTS, 4> PHI, PHIX, PHIY;
};
// Accumulator of the boundary value of the solution at a side point (belemb).
struct Cblank {
    double UACC = 0.0;
};
// Registrations of the estimator's debug prints ("RESEREST", "ERRCON",
// "ERRCONB", in this order) with initdbg: 100 once registered, and the index
// of each name's switch.
struct Cestdbg {
    Arr1<int, 3> IROUT;
    Arr1<int, 3> IDBG;
};
// The local matrix of the last estimate (its N by N corner is cleared at every call).
struct Cxk {
    Arr2<double, LDXK, LDXK> XK;
};

//// error functionals ////

// Area points of a functional: element functions, the local solution (or the
// difference of two solutions) FI and its image PSI under the symmetrizer.
struct ErrorAreaPoints {
    Arr2<double, EST_POINTS, EST_POINTS> XA, YA, DETJ;
    Arr3<double, MAX_ELFUN, EST_POINTS, EST_POINTS> PHI, PHIX, PHIY;
    Arr3<double, MXEQNS_MAX, EST_POINTS, EST_POINTS> FI, FIX, FIY;
    Arr3<double, MXEQNS_MAX, EST_POINTS, EST_POINTS> PSI, PSIX, PSIY;
};
// Points of the boundary sides of errconb (side as the last index).
struct Cerrconb {
    Arr3<double, MAX_ELFUN, EST_POINTS, 4> PHI, PHIX, PHIY;
    Arr3<double, MXEQNS_MAX, EST_POINTS, 4> FI, PSI;  // values
    Arr3<double, MXEQNS_MAX, EST_POINTS, 4> FIN, FIT;  // normal, tangential derivatives of FI
    Arr3<double, MXEQNS_MAX, EST_POINTS, 4> PSIN, PSIT;
};
// Points of the shared sides of a functional.
struct ErrorSidePoints {
    Arr3<double, MXEQNS_MAX, EST_POINTS, 4> FI, PSI;
};

extern Cmelemb cmelemb;
extern Cdelemb1 cdelemb1;
extern Cdelemb2 cdelemb2;
extern Cblank cblank;
extern Cxk cxk;
extern Cestdbg cestdbg;
extern ErrorAreaPoints cerrcon;  // errcon
extern ErrorAreaPoints cerr1;    // err1
extern Cerrconb cerrconb;
extern ErrorSidePoints cerrconc;  // errconc
extern ErrorSidePoints cerr3;     // err3

}  // namespace kavren
