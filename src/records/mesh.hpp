// The hp mesh database: element tree, nodes, degrees of freedom, free lists
// and the two solution arrays.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

struct Cdata {
    int NRELEM = 0;  // active elements: NRELIN + NRFAM
    int NRELIN = 0;  // initial elements
    int NRNODS = 0;  // nodes in use
    int NRDOF = 0;   // dofs in use
    int NRFAM = 0;   // families in use
};
// Heads of the free lists; 0 means empty.
struct Cpoint {
    int NPDOF = 0;  // first free dof (continues through NU)
    int NPNOD = 0;  // first free node (continues through NODPTR)
    int NPFAM = 0;  // first free family (continues through TREE(2,f))
};
// Nicknames of the 9 local nodes of the element in each slot.
struct Celem {
    Arr2<int, 9, MAXSLOT> NICK;
};
struct Ctree {
    // (1,f) father, 0 when free; (2,f) first-born son of son 1 (next free family
    // while free); (3,f) first-born son of son 2; (4,f) split direction; (5,f) 0.
    Arr2<int, 5, MAXFAM> TREE;
    Arr1<int, MAXIEL> NFSON;  // first-born son of each initial element, 0 while active
};
// Neighbouring initial element across each side, or minus the boundary number.
struct Cneig {
    Arr2<int, 4, MAXIEL> NEIG;
};
struct Cnode {
    Arr2<double, 2, MAXNOD> XNOD;  // x, y of each node
    Arr1<int, MAXNOD> NODPTR;      // first dof of a node in use; next free node otherwise
};
// Next dof of the same node (0 last); next free dof for a free dof.
struct Cnu {
    Arr1<int, MAXDOF> NU;
};
struct Icolu {
    int ICOLU = 0;  // rows per component of UOLD and UNEW (set by setcon)
};
// The previous and the newest solution, ICOLU rows per component.
struct Cuold {
    Arr2<double, ICOLU_ROWS, MXEQNS_MAX> UOLD;
};
struct Cunew {
    Arr2<double, ICOLU_ROWS, MXEQNS_MAX> UNEW;
};
struct Ceqsys {
    int NREQNS = 0;                        // equations (components in use)
    int MXEQNS = 0;                        // maximum number of equations (setcon makes it 4)
    Arr2<int, MXEQNS_MAX, MXEQNS_MAX> ICOUPL;  // coupling array
};
struct Csymet {
    int ISYMET = 0;  // 1 symmetric, 2 unsymmetric
};
// Mode of the solution transfer of p-enrichment and unrefinement: 1 carries
// values into UNEW as well as UOLD.
struct Cdec {
    int IDEC = 0;
};
// Boundary number of the side on which a node is being created (0 interior).
struct Cside {
    int KIND = 0;
};

extern Cdata cdata;
extern Cpoint cpoint;
extern Celem celem;
extern Ctree ctree;
extern Cneig cneig;
extern Cnode cnode;
extern Cnu cnu;
extern Icolu icolu;
extern Cuold cuold;
extern Cunew cunew;
extern Ceqsys ceqsys;
extern Csymet csymet;
extern Cdec cdec;
extern Cside cside;

}  // namespace kavren
