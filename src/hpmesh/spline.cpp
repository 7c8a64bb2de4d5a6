#include "hpmesh/spline.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "control/messages.hpp"
#include "records/meshgen.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

// Squared distance below which a point counts as reached (the single-precision 1.0E-10).
constexpr double CLOSE_SQ = 1.000000013351432e-10;
// Curve evaluations of one parameter search.
constexpr int MAX_SEARCH = 101;
// First entry of the interior-knot copy in noeud.
constexpr int NOEUD_INTERIOR = 106;

// One message line of a B-spline routine on its unit (0: none).
void spline_message(int unit, const char* routine, const std::string& text) {
    if (unit == 0) return;
    const std::string line = std::string(" message from ") + routine + " " + text;
    if (unit == units::STDOUT_UNIT)
        write_terminal(line);
    else
        units::write_line(unit, line);
}

// Knot i of t(1..nk), ends repeated beyond the array.
double knot(const double* t, int nk, int i) {
    return t[std::clamp(i, 1, nk) - 1];
}

// B_(l-k+1)..B_l of order k at x, summing to 1 (de Boor's recurrence).
void basis(const double* t, int nk, int k, int l, double x, double* b) {
    std::vector<double> tr(static_cast<std::size_t>(k) + 1), tl(static_cast<std::size_t>(k) + 1);
    b[0] = 1.0;
    for (int j = 1; j < k; ++j) {
        tr[static_cast<std::size_t>(j)] = knot(t, nk, l + j) - x;
        tl[static_cast<std::size_t>(j)] = x - knot(t, nk, l + 1 - j);
        double saved = 0.0;
        for (int r = 1; r <= j; ++r) {
            const double right = tr[static_cast<std::size_t>(r)];
            const double left = tl[static_cast<std::size_t>(j + 1 - r)];
            const double den = right + left;
            const double term = den != 0.0 ? b[r - 1] / den : 0.0;
            b[r - 1] = saved + right * term;
            saved = left * term;
        }
        b[j] = saved;
    }
}

// Gauss-Legendre points and weights on [-1, 1] (Newton on the Legendre
// polynomial from the Chebyshev guesses).
void gauss_legendre(int n, std::vector<double>& xg, std::vector<double>& wg) {
    xg.assign(static_cast<std::size_t>(n), 0.0);
    wg.assign(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) {
        double z = std::cos(M_PI * (i + 0.75) / (n + 0.5)), dp = 1.0;
        for (int it = 0; it < 100; ++it) {
            double p0 = 1.0, p1 = z;
            for (int j = 2; j <= n; ++j) {
                const double p2 = ((2.0 * j - 1.0) * z * p1 - (j - 1.0) * p0) / j;
                p0 = p1;
                p1 = p2;
            }
            if (n == 1) p0 = 1.0;
            dp = n * (z * p1 - p0) / (z * z - 1.0);
            const double dz = p1 / dp;
            z -= dz;
            if (std::fabs(dz) < 1e-15) break;
        }
        xg[static_cast<std::size_t>(i)] = z;
        wg[static_cast<std::size_t>(i)] = 2.0 / ((1.0 - z * z) * dp * dp);
    }
}

}  // namespace

//// B-spline basis ////

