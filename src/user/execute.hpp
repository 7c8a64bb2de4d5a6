// The EXECUTE driver: solving, exact errors and adaptation in a loop.
#pragma once

namespace kavren {

// Entered from the problem module by EXECUTE.
void execute();

}  // namespace kavren
