// The GEOMETRY level: the mesh generator's top level.
#pragma once

namespace kavren {

// Entered from the problem module by GEOMETRY; returns on its END.
void setgeom();

}  // namespace kavren
