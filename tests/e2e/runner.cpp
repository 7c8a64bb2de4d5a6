// End-to-end runner: scratch directories, the child process and its pipes, and reading back what
// a run left behind.
#include "runner.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

namespace kavren::e2e {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kStandardDirs[] = {"decks", "data", "print", "DECKS"};
constexpr std::size_t kHistoryRecord = 256;           // bytes per record of the history file
constexpr std::size_t kHistoryLine = 80;              // characters of the line held in a record
constexpr std::size_t kShowTail = 16384;              // bytes of each stream kept by show()
constexpr auto kExitGrace = std::chrono::seconds(2);  // pipes held after the program exited
constexpr auto kKillGrace = std::chrono::seconds(5);  // draining the pipes after the kill

//// text helpers ////

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string read_file(const fs::path& path) {
    // Only regular files: a link to a device such as /dev/full reads for ever.
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    // In one read: save files are megabytes, and a character at a time into a
    // growing string took a good part of some tests under the sanitizers.
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

// The tail of a long text, cut at a line start, with a note of what was left out.
std::string tail_of(const std::string& text) {
    if (text.size() <= kShowTail) return text;
    std::size_t from = text.size() - kShowTail;
    std::size_t nl = text.find('\n', from);
    if (nl != std::string::npos && nl + 1 < text.size()) from = nl + 1;
    return "[... first " + std::to_string(from) + " bytes left out ...]\n" + text.substr(from);
}

//// scratch directories ////

// Removes the scratch directories of a test that did not fail, and names those it keeps. Runs
// made outside a test (suite or environment set-up) are settled at the end of their suite or of
// the program.
class ScratchCleaner : public ::testing::EmptyTestEventListener {
  public:
    void add(const fs::path& dir) {
        const bool in_test = ::testing::UnitTest::GetInstance()->current_test_info() != nullptr;
        (in_test ? test_dirs_ : other_dirs_).push_back(dir);
    }

    void OnTestEnd(const ::testing::TestInfo& info) override {
        settle(test_dirs_, info.result()->Failed());
    }
    void OnTestSuiteEnd(const ::testing::TestSuite& suite) override {
        settle(other_dirs_, suite.Failed());
    }
    void OnTestProgramEnd(const ::testing::UnitTest& unit) override {
        settle(other_dirs_, unit.Failed());
    }

  private:
    static void settle(std::vector<fs::path>& dirs, bool failed) {
        const bool keep = failed || std::getenv("KAVREN_E2E_KEEP") != nullptr;
        for (const fs::path& d : dirs) {
            if (keep) {
                std::printf("[ SCRATCH  ] kept %s\n", d.c_str());
            } else {
                std::error_code ec;
                fs::remove_all(d, ec);
            }
        }
        std::fflush(stdout);
        dirs.clear();
    }

    std::vector<fs::path> test_dirs_;
    std::vector<fs::path> other_dirs_;
};

void track_scratch_dir(const fs::path& dir) {
    static ScratchCleaner* cleaner = nullptr;
    if (cleaner == nullptr) {
        cleaner = new ScratchCleaner;  // owned by GoogleTest once appended
        ::testing::UnitTest::GetInstance()->listeners().Append(cleaner);
    }
    cleaner->add(dir);
}

fs::path scratch_base() {
    if (const char* env = std::getenv("KAVREN_E2E_TMP"); env != nullptr && *env != '\0') {
        return fs::absolute(env);
    }
    return fs::temp_directory_path() / "kavren-e2e";
}

// A name for the scratch directory that says which test made it.
std::string scratch_stem() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "run";
    for (char& c : name) {
        const bool keep =
            std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.';
        if (!keep) c = '_';
    }
    if (name.size() > 120) name.resize(120);
    return name;
}

// Makes a fresh directory under the base; empty path (and a reason) on failure.
fs::path make_scratch_dir(std::string& problem) {
    const fs::path base = scratch_base();
    std::error_code ec;
    fs::create_directories(base, ec);
    std::string templ = (base / (scratch_stem() + "-XXXXXX")).string();
    if (mkdtemp(templ.data()) == nullptr) {
        problem =
            "cannot make a scratch directory under " + base.string() + ": " + std::strerror(errno);
        return {};
    }
    return fs::path(templ);
}

// A project file path must stay inside the working directory.
bool safe_relative(const std::string& rel) {
    const fs::path p(rel);
    if (rel.empty() || p.is_absolute()) return false;
    for (const fs::path& part : p) {
        if (part == "..") return false;
    }
    return true;
}

bool write_file(const fs::path& path, const std::string& contents, std::string& problem) {
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) {
        problem = "cannot write " + path.string();
        return false;
    }
    return true;
}

