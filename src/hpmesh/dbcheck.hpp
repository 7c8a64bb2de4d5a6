// Structural checks of the hp mesh database: the element tree, the free
// lists, the node chains, the 1-irregular side relations and the constraints.
// The checks report what they find as messages and never stop the run, so
// that tests and the recovery of a save file can call them on any state.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

namespace kavren {

// How one side of an active element meets the rest of the mesh.
enum class SideKind { boundary, equal, small, large };

struct SideLink {
    SideKind kind = SideKind::boundary;
    int nb[2] = {0, 0};        // partners: one, or for a large side the one at the side's
                               // first vertex (vertex s) and then the other
    int nbside[2] = {0, 0};    // the partners' sides that face this one
    int bnum = 0;              // boundary number of a boundary side
    bool hang_at_end = false;  // small side: the hanging vertex is vertex s%4+1, not vertex s
};

// An active element with its box in its initial element's unit square (x
// along the first master axis, y along the second) and its four sides.
struct ActiveElement {
    int nel = 0;
    int slot = 0;
    int init = 0;
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
    std::array<SideLink, 4> side;
};

struct MeshTopology {
    std::vector<ActiveElement> elems;  // in tree order
    std::map<int, int> index;          // element number -> position in elems
    const ActiveElement& at(int nel) const {
        return elems[static_cast<std::size_t>(index.at(nel))];
    }
};

// Derives the active elements and the relation of every side from the tree
// and the initial-element neighbour table alone (not from the nicknames).
// Appends a message for everything that is not a consistent, 1-irregular
// tree; the topology is complete only when no message was added.
void mesh_topology(MeshTopology& topo, std::vector<std::string>& msgs);

// Every structural check of the database; empty when it is consistent.
std::vector<std::string> check_database();

}  // namespace kavren
