// STUB: one definition of the equation-system records until the mesh
// database's records land.
#include "records/equations.hpp"

namespace kavren {

Ceqsys ceqsys;
Csymet csymet;

}  // namespace kavren
