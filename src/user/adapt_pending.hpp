// STUB: the EXECUTE driver's mesh level, removed when the MESH levels land.
#pragma once

namespace kavren {

// STUB: removed at merge. The EXECUTE driver's mesh level, entered with the
// record that chose it, until its END.
void meshwr(double* uold, double* unew, int icolu);

}  // namespace kavren
