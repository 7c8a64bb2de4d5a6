// The frontal solver's records: its internal state, its work arrays and the
// destination codes that the prefront leaves for the element call-backs.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

// The solver's internal state between its routines and from a complete
// solution to the re-solutions that reuse its factors.
struct Surfc2 {
    int IB = 0;      // next free word of the right-hand-side buffer (re-solution)
    int IU = 0;      // next free word of the U buffer (eliminated equations)
    int IL = 0;      // next free word of the L part, counting down from MBUF (ISYM 3)
    int IFB = 0;     // right-hand-side records written
    int IFU = 0;     // U records written
    int IFL = 0;     // L records written
    int MBUF = 0;    // length of the buffer area
    int MW = 0;      // element area plus front area
    int MKF = 0;     // length of the front matrix
    int MELEM = 0;   // length of the element area
    int MFWR = 0;    // length of the front area (matrix and right-hand sides)
    int MBUFB = 0;   // length of the right-hand-side buffer of a re-solution
    int MDOF = 0;    // largest number of unknowns of one element
    int MLDEST = 0;  // largest number of node entries of one element
    int NRHSF = 0;   // right-hand sides stored with the factors
    int NTDEST = 0;  // total number of node entries
    int NFW = 0;     // current front width
    int KFW = 0;     // front width while the current element is reduced
    int LFW = 0;     // front width left by the previous element
    int NDOFM = 0;   // unknowns of the current element
    int MFW = 0;     // largest front width
    int IUDUMP = 0;  // 1 once a U record has been written to its scratch file
    int LASTU = 0;   // length of the last U buffer when it stayed in core
    int LASTIN = 0;  // 1 when the last U buffer (record IFU) stayed in core
    int MBUF3 = 0;   // MBUF of the last complete solution with ISYM 3
    int MBUF4 = 0;   // MBUF of the last complete solution with ISYM 4
    int MW3 = 0;     // MW of the last complete solution with ISYM 3
    int MW4 = 0;     // MW of the last complete solution with ISYM 4
    // Right-hand sides of the last complete solution with ISYM 3 and 4: a
    // re-solution must ask for as many, since its factor records carry them.
    int NRHS3 = 0;
    int NRHS4 = 0;
};

// The double work array of the solution; the plots borrow it between solves.
struct Cwrksp {
    Arr1<double, MA_SOLVE> WORK;
};

// The prefront's integer work IA (entries, codes, elimination list) and the
// number of node entries of each element; the MESH levels reuse NNODE as a
// pick list between solves.
struct Ciwork {
    Arr1<int, MA_PREFRONT> IA;
    Arr1<int, MAXSLOT> NNODE;
};

// Destination codes of each element, kept by preout for solin1.
struct Cdesve {
    Arr2<int, MAX_DEST_ROWS, MAXSLOT> IDES;
    Arr1<int, MAXSLOT> NDES;
};

extern Surfc2 surfc2;
extern Cwrksp cwrksp;
extern Ciwork ciwork;
extern Cdesve cdesve;

}  // namespace kavren
