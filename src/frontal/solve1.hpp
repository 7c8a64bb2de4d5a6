// The SOLVE entry of the frontal solver and its call-backs, which show the
// solver the active elements of the mesh database.
#pragma once

namespace kavren {

// Solves the current problem on the current mesh into UNEW. On success
// ISOLVD, IESTIM, ISOLVR := 1, 0, 1 and the result is 0. A refused solve
// (no usable mesh, a solver error, an element the element routines refuse)
// shows its messages, leaves UNEW and the flags as they were with ISOLVD
// cleared, and returns non-zero; the run goes on.
int solve1();

// The call-backs (frontal.hpp), iel being the position of an element in the
// tree order of the last solve1.
// Keeps element iel's destination codes list(1..n) in cdesve.
void preout(int iel, int n, const int* entries, const int* list);
// Hands back element iel's codes through single precision.
void solin1(int iel, int& n, double* andest);
// Element iel's matrix (iask 2) and load in solver order: unknown
// (c-1) NREQNS + k for local dof c and component k; the matrix as the packed
// lower triangle by rows when the problem is symmetric, full by rows
// otherwise. iask 1 writes the load alone.
void solin2(int iel, int iask, int ndofm, int nrhs, double* ddest, double* elk, double* elr);
// Writes element iel's solution into UNEW through each node's dof chain.
void solout(int iel, int ndofm, int nrhs, const double* ddest, const double* elsol);

}  // namespace kavren
