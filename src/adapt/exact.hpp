// The exact solution, from the evaluator variables OMEGA, OMEGAX, OMEGAY,
// OMEGAXX, OMEGAXY and OMEGAYY.
#pragma once

namespace kavren {

// u := OMEGA, du(0..1) := OMEGAX, OMEGAY, d2u (2 by 2, by columns) := the
// second derivatives, OMEGAXY in both off-diagonal places, at (x, y). x and y
// change only in the debug dialog.
void exact(double& x, double& y, double& u, double* du, double* d2u);

}  // namespace kavren
