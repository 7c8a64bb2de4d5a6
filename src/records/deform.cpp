// The one definition of the deformed-drawing records.
#include "records/deform.hpp"

namespace kavren {

Cdefor cdefor;
Cdefor2 cdefor2;

}  // namespace kavren
