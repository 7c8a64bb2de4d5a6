// The database invariant checker as a GoogleTest assertion: every test that
// changes the mesh ends with EXPECT_TRUE(database_consistent()).
#pragma once

#include <gtest/gtest.h>

namespace kavren::testing {

// Succeeds when check_database finds nothing; otherwise fails listing every message.
::testing::AssertionResult database_consistent();

}  // namespace kavren::testing
