// The MESH command levels on the hp mesh: refine, unrefine and enrich single
// elements (by number, or picked in menu mode), all elements, the elements of
// an element set or along a boundary; draw the mesh. Every change is journaled
// as a typed command ("REFINE, n", "UNREFINE, n", "ENRICH, n, ORDER=k", ...)
// or, for a group, as the record itself, so that the command log replays it.
#pragma once

namespace kavren {

// The MESH level of GEOMETRY (and of POST): reads records (menu 16) up to
// its END. Refuses a database without a usable mesh before it reads.
void mesh(double* uold, double* unew, int icolu);
// The mesh level of the EXECUTE driver (menu 65): as mesh, with REFINEX and
// REFINEY, two-son unrefinement, five-digit order codes and NDIMEN (cndimen):
// NDIMEN other than 2 refines into two sons in direction 2. H lists the
// history but never starts a replay.
void meshwr(double* uold, double* unew, int icolu);

}  // namespace kavren
