// STUB: the evaluator work defines these; removed at merge
// The breakpoint dialog owns the frontal solver's control block; until that
// work lands, the solver defines it here so that it links on its own.
#include "records/debug.hpp"

namespace kavren {

Surfc1 surfc1;

}  // namespace kavren
