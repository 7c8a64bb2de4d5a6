// Set-up of a new database over an initial mesh, the exchange of the two
// solutions, the reader of an initial mesh in the database's own layout, and
// the prints of the database and of the element solutions.
#pragma once

namespace kavren {

// Sets the counters and free-list heads of a database whose initial mesh
// stands in the records; icolu := 128000.
void setcon(int& icolu);
// Builds the free lists of nodes, dofs and families (after setcon); clears
// the whole family table, so that no family of an earlier mesh survives.
void setvec();
// Exchanges UOLD and UNEW at every dof of the mesh, components 1..NREQNS.
void transfer(double* uold, double* unew, int icolu);

// An initial mesh of nrelin elements and nrnods nodes fits the set-up: at most
// MAXIEL elements and MAX_INITIAL_NODES nodes. Otherwise writes
// "PARAMETER MAXIEL TOO SMALL!" or "PARAMETER MAXNOD TOO SMALL!" as an error
// message and returns 1; 0 when it fits. Every caller of the set-up asks first.
int check_initial_capacity(int nrelin, int nrnods);

// Reads an initial mesh from "data/" + field 2 of the current record; the file
// is read and checked in full before the database changes. 0 done, 1 refused
// (a message has been written, the database is untouched).
int data(double* uold, double* unew, int& icolu);
// Clears the element, neighbour, tree, node and solution records.
void initilz(double* uold, double* unew);
// Prints the whole database on the error file.
void result(double* uold, double* unew, int icolu);
// Prints the local values of every active element on the error file.
void wrtsol(double* uold, double* unew, int icolu);

}  // namespace kavren
