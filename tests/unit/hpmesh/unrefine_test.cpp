#include "hpmesh/unrefine.hpp"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <random>
#include <string>

#include "hpmesh/enrich.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/refinexy.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"
#include "solution_probe.hpp"

namespace kavren::testing {
namespace {

using UnrefineTest = MeshTest;

std::array<int, 9> nicks(int nel) {
    std::array<int, 9> a{};
    for (int k = 1; k <= 9; ++k) a[static_cast<std::size_t>(k - 1)] = celem.NICK(k, slot_of(nel));
    return a;
}

int merge(int nel, int* nexel = nullptr) {
    int ier = 99, nx = 0;
    unrefixy(nel, ier, nx, uold_flat(), unew_flat(), icolu.ICOLU);
    if (nexel != nullptr) *nexel = nx;
    return ier;
}

int undo4(int nel, int* nexel = nullptr) {
    int ier = 99, nx = 0;
    unrefi(nel, ier, nx, uold_flat(), unew_flat(), icolu.ICOLU);
    if (nexel != nullptr) *nexel = nx;
    return ier;
}

// The counters and every nickname of the active elements, to compare a mesh
// before a refinement with the mesh after its undoing.
struct Shape {
    int nrelem = 0, nrnods = 0, nrdof = 0, nrfam = 0;
    std::vector<std::array<int, 9>> nick;
    bool operator==(const Shape&) const = default;
};

Shape shape() {
    Shape s{cdata.NRELEM, cdata.NRNODS, cdata.NRDOF, cdata.NRFAM, {}};
    int nel = 0;
    for (int i = 0; i < cdata.NRELEM; ++i) s.nick.push_back(nicks(nel = nelcon(nel)));
    return s;
}

TEST_F(UnrefineTest, SplitsUndoneGiveTheMeshAndTheSolutionBack) {
    struct Case {
        const char* name;
        int order;  // of every element
        int split;  // 0 four sons, 1 or 2 a cut in that direction
    };
    const Case cases[] = {{"four sons, order 1", 1, 0},
                          {"direction 1, order 1", 1, 1},
                          {"direction 2, order 1", 1, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(3, 2);
        b.default_order(c.order);
        ASSERT_EQ(b.build(), "");
        fill_random_solution(7);
        cdec.IDEC = 1;
        std::mt19937 gen(1);
        const auto before = sample_solution(gen, 3);
        const Shape s0 = shape();
        const int rc = c.split == 0 ? refine(2, uold_flat(), unew_flat(), icolu.ICOLU)
                                    : refinexy(2, c.split, uold_flat(), unew_flat(), icolu.ICOLU);
        ASSERT_EQ(rc, MESH_DONE);
        ASSERT_EQ(c.split == 0 ? undo4(2) : merge(2), UNREF_DONE);
        EXPECT_EQ(shape(), s0);
        EXPECT_EQ(ctree.NFSON(2), 0);
        EXPECT_TRUE(database_consistent());
        expect_same_solution(before);
    }
}

TEST_F(UnrefineTest, HigherOrderBoundaryEdgesAreMergedExactly) {
    // Element 1 alone, interior order 1 but edges of order 3 and 4: the
    // halves of the cut sides are merged back into edges of the same order.
    for (int ixy : {1, 2}) {
        SCOPED_TRACE(ixy);
        MeshBuilder b(1, 1);
        b.edge_order(1, 1, 3);
        b.edge_order(1, 2, 4);
        b.edge_order(1, 3, 2);
        b.edge_order(1, 4, 3);
        ASSERT_EQ(b.build(), "");
        fill_random_solution(3);
        cdec.IDEC = 1;
        std::mt19937 gen(2);
        const auto before = sample_solution(gen, 6);
        const Shape s0 = shape();
        ASSERT_EQ(refinexy(1, ixy, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
        // The inner edge took the orders of the kept sides: it goes again.
        EXPECT_EQ(merge(1), UNREF_ORDERS_CHANGED);
        EXPECT_EQ(shape().nick, s0.nick);
        EXPECT_EQ(cdata.NRDOF, s0.nrdof);
        EXPECT_TRUE(database_consistent());
        expect_same_solution(before);
    }
}

TEST_F(UnrefineTest, InnerEdgeOfOrderTwoBetweenOrderOneSonsIsDeletedOnce) {
    MeshBuilder b(1, 1);
    b.split(1, 1);
    b.edge_order(2, 3, 2);  // the inner edge: son 1's side 3
    ASSERT_EQ(b.build(), "");
    ASSERT_EQ(order_of(celem.NICK(7, slot_of(2))), 2);
    const int nrnods = cdata.NRNODS;
    EXPECT_EQ(merge(1), UNREF_ORDERS_CHANGED);
    // The inner edge node and the two middle vertices are gone.
    EXPECT_EQ(cdata.NRNODS, nrnods - 3);
    EXPECT_EQ(celem.NICK(9, slot_of(1)), 0);
    EXPECT_EQ(cdata.NRFAM, 0);
    EXPECT_TRUE(database_consistent());
}

TEST_F(UnrefineTest, RefusalsLeaveEverythingAsItWas) {
    struct Case {
        const char* name;
        int want;
        std::function<void(MeshBuilder&)> mesh;
        int target;  // the father to merge (four sons when negative)
        int nexel;   // 0: not checked
    };
    // Meshes of 2 x 1 elements; element 1 is cut first (sons 3, 4).
    const Case cases[] = {
        {"sons of different orders", UNREF_ORDERS_DIFFER,
         [](MeshBuilder& b) {
             b.split(1, 1);
             b.order(3, 2);
         },
         1, 1},
        {"sons with interior nodes", UNREF_NOT_HANDLED,
         [](MeshBuilder& b) {
             b.split(1, 1);
             b.order(3, 2);
             b.order(4, 2);
         },
         1, 0},
        {"a son is refined", UNREF_SON_REFINED,
         [](MeshBuilder& b) {
             b.split(1, 2);
             b.split(4, 2);
         },
         1, 4},
        {"the neighbour is refined along the cut side", UNREF_NEIGHBOUR_REFINED,
         [](MeshBuilder& b) {
             b.split(1, 1);
             b.split(2, 1);
             b.split(5, 1);  // element 2's lower half, cut again
         },
         1, 5},
        {"quarters facing a finer neighbour", UNREF_NEIGHBOUR_REFINED,
         [](MeshBuilder& b) {
             b.split4(1);
             auto q = b.split4(2);
             b.split4(q[0]);  // the quarter of 2 beside element 1's quarters
         },
         -1, 0},
        {"not a four-son split", UNREF_NEIGHBOUR_REFINED, [](MeshBuilder& b) { b.split(1, 1); }, -1,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset_database();
        MeshBuilder b(2, 1);
        c.mesh(b);
        ASSERT_EQ(b.build(), "");
        fill_random_solution(5);
        cdec.IDEC = 1;
        const DatabaseCopy copy;
        int nexel = 0;
        ::testing::internal::CaptureStdout();
        const int ier = c.target > 0 ? merge(c.target, &nexel) : undo4(-c.target, &nexel);
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(ier, c.want);
        if (c.nexel != 0) {
            EXPECT_EQ(nexel, c.nexel);
        }
        EXPECT_TRUE(copy.unchanged());
        EXPECT_TRUE(database_consistent());
        if (c.want == UNREF_ORDERS_DIFFER) {
            EXPECT_EQ(out, " UNREFIXY: IER=-3 CASE...\n");
        }
    }
}

TEST_F(UnrefineTest, TwoSmallNeighboursGetAHangingVertexAndConstrainedEdges) {
    // Elements 1 and 2 side by side with an edge of order 3 between them;
    // both cut in direction 1, then element 1 merged again: element 2's
    // sons 3 (lower) and 4 (upper) become walls on element 1.
    MeshBuilder b(2, 1);
    b.edge_order(1, 2, 3);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(9);
    cdec.IDEC = 1;
    std::mt19937 gen(3);
    const auto before = sample_solution(gen, 4);
    const int edge = node_of(celem.NICK(6, slot_of(1)));
    ASSERT_EQ(refinexy(2, 1, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    ASSERT_EQ(refinexy(1, 1, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    ASSERT_EQ(celem.NICK(4, slot_of(3)), edge * 100 + 1);
    ASSERT_EQ(merge(1), UNREF_DONE);
    EXPECT_EQ(celem.NICK(4, slot_of(3)), -1);
    EXPECT_EQ(celem.NICK(1, slot_of(4)), -1);
    EXPECT_EQ(celem.NICK(8, slot_of(3)), -3);
    EXPECT_EQ(celem.NICK(8, slot_of(4)), -3);
    // The middle vertex is the edge node of order 3 again.
    EXPECT_EQ(celem.NICK(6, slot_of(1)), edge * 100 + 3);
    EXPECT_TRUE(database_consistent());
    expect_same_solution(before);
}

TEST_F(UnrefineTest, HalvesOfABoundarySideWithDifferentOrdersAreRaisedFirst) {
    MeshBuilder b(1, 1);
    b.split(1, 1);
    b.edge_order(2, 2, 3);  // son 1's half of side 2
    ASSERT_EQ(b.build(), "");
    ASSERT_EQ(celem.NICK(6, slot_of(3)), 0);
    fill_random_solution(4);
    cdec.IDEC = 1;
    EXPECT_EQ(merge(1), UNREF_ORDERS_CHANGED);
    EXPECT_EQ(order_of(celem.NICK(6, slot_of(1))), 3);
    EXPECT_TRUE(database_consistent());
}

TEST_F(UnrefineTest, FourSonUndoGivesTheStatusOfItsLastMerge) {
    // The lower-left quarter has a bottom edge of order 3: the merge of the
    // lower half raises the other half first (status 1); the last merge, of
    // the two halves, changes no order (status 0), and that is the result.
    MeshBuilder b(1, 1);
    const auto q = b.split4(1);
    b.edge_order(q[0], 1, 3);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(6);
    cdec.IDEC = 1;
    ::testing::internal::CaptureStdout();
    const int ier = undo4(1);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(ier, UNREF_DONE);
    EXPECT_EQ(cdata.NRELEM, 1);
    EXPECT_EQ(order_of(celem.NICK(5, slot_of(1))), 3);
    EXPECT_TRUE(database_consistent());
}

TEST_F(UnrefineTest, CheckunClassifiesFamilies) {
    MeshBuilder b(3, 1);
    auto q = b.split4(1);  // families 1, 2, 3
    b.split(2, 1);         // family 4
    b.split(3, 2);         // family 5
    ASSERT_EQ(b.build(), "");
    struct Case {
        int nfam, iflag;
        std::array<int, 4> sons;
    };
    const int s2 = first_son(2), s3 = first_son(3);
    const Case cases[] = {
        {1, 1, {q[0], q[1], q[3], q[2]}}, {2, 0, {0, 0, 0, 0}},  // a half of a four-son split
        {4, 2, {s2, s2 + 1, 0, 0}},       {5, 3, {s3, s3 + 1, 0, 0}}, {6, -1, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nfam);
        int iflag = 9, nfather = 0;
        Arr1<int, 4> nsons;
        checkun(c.nfam, iflag, nfather, nsons);
        EXPECT_EQ(iflag, c.iflag);
        EXPECT_EQ(nfather, ctree.TREE(1, c.nfam));
        for (int k = 0; k < 4; ++k) EXPECT_EQ(nsons(k + 1), c.sons[static_cast<std::size_t>(k)]);
    }
}

TEST_F(UnrefineTest, User7InvertsTheSplitOfAnEdge) {
    // Halves made from known coefficients by the split tables give them back.
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    const int ndof = 6;
    const double x[6] = {0.3, -1.2, 0.7, 2.0, -0.4, 0.9};
    int na = 0, nb = 0;
    ASSERT_EQ(take_node(ndof, na), MESH_DONE);
    ASSERT_EQ(take_node(ndof, nb), MESH_DONE);
    double* u = uold_flat();
    int da = cnode.NODPTR(na), db = cnode.NODPTR(nb);
    for (int i = 1; i <= ndof; ++i, da = cnu.NU(da), db = cnu.NU(db)) {
        double a = 0, c = 0;
        for (int j = i; j <= ndof; ++j) {
            a += crrr.RRR(j + 1, i + 1, 1) * x[j - 1];
            c += crrr.RRR(j + 1, i + 1, 2) * x[j - 1];
        }
        u[da - 1] = a;
        u[db - 1] = c;
    }
    double got[6] = {};
    user7(0, na, nb, ndof, got, u);
    for (int j = 0; j < ndof; ++j) EXPECT_NEAR(got[j], x[j], 1e-12) << j;
}

}  // namespace
}  // namespace kavren::testing