bool write_project(const fs::path& dir, const Project& project, std::string& problem) {
    for (const char* d : kStandardDirs) {
        const auto& omit = project.omit_dirs;
        if (std::find(omit.begin(), omit.end(), d) != omit.end()) continue;
        std::error_code ec;
        if (!fs::create_directory(dir / d, ec) && ec) {
            problem = "cannot make " + (dir / d).string() + ": " + ec.message();
            return false;
        }
    }
    if (project.write_config && !write_file(dir / "config.sys", project.config, problem)) {
        return false;
    }
    for (const auto& [rel, contents] : project.files) {
        if (!safe_relative(rel)) {
            problem = "project file path must be relative and stay inside: '" + rel + "'";
            return false;
        }
        if (!write_file(dir / rel, contents, problem)) return false;
    }
    for (const std::string& rel : project.full_files) {
        if (!safe_relative(rel)) {
            problem = "full file path must be relative and stay inside: '" + rel + "'";
            return false;
        }
        std::error_code ec;
        const fs::path link = dir / rel;
        if (link.has_parent_path()) fs::create_directories(link.parent_path(), ec);
        fs::remove(link, ec);
        fs::create_symlink("/dev/full", link, ec);
        if (ec) {
            problem = "cannot link " + link.string() + " to /dev/full: " + ec.message();
            return false;
        }
    }
    return true;
}

//// the child process ////

void close_fd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

struct Pipe {
    int r = -1;
    int w = -1;
    bool open() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return false;
        r = fds[0];
        w = fds[1];
        return true;
    }
    void close() {
        close_fd(r);
        close_fd(w);
    }
};

// Writes to the stdin pipe without letting a reader that went away raise SIGPIPE in this
// process: the signal is blocked for the write and a pending one is taken back.
ssize_t write_no_sigpipe(int fd, const char* data, std::size_t size) {
    sigset_t pipe_set, old_set;
    sigemptyset(&pipe_set);
    sigaddset(&pipe_set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_set, &old_set);
    const ssize_t n = ::write(fd, data, size);
    const int saved = errno;
    if (n < 0 && saved == EPIPE) {
        const timespec zero{};
        sigtimedwait(&pipe_set, nullptr, &zero);
    }
    pthread_sigmask(SIG_SETMASK, &old_set, nullptr);
    errno = saved;
    return n;
}

// True once the child has ended; the zombie is left for waitpid so that its process group id
// cannot be reused meanwhile.
bool child_ended(pid_t pid) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid;
}

int decode_status(int wstatus) {
    if (WIFEXITED(wstatus)) return WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus)) return 128 + WTERMSIG(wstatus);
    return -1;
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void exec_child(const char* program, char* const argv[], char* const envp[],
                             const char* dir, const Pipe& in, const Pipe& out, const Pipe& err,
                             const Pipe& report, long long file_size_limit) {
    setpgid(0, 0);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &dfl, nullptr);
    if (file_size_limit >= 0) {
        // A write past the limit then fails with EFBIG instead of killing the program.
        struct sigaction ign {};
        ign.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ign, nullptr);
        const rlimit lim{static_cast<rlim_t>(file_size_limit), static_cast<rlim_t>(file_size_limit)};
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (chdir(dir) == 0 && dup2(in.r, 0) >= 0 && dup2(out.w, 1) >= 0 && dup2(err.w, 2) >= 0) {
        execve(program, argv, envp);
    }
    const int code = errno;
    ssize_t ignored = ::write(report.w, &code, sizeof code);
    (void)ignored;
    _exit(127);
}

