// STUB: the mesh drawings arrive with the plotting work. Until then they say
// so in one line; RESET on the record still clears the component, as the
// drawing does.
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "plot/graph.hpp"

namespace kavren {

namespace {

void not_yet(int& icomp) {
    ffldou(0, MSG_LIST, " ** MESH DRAWINGS ARE NOT AVAILABLE YET");
    int nocc = 0, ipos = 0;
    findop("RESET", nocc, ipos);
    if (nocc > 0) icomp = 0;
}

}  // namespace

// STUB: draws nothing.
void graph(int /*idum*/, int /*inode*/, int /*ielem*/, double* /*u*/, int /*icolu*/, int& icomp) {
    not_yet(icomp);
}

// STUB: draws nothing.
void graphwr(int /*idum*/, int /*inode*/, int /*ielem*/, double* /*u*/, int /*icolu*/, int& icomp) {
    not_yet(icomp);
}

}  // namespace kavren
