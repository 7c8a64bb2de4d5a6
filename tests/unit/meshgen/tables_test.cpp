// Look-ups of regions, sets and profiles, the set lists and the node table.
#include "meshgen/tables.hpp"

#include <gtest/gtest.h>

#include "geometry_fixture.hpp"

namespace kavren::testing {
namespace {

class TablesTest : public GeneratorTest {
  protected:
    void SetUp() override {
        GeneratorTest::SetUp();
        cregion();
        csets();
        cprofs();
        reset_node_table();
    }
    // Runs a look-up on field 2 of the record text; returns its mode.
    int look_up(void (*routine)(int, int&), const std::string& text, int mode) {
        record(text);
        routine(2, mode);
        return mode;
    }
};

TEST_F(TablesTest, ResetsLeaveTheStartingEntries) {
    EXPECT_EQ(cregio.NREG, 1);
    EXPECT_EQ(cregio.IREG, 1);
    EXPECT_EQ(cregio.REGNAME(1).trimmed(), "ONE");
    EXPECT_EQ(cregio.NUMREG(1), 1);
    EXPECT_EQ(csetf.NSET, 1);
    EXPECT_EQ(csetf.ISCUR, 1);
    EXPECT_EQ(csetf.SETNAM(1).trimmed(), "MESH");
    EXPECT_EQ(csetf.ISNEXT(SET_POOL), SET_POOL + 1);
    EXPECT_EQ(cprofi.NPROF, 0);
    EXPECT_EQ(cprofi.IPCUR, 0);
    EXPECT_EQ(cnodet.IFREE, 1);
    EXPECT_EQ(cnodet.NEXTG(MAXGNOD), 0);
}

struct LookUpCase {
    const char* name;
    void (*routine)(int, int&);
    const char* record;
    int mode;
    int result;           // mode on return
    const char* message;  // error text, empty when none
};

const LookUpCase kLookUps[] = {
    {"set_one_by_number_is_unknown", fset, "ELSET,1", LOOKUP_SELECT, 1, " ** UNKNOWN SET **"},
    {"set_mesh_by_name", fset, "ELSET,MESH", LOOKUP_SELECT, 0, ""},
    {"set_zero_is_invalid", fset, "ELSET,0", LOOKUP_DEFINE, 1, " ** INVALID SET NUMBER **"},
    {"set_without_value", fset, "ELSET", LOOKUP_SELECT, 1,
     " ** EXPECTING NAME OR NUMBER AFTER \"SET\"  **"},
    {"region_zero_is_valid", fregion, "REGION,0", LOOKUP_DEFINE, 0, ""},
    {"region_21_is_invalid", fregion, "REGION,21", LOOKUP_DEFINE, 1,
     " ** INVALID REGION NUMBER **"},
    {"region_unknown_name", fregion, "REGION,NORTH", LOOKUP_SELECT, 1, " ** UNKNOWN REGION **"},
    {"region_without_value", fregion, "REGION", LOOKUP_SELECT, 1,
     " ** EXPECTING NAME OR NUMBER AFTER \"REGION\" **"},
    {"profile_zero_is_valid", fprof, "PROFILE,0", LOOKUP_DEFINE, 0, ""},
    {"profile_21_is_invalid", fprof, "PROFILE,21", LOOKUP_DEFINE, 1,
     " ** INVALID PROFILE  NUMBER **"},
    {"profile_unknown", fprof, "PROFILE,P", LOOKUP_SELECT, 1, " ** UNKNOWN PROFILE **"},
    {"profile_none_current", fprof, "PROFILE", LOOKUP_SELECT, 1,
     " ** EXPECTING NAME OR NUMBER AFTER \"PROFILE\"**"},
};

class LookUpTable : public TablesTest, public ::testing::WithParamInterface<LookUpCase> {};

TEST_P(LookUpTable, ModeAndMessage) {
    const LookUpCase& c = GetParam();
    EXPECT_EQ(look_up(c.routine, c.record, c.mode), c.result);
    std::string err = errors();
    if (*c.message)
        EXPECT_NE(err.find(std::string(c.message) + "\n"), std::string::npos) << err;
    else
        EXPECT_EQ(err, "");
}

INSTANTIATE_TEST_SUITE_P(Tables, LookUpTable, ::testing::ValuesIn(kLookUps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TablesTest, RefusedSetLookUpsLeaveSetOneCurrent) {
    look_up(fset, "ELSET,LEFT", LOOKUP_DEFINE);
    ASSERT_EQ(csetf.ISCUR, 2);
    look_up(fset, "ELSET,1", LOOKUP_SELECT);
    EXPECT_EQ(csetf.ISCUR, 1);
    look_up(fset, "ELSET,LEFT", LOOKUP_SELECT);
    ASSERT_EQ(csetf.ISCUR, 2);
    look_up(fset, "ELSET,0", LOOKUP_SELECT);
    EXPECT_EQ(csetf.ISCUR, 1);
}

TEST_F(TablesTest, RegionNumbersAndNames) {
    ASSERT_EQ(look_up(fregion, "REGION,7", LOOKUP_DEFINE), 0);
    EXPECT_EQ(cregio.IREG, 2);
    EXPECT_EQ(cregio.NUMREG(2), 7);
    EXPECT_TRUE(cregio.REGNAME(2).blank());
    ASSERT_EQ(look_up(fregion, "REGION,SOUTH", LOOKUP_DEFINE), 0);
    EXPECT_EQ(cregio.IREG, 3);
    ASSERT_EQ(look_up(fregion, "REGION,7", LOOKUP_SELECT), 0);
    EXPECT_EQ(cregio.IREG, 2);
    ASSERT_EQ(look_up(fregion, "REGION,SOUTH", LOOKUP_SECOND), 0);
    EXPECT_EQ(cregio.IFROM, 3);
    EXPECT_EQ(cregio.IREG, 2);
    // An invalid number leaves the current region; an unknown one makes it 1.
    look_up(fregion, "REGION,99", LOOKUP_SELECT);
    EXPECT_EQ(cregio.IREG, 2);
    look_up(fregion, "REGION,8", LOOKUP_SELECT);
    EXPECT_EQ(cregio.IREG, 1);
}

TEST_F(TablesTest, SecondSetOfTheSameNameIsFoundSecond) {
    look_up(fset, "ELSET,LEFT", LOOKUP_DEFINE);
    look_up(fset, "ELSET,LEFT", LOOKUP_DEFINE);
    EXPECT_EQ(csetf.NSET, 3);
    look_up(fset, "ELSET,LEFT", LOOKUP_SELECT);
    EXPECT_EQ(csetf.ISCUR, 2);
}

TEST_F(TablesTest, ThreeElementsTakeFourEntries) {
    look_up(fset, "ELSET,A", LOOKUP_DEFINE);
    for (int e : {4, 7, 9}) addset(e);
    int first = csetf.ISFRST(2);
    std::vector<int> walk;
    for (int p = first; p != 0; p = csetf.ISNEXT(p)) walk.push_back(csetf.ISELEM(p));
    EXPECT_EQ(walk, (std::vector<int>{4, 7, 9, 0}));
    EXPECT_EQ(csetf.ISELEM(csetf.ISLAST(2)), 0);
    EXPECT_EQ(csetf.ISNEXT(csetf.ISLAST(2)), 0);
    EXPECT_EQ(csetf.ISFREE, 5);
    EXPECT_EQ(csetf.ISHIGH, 5);
    // Set 1 has no list: appending to it does nothing.
    csetf.ISCUR = 1;
    addset(3);
    EXPECT_EQ(csetf.ISFREE, 5);
}

TEST_F(TablesTest, ProfileWorkingLineNamesTheCurrentProfile) {
    look_up(fprof, "PROFILE,5", LOOKUP_DEFINE);
    addprof(2, 3);
    EXPECT_EQ(cprofi.IPELEM(cprofi.IPFRST(1)), 2);
    EXPECT_EQ(cprofi.IPSIDE(cprofi.IPFRST(1)), 3);
    // An unknown profile makes profile 1 current.
    EXPECT_EQ(look_up(fprof, "PROFILE,Q", LOOKUP_SELECT), 1);
    EXPECT_EQ(cprofi.IPCUR, 1);
}

TEST_F(TablesTest, FullTablesRefuseAndChangeNothing) {
    for (int r = 2; r <= MAXREG; ++r) ASSERT_EQ(look_up(fregion, "REGION,R", LOOKUP_DEFINE), 0);
    EXPECT_EQ(look_up(fregion, "REGION,S", LOOKUP_DEFINE), 1);
    EXPECT_EQ(cregio.NREG, MAXREG);
    for (int s = 2; s <= MAXSET; ++s) ASSERT_EQ(look_up(fset, "ELSET,S", LOOKUP_DEFINE), 0);
    EXPECT_EQ(look_up(fset, "ELSET,T", LOOKUP_DEFINE), 1);
    EXPECT_EQ(csetf.NSET, MAXSET);
    std::string err = errors();
    EXPECT_NE(err.find(" *** TABLE FULL: REGIONS, AT MOST 10\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" *** TABLE FULL: ELEMENT SETS, AT MOST 20\n"), std::string::npos) << err;
}

TEST_F(TablesTest, NodeTableSlots) {
    int node = 5;
    fref(2, 3, 1, node, 2);
    node = 0;
    fref(2, 3, 1, node, 1);
    EXPECT_EQ(node, 5);
    // The same node again adds a second slot; another node is refused.
    node = 5;
    fref(2, 3, 1, node, 2);
    EXPECT_EQ(cnodet.IFREE, 3);
    ::testing::internal::CaptureStdout();
    node = 6;
    fref(2, 3, 1, node, 2);
    units::flush_all();
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, " WARNING : I,J,K DEFINED 2 3 1\n");
    EXPECT_EQ(cnodet.IFREE, 3);
    // Another region is another grid.
    node = 0;
    fref(2, 3, 2, node, 1);
    EXPECT_EQ(node, 0);
    EXPECT_EQ(free_slots(), MAXGNOD - 2);
}

TEST_F(TablesTest, FnrefFindsTheFirstSlotOfTheFirstRegion) {
    int n = 9;
    fref(4, 4, 2, n, 2);
    fref(1, 7, 1, n, 2);
    int i = 0, j = 0, r = 0, code = 42;
    fnref(9, i, j, r, code);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(j, 7);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(code, 0);
    code = 42;
    fnref(10, i, j, r, code);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(j, 0);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(code, 42);
}

}  // namespace
}  // namespace kavren::testing
