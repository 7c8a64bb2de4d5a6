// Constrained approximation: the walls of an element on larger neighbours,
// the parent nodes that stand in for its constrained positions, the places of
// its dofs in the element's dof list, and its local values with the
// constraints applied.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

// Results of logic1 for one element (local numbers 1..9 unless said).
struct Logic1 {
    int ICON = 0;            // 0 none, 1 one or two walls with one father vertex, 2 two fathers
    Arr1<int, 2> J00;        // father vertices of walls 1 and 2
    int NCONWA = 0;          // walls, 0..2
    Arr2<int, 2, 2> NODWAL;  // per wall: (hanging vertex, wall's mid-side position)
    int NDFR = 0;            // free local nodes (set only when ICON is not 0)
    Arr1<int, 9> NODFRE;     // their list, in lattice row order 1,5,2,8,9,6,4,7,3
    Arr1<int, 9> LOCNOD;     // place of each position's first dof in the gathered list
    Arr1<int, 9> LNODS;      // node at each position after the parent nodes were put in
    Arr1<int, 9> LOCS;       // dofs of each position
    Arr1<int, 9> IDGS;       // order of each position (at least 1): the shape-function orders
};

// Results of logic2.
struct Logic2 {
    Arr1<int, 2> NDFWAL;       // dofs of each wall: far vertex plus the larger side's mid dofs
    Arr2<int, 8, 2> NWINS;     // places of each wall's dofs in the gathered list
    int NFRN = 0;              // free dofs
    Arr1<int, MAXLDOF> NFREE;  // their places
};

// What the element computations take of an element's constraints.
struct Infelm {
    int NCONS = 0;             // 0 none, 1 one wall, 2 two walls one father, 3 two fathers
    Arr1<int, 2> J00;          // father vertices
    int IHANG1 = 0;            // hanging vertex of wall 1
    int IHANG2 = 0;            // hanging vertex of wall 2 (two walls only)
    Arr1<int, MAXLDOF> NFREE;  // places of the free dofs
    int NFRN = 0;
    Arr1<int, 8> LW1;  // wall 1's places: hanging vertex first, then its mid dofs
    int NW1 = 0;
    Arr1<int, 8> LW2;  // wall 2's places (two walls only)
    int NW2 = 0;
    Arr1<int, 9> NICKC;  // node*100 + dofs of each position, for the solver
    Arr1<int, 9> IDGS;   // order vector of the shape functions
};

// IT0(father, hanging): 1 when the wall is the half of the larger side at the
// lower coordinate of the element's axes, 2 the upper half, 0 otherwise.
int it0(int father, int hanging);

void logic1(int nel, Logic1& l1);
void logic2(int nel, const Logic1& l1, Logic2& l2);
void infelm(int nel, Infelm& inf);
// The solver codes node*100 + dofs of the nine positions of nel.
void infnick(int nel, Arr1<int, 9>& nickc);
// The local values ue[0..ndofe-1] of nel from one component of a solution
// array (u[d-1] holds dof d), with the constraints applied; ndofl(k) the dofs
// of local node k.
void solelm(int nel, int& ndofe, Arr1<int, 9>& ndofl, double* ue, const double* u);

}  // namespace kavren
