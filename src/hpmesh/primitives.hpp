// Node and degree-of-freedom primitives: every change of the hp mesh creates,
// re-orders, splits or removes nodes only through these routines, which take
// nodes and dofs from the heads of the free lists and give them back there,
// keep NRNODS and NRDOF, place new nodes, and give new dofs their values in
// the solution arrays (UOLD always, UNEW when IDEC is 1), all four components.
//
// The solution arrays are passed flat: component k of dof d is at
// u[(d-1) + icolu*(k-1)]. The value rules user1..user5 take one component
// column u, with dof d at u[d-1].
//
// The primitives that take from the free lists return a result code of
// journal.hpp (MESH_DONE, MESH_NO_NODE, MESH_NO_DOF) and leave everything as
// it was when a list runs out. Their writes go through the change journal.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

//// element helpers of the change routines ////

// nel has no sons.
bool is_active(int nel);
// No local node of active element nel is constrained: none of its
// neighbours is larger (what a split needs).
bool is_unconstrained(int nel);
// Order of the interior node of active element nel, 0 when it has none.
int interior_order(int nel);
// kinds(i) := the boundary number of side i of nel, 0 for a side with a
// neighbour (neig from neigbr).
void side_boundary_numbers(int nel, const Arr1<int, 8>& neig, Arr1<int, 4>& kinds);
// Column k (1..4) of a flat solution array.
double* column(double* u, int icolu, int k);
// Writes val[0..n-1] along the chain of node into column u, through the journal.
void write_chain(int node, int n, const double* val, double* u);
// After a change of the mesh neither the solution nor the estimate belongs to
// it: ISOLVD and IESTIM of cflags := 0.
void mesh_changed();

//// primitives ////

// A new node between nodes n1 and n2: a vertex (iord 1, value the mean of
// the two ends) or an edge node of order iord (values 0), on the curve of
// boundary KIND when it has one, else at the midpoint. nodof := node*100+iord.
int genod1(int n1, int n2, int iord, int& nodof, double* uold, double* unew, int icolu);
// genod1 for an edge node (iord >= 2) whose ends are given by position: p1
// and p2 stand for ends without a node (0), as a hanging vertex whose larger
// side has no node.
int genod1_between(int n1, int n2, const Arr1<double, 2>& p1, const Arr1<double, 2>& p2, int iord,
                   int& nodof, double* uold, double* unew, int icolu);
// A new node at the mean of the four vertex nodes nv: a vertex (iord 1, value
// the mean of the four) or an interior node of order iord (values 0).
int genod2(const Arr1<int, 4>& nv, int iord, int& nodof, double* uold, double* unew, int icolu);
// genod2 for an interior node (iord >= 2) at the mean of four positions.
int genod2_at(const Arr2<double, 2, 4>& pos, int iord, int& nodof, double* uold, double* unew,
              int icolu);
// Sets the order of node to iord (ntype 1 edge node, 2 interior node; iord at
// least 2), keeping the coefficients the new order holds and giving new ones
// 0. nodof := node*100+iord, left untouched when the dof count stays.
int modnod(int node, int iord, int ntype, int& nodof, double* uold, double* unew, int icolu);
// Splits edge node of the side n1-n2 (n1 the end where the side's coordinate
// is -1): node becomes the vertex in the middle (nodof), two new edge nodes
// of the same order take the halves n1-node (nodof1) and node-n2 (nodof2);
// the values reproduce the edge function exactly.
int split1(int node, int n1, int n2, int& nodof, int& nodof1, int& nodof2, double* uold,
           double* unew, int icolu);
// Returns node and its chain to the heads of the free lists (the system's
// `delete`). Coordinates and values stay where they were.
void delete_node(int node);
// ndof := length of the chain of node, last := its last dof.
void ndofr(int node, int& ndof, int& last);
// Takes node := the head of the free-node list with a chain of ndof dofs from
// the head of the free-dof list, without position or values; counts both.
int take_node(int ndof, int& node);

//// value rules, one component ////

void user1(int n1, int n2, int iord, double* val, const double* u);
void user2(const Arr1<int, 4>& nv, int iord, double* val, const double* u);
void user3(int node, int nold, int nnew, double* val, const double* u);
void user4(int node, int nold, int nnew, double* val, const double* u);
void user5(int node, int ndof, int n1, int n2, double& vmid, double* v1, double* v2,
           const double* u);

}  // namespace kavren
