// The one definition of the save-file records.
#include "records/savefile.hpp"

namespace kavren {

Cbuff1 cbuff1;
Cbuff2 cbuff2;
Cdump cdump;
Cstore cstore;

}  // namespace kavren
