// The one definition of each record of the problem choice and the solver.
#include "records/problem.hpp"

namespace kavren {

Cbound cbound;
Cslvdefs cslvdefs;

}  // namespace kavren
