#include "db_check.hpp"

#include "hpmesh/dbcheck.hpp"

namespace kavren::testing {

::testing::AssertionResult database_consistent() {
    const std::vector<std::string> msgs = check_database();
    if (msgs.empty()) return ::testing::AssertionSuccess();
    ::testing::AssertionResult r = ::testing::AssertionFailure();
    r << "the database is inconsistent:";
    for (const std::string& m : msgs) r << "\n  " << m;
    return r;
}

}  // namespace kavren::testing
