// STUB: the POST module arrives with the plotting work; until then POST says
// so and drops the records up to its END.
#include "control/level.hpp"
#include "plot/post.hpp"

namespace kavren {

void post() {
    stub_level("POST");
}

}  // namespace kavren