// The environment of this process with the project's changes ("NAME=value" entries).
std::vector<std::string> child_environment(
    const std::map<std::string, std::optional<std::string>>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        if (changes.count(entry.substr(0, entry.find('='))) == 0) env.push_back(entry);
    }
    for (const auto& [name, value] : changes)
        if (value) env.push_back(name + "=" + *value);
    return env;
}

}  // namespace

// The program running in run.dir: its pipes, the input still to be fed, and its time limit,
// after which its process group is killed.
class Child {
  public:
    ~Child() {
        if (pid_ > 0) {
            kill(-pid_, SIGKILL);
            close_fd(in_.w), close_fd(out_.r), close_fd(err_.r);
            int wstatus = 0;
            while (waitpid(pid_, &wstatus, 0) < 0 && errno == EINTR) {
            }
        }
    }

    // Starts the program; false (with the reason in run.err and run.status set) when it cannot.
    bool start(const fs::path& program, const std::vector<std::string>& args,
               const std::map<std::string, std::optional<std::string>>& environment,
               int timeout_seconds, long long file_size_limit, Run& run) {
        const std::string program_path = fs::absolute(program).string();
        const std::string dir = run.dir.string();
        std::vector<std::string> words{program_path};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        std::vector<std::string> env_entries = child_environment(environment);
        std::vector<char*> envp;
        for (std::string& e : env_entries) envp.push_back(e.data());
        envp.push_back(nullptr);

        Pipe report;
        if (!in_.open() || !out_.open() || !err_.open() || !report.open()) {
            run.err = std::string("cannot make pipes: ") + std::strerror(errno);
            in_.close(), out_.close(), err_.close(), report.close();
            return false;
        }
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid < 0) {
            run.err = std::string("cannot fork: ") + std::strerror(errno);
            in_.close(), out_.close(), err_.close(), report.close();
            return false;
        }
        if (pid == 0)
            exec_child(program_path.c_str(), argv.data(), envp.data(), dir.c_str(), in_, out_, err_,
                       report, file_size_limit);

        setpgid(pid, pid);  // also here, so that the group exists whichever side runs first
        close_fd(in_.r);
        close_fd(out_.w);
        close_fd(err_.w);
        close_fd(report.w);

