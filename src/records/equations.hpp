// The equation system of the problem: number of components, coupling and
// symmetry. Set by the problem modules, read by the element routines and the
// solver.
// STUB: these records belong to the mesh database; they stand here until its
// records land (the lead keeps one definition).
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

struct Ceqsys {
    int NREQNS = 0;                        // equations (solution components) in use, 1..4
    int MXEQNS = MAX_EQNS;                 // most equations
    Arr2<int, MAX_EQNS, MAX_EQNS> ICOUPL;  // ICOUPL(j,k): equation j couples component k
};
struct Csymet {
    int ISYMET = 1;  // 1 symmetric, 2 unsymmetric problem
};

extern Ceqsys ceqsys;
extern Csymet csymet;

}  // namespace kavren
