// STUB: removed when the plots land. The plots of the EXECUTE driver (contour
// map, perspective view, profile, error map); this header gives way to theirs.
#pragma once

namespace kavren {

// STUB: contour map of component code icomp of the solution array u.
void mapcnc(double* u, int icolu, int icomp);
// STUB: perspective view of component code icomp of u.
void mapc3dwr(double* u, int icolu, int icomp);
// STUB: map of a per-element error array (by slot).
void diserr(double* err);

}  // namespace kavren
