#include "support/units.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace kavren::units {

namespace {

struct Unit {
    std::FILE* f = nullptr;
    std::string path;
    int reclen = 0;             // 0 for a text file
    bool cut_on_write = false;  // the next write cuts what follows it
    bool last_was_write = false;
    bool watched = false;  // a failure to write it is reported (report_failures)
    bool failed = false;   // a write, flush or close of it has failed
};

std::map<int, Unit>& table() {
    static std::map<int, Unit> t;
    return t;
}

bool g_stdin_eof = false;

// Files watched for failures whose write, flush or close failed, in the order found.
std::vector<std::string>& lost() {
    static std::vector<std::string> l;
    return l;
}

// Takes note of the outcome of a write, flush or close of u: the first
// failure of a watched file is reported on standard error at once, naming the
// file, and the file joins the list of files not written. Returns ok.
bool note(Unit& u, bool ok) {
    if (ok || !u.watched || u.failed) return ok;
    const int why = errno;
    u.failed = true;
    lost().push_back(u.path);
    std::fflush(stdout);
    std::fprintf(stderr, " *** UNABLE TO WRITE FILE %s: %s\n", u.path.c_str(),
                 why != 0 ? std::strerror(why) : "write error");
    std::fflush(stderr);
    return ok;
}

// Flushes and closes u's stream, noting a failure of either.
void close_stream(Unit& u) {
    if (!u.f) return;
    errno = 0;
    bool ok = std::fflush(u.f) == 0 && !std::ferror(u.f);
    ok = std::fclose(u.f) == 0 && ok;
    u.f = nullptr;
    note(u, ok);
}

Unit* find(int lun) {
    auto it = table().find(lun);
    return it == table().end() ? nullptr : &it->second;
}

// Reads one line of any length from f; strips the newline and a carriage return.
Status get_line(std::FILE* f, std::string& line) {
    line.clear();
    int ch;
    bool any = false;
    while ((ch = std::fgetc(f)) != EOF) {
        any = true;
        if (ch == '\n') break;
        line.push_back(static_cast<char>(ch));
    }
    if (!any) return std::ferror(f) ? Status::error : Status::eof;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return Status::ok;
}

// A stream for reading and writing, made when missing; an existing file is
// opened as it stands (never emptied, whatever the permissions say).
std::FILE* open_update(const std::string& path, const char* mode) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0666);
    if (fd < 0) return nullptr;
    std::FILE* f = fdopen(fd, mode);
    if (!f) ::close(fd);
    return f;
}

// A stream for reading only; an empty file is made first when the file is
// missing, and only then.
std::FILE* open_read_create(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (f || errno != ENOENT) return f;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) ::close(fd);
    return std::fopen(path.c_str(), "r");
}

}  // namespace

bool open_text(int lun, const std::string& path, Open how) {
    close(lun);
    std::FILE* f = nullptr;
    switch (how) {
        case Open::existing:
            f = std::fopen(path.c_str(), "r");
            break;
        case Open::read_create:
            f = open_read_create(path);
            break;
        case Open::create:
            f = open_update(path, "r+");
            break;
    }
    if (!f) return false;
    table()[lun] = Unit{f, path, 0, true, false};
    return true;
}

bool open_direct(int lun, const std::string& path, int reclen, Access how) {
    close(lun);
    std::FILE* f = how == Access::read ? std::fopen(path.c_str(), "rb") : open_update(path, "r+b");
    if (!f) return false;
    table()[lun] = Unit{f, path, reclen, false, false};
    return true;
}

void close(int lun) {
    Unit* u = find(lun);
    if (!u) return;
    close_stream(*u);
    table().erase(lun);
}

void report_failures(int lun) {
    if (Unit* u = find(lun)) u->watched = true;
}

std::vector<std::string> files_not_written() {
    return lost();
}

void forget_failures() {
    lost().clear();
}

bool is_open(int lun) {
    return lun == STDIN_UNIT || lun == STDOUT_UNIT || find(lun) != nullptr;
}

