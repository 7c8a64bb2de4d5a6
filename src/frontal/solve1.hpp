// The SOLVE entry of the frontal solver.
#pragma once

namespace kavren {

// Solves on the current mesh into UNEW; on success ISOLVD := 1, IESTIM := 0,
// ISOLVR := 1.
void solve1();

}  // namespace kavren
