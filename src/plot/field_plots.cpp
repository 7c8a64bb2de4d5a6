// IN PROGRESS: the field plots are being built; these bodies draw nothing.
#include "plot/field_plots.hpp"

namespace kavren {

// IN PROGRESS.
void mapvec(const double*, const double*) {}

}  // namespace kavren
