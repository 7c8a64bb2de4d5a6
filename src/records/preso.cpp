// The one definition of the element work record.
#include "records/preso.hpp"

namespace kavren {

Cpreso cpreso;

}  // namespace kavren
