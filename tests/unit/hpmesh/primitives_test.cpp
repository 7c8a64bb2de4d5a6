#include "hpmesh/primitives.hpp"

#include <gtest/gtest.h>

#include "hpmesh/journal.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"
#include "solution_probe.hpp"

namespace kavren::testing {
namespace {

using PrimitiveTest = MeshTest;

int nick(int k, int slot = 1) {
    return celem.NICK(k, slot);
}
int node(int k, int slot = 1) {
    return celem.NICK(k, slot) / 100;
}
double& old_at(int dof, int c) {
    return cuold.UOLD(dof, c);
}
double& new_at(int dof, int c) {
    return cunew.UNEW(dof, c);
}
std::vector<int> chain(int n) {
    std::vector<int> c;
    for (int d = cnode.NODPTR(n); d != 0; d = cnu.NU(d)) c.push_back(d);
    return c;
}
std::vector<int> free_head(int n) {
    std::vector<int> c;
    for (int d = cpoint.NPDOF; d != 0 && static_cast<int>(c.size()) < n; d = cnu.NU(d))
        c.push_back(d);
    return c;
}

// One unit square of order 1, its sides and interior then given nodes by the
// primitives, so that the mesh stays consistent.
TEST_F(PrimitiveTest, NewVertexAndEdgeAndInteriorNodes) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(1);
    cdec.IDEC = 1;
    const int nrnods = cdata.NRNODS, nrdof = cdata.NRDOF;