std::string path_of(int lun) {
    Unit* u = find(lun);
    return u ? u->path : std::string();
}

Status read_line(int lun, std::string& line) {
    if (lun == STDIN_UNIT && !find(lun)) {
        // Everything written so far (listing, command log, history, error
        // file) is out before the program waits on the keyboard.
        flush_all();
        Status s = get_line(stdin, line);
        if (s == Status::eof) g_stdin_eof = true;
        return s;
    }
    Unit* u = find(lun);
    if (!u || u->reclen != 0) return Status::error;
    if (u->last_was_write) {
        std::fseek(u->f, 0, SEEK_CUR);
        u->last_was_write = false;
    }
    return get_line(u->f, line);
}

bool write_line(int lun, std::string_view line) {
    // Text lines carry no trailing blanks: a fixed-width field that ends a
    // line is written up to its last non-blank character.
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    if (lun == STDOUT_UNIT && !find(lun)) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        return !std::ferror(stdout);
    }
    Unit* u = find(lun);
    if (!u || u->reclen != 0) return false;
    if (!u->last_was_write) std::fseek(u->f, 0, SEEK_CUR);
    errno = 0;
    if (u->cut_on_write) {
        if (std::fflush(u->f) != 0) return note(*u, false);
        // Only a regular file has a length to cut; a device or a pipe is
        // written as it stands.
        struct stat st {};
        if (fstat(fileno(u->f), &st) == 0 && S_ISREG(st.st_mode) &&
            ftruncate(fileno(u->f), std::ftell(u->f)) != 0)
            return note(*u, false);
        u->cut_on_write = false;
    }
    u->last_was_write = true;
    std::fwrite(line.data(), 1, line.size(), u->f);
    std::fputc('\n', u->f);
    return note(*u, !std::ferror(u->f));
}

void rewind(int lun) {
    Unit* u = find(lun);
    if (!u) return;
    errno = 0;
    note(*u, std::fflush(u->f) == 0);
    std::rewind(u->f);
    u->cut_on_write = u->reclen == 0;
    u->last_was_write = false;
}

bool write_record(int lun, int rec, const void* data, std::size_t len) {
    Unit* u = find(lun);
    if (!u || u->reclen == 0 || rec < 1) return false;
    std::vector<unsigned char> buf(static_cast<std::size_t>(u->reclen), ' ');
    std::memcpy(buf.data(), data, std::min(len, buf.size()));
    long pos = static_cast<long>(rec - 1) * u->reclen;
    errno = 0;
    if (std::fseek(u->f, pos, SEEK_SET) != 0) return note(*u, false);
    std::fwrite(buf.data(), 1, buf.size(), u->f);
    return note(*u, !std::ferror(u->f));
}

Status read_record(int lun, int rec, void* data, std::size_t len) {
    Unit* u = find(lun);
    if (!u || u->reclen == 0 || rec < 1) return Status::error;
    std::vector<unsigned char> buf(static_cast<std::size_t>(u->reclen), 0);
    long pos = static_cast<long>(rec - 1) * u->reclen;
    errno = 0;
    note(*u, std::fflush(u->f) == 0);
    if (std::fseek(u->f, pos, SEEK_SET) != 0) return Status::error;
    std::size_t got = std::fread(buf.data(), 1, buf.size(), u->f);
    if (got < buf.size()) return std::ferror(u->f) ? Status::error : Status::eof;
    std::memcpy(data, buf.data(), std::min(len, buf.size()));
    return Status::ok;
}

bool stdin_at_end() {
    return g_stdin_eof;
}

void open_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor is fd itself, the others below it being open.
        int got = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (got >= 0 && got != fd) {
            dup2(got, fd);
            ::close(got);
        }
    }
}

void flush_all() {
    std::fflush(stdout);
    std::fflush(stderr);
    for (auto& [lun, u] : table()) {
        if (!u.f) continue;
        errno = 0;
        note(u, std::fflush(u.f) == 0);
    }
}

void close_all() {
    flush_all();
    for (auto& [lun, u] : table()) close_stream(u);
    table().clear();
}

}  // namespace kavren::units
