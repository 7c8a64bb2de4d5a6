// End-to-end runs of SOLVE: the deck defines the exact solution and builds a
// mesh of 4-node elements, 9-node elements or both; SOLVE, FRONTAL solves it
// (the completion shows for keyboard input), and a second SOLVE is refused
// since nothing changed. An element the element routines refuse refuses the
// solve, and the run goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

// The exact solution of the manufactured loads, as calculator lines.
const char* const kOmega =
    "%\nOMEGA=X*X+X*Y-Y\nOMEGAX=2*X+Y\nOMEGAY=X-1\nOMEGAXX=2\nOMEGAXY=1\nOMEGAYY=0\n%\n";

struct MeshCase {
    const char* name;
    const char* geometry;  // the records between GEOMETRY and its END
};

const MeshCase kMeshes[] = {
    {"four_node",
     "NODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
     "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
     "BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=2,IJ=3,1,3,3\nBOUNDARY=3,IJ=1,3,3,3\n"
     "BOUNDARY=4,IJ=1,1,1,3\nEND\n"},
    {"nine_node",
     "NODES\nGRID\nPOINT=4,IJ=1,1,5,5\nXY,0,0,XY,2,0,XY,2,2,XY,0,2\nEND\nEND\n"
     "ELEMENT\nILOOP=2\nJLOOP=2\nQUADR,1,1\nENDLOOPS\nEND\n"
     "BOUNDARY\nBOUNDARY=1,IJ=1,1,5,1\nBOUNDARY=2,IJ=5,1,5,5\nBOUNDARY=3,IJ=1,5,5,5\n"
     "BOUNDARY=4,IJ=1,1,1,5\nEND\n"},
    {"four_node_beside_nine_node",
     "NODES\nGRID\nPOINT=4,IJ=1,1,5,3\nXY,0,0,XY,2,0,XY,2,1,XY,0,1\nEND\nEND\n"
     "ELEMENT\nLINEAR,1,1,STEP=2,2\nQUADR,3,1\nEND\n"
     "BOUNDARY\nBOUNDARY=1,IJ=1,1,5,1\nBOUNDARY=2,IJ=5,1,5,3\nBOUNDARY=3,IJ=1,3,5,3\n"
     "BOUNDARY=4,IJ=1,1,1,3\nEND\n"},
};

const char* const kProblems[] = {"HEAT", "ELASTICITY"};

int count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// The deck up to the end of GEOMETRY; what follows comes from `rest`.
std::string deck(const char* problem, const char* geometry, const std::string& rest = "") {
    std::string text = kOmega;
    text.append("STANDARD\n").append(problem).append("\nGEOMETRY\n").append(geometry);
    text.append("END\n").append(rest);
    return text;
}

class SolveMesh : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(SolveMesh, FrontalSolvesOnceAndThenFindsNothingChanged) {
    const MeshCase& m = kMeshes[std::get<0>(GetParam())];
    const char* problem = kProblems[std::get<1>(GetParam())];
    Project p;
    p.files["decks/job.com"] = deck(problem, m.geometry);
    p.input = "job\nSOLVE\nFRONTAL\nSOLVE\nFRONTAL\nEND\nEND\nEND\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_EQ(count(out, "  IN PROCESS OF CALCULATING NEW SOLUTION:"), 1) << show(r);
    EXPECT_EQ(count(out, "  CALCULATIONS COMPLETE!"), 1) << show(r);
    auto done = std::find(out.begin(), out.end(), "  CALCULATIONS COMPLETE!");
    auto again =
        std::find(out.begin(), out.end(), "  NOTHING HAS BEEN CHANGED SINCE LAST SOLUTION!");
    EXPECT_TRUE(done < again) << show(r);
    // The second solve is refused with errors; nothing else went wrong.
    auto err = r.lines("decks/job.err");
    std::erase(err, "");
    EXPECT_EQ(err, (std::vector<std::string>{"  NOTHING HAS BEEN CHANGED SINCE LAST SOLUTION!",
                                             "  NO NEED TO RECALCULATE SOLUTION."}))
        << show(r);
    EXPECT_EQ(count(r.lines("decks/job.out"), "      FRONTAL"), 2) << r.file("decks/job.out");
}

