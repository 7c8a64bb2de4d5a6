// The one definition of the SOLVE entry's records.
#include "records/solver.hpp"

namespace kavren {

Ciaele ciaele;
Cxkyk cxkyk;
Celsize celsize;

}  // namespace kavren
