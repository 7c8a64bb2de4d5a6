// One reset of the state of a run.
#pragma once

namespace kavren {

// Returns every record a run changes to its value at program start: the
// command language and the reader, the calculator and the evaluator, the
// project and the user stamp, the window records, the mesh database and the
// generator, the element, solver, estimator, driver and save-file records,
// and the debug switches. The start-up tables (quadrature rules,
// shape-function coefficients, the 1-D matrices), which `cnst`, `cnsti` and
// `cnsti1d` build once and no run changes, stay. Open files stay open.
void reset_run();

}  // namespace kavren
