#include "records/execute.hpp"

namespace kavren {

Cndimen cndimen;
Cexecute cexecute;

}  // namespace kavren
