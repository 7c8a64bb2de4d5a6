// The one definition of the problem dimension.
#include "records/dimen.hpp"

namespace kavren {

Cndimen cndimen;

}  // namespace kavren
