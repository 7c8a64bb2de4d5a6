// The frontal solver: a prefront that plans the front from the elements' node
// entries, a forward pass that assembles element after element and eliminates
// every unknown as soon as its last element is in, buffers of eliminated
// equations that spill into scratch files, and a back substitution. The solver
// sees elements only through the call-backs below; its controls are in
// `surfc1` (records/debug.hpp), its state in `surfc2` (records/frontal.hpp).
//
// One solve: set `surfc1` (ISYM, NUMELM, IRESOL, NRHS, MA = size of IA, IASSEM,
// NFSOUT, NICMUL, the print flags), fill IA with the prefront entries and NNODE,
// call surfsp and check IERR; then set MA to the size of the double work array
// and call surfss. Every refusal leaves IERR non-zero and its message on unit
// NFSOUT; nothing stops the run.
#pragma once

#include <string_view>

namespace kavren {

// The solver's view of the elements. The caller plugs in its own routines;
// every one must be set before a solve.
struct FrontalCallbacks {
    // Keeps the n destination codes list(1..n) of element iel; entries(1..n)
    // are the element's prefront entries.
    void (*preout)(int iel, int n, const int* entries, const int* list) = nullptr;
    // Hands back element iel's codes: n := their number (0 skips the element),
    // andest(1..n) := the codes.
    void (*solin1)(int iel, int& n, double* andest) = nullptr;
    // Element iel in solver order. iask 2: the matrix into elk and the ndofm
    // loads per right-hand side into elr; iask 1 (re-solution): the loads only,
    // into elr. With IASSEM 0, elk and elr are the front matrix and the front
    // right-hand sides themselves and ddest carries its signs. A call-back that
    // cannot deliver its element sets IERR to FS_ELEMENT: the solve stops there.
    void (*solin2)(int iel, int iask, int ndofm, int nrhs, double* ddest, double* elk,
                   double* elr) = nullptr;
    // Takes element iel's solution: ndofm values per right-hand side in the
    // order of ddest (IASSEM 0: the front solution, MFW words a right-hand side).
    void (*solout)(int iel, int ndofm, int nrhs, const double* ddest,
                   const double* elsol) = nullptr;
};
extern FrontalCallbacks frontal_callbacks;

// IERR codes.
constexpr int FS_ROOM = 1;           // prefront work, or an element too large to assemble
constexpr int FS_ZERO_PIVOT = 2;     // pivot of magnitude at most 1e-30, or NaN
constexpr int FS_NO_RESOLUTION = 3;  // re-solution asked with ISYM 1 or 2
constexpr int FS_NO_RHS = 4;         // re-solution with no right-hand side
constexpr int FS_TOO_MANY_RHS = 5;   // re-solution buffer shorter than NRHS
constexpr int FS_BUFFER = 6;         // buffer too short, or a re-solution with less room
constexpr int FS_RHS_CHANGED = 7;    // re-solution with another number of right-hand sides
constexpr int FS_CODE_RANGE = 8;     // a destination code would reach 2^24
constexpr int FS_ELEMENT = 9;        // solin2 refused its element (set by the call-back)
// Scratch-file failures give 10 times the file code (10 open, 20 write, 30 read,
// 50 unknown command).

// Smallest multiplier (a power of ten, at least 100) that keeps a node's number
// of unknowns apart from its node number in prefront entries and destination
// codes. Every ordinary mesh gets 100.
int prefront_multiplier(int max_node_unknowns);

// Prefront: checks the room in IA(MA), computes every element's destination
// codes and hands them to preout. msym / muns: the work-array sizes a
// symmetric / unsymmetric solution needs without right-hand sides; mrhs: the
// size each right-hand side adds.
void surfsp(const int* nnode, int* ia, int& msym, int& muns, int& mrhs);
// The prefront proper: ibb gets one code per entry, iw is the element's
// elimination list; ntot := number of unknowns eliminated.
void desvec(const int* nnode, int* ia, int* ibb, int* iw, int& ntot);
// Decodes one element's ne codes: ddest(1..NDOFM) the front position of each
// unknown (negative when eliminated after the element), edest(1..nelim) the
// positions of its eliminations in order. Sets NDOFM and NFW of surfc2.
void dest(int ne, const double* andest, int& nelim, double* ddest, double* edest);

// Solution entry: IRESOL 0 the complete solution, 1 a re-solution, into A(MA).
void surfss(double* a);
// Complete solution: storage plan, forward elimination, back substitution.
void complt(double* a);
// Re-solution with new right-hand sides from the factors of the last
// complete solution with ISYM 3 or 4.
void resol(double* a);

// Positions in the fronts (not used by the solver itself): (i, j) in the
// packed symmetric front, coefficient j of equation i in the unsymmetric
// front, unknown j of right-hand side i in the front right-hand sides.
int locls(int i, int j);
int loclu(int i, int j);
int locr(int i, int j);

// The scratch-file layer: commands "OPEN" (len = buffer length), "WRITE"
// (buf(1..len) as record irec), "READ" (record irec, -1 for the highest
// written; len := its length), "CLOSE", for buffer "U", "B" or "L" of the
// current ISYM. ierr: 0, or 1 open, 2 write, 3 read, 5 unknown command.
void zdirio(std::string_view unname, std::string_view commnd, int& irec, int& len, double* buf,
            int& ierr);

// Counters of the last complete solution, for benchmarks and tests.
struct FrontalStats {
    // Multiply-adds of the front updates that the elimination needs: for
    // each pivot with c non-zero couplings c(c+1)/2 (symmetric) or the
    // products of its equation's and its column's non-zeros (unsymmetric).
    double madds = 0;
    double forward_seconds = 0;   // wall time of the forward elimination
    double backward_seconds = 0;  // wall time of the back substitution
};
extern FrontalStats frontal_stats;

}  // namespace kavren
