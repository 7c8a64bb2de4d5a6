// The picture by refinement level: every initial element a unit square, an
// active element of x-level LX and y-level LY a rectangle 2**-LX wide and
// 2**-LY high, laid out in active-element order and fastened to the elements
// before it through shared vertices.
#pragma once

namespace kavren {

constexpr int ART_DONE = 0;
constexpr int ART_NO_ANSWER = 1;  // a replay began while the set was asked for
constexpr int ART_TOO_BIG = 2;    // more elements or vertex nodes than the tables hold

// Asks for the element set ("SET ELSET=?", read with readc), makes it
// current, and lays it out into cartco: LIST and NEL0, the corners ELXY of
// each listed element. The answer record becomes the current record. Returns
// ART_DONE or why the picture cannot be drawn.
int artcoord();
// The layout alone, over the current set.
int art_layout();

// Makes the set named or numbered in field ipos current; installed at
// start-up by the generator's set tables (none in bare tests: set 1 stays).
using SetSelector = void (*)(int ipos);
extern SetSelector art_select_set;

}  // namespace kavren
