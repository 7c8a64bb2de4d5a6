// Fuzz harnesses of the four readers of outside data: the command-record
// reader, the evaluator's calculator lines, the initial-mesh file of FILE=
// and the save file. Each is a function from the bytes of one input to a
// verdict: empty when the reader behaved, otherwise what it did wrong. The
// libFuzzer programs of the fuzz build and the replay test of every build
// call the same functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kavren::fuzz {

// A stop of the run, thrown by the stop hook that the harnesses install, so
// that the harness sees it instead of the process ending.
struct Stopped {
    int status;
    std::string routine;
};

// Makes the scratch working directory (config.sys, decks/, data/, DECKS/ with
// two include files, decks/ with an evaluator file), enters it and installs
// the stop hook. Once per process; later calls do nothing.
void start();

std::string reader_target(const std::uint8_t* data, std::size_t size);
std::string evaluator_target(const std::uint8_t* data, std::size_t size);
std::string mesh_file_target(const std::uint8_t* data, std::size_t size);
std::string save_file_target(const std::uint8_t* data, std::size_t size);

// The target of a name ("reader", "evaluator", "mesh_file", "save_file"), or nullptr.
using Target = std::string (*)(const std::uint8_t*, std::size_t);
Target target_named(const std::string& name);

}  // namespace kavren::fuzz
