// The one definition of the frontal solver's records.
#include "records/frontal.hpp"

namespace kavren {

Surfc2 surfc2;
Cwrksp cwrksp;
Ciwork ciwork;
Cdesve cdesve;

}  // namespace kavren
