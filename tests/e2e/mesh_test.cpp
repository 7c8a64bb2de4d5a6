// End-to-end runs of the MESH level of GEOMETRY: refinement, unrefinement and
// enrichment by element and by group, their messages at the keyboard and from
// the deck, the grid files they leave, and the command log that replays them.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

// A unit square of 2 x 2 elements, 4-node or 9-node, boundaries 1..4
// (bottom, right, top, left), the last named WALL; the left column is the
// element set LEFT (elements 1 and 3).
std::string square(bool nine_node) {
    const std::string n = nine_node ? "5" : "3";
    return std::string("GEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,") + n + "," + n +
           "\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
           "ELEMENT\nILOOP=2\nJLOOP=2\n" +
           (nine_node ? "QUADR" : "LINEAR") +
           ",1,1\nENDLOOPS\nEND\n"
           "BOUNDARY\nBOUNDARY=1,IJ=1,1," +
           n + ",1\nBOUNDARY=2,IJ=" + n + ",1," + n + "," + n + "\nBOUNDARY=3,IJ=1," + n + "," + n +
           "," + n + "\nBOUNDARY=WALL,IJ=1,1,1," + n +
           "\nEND\n"
           "SETS\nELSET=LEFT\nADD,1,LOOP=2,STEP=2\nEND\n";
}

// STANDARD, HEAT and the square, its grid file written as BEFORE; then the
// MESH level with the records of `mesh` in a second GEOMETRY visit, whose
// grid file is AFTER; then the problem module, STANDARD and the run end.
std::string deck(bool nine_node, const std::string& mesh) {
    return "STANDARD\nHEAT\n" + square(nine_node) + "END,GRID=BEFORE\nGEOMETRY\nMESH\n" + mesh +
           "END\nEND,GRID=AFTER\nEND\nEND\nEND\n";
}

Project from_deck(const std::string& text) {
    Project p;
    p.files["decks/job.com"] = text;
    p.input = "job\n";
    return p;
}

// The same records typed at the keyboard after the deck has built the mesh.
Project at_keyboard(bool nine_node, const std::string& mesh) {
    Project p;
    p.files["decks/job.com"] = "STANDARD\nHEAT\n" + square(nine_node) + "MESH\n";
    p.input = "job\n" + mesh + "END\nEND,GRID=AFTER\nEND\nEND\nEND\n";
    return p;
}

bool has(const std::vector<std::string>& lines, const std::string& line) {
    return contains_line(lines, line);
}

// The lines of the command log without their indentation.
std::vector<std::string> echoes(const RunResult& r) {
    std::vector<std::string> v;
    for (const std::string& l : r.lines("decks/job.out"))
        v.push_back(l.substr(std::min(l.find_first_not_of(' '), l.size())));
    return v;
}

// The number that follows a heading line of a grid file.
std::string after_heading(const std::vector<std::string>& grid, const std::string& heading) {
    auto at = std::find(grid.begin(), grid.end(), heading);
    return at != grid.end() && at + 1 != grid.end() ? *(at + 1) : "";
}

TEST(MeshLevel, GlobalRefinementUndoneGivesTheInitialGridBack) {
    auto r = run_kavren(from_deck(deck(false, "REFINE,GLOBAL\nUNREFINE,GLOBAL\n")));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.file("decks/job.err"), "") << show(r);
    auto before = r.lines("before.grid"), after = r.lines("after.grid");
    ASSERT_FALSE(before.empty());
    // Only the heads of the free lists differ: nodes, dofs and families were
    // taken and given back.
    ASSERT_EQ(before.size(), after.size()) << r.file("after.grid");
    EXPECT_EQ(before.end()[-2], " NPDOF,NPNOD,NPFAM =");
    EXPECT_NE(before.back(), after.back());
    before.pop_back();
    after.pop_back();
    EXPECT_EQ(before, after) << r.file("after.grid");
    // Both group records are in the log; the element changes are not.
    auto log = echoes(r);
    EXPECT_TRUE(has(log, "REFINE,GLOBAL"));
    EXPECT_TRUE(has(log, "UNREFINE,GLOBAL"));
    EXPECT_FALSE(has(log, "REFINE,1")) << r.file("decks/job.out");
}

