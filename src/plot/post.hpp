// The POST module: the solution as contour map, surface, profile or vector
// plot of a chosen component; the mesh; the error estimate; and, for a
// displacement problem, the stresses and the deformed mesh.
#pragma once

namespace kavren {

// Entered from the problem module by POST, with both solution arrays
// (icolu rows a component); returns on its END.
void post(double* uold, double* unew, int icolu);

// The MESH level POST enters; installed at start-up by the generator's MESH
// level (none in bare tests: POST MESH does nothing).
using PostMeshLevel = void (*)(double* uold, double* unew, int icolu);
extern PostMeshLevel post_mesh_level;

}  // namespace kavren
