// End-to-end runs of STORAGE: a mesh generated and saved in one run is
// recovered in the next, saved again and recovered again; the formatted form
// (UNFORM); and the refusal of missing, cut, oversized and damaged files and of
// targets that cannot be written, with the run going on and its data intact.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

//// projects ////

// Four bilinear squares on the unit square, boundaries 1..4.
const char* const kSquare =
    "GEOMETRY\n"
    "NODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=2,IJ=3,1,3,3\nBOUNDARY=3,IJ=1,3,3,3\n"
    "BOUNDARY=4,IJ=1,1,1,3\nEND\n"
    "END\n";

// Four quadratic (9-node) squares of side 1: mid-side and interior nodes of order 2.
const char* const kQuadratic =
    "GEOMETRY\n"
    "NODES\nGRID\nPOINT=4,IJ=1,1,5,5\nXY,0,0,XY,2,0,XY,2,2,XY,0,2\nEND\nEND\n"
    "ELEMENT\nILOOP=2\nJLOOP=2\nQUADR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=OUTER\nIJ=1,1,5,1\nIJ=5,1,5,5\nIJ=1,5,5,5\nIJ=1,1,1,5\nEND\n"
    "END\n";

// A run of the deck, with blank lines for the extension points that wait.
Project deck_run(const std::string& deck) {
    Project p;
    p.files["decks/job.com"] = deck;
    p.input = "job\n" + std::string(20, '\n');
    return p;
}

// The problem menu's records between STANDARD, problem and the three ENDs.
std::string in_problem(const std::string& problem, const std::string& body) {
    return "STANDARD\n" + problem + "\n" + body + "END\nEND\nEND\n";
}

// Run 1: the square generated and saved to data/job.sav. Its scratch
// directory goes when the test that made it ends, so the file is kept here.
struct SavedSquare {
    int status = -1;
    std::string account;  // show() of the run
    std::string bytes;    // data/job.sav
};
const SavedSquare& square_saved() {
    static const SavedSquare saved = [] {
        auto r =
            run_kavren(deck_run(in_problem("HEAT", std::string(kSquare) + "STORAGE\nSAVE\nEND\n")));
        return SavedSquare{r.status, show(r), r.file("data/job.sav")};
    }();
    return saved;
}

// A later run with run 1's save file in its data directory.
Project with_save_file(const std::string& deck, const std::string& bytes) {
    Project p = deck_run(deck);
    p.files["data/job.sav"] = bytes;
    return p;
}

//// reading files back ////

std::vector<double> doubles(const std::string& bytes) {
    std::vector<double> v(bytes.size() / sizeof(double));
    std::memcpy(v.data(), bytes.data(), v.size() * sizeof(double));
    return v;
}

std::string with_double(std::string bytes, std::size_t index, double value) {
    std::memcpy(bytes.data() + index * sizeof(double), &value, sizeof(double));
    return bytes;
}

// The grid file without its element-block lines, which only the generating
// run knows.
std::vector<std::string> grid_without_blocks(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    bool skipping = false;
    for (const std::string& l : lines) {
        if (l == " NUMBER OF BLOCKS") skipping = true;
        if (l == " NPDOF,NPNOD,NPFAM =") skipping = false;
        if (!skipping) out.push_back(l);
    }
    return out;
}

// A line of a formatted block: a blank and four values of 22 columns, each
// "  0." or " -0." with 14 digits and a two-digit exponent, as the pattern
// " ((  0| -0)\.[0-9]{14}E[+-][0-9]{2}){4}" reads (checked by hand: the
// regex engine took seconds over the 55 104 lines of a file).
bool is_block_line(const std::string& l) {
    if (l.size() != 1 + 4 * 22 || l[0] != ' ') return false;
    auto digits = [&l](std::size_t at, std::size_t n) {
        for (std::size_t i = at; i < at + n; ++i)
            if (l[i] < '0' || l[i] > '9') return false;
        return true;
    };
    for (std::size_t v = 1; v < l.size(); v += 22) {
        const std::string_view head(l.data() + v, 4);
        if (head != "  0." && head != " -0.") return false;
        if (!digits(v + 4, 14) || l[v + 18] != 'E' || (l[v + 19] != '+' && l[v + 19] != '-') ||
            !digits(v + 20, 2))
            return false;
    }
    return true;
}

bool err_has(const RunResult& r, const std::string& line) {
    return contains_line(r.lines("decks/job.err"), line);
}

