// End-to-end runs of the hand-over of an initial mesh, generated or read with
// FILE=: neighbours numbered with other local axes are renumbered, so that a
// refined and enriched mesh solves exactly; meshes the database cannot hold
// are refused with a line naming the elements, and the run goes on; numbers
// of any size in the generator's records are refused before they are used.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

Project with_deck(const std::string& deck) {
    Project p;
    p.files["decks/job.com"] = deck;
    p.input = "job\n" + std::string(10, '\n');
    return p;
}

bool has_prefix(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const std::string& l : lines)
        if (l.rfind(prefix, 0) == 0) return true;
    return false;
}

// The number after " NUMBER OF ELEMENTS" in a grid file, -1 when there is none.
int grid_elements(const RunResult& r, const std::string& name) {
    const auto lines = r.lines(name);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i] == "  NUMBER OF ELEMENTS") return std::atoi(lines[i + 1].c_str());
    return -1;
}

// The side table of the initial elements in a grid file.
std::vector<std::string> grid_sides(const RunResult& r, const std::string& name) {
    const auto lines = r.lines(name);
    std::vector<std::string> v;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != "  INITIAL NUMBER OF ELEMENTS =" || i + 1 >= lines.size()) continue;
        const int n = std::atoi(lines[i + 1].c_str());
        for (int e = 0; e < n && i + 2 + e < lines.size(); ++e)
            v.push_back(lines[i + 2 + static_cast<std::size_t>(e)]);
    }
    return v;
}

// The H1 error of each ERREST listing.
std::vector<double> h1_errors(const RunResult& r) {
    std::vector<double> v;
    for (const std::string& l : r.out_lines())
        if (l.rfind(" H1:  ", 0) == 0) v.push_back(std::stod(l.substr(6, 12)));
    return v;
}

//// other local axes ////

// Two unit squares side by side; the grid of the second is turned, so that
// its element sees the first across its side 3 (turned by 90 degrees) or its
// side 2 (by 180 degrees).
struct TurnedCase {
    const char* name;
    const char* corners;   // the four corners of the second grid
    const char* boundary;  // its three outer lines
};

const TurnedCase kTurned[] = {
    {"by_90_degrees", "XY,2,0,XY,2,1,XY,1,1,XY,1,0\n", "IJ=1,1,2,1\nIJ=2,1,2,2\nIJ=1,1,1,2\n"},
    {"by_180_degrees", "XY,2,1,XY,1,1,XY,1,0,XY,2,0\n", "IJ=1,1,2,1\nIJ=1,2,2,2\nIJ=1,1,1,2\n"},
};

// Y^3 lies in the space of order 3 on every element, whatever its axes.
const char* const kOmegaY3 =
    "%\nOMEGA=Y^3\nOMEGAX=0\nOMEGAY=3*(Y^2)\nOMEGAXX=0\nOMEGAYY=6*Y\nOMEGAXY=0\n%\n";

void PrintTo(const TurnedCase& c, std::ostream* os) {
    *os << c.name;
}

class TurnedRegion : public ::testing::TestWithParam<TurnedCase> {};

TEST_P(TurnedRegion, IsRenumberedAndSolvesExactlyAfterRefinement) {
    const TurnedCase& c = GetParam();
    const std::string deck =
        std::string(
            "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\n"
            "POINT=4,IJ=1,1,2,2\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\n"
            "POINT=4,IJ=1,1,2,2,REGION=TWO\n") +
        c.corners +
        "END\nEND\nELEMENT\nLINEAR,1,1,REGION=ONE\nLINEAR,1,1,REGION=TWO\nEND\n"
        "BOUNDARY\nREGION=ONE\nBOUNDARY=1,IJ=1,1,2,1\nIJ=1,1,1,2\nIJ=1,2,2,2\nREGION=TWO\n" +
        c.boundary + "END\nMESH\nREFINE,1\nREFINE,2\nENRICH,GLOBAL,ORDER=3\nEND\nEND\n" + kOmegaY3 +
        "EXECUTE\nNDIMEN=2\nNRBREAKS=0\nSOLVE\nERREST\nQUIT\n";
    auto r = run_kavren(with_deck(deck));
    ASSERT_EQ(r.status, 0) << show(r);
    // No warning and no stop: element 2 sees element 1 across its side 4.
    EXPECT_EQ(errors(r), std::vector<std::string>{"   ***** RUN COMPLETED SUCCESSFULLY *****"})
        << show(r);
    EXPECT_EQ(grid_sides(r, "output.grid"),
              (std::vector<std::string>{"       -1       2      -1      -1",
                                        "       -1      -1      -1       1"}))
        << r.file("output.grid");
    const auto h1 = h1_errors(r);
    ASSERT_EQ(h1.size(), 1u) << show(r);
    EXPECT_LT(h1[0], 1e-6) << show(r);
}

