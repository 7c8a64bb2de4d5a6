// End-to-end runner: runs the real kavren program in a fresh scratch working directory, feeds it
// standard input, and hands back its exit status, its listing and the files it left behind.
//
// A test builds a Project (config.sys, the files of the working directory, the whole of standard
// input), calls run_kavren, and checks the Run:
//
//     kavren::e2e::Project p;
//     p.files["decks/demo.com"] = "...";
//     p.input = "demo\n";
//     auto r = kavren::e2e::run_kavren(p);  // (`Run r` does not compile in a TEST body)
//     EXPECT_EQ(r.status, 0) << kavren::e2e::show(r);
//     EXPECT_TRUE(kavren::e2e::contains_line(r.lines("decks/demo.out"), "...")) << show(r);
//
// Scratch directories live under $KAVREN_E2E_TMP (default: <system temp dir>/kavren-e2e). Those of
// a test that passed are removed when the test ends; those of a failing test are kept and their
// path printed. Set KAVREN_E2E_KEEP to keep them all.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavren::e2e {

// The working directory a run starts in.
struct Project {
    // Contents of config.sys: command mode, no graphics window.
    std::string config = "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=0\nEND\n";
    // Further files: path relative to the working directory -> contents (bytes, written as is).
    // Parent directories are created as needed, even one named in omit_dirs.
    std::map<std::string, std::string> files;
    // All of standard input; standard input is closed after it, so the program then sees end of
    // file.
    std::string input;
    // false: no config.sys at all.
    bool write_config = true;
    // Standard directories (decks, data, print, DECKS) not to create.
    std::vector<std::string> omit_dirs;
    // Files given as links to /dev/full (path relative to the working directory): every write
    // to them fails with "no space left on device".
    std::vector<std::string> full_files;
    // Largest size in bytes of a file the program may write (RLIMIT_FSIZE, with SIGXFSZ ignored,
    // so that a write past it fails); negative: no limit.
    long long file_size_limit = -1;
    // Changes to the environment the program inherits: name -> value, or nullopt to remove the
    // variable. By default DISPLAY is removed and UNAME set, so that no case reaches a display
    // (or asks for a user name) unless it says so.
    std::map<std::string, std::optional<std::string>> environment = {{"DISPLAY", std::nullopt},
                                                                     {"UNAME", "tester"}};
};

// What a run left behind.
struct Run {
    int status = -1;            // exit status; 128+signal when killed by a signal; -1: not started
    bool timed_out = false;     // killed by the runner after the time limit
    std::string out;            // all of standard output (the terminal listing)
    std::string err;            // all of standard error
    std::filesystem::path dir;  // the scratch working directory (absolute)

    // Contents of dir/rel; empty when the file is missing.
    std::string file(const std::string& rel) const;
    bool exists(const std::string& rel) const;
    // Lines of dir/rel without their newlines (empty when the file is missing).
    std::vector<std::string> lines(const std::string& rel) const;
    // Lines of standard output.
    std::vector<std::string> out_lines() const;
    // The history file dir/for50: one entry per 256-byte record, the 80-character line at the
    // start of the record with trailing blanks (and unwritten zero bytes) trimmed. A short last
    // record is decoded from the bytes present.
    std::vector<std::string> history() const;
    // Last line of dir/rel that is not blank, trailing blanks trimmed; empty if there is none.
    std::string last_line(const std::string& rel) const;
};

// Inside a TEST body the name Run means testing::Test::Run; declare results with auto or with
// this name.
using RunResult = Run;

// The lines of the error file decks/job.err (the project "job" of most decks) that are not blank.
std::vector<std::string> errors(const Run& r);

// The project "job" in command mode on a colour display, its deck deck; typed
// follows the project name on standard input.
inline Project colour_job(const std::string& deck, const std::string& typed = "") {
    Project p;
    p.config = "MODE=COMMAND\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
    p.files["decks/job.com"] = deck;
    p.input = "job\n" + typed;
    return p;
}

// Runs the kavren program (KAVREN_BINARY) on the project, without arguments.
Run run_kavren(const Project& project, int timeout_seconds = 60);

// Runs any program with the given arguments (argv[1..]) on the project, the same way. The
// runner's self-tests use it with /bin/sh.
Run run_program(const std::filesystem::path& program, const Project& project,
                int timeout_seconds = 60, const std::vector<std::string>& args = {});

class Child;

// A running program that a test drives line by line. It starts in a fresh scratch directory as
// run_kavren does (the project's input is fed first), returns at once, and is killed by its
// process group once its time limit is up. A test never sleeps a fixed time: it waits for what
// the program writes.
//
//     kavren::e2e::Session s(project);
//     s.write("PLOT");
//     ASSERT_TRUE(s.wait_for_file("decks/job.out", "# DRAWN")) << show(s.run());
//     auto r = s.finish();
class Session {
  public:
    explicit Session(const Project& project, int timeout_seconds = 60);
    Session(const std::filesystem::path& program, const Project& project, int timeout_seconds,
            const std::vector<std::string>& args = {});
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session();

    // Writes one line (a newline is added) to the program's standard input.
    void write(const std::string& line);
    // Waits until done() holds, feeding the input and reading the streams in between; false
    // when the time limit (or the end of the program) comes first.
    bool wait_for(const std::function<bool()>& done, int timeout_seconds = 30) {
        return wait_until(timeout_seconds, done);
    }
    // Waits until standard output holds text; false when the time limit (or the end of the
    // program) comes first.
    bool wait_for_output(std::string_view text, int timeout_seconds = 30);
    // Waits until the file rel of the working directory holds text; false as above.
    bool wait_for_file(const std::string& rel, std::string_view text, int timeout_seconds = 30);
    // Closes standard input, waits for the program to end (within its time limit) and returns
    // what it left behind.
    Run finish();
    // What the program has written so far, and its working directory.
    const Run& run() const { return run_; }
    // Its process id (-1 when it could not start or has finished).
    int pid() const;

  private:
    bool wait_until(int timeout_seconds, const std::function<bool()>& done);

    Run run_;
    std::unique_ptr<Child> child_;
};

// A project read from a directory of the source tree (e.g. examples/demo): config.sys goes to
// `config` (write_config false when there is none), every other regular file to `files`, and the
// standard directories that are missing to `omit_dirs`. `input` is left empty.
Project load_project(const std::filesystem::path& dir);

// Absolute path of a file in the source tree (KAVREN_SOURCE_DIR/rel).
std::filesystem::path source_path(const std::string& rel);

// Splits text into lines at '\n'; a final newline does not start another line.
std::vector<std::string> split_lines(std::string_view text);

// True when some line equals exact_line after trailing blanks of both are trimmed.
bool contains_line(const std::vector<std::string>& lines, std::string_view exact_line);

// True when needle occurs anywhere in text.
bool contains_text(const std::string& text, std::string_view needle);

// A readable account of a run for failure messages: directory, status, standard output, standard
// error and every decks/*.err file (long parts shortened to their tails).
//     EXPECT_EQ(r.status, 0) << show(r);
std::string show(const Run& run);

}  // namespace kavren::e2e
