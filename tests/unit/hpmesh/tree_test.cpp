#include "hpmesh/tree.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "control/messages.hpp"
#include "hpmesh/dbcheck.hpp"
#include "hpmesh_fixture.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"

namespace kavren::testing {
namespace {

using TreeTest = MeshTest;

std::vector<int> tree_order() {
    std::vector<int> order;
    int nel = 0;
    for (int i = 0; i < cdata.NRELEM; ++i) order.push_back(nel = nelcon(nel));
    return order;
}

Arr1<int, 8> neighbours(int nel) {
    Arr1<int, 8> n;
    neigbr(nel, n);
    return n;
}

TEST_F(TreeTest, WithoutFamiliesTheInitialElementsComeInOrderInTheirOwnSlots) {
    MeshBuilder b(2, 2);
    ASSERT_EQ(b.build(), "");
    EXPECT_EQ(tree_order(), (std::vector<int>{1, 2, 3, 4}));
    for (int k = 1; k <= 4; ++k) {
        int slot = 0;
        findno(k, slot);
        EXPECT_EQ(slot, k);
    }
}

TEST_F(TreeTest, ASplitPutsTheSonsFirstAndTheSecondSonInANewSlot) {
    MeshBuilder b(2, 2);
    EXPECT_EQ(b.split(1, 1), 5);
    ASSERT_EQ(b.build(), "");
    EXPECT_EQ(tree_order(), (std::vector<int>{5, 6, 2, 3, 4}));
    int slot = 0;
    findno(5, slot);
    EXPECT_EQ(slot, 1);
    findno(6, slot);
    EXPECT_EQ(slot, 5);
    int nfam = 0, nson = 0;
    faminf(6, nfam, nson);
    EXPECT_EQ(nfam, 1);
    EXPECT_EQ(nson, 2);
    EXPECT_TRUE(database_consistent());
}

TEST_F(TreeTest, FourSonsComeBottomLeftBottomRightTopLeftTopRight) {
    MeshBuilder b(2, 1);
    const auto s = b.split4(1);  // sons at vertices 1..4
    ASSERT_EQ(b.build(), "");
    EXPECT_EQ(tree_order(), (std::vector<int>{s[0], s[1], s[3], s[2], 2}));
    // Slots: son 1 keeps the father's, the others those of the families.
    std::set<int> slots;
    for (int e : s) {
        int slot = 0;
        findno(e, slot);
        slots.insert(slot);
    }
    EXPECT_EQ(slots, (std::set<int>{1, 3, 4, 5}));
    EXPECT_TRUE(database_consistent());
}

TEST_F(TreeTest, LevelsCountTheFamiliesOfEachDirection) {
    MeshBuilder b(1, 1);
    const auto s = b.split4(1);
    const int e = b.split(s[2], 1);  // top-right quarter cut across direction 1
    int lev = 0, org = 0, levx = 0, levy = 0;
    findlv(e + 1, lev, org);
    EXPECT_EQ(lev, 3);
    EXPECT_EQ(org, 1);
    findlvxy(e + 1, levx, levy, org);
    EXPECT_EQ(levx, 1);
    EXPECT_EQ(levy, 2);
    int fs = 0;
    findfs(s[2], fs);
    EXPECT_EQ(fs, e);
    findfs(e, fs);
    EXPECT_EQ(fs, 0);
    findfs(1, fs);
    EXPECT_EQ(fs, 2);
}

TEST_F(TreeTest, SonsOfOneCutNameEachOther) {
    MeshBuilder b(1, 1);
    const int s1 = b.split(1, 1);
    ASSERT_EQ(b.build(), "");
    Arr1<int, 8> n1 = neighbours(s1), n2 = neighbours(s1 + 1);
    EXPECT_EQ(n1(3), s1 + 1);
    EXPECT_EQ(n1(7), 0);
    EXPECT_EQ(n2(1), s1);
    EXPECT_EQ(n2(5), 0);
}

TEST_F(TreeTest, AnElementFacingASplitNeighbourListsBothSonsCounterClockwise) {
    MeshBuilder b(1, 2);  // element 1 below element 2
    const int l = b.split(2, 2);
    ASSERT_EQ(b.build(), "");
    Arr1<int, 8> n = neighbours(1);
    EXPECT_EQ(n(3), l + 1);  // the upper right son first
    EXPECT_EQ(n(7), l);
    for (int son : {l, l + 1}) {
        Arr1<int, 8> ns = neighbours(son);
        EXPECT_EQ(ns(1), 1);
        EXPECT_EQ(ns(5), 0);
    }
}

// neigbr against the neighbours that the geometry of the tree gives.
void expect_neighbours_match(const MeshBuilder& b) {
    for (const ActiveElement& a : b.topology().elems) {
        Arr1<int, 8> n = neighbours(a.nel);
        for (int s = 1; s <= 4; ++s) {
            const SideLink& l = a.side[static_cast<std::size_t>(s - 1)];
            const int first = l.kind == SideKind::boundary ? 0 : l.nb[0];
            const int second = l.kind == SideKind::large ? l.nb[1] : 0;
            EXPECT_EQ(n(s), first) << "element " << a.nel << " side " << s;
            EXPECT_EQ(n(s + 4), second) << "element " << a.nel << " side " << s;
        }
    }
}

TEST_F(TreeTest, NeighboursFollowTheGeometryOfATableOfTrees) {
    struct Case {
        const char* name;
        std::function<void(MeshBuilder&)> make;
    };
    const Case cases[] = {
        {"no family", [](MeshBuilder&) {}},
        {"four sons in a corner", [](MeshBuilder& b) { b.split4(1); }},
        {"four sons, then four in the inner quarter",
         [](MeshBuilder& b) {
             auto s = b.split4(4);
             b.split4(1);
             b.split4(2);
             b.split4(3);
             b.split4(s[0]);
         }},
        {"deep cuts of one direction on both sides of a line",
         [](MeshBuilder& b) {
             int e1 = 1, e3 = 3;
             for (int level = 0; level < 4; ++level) {
                 e1 = b.split(e1, 2) + 1;  // the right half, along element 3
                 e3 = b.split(e3, 2) + 1;
             }
             b.split(e1, 1);
             b.split(e3 - 1, 1);
         }},
        {"cuts across each other",
         [](MeshBuilder& b) {
             int s = b.split(1, 1);
             b.split(2, 1);
             b.split(s, 2);
             b.split(s + 1, 2);
             b.split(3, 2);
             b.split(4, 2);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(2, 2);
        c.make(b);
        ASSERT_EQ(b.build(), "");
        expect_neighbours_match(b);
    }
}

TEST_F(TreeTest, BoundarySidesHaveNoNeighbourAndGiveTheirNumber) {
    MeshBuilder b(2, 1);
    b.boundary_numbers(11, 12, 13, 14);
    const auto s = b.split4(2);
    ASSERT_EQ(b.build(), "");
    struct Case {
        int nel, side, number;
    };
    const Case cases[] = {{1, 1, 11},    {1, 3, 13},    {1, 4, 14},   {s[1], 2, 12},
                          {s[2], 3, 13}, {s[1], 1, 11}, {s[3], 3, 13}};
    for (const Case& c : cases) {
        Arr1<int, 8> n = neighbours(c.nel);
        EXPECT_EQ(n(c.side), 0) << c.nel;
        EXPECT_EQ(n(c.side + 4), 0) << c.nel;
        int ib = -1;
        findty(c.nel, c.side, ib);
        EXPECT_EQ(ib, c.number) << c.nel << " side " << c.side;
    }
    int ib = -1;
    findty(0, 1, ib);
    EXPECT_EQ(ib, 0);
}

TEST_F(TreeTest, FindtyOnASideWithANeighbourEndsTheRun) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    EXPECT_EXIT(
        {
            int ib = 0;
            findty(1, 2, ib);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(last_error_line(), "       TERMINATION OCCURED IN ROUTINE--FINDTY");
}

TEST_F(TreeTest, NelconAfterTheLastElementEndsTheRun) {
    MeshBuilder b(2, 1);
    b.split(2, 1);
    ASSERT_EQ(b.build(), "");
    const std::vector<int> order = tree_order();
    EXPECT_EXIT(nelcon(order.back()), ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(last_error_line(), "       TERMINATION OCCURED IN ROUTINE--NELCON");
    EXPECT_NE(file("decks/t.err").find("ERROR IN NELCON"), std::string::npos);
}

TEST_F(TreeTest, FacingSideComesFromTheInitialTableAcrossInitialElements) {
    MeshBuilder b(2, 1);
    const int s1 = b.split(1, 2);
    ASSERT_EQ(b.build(), "");
    Arr1<int, 8> n = neighbours(s1);
    int nside = 0;
    findsn(s1, n, 2, nside);  // the brother, same initial element
    EXPECT_EQ(nside, 4);
    n = neighbours(s1 + 1);
    findsn(s1 + 1, n, 2, nside);  // element 2 across the initial side
    EXPECT_EQ(nside, 4);
    // Element 2 numbered with other local axes: its side 3 faces element 1.
    cneig.NEIG(4, 2) = -4;
    cneig.NEIG(3, 2) = 1;
    nside = 0;
    findsn(s1 + 1, n, 2, nside);
    EXPECT_EQ(nside, 3);
    // No side names the element: nside is left alone.
    cneig.NEIG(3, 2) = -3;
    nside = 7;
    findsn(s1 + 1, n, 2, nside);
    EXPECT_EQ(nside, 7);
}

// Defines element set number `set` holding the initial elements given, in the
// pool's list shape (one empty end entry).
void define_set(int set, const std::vector<int>& elements) {
    int e = csetf.ISFREE;
    csetf.ISFREE = csetf.ISNEXT(e);
    csetf.ISNEXT(e) = 0;
    csetf.ISFRST(set) = e;
    for (int x : elements) {
        csetf.ISELEM(e) = x;
        int fresh = csetf.ISFREE;
        csetf.ISFREE = csetf.ISNEXT(fresh);
        csetf.ISNEXT(e) = fresh;
        csetf.ISNEXT(fresh) = 0;
        e = fresh;
    }
    csetf.ISLAST(set) = e;
    csetf.ISHIGH = std::max(csetf.ISHIGH, csetf.ISFREE);
    csetf.NSET = std::max(csetf.NSET, set);
}

TEST_F(TreeTest, SetMembershipGoesByTheInitialAncestor) {
    MeshBuilder b(3, 1);
    const int s1 = b.split(3, 1);
    ASSERT_EQ(b.build(), "");
    define_set(2, {1, 3});
    define_set(3, {2});
    struct Case {
        int iscur, nel, in;
    };
    const Case cases[] = {{2, 1, 1}, {2, 2, 0},      {2, s1, 1}, {2, s1 + 1, 1},
                          {3, 2, 1}, {3, s1 + 1, 0}, {3, 1, 0}};
    for (const Case& c : cases) {
        csetf.ISCUR = c.iscur;
        int iin = -1;
        findst(c.nel, iin);
        EXPECT_EQ(iin, c.in) << "set " << c.iscur << " element " << c.nel;
    }
    int iset = 0;
    findse(s1 + 1, iset);
    EXPECT_EQ(iset, 2);
    findse(2, iset);
    EXPECT_EQ(iset, 3);
}

TEST_F(TreeTest, ElementInNoSetBelongsToSetOne) {
    MeshBuilder b(3, 1);
    ASSERT_EQ(b.build(), "");
    define_set(2, {1});
    int iset = 0;
    findse(3, iset);
    EXPECT_EQ(iset, 1);
}

TEST_F(TreeTest, NodeWalkVisitsEachNodeOnceAndLiftsTheMarks) {
    MeshBuilder b(2, 2);
    b.default_order(3);
    b.split4(4);
    ASSERT_EQ(b.build(), "");
    std::multiset<int> seen;
    walk_nodes_once([&](int, int, int, int node) {
        EXPECT_GT(cnode.NODPTR(node), 0);
        seen.insert(node);
    });
    EXPECT_EQ(static_cast<int>(seen.size()), cdata.NRNODS);
    EXPECT_EQ(std::set<int>(seen.begin(), seen.end()).size(), seen.size());
    for (int n = 1; n <= MAXNOD; ++n) ASSERT_GE(cnode.NODPTR(n), 0) << n;
    EXPECT_TRUE(database_consistent());
}

}  // namespace
}  // namespace kavren::testing
