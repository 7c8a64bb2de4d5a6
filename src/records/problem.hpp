// Records of the problem choice, the boundary kinds and the solver settings.
#pragma once

#include "records/limits.hpp"
#include "records/mesh.hpp"  // ceqsys, csymet, cdec
#include "support/array.hpp"

namespace kavren {

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

extern Cbound cbound;
extern Cslvdefs cslvdefs;

}  // namespace kavren
