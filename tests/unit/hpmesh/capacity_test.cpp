// Refinements and enrichments that would overflow a capacity are refused and
// leave the database, both solutions and the flags as they were.
#include <gtest/gtest.h>

#include <vector>

#include "hpmesh/enrich.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/refinexy.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/control.hpp"
#include "records/mesh.hpp"
#include "solution_probe.hpp"

namespace kavren::testing {
namespace {

using CapacityTest = MeshTest;

int do_refine(int nel) {
    return refine(nel, uold_flat(), unew_flat(), icolu.ICOLU);
}
int cut(int nel, int ixy) {
    return refinexy(nel, ixy, uold_flat(), unew_flat(), icolu.ICOLU);
}
int do_enrich(int nel, int code) {
    return enrich(nel, code, uold_flat(), unew_flat(), icolu.ICOLU);
}

// Puts family fam at place pos (1 the head) of the free-family list; the list
// still holds every free family, so the database stays consistent.
void place_free_family(int fam, int pos) {
    std::vector<int> list;
    for (int f = cpoint.NPFAM; f != 0; f = ctree.TREE(2, f))
        if (f != fam) list.push_back(f);
    list.insert(list.begin() + (pos - 1), fam);
    cpoint.NPFAM = list.front();
    for (std::size_t i = 0; i < list.size(); ++i)
        ctree.TREE(2, list[i]) = i + 1 < list.size() ? list[i + 1] : 0;
}

// The first family whose son would need a slot beyond MAXSLOT.
int slotless_family() {
    return MAXSLOT - cdata.NRELIN + 1;
}

void set_flags() {
    cflags.ISOLVD = 1;
    cflags.IESTIM = 1;
}

TEST_F(CapacityTest, AFamilyWithoutSlotRefusesEvenAfterSplitsOfTheClosure) {
    {
        SCOPED_TRACE("four sons: element 1 is split first, then the slot runs out");
        MeshBuilder b(2, 1);
        b.default_order(3);
        const auto sons = b.split4(2);
        ASSERT_EQ(b.build(), "");
        fill_random_solution(1);
        set_flags();
        place_free_family(slotless_family(), 4);
        DatabaseCopy before;
        EXPECT_EQ(do_refine(sons[0]), MESH_NO_SLOT);
        EXPECT_TRUE(before.unchanged());
        EXPECT_NE(file("decks/t.err").find("NO ELEMENT SLOT LEFT (16000 SLOTS)"),
                  std::string::npos);
        EXPECT_TRUE(database_consistent());
        // With the family further down the list the same refinement goes through.
        place_free_family(slotless_family(), 7);
        EXPECT_EQ(do_refine(sons[0]), MESH_DONE);
        EXPECT_TRUE(database_consistent());
    }
    {
        SCOPED_TRACE("two sons: element 2 is cut first");
        MeshBuilder b(1, 2);
        b.default_order(2);
        const int left = b.split(1, 2);
        ASSERT_EQ(b.build(), "");
        fill_random_solution(2);
        place_free_family(slotless_family(), 2);
        DatabaseCopy before;
        EXPECT_EQ(cut(left, 1), MESH_NO_SLOT);
        EXPECT_TRUE(before.unchanged());
        EXPECT_TRUE(database_consistent());
    }
}

TEST_F(CapacityTest, NoSonLiesDeeperThanNeigbrFollows) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    // Twenty cuts across direction 1 at the bottom: 20 y-levels.
    int e = 1;
    for (int i = 0; i < NEIGBR_DEPTH; ++i) {
        ASSERT_EQ(cut(e, 1), MESH_DONE) << i;
        int fs = 0;
        findfs(e, fs);
        e = fs;
    }
    fill_random_solution(3);
    DatabaseCopy before;
    EXPECT_EQ(cut(e, 1), MESH_TOO_DEEP);
    EXPECT_EQ(do_refine(e), MESH_TOO_DEEP);
    EXPECT_TRUE(before.unchanged());
    // A cut in the other direction adds an x-level only.
    EXPECT_EQ(cut(e, 2), MESH_DONE);
    EXPECT_TRUE(database_consistent());
}

TEST_F(CapacityTest, AnExhaustedNodeListRefusesTheSplit) {
    // Every node carries a dof and there are fewer dofs than nodes, so only a
    // cut list runs out of nodes; it is mended afterwards.
    MeshBuilder b(2, 1);
    b.default_order(2);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(4);
    int n = cpoint.NPNOD;
    for (int i = 0; i < 6; ++i) n = cnode.NODPTR(n);
    const int rest = cnode.NODPTR(n);
    cnode.NODPTR(n) = 0;
    DatabaseCopy before;
    EXPECT_EQ(do_refine(1), MESH_NO_NODE);
    EXPECT_TRUE(before.unchanged());
    cnode.NODPTR(n) = rest;
    EXPECT_TRUE(database_consistent());
}

// Enough elements that orders 8 everywhere would need more than MAXDOF dofs:
// the elements are enriched one by one until the dof list runs out; then
// an enrichment and a split of an order-8 element are refused.
TEST_F(CapacityTest, AnExhaustedDofListRefusesEnrichmentAndRefinement) {
    MeshBuilder b(25, 20);
    for (int e = 1; e <= 100; ++e) b.split4(e);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(5);
    cdec.IDEC = 1;
    std::vector<int> active;
    int nel = 0;
    for (int i = 0; i < cdata.NRELEM; ++i) active.push_back(nel = nelcon(nel));
    int refused_at = -1;
    for (std::size_t i = 0; i < active.size(); ++i) {
        const bool near = MAXDOF - cdata.NRDOF < 200;
        if (!near) {
            ASSERT_EQ(do_enrich(active[i], 8), MESH_DONE);
            continue;
        }
        DatabaseCopy before;
        const int rc = do_enrich(active[i], 8);
        if (rc == MESH_DONE) continue;
        EXPECT_EQ(rc, MESH_NO_DOF);
        EXPECT_TRUE(before.unchanged());
        refused_at = static_cast<int>(i);
        break;
    }
    ASSERT_GE(refused_at, 0) << "the dofs did not run out";
    EXPECT_NE(file("decks/t.err").find("NO FREE DEGREE OF FREEDOM LEFT (40000)"),
              std::string::npos);
    // An order-8 element needs far more for its sons than is left.
    DatabaseCopy before;
    EXPECT_EQ(do_refine(active[0]), MESH_NO_DOF);
    EXPECT_EQ(cut(active[0], 2), MESH_NO_DOF);
    EXPECT_TRUE(before.unchanged());
    EXPECT_TRUE(database_consistent());
}

}  // namespace
}  // namespace kavren::testing
