// The zoom window of the plots that offer ZOOM.
#pragma once

namespace kavren {

// The zoom window; iflag := 1 when it was set. In menu mode at the keyboard:
// two clicks in the picture on the screen, ordered so that xmin < xmax and
// ymin < ymax. Otherwise the four numbers after ZOOM on the current record
// (XMIN, YMIN, XMAX, YMAX, in that order). Fields that are not numbers, a
// window without width or height, or reversed bounds give "ZOOMING PARAMETERS
// UNREADABLE" and leave the window and iflag as they were.
void getzoom(double& xmin, double& ymin, double& xmax, double& ymax, int& iflag);

}  // namespace kavren
