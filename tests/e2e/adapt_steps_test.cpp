// End-to-end runs of the steps that change or measure a mesh after a solve:
// the EXECUTE driver's ERREST, ADAPTH and ADAPTP after a solve that failed and
// after a solve of the problem menu, group commands that run out of room, and
// the status of an unrefinement whose first merges changed orders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

// The unit square in n x n bilinear elements, Dirichlet all round.
std::string square(int n) {
    const std::string m = std::to_string(n + 1), k = std::to_string(n);
    return "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1," + m + "," + m +
           "\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\nELEMENT\nILOOP=" + k + "\nJLOOP=" + k +
           "\nLINEAR,1,1\nENDLOOPS\nEND\nBOUNDARY\nBOUNDARY=1,IJ=1,1," + m + ",1\nIJ=" + m + ",1," +
           m + "," + m + "\nIJ=1," + m + "," + m + "," + m + "\nIJ=1,1,1," + m + "\nEND\n";
}

std::string repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

const char* const kEnter = "EXECUTE\nNDIMEN=2\nNRBREAKS=0\n";

// The evaluator's "+" binds tighter than "-": every sum is parenthesised.
const char* const kOmegaExp =
    "%\nOMEGA=EXP(X+Y)\nOMEGAX=OMEGA\nOMEGAY=OMEGA\nOMEGAXX=OMEGA\nOMEGAYY=OMEGA\n"
    "OMEGAXY=OMEGA\n%\n";
// X^2 Y^2 lies in the space of order 2.
const char* const kOmegaX2Y2 =
    "%\nOMEGA=(X^2)*(Y^2)\nOMEGAX=2*X*(Y^2)\nOMEGAY=2*(X^2)*Y\n"
    "OMEGAXX=2*(Y^2)\nOMEGAYY=2*(X^2)\nOMEGAXY=4*X*Y\n%\n";

// The lines of standard output that start with prefix.
std::vector<std::string> out_starting(const RunResult& r, const std::string& prefix) {
    std::vector<std::string> v;
    for (const std::string& l : r.out_lines())
        if (l.rfind(prefix, 0) == 0) v.push_back(l);
    return v;
}

// The number after a heading line of the grid file, -1 when there is none.
long grid_number(const RunResult& r, const std::string& heading, int which = 0) {
    const auto lines = r.lines("output.grid");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != heading) continue;
        long a = -1, b = -1;
        if (std::sscanf(lines[i + 1].c_str(), "%ld %ld", &a, &b) < 1) return -1;
        return which == 0 ? a : b;
    }
    return -1;
}

struct StepCase {
    std::string name;
    std::string deck;
    std::string keyboard;  // typed after the project name, once the deck has ended
    bool no_scratch;       // TMPDIR names no directory: every solve fails
    std::function<void(const RunResult&)> check;
};

void PrintTo(const StepCase& c, std::ostream* os) {
    *os << c.name;
}