INSTANTIATE_TEST_SUITE_P(Meshes, SolveMesh,
                         ::testing::Combine(::testing::Range(0, 3), ::testing::Range(0, 2)),
                         [](const auto& info) {
                             return std::string(kMeshes[std::get<0>(info.param)].name) + "_" +
                                    kProblems[std::get<1>(info.param)];
                         });

TEST(Solve, FromTheDeckOnlyTheRefusalShowsAndDefaultIsTheFrontalSolver) {
    Project p;
    p.files["decks/job.com"] =
        deck("ELASTICITY", kMeshes[2].geometry,
             "SOLVE\nFRONTAL\nSOLVE\nDEFAULT\nSOLVE\nFRONTAL\nEND\nEND\nEND\n");
    p.input = "job\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    // Information lines stay hidden while the deck is read; the errors show.
    EXPECT_FALSE(contains_text(r.out, "CALCULATIONS COMPLETE")) << show(r);
    auto out = r.out_lines();
    EXPECT_EQ(count(out, "  NOTHING HAS BEEN CHANGED SINCE LAST SOLUTION!"), 2) << show(r);
    auto err = r.lines("decks/job.err");
    EXPECT_EQ(count(err, "  NOTHING HAS BEEN CHANGED SINCE LAST SOLUTION!"), 2) << show(r);
    EXPECT_EQ(count(err, "  NO NEED TO RECALCULATE SOLUTION."), 2) << show(r);
}

TEST(Solve, AnElementWithANonPositiveJacobianRefusesTheSolveAndTheRunGoesOn) {
    // One 4-node element whose fourth vertex folds it over.
    const char* folded =
        "NODES\nPOINT\nIJ=1,1,XY=0,0\nIJ=2,1,XY=2,0\nIJ=2,2,XY=2,2\nIJ=1,2,XY=1.8,0.2\nEND\nEND\n"
        "ELEMENT\nLINEAR,1,1\nEND\n"
        "BOUNDARY\nBOUNDARY=1,IJ=1,1,2,1\nBOUNDARY=2,IJ=2,1,2,2\nBOUNDARY=3,IJ=1,2,2,2\n"
        "BOUNDARY=4,IJ=1,1,1,2\nEND\n";
    Project p;
    p.files["decks/job.com"] = deck("HEAT", folded);
    p.input = "job\nSOLVE\nFRONTAL\nSOLVE\nFRONTAL\nEND\nEND\nEND\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    // Both solves were tried: a refused solve leaves no solution behind.
    EXPECT_EQ(count(out, "  IN PROCESS OF CALCULATING NEW SOLUTION:"), 2) << show(r);
    EXPECT_FALSE(contains_text(r.out, "CALCULATIONS COMPLETE")) << show(r);
    EXPECT_FALSE(contains_text(r.out, "NOTHING HAS BEEN CHANGED")) << show(r);
    auto err = r.lines("decks/job.err");
    std::erase(err, "");
    const std::vector<std::string> once = {
        " *** MELEM: NON-POSITIVE JACOBIAN IN ELEMENT      1",
        "     ERROR IN FRWCP: ELEMENT REFUSED:     1",
        "  ERROR DETECTED IN SURFSS:  SEE project.ERR FILE FOR MESSAGE"};
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(err, twice) << show(r);
    EXPECT_EQ(count(out, " *** MELEM: NON-POSITIVE JACOBIAN IN ELEMENT      1"), 2) << show(r);
    EXPECT_TRUE(contains_line(out, "  VIRK END OF SESSION")) << show(r);
}

}  // namespace
}  // namespace kavren::e2e
