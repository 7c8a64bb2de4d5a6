// The estimate on the L-shaped domain of the demonstration project, built by
// the generator from its commands, with the singular solution about the
// re-entrant corner and Neumann data on every side: its effectivity against
// the exact energy error, and an adaptive loop driven by the estimates alone
// (the estimates handed to the h-step by slot, as a replaced ADAPT would).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <string>

#include "adapt/adapthp.hpp"
#include "adapt/errexact.hpp"
#include "adapt/reserest.hpp"
#include "adapt_fixture.hpp"
#include "fem/tables.hpp"
#include "frontal/solve1.hpp"
#include "hpmesh/tree.hpp"
#include "meshgen/geometry.hpp"
#include "records/control.hpp"
#include "records/estimate.hpp"
#include "records/execute.hpp"
#include "records/mesh.hpp"
#include "records/problem.hpp"

namespace kavren::testing {
namespace {

// Three unit squares, 2 x 2 elements each; every outer side has number 3.
const char* const kLshape =
    "GEOMETRY\n"
    "NODES\n"
    "GRID\n"
    "POINT=4,IJ=1,1,5,3\n"
    "XY,0,0,XY,2,0,XY,2,1,XY,0,1\n"
    "POINT=4,IJ=1,1,3,3,REGION=TOP\n"
    "XY,0,1,XY,1,1,XY,1,2,XY,0,2\n"
    "END\n"
    "END\n"
    "ELEMENT\n"
    "ILOOP=4\n"
    "JLOOP=2\n"
    "LINEAR,1,1,REGION=ONE\n"
    "ENDLOOPS\n"
    "ILOOP=2\n"
    "JLOOP=2\n"
    "LINEAR,1,1,REGION=TOP\n"
    "ENDLOOPS\n"
    "END\n"
    "BOUNDARY\n"
    "REGION=ONE\n"
    "BOUNDARY=3,IJ=1,1,5,1\n"
    "IJ=5,1,5,3\n"
    "IJ=3,3,5,3\n"
    "IJ=1,1,1,3\n"
    "REGION=TOP\n"
    "BOUNDARY=3,IJ=3,1,3,3\n"
    "IJ=1,3,3,3\n"
    "IJ=1,1,1,3\n"
    "END\n"
    "END\n";

// u = r^(2/3) sin(2t/3) about (1, 1), t from the edge x = 1, y > 1.
void singular_omega() {
    for (const char* l :
         {"DX=X-1", "DY=Y-1", "R=SQRT((DX*DX)+(DY*DY))", "RS=(R>0)?R:1",
          "C=MAX(-1,MIN(1,DX/RS))", "PHI=(DY>0)?ACOS(C):((2*3.141592653589793)-ACOS(C))",
          "T=PHI-(3.141592653589793/2)", "A=2/3", "OMEGA=(R^A)*SIN(A*T)", "G=(A*(R^A))/RS",
          "OMEGAX=G*SIN((A*T)-PHI)", "OMEGAY=G*COS((A*T)-PHI)", "OMEGAXX=0", "OMEGAYY=0",
          "OMEGAXY=0"})
        evpack(l);
}

class LshapeTest : public SolvingAdaptTest {
  protected:
    void SetUp() override {
        SolvingAdaptTest::SetUp();
        ceqsys.NREQNS = 1;
        ceqsys.MXEQNS = 2;
        csymet.ISYMET = 2;
        deck(kLshape);
        ASSERT_EQ(read(), 0);
        int f = 0;
        setgeom(f);
        ASSERT_EQ(cdata.NRELEM, 12) << file("decks/t.err");
        cbound.IBKIND(3) = 5;
        singular_omega();
    }
    // Solves, measures and estimates: the exact and estimated global energy
    // errors, and the extreme element ratios away from the corner's elements.
    struct Step {
        double exact = 0, estimate = 0, lo = 1e30, hi = 0;
    };
    Step solve_measure_estimate() {
        Step st;
        EXPECT_EQ(solve1(), 0) << file("decks/t.err");
        errexact(cexecute.errors_l2, cexecute.errors_h1, cexecute.errors_ma);
        EXPECT_EQ(estimate_elements(), 0);
        for (int i = 1; i <= cdata.NRELEM; ++i) {
            const int nel = static_cast<int>(cerrest.ERREL(i, 1));
            const int s = slot_of(nel);
            const double ex = std::hypot(cexecute.errors_h1(s), cexecute.errors_l2(s));
            const double est = cerrest.ERREL(i, 2);
            st.exact += ex * ex;
            st.estimate += est * est;
            st.lo = std::min(st.lo, est / ex);
            st.hi = std::max(st.hi, est / ex);
        }
        st.exact = std::sqrt(st.exact);
        st.estimate = std::sqrt(st.estimate);
        return st;
    }
};

TEST_F(LshapeTest, EffectivityOnUniformMeshes) {
    const Step one = solve_measure_estimate();
    EXPECT_GT(one.estimate / one.exact, 0.8);
    EXPECT_LT(one.estimate / one.exact, 1.25);
    RecordProperty("order1", std::to_string(one.estimate / one.exact) + " elements " +
                                 std::to_string(one.lo) + " .. " + std::to_string(one.hi));
}

TEST_F(LshapeTest, AdaptationDrivenByTheEstimatesConverges) {
    auto by_slot = std::make_unique<SlotErrors>();
    double last = 1e30;
    std::string figures;
    for (int step = 0; step < 5; ++step) {
        const Step st = solve_measure_estimate();
        figures += std::to_string(cdata.NRDOF) + ": " + std::to_string(st.exact) + " " +
                   std::to_string(st.estimate / st.exact) + "; ";
        EXPECT_LT(st.exact, last) << "step " << step;
        EXPECT_GT(st.estimate / st.exact, 0.8) << "step " << step;
        EXPECT_LT(st.estimate / st.exact, 1.25) << "step " << step;
        last = st.exact;
        by_slot->fill(0.0);
        for (int i = 1; i <= cdata.NRELEM; ++i)
            (*by_slot)(slot_of(static_cast<int>(cerrest.ERREL(i, 1)))) = cerrest.ERREL(i, 2);
        cdec.IDEC = 1;
        ASSERT_EQ(adapthp(*by_slot, 0), 0);
    }
    RecordProperty("by_estimate", figures);
}

}  // namespace
}  // namespace kavren::testing
