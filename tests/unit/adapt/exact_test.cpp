// The exact solution from the evaluator variables OMEGA .. OMEGAYY.
#include "adapt/exact.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "../eval/eval_fixture.hpp"
#include "records/debug.hpp"

namespace kavren::testing {
namespace {

struct Exact {
    double u = -1, du[2] = {-1, -1}, d2u[4] = {-1, -1, -1, -1};
    void at(double x, double y) { exact(x, y, u, du, d2u); }
};

TEST_F(EvalTest, AllSixOutputsComeFromTheirVariables) {
    ceqsys.NREQNS = 2;
    for (const char* line : {"OMEGA=X*X+Y", "OMEGAX=2*X", "OMEGAY=NEL+U1+DU2DY", "OMEGAXX=2.5",
                             "OMEGAYY=-3", "OMEGAXY=X*Y"})
        evpack(line);
    // A stale solution value must not leak into the exact solution.
    b1.VARVAL(4) = 99;
    Exact e;
    e.at(2, 3);
    EXPECT_EQ(e.u, 7.0);
    EXPECT_EQ(e.du[0], 4.0);
    EXPECT_EQ(e.du[1], 1.0);  // NEL is 1, solution values are 0
    EXPECT_EQ(e.d2u[0], 2.5);
    EXPECT_EQ(e.d2u[3], -3.0);
    EXPECT_EQ(e.d2u[2], 6.0);
    EXPECT_EQ(e.d2u[1], e.d2u[2]);
}

TEST_F(EvalTest, RedefinitionTakesEffectAtTheNextCall) {
    evpack("OMEGA=X");
    Exact e;
    e.at(2, 0);
    EXPECT_EQ(e.u, 2.0);
    evpack("OMEGA=10*X");
    e.at(2, 0);
    EXPECT_EQ(e.u, 20.0);
}

// Values kept for a point are the values a run gives there; the store is run
// again after it changes, and at every call for a point whose run writes a
// line, so the listing keeps every line.
TEST_F(EvalTest, KeptPointsAnswerAsARunWould) {
    evpack("R=SQRT((X*X)+(Y*Y))");
    evpack("OMEGA=R^(2/3)");
    evpack("OMEGAX=X/R");
    Exact e, again;
    e.at(0.3, 0.7);
    again.at(0.3, 0.7);
    EXPECT_EQ(again.u, std::pow(std::sqrt(0.3 * 0.3 + 0.7 * 0.7), 2.0 / 3.0));
    EXPECT_EQ(again.u, e.u);
    EXPECT_EQ(again.du[0], e.du[0]);
    e.at(0.7, 0.3);  // the same bits in the other order: another point
    EXPECT_EQ(e.du[0], 0.7 / std::sqrt(0.7 * 0.7 + 0.3 * 0.3));
    evpack("OMEGA=2*X");
    e.at(0.3, 0.7);
    EXPECT_EQ(e.u, 0.6);

    evpack("OMEGAY=ATAN2(Y,X)");  // ATAN2 writes a line at every run
    const std::size_t before = terminal().size();
    e.at(0.3, 0.7);
    const std::size_t one = terminal().size() - before;
    e.at(0.3, 0.7);
    EXPECT_GT(one, 0u);
    EXPECT_EQ(terminal().size() - before, 2 * one);
}

// A store whose runs carry values over answers afresh at every call.
TEST_F(EvalTest, AStoreThatCountsItsRunsIsRunAtEveryCall) {
    evpack("N=N+1");
    evpack("OMEGA=N");
    Exact e;
    e.at(1, 1);
    const double first = e.u;
    e.at(1, 1);
    EXPECT_GT(e.u, first);
}

TEST_F(EvalTest, UndefinedNamesGiveZeroSilently) {
    evpack("OMEGA=SIN(X)");
    Exact e;
    e.at(0.5, 0);
    EXPECT_EQ(e.u, std::sin(0.5));
    EXPECT_EQ(e.du[0], 0.0);
    EXPECT_EQ(e.du[1], 0.0);
    for (double v : e.d2u) EXPECT_EQ(v, 0.0);
    EXPECT_EQ(terminal(), "");
}

TEST_F(EvalTest, TraceAsksForXAndEvaluatesOnTheAxis) {
    evpack("OMEGA=X+Y");
    // "EXACT" is not named, so it takes the switch of the 20th user name.
    cdbg.IUSRBK(20) = 1;
    deck("G\nX=0.25\nG\nG\nG\nG\nG\nG\nG\n");
    double x = 3, y = 4, u = 0, du[2], d2u[4];
    exact(x, y, u, du, d2u);
    EXPECT_EQ(x, 0.25);
    EXPECT_EQ(y, 0.0);
    EXPECT_EQ(u, 0.25);
    const std::string t = terminal();
    EXPECT_NE(t.find(" EXACT: set x=?\n"), std::string::npos) << t;
    EXPECT_NE(t.find(" ON EXIT\n"), std::string::npos) << t;
    cdbg.IUSRBK(20) = 0;
}

}  // namespace
}  // namespace kavren::testing
