#include "support/units.hpp"

#include <fcntl.h>
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
};

std::map<int, Unit>& table() {
    static std::map<int, Unit> t;
    return t;
}

bool g_stdin_eof = false;

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
    if (u->f) std::fclose(u->f);
    table().erase(lun);
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
    if (u->cut_on_write) {
        std::fflush(u->f);
        if (ftruncate(fileno(u->f), std::ftell(u->f)) != 0) return false;
        u->cut_on_write = false;
    }
    u->last_was_write = true;
    std::fwrite(line.data(), 1, line.size(), u->f);
    std::fputc('\n', u->f);
    return !std::ferror(u->f);
}

void rewind(int lun) {
    Unit* u = find(lun);
    if (!u) return;
    std::fflush(u->f);
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
    if (std::fseek(u->f, pos, SEEK_SET) != 0) return false;
    std::fwrite(buf.data(), 1, buf.size(), u->f);
    return !std::ferror(u->f);
}

Status read_record(int lun, int rec, void* data, std::size_t len) {
    Unit* u = find(lun);
    if (!u || u->reclen == 0 || rec < 1) return Status::error;
    std::vector<unsigned char> buf(static_cast<std::size_t>(u->reclen), 0);
    long pos = static_cast<long>(rec - 1) * u->reclen;
    std::fflush(u->f);
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
    for (auto& [lun, u] : table())
        if (u.f) std::fflush(u.f);
}

void close_all() {
    flush_all();
    for (auto& [lun, u] : table())
        if (u.f) std::fclose(u.f);
    table().clear();
}

}  // namespace kavren::units
