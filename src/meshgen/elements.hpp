// The ELEMENT level: blocks of 4-node (LINEAR) and 9-node (QUADR) elements on
// the grid of a region, numbered in ILOOP/JLOOP order.
#pragma once

namespace kavren {

// The ELEMENT level; iblocke counts the element blocks.
void relem(int& iblocke);
// ires := 1 when the first three vertices of generated element nel run clockwise.
void direct(int nel, int& ires);

}  // namespace kavren