        // The report pipe closes on exec, or brings the errno of a failed start.
        int code = 0;
        ssize_t got;
        do got = ::read(report.r, &code, sizeof code);
        while (got < 0 && errno == EINTR);
        close_fd(report.r);
        if (got == static_cast<ssize_t>(sizeof code)) {
            run.err = "cannot start " + program_path + ": " + std::strerror(code);
            close_fd(in_.w), close_fd(out_.r), close_fd(err_.r);
            int wstatus = 0;
            waitpid(pid, &wstatus, 0);
            run.status = decode_status(wstatus);
            return false;
        }
        pid_ = pid;
        fcntl(in_.w, F_SETFL, fcntl(in_.w, F_GETFL) | O_NONBLOCK);
        deadline_ = Clock::now() + std::chrono::seconds(std::max(timeout_seconds, 0));
        return true;
    }

    // Adds text to what is fed to standard input.
    void feed(const std::string& text) { input_ += text; }
    // Closes standard input once everything given is fed.
    void close_input_when_fed() {
        close_when_fed_ = true;
        if (sent_ == input_.size()) close_fd(in_.w);
    }

    // One slice of at most 50 ms: feeds input, reads both streams, sees the end of the program,
    // kills its group once the time is up. False once there is nothing more to wait for.
    bool step(Run& run) {
        if (!ended_ && child_ended(pid_)) {
            ended_ = true;
            close_fd(in_.w);  // nobody left to read it
            deadline_ = std::min(deadline_, Clock::now() + kExitGrace);
        }
        if (ended_ && out_.r < 0 && err_.r < 0) return false;
        const auto now = Clock::now();
        if (now >= deadline_) {
            if (killed_) return false;  // something outside the group holds the pipes
            kill(-pid_, SIGKILL);
            killed_ = true;
            run.timed_out = !ended_;
            deadline_ = now + kKillGrace;
            return true;
        }

        pollfd fds[3];
        nfds_t n = 0;
        int* owners[3];
        const bool to_feed = sent_ < input_.size();
        for (int* fd : {&in_.w, &out_.r, &err_.r}) {
            if (*fd < 0 || (fd == &in_.w && !to_feed)) continue;
            fds[n] = {*fd, static_cast<short>(fd == &in_.w ? POLLOUT : POLLIN), 0};
            owners[n++] = fd;
        }
        // Short slices so that the end of the program is seen even while pipes stay open.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - now);
        const int slice = static_cast<int>(std::min<long long>(left.count() + 1, 50));
        if (poll(fds, n, slice) < 0) return true;  // EINTR

        char buffer[65536];
        for (nfds_t i = 0; i < n; ++i) {
            if (fds[i].revents == 0) continue;
            int& fd = *owners[i];
            if (&fd == &in_.w) {
                const std::size_t chunk = std::min(input_.size() - sent_, sizeof buffer);
                const ssize_t w = write_no_sigpipe(fd, input_.data() + sent_, chunk);
                if (w > 0) sent_ += static_cast<std::size_t>(w);
                if (w < 0 && errno != EAGAIN && errno != EINTR) {
                    close_fd(fd);  // the program closed its standard input
                } else if (sent_ == input_.size() && close_when_fed_) {
                    close_fd(fd);
                }
            } else {
                const ssize_t r = ::read(fd, buffer, sizeof buffer);
                if (r > 0) {
                    (&fd == &out_.r ? run.out : run.err)
                        .append(buffer, static_cast<std::size_t>(r));
                } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
                    close_fd(fd);
                }
            }
        }
        return true;
    }

    // Closes the pipes, kills what is left of the group and takes the exit status.
    void reap(Run& run) {
        close_fd(in_.w);
        close_fd(out_.r);
        close_fd(err_.r);
        kill(-pid_, SIGKILL);  // anything the program left running in its group
        int wstatus = 0;
        while (waitpid(pid_, &wstatus, 0) < 0 && errno == EINTR) {
        }
        run.status = decode_status(wstatus);
        pid_ = -1;
    }

    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    Pipe in_, out_, err_;
    std::string input_;
    std::size_t sent_ = 0;
    bool close_when_fed_ = false;
    bool ended_ = false;
    bool killed_ = false;
    Clock::time_point deadline_;
};

