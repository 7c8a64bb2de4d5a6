// A private X server for a test, the X tools run on it, and the XWD reader.
#include "xserver.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

extern char** environ;

namespace kavren::testing {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kStartLimit = 10;  // seconds for the server to name its display

void close_fd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Waits for pid to end, at most limit; true when it has ended (and is reaped).
bool reap_within(pid_t pid, std::chrono::milliseconds limit, int& wstatus) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const pid_t got = waitpid(pid, &wstatus, WNOHANG);
        if (got == pid || (got < 0 && errno != EINTR)) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string status_text(int wstatus) {
    if (WIFEXITED(wstatus)) return "exited with status " + std::to_string(WEXITSTATUS(wstatus));
    if (WIFSIGNALED(wstatus)) return "ended by signal " + std::to_string(WTERMSIG(wstatus));
    return "ended";
}

// The environment of this process with DISPLAY set to display.
std::vector<std::string> environment_with(const std::string& display) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "DISPLAY=", 8) != 0) env.emplace_back(*e);
    env.push_back("DISPLAY=" + display);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& v) {
    std::vector<char*> p;
    for (std::string& s : v) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

}  // namespace

//// the server ////

bool x_required() {
    const char* v = std::getenv("KAVREN_REQUIRE_X");
    return v != nullptr && std::strcmp(v, "1") == 0;
}

bool XServer::start(std::string& reason, const std::string& screen) {
    stop();
    const char* env = std::getenv("KAVREN_XVFB");
    const std::string program = env != nullptr && *env != '\0' ? env : "Xvfb";
    int fds[2];
    if (pipe(fds) != 0) {
        reason = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    std::vector<std::string> args = {program,     "-displayfd", std::to_string(fds[1]),
                                     "-screen",   "0",          screen,
                                     "-nolisten", "tcp",        "-noreset"};
    std::vector<char*> argv = pointers(args);
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        reason = std::string("cannot fork: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    ::close(fds[1]);
    int rfd = fds[0];
    std::string text;
    const auto deadline = Clock::now() + std::chrono::seconds(kStartLimit);
    bool eof = false;
    while (text.find('\n') == std::string::npos && !eof) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        pollfd p{rfd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char buf[64];
        const ssize_t n = ::read(rfd, buf, sizeof buf);
        if (n > 0)
            text.append(buf, std::size_t(n));
        else if (n == 0 || errno != EINTR)
            eof = true;
    }
    close_fd(rfd);
    if (text.find('\n') != std::string::npos) {
        pid_ = pid;
        display_ = ":" + text.substr(0, text.find('\n'));
        return true;
    }
    int wstatus = 0;
    if (!eof) {
        kill(pid, SIGKILL);
        reap_within(pid, std::chrono::seconds(5), wstatus);
        reason = program + " named no display within " + std::to_string(kStartLimit) + " s";
        return false;
    }
    reap_within(pid, std::chrono::seconds(5), wstatus);
    if (WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 127)
        reason = "cannot run " + program;
    else
        reason = program + " " + status_text(wstatus) + " before it named its display";
    return false;
}

void XServer::stop() {
    if (pid_ < 0) return;
    int wstatus = 0;
    kill(pid_, SIGTERM);
    if (!reap_within(pid_, std::chrono::seconds(5), wstatus)) {
        kill(pid_, SIGKILL);
        reap_within(pid_, std::chrono::seconds(5), wstatus);
    }
    pid_ = -1;
    display_.clear();
}

//// tools ////

ToolRun run_tool(const std::vector<std::string>& argv_in, const std::string& display,
                 int timeout_seconds) {
    ToolRun run;
    std::vector<std::string> args = argv_in;
    std::vector<std::string> env = environment_with(display);
    std::vector<char*> argv = pointers(args), envp = pointers(env);
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0) return run;
    if (pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return run;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) dup2(null, 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (pid < 0) {
        ::close(out[0]);
        ::close(err[0]);
        return run;
    }
    int fds[2] = {out[0], err[0]};
    const auto deadline = Clock::now() + std::chrono::seconds(timeout_seconds);
    while (fds[0] >= 0 || fds[1] >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            kill(-pid, SIGKILL);
            run.timed_out = true;
            break;
        }
        pollfd p[2];
        nfds_t n = 0;
        int which[2];
        for (int k = 0; k < 2; ++k)
            if (fds[k] >= 0) {
                p[n] = {fds[k], POLLIN, 0};
                which[n++] = k;
            }
        if (poll(p, n, static_cast<int>(std::min<long long>(left.count(), 100))) <= 0) continue;
        for (nfds_t i = 0; i < n; ++i) {
            if (p[i].revents == 0) continue;
            char buf[65536];
            const ssize_t got = ::read(fds[which[i]], buf, sizeof buf);
            if (got > 0)
                (which[i] == 0 ? run.out : run.err).append(buf, std::size_t(got));
            else if (got == 0 || errno != EINTR)
                close_fd(fds[which[i]]);
        }
    }
    close_fd(fds[0]);
    close_fd(fds[1]);
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    return run;
}

std::vector<std::string> find_windows(const std::string& display, const std::string& name) {
    const ToolRun r = run_tool({"xdotool", "search", "--name", name}, display);
    std::vector<std::string> ids;
    std::string line;
    for (char c : r.out) {
        if (c == '\n') {
            if (!line.empty()) ids.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) ids.push_back(line);
    return ids;
}

std::string wait_for_window(const std::string& display, const std::string& name,
                            int timeout_seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(timeout_seconds);
    for (;;) {
        const std::vector<std::string> ids = find_windows(display, name);
        if (ids.size() == 1) return ids[0];
        if (Clock::now() >= deadline) return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

//// screenshots ////

Colour XwdImage::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {};
    return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
}

Colour XwdImage::most_frequent(int x0, int y0, int x1, int y1) const {
    std::map<std::uint32_t, int> count;
    Colour best;
    int most = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const Colour c = at(x, y);
            if (c.r < 0) continue;
            const std::uint32_t key =
                std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | std::uint32_t(c.b);
            if (++count[key] > most) {
                most = count[key];
                best = c;
            }
        }
    return best;
}

bool XwdImage::near(int x, int y, int d, const Colour& c) const {
    for (int j = y - d; j <= y + d; ++j)
        for (int i = x - d; i <= x + d; ++i)
            if (at(i, j) == c) return true;
    return false;
}

namespace {
std::uint32_t big_endian(const std::string& b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint32_t(std::uint8_t(b[at + 3]));
}

// The value of a colour mask's bits, scaled to 0..255.
int channel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    const std::uint32_t top = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255u / top);
}
}  // namespace

