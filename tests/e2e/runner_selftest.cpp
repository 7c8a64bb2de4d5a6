// Tests of the end-to-end runner itself, with /bin/sh in place of kavren, so that they hold
// whatever the program does.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

RunResult sh(const std::string& script, const Project& project = {}, int timeout_seconds = 30) {
    return run_program("/bin/sh", project, timeout_seconds, {"-c", script});
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(RunnerSelfTest, WritesTheProjectIntoAFreshWorkingDirectory) {
    Project p;
    p.files["decks/demo.com"] = "COMMAND ONE\n";
    p.files["DECKS/PART.INC"] = "PART\n";
    p.files["extra/sub/note.txt"] = "nested\n";
    p.omit_dirs = {"print"};
    const auto r =
        sh("for d in decks data print DECKS; do if [ -d $d ]; then echo \"dir $d\"; "
           "else echo \"no $d\"; fi; done; cat config.sys decks/demo.com DECKS/PART.INC "
           "extra/sub/note.txt",
           p);
    ASSERT_EQ(r.status, 0) << show(r);
    const std::vector<std::string> want = {"dir decks",    "dir data",     "no print", "dir DECKS",
                                           "MODE=COMMAND", "DISPLAY=MONO", "CUSTOM=0", "END",
                                           "COMMAND ONE",  "PART",         "nested"};
    EXPECT_EQ(r.out_lines(), want) << show(r);
    EXPECT_TRUE(r.dir.is_absolute());

    const auto again = sh("true", p);
    EXPECT_NE(again.dir, r.dir);
}

// Sets an environment variable of this process for one test and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(RunnerSelfTest, ChildEnvironmentHasNoDisplayUnlessAsked) {
    const ScopedEnv display("DISPLAY", ":99"), user("UNAME", "outer"),
        kept("KAVREN_RUNNER_KEPT", "kept");
    const std::string script = "echo \"[${DISPLAY-unset}] [$UNAME] [$KAVREN_RUNNER_KEPT]\"";
    const auto r = sh(script);
    EXPECT_EQ(r.out, "[unset] [tester] [kept]\n") << show(r);
    Project p;
    p.environment["DISPLAY"] = ":7";
    p.environment.erase("UNAME");
    const auto asked = sh(script, p);
    EXPECT_EQ(asked.out, "[:7] [outer] [kept]\n") << show(asked);
}

TEST(RunnerSelfTest, LeavesOutConfigWhenAsked) {
    Project p;
    p.write_config = false;
    const auto r = sh("if [ -e config.sys ]; then echo present; else echo absent; fi", p);
    EXPECT_EQ(r.out, "absent\n") << show(r);
    EXPECT_FALSE(r.exists("config.sys"));
}

TEST(RunnerSelfTest, RefusesFilePathsOutsideTheWorkingDirectory) {
    for (const char* bad : {"../escape.txt", "/tmp/kavren-e2e-escape.txt", "decks/../../x"}) {
        Project p;
        p.files[bad] = "x";
        RunResult r;
        SCOPED_TRACE(bad);
        EXPECT_NONFATAL_FAILURE(r = sh("echo ran", p), "must be relative");
        EXPECT_EQ(r.status, -1);
        EXPECT_EQ(r.out, "");
    }
}

TEST(RunnerSelfTest, FeedsStandardInputAndThenClosesIt) {
    // cat only ends when it sees end of file; a pipe left open would end in the time limit.
    for (const std::string& input :
         {std::string("demo\nline two\n"), std::string("no newline"), std::string()}) {
        Project p;
        p.input = input;
        const auto r = sh("cat > got.txt; echo done", p, 10);
        EXPECT_FALSE(r.timed_out) << show(r);
        EXPECT_EQ(r.status, 0) << show(r);
        EXPECT_EQ(r.file("got.txt"), input);
        EXPECT_EQ(r.out, "done\n");
    }
}

