// Tables of the mesh generator: nodes on logical grids of regions, element
// blocks, element sets, profiles, boundary lines and curves.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"
#include "support/word.hpp"

namespace kavren {

// Generator nodes and the slots that place them on region grids.
struct Cnodet {
    Arr1<double, MAXGNOD> XGEN;  // x of generator node n
    Arr1<double, MAXGNOD> YGEN;  // y of generator node n
    Arr1<int, MAXGNOD> IG;       // logical I of slot s
    Arr1<int, MAXGNOD> JG;       // logical J of slot s
    Arr1<int, MAXGNOD> NODG;     // node held by slot s
    Arr1<int, MAXGNOD> ICURV;    // curve code of slot s
    Arr1<int, MAXGNOD> NEXTG;    // next slot of the region's list, or next free slot
    Arr1<int, MAXREG> IHEAD;     // first slot of region r's list
    int IFREE = 0;               // first free slot
};
struct Ccon {
    int NNODG = 0;  // node numbers given out so far
    int NELG = 0;   // elements generated so far
    int NPEG = 0;   // nodes per element of the current block (4 or 9, 0 none)
};
struct Ccon2 {
    Arr1<int, 7301> NPELEM;  // 4 or 9 for each generated element
};
// Neighbour of each generated element across each side, minus the boundary
// number, or 0 while unknown.
struct Idfc {
    Arr2<int, 4, MAXGEL> NEIGG;
};
// Element blocks: IMIN, far I bound, JMIN, far J bound, first and last element.
struct Elemij {
    Arr2<int, MAXBLOCK, 14> IJBLK;
};
struct Cregio {
    Arr1<Word8, MAXREG> REGNAME;  // region name, blank for one defined by number
    Arr1<int, MAXREG> NUMREG;     // user number of a region defined by number
    int NREG = 0;                 // regions defined
    int IREG = 0;                 // current region index
    int IFROM = 0;                // source region of FROM=
};
struct Csetf {
    Arr1<Word8, MAXSET> SETNAM;  // set name; set 1 is "MESH"
    Arr1<int, MAXSET> ISFRST;    // first pool entry of each set's list (0 = not defined)
    Arr1<int, MAXSET> ISLAST;    // the empty end entry of each list
    int NSET = 0;                // sets defined
    int ISCUR = 0;               // current set: 1 every element, 0 none
    int ISSEC = 0;               // the set selected in mode -2
    Arr1<int, SET_POOL> ISELEM;  // initial element of a pool entry
    Arr1<int, SET_POOL> ISNEXT;  // next entry of the list, or next free entry
    int ISFREE = 0;              // first free pool entry
    int ISHIGH = 0;              // highest value ISFREE has had
};
struct Cprofi {
    Arr1<Word8, MAXPROF> PRFNAM;
    Arr1<int, MAXPROF> IPFRST;
    Arr1<int, MAXPROF> IPLAST;
    int NPROF = 0;
    int IPCUR = 0;  // current profile, 0 none
    int IPSEC = 0;
    Arr1<int, PROF_POOL> IPELEM;  // initial element
    Arr1<int, PROF_POOL> IPSIDE;  // side 1..4 of that element
    Arr1<int, PROF_POOL> IPNEXT;
    int IPFREE = 0;
    int IPHIGH = 0;
};
// Boundary lines: number (stored negative), I and J bounds, region index.
struct Cbcons {
    int NBLIN = 0;
    Arr1<int, MAXBLIN> IBND;
    Arr1<int, MAXBLIN> IMINB;
    Arr1<int, MAXBLIN> IMAXB;
    Arr1<int, MAXBLIN> JMINB;
    Arr1<int, MAXBLIN> JMAXB;
    Arr1<int, MAXBLIN> IREGB;
};
struct Cbcons1 {
    Arr1<Word8, MAX_BOUNDARY> BNAME;  // name of boundary number b
};
struct Cbcons2 {
    int LASTBC = 0;  // boundary number of the last BOUNDARY= record
};
struct Celem0 {
    Arr2<int, 4, MAXIEL> NICK0;  // vertex nicknames of the initial elements as handed over
};
// Curves: ellipse arcs and splines on which refinement places new nodes.
struct Cgeomtyp {
    int ICTYPE = 0;              // type of the curve under generation: 0, 1 ellipse, 2 spline
    int NCURV = 0;               // last curve stored
    Arr1<double, MAXGEOM> GEOM;  // pool of curve records
    int NXTGEO = 1;              // next free entry of GEOM
    Arr1<int, MAXCURV> IPGEOM;   // first entry of curve c's record
    Arr1<int, MAXCURV> NPGEOM;   // -5 for an ellipse; the number of points of a spline
    Arr1<int, MAX_BOUNDARY + 1> IBCURV;  // curve code of boundary number b, 0 straight
};

// The spline last prepared: chord-length parameters of its points and its knots.
struct X1 {
    Arr1<double, MAXSPLPT> U;  // parameter u_i of point i
};
struct Noeud {
    Arr1<double, NOEUD_SIZE> T;  // knots 1..N+K; the interior knots again from entry 106
};
// Message unit (0 silences the messages) and error code of a spline routine.
struct SplineStatus {
    int LP = 6;
    int IERR = 0;
};

extern Cnodet cnodet;
extern Ccon ccon;
extern Ccon2 ccon2;
extern Idfc idfc;
extern Elemij elemij;
extern Cregio cregio;
extern Csetf csetf;
extern Cprofi cprofi;
extern Cbcons cbcons;
extern Cbcons1 cbcons1;
extern Cbcons2 cbcons2;
extern Celem0 celem0;
extern Cgeomtyp cgeomtyp;
extern X1 x1;
extern Noeud noeud;
extern SplineStatus tb06b;  // of tb06a
extern SplineStatus tg04b;  // of tg04a

}  // namespace kavren
