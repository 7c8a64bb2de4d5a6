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
// Words 1..15 are set by the solver's caller: the solve's shape (ISYM .. IASSEM),
// the result (IERR, pivot counts), the plan prints, the message unit and the
// prefront multiplier.
struct Surfc1 {
    Arr1<int, 28> IWORD;

    int& ISYM() { return IWORD(1); }     // 1 sym, 2 unsym, 3 unsym + re-solution, 4 sym + re-sol.
    int& NUMELM() { return IWORD(2); }   // number of elements
    int& IRESOL() { return IWORD(3); }   // 0 complete solution, 1 re-solution
    int& NRHS() { return IWORD(4); }     // number of right-hand sides
    int& MA() { return IWORD(5); }       // size of the work array handed to the solver
    int& IWRT() { return IWORD(6); }     // control word, not read by the solver
    int& IASSEM() { return IWORD(7); }   // 1 the solver assembles elements, 0 the call-back does
    int& IERR() { return IWORD(8); }     // error code, 0 success
    int& NNEGPV() { return IWORD(9); }   // negative pivots of the last elimination
    int& NPOSPV() { return IWORD(10); }  // positive pivots of the last elimination
    int& IPFSTM() { return IWORD(11); }  // print: storage plan, timings, buffer dumps
    int& IPFSPV() { return IWORD(12); }  // print: every pivot
    int& IPFSDV() { return IWORD(13); }  // print: destination codes and vectors
    int& NFSOUT() { return IWORD(14); }  // unit of the solver's messages
    int& NICMUL() { return IWORD(15); }  // multiplier of the node number in prefront entries
    int& IPFSS1() { return IWORD(17); }  // print: control block at entry
    int& IPFSST() { return IWORD(18); }  // print: per-element status lines
    int& IPFSLH() { return IWORD(19); }  // print: element matrix
    int& IPFSRH() { return IWORD(20); }  // print: element right-hand sides
    int& IPFSLF() { return IWORD(21); }  // print: assembled front matrix
    int& IPFSRF() { return IWORD(22); }  // print: assembled front right-hand sides
    int& IPFSZD() { return IWORD(23); }  // print: scratch-file trace, buffer pointers
    int& IPFSLE() { return IWORD(24); }  // print: front after each elimination
    int& IPFSRE() { return IWORD(25); }  // print: front right-hand sides after each elimination
    int& IPFSBF() { return IWORD(26); }  // print: first 40 words of each buffer
    int& IPFSBK() { return IWORD(27); }  // print: back-substitution details
    int& IPFSXX() { return IWORD(28); }  // print: element solutions
};

extern Cdbg cdbg;
extern Cdbg1 cdbg1;
extern Surfc1 surfc1;

}  // namespace kavren
