// One run of the stored expressions for several variables: userf_all must give
// exactly what the same number of userf calls give, values and variables left
// behind alike, and run the store once only where every run is the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "adapt/exact.hpp"
#include "eval/ifcompo.hpp"
#include "eval_fixture.hpp"

namespace kavren::testing {
namespace {

const double kZero[MAX_EQNS] = {0, 0, 0, 0};

struct StoreCase {
    const char* what;
    std::vector<const char*> lines;
    bool carries;
};

const StoreCase kStores[] = {
    {"an exact solution over helpers",
     {"R=SQRT(X^2+Y^2)", "OMEGA=R^2", "OMEGAX=2*X", "OMEGAY=2*Y", "OMEGAXX=2", "OMEGAYY=2",
      "OMEGAXY=0"},
     false},
    {"a helper defined after its use", {"OMEGA=A*X", "A=X+1", "OMEGAX=A"}, true},
    {"a read after an earlier assignment, reassigned later",
     {"A=1", "OMEGA=A+X", "A=2", "OMEGAX=A"},
     false},
    {"a counter", {"N=N+1", "OMEGA=N"}, true},
    {"an assignment to a point variable", {"OMEGA=X", "X=7", "OMEGAX=X"}, false},
    {"a variable no expression assigns", {"OMEGA=K+Y"}, false},
    {"a solution component beyond the equations, assigned later", {"OMEGA=U3", "U3=U3+1"}, true},
    // Reads within the expression that assigns are taken as carried over,
    // wherever they stand in it: the runs agree here, but every request still
    // runs the store once per variable.
    {"a read in the expression that assigns", {"OMEGA=(B=X*2)+B", "OMEGAY=B"}, true},
    {"a conditional", {"OMEGA=X>0.5?1:2", "OMEGAXX=OMEGA*3"}, false},
};

class UserfAllTest : public EvalTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(UserfAllTest, GivesWhatSeparateCallsGive) {
    const StoreCase& c = GetParam();
    for (const char* line : c.lines) evpack(line);
    EXPECT_EQ(store_carries_over(), c.carries) << c.what;
    const char* names[6] = {"OMEGA", "OMEGAX", "OMEGAY", "OMEGAXX", "OMEGAYY", "OMEGAXY"};
    int ivars[6];
    for (int k = 0; k < 6; ++k) ivars[k] = ifcompo(names[k]);
    for (double x : {0.25, 0.75}) {
        const B1 before = b1;
        double one_by_one[6];
        for (int k = 0; k < 6; ++k) one_by_one[k] = userf(1, x, 0.5, kZero, kZero, kZero, ivars[k]);
        const B1 after = b1;
        b1 = before;
        double together[6];
        userf_all(1, x, 0.5, kZero, kZero, kZero, ivars, 6, together);
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(together[k], one_by_one[k]) << c.what << " " << names[k];
        for (int v = 1; v <= b4.NUMVAR; ++v)
            EXPECT_EQ(b1.VARVAL(v), after.VARVAL(v)) << c.what << " variable " << v;
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, UserfAllTest, ::testing::ValuesIn(kStores));

TEST_F(EvalTest, OneRunServesAllWhenRunsAgree) {
    // ATAN2 writes a line at every evaluation: the lines count the runs.
    evpack("OMEGA=ATAN2(Y,X)");
    evpack("OMEGAX=1");
    const int ivars[3] = {ifcompo("OMEGA"), ifcompo("OMEGAX"), ifcompo("OMEGAX")};
    double v[3];
    const std::size_t before = terminal().size();
    userf_all(1, 1.0, 0.0, kZero, kZero, kZero, ivars, 3, v);
    const std::string lines = terminal().substr(before);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << lines;
    EXPECT_EQ(v[1], 1.0);
}

TEST_F(EvalTest, StoreChangeIsSeenAtTheNextRequest) {
    evpack("OMEGA=A");
    evpack("A=1");
    EXPECT_TRUE(store_carries_over());
    initeval();
    evpack("A=1");
    evpack("OMEGA=A");
    EXPECT_FALSE(store_carries_over());
    // The same store under two equations: U2 becomes a point variable.
    evpack("OMEGAX=U2");
    evpack("U2=3");
    ceqsys.NREQNS = 1;
    EXPECT_TRUE(store_carries_over());
    ceqsys.NREQNS = 2;
    EXPECT_FALSE(store_carries_over());
}

TEST_F(EvalTest, UnassignedVariablesWarnOnceAndGiveZero) {
    evpack("OMEGA=X");
    evpack("Q=P");  // P exists but nothing assigns it
    const int ivars[3] = {ifcompo("P"), ifcompo("OMEGA"), ifcompo("P")};
    double v[3] = {-1, -1, -1};
    userf_all(1, 2.0, 0.0, kZero, kZero, kZero, ivars, 3, v);
    EXPECT_EQ(v[0], 0.0);
    EXPECT_EQ(v[1], 2.0);
    EXPECT_EQ(v[2], 0.0);
    const std::string t = terminal();
    EXPECT_EQ(t, " *** WARNING: NO EXPRESSION ASSIGNS THE VARIABLE P: ITS VALUE IS 0\n");
}

TEST_F(EvalTest, ExactFindsNamesDefinedAfterItsLastCall) {
    evpack("OMEGA=X");
    double x = 2, y = 3, u = 0, du[2] = {-1, -1}, d2u[4];
    exact(x, y, u, du, d2u);
    EXPECT_EQ(du[0], 0.0);
    evpack("OMEGAX=Y*10");
    exact(x, y, u, du, d2u);
    EXPECT_EQ(du[0], 30.0);
    // A fresh evaluator: the same names in other slots.
    initeval();
    evpack("Q=1");
    evpack("OMEGAX=X");
    evpack("OMEGA=Q+Y");
    exact(x, y, u, du, d2u);
    EXPECT_EQ(u, 4.0);
    EXPECT_EQ(du[0], 2.0);
}

}  // namespace
}  // namespace kavren::testing
