// The GEOMETRY level: the top of the mesh generator, entered from the problem
// menu's GEOMETRY command.
#pragma once

namespace kavren {

// The GEOMETRY level. ifirst is the problem menu's first-call flag: 0 resets
// the generation state (the menu sets it to 0 each time it is entered); set to 1.
void setgeom(int& ifirst);

}  // namespace kavren
