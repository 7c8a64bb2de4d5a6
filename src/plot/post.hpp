// The POST module: plots of the solution, the mesh and the errors.
#pragma once

namespace kavren {

// Entered from the problem module by POST; returns on its END.
void post();

}  // namespace kavren
