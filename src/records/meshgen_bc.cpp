// The one definition of the generator's boundary records.
#include "records/meshgen_bc.hpp"

namespace kavren {

Cbcons cbcons;
Cbcons1 cbcons1;

}  // namespace kavren
