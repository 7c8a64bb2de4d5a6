#include "support/colsort.hpp"

#include <vector>

#include "support/array.hpp"

namespace kavren {

namespace {

// Segments of at most this many columns past the first are finished by
// straight insertion.
constexpr int SHORT_SEGMENT = 10;
// Pending segments: the larger part is stacked, so 2**(STACK+1)-1 columns fit.
constexpr int STACK = 32;

}  // namespace

// Singleton's quicksort (ACM Algorithm 347) on whole columns: the pivot is
// taken at a fraction R of the segment that cycles through 0.375..0.59, the
// first, pivot and last columns are put in order (median of three), and the
// segment is swept from both ends. The goto structure is the algorithm's own;
// keeping it keeps the order of equal keys, on which the node merge depends.
void gnsort(double* a, int m, int k, int n) {
    if (n <= 0) return;
    View2<double> A{a, m};
    std::vector<double> t(static_cast<std::size_t>(m)), tt(static_cast<std::size_t>(m));
    auto key = [&](int c) { return A(k, c); };
    auto get = [&](std::vector<double>& into, int c) {
        for (int r = 1; r <= m; ++r) into[static_cast<std::size_t>(r - 1)] = A(r, c);
    };
    auto put = [&](int c, const std::vector<double>& from) {
        for (int r = 1; r <= m; ++r) A(r, c) = from[static_cast<std::size_t>(r - 1)];
    };
    auto copy = [&](int to, int from) {
        for (int r = 1; r <= m; ++r) A(r, to) = A(r, from);
    };
    auto tkey = [&]() { return t[static_cast<std::size_t>(k - 1)]; };

    int il[STACK + 1], iu[STACK + 1];
    int mm = 1, i = 1, j = n, kk = 0, l = 0, ij = 0;
    double r = 0.375;

segment:
    if (i == j) goto pop;
    if (r > double(0.5898437f))
        r -= 0.21875;
    else
        r += 0.0390625;
    kk = i;
    ij = i + static_cast<int>((j - i) * r);
    get(t, ij);
    if (key(i) > tkey()) {
        copy(ij, i);
        put(i, t);
        get(t, ij);
    }
    l = j;
    if (key(j) < tkey()) {
        copy(ij, j);
        put(j, t);
        get(t, ij);
        if (key(i) > tkey()) {
            copy(ij, i);
            put(i, t);
            get(t, ij);
        }
    }
    goto scan_down;
exchange:
    copy(l, kk);
    put(kk, tt);
scan_down:
    l -= 1;
    if (key(l) > tkey()) goto scan_down;
    get(tt, l);
scan_up:
    kk += 1;
    if (key(kk) < tkey()) goto scan_up;
    if (kk <= l) goto exchange;
    if (l - i > j - kk) {
        il[mm] = i;
        iu[mm] = l;
        i = kk;
    } else {
        il[mm] = kk;
        iu[mm] = j;
        j = l;
    }
    mm += 1;
    goto next;
pop:
    mm -= 1;
    if (mm == 0) return;
    i = il[mm];
    j = iu[mm];
next:
    if (j - i > SHORT_SEGMENT) goto segment;
    if (i == 1) goto segment;
    i -= 1;
insert:
    i += 1;
    if (i == j) goto pop;
    get(t, i + 1);
    if (key(i) <= tkey()) goto insert;
    kk = i;
shift:
    copy(kk + 1, kk);
    kk -= 1;
    if (tkey() < key(kk)) goto shift;
    put(kk + 1, t);
    goto insert;
}

}  // namespace kavren
