// The one definition of each record of the element computations.
#include "records/fem.hpp"

namespace kavren {

Cint cint;
Cint1 cint1;
Cint1l cint1l;
Crrr crrr;
Clagr clagr;
Dlagr dlagr;
Elag elag;
Cfact cfact;
Chpint chpint;
Chpint1 chpint1;
Cmelem cmelem;
Cbelem cbelem;
Celsize1 celsize1;
Celsize2 celsize2;
Cboint cboint;
Csymtr csymtr;

}  // namespace kavren