// Where the stream's items start, for the square (MXEQNS 4, 4 initial
// elements): header, equations, coupling, symmetry, counts, first-born sons,
// 30000 families, side table, free-list heads, then NODPTR of the 70000 nodes.
constexpr std::size_t kIsymet = 10 + 2 + 16;
constexpr std::size_t kNfson = kIsymet + 1 + 5;
constexpr std::size_t kNodptr = kNfson + 4 + 5 * 30000 + 16 + 3;
// Item 11: element 1's nicknames, then its first node (node 1): x, y, and the
// UOLD, UNEW pairs of its dof.
constexpr std::size_t kElements = kNodptr + 70000;

//// cases ////

class StorageRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(StorageRoundTrip, SaveInOneRunRecoverInTheNextGivesTheSameDatabase) {
    const bool quadratic = std::string(GetParam()) == "quadratic";
    const std::string problem = quadratic ? "ELASTICITY" : "HEAT";
    const std::string mesh = quadratic ? kQuadratic : kSquare;
    auto r1 = run_kavren(deck_run(in_problem(problem, mesh + "STORAGE\nSAVE\nEND\n")));
    ASSERT_EQ(r1.status, 0) << show(r1);
    ASSERT_EQ(r1.file("decks/job.err"), "") << show(r1);
    ASSERT_TRUE(r1.exists("data/job.sav")) << show(r1);
    EXPECT_FALSE(r1.exists("data/job.sav.tmp"));
    EXPECT_TRUE(contains_line(r1.out_lines(), " FAKE USERDOUT")) << show(r1);

    auto r2 = run_kavren(with_save_file(
        in_problem(problem, "STORAGE\nRECOVER\nEND\nGEOMETRY\nEND\nSOLVE\nFRONTAL\n"),
        r1.file("data/job.sav")));
    ASSERT_EQ(r2.status, 0) << show(r2);
    EXPECT_TRUE(contains_line(r2.out_lines(), " FAKE USERDIN")) << show(r2);
    // The grid file of the recovered database is the generated one's.
    EXPECT_EQ(grid_without_blocks(r2.lines("output.grid")),
              grid_without_blocks(r1.lines("output.grid")))
        << r1.file("output.grid") << "\n---\n"
        << r2.file("output.grid");
    // The recovered mesh is usable: SOLVE takes it.
    EXPECT_EQ(r2.file("decks/job.err"), "") << show(r2);
}

INSTANTIATE_TEST_SUITE_P(Meshes, StorageRoundTrip, ::testing::Values("bilinear", "quadratic"));

TEST(Storage, RecoveredDataSavedAgainIsAFixedPoint) {
    const SavedSquare& r1 = square_saved();
    ASSERT_EQ(r1.status, 0) << r1.account;
    const std::string a = r1.bytes;
    auto r = run_kavren(with_save_file(
        in_problem("HEAT", "STORAGE\nRECOVER\nSAVE,FILE=B\nRECOVER,FILE=B\nSAVE,FILE=C\nEND\n"),
        a));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.file("decks/job.err"), "") << show(r);
    const std::string b = r.file("data/B"), c = r.file("data/C");
    ASSERT_EQ(b.size(), a.size());
    EXPECT_TRUE(b == c);

    // A and B differ only in the dof numbers of the nine nodes: the generator
    // gave node n dof n, the recovery numbers them in the order the elements
    // meet them (element 1: nodes 1, 2, 5, 4; element 2: 8, 7; element 3: 3,
    // 6; element 4: 9).
    const std::vector<double> va = doubles(a), vb = doubles(b);
    const int stream_dof[10] = {0, 1, 2, 7, 4, 3, 8, 6, 5, 9};
    for (std::size_t i = 0; i < va.size(); ++i) {
        if (i >= kNodptr && i < kNodptr + 9) {
            const int node = static_cast<int>(i - kNodptr) + 1;
            EXPECT_EQ(va[i], node);
            EXPECT_EQ(vb[i], stream_dof[node]) << "node " << node;
        } else {
            ASSERT_EQ(va[i], vb[i]) << "value " << i + 1 << " of the stream";
        }
    }
}

