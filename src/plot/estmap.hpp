// The map of element estimates: every active element, or every element of
// the flagged sets, filled with the colour of the band of its estimate from
// cerrest (or of its refinement indicator, the estimate divided by the
// factor of pfactor), with a scale, a title and a legend, on the screen and
// with LASER=name of the current record in "print/" + name. Nothing in the
// program calls it: it serves a user who replaces the estimator's driver.
#pragma once

namespace kavren {

// Draws the map under the display controls cestdisp and the scale ends
// cestdisr (kept between calls). Refused with " NO CURRENT ERROR ESTIMATE"
// while IESTIM is 0, and with "NOTHING TO DRAW" when no element is drawn.
void mapcne();

}  // namespace kavren
