// STUB: the EXECUTE driver's menu is appended with the driver itself.
#include "user/cusmen.hpp"

namespace kavren {

void cusmen() {}

}  // namespace kavren
