// STUB: the quadrature and shape-function tables are built with the element
// kernel; start-up calls these hooks in their place until then.
#include "fem/tables.hpp"

namespace kavren {

void cnst() {}
void cnsti() {}
void cnsti1d() {}

}  // namespace kavren
