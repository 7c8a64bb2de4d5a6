// The scratch-file layer of the frontal solver: record layout, reads and
// writes of long records, and its failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <numeric>

#include "harness.hpp"

namespace kavren::testing {
namespace {

class Scratch : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_messages();
        surfc1.NFSOUT() = TEST_FSOUT;
        surfc1.ISYM() = 1;
        surfc1.IPFSZD() = 1;  // the trace shows nbuf and lenf
    }
    void TearDown() override { surfc1.IPFSZD() = 0; }

    int cmd(const char* name, const char* c, int& irec, int& len, double* buf) {
        int ierr = 0;
        zdirio(name, c, irec, len, buf, ierr);
        return ierr;
    }
};

TEST_F(Scratch, RecordLengthsSplitLongRecords) {
    struct Case {
        int l, nbuf, lenf;
    } cases[] = {{1248, 1, 1248}, {1249, 2, 1249}, {3000, 3, 1249}};
    for (const auto& c : cases) {
        reset_messages();
        int irec = 0, len = c.l;
        ASSERT_EQ(cmd("U", "OPEN", irec, len, nullptr), 0);
        const auto lines = messages();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[1],
                  fmt::line("(10x,a1,1x,a8,6i8)", {"U", "OPEN", 19, 0, c.l, 0, c.nbuf, c.lenf}));
    }
}

TEST_F(Scratch, LongRecordsComeBackWholeAndLastFirst) {
    int irec = 0, len = 3000;
    ASSERT_EQ(cmd("U", "OPEN", irec, len, nullptr), 0);
    std::vector<std::vector<double>> recs;
    for (int r = 1; r <= 4; ++r) {
        std::vector<double> v(static_cast<std::size_t>(r == 3 ? 17 : 3000));
        std::iota(v.begin(), v.end(), 1000.0 * r);
        int n = static_cast<int>(v.size()), k = r;
        ASSERT_EQ(cmd("U", "WRITE", k, n, v.data()), 0);
        recs.push_back(v);
    }
    std::vector<double> buf(3000);
    irec = -1;
    ASSERT_EQ(cmd("U", "READ", irec, len, buf.data()), 0);
    EXPECT_EQ(irec, 4);
    EXPECT_EQ(len, 3000);
    EXPECT_EQ(buf, recs[3]);
    irec = 3;
    ASSERT_EQ(cmd("U", "READ", irec, len, buf.data()), 0);
    EXPECT_EQ(len, 17);
    EXPECT_EQ(std::vector<double>(buf.begin(), buf.begin() + 17), recs[2]);
    // Record 2 starts at physical record 4 (three a logical record).
    const auto lines = messages();
    irec = 2;
    ASSERT_EQ(cmd("U", "READ", irec, len, buf.data()), 0);
    EXPECT_EQ(messages().back(),
              fmt::line("(10x,a1,1x,a8,6i8)", {"U", "READ", 19, 2, 3000, 4, 3, 1249}));
    EXPECT_EQ(buf, recs[1]);
    // The file lives only on its unit.
    struct stat st;
    EXPECT_NE(stat(units::path_of(19).c_str(), &st), 0);
}

TEST_F(Scratch, SecondOpenDiscardsTheRecords) {
    int irec = 0, len = 10;
    ASSERT_EQ(cmd("B", "OPEN", irec, len, nullptr), 0);
    double v[10] = {1, 2, 3};
    irec = 1;
    ASSERT_EQ(cmd("B", "WRITE", irec, len, v), 0);
    len = 10;
    ASSERT_EQ(cmd("B", "OPEN", irec, len, nullptr), 0);
    reset_messages();
    irec = 1;
    EXPECT_EQ(cmd("B", "READ", irec, len, v), 3);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{" ERROR IN READING FROM DIRECT ACCESS FILE", "", "",
                                        "                     BUFFER - B  UNIT -  18",
                                        "                     RECORD -     1  LENGTH -      10"}));
}

TEST_F(Scratch, UnitsFollowTheMode) {
    struct Case {
        int isym;
        const char* name;
        int unit;
    } cases[] = {{1, "U", 19}, {2, "B", 18}, {1, "L", 20}, {3, "U", 21}, {3, "B", 22},
                 {3, "L", 23}, {4, "U", 24}, {4, "B", 25}, {4, "L", 26}};
    for (const auto& c : cases) {
        reset_messages();
        surfc1.ISYM() = c.isym;
        int irec = 0, len = 5;
        ASSERT_EQ(cmd(c.name, "OPEN", irec, len, nullptr), 0);
        EXPECT_EQ(messages().back(),
                  fmt::line("(10x,a1,1x,a8,6i8)", {c.name, "OPEN", c.unit, 0, 5, 0, 1, 5}));
        ASSERT_EQ(cmd(c.name, "CLOSE", irec, len, nullptr), 0);
        EXPECT_FALSE(units::is_open(c.unit));
    }
}

TEST_F(Scratch, UnknownLetterOrCommandIsRefused) {
    struct Case {
        const char *name, *command;
        int unit;
    } cases[] = {{"X", "READ", 0}, {"U", "OPENX", 19}, {"U", "REWIND", 19}};
    for (const auto& c : cases) {
        reset_messages();
        int irec = 2, len = 7;
        EXPECT_EQ(cmd(c.name, c.command, irec, len, nullptr), 5);
        const auto lines = messages();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0], " IO PROBLEMS: UNKNOWN COMMAND");
        EXPECT_EQ(lines[3], fmt::line("(5x,'UNNAME,COMMND,IREC,LEN,NTAPE ',a1,2x,a8,3i6)",
                                      {c.name, c.command, 2, 7, c.unit}));
    }
}

TEST_F(Scratch, WriteBeyondTheOpenedLengthFails) {
    int irec = 0, len = 4;
    ASSERT_EQ(cmd("U", "OPEN", irec, len, nullptr), 0);
    reset_messages();
    double v[5] = {};
    irec = 1;
    len = 5;
    EXPECT_EQ(cmd("U", "WRITE", irec, len, v), 2);
    EXPECT_EQ(messages()[0], " ERROR IN WRITING TO DIRECT ACCESS FILE");
}

}  // namespace
}  // namespace kavren::testing