TEST(Storage, UnformWritesTextThatOnlyRecoverWithUnformReads) {
    const SavedSquare& r1 = square_saved();
    ASSERT_EQ(r1.status, 0) << r1.account;
    auto r = run_kavren(with_save_file(
        in_problem("HEAT",
                   "STORAGE\nRECOVER\nSAVE,FILE=B\n"
                   "SAVE,UNFORM,FILE=TXT\nRECOVER,FILE=B\nRECOVER,UNFORM,FILE=TXT\nSAVE,FILE=D\n"
                   "RECOVER,FILE=TXT\nRECOVER,UNFORM,FILE=B\nSAVE,FILE=E\nEND\n"),
        r1.bytes));
    ASSERT_EQ(r.status, 0) << show(r);
    const auto text = r.lines("data/TXT");
    // 861 blocks of 64 lines, each a blank and four values of 22 columns.
    ASSERT_EQ(text.size(), 861u * 64u);
    EXPECT_EQ(text[0],
              "   0.51200000000000E+06  0.16000000000000E+05  0.50000000000000E+03"
              "  0.30000000000000E+05");
    for (const std::string& l : text) ASSERT_TRUE(is_block_line(l)) << l;
    // What RECOVER,UNFORM read is what the binary file holds.
    EXPECT_TRUE(r.file("data/D") == r.file("data/B"));
    // Each form read as the other is refused, and changes nothing.
    EXPECT_TRUE(err_has(r,
                        " *** NOTHING RECOVERED FROM data/TXT: IT HOLDS A VALUE THAT IS NOT A "
                        "NUMBER, OR NOT AN INTEGER WHERE ONE IS DUE"))
        << show(r);
    int refusals = 0;
    for (const std::string& l : r.lines("decks/job.err"))
        refusals += l.rfind(" *** NOTHING RECOVERED FROM data/", 0) == 0;
    EXPECT_EQ(refusals, 2) << show(r);
    EXPECT_TRUE(r.file("data/E") == r.file("data/B"));
}

TEST(Storage, DamagedFilesAreRefusedAndTheRunGoesOnWithItsData) {
    const SavedSquare& r1 = square_saved();
    ASSERT_EQ(r1.status, 0) << r1.account;
    const std::string a = r1.bytes;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // The damaged copies of the file and the line each is refused with.
    const std::vector<std::pair<std::string, std::string>> damage = {
        {"CUT", a.substr(0, a.size() / 2)},
        {"BIG", with_double(a, 1, 16001.0)},            // element slots
        {"TREE", with_double(a, kNfson, 3.0)},          // a son 2 as first-born son
        {"NAN", with_double(a, kElements + 9, nan)},    // x of node 1
        {"INF", with_double(a, kElements + 12, inf)},   // UNEW of node 1
        {"FAR", with_double(a, kElements + 9, 1e300)},  // node 1 far off: element 1 folds
        {"NODE0", with_double(a, kElements, 5.0)},      // vertex 1 of element 1: node 0
        {"SYM", with_double(a, kIsymet, 4.0)},          // a symmetry flag no run sets
    };
    std::string refusals = "STORAGE\n";
    for (const auto& [name, bytes] : damage) refusals += "RECOVER,FILE=" + name + "\n";
    refusals += "RECOVER,FILE=NONE\nEND\n";
    auto damaged = [&](Project p) {
        for (const auto& [name, bytes] : damage) p.files["data/" + name] = bytes;
        return p;
    };

    // In a run with a mesh: refused, then SOLVE works on that mesh, and the
    // grid file is the one written before.
    auto r = run_kavren(damaged(deck_run(in_problem(
        "HEAT", std::string(kSquare) + refusals + "SOLVE\nFRONTAL\nGEOMETRY\nEND,GRID=AFTER\n"))));
    ASSERT_EQ(r.status, 0) << show(r);
    const std::vector<std::string> messages = {
        " *** NOTHING RECOVERED FROM data/CUT: IT ENDS BEFORE ITS DATA",
        " TOO BIG DATA FOR YOUR SYSTEM",
        " *** NOTHING RECOVERED FROM data/TREE: ITS ELEMENT TREE IS INCONSISTENT: ELEMENT 1: "
        "FIRST-BORN SON 3 IS NOT A SON 1",
        " *** NOTHING RECOVERED FROM data/NAN: IT HOLDS A REAL THAT IS NOT A FINITE NUMBER",
        " *** NOTHING RECOVERED FROM data/INF: IT HOLDS A REAL THAT IS NOT A FINITE NUMBER",
        " *** NOTHING RECOVERED FROM data/FAR: THE JACOBIAN OF ELEMENT 1 IS NOT POSITIVE AT ITS "
        "VERTEX 1",
        " *** NOTHING RECOVERED FROM data/NODE0: ELEMENT 1 LOCAL NODE 1 HAS NICKNAME 5",
        " *** NOTHING RECOVERED FROM data/SYM: ITS SYMMETRY FLAG ISYMET IS NEITHER 1 NOR 2",
        " *** NOTHING RECOVERED FROM data/NONE: IT CANNOT BE OPENED",
    };
    std::vector<std::string> err;
    for (const std::string& l : r.lines("decks/job.err"))
        if (!l.empty()) err.push_back(l);
    EXPECT_EQ(err, messages) << show(r);
    EXPECT_EQ(r.lines("after.grid"), r.lines("output.grid"));
    EXPECT_FALSE(r.exists("data/NONE"));

    // In a run without a mesh: still none after the refusals; the good file
    // then gives one.
    auto r3 = run_kavren(damaged(with_save_file(
        in_problem("HEAT", refusals + "SOLVE\nFRONTAL\nSTORAGE\nRECOVER\nEND\nSOLVE\nFRONTAL\n"),
        a)));
    ASSERT_EQ(r3.status, 0) << show(r3);
    err.clear();
    for (const std::string& l : r3.lines("decks/job.err"))
        if (!l.empty()) err.push_back(l);
    std::vector<std::string> expected = messages;
    expected.push_back(" *** NO MESH HAS BEEN DEFINED: USE GEOMETRY FIRST ***");
    EXPECT_EQ(err, expected) << show(r3);
}

