#include "hpmesh/refine.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "hpmesh/enrich.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/refinexy.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "solution_probe.hpp"

namespace kavren::testing {
namespace {

using RefineTest = MeshTest;

int do_refine(int nel) {
    return refine(nel, uold_flat(), unew_flat(), icolu.ICOLU);
}

std::vector<int> chain(int n) {
    std::vector<int> c;
    for (int d = cnode.NODPTR(n); d != 0; d = cnu.NU(d)) c.push_back(d);
    return c;
}

std::array<int, 9> nicks(int slot) {
    std::array<int, 9> a{};
    for (int k = 1; k <= 9; ++k) a[static_cast<std::size_t>(k - 1)] = celem.NICK(k, slot);
    return a;
}

// The sons of a four-son split of nel at its vertices 1..4.
std::array<int, 4> sons_of(int nel) {
    int e1 = 0, e11 = 0, e21 = 0;
    findfs(nel, e1);
    findfs(e1, e11);
    findfs(e1 + 1, e21);
    return {e11, e11 + 1, e21 + 1, e21};
}

// A single element of uniform order 3 with only boundary sides: every node
// and dof number follows from the heads of the free lists.
TEST_F(RefineTest, OneElementGetsTheExactNumbering) {
    MeshBuilder b(1, 1);
    b.order(1, 3);
    ASSERT_EQ(b.build(), "");
    // The builder numbered vertices 1-4, edges 5-8 (dofs 5-12), interior 9 (dofs 13-16).
    ASSERT_EQ(chain(9), (std::vector<int>{13, 14, 15, 16}));
    ASSERT_EQ(cpoint.NPNOD, 10);
    ASSERT_EQ(cpoint.NPDOF, 17);

    ASSERT_EQ(do_refine(1), MESH_DONE);
    // Families 1, 2, 3: E1 = 2, E2 = 3, E11 = 4, E12 = 5, E21 = 6, E22 = 7.
    EXPECT_EQ(ctree.NFSON(1), 2);
    EXPECT_EQ(ctree.TREE(1, 1), 1);
    EXPECT_EQ(ctree.TREE(2, 1), 4);
    EXPECT_EQ(ctree.TREE(3, 1), 6);
    EXPECT_EQ(ctree.TREE(4, 1), 1);
    EXPECT_EQ(ctree.TREE(1, 2), 2);
    EXPECT_EQ(ctree.TREE(4, 2), 2);
    EXPECT_EQ(ctree.TREE(1, 3), 3);
    EXPECT_EQ(ctree.TREE(4, 3), 2);
    EXPECT_EQ(cpoint.NPFAM, 4);
    EXPECT_EQ(sons_of(1), (std::array<int, 4>{4, 5, 7, 6}));
    int slot = 0;
    const int want_slot[4] = {1, 3, 4, 2};
    for (int k = 0; k < 4; ++k) {
        findno(sons_of(1)[static_cast<std::size_t>(k)], slot);
        EXPECT_EQ(slot, want_slot[k]) << "son " << k + 1;
    }
    EXPECT_EQ(cdata.NRELEM, 4);
    EXPECT_EQ(cdata.NRFAM, 3);

    // Centre: the interior node 9 keeps dof 13; 14-16 went to the free list
    // and were taken first by split2's nodes 10-17 (order 3), then the sides
    // split in turn (nodes 18-25).
    EXPECT_EQ(chain(9), std::vector<int>{13});
    EXPECT_EQ(chain(10), (std::vector<int>{14, 15}));
    EXPECT_EQ(chain(11), (std::vector<int>{16, 17}));
    EXPECT_EQ(chain(13), (std::vector<int>{20, 21}));
    EXPECT_EQ(chain(14), (std::vector<int>{22, 23, 24, 25}));
    EXPECT_EQ(chain(17), (std::vector<int>{34, 35, 36, 37}));
    EXPECT_EQ(chain(5), std::vector<int>{5});
    EXPECT_EQ(chain(18), (std::vector<int>{6, 38}));
    EXPECT_EQ(chain(19), (std::vector<int>{39, 40}));
    EXPECT_EQ(chain(24), (std::vector<int>{12, 47}));
    EXPECT_EQ(chain(25), (std::vector<int>{48, 49}));
    EXPECT_EQ(cpoint.NPNOD, 26);
    EXPECT_EQ(cpoint.NPDOF, 50);
    EXPECT_EQ(cdata.NRNODS, 25);
    EXPECT_EQ(cdata.NRDOF, 49);

    // Son 1 (slot 1): vertices 1, the side-1 middle 5, the centre 9, the
    // side-4 middle 8; half-edges 18 (side 1), 10 and 13 (inner), 24 (side
    // 4, the half at vertex 1); interior 14.
    EXPECT_EQ(nicks(1), (std::array<int, 9>{101, 501, 901, 801, 1803, 1003, 1303, 2403, 1403}));
    // Son 3 (slot 4), at vertex 3: side 3 runs from vertex 4 to 3, so its
    // half at vertex 3 is the second node of that split (23).
    EXPECT_EQ(nicks(4), (std::array<int, 9>{901, 601, 301, 701, 1103, 2103, 2303, 1203, 1603}));
    EXPECT_TRUE(database_consistent());
}

TEST_F(RefineTest, AnInteriorElementLeavesHangingNodesOnItsNeighbours) {
    // 20 initial elements; element 7 has four neighbours of its size.
    MeshBuilder b(5, 4);
    b.default_order(2);
    ASSERT_EQ(b.build(), "");
    std::map<int, std::array<int, 9>> neighbours;
    for (int e : {2, 6, 8, 12}) neighbours[e] = nicks(e);
    const int nrnods = cdata.NRNODS;

    ASSERT_EQ(do_refine(7), MESH_DONE);
    EXPECT_EQ(ctree.NFSON(7), 21);
    EXPECT_EQ(ctree.TREE(2, 1), 23);
    EXPECT_EQ(ctree.TREE(3, 1), 25);
    EXPECT_EQ(sons_of(7), (std::array<int, 4>{23, 24, 26, 25}));
    const int want_slot[4] = {7, 22, 23, 21};
    for (int k = 0; k < 4; ++k) {
        int slot = 0;
        findno(sons_of(7)[static_cast<std::size_t>(k)], slot);
        EXPECT_EQ(slot, want_slot[k]);
    }
    EXPECT_EQ(cdata.NRELEM, 23);
    for (int e : {2, 6, 8, 12}) EXPECT_EQ(nicks(e), neighbours[e]) << "neighbour " << e;
    // Each son hangs at its two outer side middles, with -2 on its outer half-edges.
    int hanging = 0, constrained = 0;
    for (int s : {7, 22, 23, 21}) {
        for (int k = 1; k <= 4; ++k) hanging += celem.NICK(k, s) == -1;
        for (int k = 5; k <= 8; ++k) constrained += celem.NICK(k, s) == -2;
    }
    EXPECT_EQ(hanging, 8);
    EXPECT_EQ(constrained, 8);
    // The centre vertex, four inner half-edges and four son interiors; the
    // father's interior node is the centre.
    EXPECT_EQ(cdata.NRNODS, nrnods + 8);
    EXPECT_TRUE(database_consistent());
}

TEST_F(RefineTest, NodeAndDofCountsFollowTheOrders) {
    struct Case {
        const char* name;
        int order;
        int nodes, dofs;
    };
    // Order 1 on the boundary: 4 side middles and the centre. Order 3: the
    // centre is the old interior node (3 dofs freed), 4 inner half-edges and
    // 4 son interiors of order 3, and each side's edge node is split.
    const Case cases[] = {{"order 1", 1, 5, 5}, {"order 3", 3, 16, 33}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(1, 1);
        b.order(1, c.order);
        ASSERT_EQ(b.build(), "");
        const int nrnods = cdata.NRNODS, nrdof = cdata.NRDOF;
        ASSERT_EQ(do_refine(1), MESH_DONE);
        EXPECT_EQ(cdata.NRNODS - nrnods, c.nodes);
        EXPECT_EQ(cdata.NRDOF - nrdof, c.dofs);
        EXPECT_TRUE(database_consistent());
    }
}

TEST_F(RefineTest, ALargerNeighbourIsSplitFirst) {
    MeshBuilder b(2, 1);
    b.default_order(3);
    ASSERT_EQ(b.build(), "");
    ASSERT_EQ(do_refine(2), MESH_DONE);
    const std::array<int, 4> s = sons_of(2);
    // Son 1 of element 2 lies along half of element 1's side 2.
    ASSERT_EQ(do_refine(s[0]), MESH_DONE);
    int fs = 0;
    findfs(1, fs);
    EXPECT_NE(fs, 0) << "element 1 was split first";
    EXPECT_EQ(cdata.NRFAM, 9);
    EXPECT_TRUE(database_consistent());
}

// Splits the element at vertex 1 k times (Q0 = element 1, Q1 its son at
// vertex 1, ...) and returns the top-right son of the last one split. Along
// its right side larger elements wait one for the next (the sons at vertex 2
// of Q(k-2), ..., Q0), and then along its top side (the sons at vertex 4).
int graded_corner(int k) {
    int q = 1;
    for (int i = 1; i < k; ++i) {
        EXPECT_EQ(do_refine(q), MESH_DONE);
        q = sons_of(q)[0];
    }
    EXPECT_EQ(do_refine(q), MESH_DONE);
    return sons_of(q)[2];
}

TEST_F(RefineTest, EightWaitingNeighboursAreSplitANinthIsRefused) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    const int target9 = graded_corner(9);
    const int families = cdata.NRFAM;
    ASSERT_EQ(do_refine(target9), MESH_DONE);
    // The target, 8 larger elements on its right and 8 above it.
    EXPECT_EQ(cdata.NRFAM - families, 3 * 17);
    EXPECT_TRUE(database_consistent());

