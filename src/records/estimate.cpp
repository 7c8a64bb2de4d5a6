// The one definition of the error-estimate records.
#include "records/estimate.hpp"

namespace kavren {

Cerrest cerrest;
Cerresi cerresi;

}  // namespace kavren
