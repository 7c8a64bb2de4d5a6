// Start-up tables of the element computations.
#pragma once

namespace kavren {

// Quadrature rules, factorials and the half-edge coefficients.
void cnst();
// Further one-dimensional integral tables.
void cnsti();
// Further one-dimensional tables from small band systems.
void cnsti1d();

}  // namespace kavren
