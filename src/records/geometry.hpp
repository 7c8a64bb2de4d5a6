// State of the GEOMETRY level, the work tables of the mesh completion and the
// mark of a database that holds no usable mesh.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

// The GEOMETRY level's state, kept between its calls for the whole run.
struct Cgeost {
    int IBLOCKN = 0;  // node-generation commands so far; 0 = no nodes yet
    int IBLOCKE = 0;  // element blocks so far; 0 = no elements yet
    int IBOUND = 0;   // 1 once BOUNDARY or FILE= has completed the mesh
    int IFL = 0;      // 1 once the mesh has been handed over to the hp database
};
// Set when a generated mesh was refused at the hand-over: the database's
// element records then hold generator data, not a mesh. SOLVE and MESH refuse
// to work on it.
struct Cmshst {
    int INOMSH = 0;  // 1 when the database holds no usable mesh
};
// Node merge of the mesh completion.
struct Locals {
    Arr2<double, 3, MAXGNOD> SORTXY;  // (node number, x, y) per generator node, sorted by x
    Arr2<int, 2, MAXGNOD> IPAIR;      // pair p: (merged node, kept node)
    int NPAIR = 0;                    // pairs found
};
// What one generator drawing keeps for the run.
struct GenDrawKept {
    int IDRAWN = 0;  // 100 once it has drawn; before that ZOOM is ignored
    int IZOOM = 0;   // 1 while a zoom window is in force
    double XMIN = 0.0, YMIN = 0.0, XMAX = 0.0, YMAX = 0.0;  // the window shown
    int LABEL = 0;  // node grid only: 0 no labels, 1 (I, J), 2 region index
};
struct Cgendr {
    GenDrawKept MESH;   // the element mesh (graphm)
    GenDrawKept NODES;  // the node grid (graphn)
};
// Shape functions of the node grid map.
struct Shp {
    Arr1<double, 10> SHP;
};

// Unit of the grid files and the initial-mesh file. Not the include unit
// (LUAUX): a GEOMETRY END read from an include file must not close it.
constexpr int LUGRID = 71;

extern Cgeost cgeost;
extern Cmshst cmshst;
extern Locals locals;
extern Cgendr cgendr;
extern Shp shp;

}  // namespace kavren
