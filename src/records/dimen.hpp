// The problem dimension that the EXECUTE driver asks for on entry.
#pragma once

namespace kavren {

// 2 a two-dimensional problem; any other value a one-dimensional one, whose
// meshes the driver's mesh level refines in direction 2 only.
struct Cndimen {
    int NDIMEN = 0;
};

extern Cndimen cndimen;

}  // namespace kavren