    MeshBuilder b2(1, 1);
    ASSERT_EQ(b2.build(), "");
    const int target10 = graded_corner(10);
    fill_random_solution(9);
    DatabaseCopy before;
    EXPECT_EQ(do_refine(target10), MESH_STACK_FULL);
    EXPECT_TRUE(before.unchanged());
    EXPECT_NE(file("decks/t.err").find("MORE THAN 8 LARGER NEIGHBOURS"), std::string::npos);
    EXPECT_TRUE(database_consistent());
}

TEST_F(RefineTest, TransferIsExactForEveryOrderAndBothArrays) {
    for (int p = 1; p <= MAXP; ++p) {
        SCOPED_TRACE("order " + std::to_string(p));
        MeshBuilder b(3, 2);
        b.default_order(p);
        b.order(2, std::max(1, p - 1));
        b.edge_order(5, 1, p == 1 ? 1 : 2);
        b.split4(4);
        ASSERT_EQ(b.build(), "");
        fill_random_solution(static_cast<unsigned>(p));
        cdec.IDEC = p % 2;
        std::mt19937 gen(p);
        const std::vector<Probe> before = sample_solution(gen, 4);
        // Element 5 has two smaller neighbours on its left side (the sons of 4).
        ASSERT_EQ(do_refine(5), MESH_DONE);
        ASSERT_TRUE(database_consistent());
        expect_same_solution(before);
    }
}

// One element whose side 2 (boundary 2) is an arc of the unit circle from
// 0 to 45 degrees: new nodes on that side go onto the circle.
void circle_side_mesh(MeshBuilder& b) {
    const double c = std::sqrt(0.5);
    b.map([c](double x, double y) {
        const double px[4] = {0.0, 1.0, c, 0.0}, py[4] = {0.0, 0.0, c, 0.5};
        const double w[4] = {(1 - x) * (1 - y), x * (1 - y), x * y, (1 - x) * y};
        std::array<double, 2> p{0.0, 0.0};
        for (int k = 0; k < 4; ++k) {
            p[0] += w[k] * px[k];
            p[1] += w[k] * py[k];
        }
        return p;
    });
    cgeomtyp.NCURV = 1;
    cgeomtyp.IPGEOM(1) = 1;
    cgeomtyp.NPGEOM(1) = -5;
    const double ellipse[5] = {1.0, 1.0, 0.0, 0.0, 0.0};  // radii, centre, rotation
    for (int i = 0; i < 5; ++i) cgeomtyp.GEOM(i + 1) = ellipse[i];
    cgeomtyp.IBCURV(2) = 1 * 100 + 1;
}

double angle_of(int node) {
    return std::atan2(cnode.XNOD(2, node), cnode.XNOD(1, node)) * 180.0 / std::acos(-1.0);
}
double radius_of(int node) {
    return std::hypot(cnode.XNOD(1, node), cnode.XNOD(2, node));
}

TEST_F(RefineTest, NewNodesOnACurvedSideLieOnTheCurve) {
    {
        SCOPED_TRACE("four sons, order 1: the middle vertex");
        MeshBuilder b(1, 1);
        circle_side_mesh(b);
        ASSERT_EQ(b.build(), "");
        ASSERT_EQ(do_refine(1), MESH_DONE);
        const int mid = celem.NICK(2, 4) / 100;  // vertex 2 of son 3 (slot 4)
        ASSERT_GT(mid, 0);
        EXPECT_NEAR(radius_of(mid), 1.0, 1e-6);
        EXPECT_NEAR(angle_of(mid), 22.5, 1e-4);
        EXPECT_TRUE(database_consistent());
    }
    {
        SCOPED_TRACE("two sons, order 2: the edge node is the middle, the halves on the arc");
        MeshBuilder b(1, 1);
        circle_side_mesh(b);
        b.order(1, 2);
        ASSERT_EQ(b.build(), "");
        // The builder put the edge node on the chord; place it on the arc first.
        const int edge = celem.NICK(6, 1) / 100;
        cnode.XNOD(1, edge) = std::cos(std::acos(-1.0) / 8.0);
        cnode.XNOD(2, edge) = std::sin(std::acos(-1.0) / 8.0);
        ASSERT_EQ(refinexy(1, 1, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
        const int lower = celem.NICK(6, 1) / 100, upper = celem.NICK(6, cdata.NRELIN + 1) / 100;
        EXPECT_EQ(celem.NICK(3, 1) / 100, edge);
        EXPECT_NEAR(radius_of(lower), 1.0, 1e-6);
        EXPECT_NEAR(angle_of(lower), 11.25, 1e-4);
        EXPECT_NEAR(radius_of(upper), 1.0, 1e-6);
        EXPECT_NEAR(angle_of(upper), 33.75, 1e-4);
        EXPECT_TRUE(database_consistent());
    }
    {
        SCOPED_TRACE("enrichment: a new edge node");
        MeshBuilder b(1, 1);
        circle_side_mesh(b);
        ASSERT_EQ(b.build(), "");
        ASSERT_EQ(enrich(1, 12111, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
        const int edge = celem.NICK(6, 1) / 100;
        ASSERT_GT(edge, 0);
        EXPECT_NEAR(radius_of(edge), 1.0, 1e-6);
        EXPECT_NEAR(angle_of(edge), 22.5, 1e-4);
        EXPECT_TRUE(database_consistent());
    }
}

}  // namespace
}  // namespace kavren::testing
