// The records of the deformed-mesh drawing: the exaggeration of the
// displacements with what the drawing keeps between calls, and the outline
// points of the element being drawn.
#pragma once

#include "support/array.hpp"

namespace kavren {

constexpr int DEFORM_DOFS = 121;   // degree-of-freedom values of one element and component
constexpr int DEFORM_POINTS = 40;  // outline points of one element

struct Cdefor {
    double SCALE = 0.019999999552965164;  // factor of the displacements in a deformed picture
    Arr1<int, 9> LOC;                     // dofs of each local node of the current element
    int IROUT = 0;                        // 100 once graphd has run
    int IMESH = 1;                        // 1: graphd draws the undeformed outlines too
};

struct Cdefor2 {
    Arr1<double, DEFORM_DOFS> DOFY;          // local values of the y displacement
    Arr1<double, DEFORM_DOFS> DOFX;          // local values of the x displacement
    Arr2<double, 2, DEFORM_POINTS> SIDPT;    // undeformed outline points
    Arr2<double, 2, DEFORM_POINTS> DEFPT;    // deformed: x + SCALE dx, y + SCALE dy
    int NSIDPT = 1;                          // next free position of SIDPT and DEFPT
    int NDOFUE = 0;                          // local values of the current element
};

extern Cdefor cdefor;
extern Cdefor2 cdefor2;

}  // namespace kavren
