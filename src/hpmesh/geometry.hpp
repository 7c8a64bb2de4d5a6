// Positions of an element's nine local nodes, hanging vertices on the larger
// neighbour's side, nodes placed on curved boundaries, and the biquadratic
// functions of the nine-node map.
#pragma once

#include "support/array.hpp"

namespace kavren {

// x and y of local nodes 1..9 of active element nel.
void nodcor(int nel, Arr2<double, 2, 9>& xnodl);
// The point at parameter t of the parabola through nodes n1 (t = -1), n2 (0)
// and n3 (1); the straight line from n1 to n3 when n2 is 0.
void hanoco(int n1, int n2, int n3, double t, Arr1<double, 2>& x);
// Places node new midway along the curve of boundary number KIND (cside)
// between nodes n1 and n2.
void gcoord(int n1, int n2, int nnew);
// Biquadratic function k (1..9) of the nine-node map at (xi, eta).
double funsh2(int k, double xi, double eta);
// Re-places the inner nodes of a four-son patch, given the slots of the sons
// at the father's vertices 1..4.
void reproj(int s1, int s2, int s3, int s4);

}  // namespace kavren
