// Files that cannot be written or opened: a full disk, a size limit, a missing
// folder. A failure is reported and never taken as success; the run goes on
// where its data in memory are intact.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

// Four bilinear squares on the unit square, boundaries 1..4; END of GEOMETRY
// writes the grid file output.grid.
const char* const kSquare =
    "GEOMETRY\n"
    "NODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=2,IJ=3,1,3,3\nBOUNDARY=3,IJ=1,3,3,3\n"
    "BOUNDARY=4,IJ=1,1,1,3\nEND\n"
    "END\n";

const char* const kPrevious = "the save file of an earlier run";

struct FaultCase {
    std::string name;
    std::vector<std::string> full_files;  // linked to /dev/full
    long long size_limit;                 // RLIMIT_FSIZE of the run, -1 none
    const char* omit_dir;                 // a standard folder not made, or nullptr
    int status;
    std::vector<std::string> stderr_lines;  // lines standard error must hold
    // Further checks of what the run left.
    std::function<void(const RunResult&)> check;
};

bool stderr_has(const RunResult& r, const std::string& line) {
    return contains_line(split_lines(r.err), line);
}

bool stderr_starts(const RunResult& r, const std::string& head) {
    for (const std::string& l : split_lines(r.err))
        if (l.rfind(head, 0) == 0) return true;
    return false;
}

// The run went on past the failing file: SAVE wrote its file.
void saved(const RunResult& r) {
    EXPECT_TRUE(r.exists("data/job.sav"));
    EXPECT_NE(r.file("data/job.sav"), kPrevious);
    EXPECT_GT(r.file("data/job.sav").size(), 1000u);
}

std::vector<FaultCase> fault_cases() {
    std::vector<FaultCase> v;
    for (const char* f : {"decks/job.out", "decks/job.err", "for50", "output.grid"}) {
        std::string flat = f;
        for (char& c : flat)
            if (c == '/' || c == '.') c = '_';
        v.push_back({"full_" + flat,
                     {f},
                     -1,
                     nullptr,
                     1,
                     {" *** RUN ENDED WITH FILES NOT WRITTEN: " + std::string(f)},
                     [f](const RunResult& r) {
                         EXPECT_TRUE(stderr_starts(r, " *** UNABLE TO WRITE FILE " +
                                                          std::string(f) + ": "));
                         saved(r);
                     }});
    }
    // The solver's file of the project is rewound by SOLVE but never
    // written: nothing of it is lost, so a full disk there fails nothing,
    // and SOLVE works.
    v.push_back({"full_data_front", {"data/front"}, -1, nullptr, 0, {}, [](const RunResult& r) {
                     // The second SOLVE finds the first one's solution.
                     EXPECT_TRUE(contains_line(r.lines("decks/job.err"),
                                               "  NOTHING HAS BEEN CHANGED SINCE LAST SOLUTION!"))
                         << show(r);
                     EXPECT_FALSE(contains_text(r.err, "UNABLE TO WRITE")) << r.err;
                     saved(r);
                 }});
    // A save file larger than the files may grow: nothing saved, the earlier
    // file kept, and the run ends as usual.
    v.push_back({"save_past_the_size_limit", {}, 200000, nullptr, 0, {}, [](const RunResult& r) {
                     EXPECT_TRUE(contains_text(r.file("decks/job.err"),
                                               " *** NOTHING SAVED TO data/job.sav: "));
                     EXPECT_EQ(r.file("data/job.sav"), kPrevious);
                     EXPECT_FALSE(r.exists("data/job.sav.tmp"));
                     EXPECT_FALSE(contains_text(r.err, "UNABLE TO WRITE")) << r.err;
                 }});
    v.push_back({"no_data_folder", {}, -1, "data", 1, {" ** UNABLE TO OPEN FILE data/front"},
                 nullptr});
    v.push_back({"no_decks_folder", {}, -1, "decks", 1, {" ** UNABLE TO OPEN FILE decks/deck.out"},
                 nullptr});
    v.push_back({"no_include_folder", {}, -1, "DECKS", 0, {}, [](const RunResult& r) {
                     EXPECT_TRUE(contains_line(r.lines("decks/job.err"),
                                               " UNABLE TO OPEN INCLUDE FILE: DECKS/PART.INC"));
                     saved(r);
                 }});
    return v;
}

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class FileFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FileFault, IsReportedAndTheRunGoesOn) {
    const FaultCase& c = GetParam();
    Project p;
    // A faulty record first, so that the error file is written.
    p.files["decks/job.com"] = "1.2.3\nINCLUDE,PART\nSTANDARD\nHEAT\n" + std::string(kSquare) +
                               "SOLVE\nFRONTAL\nSOLVE\nFRONTAL\nSTORAGE\nSAVE\nEND\nEND\nEND\nEND\n";
    p.files["data/job.sav"] = kPrevious;
    p.files["DECKS/PART.INC"] = "# part\n";
    p.input = "job\n" + std::string(20, '\n');
    p.full_files = c.full_files;
    p.file_size_limit = c.size_limit;
    if (c.omit_dir != nullptr) {
        p.omit_dirs.push_back(c.omit_dir);
        for (auto it = p.files.begin(); it != p.files.end();)
            it = it->first.rfind(std::string(c.omit_dir) + "/", 0) == 0 ? p.files.erase(it)
                                                                       : std::next(it);
    }
    auto r = run_kavren(p);
    EXPECT_EQ(r.status, c.status) << show(r);
    for (const std::string& line : c.stderr_lines) EXPECT_TRUE(stderr_has(r, line)) << show(r);
    if (c.check) c.check(r);
}

INSTANTIATE_TEST_SUITE_P(Files, FileFault, ::testing::ValuesIn(fault_cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kavren::e2e
