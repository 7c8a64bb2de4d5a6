// Debug switches of the instrumented routines and the frontal solver's print
// words that the breakpoint dialog sets.
#pragma once

#include "support/array.hpp"
#include "support/word.hpp"

namespace kavren {

constexpr int MAX_BREAK_NAMES = 20;  // user routine names of the breakpoint list

// Words 1..9 the solver stage switches (SOLIN21 .. BCELEM2), 10 and 11 unused,
// 12 SOLOUT, 13..32 the switches IUSRBK(1..20) of the user names.
struct Cdbg {
    Arr1<int, 32> IDBGSW;
    int& IUSRBK(int j) { return IDBGSW(12 + j); }
};
struct Cdbg1 {
    int NRBREAKS = 0;                        // user names given (at most 20)
    Arr1<Word8, MAX_BREAK_NAMES> LPRNAME;    // the names
};

// The frontal solver's control block; words 16..28 are a spare print word and
// the print switches IPFSS1 (17) .. IPFSXX (28).
struct Surfc1 {
    Arr1<int, 28> IWORD;
};

extern Cdbg cdbg;
extern Cdbg1 cdbg1;
extern Surfc1 surfc1;

}  // namespace kavren
