// The work record of one element's local values with the constraints applied.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

struct Cpreso {
    Arr2<double, MAXLDOF, MXEQNS_MAX> UEOLD;  // local values of UOLD, components 1..4
    Arr2<double, MAXLDOF, MXEQNS_MAX> UENEW;  // local values of UNEW, components 1..4
    int NEL = 0;                              // element the values belong to, 0 none
    int NDOFE = 0;                            // local dofs per component
    Arr1<int, 9> NDOFL;                       // dofs of each local node
};

extern Cpreso cpreso;

}  // namespace kavren
