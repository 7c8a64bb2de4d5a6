// Debug prints of the database routines and the dialogs of a split, and the
// two routines nothing calls (user6, check).
#include <gtest/gtest.h>

#include <random>

#include "hpmesh/constraints.hpp"
#include "hpmesh/enrich.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/transfer.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/debug.hpp"
#include "records/mesh.hpp"
#include "solution_probe.hpp"
#include "support/units.hpp"

namespace kavren::testing {
namespace {

class MeshDebugTest : public MeshTest {
  protected:
    void SetUp() override {
        MeshTest::SetUp();
        units::open_text(units::STDOUT_UNIT, "term.txt", units::Open::create);
    }
    // A routine registers once a run, under a user name or as index 20:
    // setting every user switch reaches it whichever it got.
    void all_user_switches(int value) {
        for (int j = 1; j <= MAX_BREAK_NAMES; ++j) cdbg.IUSRBK(j) = value;
    }
    std::string terminal() { return file("term.txt"); }
};

bool has(const std::string& text, const std::string& what) {
    return text.find(what) != std::string::npos;
}

TEST_F(MeshDebugTest, DatabaseRoutinesPrintUnderTheirNames) {
    MeshBuilder b(2, 1);
    const auto sons = b.split4(2);
    b.default_order(2);
    ASSERT_EQ(b.build(), "");
    all_user_switches(1);
    Arr2<double, 2, 9> xnodl;
    nodcor(1, xnodl);
    int ndofe = 0;
    Arr1<int, 9> ndofl;
    double ue[MAXLDOF] = {};
    solelm(1, ndofe, ndofl, ue, &cuold.UOLD(1, 1));
    solelm(sons[0], ndofe, ndofl, ue, &cuold.UOLD(1, 1));
    const std::string t = terminal();
    EXPECT_TRUE(has(t, " NO CONSTRAINTS...\n"));
    EXPECT_TRUE(has(t, " NEIGBR   : NEIG     (    1 )="));
    EXPECT_TRUE(has(t, " NEIGBR   : NELP            ="));
    EXPECT_TRUE(has(t, " NODCOR   : XNODL    ( 1 , 9 )="));
    EXPECT_TRUE(has(t, " LOGIC1   : LNODS    (    9 )="));
    EXPECT_TRUE(has(t, " LOGIC2   : NWINS    (    1 )="));
    EXPECT_TRUE(has(t, " SOLELM   : UE       (    1 )="));

    // -n prints for element n only: nothing for element 1.
    all_user_switches(-sons[0]);
    solelm(1, ndofe, ndofl, ue, &cuold.UOLD(1, 1));
    EXPECT_EQ(terminal(), t);
    EXPECT_TRUE(database_consistent());
}

TEST_F(MeshDebugTest, TheSplitDialogsShowElementsAskedFor) {
    MeshBuilder b(1, 1);
    b.order(1, 2);
    ASSERT_EQ(b.build(), "");
    // Six dialogs: nicknames at the start, after the centre and after the
    // sides; dofs at the start, before and after the write-back.
    std::string lines = "NELP=1\nNELP=0\n";
    for (int i = 0; i < 8; ++i) lines += "NELP=0\n";
    deck(lines);
    all_user_switches(1);
    ASSERT_EQ(refine(1, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    all_user_switches(0);
    const std::string t = terminal();
    EXPECT_TRUE(has(t, " CHECK NICKNAMES...\n SET NELP=?\n"));
    EXPECT_TRUE(has(t, " BREAK    : NO              = 1\n"));
    EXPECT_TRUE(has(t, " BREAK    : NODES    (    1 )= 101\n"));
    EXPECT_TRUE(has(t, " CHECK NICKNAMES AFTER SPLITTING CENTRAL NODE:\n"));
    EXPECT_TRUE(has(t, " CHECK NICKNAMES AFTER SPLITTING SIDE NODES:\n"));
    EXPECT_TRUE(has(t, " CHECK DOF OF ANY ELEMENT\n"));
    EXPECT_TRUE(has(t, " SPLIT2   : NORDCENT        = 2\n"));
    EXPECT_TRUE(has(t, " SPLIT1   : NODOF1          ="));
    EXPECT_TRUE(database_consistent());
}

// user6 reads the father's chains directly; it gives what the transfer gives.
TEST_F(MeshDebugTest, User6AgreesWithTheTransfer) {
    MeshBuilder b(1, 1);
    b.order(1, 5);
    b.edge_order(1, 2, 3);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(8);
    ElementVector ev;
    SonPatch p;
    breakin1(1, uold_flat(), icolu.ICOLU, ev, p);
    breakin2(1, ev, p);
    breakin3(1, ev, p);
    Arr1<int, 9> lnodes, lorder;
    for (int k = 1; k <= 9; ++k) {
        lnodes(k) = celem.NICK(k, 1) / 100;
        lorder(k) = celem.NICK(k, 1) % 100;
    }
    double centre = 0.0;
    Arr2<double, MAX_SIDE_DOF, 4> edges;
    Arr3<double, MAX_SIDE_DOF, MAX_SIDE_DOF, 4> interiors;
    user6(lnodes, lorder, centre, edges, interiors, &cuold.UOLD(1, 1));
    EXPECT_NEAR(centre, p.UCORNS(5, 1), 1e-14);
    const int edge_of[4] = {4, 7, 9, 6}, centre_of[4] = {1, 2, 4, 3};
    for (int q = 0; q < 4; ++q)
        for (int i = 1; i <= MAX_SIDE_DOF; ++i) {
            EXPECT_NEAR(edges(i, q + 1), p.UEDGES(i, edge_of[q], 1), 1e-14);
            for (int j = 1; j <= MAX_SIDE_DOF; ++j)
                EXPECT_NEAR(interiors(i, j, q + 1), p.UCENTRS(i, j, centre_of[q], 1), 1e-14);
        }
}

TEST_F(MeshDebugTest, CheckRaisesEdgesAlongAnOutlineToTheNeighboursInteriors) {
    // The 2 x 2 block 6, 7, 11, 10 in the middle of 16 elements of order 5,
    // with the edges across its outline lowered to 2.
    MeshBuilder b(4, 4);
    b.default_order(5);
    const int block[4] = {6, 7, 11, 10};
    for (int e : block) b.order(e, 2);
    // Block element k lies on outline sides k and k-1.
    for (int k = 1; k <= 4; ++k) {
        b.edge_order(block[k - 1], k, 2);
        b.edge_order(block[k - 1], (k + 2) % 4 + 1, 2);
    }
    ASSERT_EQ(b.build(), "");
    ASSERT_TRUE(database_consistent());
    Arr1<int, 4> slots, iside;
    Arr1<int, 8> neig;
    for (int k = 1; k <= 4; ++k) findno(block[k - 1], slots(k));
    const int around[8] = {2, 8, 15, 9, 3, 12, 14, 5};
    for (int q = 1; q <= 8; ++q) neig(q) = around[q - 1];
    const int facing[4] = {3, 4, 1, 2};
    for (int k = 1; k <= 4; ++k) iside(k) = facing[k - 1];
    ASSERT_EQ(check(slots, neig, iside, uold_flat(), unew_flat(), icolu.ICOLU), MESH_DONE);
    EXPECT_EQ(celem.NICK(5, slots(1)) % 100, 5);
    EXPECT_EQ(celem.NICK(8, slots(1)) % 100, 5);
    EXPECT_EQ(celem.NICK(7, slots(3)) % 100, 5);
    EXPECT_TRUE(database_consistent());
}

}  // namespace
}  // namespace kavren::testing
