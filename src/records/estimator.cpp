// The one definition of the estimator's private records.
#include "records/estimator.hpp"

namespace kavren {

Cmelemb cmelemb;
Cdelemb1 cdelemb1;
Cdelemb2 cdelemb2;
Cblank cblank;
Cxk cxk;
Cestdbg cestdbg;
ErrorAreaPoints cerrcon;
ErrorAreaPoints cerr1;
Cerrconb cerrconb;
ErrorSidePoints cerrconc;
ErrorSidePoints cerr3;

}  // namespace kavren
