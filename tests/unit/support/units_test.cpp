// The file-unit table: how files are opened. A file that is only read is
// opened for reading only, and no way of opening empties an existing file.
#include "support/units.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kavren::units {
namespace {

namespace fs = std::filesystem;

class UnitsTest : public ::testing::Test {
  protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kavren-units-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        close_all();
        fs::remove_all(dir);
    }
    std::string path(const char* name) const { return (dir / name).string(); }
    void put(const char* name, const std::string& text) const {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    std::string get(const char* name) const {
        std::ifstream in(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

constexpr int LUN = 31;

// Both reading modes give the file's lines and refuse every write, so that
// nothing can be written into a deck, an include file or a save file.
TEST_F(UnitsTest, ReadingModesReadAndNeverWrite) {
    for (Open how : {Open::existing, Open::read_create}) {
        put("deck", "FIRST\nSECOND\n");
        ::chmod(path("deck").c_str(), 0444);
        ASSERT_TRUE(open_text(LUN, path("deck"), how));
        std::string line;
        ASSERT_EQ(read_line(LUN, line), Status::ok);
        EXPECT_EQ(line, "FIRST");
        EXPECT_FALSE(write_line(LUN, "WRITTEN"));
        rewind(LUN);
        EXPECT_FALSE(write_line(LUN, "WRITTEN"));
        close(LUN);
        EXPECT_EQ(get("deck"), "FIRST\nSECOND\n");
        ::chmod(path("deck").c_str(), 0644);
    }
}

TEST_F(UnitsTest, MissingFileIsMadeEmptyOnlyWhenAsked) {
    EXPECT_FALSE(open_text(LUN, path("none"), Open::existing));
    EXPECT_FALSE(fs::exists(dir / "none"));
    ASSERT_TRUE(open_text(LUN, path("none"), Open::read_create));
    std::string line;
    EXPECT_EQ(read_line(LUN, line), Status::eof);
    EXPECT_TRUE(fs::exists(dir / "none"));
    EXPECT_EQ(fs::file_size(dir / "none"), 0u);
    // A file in a directory that does not exist cannot be made.
    EXPECT_FALSE(open_text(LUN, path("nodir/none"), Open::read_create));
}

// A file opened for writing keeps its text until the first write, which
// cuts what follows it.
TEST_F(UnitsTest, WritingModeKeepsTheFileUntilItWrites) {
    put("log", "OLD ONE\nOLD TWO\n");
    ASSERT_TRUE(open_text(LUN, path("log"), Open::create));
    EXPECT_EQ(get("log"), "OLD ONE\nOLD TWO\n");
    std::string line;
    ASSERT_EQ(read_line(LUN, line), Status::ok);
    EXPECT_EQ(line, "OLD ONE");
    rewind(LUN);
    ASSERT_TRUE(write_line(LUN, "NEW"));
    flush_all();
    EXPECT_EQ(get("log"), "NEW\n");
}

TEST_F(UnitsTest, DirectAccessForReadingOnly) {
    ASSERT_TRUE(open_direct(LUN, path("save"), 8));
    ASSERT_TRUE(write_record(LUN, 1, "ABCDEFGH", 8));
    ASSERT_TRUE(write_record(LUN, 2, "IJKLMNOP", 8));
    close(LUN);
    // Opened again for updating, the records are still there.
    ASSERT_TRUE(open_direct(LUN, path("save"), 8, Access::update));
    char rec[8];
    ASSERT_EQ(read_record(LUN, 2, rec, 8), Status::ok);
    EXPECT_EQ(std::string(rec, 8), "IJKLMNOP");
    close(LUN);

    ::chmod(path("save").c_str(), 0444);
    ASSERT_TRUE(open_direct(LUN, path("save"), 8, Access::read));
    ASSERT_EQ(read_record(LUN, 1, rec, 8), Status::ok);
    EXPECT_EQ(std::string(rec, 8), "ABCDEFGH");
    EXPECT_FALSE(write_record(LUN, 1, "XXXXXXXX", 8));
    close(LUN);
    EXPECT_EQ(get("save"), "ABCDEFGHIJKLMNOP");
    EXPECT_FALSE(open_direct(LUN, path("none"), 8, Access::read));
    EXPECT_FALSE(fs::exists(dir / "none"));
}

// In a child process: descriptors 1 and 2 closed, as a caller may leave them.
TEST(StandardStreams, ClosedOnesAreOpenedOnDevNull) {
    EXPECT_EXIT(
        {
            ::close(1);
            ::close(2);
            open_standard_streams();
            const int fd = ::open("/dev/null", O_RDONLY);  // the next file opened
            const bool ok = fcntl(1, F_GETFD) != -1 && fcntl(2, F_GETFD) != -1 && fd > 2;
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace kavren::units
