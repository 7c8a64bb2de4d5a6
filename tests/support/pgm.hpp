// Reads a binary PGM image (P5, maxval below 256), as Ghostscript's pgmraw
// device writes it, for checking rendered PostScript pixel by pixel.
#pragma once

#include <cctype>
#include <cstddef>
#include <string>
#include <vector>

namespace kavren::testing {

struct Pgm {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> gray;  // row by row from the top, 0 black, 255 white

    // Gray of column x, row y (row 0 at the top); -1 outside the image.
    int at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return -1;
        return gray[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(x)];
    }
};

// Decodes bytes; false when they are not a P5 image of 8-bit samples.
inline bool read_pgm(const std::string& bytes, Pgm& image) {
    std::size_t i = 0;
    // The next header number, skipping blanks and "#" comments.
    auto number = [&](int& value) {
        for (;;) {
            while (i < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[i]))) ++i;
            if (i < bytes.size() && bytes[i] == '#') {
                while (i < bytes.size() && bytes[i] != '\n') ++i;
                continue;
            }
            break;
        }
        if (i >= bytes.size() || !std::isdigit(static_cast<unsigned char>(bytes[i]))) return false;
        value = 0;
        while (i < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[i])))
            value = 10 * value + (bytes[i++] - '0');
        return true;
    };
    if (bytes.compare(0, 2, "P5") != 0) return false;
    i = 2;
    int maxval = 0;
    if (!number(image.width) || !number(image.height) || !number(maxval)) return false;
    if (maxval < 1 || maxval > 255 || i >= bytes.size()) return false;
    ++i;  // the single blank after the header
    const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
    if (bytes.size() - i < n) return false;
    image.gray.assign(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                      bytes.begin() + static_cast<std::ptrdiff_t>(i + n));
    return true;
}

}  // namespace kavren::testing
