// Mouse picks of elements in the drawing of the mesh.
#pragma once

#include "support/array.hpp"

namespace kavren {

// Places of a pick list: the count, then up to MAX_PICKS element numbers.
constexpr int MAX_PICKS = 50;
using PickList = Arr1<int, MAX_PICKS + 1>;

// A selection of active elements: list(1) the count, list(2..) the elements
// (0 for one picked twice); a click outside every element ends it.
void vinq01(PickList& list);
// One click: the father of the active element under the pointer (the element
// itself for an initial element), 0 outside every element.
void vinq02(int& nel);
// A click on one of the eight order boxes (ichoice 1..8), then a selection
// as vinq01.
void vinq03(PickList& list, int& ichoice);

}  // namespace kavren
