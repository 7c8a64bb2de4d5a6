// The BOUNDARY level (boundary numbers and names on grid lines, then the mesh
// completion at its END) and the SETS level (element sets and profiles).
#pragma once

namespace kavren {

// The BOUNDARY level. True when its END completed the mesh (false when a
// replay unwound it).
bool bcons();
// The SETS level.
void genset();
// IBCURV(ib) := the curve code shared by the interior nodes of one boundary
// line of region ir; icode := that code, 0 for a straight or mixed line.
void defgeom(int ib, int imin, int imax, int jmin, int jmax, int ir, int& icode);

// Completion steps: merge coincident nodes, put boundary numbers on element
// sides, find neighbours (ierr := 1 when a side is left open), compact the
// node numbers.
void ovrlap();
void setbc();
void frefac(int& ierr);
void adjust();

}  // namespace kavren
