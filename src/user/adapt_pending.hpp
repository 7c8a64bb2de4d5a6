// STUB: removed at merge. The refinement, the enrichment and the EXECUTE
// driver's mesh level that the driver and the adaptive steps call; they are
// being built with the mesh database's refinement and MESH levels, and this
// header gives way to theirs.
#pragma once

namespace kavren {

// STUB: removed at merge. Splits active element nel into four sons; 0 done,
// non-zero refused with a message.
int refine(int nel, double* uold, double* unew, int icolu);
// STUB: removed at merge. Splits active element nel into two sons in
// direction ixy; 0 done, non-zero refused with a message.
int refinexy(int nel, int ixy, double* uold, double* unew, int icolu);
// STUB: removed at merge. Raises active element nel to the order code
// nordsc; 0 done, non-zero refused with a message.
int enrich(int nel, int nordsc, double* uold, double* unew, int icolu);
// STUB: removed at merge. The EXECUTE driver's mesh level, entered with the
// record that chose it, until its END.
void meshwr(double* uold, double* unew, int icolu);

}  // namespace kavren
