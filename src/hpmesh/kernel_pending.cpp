// STUB: replaced by the element kernel at merge. The half-edge table is built
// here by exact polynomial arithmetic on the edge functions, and filled before
// main runs, since the start-up hook that will build it is still empty.
#include "hpmesh/kernel_pending.hpp"

#include <array>
#include <cstddef>

namespace kavren {

// STUB: replaced by the element kernel at merge
Crrr crrr;

namespace {

// Polynomials of degree up to 9 by their monomial coefficients (entry k: x^k).
constexpr std::size_t NC = 10;
using Poly = std::array<double, NC>;

// STUB: replaced by the element kernel at merge
// Monomial coefficients of the 1-D functions 3..9 (primitives of the Legendre
// polynomials of degree 1..7 from -1); all are multiples of 1/128.
constexpr double EDGE_COEF[7][NC] = {
    {-0.5, 0, 0.5},
    {0, -0.5, 0, 0.5},
    {0.125, 0, -0.75, 0, 0.625},
    {0, 0.375, 0, -1.25, 0, 0.875},
    {-0.0625, 0, 0.9375, 0, -2.1875, 0, 1.3125},
    {0, -0.3125, 0, 2.1875, 0, -3.9375, 0, 2.0625},
    {0.0390625, 0, -1.09375, 0, 4.921875, 0, -7.21875, 0, 3.3515625},
};

Poly edge_poly(int i) {
    Poly p{};
    for (std::size_t k = 0; k < NC; ++k) p[k] = EDGE_COEF[i - 3][k];
    return p;
}

double eval(const Poly& p, double x) {
    double v = 0.0;
    for (std::size_t k = NC; k-- > 0;) v = v * x + p[k];
    return v;
}

// p(a*s + b) as a polynomial in s.
Poly compose_affine(const Poly& p, double a, double b) {
    Poly r{}, pw{};  // pw: (a*s + b)^k
    pw[0] = 1.0;
    for (std::size_t k = 0; k < NC; ++k) {
        for (std::size_t j = 0; j < NC; ++j) r[j] += p[k] * pw[j];
        Poly next{};
        for (std::size_t j = 0; j + 1 < NC; ++j) {
            next[j + 1] += a * pw[j];
            next[j] += b * pw[j];
        }
        pw = next;
    }
    return r;
}

// STUB: replaced by the element kernel at merge
// Restricts the edge function of degree d to each half, removes the linear
// part through its end values and peels the son functions off from the top
// degree down; exact, since every coefficient is dyadic.
void fill_rrr() {
    crrr.RRR.fill(0.0);
    for (int h = 1; h <= 2; ++h) {
        crrr.RRR(1, 1, h) = 0.5;
        for (int d = 2; d <= 8; ++d) {
            Poly g = compose_affine(edge_poly(d + 1), 0.5, h == 1 ? -0.5 : 0.5);
            const double gm = eval(g, -1.0), gp = eval(g, 1.0);
            g[0] -= 0.5 * (gm + gp);
            g[1] -= 0.5 * (gp - gm);
            crrr.RRR(d, 1, h) = eval(edge_poly(d + 1), 0.0);
            for (int e = d; e >= 2; --e) {
                const Poly f = edge_poly(e + 1);
                const double c = g[static_cast<std::size_t>(e)] / f[static_cast<std::size_t>(e)];
                crrr.RRR(d, e, h) = c;
                for (std::size_t k = 0; k < NC; ++k) g[k] -= c * f[k];
            }
        }
    }
}

[[maybe_unused]] const bool rrr_filled = (fill_rrr(), true);

}  // namespace

// STUB: replaced by the element kernel at merge
void shape1(int n, double x, double* v) {
    v[0] = 0.5 * (1.0 - x);
    v[1] = 0.5 * (1.0 + x);
    for (int i = 3; i <= n + 1; ++i) v[i - 1] = eval(edge_poly(i), x);
}

// STUB: replaced by the element kernel at merge
void shape2(const Arr1<int, 9>& nord, double xi, double eta, double* val) {
    auto mx = [](int a, int b) { return a > b ? a : b; };
    int px = mx(nord(5), nord(7)), py = mx(nord(6), nord(8));
    double f[10], g[10];
    shape1(px, xi, f);
    shape1(py, eta, g);
    int m = 0;
    val[m++] = g[0] * f[0];
    val[m++] = g[0] * f[1];
    val[m++] = g[1] * f[1];
    val[m++] = g[1] * f[0];
    for (int a = 3; a <= nord(5) + 1; ++a) val[m++] = g[0] * f[a - 1];
    for (int b = 3; b <= nord(6) + 1; ++b) val[m++] = f[1] * g[b - 1];
    for (int a = 3; a <= nord(7) + 1; ++a) val[m++] = g[1] * f[a - 1];
    for (int b = 3; b <= nord(8) + 1; ++b) val[m++] = f[0] * g[b - 1];
    for (int b = 3; b <= nord(9) + 1; ++b)
        for (int a = 3; a <= nord(9) + 1; ++a) val[m++] = g[b - 1] * f[a - 1];
}

}  // namespace kavren
