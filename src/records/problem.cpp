// STUB: replaced by the problem modules' definitions of their records.
#include "records/problem.hpp"

namespace kavren {

Ceqsys ceqsys;
Csymet csymet;

}  // namespace kavren
