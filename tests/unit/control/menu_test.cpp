#include "control/menu.hpp"

#include <gtest/gtest.h>

#include "records/control.hpp"
#include "records/io.hpp"
#include "records/reset.hpp"
#include "records/window.hpp"

namespace kavren::testing {
namespace {

class MenuTest : public ::testing::Test {
  protected:
    void SetUp() override { reset_run(); }
    std::string entry(int menu, int i) { return cmenu.MENTRY(cmenu.MFIRST(menu) + i - 1).str(); }
};

TEST_F(MenuTest, TableHoldsSixtyFourMenus) {
    custo.NCUST = 2;
    custo.CUSNAM(1) = "POISSON";
    custo.CUSNAM(2) = "PAIR";
    blkmen();
    EXPECT_EQ(cmenu.NMENU, 64);
    EXPECT_EQ(cmenu.NENTR, 387);
    EXPECT_EQ(cmenu.MFIRST(65), 0);
    EXPECT_EQ(entry(18, 1), "MAIN      ");
    EXPECT_EQ(entry(20, 2), "POISSON   ");
    EXPECT_EQ(entry(20, 3), "PAIR      ");
    // Menu 2: its last button keeps its leading blank.
    EXPECT_EQ(menu_entries(2), 13);
    EXPECT_EQ(entry(2, 13), " RESET    ");
    EXPECT_EQ(cmenu.MLEN(cmenu.MFIRST(2) + 12), 6);
    EXPECT_EQ(entry(64, 1), "COORDS    ");
    EXPECT_EQ(cmenu.MDESC(2, 64), 2);
}

TEST_F(MenuTest, CustomMenuWithoutProblemsHasItsTitleAlone) {
    blkmen();
    EXPECT_EQ(menu_entries(20), 1);
    EXPECT_EQ(cmenu.NENTR, 385);
}

TEST_F(MenuTest, DecripAppendsAndMeasures) {
    cmenu.MLIST(1) = "TITLE";
    cmenu.MLIST(2) = "          ";
    cmenu.MLIST(3) = " LEAD";
    decrip(3);
    EXPECT_EQ(cmenu.NMENU, 1);
    EXPECT_EQ(cmenu.MFIRST(1), 1);
    EXPECT_EQ(cmenu.MFIRST(2), 0);
    EXPECT_EQ(cmenu.MLEN(1), 5);
    EXPECT_EQ(cmenu.MLEN(2), 1);  // all blank
    EXPECT_EQ(cmenu.MLEN(3), 5);
}

TEST_F(MenuTest, DrmenuRecordsThePathByDepth) {
    blkmen();
    cinout.LUIN = 10;  // from a file: recorded, not drawn
    iodati.INDENT = 10;
    drmenu(2);
    EXPECT_EQ(mstack.MTITLE(4).str(), "NODES     ");
    EXPECT_EQ(mstack.MTLEN(4), 5);
    iodati.INDENT = 1;
    cinout = Cinout();
}

}  // namespace
}  // namespace kavren::testing
