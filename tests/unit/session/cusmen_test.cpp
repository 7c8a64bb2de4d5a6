// The EXECUTE driver's mesh menu: menu 65 after the pre-defined menus, later
// menus numbered from 101, and the report of a full menu table.
#include "session/cusmen.hpp"

#include <gtest/gtest.h>

#include <string>

#include "../control/reader_fixture.hpp"
#include "control/menu.hpp"
#include "records/control.hpp"
#include "records/window.hpp"

namespace kavren::testing {
namespace {

class CusmenTest : public ReaderTest {
  protected:
    std::string entry(int menu, int i) { return cmenu.MENTRY(cmenu.MFIRST(menu) + i - 1).str(); }
};

TEST_F(CusmenTest, MeshMenuIsMenuSixtyFive) {
    blkmen();
    const int entries = cmenu.NENTR;
    cusmen();
    EXPECT_EQ(cmenu.NMENU, 100);
    EXPECT_EQ(menu_entries(65), 11);
    EXPECT_EQ(cmenu.NENTR, entries + 11);
    const char* expected[] = {"MESH      ", "REFINE    ", "UNREFINE  ", "ENRICH    ",
                              " GLOBAL   ", " ORDER    ", " INCREMENT", " BOUNDARY ",
                              " ELSET    ", "PLOT      ", " COMPONENT"};
    for (int i = 1; i <= 11; ++i) EXPECT_EQ(entry(65, i), expected[i - 1]) << i;
    EXPECT_EQ(cmenu.MLEN(cmenu.MFIRST(65) + 6), 10);  // " INCREMENT", its blank counted
    // The next menu defined is number 101.
    cmenu.MLIST(1) = "LATER";
    decrip(1);
    EXPECT_EQ(cmenu.NMENU, 101);
    EXPECT_EQ(entry(101, 1), "LATER     ");
    EXPECT_EQ(file("decks/t.err"), "");
}

TEST_F(CusmenTest, FullTableIsReportedAndTheRunGoesOn) {
    cmenu.NMENU = 95;
    cmenu.NENTR = 495;
    cusmen();
    EXPECT_EQ(cmenu.NMENU, 100);
    EXPECT_EQ(file("decks/t.err"), "  TOO MANY PRE-DEFINED MENUS OR MENU ITEMS!\n");
}

}  // namespace
}  // namespace kavren::testing
