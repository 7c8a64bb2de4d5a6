// The EXECUTE driver: solving, exact errors and adaptation in a loop.
#pragma once

namespace kavren {

// Entered from the problem module by EXECUTE; never returns: the run ends
// inside it (QUIT, or the end of the keyboard).
[[noreturn]] void execute();

}  // namespace kavren
