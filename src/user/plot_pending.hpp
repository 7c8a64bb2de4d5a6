// STUB: removed when the plots land. The error map of the EXECUTE driver;
// this header gives way to its own. The contour map and the perspective view
// are the field plots.
#pragma once

#include "plot/field_plots.hpp"

namespace kavren {

// STUB: map of a per-element error array (by slot).
void diserr(double* err);

}  // namespace kavren
