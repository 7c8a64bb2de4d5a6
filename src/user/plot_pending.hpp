// STUB: removed when the plots and the drawing interface land. The plots of
// the EXECUTE driver (contour map, perspective view, profile, error map) and
// the two drawing calls of the user stamp; this header gives way to theirs.
#pragma once

#include <string_view>

namespace kavren {

// STUB: contour map of component code icomp of the solution array u.
void mapcnc(double* u, int icolu, int icomp);
// STUB: perspective view of component code icomp of u.
void mapc3dwr(double* u, int icolu, int icomp);
// STUB: profile of component code icomp of u along the current profile.
void drprof(double* u, int icolu, int icomp);
// STUB: map of a per-element error array (by slot).
void diserr(double* err);
// STUB: moves the text position to the percent point (ix, iy).
void mmovt(int ix, int iy);
// STUB: draws the first n characters of text at the text position.
void mtext(std::string_view text, int n);

}  // namespace kavren
