#include "hpmesh/dbcheck.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/mesh.hpp"

namespace kavren::testing {
namespace {

using DbCheckTest = MeshTest;

bool mentions(const std::vector<std::string>& msgs, const std::string& part) {
    for (const std::string& m : msgs)
        if (m.find(part) != std::string::npos) return true;
    return false;
}

std::string joined(const std::vector<std::string>& msgs) {
    std::string s;
    for (const std::string& m : msgs) s += m + "\n";
    return s;
}

// The mesh the corruption cases start from: element 2 of two cut into four,
// so element 1's side 2 carries two walls; orders 2 and 3.
void corner_mesh() {
    MeshBuilder b(2, 1);
    b.split4(2);
    b.order(1, 3);
    b.default_order(2);
    ASSERT_EQ(b.build(), "");
}

TEST_F(DbCheckTest, BuiltMeshesAreConsistent) {
    struct Case {
        const char* name;
        std::function<void(MeshBuilder&)> make;
    };
    const Case cases[] = {
        {"one element", [](MeshBuilder&) {}},
        {"four sons beside a larger element", [](MeshBuilder& b) { b.split4(2); }},
        {"two levels in a corner",
         [](MeshBuilder& b) {
             auto s = b.split4(1);
             b.split4(s[2]);
             b.split4(2);
             b.split4(3);
             b.split4(4);
         }},
        {"directional cuts and mixed orders",
         [](MeshBuilder& b) {
             int s = b.split(1, 1);
             b.split(2, 1);
             b.split(s + 1, 2);
             b.order(2, 4);
             b.order(s, 6);
             b.edge_order(4, 1, 5);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(2, 2);
        b.default_order(2);
        c.make(b);
        ASSERT_EQ(b.build(), "");
        EXPECT_TRUE(database_consistent());
    }
}

TEST_F(DbCheckTest, RandomOneIrregularMeshesAreConsistent) {
    std::mt19937 gen(5);
    for (int trial = 0; trial < 12; ++trial) {
        MeshBuilder b(2, 2);
        for (int step = 0; step < 25; ++step) {
            std::vector<int> active;
            int nel = 0;
            for (int i = 0; i < cdata.NRELEM; ++i) active.push_back(nel = nelcon(nel));
            const int e = active[gen() % active.size()];
            const int kind = static_cast<int>(gen() % 3);
            if (kind == 0)
                b.try_split4(e);
            else
                b.try_split(e, kind);
            b.order(e, 1 + static_cast<int>(gen() % 8));
        }
        ASSERT_EQ(b.build(), "");
        ASSERT_TRUE(database_consistent()) << "trial " << trial;
    }
}

TEST_F(DbCheckTest, ATwoIrregularTreeIsReported) {
    MeshBuilder b(2, 1);
    auto s = b.split4(2);
    b.split4(s[0]);  // a quarter of a quarter against element 1's side
    std::vector<std::string> msgs;
    MeshTopology topo;
    mesh_topology(topo, msgs);
    EXPECT_TRUE(mentions(msgs, "not 1-irregular")) << joined(msgs);
    EXPECT_NE(b.build(), "");
}

TEST_F(DbCheckTest, AWallWhoseEndsHangIsReported) {
    // Element 1's upper half is cut while its side 2 is half of element 2's
    // side: the far vertex of the new wall on the lower half hangs.
    MeshBuilder b(2, 1);
    const int s = b.split(1, 1);
    b.split(s + 1, 2);
    std::vector<std::string> msgs;
    MeshTopology topo;
    mesh_topology(topo, msgs);
    EXPECT_TRUE(mentions(msgs, "a wall on element 3 whose ends hang")) << joined(msgs);
    // Cutting the lower half as well makes four quarters: consistent again.
    EXPECT_TRUE(b.try_split(s, 2));
    ASSERT_EQ(b.build(), "");
    EXPECT_TRUE(database_consistent());
}

TEST_F(DbCheckTest, TrySplitRefusesAndUndoesACutThatBreaksTheRule) {
    MeshBuilder b(2, 1);
    const int s = b.split(1, 1);
    const int npfam = cpoint.NPFAM;
    EXPECT_FALSE(b.try_split(s + 1, 2));
    EXPECT_EQ(cdata.NRFAM, 1);
    EXPECT_EQ(cdata.NRELEM, 3);
    EXPECT_EQ(cpoint.NPFAM, npfam);
    int fs = -1;
    findfs(s + 1, fs);
    EXPECT_EQ(fs, 0);
    ASSERT_EQ(b.build(), "");
    EXPECT_TRUE(database_consistent());
}

TEST_F(DbCheckTest, CorruptionsAreReportedWithoutStopping) {
    struct Case {
        const char* name;
        std::function<void()> corrupt;
        const char* expect;
    };
    const Case cases[] = {
        {"dof count", [] { cdata.NRDOF += 1; }, "NRDOF"},
        {"family counter", [] { cdata.NRFAM += 1; }, "NRFAM"},
        {"father of a family", [] { ctree.TREE(1, 1) = 1; }, "names father"},
        {"free-node loop",
         [] {
             const int n = cpoint.NPNOD;
             cnode.NODPTR(cnode.NODPTR(n)) = n;
         },
         "loop"},
        {"dof in two chains",
         [] {
             const int d = cpoint.NPDOF;
             cpoint.NPDOF = cnu.NU(d);
             cnu.NU(cnode.NODPTR(1)) = d;
             cnu.NU(d) = cnode.NODPTR(2);
         },
         "two chains"},
        {"visit mark left", [] { cnode.NODPTR(3) = -cnode.NODPTR(3); }, "visit mark"},
        {"hanging vertex made real",
         [] {
             for (int k = 1; k <= 4; ++k)
                 if (celem.NICK(k, 2) == -1) celem.NICK(k, 2) = celem.NICK(1, 1);
         },
         "should hang"},
        {"constrained order",
         [] {
             for (int k = 5; k <= 8; ++k)
                 if (celem.NICK(k, 2) < 0) celem.NICK(k, 2) = -2;
         },
         "constrained nickname"},
        {"edge order without its dofs", [] { celem.NICK(5, 1) += 1; }, "its order needs"},
        {"node order differs between two elements",
         [] {
             // The first son of element 2 keeps slot 2; its side 2 is shared with the second son.
             celem.NICK(6, 2) += 1;
         },
         "named differently"},
        {"asymmetric neighbour table", [] { cneig.NEIG(4, 2) = -4; }, "does not name"},
        {"family free and in use", [] { cpoint.NPFAM = 1; }, "in use and free"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        corner_mesh();
        ASSERT_TRUE(database_consistent());
        c.corrupt();
        const std::vector<std::string> msgs = check_database();
        EXPECT_TRUE(mentions(msgs, c.expect)) << joined(msgs);
    }
}

}  // namespace
}  // namespace kavren::testing