TEST(MeshLevel, UnrefinementOfNineNodeElementsIsRefusedAndChangesNothing) {
    Project p = at_keyboard(true,
                            "REFINE,1\nEND\nEND,GRID=REFINED\nGEOMETRY\nMESH\n"
                            "UNREFINE,1\nUNREFINE,GLOBAL\n");
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    auto first = std::find(out.begin(), out.end(), " THIS ELEMENT CANNOT BE UNREFINED DUE");
    ASSERT_TRUE(first != out.end()) << show(r);
    EXPECT_EQ(*(first + 1), " TO THE MESH REGULARITY ASSUMPTIONS") << show(r);
    // Once for UNREFINE,1 and once for the family the group tried.
    auto err = r.lines("decks/job.err");
    EXPECT_EQ(std::count(err.begin(), err.end(), " THIS ELEMENT CANNOT BE UNREFINED DUE"), 2)
        << show(r);
    EXPECT_EQ(r.file("refined.grid"), r.file("after.grid"));
    EXPECT_FALSE(has(echoes(r), "UNREFINE,1"));
}

TEST(MeshLevel, InformationLinesShowAtTheKeyboardOnly) {
    const std::string mesh = "REFINE,1\nREFINE,1\nUNREFINE,2\n";
    auto typed = run_kavren(at_keyboard(false, mesh));
    auto deck_run = run_kavren(from_deck(deck(false, mesh)));
    for (const RunResult* r : {&typed, &deck_run}) {
        ASSERT_EQ(r->status, 0) << show(*r);
        auto out = r->out_lines();
        EXPECT_TRUE(has(out, " THIS ELEMENT HAS ALREADY BEEN REFINED")) << show(*r);
        EXPECT_TRUE(has(out, " ELEMENT    2 HAS NOT BEEN REFINED YET!")) << show(*r);
        auto err = r->lines("decks/job.err");
        EXPECT_TRUE(has(err, " THIS ELEMENT HAS ALREADY BEEN REFINED")) << show(*r);
        EXPECT_TRUE(has(err, " ELEMENT    2 HAS NOT BEEN REFINED YET!")) << show(*r);
    }
    // The four quarters of element 1 (families 1..3: sons 5, 6, then 7, 8 and
    // 9, 10) and the option list, at the keyboard only.
    EXPECT_TRUE(has(typed.out_lines(), " ITS SONS ARE :    7   8   9  10")) << show(typed);
    EXPECT_TRUE(has(typed.out_lines(), " ACTION:")) << show(typed);
    EXPECT_FALSE(has(deck_run.out_lines(), " ITS SONS ARE :    7   8   9  10")) << show(deck_run);
    EXPECT_FALSE(has(deck_run.out_lines(), " ACTION:")) << show(deck_run);
}

