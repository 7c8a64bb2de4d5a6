#include "hpmesh/enrich.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>
#include <tuple>

#include "hpmesh/journal.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/mesh.hpp"
#include "solution_probe.hpp"

namespace kavren::testing {
namespace {

using EnrichTest = MeshTest;

int do_enrich(int nel, int code) {
    return enrich(nel, code, uold_flat(), unew_flat(), icolu.ICOLU);
}
int do_unrich(int nel, int n) {
    return unrich(nel, n, uold_flat(), unew_flat(), icolu.ICOLU);
}

int order(int nel, int k) {
    return celem.NICK(k, slot_of(nel)) % 100;
}
int nick(int nel, int k) {
    return celem.NICK(k, slot_of(nel));
}

TEST_F(EnrichTest, OrderCodesAreValidated) {
    struct Case {
        int code;
        bool valid;
    };
    const Case cases[] = {{-3, false},    {0, false},     {1, false},     {2, true},
                          {8, true},      {9, false},     {11110, false}, {11111, true},
                          {88888, true},  {88889, false}, {18081, false}, {91111, false},
                          {100000, false}};
    MeshBuilder b(1, 1);
    b.order(1, 3);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(valid_order_code(c.code), c.valid);
        if (c.valid) continue;
        DatabaseCopy before;
        EXPECT_EQ(do_enrich(1, c.code), MESH_BAD_ORDER);
        EXPECT_TRUE(before.unchanged());
    }
    EXPECT_NE(file("decks/t.err").find("ENRICH OF ELEMENT 1 REFUSED: INVALID ORDER CODE 18081"),
              std::string::npos);
    EXPECT_TRUE(database_consistent());
}

TEST_F(EnrichTest, NodeAndDofCountsFollowTheOrders) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    const int nrnods = cdata.NRNODS, nrdof = cdata.NRDOF;
    ASSERT_EQ(do_enrich(1, 3), MESH_DONE);
    // Four edges of 2 dofs and an interior of 4.
    EXPECT_EQ(cdata.NRNODS, nrnods + 5);
    EXPECT_EQ(cdata.NRDOF, nrdof + 12);
    ASSERT_EQ(do_enrich(1, 23458), MESH_DONE);
    EXPECT_EQ(cdata.NRDOF, nrdof + 1 + 2 + 3 + 4 + 49);
    for (int k = 5; k <= 9; ++k)
        EXPECT_EQ(order(1, k), (std::array<int, 10>{0, 0, 0, 0, 0, 2, 3, 4, 5, 8})[k]);
    // All digits 1: every edge and interior node goes.
    ASSERT_EQ(do_enrich(1, 11111), MESH_DONE);
    EXPECT_EQ(cdata.NRNODS, nrnods);
    EXPECT_EQ(cdata.NRDOF, nrdof);
    for (int k = 5; k <= 9; ++k) EXPECT_EQ(nick(1, k), 0);
    EXPECT_TRUE(database_consistent());
}

TEST_F(EnrichTest, SharedEdgesFollowTheNeighboursInteriors) {
    MeshBuilder b(2, 1);
    b.order(1, 3);
    b.order(2, 5);
    ASSERT_EQ(b.build(), "");
    // Side 1 (boundary) asks 2 below its order 3 and falls to 2; side 2,
    // shared with an interior of order 5, stays at 5 although 2 is asked.
    ASSERT_EQ(do_enrich(1, 22223), MESH_DONE);
    EXPECT_EQ(order(1, 5), 2);
    EXPECT_EQ(order(1, 6), 5);
    EXPECT_EQ(nick(2, 8), nick(1, 6));
    EXPECT_TRUE(database_consistent());

    // The uniform enrichment lowers the interior but never an edge.
    ASSERT_EQ(do_enrich(2, 2), MESH_DONE);
    EXPECT_EQ(order(2, 9), 2);
    EXPECT_EQ(order(2, 8), 5);
    EXPECT_EQ(order(2, 5), 5);
    EXPECT_TRUE(database_consistent());

    // Lowering to order 1: the interior goes, the shared edge keeps element
    // 2's interior order (now 2), the boundary edges go.
    ASSERT_EQ(do_unrich(1, 1), MESH_DONE);
    EXPECT_EQ(nick(1, 9), 0);
    EXPECT_EQ(order(1, 6), 2);  // element 2's interior is 2 now
    EXPECT_EQ(nick(1, 5), 0);
    EXPECT_EQ(nick(1, 7), 0);
    EXPECT_TRUE(database_consistent());
}

