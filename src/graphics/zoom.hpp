// The zoom window of the plots that offer ZOOM.
#pragma once

namespace kavren {

// The zoom window from the four numbers after ZOOM on the current record
// (XMIN, YMIN, XMAX, YMAX, in that order); iflag := 1 when it was set. Four
// fields that are not numbers, or a window without width or height, give
// "ZOOMING PARAMETERS UNREADABLE" and leave the window and iflag as they were.
// STUB: the two mouse clicks of menu mode come with menu mode; until then
// the record's numbers serve in both modes.
void getzoom(double& xmin, double& ymin, double& xmax, double& ymax, int& iflag);

}  // namespace kavren
