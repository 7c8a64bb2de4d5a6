// Exact errors: zero for a solution in the element space (hanging nodes and
// mixed orders included), the norms of the exact solution before any solve,
// the printed totals, the dof count of one- and two-dimensional problems, the
// Gauss rule per order, storage by slot, and the reports of a folded map and
// of a value that is not a number.
#include "adapt/errexact.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "adapt_fixture.hpp"
#include "hpmesh/tree.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"
#include "support/format.hpp"

namespace kavren::testing {
namespace {

void define(std::initializer_list<const char*> lines) {
    for (const char* l : lines) evpack(l);
}

// OMEGA = X^3 Y^2 - 2 X Y^3 + X^2 + Y: in the space of order 3. The
// evaluator's "+" binds tighter than "-": every sum is parenthesised.
void cubic_omega() {
    define({"OMEGA=(((X^3)*(Y^2))-(2*X*(Y^3)))+((X^2)+Y)",
            "OMEGAX=((3*(X^2)*(Y^2))-(2*(Y^3)))+(2*X)", "OMEGAY=((2*(X^3)*Y)-(6*X*(Y^2)))+1"});
}
double cubic(double x, double y) {
    return x * x * x * y * y - 2 * x * y * y * y + x * x + y;
}

struct Totals {
    double l2 = 0, h1 = 0, max = 0;
};

Totals totals() {
    Totals t;
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        int s = 0;
        findno(nel, s);
        t.l2 += std::pow(cexecute.errors_l2(s), 2);
        t.h1 += std::pow(cexecute.errors_h1(s), 2);
        t.max = std::max(t.max, cexecute.errors_ma(s));
    }
    t.l2 = std::sqrt(t.l2);
    t.h1 = std::sqrt(t.h1);
    return t;
}

void run_errexact() {
    errexact(cexecute.errors_l2, cexecute.errors_h1, cexecute.errors_ma);
}

TEST_F(AdaptTest, SolutionInTheSpaceHasNoErrorAcrossHangingNodes) {
    // Order 3 everywhere; element 2 split into four, one of its sons again:
    // walls of one and two levels.
    MeshBuilder b(2, 2);
    b.default_order(3);
    const auto sons = b.split4(2);
    b.split4(sons[1]);
    ASSERT_EQ(b.build(), "");
    ASSERT_TRUE(database_consistent());
    cubic_omega();
    fill_solution(cubic);
    run_errexact();
    const Totals t = totals();
    EXPECT_LT(t.l2, 1e-12);
    EXPECT_LT(t.h1, 1e-11);
    EXPECT_LT(t.max, 1e-12);
}

TEST_F(AdaptTest, BilinearSolutionOfOrderOneHasNoError) {
    MeshBuilder b(3, 1);
    b.split4(2);
    b.split(1, 2);
    ASSERT_EQ(b.build(), "");
    define({"OMEGA=((1+(2*X))-Y)+(3*X*Y)", "OMEGAX=2+(3*Y)", "OMEGAY=(3*X)-1"});
    fill_solution([](double x, double y) { return 1 + 2 * x - y + 3 * x * y; });
    run_errexact();
    const Totals t = totals();
    EXPECT_LT(t.l2, 1e-13);
    EXPECT_LT(t.h1, 1e-13);
}

TEST_F(AdaptTest, BeforeAnySolveTheErrorsAreTheNormsOfTheExactSolution) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    // A constant: L2 = sqrt(area), no H1 part at all.
    define({"OMEGA=3"});
    const std::size_t m = mark();
    run_errexact();
    EXPECT_EQ(since(m),
              " TOTAL NDOF=     6    log10=0.7782E+00\n"
              " TOTAL ERRORS:\n"
              " L2:    0.4243E+01    log10=0.6276E+00\n"
              " H1:    0.0000E+00    log10= -Infinity\n"
              " MAX:   0.3000E+01    log10=0.4771E+00\n");
}

TEST_F(AdaptTest, OnlyComponentOneCounts) {
    ceqsys.NREQNS = 2;
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    ceqsys.NREQNS = 2;
    define({"OMEGA=X+Y", "OMEGAX=1", "OMEGAY=1"});
    // Component 2 holds twice the solution, component 1 the solution.
    fill_solution([](double x, double y) { return x + y; });
    run_errexact();
    EXPECT_LT(totals().h1, 1e-14);
}