int tg04a(int nk, const double* t, int k, int norm, double x, int& l, double* values,
          double* integrals) {
    tg04b.IERR = 0;
    if (nk < k + 1) {
        tg04b.IERR = 1;
        spline_message(tg04b.LP, "tg04a",
                       "n=" + std::to_string(nk) + " and is not .ge.k+1=" + std::to_string(k + 1));
        return 1;
    }
    if (k < 1) {
        tg04b.IERR = 2;
        spline_message(tg04b.LP, "tg04a", "k=" + std::to_string(k) + " and is not .gt. 1");
        return 2;
    }
    if (norm != 1 && norm != 2) {
        norm = 1;
        tg04b.IERR = 5;
        spline_message(tg04b.LP, "tg04a", "norm was .ne.1 or 2 and has been set to 1");
    }
    std::fill(values, values + k, 0.0);
    std::fill(integrals, integrals + k, 0.0);
    if (x < t[0]) {
        l = 1;
        return tg04b.IERR;
    }
    if (x < t[nk - 1]) {
        if (!(l >= 1 && l < nk && t[l - 1] <= x && x < t[l])) {
            int lo = 1, hi = nk;
            while (hi - lo > 1) {
                const int mid = (lo + hi) / 2;
                if (t[mid - 1] <= x)
                    lo = mid;
                else
                    hi = mid;
            }
            l = lo;
        }
    } else {
        l = 0;
        for (int i = nk - 1; i >= 1; --i)
            if (t[i - 1] < x) {
                l = i;
                break;
            }
        if (l == 0) {
            tg04b.IERR = 4;
            spline_message(tg04b.LP, "tg04a",
                           "more than " + std::to_string(k) + " data points coalesce.");
            return 4;
        }
    }
    // The knots the recurrence reads: ascending, and no more than k equal.
    const int lo = std::max(1, l - k + 1), hi = std::min(nk, l + k);
    int run = 1;
    for (int i = lo + 1; i <= hi; ++i) {
        if (t[i - 1] < t[i - 2]) {
            tg04b.IERR = 3;
            spline_message(tg04b.LP, "tg04a", "the data points are not in ascending order.");
            return 3;
        }
        run = t[i - 1] == t[i - 2] ? run + 1 : 1;
        if (run > k) {
            tg04b.IERR = 4;
            spline_message(tg04b.LP, "tg04a",
                           "more than " + std::to_string(k) + " data points coalesce.");
            return 4;
        }
    }
    basis(t, nk, k, l, x, values);
    // Normalisation 1: each B-spline integrates to 1.
    auto scale = [&](int j) {
        if (norm == 2) return 1.0;
        const double width = knot(t, nk, j + k) - knot(t, nk, j);
        return width > 0.0 ? k / width : 0.0;
    };
    for (int r = 0; r < k; ++r) values[r] *= scale(l - k + 1 + r);
    // The integrals from t(1) to x: Gauss rules exact for the pieces, over the
    // knot intervals where B_(l-k+1).. may be non-zero.
    std::vector<double> xg, wg, b(static_cast<std::size_t>(k));
    gauss_legendre((k + 2) / 2, xg, wg);
    for (int i = std::max(1, l - k + 1); i <= l; ++i) {
        const double a = t[i - 1], e = i == l ? x : t[i];
        if (e <= a) continue;
        for (std::size_t g = 0; g < xg.size(); ++g) {
            const double s = 0.5 * (a + e) + 0.5 * (e - a) * xg[g];
            basis(t, nk, k, i, s, b.data());
            // b holds B_(i-k+1)..B_i; keep those among B_(l-k+1)..B_l.
            for (int r = 0; r < k; ++r) {
                const int j = i - k + 1 + r, q = j - (l - k + 1);
                if (q >= 0 && q < k)
                    integrals[q] +=
                        0.5 * (e - a) * wg[g] * b[static_cast<std::size_t>(r)] * scale(j);
            }
        }
    }
    return tg04b.IERR;
}

//// interpolation ////

int tb06a(int m, const double* x, const double* f, int k, const double* xint, double* knots,
          double* c) {
    auto fail = [](int code, const std::string& text) {
        tb06b.IERR = code;
        spline_message(tb06b.LP, "tb06a", text);
        return code;
    };
    tb06b.IERR = 0;
    c[0] = 0.0;
    if (m < 2) return fail(1, "n = " + std::to_string(m) + " and is not greater than 2.");
    std::fill(c, c + m, 0.0);
    for (int i = 1; i < m; ++i)
        if (!(x[i - 1] < x[i])) return fail(3, "the data points are not in ascending order.");
    if (k < 1 || k > m)
        return fail(2, "k = " + std::to_string(k) + " and is not in the interval 1.le.k.le." +
                           std::to_string(m));
    const int nint = m - k;
    for (int j = 1; j < nint; ++j)
        if (xint[j - 1] > xint[j]) return fail(4, "the knots are not in ascending order.");
    for (int j = 1; j <= nint; ++j)
        if (!(x[j - 1] < xint[j - 1] && xint[j - 1] < x[j + k - 1]))
            return fail(5, "the s-w conditions are not satisfied.");
    for (int i = 0; i < k; ++i) {
        knots[i] = x[0];
        knots[m + i] = x[m - 1];
    }
    for (int j = 0; j < nint; ++j) knots[k + j] = xint[j];
    if (k == 1) {
        std::copy(f, f + m, c);
        return 0;
    }
    c[0] = f[0];
    c[m - 1] = f[m - 1];
    if (m == 2) return 0;
    // Collocation at x(2)..x(m-1): row i holds B_(l-k+1)..B_l at x(i); the
    // end rows are the end values themselves. The matrix is banded and
    // totally positive, so elimination goes without pivoting.
    const auto mm = static_cast<std::size_t>(m);
    std::vector<double> a(mm * mm, 0.0), rhs(f, f + m), val(static_cast<std::size_t>(k)),
        ints(static_cast<std::size_t>(k));
    auto at = [&](int i, int j) -> double& {
        return a[static_cast<std::size_t>(i - 1) * mm + static_cast<std::size_t>(j - 1)];
    };
    at(1, 1) = 1.0;
    at(m, m) = 1.0;
    int l = k;
    for (int i = 2; i < m; ++i) {
        tg04a(m + k, knots, k, 2, x[i - 1], l, val.data(), ints.data());
        for (int r = 0; r < k; ++r) {
            const int j = l - k + 1 + r;
            if (j >= 1 && j <= m) at(i, j) = val[static_cast<std::size_t>(r)];
        }
    }
    for (int p = 1; p <= m; ++p) {
        const double piv = at(p, p);
        if (piv == 0.0) {
            std::fill(c, c + m, 0.0);
            return fail(5, "the s-w conditions are not satisfied.");
        }
        const int last = std::min(m, p + k);
        for (int i = p + 1; i <= last; ++i) {
            const double factor = at(i, p) / piv;
            if (factor == 0.0) continue;
            for (int j = p; j <= std::min(m, p + k); ++j) at(i, j) -= factor * at(p, j);
            rhs[static_cast<std::size_t>(i - 1)] -= factor * rhs[static_cast<std::size_t>(p - 1)];
        }
    }
    for (int p = m; p >= 1; --p) {
        double s = rhs[static_cast<std::size_t>(p - 1)];
        for (int j = p + 1; j <= std::min(m, p + k); ++j) s -= at(p, j) * c[j - 1];
        c[p - 1] = s / at(p, p);
    }
    return 0;
}

