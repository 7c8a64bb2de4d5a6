#include "control/utility.hpp"

#include <utility>
#include <vector>

#include "control/messages.hpp"

namespace kavren {

void decode(int icode, int& iq, int& ir) {
    iq = icode / 100;
    ir = icode - 100 * iq;
}

void setz(double* a, int n) {
    for (int i = 0; i < n; ++i) a[i] = 0.0;
}

void setzi(int* ia, int n) {
    for (int i = 0; i < n; ++i) ia[i] = 0;
}

void zecond() {}

void code1(const int* ia, int n, int& ic) {
    ic = 0;
    int p = 1;
    for (int i = 0; i < n; ++i, p *= 10) ic += ia[i] * p;
}

void decod1(int ic, int n, int* ia) {
    for (int i = 0; i < n; ++i) {
        ia[i] = ic % 10;
        ic /= 10;
    }
}

namespace {

constexpr int SORT_MAX_COLUMNS = 100;
constexpr int SORT_STACK = 21;
constexpr int SORT_SHORT_RUN = 10;

}  // namespace

bool zsortr(double* a, int lda, int n, int ncol, int icol) {
    if (n < 2) return true;
    if (ncol > SORT_MAX_COLUMNS) {
        write_terminal(" *** ZSORTR HAS A LIMIT OF  100 COLUMNS");
        return false;
    }
    auto key = [&](int r) { return a[r + static_cast<std::ptrdiff_t>(icol - 1) * lda]; };
    auto swap_rows = [&](int r, int s) {
        for (int c = 0; c < ncol; ++c)
            std::swap(a[r + static_cast<std::ptrdiff_t>(c) * lda],
                      a[s + static_cast<std::ptrdiff_t>(c) * lda]);
    };
    // Quicksort on rows 0..n-1 with an explicit stack of sub-lists; the pivot
    // position moves through the sub-list from call to call, and short runs
    // finish with insertion sort.
    std::vector<std::pair<int, int>> stack;
    stack.emplace_back(0, n - 1);
    double fraction = 0.375;
    while (!stack.empty()) {
        auto [lo, hi] = stack.back();
        stack.pop_back();
        while (hi - lo + 1 > SORT_SHORT_RUN) {
            fraction += 0.0789;
            if (fraction > 0.5861) fraction -= 0.2125;
            int p = lo + static_cast<int>(fraction * (hi - lo));
            double pivot = key(p);
            int i = lo, j = hi;
            while (i <= j) {
                while (key(i) < pivot) ++i;
                while (key(j) > pivot) --j;
                if (i <= j) swap_rows(i++, j--);
            }
            // Keep the shorter side for now, stack the longer.
            if (j - lo < hi - i) {
                if (i < hi) stack.emplace_back(i, hi);
                hi = j;
            } else {
                if (lo < j) stack.emplace_back(lo, j);
                lo = i;
            }
            if (static_cast<int>(stack.size()) > SORT_STACK) {
                write_terminal(" *** ZSORTR HAS A LIMIT OF  21 SUB-LISTS");
                return false;
            }
        }
        for (int r = lo + 1; r <= hi; ++r)
            for (int s = r; s > lo && key(s - 1) > key(s); --s) swap_rows(s - 1, s);
    }
    return true;
}

}  // namespace kavren
