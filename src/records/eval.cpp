// The one definition of each record of the expression evaluator.
#include "records/eval.hpp"

namespace kavren {

B1 b1;
B2 b2;
B3 b3;
B3a b3a;
B4 b4;
B5 b5;
B6 b6;
Calc1b calc1b;
Cvassn cvassn;
Ccompl ccompl;
Cstknw cstknw;
Cexpts cexpts;

}  // namespace kavren
