// Records of the problem choice that the element kernel reads: the equation
// system and the symmetry of the problem.
// STUB: the problem modules own these records (with the boundary kinds and
// the solver settings); their records/problem.hpp and .cpp replace this pair.
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

extern Ceqsys ceqsys;
extern Csymet csymet;

}  // namespace kavren
