#include "hpmesh/refinexy.hpp"

#include <gtest/gtest.h>

#include <random>

#include "hpmesh/journal.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/mesh.hpp"
#include "solution_probe.hpp"

namespace kavren::testing {
namespace {

using RefineXYTest = MeshTest;

int cut(int nel, int ixy) {
    return refinexy(nel, ixy, uold_flat(), unew_flat(), icolu.ICOLU);
}

std::array<int, 9> nicks(int nel) {
    std::array<int, 9> a{};
    for (int k = 1; k <= 9; ++k) a[static_cast<std::size_t>(k - 1)] = celem.NICK(k, slot_of(nel));
    return a;
}

TEST_F(RefineXYTest, AnOrderOneElementOnTheBoundary) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    const int nrnods = cdata.NRNODS;
    ASSERT_EQ(cut(1, 1), MESH_DONE);
    EXPECT_EQ(cdata.NRELEM, 2);
    EXPECT_EQ(cdata.NRFAM, 1);
    EXPECT_EQ(ctree.NFSON(1), 2);
    for (int r = 1; r <= 5; ++r)
        EXPECT_EQ(ctree.TREE(r, 1), (std::array<int, 6>{0, 1, 0, 0, 1, 0})[r]);
    EXPECT_EQ(slot_of(2), 1);
    EXPECT_EQ(slot_of(3), 2);
    // The middle of side 2 is made first, then that of side 4.
    const int m2 = nrnods + 1, m4 = nrnods + 2;
    EXPECT_EQ(cdata.NRNODS, nrnods + 2);
    EXPECT_EQ(nicks(2), (std::array<int, 9>{101, 201, m2 * 100 + 1, m4 * 100 + 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(nicks(3), (std::array<int, 9>{m4 * 100 + 1, m2 * 100 + 1, 301, 401, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(database_consistent());
}

TEST_F(RefineXYTest, OrdersPositionsAndCountsOfTheInnerNodes) {
    struct Case {
        const char* name;
        int ixy;
        int sides[4], interior;
        int inner_order, interior_order;  // 0: no node
        double inner[2], son1[2], son2[2];
        int dnodes, ddofs;
    };
    // clang-format off
    const Case cases[] = {
        {"order 2, direction 1", 1, {2, 2, 2, 2}, 2, 2, 2,
         {0.5, 0.5}, {0.5, 0.25}, {0.5, 0.75}, 6, 6},
        {"order 2, direction 2", 2, {2, 2, 2, 2}, 2, 2, 2,
         {0.5, 0.5}, {0.25, 0.5}, {0.75, 0.5}, 6, 6},
        {"mixed orders, direction 1", 1, {3, 2, 4, 2}, 3, 4, 3,
         {0.5, 0.5}, {0.5, 0.25}, {0.5, 0.75}, 6, 3 + 2 * 4 + 2 * 2 - 4},
        {"mixed orders, direction 2", 2, {3, 2, 4, 2}, 3, 3, 3,
         {0.5, 0.5}, {0.25, 0.5}, {0.75, 0.5}, 6, 2 + 2 * 4 + 3 + 4 - 4},
        {"one side of order 2, direction 1", 1, {2, 1, 1, 1}, 1, 2, 0,
         {0.5, 0.5}, {}, {}, 3, 3},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(1, 1);
        b.order(1, c.interior);
        for (int s = 1; s <= 4; ++s) b.edge_order(1, s, c.sides[s - 1]);
        ASSERT_EQ(b.build(), "");
        const int nrnods = cdata.NRNODS, nrdof = cdata.NRDOF;
        ASSERT_EQ(cut(1, c.ixy), MESH_DONE);
        const int inner = celem.NICK(c.ixy == 1 ? 7 : 6, slot_of(2));
        EXPECT_EQ(inner, celem.NICK(c.ixy == 1 ? 5 : 8, slot_of(3)));
        EXPECT_EQ(inner % 100, c.inner_order);
        EXPECT_DOUBLE_EQ(cnode.XNOD(1, inner / 100), c.inner[0]);
        EXPECT_DOUBLE_EQ(cnode.XNOD(2, inner / 100), c.inner[1]);
        const int in1 = celem.NICK(9, slot_of(2)), in2 = celem.NICK(9, slot_of(3));
        EXPECT_EQ(in1 % 100, c.interior_order);
        EXPECT_EQ(in2 % 100, c.interior_order);
        if (c.interior_order != 0) {
            EXPECT_DOUBLE_EQ(cnode.XNOD(1, in1 / 100), c.son1[0]);
            EXPECT_DOUBLE_EQ(cnode.XNOD(2, in1 / 100), c.son1[1]);
            EXPECT_DOUBLE_EQ(cnode.XNOD(1, in2 / 100), c.son2[0]);
            EXPECT_DOUBLE_EQ(cnode.XNOD(2, in2 / 100), c.son2[1]);
        }
        EXPECT_EQ(cdata.NRNODS - nrnods, c.dnodes);
        EXPECT_EQ(cdata.NRDOF - nrdof, c.ddofs);
        EXPECT_TRUE(database_consistent());
    }
}

TEST_F(RefineXYTest, AHalvedSideMeetsItsNeighbours) {
    // Element 1 with element 2 on its right, of order 3.
    {
        SCOPED_TRACE("one neighbour of the same size");
        MeshBuilder b(2, 1);
        b.default_order(3);
        ASSERT_EQ(b.build(), "");
        const std::array<int, 9> right = nicks(2);
        const int nrnods = cdata.NRNODS;
        ASSERT_EQ(cut(1, 1), MESH_DONE);
        const int s1 = first_son(1), s2 = s1 + 1;
        EXPECT_EQ(celem.NICK(3, slot_of(s1)), -1);
        EXPECT_EQ(celem.NICK(2, slot_of(s2)), -1);
        EXPECT_EQ(celem.NICK(6, slot_of(s1)), -3);
        EXPECT_EQ(celem.NICK(6, slot_of(s2)), -3);
        EXPECT_EQ(nicks(2), right);
        // Inner edge and two interiors, side 4 split, the interior node freed.
        EXPECT_EQ(cdata.NRNODS, nrnods + 3 + 2 - 1);
        EXPECT_TRUE(database_consistent());
    }
    {
        SCOPED_TRACE("two smaller neighbours");
        MeshBuilder b(2, 1);
        b.default_order(3);
        const int n1 = b.split(2, 1), n2 = n1 + 1;
        ASSERT_EQ(b.build(), "");
        const int edge = celem.NICK(6, slot_of(1)) / 100;
        ASSERT_EQ(cut(1, 1), MESH_DONE);
        const int s1 = first_son(1), s2 = s1 + 1;
        EXPECT_EQ(celem.NICK(3, slot_of(s1)), edge * 100 + 1);
        EXPECT_EQ(celem.NICK(2, slot_of(s2)), edge * 100 + 1);
        EXPECT_EQ(celem.NICK(4, slot_of(n1)), edge * 100 + 1);
        EXPECT_EQ(celem.NICK(1, slot_of(n2)), edge * 100 + 1);
        EXPECT_GT(celem.NICK(6, slot_of(s1)), 0);
        EXPECT_EQ(celem.NICK(8, slot_of(n1)), celem.NICK(6, slot_of(s1)));
        EXPECT_EQ(celem.NICK(8, slot_of(n2)), celem.NICK(6, slot_of(s2)));
        EXPECT_NE(celem.NICK(6, slot_of(s1)), celem.NICK(6, slot_of(s2)));
        EXPECT_TRUE(database_consistent());
    }
}

TEST_F(RefineXYTest, ALargerNeighbourIsCutAcrossItsFacingSide) {
    // Element 1 below element 3, cut in direction 2: its left son's side 3
    // is half of element 3's side 1.
    MeshBuilder b(1, 2);
    const int left = b.split(1, 2);
    ASSERT_EQ(b.build(), "");
    const int families = cdata.NRFAM;
    // REFINEX does not halve the son's side 3, but element 2 is cut first,
    // in direction 2.
    ASSERT_EQ(cut(left, 1), MESH_DONE);
    const int top = first_son(2);
    ASSERT_NE(top, 0);
    int f = 0, s = 0;
    faminf(top, f, s);
    EXPECT_EQ(ctree.TREE(4, f), 2);
    EXPECT_EQ(cdata.NRFAM - families, 2);
    EXPECT_TRUE(database_consistent());
}

TEST_F(RefineXYTest, TheLastFreeFamilyIsNeverTaken) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(5);
    // Family 1 made the last one on the free list: it is free, but not handed out.
    const int after = ctree.TREE(2, 1);
    ctree.TREE(2, 1) = 0;
    DatabaseCopy before;
    EXPECT_EQ(cut(1, 2), MESH_NO_FAMILY);
    EXPECT_TRUE(before.unchanged());
    ctree.TREE(2, 1) = after;
    EXPECT_TRUE(database_consistent());
}

// Splits the element at vertex 1 into four k times and returns the top-right
// son of the last one split: along its right side the sons at vertex 2 of the
// larger quarters wait one for the next, each to be cut across its left side.
int graded_corner(int k) {
    int q = 1;
    for (int i = 1; i <= k; ++i) {
        EXPECT_EQ(refine(q, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
        int e1 = 0, e11 = 0, e21 = 0;
        findfs(q, e1);
        findfs(e1, e11);
        findfs(e1 + 1, e21);
        if (i == k) return e21 + 1;
        q = e11;
    }
    return 0;
}

TEST_F(RefineXYTest, EightWaitingNeighboursAreCutANinthIsRefused) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    ASSERT_EQ(cut(graded_corner(9), 1), MESH_DONE);
    EXPECT_TRUE(database_consistent());

    MeshBuilder b2(1, 1);
    ASSERT_EQ(b2.build(), "");
    const int target = graded_corner(10);
    fill_random_solution(6);
    DatabaseCopy before;
    EXPECT_EQ(cut(target, 1), MESH_STACK_FULL);
    EXPECT_TRUE(before.unchanged());
    EXPECT_TRUE(database_consistent());
}

TEST_F(RefineXYTest, TransferIsExactForEveryOrderAndBothDirections) {
    for (int p = 1; p <= MAXP; ++p)
        for (int ixy = 1; ixy <= 2; ++ixy) {
            SCOPED_TRACE("order " + std::to_string(p) + " direction " + std::to_string(ixy));
            MeshBuilder b(3, 3);
            b.default_order(p);
            b.order(1, std::max(1, p - 2));
            b.split(4, 1);  // two smaller neighbours left of element 5
            b.split(2, 2);  // and below it
            ASSERT_EQ(b.build(), "");
            fill_random_solution(static_cast<unsigned>(10 * p + ixy));
            cdec.IDEC = ixy - 1;
            std::mt19937 gen(p);
            const std::vector<Probe> before = sample_solution(gen, 3);
            ASSERT_EQ(cut(5, ixy), MESH_DONE);
            ASSERT_TRUE(database_consistent());
            expect_same_solution(before);
        }
}

}  // namespace
}  // namespace kavren::testing
