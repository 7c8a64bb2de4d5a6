// The walk over the current element set.
#pragma once

#include "hpmesh/tree.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "records/window.hpp"

namespace kavren {

template <typename Draw>
void band_colour(int l, int n, Draw draw) {
    const int cell = band_cell(l, n);
    if (cell == l) {
        draw(l);
        return;
    }
    const int screen = claser.ISCRN, laser = claser.ILASER;
    claser.ILASER = 0;
    draw(cell);
    claser.ILASER = laser;
    claser.ISCRN = 0;
    draw(l);
    claser.ISCRN = screen;
}

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
