// STUB: replaced by the element kernel at merge. What the mesh database uses
// of the element kernel until it lands: the half-edge coefficients and the
// hierarchical shape functions.
#pragma once

#include "support/array.hpp"

namespace kavren {

// STUB: replaced by the element kernel at merge
// Half-edge coefficients: RRR(d, e, h) is the coefficient of the son edge
// function of degree e when the edge function of degree d is restricted to
// half h; RRR(d, 1, h) its value at the middle of the edge; row 1 the linear
// function of a vertex (0.5 at the middle).
struct Crrr {
    Arr3<double, 10, 10, 2> RRR;
};
extern Crrr crrr;

// STUB: replaced by the element kernel at merge
// The 1-D functions F1..F(n+1) at x, in v[0..n]: (1-x)/2, (1+x)/2 and the
// primitives of the Legendre polynomials of degree 1..n-1 from -1.
void shape1(int n, double x, double* v);

// STUB: replaced by the element kernel at merge
// The element functions for the order vector nord (entries 5..9 read), in the
// order vertices, edges 1..4, interior (xi degree fastest), in val[0..].
void shape2(const Arr1<int, 9>& nord, double xi, double eta, double* val);

}  // namespace kavren
