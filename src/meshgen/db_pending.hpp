// The hp database routines the mesh generator calls. STUB: the hp database
// declares these in its own headers; this file is removed at merge and its
// includes point there instead.
#pragma once

namespace kavren {

// Counters and free-list heads of a newly stored initial mesh; icolu := 128000.
void setcon(int& icolu);
// Free lists of nodes, dofs and families of a newly stored initial mesh.
void setvec();
// The active element after nel in tree order (0 gives the first).
int nelcon(int nel);
// nslot := the slot of element nel.
void findno(int nel, int& nslot);

}  // namespace kavren
