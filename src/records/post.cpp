// The one definition of the records of POST and of the profile plot.
#include "records/post.hpp"

namespace kavren {

Cpost cpost;
Cdrprof cdrprof;

}  // namespace kavren
