// Records of the SOLVE entry: the solver nicknames of the active elements, the
// element arrays of the element call-back, and the element size the problem
// routines may read.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

// Column i belongs to the i-th active element in tree order (its position,
// not its slot).
struct Ciaele {
    // Row j, local node j: node*100 + dofs per component of the node that
    // carries the dofs of that position, 0 for a position without dofs.
    Arr2<int, 9, MAXSLOT> IAELE;
    // The element number at each position, so that the call-backs find their
    // element without walking the tree.
    Arr1<int, MAXSLOT> NELPOS;
};

// The element matrix and load handed to melmcon, and its work arrays.
struct Cxkyk {
    Arr2<double, MAX_ELVAR, MAX_ELVAR> XK;  // matrix by component blocks, by columns
    Arr1<double, MAX_ELVAR> YK;             // load by component blocks
    Arr2<double, MAX_ELFUN, MAX_ELFUN> W;   // work matrix of the constraint transformation
    Arr1<double, MAX_ELFUN> V;              // work vector of the constraint transformation
};

// Size of the element being integrated: its longest vertex-to-vertex side.
struct Celsize {
    double ELSIZE = 0.0;
};

extern Ciaele ciaele;
extern Cxkyk cxkyk;
extern Celsize celsize;

}  // namespace kavren
