// STUB: the EXECUTE driver arrives with the adaptive-loop work; until then
// EXECUTE says so, drops the records up to its END and returns to the
// problem module (the driver itself never returns).
#include "control/problem.hpp"
#include "user/execute.hpp"

namespace kavren {

void execute() {
    stub_level("EXECUTE");
}

}  // namespace kavren