namespace {

// Starts the program in run.dir, feeds the input, collects both output streams until they close
// and the program has ended, killing its process group once the time is up.
void execute(const fs::path& program, const std::vector<std::string>& args,
             const std::map<std::string, std::optional<std::string>>& environment,
             const std::string& input, int timeout_seconds, long long file_size_limit, Run& run) {
    Child child;
    if (!child.start(program, args, environment, timeout_seconds, file_size_limit, run)) return;
    child.feed(input);
    child.close_input_when_fed();
    while (child.step(run)) {
    }
    child.reap(run);
}

//// fuzz seeds ////

// Writes bytes into dir under a name made from their hash, so that a seed met
// in many runs is kept once.
void keep_seed(const fs::path& dir, const std::string& bytes) {
    if (bytes.empty()) return;
    std::error_code ec;
    fs::create_directories(dir, ec);
    char name[32];
    std::snprintf(name, sizeof name, "e2e-%016zx", std::hash<std::string>{}(bytes));
    const fs::path path = dir / name;
    if (fs::exists(path, ec)) return;
    std::ofstream(path, std::ios::binary) << bytes;
}

// The calculator lines of a deck: those between a "%" line and the next.
std::string calculator_lines(const std::string& text) {
    std::string lines;
    bool on = false;
    for (const std::string& line : split_lines(text)) {
        if (!line.empty() && line[0] == '%') {
            on = !on;
        } else if (on) {
            lines += line + "\n";
        }
    }
    return lines;
}

// With KAVREN_FUZZ_SEEDS=<dir> set, what a run used becomes seeds of the fuzz
// harnesses (scripts/fuzz): the decks, standard input, include and evaluator
// files for the reader; their calculator lines and the evaluator files for the
// evaluator; the files under data/ but the frontal solver's for both file
// readers.
void collect_seeds(const Project& project, const Run& run) {
    const char* env = std::getenv("KAVREN_FUZZ_SEEDS");
    if (env == nullptr || *env == '\0') return;
    const fs::path seeds(env);
    auto ends_with = [](const std::string& s, std::string_view tail) {
        return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    };
    keep_seed(seeds / "reader", project.input);
    keep_seed(seeds / "evaluator", calculator_lines(project.input));
    for (const auto& [rel, bytes] : project.files) {
        const bool deck = rel.rfind("decks/", 0) == 0 && ends_with(rel, ".com");
        const bool include = rel.rfind("DECKS/", 0) == 0 && ends_with(rel, ".INC");
        const bool eva = rel.rfind("decks/", 0) == 0 && ends_with(rel, ".eva");
        if (deck || include || eva) keep_seed(seeds / "reader", bytes);
        if (eva) keep_seed(seeds / "evaluator", bytes);
        if (deck || include) keep_seed(seeds / "evaluator", calculator_lines(bytes));
    }
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(run.dir / "data", ec);
         !ec && it != fs::end(it); it.increment(ec)) {
        if (!it->is_regular_file() || it->path().filename() == "front") continue;
        const std::string bytes = read_file(it->path());
        // Save files are megabytes: only small files seed the initial-mesh file.
        if (bytes.size() <= 65536) keep_seed(seeds / "mesh_file", bytes);
        // The save-file harness reads its first byte as the layout: 1 for text.
        const bool text = !bytes.empty() && bytes[0] == ' ';
        keep_seed(seeds / "save_file", std::string(1, text ? '\1' : '\0') + bytes);
    }
}

}  // namespace

//// running ////

Run run_program(const fs::path& program, const Project& project, int timeout_seconds,
                const std::vector<std::string>& args) {
    Run run;
    std::string problem;
    run.dir = make_scratch_dir(problem);
    if (!run.dir.empty()) {
        track_scratch_dir(run.dir);
        if (write_project(run.dir, project, problem)) {
            execute(program, args, project.environment, project.input, timeout_seconds,
                    project.file_size_limit, run);
            collect_seeds(project, run);
            return run;
        }
    }
    ADD_FAILURE() << "e2e runner: " << problem;
    run.err = problem;
    return run;
}

Run run_kavren(const Project& project, int timeout_seconds) {
    return run_program(KAVREN_BINARY, project, timeout_seconds);
}

//// sessions ////

Session::Session(const Project& project, int timeout_seconds)
    : Session(KAVREN_BINARY, project, timeout_seconds) {}

Session::Session(const fs::path& program, const Project& project, int timeout_seconds,
                 const std::vector<std::string>& args) {
    std::string problem;
    run_.dir = make_scratch_dir(problem);
    if (!run_.dir.empty()) {
        track_scratch_dir(run_.dir);
        if (write_project(run_.dir, project, problem)) {
            auto child = std::make_unique<Child>();
            if (child->start(program, args, project.environment, timeout_seconds,
                             project.file_size_limit, run_)) {
                child->feed(project.input);
                child_ = std::move(child);
            }
            return;
        }
    }
    ADD_FAILURE() << "e2e runner: " << problem;
    run_.err = problem;
}

Session::~Session() = default;

void Session::write(const std::string& line) {
    if (child_) child_->feed(line + "\n");
}

bool Session::wait_until(int timeout_seconds, const std::function<bool()>& done) {
    const auto deadline = Clock::now() + std::chrono::seconds(timeout_seconds);
    while (child_) {
        if (done()) return true;
        if (Clock::now() >= deadline || !child_->step(run_)) break;
    }
    return done();
}

bool Session::wait_for_output(std::string_view text, int timeout_seconds) {
    return wait_until(timeout_seconds, [&] { return contains_text(run_.out, text); });
}

