// STUB: the save file arrives with the save-file work; until then STORAGE
// says so and drops the records up to its END.
#include "control/dump.hpp"
#include "control/problem.hpp"

namespace kavren {

void dump() {
    stub_level("STORAGE");
}

}  // namespace kavren
