// What the element kernel reads of the hp mesh database: the boundary
// description of an element's sides (decod2, through the seam bcelem_sides),
// an element's orders, geometry and solution values (for the solution readers
// nfesol ... ofesol1), and the boundary side meeting a side at one of its ends
// (for bcoef1).
//
// element_values and meeting_boundary_side answer from a test hook when one is
// installed, else from the mesh database.
#pragma once

namespace kavren {

// For each side i = 1..nside of element nel: kinds[i-1] its boundary kind
// (the kind given to its boundary number, or the number itself when none was
// given; 0 for a side shared with a neighbour) and kinds[nside+i-1] its
// boundary number (0 for a shared side).
void decod2(int nel, int nside, int* kinds);
// The boundary description bcelem reads: decod2 unless a test installs another.
using Decod2Source = void (*)(int nel, int nside, int* kinds);
extern Decod2Source bcelem_sides;

// An element as the solution readers need it: its order vector NORD(9), its
// geometry nodes XNOD(2,9), its number of functions per component and, for
// the four components, its values of one solution array in the order of its
// functions (component c from ue[81 (c-1)]).
struct ElementValues {
    int nord[9];
    double xnod[18];
    int ndofe;
    double ue[4 * 81];
};
// Fills ev for element nel from the new (which = 2) or old (which = 1)
// solution; false when the element cannot be read.
bool element_values(int nel, int which, ElementValues& ev);
using ElementValuesSource = bool (*)(int nel, int which, ElementValues& ev);
extern ElementValuesSource element_values_hook;

// The boundary side that meets side is of element nel at its end `end` (1 the
// start, 2 the end of the side taken counter-clockwise): the boundary number
// nb and the three nodes (end, middle, end, by columns, counter-clockwise) of
// side is, and those of the meeting side. False when no boundary side meets it.
bool meeting_boundary_side(int nel, int is, int end, int& nb, double* side, int& nb_other,
                           double* other);
using MeetingSideSource = bool (*)(int nel, int is, int end, int& nb, double* side, int& nb_other,
                                   double* other);
extern MeetingSideSource meeting_side_hook;

}  // namespace kavren
