#include "fem/solvers.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "control/messages.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

// Column-major view of caller storage, indexed from 1.
template <typename T>
struct Mat {
    T* p;
    int ld;
    T& operator()(int i, int j) const {
        return p[static_cast<std::ptrdiff_t>(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * ld];
    }
};

// Pivot bounds, single-precision values widened to double.
constexpr double TRI_PIVOT = 1.0000000031710769e-30;     // 1e-30
constexpr double GDECOMP_PIVOT = 9.999999682655225e-21;  // 1e-20

}  // namespace

//// Gauss elimination without pivoting ////

void tri(double* a, int lda, int n) {
    Mat<double> A{a, lda};
    for (int i = 1; i <= n - 1; ++i) {
        double piv = A(i, i);
        if (!(std::fabs(piv) >= TRI_PIVOT)) {  // a pivot that is not a number fails too
            write_terminal(
                fmt::line("(' REDUCTION FAILED DUE TO SMALL PIVOT','EQUATION NO.',I5,"
                          "E10.3)",
                          {i, piv}));
            sstop(0, "TRI");
        }
        for (int j = i + 1; j <= n; ++j) {
            if (A(j, i) == 0.0) continue;
            double m = A(j, i) / piv;
            for (int k = i + 1; k <= n; ++k) A(j, k) -= A(i, k) * m;
        }
    }
}

void rhsub(const double* a, double* x, double* b, int lda, int n) {
    Mat<const double> A{a, lda};
    if (n < 1) return;
    for (int i = 1; i <= n - 1; ++i)
        for (int j = i + 1; j <= n; ++j) b[j - 1] -= A(j, i) * b[i - 1] / A(i, i);
    x[n - 1] = b[n - 1] / A(n, n);
    for (int i = n - 1; i >= 1; --i) {
        double s = 0.0;
        for (int j = i + 1; j <= n; ++j) s += x[j - 1] * A(i, j);
        b[i - 1] -= s;
        x[i - 1] = b[i - 1] / A(i, i);
    }
}

void gausse(double* a, int lda, double* b, double* x, int n) {
    tri(a, lda, n);
    rhsub(a, x, b, lda, n);
}

void invert(const double* a, double* ainv, double* w, double* v, int lda, int n) {
    Mat<const double> A{a, lda};
    Mat<double> W{w, lda};
    for (int j = 1; j <= n; ++j)
        for (int i = 1; i <= n; ++i) W(i, j) = A(i, j);
    tri(w, lda, n);
    for (int i = 1; i <= n; ++i) {
        for (int k = 0; k < lda; ++k) v[k] = 0.0;
        v[i - 1] = 1.0;
        rhsub(w, ainv + static_cast<std::ptrdiff_t>(i - 1) * lda, v, lda, n);
    }
}

//// solver with row interchanges ////

void chlsky(double* a, int n, double* b) {
    Mat<double> A{a, n};
    auto swap_rows = [&](int r, int s) {
        if (r == s) return;
        for (int k = 1; k <= n; ++k) std::swap(A(r, k), A(s, k));
        std::swap(b[r - 1], b[s - 1]);
    };
    // The first row of largest magnitude in column j, from row j down.
    auto pivot_row = [&](int j) {
        int p = j;
        for (int k = j + 1; k <= n; ++k)
            if (std::fabs(A(k, j)) > std::fabs(A(p, j))) p = k;
        return p;
    };
    swap_rows(1, pivot_row(1));
    for (int k = 2; k <= n; ++k) A(1, k) /= A(1, 1);
    b[0] /= A(1, 1);
    for (int j = 2; j <= n; ++j) {
        for (int k = j; k <= n; ++k) {
            double s = 0.0;
            for (int l = 1; l < j; ++l) s += A(k, l) * A(l, j);
            A(k, j) -= s;
        }
        if (j < n) {
            swap_rows(j, pivot_row(j));
            for (int k = j + 1; k <= n; ++k) {
                double s = 0.0;
                for (int l = 1; l < j; ++l) s += A(j, l) * A(l, k);
                A(j, k) = (A(j, k) - s) / A(j, j);
            }
        }
        double s = 0.0;
        for (int k = 1; k < j; ++k) s += b[k - 1] * A(j, k);
        b[j - 1] = (b[j - 1] - s) / A(j, j);
    }
    // Back substitution, the solution kept in column 1.
    A(n, 1) = b[n - 1];
    for (int d = n - 1; d >= 1; --d) {
        double s = 0.0;
        for (int k = d + 1; k <= n; ++k) s += A(k, 1) * A(d, k);
        A(d, 1) = b[d - 1] - s;
    }
    for (int i = 1; i <= n; ++i) b[i - 1] = A(i, 1);
}

//// symmetric positive definite band matrices ////

