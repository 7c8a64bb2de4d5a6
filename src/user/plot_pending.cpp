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

// STUB: the contour map comes with the plots.
void mapcnc(double*, int, int) {
    not_yet("MAPCNC:", "THE CONTOUR MAP");
}

// STUB: the perspective view comes with the plots.
void mapc3dwr(double*, int, int) {
    not_yet("MAPC3DWR:", "THE PERSPECTIVE VIEW");
}

// STUB: the error map comes with the plots.
void diserr(double*) {
    not_yet("DISERR:", "THE ERROR MAP");
}

}  // namespace kavren
