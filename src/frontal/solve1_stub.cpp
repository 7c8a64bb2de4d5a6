// STUB: the frontal solver arrives with the solver work; until then a solve
// says so and computes nothing (the solution flags stay as they were).
#include "control/messages.hpp"
#include "frontal/solve1.hpp"

namespace kavren {

void solve1() {
    write_terminal(" SOLVE1: THE FRONTAL SOLVER IS NOT AVAILABLE YET, NOTHING SOLVED");
}

}  // namespace kavren
