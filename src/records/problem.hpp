// Records of the problem choice, the boundary kinds and the solver settings.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

// The equation system of the chosen problem.
struct Ceqsys {
    int NREQNS = 0;                        // equations: the solution components in use
    int MXEQNS = 0;                        // maximum number of equations
    Arr2<int, MAX_EQNS, MAX_EQNS> ICOUPL;  // coupling array (equation, component)
};
struct Csymet {
    int ISYMET = 0;  // 1 symmetric, 2 unsymmetric problem
};
// How node changes carry the solution: 1 also into UNEW (a MESH level runs),
// 0 only into UOLD (set before a frontal solve).
struct Cdec {
    int IDEC = 0;
};
// Boundary kind of each boundary number, 0 when none was given (BCONDS of a
// customised problem); saved with the database.
struct Cbound {
    Arr1<int, MAX_BOUNDARY> IBKIND;
};
// Stored defaults of the iterative solver: integer word 1 (always 1), 2 the
// method (1 block Jacobi, 2 Gauss), 3 MAXIT, 4 ACCEL, 5 FREQ, 6 PRINT; real
// word 1 EPS. The other words are not used.
struct Cslvdefs {
    Arr1<int, 10> ISLV;
    Arr1<double, 10> RSLV;
};

extern Ceqsys ceqsys;
extern Csymet csymet;
extern Cdec cdec;
extern Cbound cbound;
extern Cslvdefs cslvdefs;

}  // namespace kavren
