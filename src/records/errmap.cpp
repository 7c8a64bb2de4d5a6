// The one definition of the records of the error maps.
#include "records/errmap.hpp"

namespace kavren {

Cdiserr cdiserr;
Cestdisp cestdisp;
Cestdisr cestdisr;
Cerrhist cerrhist;

}  // namespace kavren
