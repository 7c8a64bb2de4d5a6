// End-to-end scenario of the save file across the whole solve-estimate cycle:
// a refined and enriched mesh is solved and saved in one run, and a second run
// that recovers it gets the same error listing from EXECUTE's ERREST, before
// and after solving again. Recovering, saving, recovering and saving again
// gives byte-identical files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

// Four bilinear squares on the unit square, every side on boundary 1
// (kind 1, Dirichlet); at the MESH level element 1 is refined into four sons
// and element 4 raised to order 3.
const char* const kGeometry =
    "GEOMETRY\n"
    "NODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1\nIJ=1,1,3,1\nIJ=3,1,3,3\nIJ=1,3,3,3\nIJ=1,1,1,3\nEND\n"
    "MESH\nREFINE,1\nENRICH,4,ORDER=3\nEND\n"
    "END\n";

// The exact solution u = x*x + y*sin(x) and its derivatives, as calculator lines.
const char* const kOmega =
    "%\n"
    "OMEGA=X*X+Y*SIN(X)\n"
    "OMEGAX=2*X+Y*COS(X)\n"
    "OMEGAY=SIN(X)\n"
    "OMEGAXX=2-Y*SIN(X)\n"
    "OMEGAYY=0\n"
    "OMEGAXY=COS(X)\n"
    "%\n";

// The driver's questions on entry: a two-dimensional problem, no breakpoints.
const char* const kExecute = "EXECUTE\nNDIMEN=2\nNRBREAKS=0\n";

Project deck_run(const std::string& deck) {
    Project p;
    p.files["decks/job.com"] = deck;
    // Blank lines for the extension points of SAVE and RECOVER, which wait.
    p.input = "job\n" + std::string(20, '\n');
    return p;
}

// The listings of errexact: each the five lines from " TOTAL NDOF=" to " MAX: ".
std::vector<std::vector<std::string>> error_listings(const std::vector<std::string>& out) {
    std::vector<std::vector<std::string>> listings;
    for (std::size_t i = 0; i + 4 < out.size(); ++i) {
        if (out[i].rfind(" TOTAL NDOF=", 0) != 0) continue;
        listings.emplace_back(out.begin() + static_cast<long>(i),
                              out.begin() + static_cast<long>(i) + 5);
        EXPECT_EQ(out[i + 4].rfind(" MAX: ", 0), 0u) << out[i + 4];
    }
    return listings;
}

std::vector<double> doubles(const std::string& bytes) {
    std::vector<double> v(bytes.size() / sizeof(double));
    std::memcpy(v.data(), bytes.data(), v.size() * sizeof(double));
    return v;
}

TEST(SaveScenario, ARecoveredSolutionGivesTheSameErrorsAsTheOneSaved) {
    // Run 1: generate, refine and enrich, solve, save, then estimate (A).
    auto r1 =
        run_kavren(deck_run(std::string("STANDARD\nHEAT\n") + kGeometry + kOmega +
                            "SOLVE\nFRONTAL\nSTORAGE\nSAVE\nEND\n" + kExecute + "ERREST\nQUIT\n"));
    ASSERT_EQ(r1.status, 0) << show(r1);
    // Nothing was refused: the error file holds only QUIT's closing lines.
    ASSERT_EQ(r1.last_line("decks/job.err"), "   ***** RUN COMPLETED SUCCESSFULLY *****")
        << show(r1);
    for (const auto& l : r1.lines("decks/job.err"))
        EXPECT_TRUE(l.empty() || l == "   ***** RUN COMPLETED SUCCESSFULLY *****") << show(r1);
    const auto a = error_listings(r1.out_lines());
    ASSERT_EQ(a.size(), 1u) << show(r1);
    ASSERT_EQ(a[0][1], " TOTAL ERRORS:");
    const std::string saved = r1.file("data/job.sav");
    ASSERT_FALSE(saved.empty());

    // Run 2: recover, estimate (A again), solve again, estimate (A again).
    Project p = deck_run(std::string("STANDARD\nHEAT\nSTORAGE\nRECOVER\nEND\n") + kExecute +
                         kOmega + "ERREST\nSOLVE\nERREST\nQUIT\n");
    p.files["data/job.sav"] = saved;
    auto r2 = run_kavren(p);
    ASSERT_EQ(r2.status, 0) << show(r2);
    const auto again = error_listings(r2.out_lines());
    ASSERT_EQ(again.size(), 2u) << show(r2);
    EXPECT_EQ(again[0], a[0]) << show(r2);
    EXPECT_EQ(again[1], a[0]) << show(r2);
}

TEST(SaveScenario, SavingWhatWasRecoveredIsAFixedPoint) {
    auto r1 = run_kavren(deck_run(std::string("STANDARD\nHEAT\n") + kGeometry + kOmega +
                                  "SOLVE\nFRONTAL\nSTORAGE\nSAVE\nEND\nEND\nEND\nEND\n"));
    ASSERT_EQ(r1.status, 0) << show(r1);
    const std::string a = r1.file("data/job.sav");
    Project p = deck_run(
        "STANDARD\nHEAT\nSTORAGE\nRECOVER\nSAVE,FILE=B\nRECOVER,FILE=B\nSAVE,FILE=C\nEND\n"
        "END\nEND\nEND\n");
    p.files["data/job.sav"] = a;
    auto r2 = run_kavren(p);
    ASSERT_EQ(r2.status, 0) << show(r2);
    EXPECT_EQ(r2.file("decks/job.err"), "") << show(r2);
    const std::string b = r2.file("data/B"), c = r2.file("data/C");
    ASSERT_EQ(b.size(), a.size());
    EXPECT_TRUE(b == c);
    // A and B differ only where a dof number stands (NODPTR of the nodes in
    // use, the links of the chains): positive whole numbers in both.
    const std::vector<double> va = doubles(a), vb = doubles(b);
    int differences = 0;
    for (std::size_t i = 0; i < va.size(); ++i) {
        if (va[i] == vb[i]) continue;
        ++differences;
        EXPECT_TRUE(va[i] >= 1 && vb[i] >= 1 && va[i] == static_cast<int>(va[i]) &&
                    vb[i] == static_cast<int>(vb[i]))
            << "value " << i + 1 << ": " << va[i] << " and " << vb[i];
    }
    EXPECT_GT(differences, 0);  // generation and refinement number dofs otherwise
}

}  // namespace
}  // namespace kavren::e2e
