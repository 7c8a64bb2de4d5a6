// Fixed-length blank-padded character words (the system's CHARACTER*n).
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

namespace kavren {

template <int N>
struct Chars {
    std::array<char, N> c;

    Chars() { c.fill(' '); }
    Chars(std::string_view s) { assign(s); }  // NOLINT: words convert from text freely
    Chars(const char* s) : Chars(std::string_view(s)) {}

    // Cut or blank-pad the text to N characters.
    void assign(std::string_view s) {
        c.fill(' ');
        std::copy_n(s.data(), std::min<std::size_t>(s.size(), N), c.data());
    }
    std::string_view view() const { return {c.data(), static_cast<std::size_t>(N)}; }
    std::string str() const { return std::string(view()); }
    // Text without trailing blanks.
    std::string trimmed() const {
        std::size_t n = N;
        while (n > 0 && (c[n - 1] == ' ' || c[n - 1] == '\0')) --n;
        return std::string(c.data(), n);
    }
    bool blank() const {
        return std::all_of(c.begin(), c.end(), [](char ch) { return ch == ' '; });
    }
    char& operator[](int i) { return c[static_cast<std::size_t>(i)]; }
    char operator[](int i) const { return c[static_cast<std::size_t>(i)]; }
    // 1-based column access, as in TEXT(I:I).
    char& col(int i) { return c[static_cast<std::size_t>(i - 1)]; }
    char col(int i) const { return c[static_cast<std::size_t>(i - 1)]; }
    static constexpr int size() { return N; }

    friend bool operator==(const Chars& a, const Chars& b) { return a.c == b.c; }
};

using Word8 = Chars<8>;
using Line80 = Chars<80>;

// Compare a text with a word over N characters, the text cut or blank-padded first.
template <int N>
bool same_word(const Chars<N>& w, std::string_view s) {
    return w == Chars<N>(s);
}

}  // namespace kavren
