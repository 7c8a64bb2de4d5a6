// The MESH levels driven by a scripted deck through the real reader: the
// EXECUTE driver's level (meshwr) in full, and what only the unit level sees
// of the GEOMETRY level (mesh).
#include "meshgen/mesh_level.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "../hpmesh/hpmesh_fixture.hpp"
#include "../hpmesh/solution_probe.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/tree.hpp"
#include "records/control.hpp"
#include "records/dimen.hpp"
#include "records/eval.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"

namespace kavren::testing {
namespace {

class MeshLevelTest : public MeshTest {
  protected:
    void SetUp() override {
        MeshTest::SetUp();
        // A deck that ends too early falls back to the keyboard: make that
        // the end of input, so that a faulty test stops instead of waiting.
        std::freopen("/dev/null", "r", stdin);
        cndimen.NDIMEN = 2;
    }
    // Runs a level on the deck (its first record enters the level) and
    // returns what the terminal showed.
    std::string run_level(const std::string& text, bool execute) {
        deck(text);
        read();
        ::testing::internal::CaptureStdout();
        if (execute)
            meshwr(uold_flat(), unew_flat(), icolu.ICOLU);
        else
            mesh(uold_flat(), unew_flat(), icolu.ICOLU);
        return ::testing::internal::GetCapturedStdout();
    }
    std::string log() { return file("decks/t.out"); }
    std::string errors() { return file("decks/t.err"); }
};

int direction(int nel) {
    int f = 0, s = 0;
    faminf(first_son(nel), f, s);
    return ctree.TREE(4, f);
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST_F(MeshLevelTest, ExecuteLevelRefinesByKeywordAndDimension) {
    struct Case {
        const char* name;
        int ndimen;
        const char* record;
        int families;   // made by the record
        int direction;  // of element 1's family
        const char* journal;
    };
    const Case cases[] = {
        {"REFINE, two dimensions", 2, "REFINE,1", 3, 1, "   REFINE,1"},
        {"REFINE, one dimension", 1, "REFINE,1", 1, 2, "   REFINE,1"},
        {"REFINEX", 1, "REFINEX,1", 1, 1, "   REFINEX,1"},
        {"REFINEY", 2, "REFINEY,1", 1, 2, "   REFINEY,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(2, 1);
        ASSERT_EQ(b.build(), "");
        cndimen.NDIMEN = c.ndimen;
        cflags.ISOLVD = 1;
        const std::string before = log();
        run_level(std::string("MESH\n") + c.record + "\nEND\n", true);
        EXPECT_EQ(cdata.NRFAM, c.families);
        EXPECT_EQ(direction(1), c.direction);
        EXPECT_EQ(cflags.ISOLVD, 0);
        EXPECT_EQ(log().substr(before.size()), std::string("MESH\n") + c.journal + "\nEND\n");
        EXPECT_TRUE(database_consistent());
    }
}

TEST_F(MeshLevelTest, ExecuteLevelWritesItsBoxBeforeEveryRecord) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    const std::string out = run_level("MESH\nFOO\n?\nEND\n", true);
    // On entry and after FOO; "?" reads the next record at once.
    EXPECT_EQ(count(out, " *   IN ROUTINE MESH:                            *\n"), 2) << out;
    EXPECT_TRUE(has(out, " END...................................exit routine\n")) << out;
    EXPECT_TRUE(has(errors(), " ** UNKNOWN OPTION ***")) << errors();
}

TEST_F(MeshLevelTest, ExecuteLevelUnrefinesWhatCheckunLetsGo) {
    struct Case {
        const char* name;
        const char* records;
        int nrelem;  // afterwards
        bool refused;
    };
    // Element 1 of 2 x 1: four sons (families 1-3) or cut in direction 2.
    const Case cases[] = {
        {"a four-son split", "REFINE,1\nUNREFINE,1\n", 2, false},
        {"a cut into two sons", "REFINEY,1\nUNREFINE,1\n", 2, false},
        {"a half of a four-son split", "REFINE,1\nUNREFINE,3\n", 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(2, 1);
        ASSERT_EQ(b.build(), "");
        const std::string err0 = errors(), log0 = log();
        run_level(std::string("MESH\n") + c.records + "END\n", true);
        EXPECT_EQ(cdata.NRELEM, c.nrelem);
        EXPECT_EQ(has(errors().substr(err0.size()), " THIS ELEMENT CANNOT BE UNREFINED DUE"),
                  c.refused);
        EXPECT_EQ(has(log().substr(log0.size()), "UNREFINE,"), !c.refused);
        EXPECT_TRUE(database_consistent());
    }
}

TEST_F(MeshLevelTest, ExecuteLevelTakesFiveDigitOrderCodes) {
    struct Case {
        const char* record;
        std::array<int, 5> orders;  // edges 1..4 and the interior afterwards
        const char* error;          // the error line, "" for none
        const char* journal;        // "" for none
    };
    // A lone element of order 1: every edge is on the boundary.
    const Case cases[] = {
        {"ENRICH,1,ORDER=23452", {2, 3, 4, 5, 2}, "", "   ENRICH,1,ORDER=23452"},
        {"ENRICH,1,ORDER=9",
         {8, 8, 8, 8, 8},
         " WARNING: REQUEST IMPOSSIBLE",
         "   ENRICH,1,ORDER=9"},
        {"ENRICH,1,ORDER=99999",
         {8, 8, 8, 8, 8},
         " WARNING: REQUEST IMPOSSIBLE",
         "   ENRICH,1,ORDER=99999"},
        {"ENRICH,1,ORDER=23092", {1, 1, 1, 1, 1}, " *** ORDER UNREADABLE  ***", ""},
        {"ENRICH,1,INCREMENT=2", {3, 3, 3, 3, 3}, "", "   ENRICH,1,INCREMENT=2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        MeshBuilder b(1, 1);
        ASSERT_EQ(b.build(), "");
        const std::string err0 = errors(), log0 = log();
        run_level(std::string("MESH\n") + c.record + "\nEND\n", true);
        for (int k = 5; k <= 9; ++k)
            EXPECT_EQ(std::max(1, order_of(celem.NICK(k, 1))),
                      c.orders[static_cast<std::size_t>(k - 5)])
                << k;
        const std::string err = errors().substr(err0.size());
        EXPECT_EQ(err.substr(0, err.find('\n')), c.error);
        const std::string journal = c.journal;
        EXPECT_EQ(log().substr(log0.size()),
                  "MESH\n" + (journal.empty() ? "" : journal + "\n") + "END\n");
        EXPECT_TRUE(database_consistent());
    }
}

TEST_F(MeshLevelTest, ExecuteLevelListsTheHistoryButNeverReplaysIt) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    const std::string out = run_level("MESH\nH,1\nH\nREFINE,1\nEND\n", true);
    EXPECT_EQ(cbinrec.IREPLY, 0);
    EXPECT_TRUE(has(errors(), " *** NO REPLAY OF THE HISTORY INSIDE EXECUTE ***")) << errors();
    EXPECT_TRUE(has(out, " *   1 * MESH")) << out;
    // The level read on after both.
    EXPECT_EQ(cdata.NRELEM, 4);
}

TEST_F(MeshLevelTest, ComponentsOutsideTheProblemAreUnknown) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    ceqsys.NREQNS = 2;
    // COMPONENT=3 and a name the evaluator does not know are refused and the
    // record is read again; COMPONENT=2 names no action.
    run_level("MESH\nCOMPONENT=3\nCOMPONENT=NOSUCH\nCOMPONENT=2\nEND\n", false);
    const std::string err = errors();
    EXPECT_EQ(count(err, " **UNKNOWN COMPONENT"), 2) << err;
    EXPECT_EQ(count(err, " ** UNKNOWN OPTION ***"), 1) << err;
}

TEST_F(MeshLevelTest, AVariableOfIndexHundredOrMoreIsNoComponent) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    // Variables 99 and 100 of the evaluator, by name.
    b4.NUMVAR = 100;
    b2.SYMNAM(99) = Chars<SYM_NAME>("LOW");
    b3.SYMLEN(99) = 3;
    b2.SYMNAM(100) = Chars<SYM_NAME>("HIGH");
    b3.SYMLEN(100) = 4;
    run_level("MESH\nCOMPONENT=LOW\nCOMPONENT=HIGH\nEND\n", false);
    const std::string err = errors();
    EXPECT_EQ(count(err, " **UNKNOWN COMPONENT"), 1) << err;
    // LOW was taken and named no action; HIGH was refused.
    EXPECT_EQ(count(err, " ** UNKNOWN OPTION ***"), 1) << err;
}

TEST_F(MeshLevelTest, GroupRecordsNeedAKnownSetAndBoundary) {
    MeshBuilder b(2, 1);
    b.boundary_numbers(1, 2, 3, 4);
    ASSERT_EQ(b.build(), "");
    cbcons.NBLIN = 4;
    cbcons1.BNAME(2) = "RIGHT";
    struct Case {
        const char* record;
        int nrelem;
        const char* error;
    };
    const Case cases[] = {
        {"REFINE,ELSET=NOSUCH", 2, " ** UNKNOWN SET **"},
        {"REFINE,BOUNDARY=WALL", 2, "  BOUNDARY  UNREADABLE"},
        {"REFINE,BOUNDARY=0", 2, "  BOUNDARY  UNREADABLE"},
        {"REFINE,BOUNDARY=RIGHT", 5, ""},
        {"ENRICH,GLOBAL", 2, " *** ORDER UNREADABLE  ***"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        MeshBuilder b2(2, 1);
        ASSERT_EQ(b2.build(), "");
        const std::string err0 = errors();
        run_level(std::string("MESH\n") + c.record + "\nEND\n", false);
        EXPECT_EQ(cdata.NRELEM, c.nrelem);
        const std::string err = errors().substr(err0.size());
        EXPECT_EQ(err.substr(0, err.find('\n')), c.error);
        EXPECT_TRUE(database_consistent());
    }
    cbcons.NBLIN = 0;
    cbcons1.BNAME(2) = Word8();
}

TEST_F(MeshLevelTest, GroupUnrefinementRetriesBlockedElements) {
    // Element 1 in four sons 4, 5, 6, 7 (lower left, lower right, upper left,
    // upper right), and 7 in four again. The first quarters of the list wait
    // for the quarters of 7, which come last in the tree order; a second pass
    // merges them.
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    run_level("MESH\nREFINE,1\nREFINE,7\nUNREFINE,GLOBAL\nEND\n", false);
    EXPECT_EQ(cdata.NRELEM, 1);
    EXPECT_EQ(cdata.NRNODS, 4);
    EXPECT_TRUE(has(log(), "   UNREFINE,GLOBAL\n")) << log();
    EXPECT_TRUE(database_consistent());
}

}  // namespace
}  // namespace kavren::testing
