// Debug prints: registration, the print layouts and the breakpoint dialog.
#include "control/debug.hpp"

#include <gtest/gtest.h>

#include <string>

#include "reader_fixture.hpp"
#include "records/debug.hpp"
#include "support/units.hpp"

namespace kavren::testing {
namespace {

class DebugTest : public ReaderTest {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        units::open_text(units::STDOUT_UNIT, "term.txt", units::Open::create);
    }
    std::string terminal() { return file("term.txt"); }
    void names(std::initializer_list<const char*> list) {
        for (const char* n : list) cdbg1.LPRNAME(++cdbg1.NRBREAKS) = Word8(n);
    }
};

TEST_F(DebugTest, NamedRoutineGetsItsIndexOthersTwenty) {
    names({"MELEM", "NODCOR"});
    int irout = 0, idbg = 0;
    initdbg("NODCOR", irout, idbg);
    EXPECT_EQ(irout, 100);
    EXPECT_EQ(idbg, 2);
    EXPECT_EQ(terminal(), " INITIALIZE DBGPRINT   NODCOR 2\n");
    initdbg("EXACT", irout, idbg);
    EXPECT_EQ(idbg, 20);
    EXPECT_EQ(terminal(), " INITIALIZE DBGPRINT   NODCOR 2\n");  // nothing for a routine not named
}

TEST_F(DebugTest, PrintLayouts) {
    // A 4 by 2 real array stored by columns: element (j, i) is 10*j + i.
    const double ra[8] = {11, 21, 31, 41, 12, 22, 32, 42};
    const int ia[3] = {7, 8, 9};
    dbgprint(2, "ROUT", "ARR", nullptr, ra, 4, 1, 3, 1, 2, 0);   // block, second index outer
    dbgprint(2, "ROUT", "COL", nullptr, ra, 4, 2, 4, 2, 2, 0);   // rows 2..4 of column 2
    dbgprint(1, "ROUT", "ROW", ia, nullptr, 1, 1, 1, 2, 3, 0);   // row 1, columns 2..3
    dbgprint(1, "ROUT", "ONE", ia, nullptr, 1, 1, 1, 1, 1, 0);   // a single value
    dbgprint(3, "ROUT", "NONE", ia, nullptr, 1, 1, 1, 1, 1, 0);  // other types print nothing
    const std::string expected =
        " ROUT     : ARR      ( 1 , 1 )= 11.\n"
        " ROUT     : ARR      ( 2 , 1 )= 21.\n"
        " ROUT     : ARR      ( 3 , 1 )= 31.\n"
        " ROUT     : ARR      ( 1 , 2 )= 12.\n"
        " ROUT     : ARR      ( 2 , 2 )= 22.\n"
        " ROUT     : ARR      ( 3 , 2 )= 32.\n"
        " ROUT     : COL      (    2 )= 22.\n"
        " ROUT     : COL      (    3 )= 32.\n"
        " ROUT     : COL      (    4 )= 42.\n"
        " ROUT     : ROW      (    2 )= 8\n"
        " ROUT     : ROW      (    3 )= 9\n"
        " ROUT     : ONE             = 7\n";
    EXPECT_EQ(terminal(), expected);
}

std::string status_block(int melem1, int ipfss1) {
    const char* labels[] = {
        "SOLIN21  =", "SOLIN22  =", "MELMCON1 =", "MELMCON2 =", "MELMCON3 =", "MELEM1   =",
        "MELEM2   =", "BCELEM1  =", "BCELEM2  =", "SOLOUT   =", "IPFSS1   =", "IPFSZD   =",
        "IPFSBF   =", "IPFSST   =", "IPFSLH   =", "IPFSRH   =", "IPFSLF   =", "IPFSRF   =",
        "IPFSLE   =", "IPFSRE   =", "IPFSBK   =", "IPFSXX   ="};
    std::string s;
    for (const char* l : labels) {
        int v = std::string(l) == "MELEM1   ="   ? melem1
                : std::string(l) == "IPFSS1   =" ? ipfss1
                                                 : 0;
        s.append(" ").append(l).append("  ").append(std::to_string(v)).append("\n");
    }
    return s;
}

TEST_F(DebugTest, DialogStatusDelallAndGo) {
    names({"EXACT"});
    // STATUS is shown before DELALL clears, so DELALL and STATUS are two records.
    deck("STATUS\nMELEM1=-12,IPFSS1=1,EXACT=1,STATUS\nDELALL\nSTATUS\nG\nMELEM1=-12,G\n");
    const double x = 0.5;
    dbgprint(2, "EXACT", "X", nullptr, &x, 1, 1, 1, 1, 1, 1);
    const std::string expected = " EXACT    : X               = 0.5\n" + status_block(0, 0) +
                                 " EXACT    =    0\n" + status_block(-12, 1) +
                                 " EXACT    =    1\n" + status_block(0, 0) + " EXACT    =    0\n" +
                                 " *** WARNING -  NO BREAKPOINTS ***\n";
    EXPECT_EQ(terminal(), expected);
    // The last record set a switch and left at once.
    EXPECT_EQ(cdbg.IDBGSW(6), -12);
    EXPECT_EQ(surfc1.IWORD(17), 0);
    EXPECT_EQ(cdbg.IUSRBK(1), 0);
}

TEST_F(DebugTest, KeywordWithoutANumberSwitchesOff) {
    cdbg.IDBGSW(1) = 1;
    deck("SOLIN21,SOLOUT=3,G\n");
    dbgprint(1, "R", "A", &cdbg.IDBGSW(1), nullptr, 1, 1, 1, 1, 1, 1);
    EXPECT_EQ(cdbg.IDBGSW(1), 0);
    EXPECT_EQ(cdbg.IDBGSW(12), 3);
}

TEST_F(DebugTest, StopEndsTheRunNamingDbgprint) {
    deck("STOP\n");
    const int v = 1;
    EXPECT_EXIT(dbgprint(1, "R", "A", &v, nullptr, 1, 1, 1, 1, 1, 1), ::testing::ExitedWithCode(1),
                "");
    EXPECT_NE(file("decks/t.err").find("TERMINATION OCCURED IN ROUTINE--DBGPRINT"),
              std::string::npos);
}

}  // namespace
}  // namespace kavren::testing
