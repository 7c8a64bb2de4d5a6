// STUB: removed at merge. Until refinement, enrichment and the MESH levels
// land, each refuses with one line and changes nothing.
#include "user/adapt_pending.hpp"

#include "control/messages.hpp"
#include "control/problem.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

int not_yet(const char* routine, int nel) {
    write_terminal(fmt::list({routine, "IS NOT AVAILABLE YET: ELEMENT", nel, "UNCHANGED"}));
    return 1;
}

}  // namespace

// STUB: removed at merge.
int refine(int nel, double*, double*, int) {
    return not_yet("REFINE", nel);
}

// STUB: removed at merge.
int refinexy(int nel, int, double*, double*, int) {
    return not_yet("REFINEXY", nel);
}

// STUB: removed at merge.
int enrich(int nel, int, double*, double*, int) {
    return not_yet("ENRICH", nel);
}

// STUB: removed at merge. Echoes the record that entered it and drops the
// records up to its END, as a level not built yet does.
void meshwr(double*, double*, int) {
    stub_level("MESH");
}

}  // namespace kavren