TEST_F(EnrichTest, ASmallElementRaisesTheLargerSide) {
    // Element 2 split into four: its left sons lie along element 1's side 2.
    MeshBuilder b(2, 1);
    b.default_order(2);
    const auto sons = b.split4(2);
    b.order(sons[3], 4);  // the upper-left son, sibling of sons[0] along element 1
    b.order(1, 3);
    ASSERT_EQ(b.build(), "");
    ASSERT_EQ(nick(sons[0], 8), -4);
    ASSERT_EQ(do_enrich(sons[0], 22225), MESH_DONE);
    // Asked 2, the sibling's interior 4, element 1's interior 3: order 4.
    EXPECT_EQ(order(1, 6), 4);
    EXPECT_EQ(nick(sons[0], 8), -4);
    EXPECT_EQ(nick(sons[3], 8), -4);
    // Side 4 asked at 7: the larger side rises to 7.
    ASSERT_EQ(do_enrich(sons[0], 22275), MESH_DONE);
    EXPECT_EQ(order(1, 6), 7);
    EXPECT_EQ(nick(sons[0], 8), -7);
    EXPECT_EQ(nick(sons[3], 8), -7);
    EXPECT_TRUE(database_consistent());
}

// A larger side of order 1 has no node: a new edge or interior node that
// needs the hanging vertex places it at that side's middle.
TEST_F(EnrichTest, AHangingVertexWithoutNodeStandsAtTheMiddleOfItsSide) {
    MeshBuilder b(2, 1);
    const auto sons = b.split4(2);
    ASSERT_EQ(b.build(), "");
    ASSERT_EQ(nick(sons[0], 4), -1);
    ASSERT_EQ(nick(sons[0], 8), 0);
    // Side 3 of the lower-left son ends at its hanging vertex 4, at (1, 0.5).
    ASSERT_EQ(do_enrich(sons[0], 11313), MESH_DONE);
    EXPECT_EQ(order(1, 6), 0) << "the larger side keeps order 1";
    const int edge = nick(sons[0], 7) / 100, interior = nick(sons[0], 9) / 100;
    ASSERT_GT(edge, 0);
    EXPECT_DOUBLE_EQ(cnode.XNOD(1, edge), 1.25);
    EXPECT_DOUBLE_EQ(cnode.XNOD(2, edge), 0.5);
    EXPECT_DOUBLE_EQ(cnode.XNOD(1, interior), 1.25);
    EXPECT_DOUBLE_EQ(cnode.XNOD(2, interior), 0.25);
    EXPECT_TRUE(database_consistent());
}

TEST_F(EnrichTest, UnrichMakesTheLargerSidesNodeWhenItHasNone) {
    MeshBuilder b(2, 1);
    const auto sons = b.split4(2);
    b.order(sons[0], 4);
    b.order(sons[3], 1);
    b.edge_order(1, 2, 1);  // the larger side: no node, a state five-digit codes leave
    ASSERT_EQ(b.build(), "");
    ASSERT_EQ(order(1, 6), 0);
    ASSERT_EQ(do_unrich(sons[0], 2), MESH_DONE);
    EXPECT_EQ(order(1, 6), 2);
    EXPECT_EQ(nick(sons[0], 8), -2);
    EXPECT_EQ(nick(sons[3], 8), -2);
    EXPECT_TRUE(database_consistent());
}