TEST(Storage, SaveRefusesWithoutAMeshAndWhenItsFileCannotBeWritten) {
    auto none = run_kavren(deck_run(in_problem("HEAT", "STORAGE\nSAVE\nEND\n")));
    ASSERT_EQ(none.status, 0) << show(none);
    EXPECT_TRUE(err_has(none, " *** NO MESH HAS BEEN DEFINED: USE GEOMETRY FIRST ***"))
        << show(none);
    EXPECT_FALSE(none.exists("data/job.sav"));

    Project p = deck_run(in_problem(
        "HEAT", std::string(kSquare) + "STORAGE\nSAVE\nSAVE,FILE=DIRSAV\nSAVE,FILE=CASE1\nEND\n"));
    p.files["data/job.sav"] = "previous";
    p.files["data/job.sav.tmp/keep"] = "";  // the temporary name is taken
    p.files["data/DIRSAV/keep"] = "";       // the target is a directory
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(err_has(r,
                        " *** NOTHING SAVED TO data/job.sav: ITS TEMPORARY FILE "
                        "data/job.sav.tmp CANNOT BE OPENED"))
        << show(r);
    EXPECT_TRUE(err_has(r, " *** NOTHING SAVED TO data/DIRSAV: IT CANNOT BE REPLACED")) << show(r);
    EXPECT_EQ(r.file("data/job.sav"), "previous");
    EXPECT_TRUE(r.exists("data/DIRSAV/keep"));
    EXPECT_FALSE(r.exists("data/DIRSAV.tmp"));
    // The run went on: the last SAVE wrote its file, named as typed.
    EXPECT_EQ(r.file("data/CASE1").size(), 861u * 2048u);
}

TEST(Storage, TheLevelListsItsOptionsAndLogsItsRecords) {
    Project p;
    p.files["decks/job.com"] = "";
    p.input = "job\nSTANDARD\nHEAT\n" + std::string(kSquare) +
              "STORAGE\nFROB\nSAVE,FILE\nSAVE,FILE=CASE1\n\nEND\nEND\nEND\nEND\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    const auto out = r.out_lines();
    const std::vector<std::string> list = {
        "  OPTIONS ARE:",
        " RETYPE COMMAND",
        "",
        " SAVE,{FILE=FILENAME}    SAVE DATA STRUCTURE",
        " RECOVER,{FILE=FILENAME} RECOVER DATA STRUCTURE",
        " END,{FILE=FILENAME}     END OF MODULE",
    };
    EXPECT_NE(std::search(out.begin(), out.end(), list.begin(), list.end()), out.end()) << show(r);
    EXPECT_TRUE(err_has(r, " ** FILE NAME UNREADABLE **")) << show(r);
    EXPECT_TRUE(r.exists("data/CASE1"));
    const auto log = r.lines("decks/job.out");
    const std::vector<std::string> tail = {"   STORAGE", "      SAVE,FILE=CASE1", "   END", "END",
                                           "END"};
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(log.end() - static_cast<long>(tail.size()), log.end()), tail)
        << r.file("decks/job.out");
}

}  // namespace
}  // namespace kavren::e2e
