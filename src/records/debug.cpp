// The one definition of the debug switches and the frontal solver's control block.
#include "records/debug.hpp"

namespace kavren {

Cdbg cdbg;
Cdbg1 cdbg1;
Surfc1 surfc1;

}  // namespace kavren