INSTANTIATE_TEST_SUITE_P(HandOver, TurnedRegion, ::testing::ValuesIn(kTurned),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HandOverFile, AcceptedFileWithOtherAxesSurvivesSaveAndRecover) {
    Project p = with_deck(
        "STANDARD\nHEAT\nGEOMETRY\nFILE=ROT\nMESH\nREFINE,2\nEND\nEND\n"
        "STORAGE\nSAVE\nRECOVER\nEND\nSOLVE\nFRONTAL\nEND\nEND\nEND\n");
    // Element 2 starts at its top-right vertex.
    p.files["data/rot"] =
        "6 2 0 0.0\n1 0. 0.\n2 1. 0.\n3 2. 0.\n4 0. 1.\n5 1. 1.\n6 2. 1.\n"
        "1 1 2 5 4\n2 6 5 2 3\n1 -1 2 -3 -4 0 0 0 0\n2 -3 1 -1 -2 0 0 0 0\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(errors(r), std::vector<std::string>{}) << show(r);
    EXPECT_TRUE(r.exists("data/job.sav"));
    EXPECT_EQ(grid_elements(r, "output.grid"), 5) << r.file("output.grid");
}

//// refusals of a generated mesh ////

struct GeneratedCase {
    const char* name;
    const char* geometry;  // the records after GEOMETRY, up to the BOUNDARY level's END
    const char* line;      // the start of the refusal line
};

const GeneratedCase kGenerated[] = {
    {"two_blocks_on_the_same_points",
     "NODES\nGRID\nPOINT=4,IJ=1,1,2,2\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
     "ELEMENT\nLINEAR,1,1\nLINEAR,1,1\nEND\n"
     "BOUNDARY\nBOUNDARY=1,IJ=1,1,2,1\nIJ=2,1,2,2\nIJ=1,2,2,2\nIJ=1,1,1,2\nEND\n",
     " *** MESH NOT HANDED OVER: ELEMENTS 1 AND 2 HAVE THE SAME VERTICES"},
    // A third element on the common side of two, overlapping the second.
    {"a_side_of_three_elements",
     "NODES\nGRID\nPOINT=4,IJ=1,1,3,2\nXY,0,0,XY,2,0,XY,2,1,XY,0,1\n"
     "POINT=4,IJ=1,1,2,2,REGION=TWO\nXY,1,0,XY,1.5,0,XY,1.5,1,XY,1,1\nEND\nEND\n"
     "ELEMENT\nILOOP=2\nLINEAR,1,1,REGION=ONE\nIENDLOOP\nLINEAR,1,1,REGION=TWO\nEND\n"
     "BOUNDARY\nREGION=ONE\nBOUNDARY=1,IJ=1,1,3,1\nIJ=3,1,3,2\nIJ=1,2,3,2\nIJ=1,1,1,2\n"
     "REGION=TWO\nIJ=1,1,2,1\nIJ=2,1,2,2\nIJ=1,2,2,2\nEND\n",
     " *** MESH NOT HANDED OVER: ELEMENTS 1, 2 AND 3 SHARE THE SIDE FROM NODE"},
    // A triangle cut into three quadrilaterals that meet at its centre.
    {"three_elements_around_a_vertex",
     "NODES\nGRID\nPOINT=4,IJ=1,1,2,2\nXY,0,0,XY,1,0,XY,1,0.6666666666666666,XY,0.5,1\n"
     "POINT=4,IJ=1,1,2,2,REGION=TWO\nXY,2,0,XY,1.5,1,XY,1,0.6666666666666666,XY,1,0\n"
     "POINT=4,IJ=1,1,2,2,REGION=THREE\nXY,1,2,XY,0.5,1,XY,1,0.6666666666666666,XY,1.5,1\n"
     "END\nEND\n"
     "ELEMENT\nLINEAR,1,1,REGION=ONE\nLINEAR,1,1,REGION=TWO\nLINEAR,1,1,REGION=THREE\nEND\n"
     "BOUNDARY\nREGION=ONE\nBOUNDARY=1,IJ=1,1,2,1\nIJ=1,1,1,2\nREGION=TWO\nIJ=1,1,2,1\n"
     "IJ=1,1,1,2\nREGION=THREE\nIJ=1,1,2,1\nIJ=1,1,1,2\nEND\n",
     " *** MESH NOT HANDED OVER: NO NUMBERING OF THE VERTICES GIVES ELEMENTS 2 AND 3 THE SAME "
     "LOCAL AXES"},
};

