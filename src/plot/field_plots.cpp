// IN PROGRESS: the field plots are being built; these bodies draw nothing.
#include "plot/field_plots.hpp"

namespace kavren {

// IN PROGRESS.
void mapc3d(const double*, int, int) {}
// IN PROGRESS.
void mapc3dwr(const double*, int, int) {}
// IN PROGRESS.
void mapvec(const double*, const double*) {}

}  // namespace kavren
