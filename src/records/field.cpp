// The one definition of the field plot records.
#include "records/field.hpp"

namespace kavren {

Cfield cfield;
Cworksp cworksp;

}  // namespace kavren
