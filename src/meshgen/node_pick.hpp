// The mouse pick of two generator nodes in the drawing of the generator mesh.
#pragma once

namespace kavren {

// Two clicks, each snapped to the nearest generator node, which is marked in
// colour 4 of palette 1: the first gives the grid position (ia, ja), the
// second (ib, jb). A click with no node within 1e5 gives "*** NO GENERATOR
// NODE NEAR THE PICK ***" and zeros; so does a run without a window.
void vinq04(int& ia, int& ib, int& ja, int& jb);

}  // namespace kavren