//// the curve ////

int prepare(int n, int k, double& tlen, const SplineColumns& pts, SplineColumns& coef) {
    tlen = 0.0;
    coef.fill(0.0);
    if (n < 1 || n > MAXSPLPT || k < 1 || NOEUD_INTERIOR + n - k - 1 > NOEUD_SIZE ||
        n + k > NOEUD_SIZE)
        return -1;
    x1.U(1) = 0.0;
    for (int i = 2; i <= n; ++i) {
        const double dx = pts(i) - pts(i - 1), dy = pts(MAXSPLPT + i) - pts(MAXSPLPT + i - 1);
        x1.U(i) = x1.U(i - 1) + std::sqrt(dx * dx + dy * dy);
    }
    tlen = x1.U(n);
    for (int i = 1; i <= k; ++i) {
        noeud.T(i) = 0.0;
        noeud.T(n + i) = tlen;
    }
    for (int j = 1; j <= n - k; ++j) {
        noeud.T(k + j) = x1.U(k + j - 1);
        noeud.T(NOEUD_INTERIOR + j - 1) = noeud.T(k + j);
    }
    double knots[NOEUD_SIZE] = {};
    const double* interior = &noeud.T(NOEUD_INTERIOR);
    const int cx = tb06a(n, &x1.U(1), &pts(1), k, interior, knots, &coef(1));
    const int cy = tb06a(n, &x1.U(1), &pts(MAXSPLPT + 1), k, interior, knots, &coef(MAXSPLPT + 1));
    return cx != 0 ? cx : cy;
}

void bspline(int n, int k, double t, double& x, double& y, const SplineColumns& coef) {
    x = 0.0;
    y = 0.0;
    std::vector<double> val(static_cast<std::size_t>(std::max(k, 1))), ints(val.size());
    int l = k;
    if (tg04a(n + k, &noeud.T(1), k, 2, t, l, val.data(), ints.data()) != 0 && tg04b.IERR != 5)
        return;
    for (int r = 0; r < k; ++r) {
        const int j = l - k + 1 + r;
        if (j < 1 || j > n) continue;
        x += val[static_cast<std::size_t>(r)] * coef(j);
        y += val[static_cast<std::size_t>(r)] * coef(MAXSPLPT + j);
    }
}

double pspline(int n, int k, int i, const SplineColumns& pts, double xp, double yp,
               const SplineColumns& coef) {
    auto px = [&](int s) { return pts(s); };
    auto py = [&](int s) { return pts(MAXSPLPT + s); };
    const double dx = xp - px(i), dy = yp - py(i);
    if (dx * dx + dy * dy < CLOSE_SQ) return x1.U(i);
    int j = 0;
    if (i == 1) {
        j = 2;
    } else if (i == n) {
        j = n - 1;
    } else {
        // Towards the neighbour that the point lies between i and.
        const double dot = (px(i - 1) - xp) * (px(i) - xp) + (py(i - 1) - yp) * (py(i) - yp);
        j = dot > 0.0 ? i + 1 : i - 1;
    }
    double a = x1.U(i), b = x1.U(j), m = a;
    for (int eval = 1; eval <= MAX_SEARCH; ++eval) {
        m = 0.5 * (a + b);
        double xm = 0.0, ym = 0.0;
        bspline(n, k, m, xm, ym, coef);
        const double ex = xp - xm, ey = yp - ym;
        if (ex * ex + ey * ey < CLOSE_SQ) break;
        if ((px(i) - xm) * (xp - xm) + (py(i) - ym) * (yp - ym) > 0.0)
            b = m;
        else
            a = m;
    }
    return m;
}

void fspoint(int n, const SplineColumns& pts, double xa, double ya, double xb, double yb, int& ia,
             int& ib) {
    auto nearest = [&](double x, double y) {
        int best = 1;
        double dmin = HUGE_VAL;
        for (int i = 1; i <= n; ++i) {
            const double dx = x - pts(i), dy = y - pts(MAXSPLPT + i);
            if (dx * dx + dy * dy < dmin) {
                dmin = dx * dx + dy * dy;
                best = i;
            }
        }
        return best;
    };
    ia = nearest(xa, ya);
    ib = nearest(xb, yb);
    if (std::fabs(x1.U(ia) - x1.U(ib)) <= 0.75 * x1.U(n)) return;
    if (ia == 1)
        ia = n;
    else if (ia == n)
        ia = 1;
    else if (ib == 1)
        ib = n;
    else if (ib == n)
        ib = 1;
}

}  // namespace kavren
