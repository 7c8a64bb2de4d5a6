// Solution transfer onto the sons of a split: before the mesh changes, the
// father's function is written in the hierarchical basis of its four or two
// sons (a patch of vertex values, edge coefficients and interior
// coefficients, all four components); after the sons exist, the patch is
// written into their dofs. The split reproduces the father's polynomial.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

// An element's local values (constraints applied, solelm) of one solution
// array, all four components: the 4 vertex values, the dofs of sides 1..4,
// then the interior block, xi index fastest.
struct ElementVector {
    int NEL = 0;                           // the element, 0 none
    int NDOFE = 0;                         // local dofs per component
    Arr1<int, 9> NDOFL;                    // dofs of each local node
    Arr2<double, MAXLDOF, MXEQNS_MAX> UE;  // the values, component c in column c
};
// Fills ev for element nel from the flat solution array u (component k of
// dof d at u[(d-1) + icolu*(k-1)]).
void element_vector(int nel, const double* u, int icolu, ElementVector& ev);

// The father's function on the patch of its sons.
struct SonPatch {
    Arr2<double, 9, MXEQNS_MAX> UCORNS;                   // value at patch vertex L, component c
    Arr3<double, MAX_SIDE_DOF, 12, MXEQNS_MAX> UEDGES;    // dof i of patch edge e, component c
    Arr3<double, MAX_SIDE_DOF, MAX_SIDE_DOF, 16> CENTRE;  // storage of UCENTRS
    // Dof (i, j) of patch interior m, component c.
    double& UCENTRS(int i, int j, int m, int c) { return CENTRE(i, j, m + 4 * (c - 1)); }
    void clear();
};

//// four sons ////

// Position LNS(a, b) (1..25) of lattice point (a, b) of the 5 x 5 patch:
// vertices 1..9, edges 10..21, son centres 22..25.
int lns4(int a, int b);
// Fills ev from u, clears p and adds the father's vertex (bilinear) part.
void breakin1(int nel, const double* u, int icolu, ElementVector& ev, SonPatch& p);
// Adds the part of the father's edge functions, from the vector of breakin1.
void breakin2(int nel, const ElementVector& ev, SonPatch& p);
// Adds the part of the father's interior functions.
void breakin3(int nel, const ElementVector& ev, SonPatch& p);
// Writes the patch into the dofs of the unconstrained nodes of the four sons
// e11, e12, e21, e22 (the sons at the father's vertices 1, 2, 4, 3), all four
// components of u.
void write_four_sons(const Arr1<int, 4>& sons, SonPatch& p, double* u, int icolu);
// For one component column u, from the father's node numbers and orders
// (unconstrained): the centre value, the coefficients of the four inner
// half-edges (1 lower and 3 upper half of the vertical centre line, 2 right
// and 4 left half of the horizontal one) and of the interiors of the sons at
// the father's vertices 1..4. Nothing calls it; the breakin routines are the
// transfer in use.
void user6(const Arr1<int, 9>& lnodes, const Arr1<int, 9>& lorder, double& ucentr,
           Arr2<double, MAX_SIDE_DOF, 4>& uedge, Arr3<double, MAX_SIDE_DOF, MAX_SIDE_DOF, 4>& uint,
           const double* u);

//// two sons ////

// Position (1..15) of lattice point (i, j) of the two-son patch: LNS(3,5) in
// direction 1, LNS1(5,3) in direction 2. Vertices 1..6, edges 7..13 (10 the
// new inner edge), son interiors 14 and 15.
int lns2(int ixy, int i, int j);
// Direction 1: vertex part (fills ev from u and clears p), edge part,
// interior part.
void breaki01(int nel, const double* u, int icolu, ElementVector& ev, SonPatch& p);
void breaki02(int nel, const ElementVector& ev, SonPatch& p);
void breaki03(int nel, const ElementVector& ev, SonPatch& p);
// Direction 2.
void breaki11(int nel, const double* u, int icolu, ElementVector& ev, SonPatch& p);
void breaki12(int nel, const ElementVector& ev, SonPatch& p);
void breaki13(int nel, const ElementVector& ev, SonPatch& p);
// Writes the patch into the dofs of the unconstrained nodes of sons 1 and 2
// of a cut in direction ixy, all four components of u.
void write_two_sons(int ixy, int son1, int son2, SonPatch& p, double* u, int icolu);

}  // namespace kavren