TEST_F(EnrichTest, WrongInputToUnrichEndsTheRun) {
    MeshBuilder b(1, 1);
    b.order(1, 3);
    ASSERT_EQ(b.build(), "");
    EXPECT_EXIT(do_unrich(1, 3), ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(last_error_line(), "       TERMINATION OCCURED IN ROUTINE--UNRICH");
    EXPECT_NE(file("decks/t.err").find("WRONG INPUT TO UNRICH!"), std::string::npos);
}

// The values of every node: its order and its coefficients, by its kind and
// position (a node deleted and another made in one change may share a number).
struct NodeValues {
    int order = 0, kind = 0;  // kind 1 vertex, 2 edge, 3 interior
    std::vector<double> old_v, new_v;
};
using NodeKey = std::tuple<int, long, long>;
std::map<NodeKey, NodeValues> node_values() {
    std::map<NodeKey, NodeValues> m;
    std::set<int> seen;
    int nel = 0;
    for (int i = 0; i < cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        for (int k = 1; k <= 9; ++k) {
            const int nk = celem.NICK(k, slot_of(nel));
            if (nk <= 0 || !seen.insert(nk / 100).second) continue;
            NodeValues v;
            v.order = nk % 100;
            v.kind = k <= 4 ? 1 : k <= 8 ? 2 : 3;
            for (int d = cnode.NODPTR(nk / 100); d != 0; d = cnu.NU(d))
                for (int c = 1; c <= 4; ++c) {
                    v.old_v.push_back(cuold.UOLD(d, c));
                    v.new_v.push_back(cunew.UNEW(d, c));
                }
            const NodeKey key{v.kind, std::lround(cnode.XNOD(1, nk / 100) * 1e6),
                              std::lround(cnode.XNOD(2, nk / 100) * 1e6)};
            m[key] = v;
        }
    }
    return m;
}

// Coefficient (k, l) of an interior block of order p, or j of an edge, in
// component c; 0 beyond the chain.
double coefficient(const NodeValues& v, bool unew, int k, int l, int c) {
    const int side = v.order - 1;
    if (v.kind == 2 && l != 1) return 0.0;
    if (k > side || (v.kind == 3 && l > side)) return 0.0;
    const int pos = v.kind == 3 ? (l - 1) * side + (k - 1) : k - 1;
    return (unew ? v.new_v : v.old_v)[static_cast<std::size_t>(4 * pos + c - 1)];
}

TEST_F(EnrichTest, RandomEnrichmentsKeepTheFunctionOrItsKeptCoefficients) {
    std::mt19937 gen(21);
    for (int trial = 0; trial < 6; ++trial) {
        MeshBuilder b(3, 2);
        for (int step = 0; step < 6; ++step) {
            int nel = 0, pick = static_cast<int>(gen() % cdata.NRELEM);
            for (int i = 0; i <= pick; ++i) nel = nelcon(nel);
            if (gen() % 2)
                b.try_split4(nel);
            else
                b.try_split(nel, 1 + static_cast<int>(gen() % 2));
        }
        int nel = 0;
        for (int i = 0; i < cdata.NRELEM; ++i) b.order(nel = nelcon(nel), 1 + gen() % 4);
        ASSERT_EQ(b.build(), "");
        fill_random_solution(100 + static_cast<unsigned>(trial));
        cdec.IDEC = 1;
        for (int step = 0; step < 12; ++step) {
            SCOPED_TRACE("trial " + std::to_string(trial) + " step " + std::to_string(step));
            int e = 0, pick = static_cast<int>(gen() % cdata.NRELEM);
            for (int i = 0; i <= pick; ++i) e = nelcon(e);
            const bool raise = step % 2 == 0;
            int code = 0;
            if (raise) {
                // Digits at least the present orders: nothing falls.
                int d[5];
                for (int k = 5; k <= 9; ++k) {
                    const int now = std::max(1, std::abs(order(e, k)));
                    d[k - 5] = now + static_cast<int>(gen() % (MAXP - now + 1));
                }
                code = d[0] * 10000 + d[1] * 1000 + d[2] * 100 + d[3] * 10 + d[4];
                if (gen() % 3 == 0) code = std::max(2, d[4]);
            } else {
                code = 11111 + static_cast<int>(gen() % 7) * (gen() % 2 ? 1 : 10000);
            }
            std::mt19937 pgen(step);
            const std::vector<Probe> before = sample_solution(pgen, 2);
            const std::map<NodeKey, NodeValues> nodes_before = node_values();
            ASSERT_EQ(do_enrich(e, code), MESH_DONE) << "code " << code;
            ASSERT_TRUE(database_consistent()) << "code " << code;
            if (raise) {
                expect_same_solution(before);
                continue;
            }
            // What a falling order keeps keeps its value.
            const std::map<NodeKey, NodeValues> nodes_after = node_values();
            for (const auto& [key, after] : nodes_after) {
                auto it = nodes_before.find(key);
                if (it == nodes_before.end()) continue;
                for (int k = 1; k <= MAXP - 1; ++k)
                    for (int l = 1; l <= MAXP - 1; ++l)
                        for (int c = 1; c <= 4; ++c) {
                            if (coefficient(after, false, k, l, c) == 0.0 &&
                                (k >= after.order || l >= after.order))
                                continue;
                            EXPECT_EQ(coefficient(after, false, k, l, c),
                                      coefficient(it->second, false, k, l, c))
                                << "kind " << after.kind;
                            EXPECT_EQ(coefficient(after, true, k, l, c),
                                      coefficient(it->second, true, k, l, c))
                                << "kind " << after.kind;
                        }
            }
        }
    }
}

TEST_F(EnrichTest, WithIdecZeroOnlyUoldGetsTheNewValues) {
    MeshBuilder b(1, 1);
    b.order(1, 2);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(7);
    // Mark the free rows of UNEW; a uniform order 3 takes 1 + 4*1 + 3 = 8 new dofs.
    for (int d = cpoint.NPDOF, i = 0; i < 12; d = cnu.NU(d), ++i) {
        cunew.UNEW(d, 1) = 42.0;
        cuold.UOLD(d, 1) = 42.0;
    }
    cdec.IDEC = 0;
    ASSERT_EQ(do_enrich(1, 3), MESH_DONE);
    // The second dof of each edge and of the interior is new.
    for (int k = 5; k <= 9; ++k) {
        const int d = cnu.NU(cnode.NODPTR(nick(1, k) / 100));
        EXPECT_EQ(cuold.UOLD(d, 1), 0.0) << k;
        EXPECT_EQ(cunew.UNEW(d, 1), 42.0) << k;
    }
    EXPECT_TRUE(database_consistent());
}

}  // namespace
}  // namespace kavren::testing
