// Boundary lines and boundary names of the mesh generator. Empty until the
// generator's BOUNDARY level fills them; the boundary-kind input of customised
// problems and the MESH level read them.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"
#include "support/word.hpp"

namespace kavren {

struct Cbcons {
    int NBLIN = 0;                  // boundary lines defined
    Arr1<int, MAX_BOUNDARY> IBND;   // boundary number of line l, stored negative
    Arr1<int, MAX_BOUNDARY> IMINB;  // I bounds of line l (IMINB = IMAXB or JMINB = JMAXB)
    Arr1<int, MAX_BOUNDARY> IMAXB;
    Arr1<int, MAX_BOUNDARY> JMINB;  // J bounds of line l
    Arr1<int, MAX_BOUNDARY> JMAXB;
    Arr1<int, MAX_BOUNDARY> IREGB;  // region index of line l
};
struct Cbcons1 {
    Arr1<Word8, MAX_BOUNDARY> BNAME;  // name of boundary number b; blank for one given by number
};

extern Cbcons cbcons;
extern Cbcons1 cbcons1;

}  // namespace kavren