TEST(MeshLevel, OrdersAreClippedAndJournaledAsGiven) {
    auto r = run_kavren(at_keyboard(false,
                                    "ENRICH,4,ORDER=9\n"
                                    "ENRICH,3,INCREMENT=-1\n"
                                    "ENRICH,2,ORDER=1\n"
                                    "ENRICH,GLOBAL,ORDER=8\n"
                                    "ENRICH,ELSET=LEFT,INCREMENT=-9\n"
                                    "FOO\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    const std::vector<std::string> want = {" WARNING: REQUEST IMPOSSIBLE",
                                           " ELEMENT    4 IS ASSIGNED EIGHTH ORDER",
                                           " WARNING: REQUEST IMPOSSIBLE",
                                           " ELEMENT    3 IS ASSIGNED FIRST ORDER",
                                           " *** ELEMENT    2 HAS ALREADY GOT",
                                           " *** THIS ORDER OF APPROXIMATION",
                                           "  WARNING:    1 ELEMENTS WERE UNCHANGED",
                                           "  WARNING:    2 ELEMENTS",
                                           "  HAD TO BE INCREASED TO FIRST ORDER",
                                           " ** UNKNOWN OPTION ***"};
    auto at = out.begin();
    for (const std::string& w : want) {
        at = std::find(at, out.end(), w);
        EXPECT_TRUE(at != out.end()) << w << "\n" << show(r);
    }
    // The values as given: a replay clips them again.
    auto log = echoes(r);
    for (const char* l : {"ENRICH,4,ORDER=9", "ENRICH,3,INCREMENT=-1", "ENRICH,GLOBAL,ORDER=8",
                          "ENRICH,ELSET=LEFT,INCREMENT=-9"})
        EXPECT_TRUE(has(log, l)) << l << "\n" << r.file("decks/job.out");
    EXPECT_FALSE(has(log, "ENRICH,2,ORDER=1"));
    EXPECT_FALSE(has(log, "FOO"));
}

// One run of the program a record: each case is a test of its own, so the
// runs spread over the cores.
struct GroupCase {
    const char* name;
    const char* record;
    const char* elements;  // NUMBER OF ELEMENTS afterwards
    const char* error;     // a line of the error file, "" for none
};

void PrintTo(const GroupCase& c, std::ostream* os) {
    *os << c.record;
}

class MeshLevelGroups : public ::testing::TestWithParam<GroupCase> {};

TEST_P(MeshLevelGroups, GroupsByBoundaryAndElementSet) {
    const GroupCase& c = GetParam();
    SCOPED_TRACE(c.record);
    auto r = run_kavren(from_deck(deck(false, std::string(c.record) + "\n")));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(after_heading(r.lines("after.grid"), "  NUMBER OF ELEMENTS"), c.elements);
    auto err = r.lines("decks/job.err");
    if (*c.error != '\0') {
        EXPECT_TRUE(has(err, c.error)) << show(r);
    } else {
        EXPECT_EQ(r.file("decks/job.err"), "") << show(r);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Records, MeshLevelGroups,
    ::testing::Values(
        GroupCase{"boundary_number", "REFINE,BOUNDARY=2", " 10", ""},   // elements 2 and 4
        GroupCase{"boundary_name", "REFINE,BOUNDARY=WALL", " 10", ""},  // elements 1 and 3
        GroupCase{"element_set", "REFINE,ELSET=LEFT", " 10", ""},
        GroupCase{"global", "REFINE,GLOBAL", " 16", ""},
        GroupCase{"unknown_boundary", "REFINE,BOUNDARY=ROOF", " 4", "  BOUNDARY  UNREADABLE"},
        GroupCase{"unknown_set", "REFINE,ELSET=RIGHT", " 4", " ** UNKNOWN SET **"},
        GroupCase{"no_such_element", "REFINE,99", " 4", "  SUCH AN ELEMENT DOES NOT EXIST!"},
        GroupCase{"no_element_number", "REFINE", " 4", " *** ELEMENT NUMBER UNREADABLE ***"}),
    [](const ::testing::TestParamInfo<GroupCase>& info) { return std::string(info.param.name); });

TEST(MeshLevel, TheCommandLogReplaysToTheSameGrid) {
    const std::string mesh =
        "REFINE,1\n"
        "REFINE,8\n"
        "UNREFINE,8\n"
        "ENRICH,4,ORDER=3\n"
        "ENRICH,2\n"
        "REFINE,BOUNDARY=2\n"
        "UNREFINE,GLOBAL\n"
        "ENRICH,ELSET=LEFT,INCREMENT=1\n"
        "REFINE,3\n"
        "ENRICH,1,INCREMENT=2\n";
    auto first = run_kavren(from_deck(deck(false, mesh)));
    ASSERT_EQ(first.status, 0) << show(first);
    ASSERT_FALSE(first.file("after.grid").empty());
    const auto log = echoes(first);
    for (const char* l : {"UNREFINE,8", "ENRICH,2,ORDER=3", "REFINE,3", "ENRICH,1,INCREMENT=2"})
        EXPECT_TRUE(has(log, l)) << l << "\n" << first.file("decks/job.out");
    // The main menu's END ends the run without an echo: it is typed.
    Project replay = from_deck(first.file("decks/job.out"));
    replay.input = "job\nEND\n";
    auto second = run_kavren(replay);
    ASSERT_EQ(second.status, 0) << show(second);
    EXPECT_EQ(second.file("after.grid"), first.file("after.grid"));
    EXPECT_EQ(second.file("decks/job.out"), first.file("decks/job.out"));
    // The run did change the mesh.
    EXPECT_NE(first.file("after.grid"), first.file("before.grid"));
}

TEST(MeshLevel, SolveAgainAfterTheMeshChanged) {
    Project p = from_deck(
        "%\nOMEGA=X*Y\nOMEGAX=Y\nOMEGAY=X\nOMEGAXX=0\nOMEGAXY=1\nOMEGAYY=0\n%\n"
        "STANDARD\nHEAT\n" +
        square(false) + "END\n");
    p.input =
        "job\nSOLVE\nFRONTAL\nGEOMETRY\nMESH\nREFINE,1\nENRICH,2,ORDER=2\nEND\nEND\n"
        "SOLVE\nFRONTAL\nEND\nEND\nEND\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    EXPECT_EQ(std::count(out.begin(), out.end(), "  CALCULATIONS COMPLETE!"), 2) << show(r);
    EXPECT_FALSE(has(out, "  NOTHING HAS BEEN CHANGED SINCE LAST SOLUTION!")) << show(r);
}

}  // namespace
}  // namespace kavren::e2e