void PrintTo(const GeneratedCase& c, std::ostream* os) {
    *os << c.name;
}

class GeneratedRefusal : public ::testing::TestWithParam<GeneratedCase> {};

TEST_P(GeneratedRefusal, IsNotHandedOverAndSolveRefuses) {
    const GeneratedCase& c = GetParam();
    auto r = run_kavren(with_deck(std::string("STANDARD\nHEAT\nGEOMETRY\n") + c.geometry +
                                  "MESH\nEND\nSOLVE\nFRONTAL\nEND\nEND\nEND\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const auto err = errors(r);
    EXPECT_TRUE(has_prefix(err, c.line)) << show(r);
    EXPECT_TRUE(
        contains_line(err, " *** NO USABLE MESH: THE LAST GEOMETRY WAS NOT HANDED OVER ***"))
        << show(r);
    EXPECT_EQ(grid_elements(r, "output.grid"), 0) << r.file("output.grid");
}

INSTANTIATE_TEST_SUITE_P(Meshes, GeneratedRefusal, ::testing::ValuesIn(kGenerated),
                         [](const auto& info) { return std::string(info.param.name); });

//// refusals of an initial-mesh file ////

struct FileCase {
    const char* name;
    const char* text;
    const char* line;  // the refusal's line in the error file
};

void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

// Nodes 1..6 of two unit squares side by side.
#define TWO_SQUARES_NODES "6 2 0 0.0\n1 0 0\n2 1 0\n3 2 0\n4 0 1\n5 1 1\n6 2 1\n"
// Nodes 1..9 of four unit squares.
#define FOUR_SQUARES_NODES \
    "9 4 0 0.0\n1 0 0\n2 1 0\n3 2 0\n4 0 1\n5 1 1\n6 2 1\n7 0 2\n8 1 2\n9 2 2\n"

const FileCase kFiles[] = {
    {"side_table_not_reciprocal",
     TWO_SQUARES_NODES "1 1 2 5 4\n2 2 3 6 5\n1 -1 2 -1 -1 0 0 0 0\n2 -1 -1 -1 -1 0 0 0 0\n",
     "  INITIAL MESH FILE: ELEMENT 1 SIDE 2 NAMES ELEMENT 2, WHICH DOES NOT NAME IT"},
    {"element_names_itself",
     TWO_SQUARES_NODES "1 1 2 5 4\n2 2 3 6 5\n1 -1 1 -1 -1 0 0 0 0\n2 -1 -1 -1 -1 0 0 0 0\n",
     "  INITIAL MESH FILE: ELEMENT 1 SIDE 2 NAMES ITSELF"},
    {"neighbours_without_the_common_side",
     FOUR_SQUARES_NODES "1 1 2 9 4\n2 2 3 6 5\n3 4 5 8 7\n4 5 6 9 8\n"
                        "1 -1 2 3 -1 0 0 0 0\n2 -1 -1 4 1 0 0 0 0\n"
                        "3 1 4 -1 -1 0 0 0 0\n4 2 -1 -1 3 0 0 0 0\n",
     "  INITIAL MESH FILE: ELEMENT 1 SIDE 2 NAMES ELEMENT 2, WHICH DOES NOT NAME IT ACROSS THE "
     "SIDE FROM NODE 9 TO NODE 2"},
    {"node_of_no_element",
     "7 2 0 0.0\n1 0 0\n2 1 0\n3 2 0\n4 0 1\n5 1 1\n6 2 1\n7 5 5\n"
     "1 1 2 5 4\n2 2 3 6 5\n1 -1 2 -1 -1 0 0 0 0\n2 -1 -1 -1 1 0 0 0 0\n",
     "  INITIAL MESH FILE: NODE 7 IS A VERTEX OF NO ELEMENT"},
    {"two_elements_on_the_same_nodes",
     "4 2 0 0.0\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n1 1 2 3 4\n2 2 3 4 1\n"
     "1 -1 -1 -1 -1 0 0 0 0\n2 -1 -1 -1 -1 0 0 0 0\n",
     "  INITIAL MESH FILE: ELEMENTS 1 AND 2 HAVE THE SAME VERTICES"},
    {"clockwise_element",
     TWO_SQUARES_NODES "1 1 2 5 4\n2 2 5 6 3\n1 -1 2 -1 -1 0 0 0 0\n2 1 -1 -1 -1 0 0 0 0\n",
     "  INITIAL MESH FILE: ELEMENT 2 IS CLOCKWISE OR NOT CONVEX AT VERTEX 1"},
    {"three_elements_around_a_vertex",
     "7 3 0 0.\n1 0 0\n2 2 0\n3 1 2\n4 1 0\n5 1.5 1\n6 0.5 1\n7 1 0.6666666666666666\n"
     "1 1 4 7 6\n2 2 5 7 4\n3 3 6 7 5\n"
     "1 -1 2 3 -1 0 0 0 0\n2 -1 3 1 -1 0 0 0 0\n3 -1 1 2 -1 0 0 0 0\n",
     "  INITIAL MESH FILE: NO NUMBERING OF THE VERTICES GIVES ELEMENTS 2 AND 3 THE SAME LOCAL "
     "AXES"},
};

class FileRefusal : public ::testing::TestWithParam<FileCase> {};

// Refused with one line, changing nothing; a good file read next is taken, and
// REFINE,1 and SOLVE work on it.
TEST_P(FileRefusal, IsRefusedAndAGoodFileIsTakenAfterIt) {
    const FileCase& c = GetParam();
    Project p = with_deck(
        "STANDARD\nHEAT\nGEOMETRY\nFILE=BAD\nFILE=GOOD\nMESH\nREFINE,1\nEND\nEND\n"
        "SOLVE\nFRONTAL\nEND\nEND\nEND\n");
    p.files["data/bad"] = c.text;
    p.files["data/good"] =
        TWO_SQUARES_NODES "1 1 2 5 4\n2 2 3 6 5\n1 -1 2 -3 -4 0 0 0 0\n2 -1 -2 -3 1 0 0 0 0\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(errors(r), std::vector<std::string>{c.line}) << show(r);
    EXPECT_EQ(grid_elements(r, "output.grid"), 5) << r.file("output.grid");
    const auto log = r.lines("decks/job.out");
    EXPECT_TRUE(contains_line(log, "      FILE=GOOD")) << r.file("decks/job.out");
    EXPECT_FALSE(contains_line(log, "      FILE=BAD")) << r.file("decks/job.out");
}

INSTANTIATE_TEST_SUITE_P(Files, FileRefusal, ::testing::ValuesIn(kFiles),
                         [](const auto& info) { return std::string(info.param.name); });

//// numbers of any size in the generator ////

struct HugeCase {
    const char* name;
    const char* level;   // GRID, POINT, ELEMENT, BOUNDARY, SETS or GEOMETRY
    const char* record;  // the records put at the start of that level
    const char* line;    // a line of the error file
};

const HugeCase kHuge[] = {
    {"grid_bound_beyond_the_integers", "GRID", "POINT=4,IJ=-1E308,1,5,5\n",
     " *** TABLE FULL: GENERATOR SLOTS, AT MOST 10000"},
    {"grid_at_the_end_of_the_integers", "GRID", "POINT=4,IJ=2147483646,1,2147483647,2\n",
     " *** I,J OUTSIDE THE GRID 1..100 ***"},
    {"point_off_the_grid", "POINT", "IJ=1E10,1,XY=5,5\n", " *** I,J OUTSIDE THE GRID 1..100 ***"},
    {"iloop_beyond_the_integers", "ELEMENT", "ILOOP=1E10\nLINEAR,1,1\nIENDLOOP\n",
     " *** TABLE FULL: ELEMENTS, AT MOST 500"},
    {"jloop_at_the_least_integer", "ELEMENT", "JLOOP=-2147483648\nLINEAR,1,1\nJENDLOOP\n",
     " *** TABLE FULL: ELEMENTS, AT MOST 500"},
    {"step_beyond_the_grid", "ELEMENT", "LINEAR,1,1,STEP=1E9,1\n",
     " *** ISTEP AND JSTEP MUST LIE IN -99..99 ***"},
    {"boundary_line_off_the_grid", "BOUNDARY", "BOUNDARY=1,IJ=1,-1E10,1,1E10\n",
     " *** IMIN,JMIN,IMAX,JMAX OUTSIDE THE GRID 1..100 ***"},
    {"set_loop_beyond_the_pool", "SETS", "ELSET=A\nADD,1,LOOP=1E10,STEP=0\n",
     " *** TABLE FULL: ELEMENT SET ENTRIES, AT MOST 1000"},
    {"profile_side_beyond_four", "SETS", "PROFILE=P\nADD,1,SIDE=1E9\n",
     "  J  IS NOT A SIDE 1..4 AFTER \"SIDE\""},
    // GRID named more often than the reader lists a word: the END is refused.
    {"grid_file_named_eleven_times", "GEOMETRY",
     "END,GRID,GRID,GRID,GRID,GRID,GRID,GRID,GRID,GRID,GRID,GRID\n",
     "    AN ITEM APPEARS MORE THAN 10 TIMES ON ONE DATA CARD"},
};

void PrintTo(const HugeCase& c, std::ostream* os) {
    *os << c.name;
}

class HugeNumbers : public ::testing::TestWithParam<HugeCase> {};

TEST_P(HugeNumbers, AreRefusedAndTheRunGoesOn) {
    const HugeCase& c = GetParam();
    std::map<std::string, std::string> at;
    at[c.level] = c.record;
    const std::string deck =
        "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\n" + at["GRID"] +
        "POINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nPOINT\n" + at["POINT"] +
        "END\nEND\nELEMENT\n" + at["ELEMENT"] + "ILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n" +
        "BOUNDARY\n" + at["BOUNDARY"] +
        "BOUNDARY=1,IJ=1,1,3,1\nIJ=3,1,3,3\nIJ=1,3,3,3\nIJ=1,1,1,3\nEND\nSETS\n" + at["SETS"] +
        "END\n" + at["GEOMETRY"] + "END\nSOLVE\nFRONTAL\nEND\nEND\nEND\n";
    auto r = run_kavren(with_deck(deck), 20);
    ASSERT_FALSE(r.timed_out) << show(r);
    ASSERT_EQ(r.status, 0) << show(r);
    const auto err = errors(r);
    EXPECT_TRUE(contains_line(err, c.line)) << show(r);
    // The square of four elements was made, handed over and solved.
    EXPECT_EQ(grid_elements(r, "output.grid"), 4) << r.file("output.grid");
    EXPECT_FALSE(has_prefix(err, " *** NO USABLE MESH")) << show(r);
}

INSTANTIATE_TEST_SUITE_P(Generator, HugeNumbers, ::testing::ValuesIn(kHuge),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavren::e2e
