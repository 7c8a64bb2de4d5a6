// The one definition of the GEOMETRY level's records.
#include "records/geometry.hpp"

namespace kavren {

Cgeost cgeost;
Cmshst cmshst;
Locals locals;
Cgendr cgendr;
Shp shp;

}  // namespace kavren
