// The problem modules: the STANDARD and CUSTOM menus, the problem module menu,
// boundary kinds of customised problems, and the solver menu.
#pragma once

#include <string_view>

namespace kavren {

// The STANDARD menu (menu 19): ELASTICITY or HEAT, then the problem module.
void standard();
// The CUSTOM menu (menu 20): the customised problems of config.sys.
void custom();
// The problem module menu (menu 21, or 30 for a customised problem).
void process();
// PARAMS of a standard problem.
void setparam();
// BCONDS: the standard problems' extension points, or setbcs0.
void setbcs();
// KIND records of a customised problem: the boundary-kind table IBKIND.
void setbcs0();
// The solver menu (menu 29); a solve always leaves it.
void solve();
// The solution step with solver isol (1 frontal, 3 iterative); 0 when a
// solution was computed.
int getsoln(int isol);

// kinds(1..nside) := the boundary kind of each side of element nel and
// kinds(nside+1..2*nside) := its boundary number, both 0 for a side with a
// neighbour. A boundary number without a kind is its own kind.
void decod2(int nel, int nside, int* kinds);
// The same from the sides' boundary numbers (0 for a side with a neighbour).
void side_kinds(int nside, const int* nbound, int* kinds);

}  // namespace kavren