    // A vertex between vertices 1 and 3 takes the mean of their values.
    MeshTransaction t;
    int nodof = 0;
    ASSERT_EQ(genod1(node(1), node(3), 1, nodof, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    const int v = nodof / 100;
    EXPECT_EQ(nodof % 100, 1);
    EXPECT_DOUBLE_EQ(cnode.XNOD(1, v), 0.5);
    EXPECT_DOUBLE_EQ(cnode.XNOD(2, v), 0.5);
    for (int c = 1; c <= 4; ++c) {
        const int d1 = cnode.NODPTR(node(1)), d3 = cnode.NODPTR(node(3));
        EXPECT_DOUBLE_EQ(old_at(cnode.NODPTR(v), c), 0.5 * (old_at(d1, c) + old_at(d3, c)));
        EXPECT_DOUBLE_EQ(new_at(cnode.NODPTR(v), c), 0.5 * (new_at(d1, c) + new_at(d3, c)));
    }
    t.rollback();
    EXPECT_EQ(cdata.NRNODS, nrnods);

    // An edge node of order 4 on side 1: 3 dofs, all 0.
    ASSERT_EQ(genod1(node(1), node(2), 4, nodof, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    celem.NICK(5, 1) = nodof;
    EXPECT_EQ(nodof % 100, 4);
    ASSERT_EQ(chain(nodof / 100).size(), 3u);
    for (int d : chain(nodof / 100)) EXPECT_EQ(old_at(d, 2), 0.0);
    EXPECT_DOUBLE_EQ(cnode.XNOD(1, nodof / 100), 0.5);
    EXPECT_DOUBLE_EQ(cnode.XNOD(2, nodof / 100), 0.0);

    // An interior node of order 3: 4 dofs, all 0, at the mean of the vertices.
    Arr1<int, 4> nv;
    for (int k = 1; k <= 4; ++k) nv(k) = node(k);
    ASSERT_EQ(genod2(nv, 3, nodof, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    celem.NICK(9, 1) = nodof;
    ASSERT_EQ(chain(nodof / 100).size(), 4u);
    for (int d : chain(nodof / 100)) EXPECT_EQ(new_at(d, 4), 0.0);
    EXPECT_DOUBLE_EQ(cnode.XNOD(1, nodof / 100), 0.5);
    EXPECT_DOUBLE_EQ(cnode.XNOD(2, nodof / 100), 0.5);
    EXPECT_EQ(cdata.NRNODS, nrnods + 2);
    EXPECT_EQ(cdata.NRDOF, nrdof + 7);
    EXPECT_TRUE(database_consistent());
}

TEST_F(PrimitiveTest, ModnodKeepsWhatTheNewOrderHolds) {
    MeshBuilder b(1, 1);
    b.order(1, 3);
    b.edge_order(1, 1, 5);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(2);
    cdec.IDEC = 1;

    // Edge from order 5 to 3: the first two coefficients stay, the other two
    // dofs go to the head of the free list in chain order.
    const std::vector<int> edge = chain(node(5));
    ASSERT_EQ(edge.size(), 4u);
    const double keep0 = old_at(edge[0], 3), keep1 = new_at(edge[1], 3);
    const int nrdof = cdata.NRDOF;
    int nodof = nick(5);
    ASSERT_EQ(modnod(node(5), 3, 1, nodof, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    celem.NICK(5, 1) = nodof;
    EXPECT_EQ(nodof, node(5) * 100 + 3);
    EXPECT_EQ(chain(node(5)), (std::vector<int>{edge[0], edge[1]}));
    EXPECT_EQ(free_head(2), (std::vector<int>{edge[2], edge[3]}));
    EXPECT_EQ(cdata.NRDOF, nrdof - 2);
    EXPECT_EQ(old_at(edge[0], 3), keep0);
    EXPECT_EQ(new_at(edge[1], 3), keep1);

    // Interior from order 3 to 4: the 2 x 2 block lands at chain places
    // 1, 2, 4, 5 of the 3 x 3 block, the rest is 0.
    const std::vector<int> in = chain(node(9));
    double block[4];
    for (int i = 0; i < 4; ++i) block[i] = old_at(in[static_cast<std::size_t>(i)], 1);
    ASSERT_EQ(modnod(node(9), 4, 2, nodof, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    celem.NICK(9, 1) = nodof;
    const std::vector<int> grown = chain(node(9));
    ASSERT_EQ(grown.size(), 9u);
    const double want[9] = {block[0], block[1], 0, block[2], block[3], 0, 0, 0, 0};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(old_at(grown[static_cast<std::size_t>(i)], 1), want[i]);

    // The same dof count changes nothing and leaves the nickname alone.
    nodof = -7;
    ASSERT_EQ(modnod(node(9), 4, 2, nodof, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    EXPECT_EQ(nodof, -7);
    EXPECT_TRUE(database_consistent());
}

TEST_F(PrimitiveTest, Split1ReproducesTheEdgeFunction) {
    MeshBuilder b(1, 1);
    b.edge_order(1, 1, 2);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(3);
    const int e = node(5), n1 = node(1), n2 = node(2);
    // The edge node off the chord: the halves go onto the parabola.
    cnode.XNOD(2, e) = 0.2;
    cdec.IDEC = 0;
    const double unew_before = new_at(cnu.NU(cpoint.NPDOF), 1);
    const double coef = old_at(cnode.NODPTR(e), 1);
    const double ends = 0.5 * (old_at(cnode.NODPTR(n1), 1) + old_at(cnode.NODPTR(n2), 1));
    const int nrnods = cdata.NRNODS, nrdof = cdata.NRDOF;
    const int free1 = cpoint.NPDOF, next_dof = cnu.NU(free1);

    MeshTransaction t;
    int nodof = 0, h1 = 0, h2 = 0;
    ASSERT_EQ(split1(e, n1, n2, nodof, h1, h2, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    EXPECT_EQ(nodof, e * 100 + 1);
    EXPECT_EQ(h1 % 100, 2);
    EXPECT_EQ(h2 % 100, 2);
    EXPECT_EQ(cdata.NRNODS, nrnods + 2);
    EXPECT_EQ(cdata.NRDOF, nrdof + 2);
    EXPECT_DOUBLE_EQ(old_at(cnode.NODPTR(e), 1), ends + crrr.RRR(2, 1, 1) * coef);
    EXPECT_DOUBLE_EQ(old_at(cnode.NODPTR(h1 / 100), 1), crrr.RRR(2, 2, 1) * coef);
    EXPECT_DOUBLE_EQ(old_at(cnode.NODPTR(h2 / 100), 1), crrr.RRR(2, 2, 2) * coef);
    // IDEC 0: UNEW keeps what its rows held.
    EXPECT_EQ(new_at(next_dof, 1), unew_before);
    // Parabola through (0,0), (0.5,0.2), (1,0) at the quarter points.
    EXPECT_DOUBLE_EQ(cnode.XNOD(1, h1 / 100), 0.25);
    EXPECT_DOUBLE_EQ(cnode.XNOD(2, h1 / 100), 0.15);
    EXPECT_DOUBLE_EQ(cnode.XNOD(1, h2 / 100), 0.75);
    EXPECT_DOUBLE_EQ(cnode.XNOD(2, h2 / 100), 0.15);
    // Order 2: the halves take the first two free dofs.
    EXPECT_EQ(chain(h1 / 100), std::vector<int>{free1});
    EXPECT_EQ(chain(h2 / 100), std::vector<int>{next_dof});
    t.rollback();
    cnode.XNOD(2, e) = 0.0;
    EXPECT_TRUE(database_consistent());
}

TEST_F(PrimitiveTest, DeletedNodeIsTheNextOneMade) {
    MeshBuilder b(1, 1);
    b.order(1, 2);
    ASSERT_EQ(b.build(), "");
    const int interior = node(9);
    delete_node(interior);
    celem.NICK(9, 1) = 0;
    EXPECT_EQ(cpoint.NPNOD, interior);
    Arr1<int, 4> nv;
    for (int k = 1; k <= 4; ++k) nv(k) = node(k);
    int nodof = 0;
    ASSERT_EQ(genod2(nv, 2, nodof, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    EXPECT_EQ(nodof, interior * 100 + 2);
    celem.NICK(9, 1) = nodof;
    EXPECT_TRUE(database_consistent());
}

// An empty free list refuses and changes nothing, where the run used to stop.
TEST_F(PrimitiveTest, ExhaustedListsRefuseWithoutChange) {
    MeshBuilder b(1, 1);
    b.order(1, 3);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(4);
    cdec.IDEC = 1;
    int nodof = 0, h1 = 0, h2 = 0;

    // Two free dofs: split1 of the order-3 edge needs 3, genod1 of order 5
    // needs 4, the interior from order 3 to 4 needs 5.
    const std::vector<int> head = free_head(2);
    const int cut = head.back(), after = cnu.NU(cut);
    cnu.NU(cut) = 0;
    {
        DatabaseCopy before;
        EXPECT_EQ(genod1(node(1), node(2), 5, nodof, uold_flat(), unew_flat(), icolu.ICOLU),
                  MESH_NO_DOF);
        EXPECT_EQ(
            split1(node(5), node(1), node(2), nodof, h1, h2, uold_flat(), unew_flat(), icolu.ICOLU),
            MESH_NO_DOF);
        EXPECT_EQ(modnod(node(9), 4, 2, nodof, uold_flat(), unew_flat(), icolu.ICOLU), MESH_NO_DOF);
        EXPECT_TRUE(before.unchanged());
    }
    cnu.NU(cut) = after;

    // One free node: split1 needs two.
    const int n1 = cpoint.NPNOD, n2 = cnode.NODPTR(n1);
    cnode.NODPTR(n1) = 0;
    {
        DatabaseCopy before;
        EXPECT_EQ(
            split1(node(5), node(1), node(2), nodof, h1, h2, uold_flat(), unew_flat(), icolu.ICOLU),
            MESH_NO_NODE);
        EXPECT_TRUE(before.unchanged());
    }
    cpoint.NPNOD = 0;
    {
        DatabaseCopy before;
        EXPECT_EQ(genod1(node(1), node(2), 1, nodof, uold_flat(), unew_flat(), icolu.ICOLU),
                  MESH_NO_NODE);
        EXPECT_TRUE(before.unchanged());
    }
    cpoint.NPNOD = n1;
    cnode.NODPTR(n1) = n2;
    EXPECT_TRUE(database_consistent());
}

}  // namespace
}  // namespace kavren::testing
