// Family and position steps shared by the four-son and the two-son split.
#pragma once

#include "support/array.hpp"

namespace kavren {

// Whether a split of active element nel can take nfam families: the free
// list keeps at least one family after them (the last free family is never
// handed out), every son's slot NRELIN + f lies within MAXSLOT, and the sons,
// addx families of direction 2 and addy of direction 1 deeper than nel, stay
// within the levels that neigbr follows. A result code of journal.hpp.
int check_new_families(int nel, int nfam, int addx, int addy);
// Takes the family at the head of the free list for father, split direction
// ixy, and links the father to its first-born son; returns the family.
int take_family(int father, int ixy);
// Positions of the father's nine local nodes: its nodes' coordinates, an
// absent edge node at the middle of its side's vertices, an absent interior
// node at the mean of the four vertices.
void father_positions(const Arr1<int, 9>& lnodes, Arr2<double, 2, 9>& p);

}  // namespace kavren
