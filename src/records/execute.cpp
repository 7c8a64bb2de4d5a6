#include "records/execute.hpp"

namespace kavren {

Cexecute cexecute;

}  // namespace kavren
