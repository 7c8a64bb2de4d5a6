// The walk over the current element set.
#pragma once

#include "hpmesh/tree.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"

namespace kavren {

template <typename Fn>
void each_taken(Fn fn) {
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        if (csetf.ISCUR != 1) {
            int iin = 0;
            findst(nel, iin);
            if (iin != 1) continue;
        }
        fn(nel);
    }
}

}  // namespace kavren
