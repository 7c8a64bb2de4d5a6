// Element-level commands of the MESH levels: one mesh change to one element,
// behind the same two filters (a boundary number, the current element set),
// with an integer result the levels use to report, retry or skip. Each clears
// ISOLVD and IESTIM of cflags when it changes the mesh, and leaves everything
// as it was when it does not.
#pragma once

#include <string_view>

namespace kavren {

// Results of refel.
constexpr int REFEL_DONE = 0;
constexpr int REFEL_HAS_SONS = 1;      // already refined
constexpr int REFEL_FAMILY_RANGE = 2;  // a family number above MAXFAM
constexpr int REFEL_NO_FATHER = 3;     // a free family: no such element
constexpr int REFEL_BOUNDARY = 4;      // outside the boundary filter
constexpr int REFEL_SET = 5;           // outside the current element set
constexpr int REFEL_REFUSED = 6;       // refine refused it (a capacity; its message is out)

// Results of unrefel; negative results are the unrefinement's (unrefine.hpp).
constexpr int UNREFEL_DONE = 0;
constexpr int UNREFEL_ORDERS_CHANGED = 1;
constexpr int UNREFEL_INITIAL = 2;  // an initial element has no father
constexpr int UNREFEL_FAMILY_RANGE = 3;
constexpr int UNREFEL_NO_FATHER = 4;
constexpr int UNREFEL_HAS_SONS = 5;
constexpr int UNREFEL_BOUNDARY = 6;
constexpr int UNREFEL_SET = 7;

// Results of enrichel.
constexpr int ENRICHEL_DONE = 0;
constexpr int ENRICHEL_REFINED = 1;    // has sons: order not changed
constexpr int ENRICHEL_NO_FATHER = 2;  // no such element
constexpr int ENRICHEL_RAISED = 3;     // the order asked for was below 1: order 1 (changed)
constexpr int ENRICHEL_LOWERED = 4;    // the order asked for was above 8: order 8 (changed)
constexpr int ENRICHEL_UNCHANGED = 5;  // the new order is the current one
constexpr int ENRICHEL_BOUNDARY = 6;
constexpr int ENRICHEL_SET = 7;
constexpr int ENRICHEL_REFUSED = 8;  // enrich or unrich refused it (its message is out)

// Refines nel into four sons (and, first, the larger neighbours the
// 1-irregular rule needs). ibtyp: the boundary filter, 0 none. With
// REFEL_REFUSED, *code (when given) is the refusal's MESH_* code.
void refel(int nel, int ibtyp, double* uold, double* unew, int icolu, int& ierr,
           int* code = nullptr);
// Unrefines the father of active element nel: undoes the whole four-son split
// when the father is a half of one, else merges the father's two sons. The
// filters apply to the father. Negative results: the unrefinement's status.
void unrefel(int nel, int ibtyp, double* uold, double* unew, int icolu, int& ierr);
// Sets the interior order of nel to k (iabs not 0) or raises it by k (iabs
// 0), clipped to 1..8: enrich when it rises, unrich when it falls. With
// ENRICHEL_REFUSED, *code (when given) is the refusal's MESH_* code.
void enrichel(int nel, int ibtyp, double* uold, double* unew, int icolu, int k, int iabs, int& ierr,
              int* code = nullptr);
// A command on a group of elements that stopped at element nel, refused for
// a capacity (code, a MESH_* code), after changing `changed` elements that
// stay changed: one error line saying how far it got, such as
// "REFINE,GLOBAL STOPPED AT ELEMENT 7987: NO ELEMENT SLOT LEFT (16000 SLOTS);
// 3897 ELEMENTS WERE REFINED".
void group_stopped(std::string_view command, int nel, int code, int changed, std::string_view verb);

// The element whose unrefinement unrefel would ask for on behalf of active
// element nel: its father, or the father's father when the father is a half
// of a four-son split; 0 for an initial element.
int unrefel_target(int nel);
// nel names an element of the tree (an initial element, or a son of a family
// in use).
bool element_exists(int nel);
// nel (father or active) has a side on boundary number ibtyp (0: every
// element passes).
bool passes_boundary(int nel, int ibtyp);
// nel's initial ancestor is in the current element set (set 1: every element).
bool passes_set(int nel);

}  // namespace kavren
