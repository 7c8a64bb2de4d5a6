#include "fem/mesh_seams.hpp"

namespace kavren {

Decod2Source bcelem_sides = &decod2;
ElementValuesSource element_values_hook = nullptr;
MeetingSideSource meeting_side_hook = nullptr;

bool element_values(int nel, int which, ElementValues& ev) {
    if (element_values_hook != nullptr) return element_values_hook(nel, which, ev);
    // STUB: findno, decode (orders), solelm (values of each component of UOLD
    // or UNEW) and nodcor (geometry) of the mesh database.
    return false;
}

bool meeting_boundary_side(int nel, int is, int end, int& nb, double* side, int& nb_other,
                           double* other) {
    if (meeting_side_hook != nullptr)
        return meeting_side_hook(nel, is, end, nb, side, nb_other, other);
    // STUB: neigbr, findty and nodcor of the mesh database (the adjacent side
    // of the same element when no neighbour lies across that end, else the
    // neighbour's side).
    return false;
}

}  // namespace kavren
