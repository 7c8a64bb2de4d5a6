// The element residual estimate: zero for a solution that is exact on every
// element (hanging nodes of both kinds included), its effectivity against the
// exact energy error on a smooth problem, the symmetric and unsymmetric paths,
// the functional of two solutions, the debug trace, the failures that give no
// estimate, and the driver that fills the estimate store.
#include "adapt/reserest.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <algorithm>
#include <string>
#include <vector>

#include "../fem/fem_support.hpp"
#include "adapt/errexact.hpp"
#include "adapt/increment.hpp"
#include "adapt/localprob.hpp"
#include "adapt_fixture.hpp"
#include "fem/tables.hpp"
#include "frontal/solve1.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/tree.hpp"
#include "records/control.hpp"
#include "records/debug.hpp"
#include "records/estimate.hpp"
#include "records/estimator.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"
#include "records/preso.hpp"
#include "records/problem.hpp"
#include "records/savefile.hpp"
#include "session/dump.hpp"
#include "support/word.hpp"
#include "user/problem.hpp"

namespace kavren::testing {
namespace {

class EstimateTest : public SolvingAdaptTest {
  protected:
    // A mesh whose outer sides all carry the Neumann number 3 with kind 5.
    static void neumann(MeshBuilder& b) { b.boundary_numbers(3, 3, 3, 3); }
    static void after_build() { cbound.IBKIND(3) = 5; }
    static void problem(int neq, int isymet) {
        ceqsys.NREQNS = neq;
        csymet.ISYMET = isymet;
    }
    static double estimate(int nel, int* result = nullptr) {
        double err = -1.0;
        const int r = reserest(nel, cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS, err);
        if (result) *result = r;
        return err;
    }
    static std::vector<int> active() {
        std::vector<int> v;
        int nel = 0;
        for (int i = 1; i <= cdata.NRELEM; ++i) v.push_back(nel = nelcon(nel));
        return v;
    }
};

void define(std::initializer_list<const char*> lines) {
    for (const char* l : lines) evpack(l);
}

void exp_omega() {
    define({"OMEGA=EXP(X+Y)", "OMEGAX=EXP(X+Y)", "OMEGAY=EXP(X+Y)", "OMEGAXX=EXP(X+Y)",
            "OMEGAYY=EXP(X+Y)", "OMEGAXY=EXP(X+Y)"});
}

// sqrt of the integral of w^2 + |grad w|^2 over the box of an element (no map).
double energy_norm(const MeshBuilder& b, int nel, const std::function<double(double, double)>& w,
                   const std::function<double(double, double)>& wx,
                   const std::function<double(double, double)>& wy) {
    const std::array<double, 4> bx = b.box(nel);
    double s = 0;
    for (int i = 1; i <= 10; ++i)
        for (int j = 1; j <= 10; ++j) {
            const double x = bx[0] + (bx[1] - bx[0]) * (cint.XG(i, 10) + 1) / 2;
            const double y = bx[2] + (bx[3] - bx[2]) * (cint.XG(j, 10) + 1) / 2;
            const double a = (bx[1] - bx[0]) * (bx[3] - bx[2]) / 4 * cint.W2(i, j, 10);
            s += a * (w(x, y) * w(x, y) + wx(x, y) * wx(x, y) + wy(x, y) * wy(x, y));
        }
    return std::sqrt(s);
}

//// zero estimate ////

struct ZeroCase {
    const char* name;
    int order;
    std::vector<const char*> omega;
    std::function<double(double, double)> w, wx, wy;
    int split;  // 0 none, 4 element 1 into four, 1 or 2 element 1 into two in that direction
    double tol;
};

TEST_F(EstimateTest, SolutionExactOnEveryElementHasNoEstimate) {
    const ZeroCase cases[] = {
        {"XY at order 1, four sons", 1, {"OMEGA=X*Y", "OMEGAX=Y", "OMEGAY=X"},
         [](double x, double y) { return x * y; }, [](double, double y) { return y; },
         [](double x, double) { return x; }, 4, 1e-9},
        {"XY at order 1, two sons", 1, {"OMEGA=X*Y", "OMEGAX=Y", "OMEGAY=X"},
         [](double x, double y) { return x * y; }, [](double, double y) { return y; },
         [](double x, double) { return x; }, 1, 1e-9},
        {"X2Y2 at order 2, four sons", 2,
         {"OMEGA=(X^2)*(Y^2)", "OMEGAX=2*X*(Y^2)", "OMEGAY=2*(X^2)*Y", "OMEGAXX=2*(Y^2)",
          "OMEGAYY=2*(X^2)", "OMEGAXY=4*X*Y"},
         [](double x, double y) { return x * x * y * y; },
         [](double x, double y) { return 2 * x * y * y; },
         [](double x, double y) { return 2 * x * x * y; }, 4, 1e-9},
        {"X2Y2 at order 2, two sons", 2,
         {"OMEGA=(X^2)*(Y^2)", "OMEGAX=2*X*(Y^2)", "OMEGAY=2*(X^2)*Y", "OMEGAXX=2*(Y^2)",
          "OMEGAYY=2*(X^2)", "OMEGAXY=4*X*Y"},
         [](double x, double y) { return x * x * y * y; },
         [](double x, double y) { return 2 * x * y * y; },
         [](double x, double y) { return 2 * x * x * y; }, 2, 1e-9},
        {"X8Y8 at order 8", 8,
         {"OMEGA=(X^8)*(Y^8)", "OMEGAX=8*(X^7)*(Y^8)", "OMEGAY=8*(X^8)*(Y^7)",
          "OMEGAXX=56*(X^6)*(Y^8)", "OMEGAYY=56*(X^8)*(Y^6)", "OMEGAXY=64*(X^7)*(Y^7)"},
         [](double x, double y) { return std::pow(x, 8) * std::pow(y, 8); },
         [](double x, double y) { return 8 * std::pow(x, 7) * std::pow(y, 8); },
         [](double x, double y) { return 8 * std::pow(x, 8) * std::pow(y, 7); }, 0, 1e-6},
    };
    for (const ZeroCase& c : cases) {
        for (int isymet : {1, 2}) {
            SCOPED_TRACE(std::string(c.name) + (isymet == 1 ? ", symmetric" : ", unsymmetric"));
            reset_database();
            initeval();
            MeshBuilder b(2, 2);
            neumann(b);
            b.default_order(c.order);
            if (c.split == 4) b.split4(1);
            if (c.split == 1 || c.split == 2) b.split(1, c.split);
            ASSERT_EQ(b.build(), "");
            after_build();
            problem(1, isymet);
            for (const char* l : c.omega) evpack(l);
            fill_solution(c.w);
            const std::size_t m = mark();
            for (int nel : active()) {
                int r = -1;
                const double err = estimate(nel, &r);
                EXPECT_EQ(r, EST_DONE);
                EXPECT_LT(err, c.tol * energy_norm(b, nel, c.w, c.wx, c.wy)) << "element " << nel;
            }
            EXPECT_EQ(since(m), "");
        }
    }
}

//// accuracy ////

TEST_F(EstimateTest, EstimateFollowsTheExactEnergyErrorOfASmoothSolution) {
    for (int order : {1, 2})
        for (int n : {4, 8}) {
            SCOPED_TRACE("order " + std::to_string(order) + ", " + std::to_string(n) + " x " +
                         std::to_string(n));
            reset_database();
            initeval();
            MeshBuilder b(n, n);
            neumann(b);
            b.default_order(order);
            b.map([n](double x, double y) { return std::array<double, 2>{x / n, y / n}; });
            ASSERT_EQ(b.build(), "");
            after_build();
            problem(1, 2);
            exp_omega();
            ASSERT_EQ(solve1(), 0) << file("decks/t.err");
            errexact(cexecute.errors_l2, cexecute.errors_h1, cexecute.errors_ma);
            double est2 = 0, ex2 = 0, lo = 1e30, hi = 0;
            for (int nel : active()) {
                const int s = slot_of(nel);
                const double ex = std::hypot(cexecute.errors_h1(s), cexecute.errors_l2(s));
                const double est = estimate(nel);
                est2 += est * est;
                ex2 += ex * ex;
                lo = std::min(lo, est / ex);
                hi = std::max(hi, est / ex);
                EXPECT_GT(est, 0.8 * ex) << "element " << nel;
                EXPECT_LT(est, 1.25 * ex) << "element " << nel;
            }
            const double global = std::sqrt(est2 / ex2);
            EXPECT_GT(global, 0.9);
            EXPECT_LT(global, 1.1);
            RecordProperty("effectivity_p" + std::to_string(order) + "_n" + std::to_string(n),
                           std::to_string(lo) + " .. " + std::to_string(hi) + ", global " +
                               std::to_string(global));
        }
}

//// paths ////

// A 2 x 2 mesh on [0, 2]^2 with element 1 in four sons, order 2, EXP(X+Y) solved.
void solved_mesh(int neq, int isymet) {
    reset_database();
    MeshBuilder b(2, 2);
    b.boundary_numbers(3, 3, 3, 3);
    b.default_order(2);
    b.split4(1);
    ASSERT_EQ(b.build(), "");
    cbound.IBKIND(3) = 5;
    ceqsys.NREQNS = neq;
    csymet.ISYMET = isymet;
    exp_omega();
    ASSERT_EQ(solve1(), 0);
}

TEST_F(EstimateTest, SymmetricEstimateIsTheEnergyOfTheLocalSolution) {
    solved_mesh(1, 1);
    for (int nel : active()) {
        const double err = estimate(nel);
        // The same local problem assembled here, from the same parts.
        int ord[9];
        double xnod[18];
        estimator_extract(nel, cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS, ord, xnod);
        const int n = increment_count(ord);
        std::vector<double> xk(LDXK * LDXK, 0.0), rhs(LDXK, 0.0), a(LDXK, 0.0);
        ASSERT_EQ(melemb(ord, xnod, LDXK, xk.data(), rhs.data()), EST_DONE);
        belemb(nel, ord, xnod, LDXK, xk.data(), rhs.data());
        delemb1(nel, ord, xnod, LDXK, xk.data(), rhs.data(), nullptr, nullptr, 0);
        delemb2(nel, ord, xnod, LDXK, xk.data(), rhs.data(), cuold.UOLD.data(),
                cunew.UNEW.data(), ICOLU_ROWS);
        ASSERT_EQ(local_solve(xk.data(), LDXK, rhs.data(), a.data(), n), 0);
        double aka = 0;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                aka += a[i] * xk[i + j * LDXK] * a[j];
                // The estimate keeps its local matrix.
                EXPECT_EQ(cxk.XK(i + 1, j + 1), xk[i + j * LDXK]);
            }
        EXPECT_GT(err, 0.0);
        EXPECT_NEAR(err * err, aka, 1e-10 * aka) << "element " << nel;
    }
}

TEST_F(EstimateTest, ElasticityIsTheRootOfTwoTimesHeat) {
    solved_mesh(1, 2);
    std::vector<double> heat;
    for (int nel : active()) heat.push_back(estimate(nel));
    solved_mesh(2, 1);
    std::size_t i = 0;
    for (int nel : active()) {
        const double e = estimate(nel);
        EXPECT_NEAR(e, std::sqrt(2.0) * heat[i], 1e-8 * e) << "element " << nel;
        ++i;
    }
}

void minus_identity(const double*, const double*, const double*, double* m1, double* m2,
                    double* m3) {
    for (int k = 0; k < 16; ++k) m1[k] = m2[k] = m3[k] = 0.0;
    for (int k = 0; k < 4; ++k) m1[k + 4 * k] = -1.0;
}

TEST_F(EstimateTest, NegativeFunctionalIsNamedAndItsMagnitudeTaken) {
    solved_mesh(1, 2);
    const std::vector<int> els = active();
    std::vector<double> plain;
    for (int nel : els) plain.push_back(estimate(nel));
    HookGuard<Symmetrizer> guard(problem_symmetr, &minus_identity);
    std::size_t i = 0;
    for (int nel : els) {
        const std::size_t m = mark();
        const double e = estimate(nel);
        EXPECT_NEAR(e, plain[i++], 1e-12 * e);
        const std::string line = since(m);
        EXPECT_EQ(line.rfind(" *** NEGATIVE ERROR IN NEL *** -", 0), 0u) << line;
        EXPECT_NE(line.find(" " + std::to_string(nel) + "\n"), std::string::npos) << line;
        EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    }
}

// The built-in coefficients with the operator's sign turned and the loads kept:
// a negative definite local matrix.
void negated_operator(int ld, double x, double y, double* a11, double* a12, double* a21,
                      double* a22, double* b1, double* b2, double* d1, double* d2, double* c,
                      double* rh, double* rhx, double* rhy) {
    mcoeff(ld, x, y, a11, a12, a21, a22, b1, b2, d1, d2, c, rh, rhx, rhy);
    for (double* p : {a11, a12, a21, a22, b1, b2, d1, d2, c})
        for (int k = 0; k < ld * ld; ++k) p[k] = -p[k];
}

TEST_F(EstimateTest, NegativeSymmetricSumIsNamedAndItsMagnitudeTaken) {
    solved_mesh(1, 1);
    HookGuard<DomainCoefficients> guard(problem_mcoeff, &negated_operator);
    const int nel = active()[1];
    const std::size_t m = mark();
    const double e = estimate(nel);
    EXPECT_TRUE(std::isfinite(e));
    EXPECT_GT(e, 0.0);
    const std::string line = since(m);
    EXPECT_EQ(line.rfind(" *** NEGATIVE ERROR IN NEL *** -", 0), 0u) << line;
    EXPECT_NE(line.find(" " + std::to_string(nel) + "\n"), std::string::npos) << line;
}

TEST_F(EstimateTest, FunctionalOfEqualSolutionsIsZeroAfterTheBoundaryExtension) {
    solved_mesh(1, 2);
    const std::size_t m = mark();
    double err = -1;
    const int nel = active()[2];
    err1(nel, cuold.UOLD.data(), cunew.UNEW.data(), cunew.UNEW.data(), ICOLU_ROWS, err);
    EXPECT_EQ(err, 0.0);
    EXPECT_EQ(since(m), " FAKE ERR2...\n");
    // Against a zero solution it measures the solution itself.
    std::vector<double> zero(static_cast<std::size_t>(ICOLU_ROWS) * 4, 0.0);
    err1(nel, cuold.UOLD.data(), zero.data(), cunew.UNEW.data(), ICOLU_ROWS, err);
    EXPECT_GT(err, 0.1);
}

TEST_F(EstimateTest, TraceOfTheSelectedElement) {
    solved_mesh(1, 2);
    cdbg1.LPRNAME(++cdbg1.NRBREAKS) = Word8("RESEREST");
    const std::vector<int> els = active();
    cdbg.IUSRBK(1) = -els[1];
    std::size_t m = mark();
    estimate(els[0]);
    std::string out = since(m);
    EXPECT_EQ(out.find("AFTER"), std::string::npos) << out;
    m = mark();
    estimate(els[1]);
    out = since(m);
    for (const char* s : {" RESEREST: 1", "AFTER MELEMB", "AFTER DELEMB2", "FIERR", "AFTER ERRCON"})
        EXPECT_NE(out.find(s), std::string::npos) << s;
    EXPECT_LT(out.find("AFTER DELEMB2"), out.find("FIERR"));
}

//// failures ////

TEST_F(EstimateTest, LocalSolvePivotsAndRefusesASingularMatrix) {
    // By columns: a zero leading diagonal entry.
    const double a[9] = {0, 2, 1, 1, 0, 3, 4, 1, 0};
    const double b[3] = {5, 3, 7};
    double x[3];
    ASSERT_EQ(local_solve(a, 3, b, x, 3), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(a[i] * x[0] + a[i + 3] * x[1] + a[i + 6] * x[2], b[i], 1e-13);
    const std::size_t m = mark();
    const double s[4] = {1, 2, 2, 4};
    const double z[4] = {0, 0, 0, 0};
    EXPECT_EQ(local_solve(s, 2, b, x, 2), 1);
    EXPECT_EQ(local_solve(z, 2, b, x, 2), 1);
    EXPECT_EQ(since(m), "");
}

void zero_coefficients(int ld, double, double, double* a11, double* a12, double* a21, double* a22,
                       double* b1, double* b2, double* d1, double* d2, double* c, double* rh,
                       double* rhx, double* rhy) {
    for (double* p : {a11, a12, a21, a22, b1, b2, d1, d2, c})
        for (int k = 0; k < ld * ld; ++k) p[k] = 0.0;
    for (int k = 0; k < ld; ++k) rh[k] = rhx[k] = rhy[k] = 0.0;
}

TEST_F(EstimateTest, SingularLocalProblemGivesNoEstimateAndTheRunGoesOn) {
    solved_mesh(1, 1);
    HookGuard<DomainCoefficients> guard(problem_mcoeff, &zero_coefficients);
    const int nel = active()[3];
    const std::size_t m = mark();
    int r = -1;
    EXPECT_EQ(estimate(nel, &r), 0.0);
    EXPECT_EQ(r, EST_FAILED);
    EXPECT_EQ(since(m), " *** SINGULAR LOCAL PROBLEM IN NEL *** " + std::to_string(nel) + "\n");
    EXPECT_EQ(cboint.IBOINT, 0);
}

//// the driver ////

TEST_F(EstimateTest, DriverFillsTheStoreInTreeOrder) {
    solved_mesh(1, 2);
    ASSERT_EQ(estimate_elements(), 0);
    EXPECT_EQ(cflags.IESTIM, 1);
    double sum = 0;
    int i = 0;
    for (int nel : active()) {
        ++i;
        EXPECT_EQ(cerrest.ERREL(i, 1), nel);
        EXPECT_EQ(cerrest.ERREL(i, 2), estimate(nel));
        EXPECT_EQ(cerrest.ERREL(i, 3), 0.0);
        EXPECT_EQ(cerrest.ERREL(i, 4), 0.0);
        sum += cerrest.ERREL(i, 2) * cerrest.ERREL(i, 2);
    }
    EXPECT_DOUBLE_EQ(cerrest.ERRGL(1), std::sqrt(sum));
    for (int k = 2; k <= 5; ++k) EXPECT_EQ(cerrest.ERRGL(k), 0.0);
}

TEST_F(EstimateTest, DriverRefusesWithoutASolutionOfTheCurrentMesh) {
    const std::string refusal = " *** NO SOLUTION OF THE CURRENT MESH: SOLVE FIRST ***\n";
    // Before any SOLVE.
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    cerrest.ERREL(1, 2) = 7.5;
    EXPECT_EQ(estimate_elements(), 1);
    EXPECT_EQ(cerrest.ERREL(1, 2), 7.5);
    EXPECT_EQ(cflags.IESTIM, 0);
    EXPECT_EQ(file("decks/t.err"), refusal);
    // After a refinement the estimates of the old mesh stay, but none is made.
    solved_mesh(1, 2);
    ASSERT_EQ(estimate_elements(), 0);
    const double first = cerrest.ERREL(1, 2);
    ASSERT_EQ(refine(active()[0], cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS), 0);
    mesh_changed();
    EXPECT_EQ(estimate_elements(), 1);
    EXPECT_EQ(cerrest.ERREL(1, 2), first);
    EXPECT_EQ(cflags.IESTIM, 0);
    EXPECT_EQ(file("decks/t.err"), refusal + refusal);
    // No mesh at all.
    reset_database();
    EXPECT_EQ(estimate_elements(), 1);
}

TEST_F(EstimateTest, EstimatesSurviveSaveAndRecover) {
    solved_mesh(1, 2);
    ASSERT_EQ(estimate_elements(), 0);
    const int n = cdata.NRELEM;
    const auto before = std::make_unique<Cerrest>(cerrest);
    cdump.IUNFOR = 0;
    ASSERT_EQ(dumpout(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS, "data/e.sav"), 0)
        << file("decks/t.err");
    cerrest.ERREL.fill(0.0);
    cerrest.ERRGL.fill(0.0);
    cflags = Cflags();
    reset_database();
    MeshBuilder other(1, 1);
    ASSERT_EQ(other.build(), "");
    ASSERT_EQ(dumpin(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS, "data/e.sav"), 0)
        << file("decks/t.err");
    EXPECT_EQ(cflags.IESTIM, 1);
    ASSERT_EQ(cdata.NRELEM, n);
    for (int i = 1; i <= n; ++i)
        for (int k = 1; k <= 4; ++k) EXPECT_EQ(cerrest.ERREL(i, k), before->ERREL(i, k));
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(cerrest.ERRGL(k), before->ERRGL(k));
}

}  // namespace
}  // namespace kavren::testing
