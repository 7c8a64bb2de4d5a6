// Tree services of the hp mesh database: the walk over the active elements,
// slots, families, levels, neighbours across sides, element sets and
// boundary numbers, and the node visit mark of whole-mesh walks.
#pragma once

#include <functional>
#include <string_view>

#include "support/array.hpp"

namespace kavren {

// The active element after nel in tree order; 0 gives the first. Asking for
// the element after the last one ends the run.
int nelcon(int nel);
// The slot of any element, father or active.
void findno(int nel, int& nslot);
// Family and son index (1 or 2) of an element above NRELIN.
void faminf(int nel, int& nfam, int& nson);
// First-born son, 0 for an active element.
void findfs(int nel, int& nfson);
// Families above nel and its initial ancestor.
void findlv(int nel, int& lev, int& nelorg);
// Families of direction 2 (levx) and 1 (levy) above nel, and its initial ancestor.
void findlvxy(int nel, int& levx, int& levy, int& nelorg);
// The active neighbours of active element nel across each side: neig(i) the
// one at vertex i (or along the whole side), neig(i+4) a second smaller one.
void neigbr(int nel, Arr1<int, 8>& neig);
// The side of neig(iside) that faces nel; nside is left alone when the
// initial-element table names no such side.
void findsn(int nel, const Arr1<int, 8>& neig, int iside, int& nside);
// iin := 1 when nel's initial ancestor is in the current element set.
void findst(int nel, int& iin);
// A set whose list holds nel's initial ancestor, 1 when none.
void findse(int nel, int& iset);
// Boundary number of side iside of nel, a side without neighbour; 0 for nel 0.
void findty(int nel, int iside, int& ibtyp);
// The same answers as values, for expressions.
int slot_of(int nel);    // findno
int family_of(int nel);  // the family of faminf
int father_of(int nel);  // the father of a son element
int first_son(int nel);  // findfs
// Node and order of a nickname (node*100 + order; decode).
int node_of(int nick);
int order_of(int nick);
// Walking the tree backwards was never finished: it stops the run.
[[noreturn]] void nelbac(int nel);

// A fatal inconsistency of the database: the message goes to ERRMSG, the
// report to the error file, and the run ends naming the routine.
[[noreturn]] void mesh_fatal(std::string_view routine, std::string_view message);

// Whole-mesh node walk: visits the active elements in tree order and calls
// fn(nel, slot, k, node) for local node k of the first element that names the
// node with a positive nickname. Nodes are marked by negating NODPTR during
// the walk and every mark is lifted at its end; fn must not read NODPTR of
// other nodes as dof pointers.
void walk_nodes_once(const std::function<void(int nel, int slot, int k, int node)>& fn);
// Makes every NODPTR entry positive again (the end of a node walk).
void clear_node_marks();

// The guard of every step that needs a mesh: 0 when the database holds a usable
// mesh, else 1 after an error naming why (the last GEOMETRY was not handed over,
// or no mesh was ever defined).
int check_usable_mesh();

}  // namespace kavren