TEST_F(AdaptTest, OneDimensionalCountIsOnePlusTheInteriorOrders) {
    MeshBuilder b(4, 1);
    b.default_order(2);
    ASSERT_EQ(b.build(), "");
    cndimen.NDIMEN = 1;
    std::size_t m = mark();
    run_errexact();
    EXPECT_EQ(since(m).substr(0, 41), " TOTAL NDOF=     9    log10=0.9542E+00\n T");
    // Two-dimensional: the dofs in use, whatever the orders.
    cndimen.NDIMEN = 2;
    m = mark();
    run_errexact();
    EXPECT_EQ(since(m).substr(0, 28),
              " TOTAL NDOF=" + fmt::line("(I6)", {cdata.NRDOF}) + "    log10=");
    EXPECT_EQ(cdata.NRDOF, 10 + 13 + 4);  // vertices, edges, interiors
}

TEST_F(AdaptTest, GaussRuleHasOnePointMoreThanTheHighestEdgeOrder) {
    MeshBuilder b(2, 1);
    b.order(1, 1);
    b.order(2, 8);
    ASSERT_EQ(b.build(), "");
    define({"OMEGA=X"});
    int ndof1 = 0;
    double l2, h1, mx;
    // Element 1 has order 1 but its side shared with element 2 has order 8.
    errex(1, ndof1, l2, h1, mx);
    EXPECT_EQ(cmelem.IINT, 9);
    EXPECT_EQ(cmelem.IJNT, 9);
    EXPECT_EQ(ndof1, 1);
    errex(2, ndof1, l2, h1, mx);
    EXPECT_EQ(cmelem.IINT, 9);
    EXPECT_EQ(ndof1, 8);
    MeshBuilder lone(1, 1);
    ASSERT_EQ(lone.build(), "");
    errex(1, ndof1, l2, h1, mx);
    EXPECT_EQ(cmelem.IINT, 2);
    EXPECT_EQ(cmelem.IJNT, 2);
}

TEST_F(AdaptTest, ErrorsStandAtTheSlotOfEachElement) {
    MeshBuilder b(2, 1);
    const int first = b.split(2, 1);  // family 1: sons 3 and 4, son 4 in slot NRELIN + 1 = 3
    ASSERT_EQ(b.build(), "");
    ASSERT_EQ(first, 3);
    define({"OMEGA=X"});
    cexecute.errors_l2.fill(-1.0);
    run_errexact();
    // Element 4 is [1,2] x [1/2,1]: L2 of x is sqrt(7/6), at slot 3.
    EXPECT_NEAR(cexecute.errors_l2(3), std::sqrt(7.0 / 6.0), 1e-14);
    EXPECT_NEAR(cexecute.errors_l2(2), std::sqrt(7.0 / 6.0), 1e-14);  // element 3 keeps slot 2
    EXPECT_NEAR(cexecute.errors_l2(1), std::sqrt(1.0 / 3.0), 1e-14);
    EXPECT_EQ(cexecute.errors_l2(4), -1.0);  // not an element's slot: untouched
}

TEST_F(AdaptTest, FoldedMapIsNamedOnceAndMeasuredPositive) {
    MeshBuilder b(1, 1);
    b.map([](double x, double y) { return std::array<double, 2>{-x, y}; });
    ASSERT_EQ(b.build(), "");
    define({"OMEGA=2"});
    run_errexact();
    EXPECT_NEAR(cexecute.errors_l2(1), 2.0, 1e-14);
    const std::string err = file("decks/t.err");
    EXPECT_EQ(err, " ERREST: ELEMENT     1 HAS DETJ <= 0 AT A GAUSS POINT; |DETJ| TAKEN\n");
}

TEST_F(AdaptTest, ValueThatIsNotANumberIsNamed) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    // Negative under the root on element 1 only.
    define({"OMEGA=SQRT(X-1)"});
    run_errexact();
    EXPECT_TRUE(std::isnan(cexecute.errors_l2(1)));
    EXPECT_FALSE(std::isnan(cexecute.errors_l2(2)));
    EXPECT_EQ(file("decks/t.err"), " ERREST: ELEMENT     1 HAS AN ERROR THAT IS NOT A NUMBER\n");
    EXPECT_NE(terminal().find(" L2:           NaN    log10=       NaN\n"), std::string::npos)
        << terminal();
}

}  // namespace
}  // namespace kavren::testing