bool Session::wait_for_file(const std::string& rel, std::string_view text, int timeout_seconds) {
    return wait_until(timeout_seconds, [&] { return contains_text(run_.file(rel), text); });
}

Run Session::finish() {
    if (child_) {
        child_->close_input_when_fed();
        while (child_->step(run_)) {
        }
        child_->reap(run_);
        child_.reset();
    }
    return run_;
}

int Session::pid() const {
    return child_ ? static_cast<int>(child_->pid()) : -1;
}

Project load_project(const fs::path& dir) {
    Project project;
    project.write_config = false;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (!it->is_regular_file()) continue;
        const std::string rel = fs::relative(it->path(), dir).generic_string();
        if (rel == "config.sys") {
            project.config = read_file(it->path());
            project.write_config = true;
        } else {
            project.files[rel] = read_file(it->path());
        }
    }
    if (ec) ADD_FAILURE() << "e2e runner: cannot read " << dir << ": " << ec.message();
    for (const char* d : kStandardDirs) {
        if (!fs::is_directory(dir / d)) project.omit_dirs.push_back(d);
    }
    return project;
}

fs::path source_path(const std::string& rel) {
    return fs::path(KAVREN_SOURCE_DIR) / rel;
}

//// reading back ////

std::string Run::file(const std::string& rel) const {
    return read_file(dir / rel);
}

bool Run::exists(const std::string& rel) const {
    std::error_code ec;
    return fs::exists(dir / rel, ec);
}

std::vector<std::string> Run::lines(const std::string& rel) const {
    return split_lines(file(rel));
}

std::vector<std::string> Run::out_lines() const {
    return split_lines(out);
}

std::vector<std::string> errors(const Run& r) {
    std::vector<std::string> v;
    for (const std::string& l : r.lines("decks/job.err")) {
        if (l.find_first_not_of(' ') != std::string::npos) v.push_back(l);
    }
    return v;
}

std::vector<std::string> Run::history() const {
    const std::string bytes = file("for50");
    std::vector<std::string> records;
    for (std::size_t at = 0; at < bytes.size(); at += kHistoryRecord) {
        std::string line = bytes.substr(at, std::min(kHistoryLine, bytes.size() - at));
        while (!line.empty() && (line.back() == ' ' || line.back() == '\0')) line.pop_back();
        records.push_back(std::move(line));
    }
    return records;
}

std::string Run::last_line(const std::string& rel) const {
    const std::vector<std::string> all = lines(rel);
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const std::string_view trimmed = trim_blanks(*it);
        if (!trimmed.empty()) return std::string(trimmed);
    }
    return {};
}

//// helpers for tests ////

std::vector<std::string> split_lines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        if (nl == std::string_view::npos) {
            lines.emplace_back(text);
            break;
        }
        lines.emplace_back(text.substr(0, nl));
        text.remove_prefix(nl + 1);
    }
    return lines;
}

bool contains_line(const std::vector<std::string>& lines, std::string_view exact_line) {
    const std::string_view want = trim_blanks(exact_line);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return trim_blanks(l) == want; });
}

bool contains_text(const std::string& text, std::string_view needle) {
    return text.find(needle) != std::string::npos;
}

std::string show(const Run& run) {
    std::ostringstream s;
    s << "\n--- run in " << run.dir.string() << "\n--- status " << run.status
      << (run.timed_out ? " (killed after the time limit)" : "") << "\n--- standard output ("
      << run.out.size() << " bytes)\n"
      << tail_of(run.out) << "\n--- standard error (" << run.err.size() << " bytes)\n"
      << tail_of(run.err) << "\n";
    std::vector<fs::path> error_files;
    std::error_code ec;
    for (auto it = fs::directory_iterator(run.dir / "decks", ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (it->path().extension() == ".err") error_files.push_back(it->path());
    }
    std::sort(error_files.begin(), error_files.end());
    for (const fs::path& p : error_files) {
        s << "--- decks/" << p.filename().string() << "\n" << tail_of(read_file(p)) << "\n";
    }
    return s.str();
}

}  // namespace kavren::e2e
