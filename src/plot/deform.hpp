// The deformed-mesh drawing: the elements of the current set moved by
// SCALE times a displacement field, optionally over the undeformed outlines.
#pragma once

#include "plot/sample.hpp"

namespace kavren {

// Draws the elements of the current set displaced by SCALE times (du, dv),
// the x and y displacement components (first words of one component each),
// in a frame fitted to them. Options: SCALE=v and MESH ON/OFF (both kept for
// later calls), ELSET=set (the whole mesh without it).
void graphd(const double* du, const double* dv);

// Appends the outline points of side iside (1..4, counter-clockwise) of the
// element with node points xnodl and local values in cdefor and cdefor2 to
// SIDPT (undeformed) and DEFPT (displaced by SCALE): the 2 end points of a side
// of order 1 (|order| <= 1), else 9 points at local steps of 0.25. Points
// beyond the store are dropped.
void quaind(int iside, int order, const NodePoints& xnodl);

}  // namespace kavren