bool read_xwd(const std::string& bytes, XwdImage& image, std::string& problem) {
    constexpr std::size_t kFields = 25, kColourEntry = 12;
    if (bytes.size() < kFields * 4) {
        problem = "XWD file of " + std::to_string(bytes.size()) + " bytes: no header";
        return false;
    }
    std::uint32_t f[kFields];
    for (std::size_t i = 0; i < kFields; ++i) f[i] = big_endian(bytes, 4 * i);
    const std::uint32_t header = f[0], version = f[1], format = f[2], width = f[4], height = f[5],
                        byte_order = f[7], bits = f[11], line = f[12], red = f[14], green = f[15],
                        blue = f[16], ncolors = f[19];
    if (version != 7 || format != 2 || bits != 32 || width > 10000 || height > 10000) {
        problem = "not a 32-bit ZPixmap XWD file (version " + std::to_string(version) +
                  ", format " + std::to_string(format) + ", " + std::to_string(bits) + " bits)";
        return false;
    }
    const std::size_t data = std::size_t(header) + std::size_t(ncolors) * kColourEntry;
    if (line < width * 4 || data + std::size_t(line) * height > bytes.size()) {
        problem = "XWD file shorter than its image";
        return false;
    }
    image.width = int(width);
    image.height = int(height);
    image.pixels.assign(std::size_t(width) * height, {});
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::size_t at = data + std::size_t(y) * line + std::size_t(x) * 4;
            std::uint32_t p = 0;
            for (int k = 0; k < 4; ++k) {
                const std::uint32_t byte = std::uint8_t(bytes[at + std::size_t(k)]);
                p |= byte_order == 0 ? byte << (8 * k) : byte << (8 * (3 - k));
            }
            image.pixels[std::size_t(y) * width + x] = {channel(p, red), channel(p, green),
                                                        channel(p, blue)};
        }
    return true;
}

bool screenshot(const std::string& display, const std::string& window_id, XwdImage& image,
                std::string& problem) {
    const ToolRun r = run_tool({"xwd", "-silent", "-nobdrs", "-id", window_id}, display);
    if (r.status != 0) {
        problem = "xwd failed (status " + std::to_string(r.status) + "): " + r.err;
        return false;
    }
    return read_xwd(r.out, image, problem);
}

}  // namespace kavren::testing
