// Start-up tables of the element computations: quadrature rules, the 1-D
// shape-function coefficients, the half-edge constraint coefficients and the
// 1-D integral tables. Built once, before the configuration is read; read-only
// afterwards.
#pragma once

namespace kavren {

// Factorials, the shape-function tables (setshape), the Gauss-Legendre rules
// with their tensor weights and the Gauss-Lobatto rules.
void cnst();
// Prints the banner of the shape functions; fills clagr, dlagr, elag and crrr.
void setshape();
// The 1-D mass and stiffness tables of chpint.
void cnsti();
// The stiffness projections of chpint1, from small band systems.
void cnsti1d();

}  // namespace kavren
