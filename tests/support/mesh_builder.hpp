// A test-only builder of hp meshes: initial elements on a grid of squares,
// refined families, hanging nodes and mixed orders, written straight into the
// database records (nodes and dofs taken from the free lists in tree order),
// for tests that need such meshes without the refinement routines.
//
//     MeshBuilder b(2, 1);          // two unit squares side by side
//     auto sons = b.split4(2);      // element 2 into four sons: hanging nodes on element 1
//     b.order(1, 3);                // interior order 3; edges take the largest touching order
//     ASSERT_EQ(b.build(), "");     // then EXPECT_TRUE(database_consistent())
#pragma once

#include <array>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "hpmesh/dbcheck.hpp"

namespace kavren::testing {

// Clears every record of the mesh database and the records the mesh services
// read (element sets, curves, the element work record); one equation.
void reset_database();

class MeshBuilder {
  public:
    // nx by ny initial elements, element (i, j) numbered (j-1)*nx + i, each
    // the square [i-1, i] x [j-1, j] in logical coordinates, all with the same
    // local axes; boundary numbers 1 bottom, 2 right, 3 top, 4 left. Runs the
    // set-up, so the free lists start full.
    MeshBuilder(int nx, int ny);

    // Boundary numbers of the four outer sides (before build).
    void boundary_numbers(int bottom, int right, int top, int left);
    // Splits active element nel in direction ixy (one family from the free
    // list); returns its first-born son.
    int split(int nel, int ixy);
    // Splits nel only when the mesh stays 1-irregular; false (and nothing
    // changed) otherwise.
    bool try_split(int nel, int ixy);
    bool try_split4(int nel);
    // Splits nel into four sons as the refinement does (three families);
    // returns the sons at nel's vertices 1..4.
    std::array<int, 4> split4(int nel);
    // Interior order of an active element (default: the default order).
    void order(int nel, int p);
    void default_order(int p);
    // Order of side s of nel; for a side shared with a larger element set it
    // on the larger one. Unset sides take the largest interior order of the
    // elements that touch them.
    void edge_order(int nel, int s, int p);
    // Physical position of a logical point (default: the point itself).
    void map(std::function<std::array<double, 2>(double, double)> f);

    // Writes nodes, dofs, nicknames and coordinates. Returns "" or the
    // messages of the topology (an inconsistent tree or not 1-irregular).
    // allow_hanging_wall_ends writes a mesh whose walls end in hanging
    // vertices, a state the constraint logic cannot represent everywhere.
    std::string build(bool allow_hanging_wall_ends = false);

    // After build: the logical box (x0, x1, y0, y1) of an active element and
    // the logical point of its master point (xi, eta).
    std::array<double, 4> box(int nel) const;
    std::array<double, 2> logical(int nel, double xi, double eta) const;
    const MeshTopology& topology() const { return topo_; }

  private:
    int interior(int nel) const;
    int side_order(const ActiveElement& a, int s) const;
    int nx_, ny_;
    int default_p_ = 1;
    std::array<int, 4> bnum_{1, 2, 3, 4};
    std::map<int, int> order_;
    std::map<std::pair<int, int>, int> edge_;
    std::function<std::array<double, 2>(double, double)> map_;
    MeshTopology topo_;
};

// Gives every dof in use random values in all four components of UOLD and UNEW.
void fill_random_solution(unsigned seed);

}  // namespace kavren::testing
