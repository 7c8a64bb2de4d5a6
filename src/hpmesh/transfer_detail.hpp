// Pieces shared by the four-son and the two-son transfer (internal).
#pragma once

#include "hpmesh/transfer.hpp"

namespace kavren::transfer_detail {

// Lattice column and row (1..3) of local node k on the element's 3 x 3 grid.
constexpr int NLA[10] = {0, 1, 3, 3, 1, 2, 3, 2, 1, 2};
constexpr int NLB[10] = {0, 1, 1, 3, 3, 1, 2, 3, 2, 2};

// Where the father's coefficients lie in its element vector.
struct FatherLayout {
    int n[6] = {};  // n[s]: coefficients of side s (order - 1), n[5] of the interior per direction
    int ni = 0;     // n[5]
    int first[6] = {};  // first[s]: row of side s's first coefficient; first[5] the interior block
};
// From the father's nicknames: absolute orders, an absent node counting as 1.
FatherLayout father_layout(int nel);

// Writes the patch values of position l into the dofs of node (of the given
// order): a vertex for l <= nvert, an edge (l - nvert) for l <= nedge_last,
// else an interior (l - nedge_last), all four components of u.
void write_node(int node, int order, int l, int nvert, int nedge_last, SonPatch& p, double* u,
                int icolu);

}  // namespace kavren::transfer_detail