void ludapb(const double* a, int n, int nband, int lda, double* ul, int ldu, double& d1, double& d2,
            int& ier) {
    Mat<const double> A{a, lda};
    Mat<double> UL{ul, ldu};
    const int nb1 = nband + 1;
    ier = 0;
    const double rn = 1.0 / (16.0 * n);
    d1 = 1.0;
    d2 = 0.0;
    // The corner of the band storage that lies outside the matrix.
    for (int i = 1; i <= nband; ++i)
        for (int j = i; j <= nband; ++j) UL(i, nb1 - j) = 0.0;
    for (int i = 1; i <= n; ++i) {
        for (int j = std::max(1, nband + 2 - i); j <= nb1; ++j) {
            const int p = i - nb1 + j;
            const int q = nb1 - j;
            double x = A(i, j);
            for (int k = 1; k <= j - 1; ++k) x -= UL(p, q + k) * UL(i, k);
            if (j < nb1) {
                UL(i, j) = x * UL(p, nb1);
                continue;
            }
            // The pivot must raise the diagonal (a pivot that is not a number fails too).
            if (!(A(i, nb1) + x * rn > A(i, nb1))) {
                ier = 129;
                std::string line = fmt::line("(1H ,'ERROR IN LUDAPB ,  IER= ',I4)", {ier});
                write_terminal(line);
                write_error_file(line);
                for (int r = 1; r <= n; ++r) {
                    std::vector<fmt::Item> items{r};
                    for (int c = 1; c <= nb1; ++c) items.emplace_back(A(r, c));
                    for (const std::string& l : fmt::format("(I4/(10F8.4))", items))
                        write_error_file(l);
                }
                return;
            }
            UL(i, nb1) = 1.0 / std::sqrt(x);
            d1 *= x;
            while (std::fabs(d1) > 1.0) {
                d1 *= 0.0625;
                d2 += 4.0;
            }
            while (std::fabs(d1) <= 0.0625) {
                d1 *= 16.0;
                d2 -= 4.0;
            }
        }
    }
}

void luelpb(const double* ul, const double* b, int n, int nband, int ldu, double* x) {
    Mat<const double> UL{ul, ldu};
    const int nb1 = nband + 1;
    // Forward: L y = b, skipping the leading zeros of b.
    int j = 1;
    while (j <= n && b[j - 1] == 0.0) {
        x[j - 1] = UL(j, nb1) * b[j - 1];
        ++j;
    }
    int w = 0;
    for (; j <= n; ++j) {
        double s = b[j - 1];
        for (int k = 1; k <= w; ++k) s -= x[j - w + k - 2] * UL(j, nband - w + k);
        x[j - 1] = UL(j, nb1) * s;
        w = std::min(w + 1, nband);
    }
    // Backward: L^T x = y.
    if (n < 1) return;
    x[n - 1] = UL(n, nb1) * x[n - 1];
    for (int i = n - 1; i >= 1; --i) {
        double s = x[i - 1];
        for (int l = i + 1; l <= std::min(i + nband, n); ++l) s -= UL(l, nb1 - (l - i)) * x[l - 1];
        x[i - 1] = UL(i, nb1) * s;
    }
}

//// LU with row pivoting ////

void gdecomp(double* a, int lda, int n, int* ipvt) {
    Mat<double> A{a, lda};
    for (int i = 1; i <= n - 1; ++i) {
        int l = i;
        for (int k = i + 1; k <= n; ++k)
            if (std::fabs(A(k, i)) > std::fabs(A(l, i))) l = k;
        ipvt[i - 1] = l;
        double big = std::fabs(A(l, i));
        if (!(big >= GDECOMP_PIVOT)) {  // a pivot that is not a number stops too
            write_terminal(fmt::list({"SMALL PIVOT = ", big}));
            plain_stop(1, "GDECOMP");
        }
        for (int k = i; k <= n; ++k) std::swap(A(i, k), A(l, k));
        for (int j = i + 1; j <= n; ++j) {
            double m = A(j, i) / A(i, i);
            for (int k = i + 1; k <= n; ++k) A(j, k) -= A(i, k) * m;
            A(j, i) = m;
        }
    }
}

void linvpx(const double* a, double* x, int lda, int n, const int* ipvt) {
    Mat<const double> A{a, lda};
    for (int i = 1; i <= n - 1; ++i) {
        std::swap(x[i - 1], x[ipvt[i - 1] - 1]);
        for (int j = i + 1; j <= n; ++j) x[j - 1] -= A(j, i) * x[i - 1];
    }
}

void uinvx(const double* a, double* x, int lda, int n) {
    Mat<const double> A{a, lda};
    if (n < 1) return;
    x[n - 1] /= A(n, n);
    for (int i = n - 1; i >= 1; --i) {
        double s = x[i - 1];
        for (int j = i + 1; j <= n; ++j) s -= x[j - 1] * A(i, j);
        x[i - 1] = s / A(i, i);
    }
}

}  // namespace kavren
