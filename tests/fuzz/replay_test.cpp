// Replays every input kept under tests/fuzz/corpus/<target>/ through its
// harness: inputs that once found a fault, and hand-written seeds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "harness.hpp"

namespace kavren::fuzz {
namespace {

namespace fs = std::filesystem;

class Replay : public ::testing::TestWithParam<const char*> {};

TEST_P(Replay, EveryCorpusInputGetsAGoodVerdict) {
    const std::string target = GetParam();
    const Target run = target_named(target);
    ASSERT_NE(run, nullptr);
    const fs::path dir = fs::path(KAVREN_FUZZ_CORPUS) / target;
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_FALSE(inputs.empty()) << "no input under " << dir;
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string data = std::move(bytes).str();
        EXPECT_EQ(run(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()), "")
            << input.filename().string();
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, Replay,
                         ::testing::Values("reader", "evaluator", "mesh_file", "save_file"));

}  // namespace
}  // namespace kavren::fuzz
