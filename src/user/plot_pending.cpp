// STUB: removed when the plots land. Each plot says in one line that it is not
// available and draws nothing.
#include "user/plot_pending.hpp"

#include "control/messages.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

void not_yet(const char* routine, const char* what) {
    write_terminal(fmt::list({routine, what, "IS NOT AVAILABLE YET: NOTHING DRAWN"}));
}

}  // namespace

// STUB: the error map comes with the plots.
void diserr(double*) {
    not_yet("DISERR:", "THE ERROR MAP");
}

}  // namespace kavren
