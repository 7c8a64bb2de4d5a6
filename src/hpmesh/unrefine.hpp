// h-unrefinement: merging the two sons of a family back into their father
// (unrefixy), and undoing a split into four sons (unrefi), with both solution
// arrays carried over to the merged nodes; checkun classifies a family for
// the MESH level of the EXECUTE driver.
//
// An unrefinement is all or nothing: every condition is checked and a
// refused one leaves the mesh, both solution arrays, KIND and the flags as
// they were. Only sons without interior nodes are merged. The mesh stays
// 1-irregular, and every constrained element stays one the constraint logic
// can represent. The flags of cflags are the callers' to clear.
#pragma once

#include "support/array.hpp"

namespace kavren {

// Status IER of unrefi and unrefixy.
constexpr int UNREF_DONE = 0;                // merged, no node order changed
constexpr int UNREF_ORDERS_CHANGED = 1;      // merged; edge orders had to be changed first
constexpr int UNREF_NEIGHBOUR_REFINED = -1;  // a neighbour is too fine, or the cluster
                                             // fails the regularity rules (may pass later)
constexpr int UNREF_SON_REFINED = -2;        // a son (or grandson) is itself refined
constexpr int UNREF_ORDERS_DIFFER = -3;      // the sons have interiors of different orders
constexpr int UNREF_NOT_HANDLED = -4;        // the sons have interior nodes
constexpr int UNREF_NO_SPACE = -5;           // a capacity: no free node or dof for an edge

// Undoes the four-son split of nel (a direction-1 family whose two sons are
// split in direction 2 into four active grandsons). nexel: the blocking
// element of a refusal with -1 or -2. A success gives the status of the last
// of its three merges (the two halves into nel).
void unrefi(int nel, int& ier, int& nexel, double* uold, double* unew, int icolu);
// Merges the two active sons of nel back into nel.
void unrefixy(int nel, int& ier, int& nexel, double* uold, double* unew, int icolu);
// Classifies family nfam: iflag -1 free family; 0 no unrefinement; 1 the
// first family of a four-son split that may be undone (nsons the four
// grandsons); 2 a direction-1 family of two active sons (nsons(1..2)); 3 a
// direction-2 family of two active sons. nfather := the family's father.
// No side effects.
void checkun(int nfam, int& iflag, int& nfather, Arr1<int, 4>& nsons);

// The merged coefficients x(1..ndof) of one component of an edge whose two
// halves, nodes na (the half where the edge's coordinate runs from -1 to 0)
// and nb, hold u; each half is inverted through the half-edge tables and the
// two results are averaged.
void user7(int nm, int na, int nb, int ndof, double* x, const double* u);

}  // namespace kavren
