// A fixture that feeds the command reader from a scratch deck file, with the
// state of the run reset.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "control/reader.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/reset.hpp"
#include "support/units.hpp"

namespace kavren::testing {

class ReaderTest : public ::testing::Test {
  protected:
    std::filesystem::path dir;
    std::filesystem::path old_cwd;

    void SetUp() override {
        old_cwd = std::filesystem::current_path();
        // A parameterised test's name holds a '/': one directory, not two,
        // so that TearDown leaves nothing behind.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        dir = std::filesystem::temp_directory_path() /
              ("kavren-unit-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::remove_all(dir);
        for (const char* d : {"decks", "data", "print", "DECKS"})
            std::filesystem::create_directories(dir / d);
        std::filesystem::current_path(dir);
        reset_run();
        units::open_text(cinout.LUECHO, "decks/t.out", units::Open::create);
        units::open_text(cinout.LUERR, "decks/t.err", units::Open::create);
        units::open_direct(cinout.LUHIST, "for50", 256);
    }
    void TearDown() override {
        reset_run();
        units::close_all();
        std::filesystem::current_path(old_cwd);
        std::filesystem::remove_all(dir);
    }
    // Makes text the project deck and the current input.
    void deck(const std::string& text) {
        std::ofstream(dir / "decks/t.com") << text;
        units::open_text(LUDECK, "decks/t.com", units::Open::existing);
        cinout.LUIN = LUDECK;
    }
    int read() {
        int ierr = 0;
        ffldin(cinout.LUIN, cinout.LUOUT, 0, ierr);
        return ierr;
    }
    std::string file(const std::string& rel) {
        units::flush_all();
        std::ifstream in(dir / rel);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

}  // namespace kavren::testing
