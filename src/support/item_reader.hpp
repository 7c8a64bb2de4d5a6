// Free-format items of a small text file read whole: the initial-mesh file
// of FILE=, the point file of ARC FILE= and the curves of the x-y plot.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace kavren {

// Free-format items of a text file: each item starts on a new line and takes
// values (separated by blanks or commas) from as many lines as it needs.
class ItemReader {
  public:
    explicit ItemReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    // The next item of n values; false at the end of the file.
    bool item(int n, std::vector<std::string>& values) {
        values.clear();
        while (static_cast<int>(values.size()) < n) {
            if (next_ >= lines_.size()) return false;
            const std::string& line = lines_[next_++];
            std::string v;
            for (char c : line + " ") {
                if (c == ' ' || c == ',' || c == '\t') {
                    if (!v.empty()) values.push_back(v);
                    v.clear();
                } else {
                    v += c;
                }
            }
        }
        return true;
    }
    int line_number() const { return static_cast<int>(next_); }

  private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

inline bool to_int(const std::string& s, int& v) {
    errno = 0;
    char* end = nullptr;
    long x = std::strtol(s.c_str(), &end, 10);
    if (end == s.c_str() || *end != '\0' || errno == ERANGE || x < -2147483647L || x > 2147483647L)
        return false;
    v = static_cast<int>(x);
    return true;
}

}  // namespace kavren