const std::vector<StepCase>& step_cases() {
    static const std::vector<StepCase> cases = {
        // A solve whose scratch files cannot be opened leaves the solution of
        // before: ERREST, ADAPTH and ADAPTP say so and do nothing.
        {"steps_after_a_failed_solve",
         square(2) + "END\n" + kOmegaExp + "SOLVE\nFRONTAL\n" + kEnter +
             "ERREST\nADAPTH\nADAPTP\nSOLVE\nERREST\nQUIT\n",
         "", true,
         [](const RunResult& r) {
             const auto err = errors(r);
             EXPECT_EQ(std::count(err.begin(), err.end(),
                                  " *** THE LAST SOLVE FAILED: NO CURRENT SOLUTION"),
                       4)
                 << show(r);
             EXPECT_TRUE(out_starting(r, " TOTAL NDOF=").empty()) << show(r);
             EXPECT_TRUE(out_starting(r, " IEL=").empty()) << show(r);
         }},
        // Orders 5 and a solve leave values in rows that the lowering to
        // order 2 frees; the solve of the problem menu leaves IDEC 0. The
        // p-step must still give its new dofs zero in both solutions: the
        // function it measures afterwards is the same, X^2 Y^2 to the
        // penalty's accuracy.
        {"adaptp_after_a_solve_of_the_problem_menu",
         square(3) + "MESH\nENRICH,GLOBAL,ORDER=5\nEND\nEND\n" + kOmegaExp +
             "SOLVE\nFRONTAL\nGEOMETRY\nMESH\nENRICH,GLOBAL,ORDER=2\nEND\nEND\n" + kOmegaX2Y2 +
             "SOLVE\nFRONTAL\n" + kEnter + "ERREST\nADAPTP\nERREST\nQUIT\n",
         "", false,
         [](const RunResult& r) {
             const auto l2 = out_starting(r, " L2:"), h1 = out_starting(r, " H1:");
             ASSERT_EQ(h1.size(), 2u) << show(r);
             ASSERT_EQ(out_starting(r, " IEL=").size(), 1u) << show(r);
             EXPECT_EQ(l2[1], l2[0]) << show(r);
             EXPECT_EQ(h1[1], h1[0]) << show(r);
             EXPECT_LT(std::stod(h1[1].substr(6, 12)), 1e-6) << show(r);
         }},
        // The fifth global refinement of a 4 x 4 square runs out of element
        // slots: the refinements before stay, and the line says how many.
        {"refine_global_out_of_slots",
         square(4) + "MESH\n" + repeat("REFINE,GLOBAL\n", 5) + "END\nEND\nEND\nEND\nEND\n", "",
         false,
         [](const RunResult& r) {
             EXPECT_EQ(errors(r),
                       (std::vector<std::string>{
                           " REFINE OF ELEMENT 7987 REFUSED: NO ELEMENT SLOT LEFT (16000 SLOTS); "
                           "THE MESH IS UNCHANGED",
                           " REFINE,GLOBAL STOPPED AT ELEMENT 7987: NO ELEMENT SLOT LEFT (16000 "
                           "SLOTS); 3968 ELEMENTS WERE REFINED"}))
                 << show(r);
             // 4096 elements after four refinements, and 3 more for each of the 3968.
             EXPECT_EQ(grid_number(r, "  NUMBER OF ELEMENTS"), 4096 + 3 * 3968)
                 << r.file("output.grid");
         }},
        // Order 8 on 32 x 32 elements runs out of degrees of freedom.
        {"enrich_global_out_of_dofs",
         square(4) + "MESH\nREFINE,GLOBAL\nREFINE,GLOBAL\nREFINE,GLOBAL\nENRICH,GLOBAL,ORDER=8\n"
                     "END\nEND\nEND\nEND\nEND\n",
         "", false,
         [](const RunResult& r) {
             EXPECT_EQ(errors(r),
                       (std::vector<std::string>{
                           " ENRICH OF ELEMENT 1414 REFUSED: NO FREE DEGREE OF FREEDOM LEFT "
                           "(40000); THE MESH IS UNCHANGED",
                           " ENRICH,GLOBAL STOPPED AT ELEMENT 1414: NO FREE DEGREE OF FREEDOM "
                           "LEFT (40000); 611 ELEMENTS WERE ENRICHED"}))
                 << show(r);
             EXPECT_GT(grid_number(r, "  NUMBER OF NODES   NUMBER OF DOF", 1), 39000)
                 << r.file("output.grid");
         }},
        // The lower half's merge has to raise a boundary edge; the last
        // merge changes no order, and unrefi passes on its status: no
        // warning.
        {"unrefine_whose_first_merge_changed_orders",
         square(1) + "MESH\nREFINE,1\nEND\nEND\nEXECUTE\n",
         "NDIMEN=2\nNRBREAKS=0\nMESH\nENRICH,4,ORDER=21111\nUNREFINE,1\nEND\nERREST\nQUIT\n", false,
         [](const RunResult& r) {
             EXPECT_EQ(out_starting(r, " UNREFI: NEL =").size(), 1u) << show(r);
             EXPECT_TRUE(out_starting(r, "  WARNING! UPON UNREFINING").empty()) << show(r);
             // One element of order 1 whose bottom edge has order 2: 5 dofs.
             EXPECT_EQ(out_starting(r, " TOTAL NDOF="),
                       std::vector<std::string>{" TOTAL NDOF=     5    log10=0.6990E+00"})
                 << show(r);
         }},
    };
    return cases;
}

class Steps : public ::testing::TestWithParam<StepCase> {};

TEST_P(Steps, GiveTheSoundOutcome) {
    const StepCase& c = GetParam();
    Project p;
    p.files["decks/job.com"] = c.deck;
    p.input = "job\n" + c.keyboard;
    auto r = c.no_scratch
                 ? run_program("/usr/bin/env", p, 60, {"TMPDIR=/nonexistent", KAVREN_BINARY})
                 : run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    c.check(r);
}

INSTANTIATE_TEST_SUITE_P(Driver, Steps, ::testing::ValuesIn(step_cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kavren::e2e
