// What the frontal solver's files share: message output on NFSOUT, the print
// switches, thresholds and the kernels that more than one pass uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "control/debug.hpp"
#include "frontal/frontal.hpp"
#include "records/debug.hpp"
#include "records/frontal.hpp"
#include "support/clones.hpp"
#include "support/format.hpp"

namespace kavren::frontal {

// A pivot of magnitude at most this value (1e-30 as a single-precision
// constant) refuses the solve.
constexpr double ZERO_PIVOT = 1.0000000031710769e-30;

// Writes one line on unit NFSOUT (standard error when that unit is not open).
void fs_write(std::string_view line);
void fs_lines(const std::vector<std::string>& lines);
// Writes the lines of a format with its items on NFSOUT.
void fs_format(std::string_view form, std::initializer_list<fmt::Item> items);
// A title format followed by n words of w, e.g. "(1x,'T',/,(10x,1p,10e12.5))".
void fs_words(std::string_view form, const double* w, int n);
// The same with leading integer and double items before the words.
void fs_words(std::string_view form, const std::vector<fmt::Item>& head, const double* w, int n);

// Print switch conventions: on for every element when 1, for element iel
// only when -iel (the debug switches' rule).
inline bool on(int flag) {
    return flag == 1;
}
inline bool on_elem(int flag, int iel) {
    return debug_selects(flag, iel);
}

// Division of whole numbers by one divisor fixed at run time (d >= 1), as
// C++ divides (the quotient truncated toward zero), by a multiplication: a
// hardware division takes tens of cycles, and the prefront divides every
// node code. With m = floor((2^64 - 1) / d) + 1, the high half of m u is
// floor(u / d) for every 32-bit u.
class Divider {
  public:
    explicit Divider(int d)
        : d_(d), m_(d > 1 ? ~std::uint64_t{0} / static_cast<std::uint32_t>(d) + 1 : 0) {}
    int quot(int x) const {
        if (m_ == 0) return x;
        const std::uint32_t u =
            x < 0 ? 0U - static_cast<std::uint32_t>(x) : static_cast<std::uint32_t>(x);
        const auto q = static_cast<std::uint32_t>((static_cast<unsigned __int128>(m_) * u) >> 64);
        return x < 0 ? -static_cast<int>(q) : static_cast<int>(q);
    }
    int rem(int x) const { return x - quot(x) * d_; }

  private:
    int d_;
    std::uint64_t m_;
};

// Seconds of wall time, for the timing lines.
double seconds_now();

// Eliminates the unknown at position id (front width n) from the front
// right-hand sides fr (nrhs columns of mfw words) with the factor words col
// read with stride; skip_pivot steps over the pivot word of a symmetric
// equation. out(1..nrhs) := the pivot equation's right-hand sides.
void elmrhs(int id, int n, int stride, bool skip_pivot, double* fr, int mfw, int nrhs,
            const double* col, double* out);
// Clears positions lfw+1..nfw of every right-hand side of fr.
void zeror(double* fr, int mfw, int nrhs, int lfw, int nfw);
// Adds the element loads elr into fr at the positions ddest (made positive).
void semrhs(const double* ddest, const double* elr, double* fr, int ndofm, int mfw, int nrhs);

// Back substitution over all elements in reverse (both solutions).
void bckwrd(double* elnfw, double* andest, double* ddest, double* edest, double* elem, double* sol,
            double* bbuf, double* ubuf);

// The scratch-file code of a zdirio failure as the solver's IERR.
inline int file_error(int code) {
    return 10 * code;
}

// Writes words(1..len) as record count + 1 of scratch buffer name ("U", "B",
// "L") and counts it; reads record irec (len := its length). False, with IERR
// set, on a file failure.
bool write_buffer(const char* name, int& count, const double* words, int len);
bool read_buffer(const char* name, int& irec, int& len, double* words);

// solin1's codes of element iel decoded by dest; false when it has none.
bool element_codes(int iel, double* andest, int& nelim, double* ddest, double* edest);

// What the start of an element in a forward pass gave.
enum class ElementStart { ready, empty, refused };

// The start of an element in a forward pass: its codes, the front widened to
// take the element's new positions (NFW at least LFW; widen(LFW, NFW) for the
// matrix, their right-hand sides cleared in fr), and the element asked for
// with fetch(ndofm), which calls solin2. A refusal by the call-back is
// reported under the routine's name.
template <class Widen, class Fetch>
ElementStart start_element(const char* routine, int iel, double* andest, int& nelim, double* ddest,
                           double* edest, double* fr, Widen widen, Fetch fetch) {
    Surfc2& s = surfc2;
    if (!element_codes(iel, andest, nelim, ddest, edest)) return ElementStart::empty;
    s.NFW = s.NFW > s.LFW ? s.NFW : s.LFW;
    widen(s.LFW, s.NFW);
    if (surfc1.NRHS() > 0) zeror(fr, s.MFW, surfc1.NRHS(), s.LFW, s.NFW);
    fetch(s.NDOFM);
    if (surfc1.IERR() != FS_ELEMENT) return ElementStart::ready;
    fs_format(std::string("(/,/,5x,'ERROR IN ") + routine + ":',' ELEMENT REFUSED:',i6)", {iel});
    return ElementStart::refused;
}

}  // namespace kavren::frontal