TEST(RunnerSelfTest, CapturesStreamsAndExitStatus) {
    struct Case {
        const char* script;
        int status;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {"echo listing; echo trouble >&2; exit 3", 3, "listing\n", "trouble\n"},
        {"printf 'a\\nb'", 0, "a\nb", ""},
        {"echo before; kill -TERM $$", 128 + SIGTERM, "before\n", ""},
        {"kill -ABRT $$", 128 + SIGABRT, "", ""},
    };
    for (const Case& c : cases) {
        const auto r = sh(c.script);
        EXPECT_EQ(r.status, c.status) << c.script << show(r);
        EXPECT_EQ(r.out, c.out) << c.script;
        EXPECT_EQ(r.err, c.err) << c.script;
        EXPECT_FALSE(r.timed_out) << c.script;
    }
}

TEST(RunnerSelfTest, KillsTheWholeProcessGroupAfterTheTimeLimit) {
    // The background sleep holds standard output too: only a group kill ends the run quickly.
    const auto start = std::chrono::steady_clock::now();
    const auto r = sh("echo started; sleep 30 & sleep 30", {}, 1);
    EXPECT_TRUE(r.timed_out) << show(r);
    EXPECT_EQ(r.status, 128 + SIGKILL) << show(r);
    EXPECT_EQ(r.out, "started\n");
    EXPECT_LT(seconds_since(start), 2.5);  // killing the shell alone leaves the pipes held
}

TEST(RunnerSelfTest, DoesNotWaitForChildrenLeftRunning) {
    const auto start = std::chrono::steady_clock::now();
    const auto r = sh("sleep 30 & echo started", {}, 30);
    EXPECT_FALSE(r.timed_out) << show(r);
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.out, "started\n");
    EXPECT_LT(seconds_since(start), 10.0);
}

TEST(RunnerSelfTest, LargeStreamsInBothDirectionsDoNotDeadlock) {
    // The script fills both output pipes before it reads any input.
    constexpr std::size_t kSize = 1 << 20;
    Project p;
    p.input.assign(kSize, 'i');
    const auto r =
        sh("head -c 1048576 /dev/zero | tr '\\0' o; head -c 1048576 /dev/zero | tr '\\0' e >&2; "
           "cat > got.txt",
           p, 60);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(kSize, 'o'));
    EXPECT_EQ(r.err, std::string(kSize, 'e'));
    EXPECT_EQ(r.file("got.txt"), p.input);
}

TEST(RunnerSelfTest, ProgramThatLeavesItsInputUnreadEndsNormally) {
    // Writing to a pipe nobody reads must not raise SIGPIPE in the test program.
    Project p;
    p.input.assign(4 << 20, 'x');
    const auto r = sh("echo quick", p, 30);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "quick\n");
}

TEST(RunnerSelfTest, ReportsAProgramThatCannotStart) {
    const auto r = run_program("/nonexistent/kavren", {}, 10);
    EXPECT_EQ(r.status, 127);
    EXPECT_TRUE(contains_text(r.err, "cannot start")) << r.err;
    EXPECT_FALSE(r.timed_out);
}

TEST(RunnerSelfTest, HistoryDecodesFixedLengthRecords) {
    std::string bytes;
    // A line padded with blanks; what follows the 80 characters is not part of it.
    bytes += std::string("HELLO WORLD") + std::string(69, ' ') + std::string(176, 'X');
    // A full 80-character line, then unwritten bytes.
    const std::string full = std::string(40, 'A') + " " + std::string(39, 'B');
    bytes += full + std::string(176, '\0');
    // A record never written.
    bytes += std::string(256, '\0');
    // A short last record.
    bytes += "TAIL  ";
    Project p;
    p.files["for50"] = bytes;
    const auto r = sh("true", p);
    const std::vector<std::string> want = {"HELLO WORLD", full, "", "TAIL"};
    EXPECT_EQ(r.history(), want);

    const auto none = sh("true");
    EXPECT_TRUE(none.history().empty());
}

