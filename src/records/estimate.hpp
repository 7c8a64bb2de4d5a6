// The saved error-estimate store, carried by the save file together with one
// integer of its own.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

struct Cerrest {
    // Estimates of the element at position i of the tree order (nelcon).
    Arr2<double, MAXSLOT, NEST_ELEMENT> ERREL;
    Arr1<double, NEST_GLOBAL> ERRGL;  // global estimates
};
// One integer written and read with the estimates; nothing else uses it.
struct Cerresi {
    int IERRES = 0;
};

extern Cerrest cerrest;
extern Cerresi cerresi;

}  // namespace kavren
