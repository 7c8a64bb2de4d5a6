// A fixture for the mesh database suites: a scratch project with its error
// file open, the start-up tables built, and an empty database.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "../control/reader_fixture.hpp"
#include "db_check.hpp"
#include "fem/tables.hpp"
#include "mesh_builder.hpp"

namespace kavren::testing {

class MeshTest : public ReaderTest {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        cnst();
        reset_database();
    }
    // The last line of the error file.
    std::string last_error_line() {
        std::string err = file("decks/t.err");
        while (!err.empty() && err.back() == '\n') err.pop_back();
        return err.substr(err.rfind('\n') + 1);
    }
};

}  // namespace kavren::testing
