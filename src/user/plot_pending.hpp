// STUB: removed when the plots land. The plots of the EXECUTE driver (profile,
// error map); this header gives way to theirs. The contour map and the
// perspective view are the field plots.
#pragma once

#include "plot/field_plots.hpp"

namespace kavren {

// STUB: profile of component code icomp of u along the current profile.
void drprof(double* u, int icolu, int icomp);
// STUB: map of a per-element error array (by slot).
void diserr(double* err);

}  // namespace kavren
