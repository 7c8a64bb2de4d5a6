// An element call-back that cannot deliver its element stops the frontal
// solver at once, in the complete solution and in a re-solution.
#include <gtest/gtest.h>

#include "harness.hpp"

namespace kavren::testing {
namespace {

// The element whose call-back refuses, and the call-backs seen so far.
int g_refused = 0;
int g_calls = 0;

void refusing_solin2(int iel, int iask, int ndofm, int nrhs, double* ddest, double* elk,
                     double* elr) {
    ++g_calls;
    if (iel == g_refused) {
        surfc1.IERR() = FS_ELEMENT;
        return;
    }
    cb_solin2(iel, iask, ndofm, nrhs, ddest, elk, elr);
}

class ElementRefusal : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_messages();
        g_calls = 0;
    }
};

TEST_F(ElementRefusal, StopsTheForwardPassAtTheElement) {
    for (bool sym : {true, false}) {
        SCOPED_TRACE(sym ? "symmetric" : "unsymmetric");
        reset_messages();
        Problem p;
        p.set = grid_set(3, 3, 2, 1);
        p.sym = sym;
        p.fill(5);
        SolveOptions o;
        o.isym = sym ? 1 : 2;
        ASSERT_EQ(prefront(p, o), 0);
        frontal_callbacks.solin2 = refusing_solin2;
        g_refused = 4;
        g_calls = 0;
        std::vector<double> work;
        EXPECT_EQ(solve(p, o, work), FS_ELEMENT);
        EXPECT_EQ(g_calls, 4);
        EXPECT_EQ(p.solout_calls, 0);
        EXPECT_TRUE(has_line(messages(), "     ERROR IN FRWCP: ELEMENT REFUSED:     4"));
    }
}

TEST_F(ElementRefusal, StopsAReSolutionAtTheElement) {
    Problem p;
    p.set = grid_set(3, 2, 3, 1);
    p.sym = true;
    p.fill(6);
    SolveOptions o;
    o.isym = 4;
    ASSERT_EQ(run(p, o), 0);
    frontal_callbacks.solin2 = refusing_solin2;
    g_refused = 2;
    g_calls = 0;
    p.solout_calls = 0;
    SolveOptions re = o;
    re.iresol = 1;
    std::vector<double> work;
    EXPECT_EQ(solve(p, re, work), FS_ELEMENT);
    EXPECT_EQ(g_calls, 2);
    EXPECT_EQ(p.solout_calls, 0);
    EXPECT_TRUE(has_line(messages(), "     ERROR IN FRWRS: ELEMENT REFUSED:     2"));
}

}  // namespace
}  // namespace kavren::testing