TEST(RunnerSelfTest, LineHelpers) {
    const auto r = sh("printf 'first  \\nsecond\\n\\n   \\n' > decks/t.out; printf 'a\\nb'");
    EXPECT_EQ(r.lines("decks/t.out"), (std::vector<std::string>{"first  ", "second", "", "   "}));
    EXPECT_EQ(r.out_lines(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(r.last_line("decks/t.out"), "second");
    EXPECT_EQ(r.last_line("decks/missing.out"), "");
    EXPECT_TRUE(r.lines("decks/missing.out").empty());
    EXPECT_EQ(r.file("decks/missing.out"), "");
    EXPECT_FALSE(r.exists("decks/missing.out"));
    EXPECT_TRUE(r.exists("decks/t.out"));

    struct Case {
        const char* line;
        bool found;
    };
    const Case cases[] = {{"first", true},  {"first     ", true}, {" first", false},
                          {"secon", false}, {"", true},           {"second x", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(contains_line(r.lines("decks/t.out"), c.line), c.found) << "'" << c.line << "'";
    }
    EXPECT_TRUE(contains_text(r.file("decks/t.out"), "st  \nsec"));
    EXPECT_FALSE(contains_text(r.file("decks/t.out"), "third"));
}

TEST(RunnerSelfTest, ShowGivesStatusStreamsAndErrorFiles) {
    const auto r =
        sh("echo listing line; echo stderr line >&2; echo 'BAD COMMAND' > decks/x.err; "
           "exit 2");
    const std::string text = show(r);
    for (const char* part :
         {"status 2", "listing line", "stderr line", "decks/x.err", "BAD COMMAND"}) {
        EXPECT_TRUE(contains_text(text, part)) << part << text;
    }
    EXPECT_TRUE(contains_text(text, r.dir.string()));
}

TEST(RunnerSelfTest, ScratchBaseComesFromTheEnvironment) {
    const char* old = std::getenv("KAVREN_E2E_TMP");
    const std::string saved = old ? old : "";
    const std::filesystem::path base =
        std::filesystem::temp_directory_path() / "kavren-e2e" / "selftest-base";
    setenv("KAVREN_E2E_TMP", base.c_str(), 1);
    const auto r = sh("true");
    if (old) {
        setenv("KAVREN_E2E_TMP", saved.c_str(), 1);
    } else {
        unsetenv("KAVREN_E2E_TMP");
    }
    EXPECT_EQ(r.dir.parent_path(), base);
    EXPECT_EQ(r.status, 0);
}

TEST(RunnerSelfTest, LoadProjectReadsADirectoryBack) {
    Project p;
    p.config = "MODE=COMMAND\nEND\n";
    p.files["decks/a.com"] = "A\n";
    p.files["DECKS/B.INC"] = std::string("B\0B", 3);
    p.omit_dirs = {"print"};
    const auto r = sh("true", p);
    const Project back = load_project(r.dir);
    EXPECT_TRUE(back.write_config);
    EXPECT_EQ(back.config, p.config);
    EXPECT_EQ(back.files, p.files);
    EXPECT_EQ(back.omit_dirs, p.omit_dirs);
}

TEST(RunnerSelfTest, SessionWritesLinesWaitsForTheirEchoAndFinishes) {
    Project p;
    p.input = "first\n";
    Session s("/bin/sh", p, 30,
              {"-c", "while read l; do echo \"got $l\"; echo \"$l\" >> seen.txt; done; exit 4"});
    ASSERT_TRUE(s.wait_for_output("got first")) << show(s.run());
    s.write("second");
    ASSERT_TRUE(s.wait_for_output("got second")) << show(s.run());
    ASSERT_TRUE(s.wait_for_file("seen.txt", "second\n")) << show(s.run());
    EXPECT_FALSE(s.wait_for_output("got third", 1));
    const auto r = s.finish();
    EXPECT_EQ(r.status, 4) << show(r);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.out, "got first\ngot second\n");
    EXPECT_EQ(r.file("seen.txt"), "first\nsecond\n");
}

TEST(RunnerSelfTest, SessionPastItsLimitIsKilledWithItsGroup) {
    Session s("/bin/sh", {}, 1, {"-c", "echo started; sleep 30 & sleep 30"});
    EXPECT_TRUE(s.wait_for_output("started")) << show(s.run());
    // The wait ends with the program, killed at its limit, not after its own 30 s.
    EXPECT_FALSE(s.wait_for_output("never", 30));
    const auto r = s.finish();
    EXPECT_TRUE(r.timed_out) << show(r);
    EXPECT_EQ(r.status, 128 + SIGKILL) << show(r);
}

}  // namespace
}  // namespace kavren::e2e
