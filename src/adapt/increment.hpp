// The increment space of the element residual estimator: on an element of
// interior order p, per equation, one function on each edge of degree one
// above the edge's order, and the interior functions of degree p + 1 that
// order p lacks. Every function vanishes on the element boundary except an
// edge function on its own edge; each is orthogonal to the lower functions of
// its kind (an edge function in the 1-D H1 seminorm, an interior one in the
// H1 seminorm of the reference square).
//
// Order vector nord[0..8] = NORD(1..9) as the element routines hold it:
// entries 5..8 the orders of edges 1..4, entry 9 the interior order; each
// degree is the order + 1, or 2 for an order of 0 or less; the vertex entries
// are not read. Functions, in this order: VAL(1..4) the edge functions of
// edges 1..4, VAL(5..NB) the interior functions, NB = 2 IDG + 1 (IDG the
// interior degree), at most 19.
#pragma once

namespace kavren {

constexpr int MAX_INC_DEGREE = 9;        // degree of an order-8 node plus one
constexpr int MAX_INC_FUN = 2 * MAX_INC_DEGREE + 1;  // increment functions per equation
constexpr int INC_TABLE = 100;           // entries of the tensor table at degree 9 everywhere

// Number of increment functions per equation for the order vector.
int increment_count(const int* nord);

// 1-D family on [-1, 1]: phi[0] = (1-x)/2, phi[1] = (1+x)/2, phi[k] = b_k(x)
// for k = 2..n, b_k = x^k - 1 (k even) or x^k - x (k odd).
void shapeol1(int n, double x, double* phi);
void dshapol1(int n, double x, double* dphi);
// The tensor table of the degrees nid[4..8] (edges 1..4, interior): the four
// vertex products, the products of each edge (n - 1 for degree n), then the
// interior products b_i(xi) b_j(eta), j outer and i inner, 2 <= i, j <= n.
void shapeol2(const int* nid, double xi, double eta, double* phi);
void dshapol2(const int* nid, double xi, double eta, double* dpx, double* dpy);

// The increment functions at (xi, eta). A degree above 9 ends the run.
void shapeb(const int* nord, double xi, double eta, double* val);
// Their derivatives in xi and eta.
void dshapb(const int* nord, double xi, double eta, double* dxi, double* deta);

}  // namespace kavren
