// The largest meshes the command language reaches: REFINE,GLOBAL until the
// element slots run out, and ENRICH,GLOBAL until the degrees of freedom do.
// The refusal leaves a mesh that SOLVE, ERREST, SAVE and RECOVER all take.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

// The unit square in 2 x 2 bilinear elements, Dirichlet all round, and its MESH level.
const char* const kSquareMesh =
    "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\n"
    "END\nEND\nELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nIJ=3,1,3,3\nIJ=1,3,3,3\nIJ=1,1,1,3\nEND\nMESH\n";

std::string repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

Project deck_run(const std::string& deck) {
    Project p;
    p.files["decks/job.com"] = deck;
    p.input = "job\n" + std::string(20, '\n');
    return p;
}

const char* const kSolveAndEstimate =
    "END\nEND\nSOLVE\nFRONTAL\nSTORAGE\nSAVE\nEND\nEXECUTE\nNDIMEN=2\nNRBREAKS=0\nERREST\nQUIT\n";

// Six global refinements of 2 x 2 elements run out of the 16000 element
// slots; the mesh solves, estimates and saves, and its save file read back
// and saved twice gives the same bytes both times.
TEST(Capacity, ElementSlotsRunOutAndTheLargestMeshSolvesSavesAndRecovers) {
    auto r = run_kavren(deck_run(kSquareMesh + repeat("REFINE,GLOBAL\n", 6) + kSolveAndEstimate));
    ASSERT_EQ(r.status, 0) << show(r);
    const auto err = errors(r);
    // The refusal, the line of the group command, the closing line: SOLVE,
    // ERREST and SAVE refused nothing.
    ASSERT_EQ(err.size(), 3u) << show(r);
    EXPECT_EQ(err[0].rfind(" REFINE OF ELEMENT ", 0), 0u) << show(r);
    EXPECT_TRUE(contains_text(
        err[0], " REFUSED: NO ELEMENT SLOT LEFT (16000 SLOTS); THE MESH IS UNCHANGED"))
        << show(r);
    EXPECT_EQ(err[1].rfind(" REFINE,GLOBAL STOPPED AT ELEMENT ", 0), 0u) << show(r);
    EXPECT_TRUE(contains_text(r.out, " TOTAL NDOF=")) << show(r);
    EXPECT_TRUE(contains_text(r.out, " TOTAL ERRORS:")) << show(r);
    const std::string saved = r.file("data/job.sav");
    ASSERT_GT(saved.size(), 1000000u) << show(r);

    Project p = deck_run(
        "STANDARD\nHEAT\nSTORAGE\nRECOVER\nSAVE,FILE=COPY1\nRECOVER,FILE=COPY1\n"
        "SAVE,FILE=COPY2\nEND\nEND\nEND\nEND\n");
    p.files["data/job.sav"] = saved;
    auto again = run_kavren(p);
    ASSERT_EQ(again.status, 0) << show(again);
    EXPECT_EQ(errors(again), std::vector<std::string>{}) << show(again);
    const std::string copy1 = again.file("data/COPY1"), copy2 = again.file("data/COPY2");
    EXPECT_EQ(copy1.size(), saved.size());
    EXPECT_TRUE(copy1 == copy2) << "the two copies differ";
}

// Four global refinements and order 8 everywhere run out of the 40000
// degrees of freedom; SOLVE either solves the unknowns left or refuses with
// the solver's message, ERREST runs, and QUIT ends the run in order.
TEST(Capacity, DegreesOfFreedomRunOutAndTheRunGoesOn) {
    auto r = run_kavren(deck_run(kSquareMesh + repeat("REFINE,GLOBAL\n", 4) +
                                 "ENRICH,GLOBAL,ORDER=8\n" + kSolveAndEstimate));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(contains_text(r.file("decks/job.err"),
                              "REFUSED: NO FREE DEGREE OF FREEDOM LEFT (40000); THE MESH IS "
                              "UNCHANGED"))
        << show(r);
    EXPECT_TRUE(contains_text(r.out, " TOTAL NDOF=")) << show(r);
    EXPECT_EQ(r.last_line("decks/job.err"), "   ***** RUN COMPLETED SUCCESSFULLY *****") << show(r);
}

}  // namespace
}  // namespace kavren::e2e
