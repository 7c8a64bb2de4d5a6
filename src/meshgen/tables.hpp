// The generator's tables: resets, the name-or-number look-ups of regions,
// element sets and profiles, the set and profile lists, and the node table
// that places generator nodes on the (I, J) grids of regions.
#pragma once

#include <string_view>

namespace kavren {

// Modes of fregion, fset and fprof on entry.
constexpr int LOOKUP_DEFINE = 1;   // any value >= 0: define a new one, make it current
constexpr int LOOKUP_SELECT = -1;  // make an existing one current
constexpr int LOOKUP_SECOND = -2;  // make an existing one the second (FROM) one

// Resets of the region, element-set and profile tables.
void cregion();
void csets();
void cprofs();
// Empties the generator node table (no slot in use) and the curve state.
void reset_node_table();

// Field ipos of the current record names or numbers a region, set or profile.
// mode on return: 0 done, 1 refused (a message has been written).
void fregion(int ipos, int& mode);
void fset(int ipos, int& mode);
void fprof(int ipos, int& mode);

// Appends an element (and side) to the current set or profile.
void addset(int iel);
void addprof(int iel, int iside);
// True when the list of set iset holds generated element iel.
bool set_holds(int iset, int iel);
// Free pool entries of the set and profile lists.
int free_set_entries();
int free_profile_entries();

// Node table: mode 1 node := the node at (i, j) of region ir, 0 if none;
// mode 2 registers node at (i, j) of region ir.
void fref(int i, int j, int ir, int& node, int mode);
// The first slot that carries node: its grid point, region and curve code;
// i, j, ir := 0 (icode kept) when none carries it.
void fnref(int node, int& i, int& j, int& ir, int& icode);
// Free slots of the node table.
int free_slots();

// The one message of a generator table that a command would overflow.
void table_full(std::string_view what, int limit);

}  // namespace kavren
