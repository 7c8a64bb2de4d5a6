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

// The side rules of a split, for side i of the father (nodes lnodes, orders
// lorder, neighbours neig with their facing sides nside) and its sons in
// slots k1 (holding vertex i) and k2 (holding vertex i mod 4 + 1), once KIND
// holds the side's boundary number: a side shared with one neighbour of the
// same size leaves a hanging vertex and constrained half-edges in the sons;
// otherwise the side's middle gets a vertex (genod1, or split1 of its edge
// node) that the sons and any two smaller neighbours name. debug prints the
// steps under "BREAK".
int split_father_side(int i, const Arr1<int, 8>& neig, const Arr1<int, 8>& nside,
                      const Arr1<int, 9>& lnodes, const Arr1<int, 9>& lorder, int k1, int k2,
                      double* uold, double* unew, int icolu, bool debug);

}  // namespace kavren
