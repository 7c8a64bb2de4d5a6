#include "fem/shape.hpp"

#include <algorithm>
#include <cmath>

#include "control/messages.hpp"
#include "records/fem.hpp"
#include "records/limits.hpp"
#include "support/clones.hpp"

namespace kavren {

namespace {

// Value at x of row i of a coefficient table whose column j holds the
// coefficient of x^(j-1), leading column top: the polynomial has only powers of
// the parity of top-1, so it is Horner's rule in x^2 (times x when odd).
template <typename Table>
double parity_horner(const Table& t, int i, int top, double x, double x2) {
    double s = t(i, top);
    for (int j = top - 2; j >= 1; j -= 2) s = s * x2 + t(i, j);
    return (top - 1) % 2 != 0 ? x * s : s;
}

// Orders of the 1-D functions in XI and ETA: the larger edge order of the
// direction, or the interior order when that is larger.
inline int order_xi(const int* nord) {
    return std::max({1, nord[4], nord[6], nord[8]});
}
inline int order_eta(const int* nord) {
    return std::max({1, nord[5], nord[7], nord[8]});
}

// Fills out[] with the element functions built from the 1-D arrays f (in XI)
// and g (in ETA), indexed from 0 (f[0] = F1); returns their number.
KAVREN_CLONES
int products(const int* nord, const double* __restrict f, const double* __restrict g,
             double* __restrict out) {
    int m = 0;
    out[m++] = g[0] * f[0];
    out[m++] = g[0] * f[1];
    out[m++] = g[1] * f[1];
    out[m++] = g[1] * f[0];
    for (int a = 3; a <= nord[4] + 1; ++a) out[m++] = g[0] * f[a - 1];
    for (int b = 3; b <= nord[5] + 1; ++b) out[m++] = f[1] * g[b - 1];
    for (int a = 3; a <= nord[6] + 1; ++a) out[m++] = g[1] * f[a - 1];
    for (int b = 3; b <= nord[7] + 1; ++b) out[m++] = f[0] * g[b - 1];
    for (int b = 3; b <= nord[8] + 1; ++b)
        for (int a = 3; a <= nord[8] + 1; ++a) out[m++] = g[b - 1] * f[a - 1];
    return m;
}

// Local-node positions of the XI and ETA factors in lagr1d order (-1, 0, +1).
constexpr int XI_POS[9] = {1, 3, 3, 1, 2, 3, 2, 1, 2};
constexpr int ETA_POS[9] = {1, 1, 3, 3, 1, 2, 3, 2, 2};

// Bound of 1-D arrays: functions 1..MAX_ORDER+1, and dshap1/ddshap1 always
// write the first three or four entries.
constexpr int ONE_D = MAX_ORDER + 1;

}  // namespace

//// 1-D functions ////

void shape1(int n, double x, double* v) {
    const double x2 = x * x;
    v[0] = 0.5 * (1.0 - x);
    v[1] = 0.5 * (1.0 + x);
    for (int i = 3; i <= n + 1; ++i) v[i - 1] = parity_horner(clagr.CLAGR, i, i, x, x2);
}

void dshap1(int n, double x, double* d) {
    const double x2 = x * x;
    d[0] = -0.5;
    d[1] = 0.5;
    d[2] = x;
    for (int i = 4; i <= n + 1; ++i) d[i - 1] = parity_horner(dlagr.DLAGR, i, i - 1, x, x2);
}

void ddshap1(int n, double x, double* dd) {
    const double x2 = x * x;
    dd[0] = 0.0;
    dd[1] = 0.0;
    dd[2] = 1.0;
    dd[3] = 3.0 * x;
    for (int i = 5; i <= n + 1; ++i) dd[i - 1] = parity_horner(elag.ELAG, i, i - 2, x, x2);
}

//// element functions ////

int element_nfun(const int* nord) {
    int n = 4;
    for (int s = 4; s < 8; ++s) n += std::max(nord[s] - 1, 0);
    int p9 = std::max(nord[8] - 1, 0);
    return n + p9 * p9;
}

void shape2(const int* nord, double xi, double eta, double* val) {
    double f[ONE_D], g[ONE_D];
    shape1(order_xi(nord), xi, f);
    shape1(order_eta(nord), eta, g);
    products(nord, f, g, val);
}

void dshap2(const int* nord, double xi, double eta, double* dvdxi, double* dvdeta) {
    double f[ONE_D], g[ONE_D], df[ONE_D], dg[ONE_D];
    const int px = order_xi(nord), py = order_eta(nord);
    shape1(px, xi, f);
    shape1(py, eta, g);
    dshap1(px, xi, df);
    dshap1(py, eta, dg);
    products(nord, df, g, dvdxi);
    products(nord, f, dg, dvdeta);
}

void ddshap2(const int* nord, double xi, double eta, double* d2xx, double* d2xy, double* d2yx,
             double* d2yy) {
    double f[ONE_D], g[ONE_D], df[ONE_D], dg[ONE_D], ddf[ONE_D], ddg[ONE_D];
    const int px = order_xi(nord), py = order_eta(nord);
    shape1(px, xi, f);
    shape1(py, eta, g);
    dshap1(px, xi, df);
    dshap1(py, eta, dg);
    ddshap1(px, xi, ddf);
    ddshap1(py, eta, ddg);
    products(nord, ddf, g, d2xx);
    int n = products(nord, df, dg, d2xy);
    std::copy(d2xy, d2xy + n, d2yx);
    products(nord, f, ddg, d2yy);
}

//// geometry map ////

void lagr1d(double x, double* l, double* d) {
    l[0] = 0.5 * x * (x - 1.0);
    l[1] = 1.0 - x * x;
    l[2] = 0.5 * x * (x + 1.0);
    d[0] = x - 0.5;
    d[1] = -2.0 * x;
    d[2] = x + 0.5;
}

void lagr2d(double xi, double eta, double* v, double* dvdxi, double* dvdeta) {
    double lx[3], dx[3], ly[3], dy[3];
    lagr1d(xi, lx, dx);
    lagr1d(eta, ly, dy);
    for (int k = 0; k < 9; ++k) {
        const int a = XI_POS[k] - 1, b = ETA_POS[k] - 1;
        v[k] = lx[a] * ly[b];
        dvdxi[k] = dx[a] * ly[b];
        dvdeta[k] = lx[a] * dy[b];
    }
}

void bjcbian(const double* xnod, double xi, double eta, double& dxdxi, double& dxdeta,
             double& dydxi, double& dydeta, double& x, double& y, double& dxidx, double& dxidy,
             double& detadx, double& detady, double& detj) {
    double v[9], vxi[9], veta[9];
    lagr2d(xi, eta, v, vxi, veta);
    double px = 0.0, py = 0.0, a11 = 0.0, a12 = 0.0, a21 = 0.0, a22 = 0.0;
    for (int k = 0; k < 9; ++k) {
        const double xk = xnod[2 * k], yk = xnod[2 * k + 1];
        px += v[k] * xk;
        py += v[k] * yk;
        a11 += vxi[k] * xk;
        a12 += veta[k] * xk;
        a21 += vxi[k] * yk;
        a22 += veta[k] * yk;
    }
    x = px;
    y = py;
    dxdxi = a11;
    dxdeta = a12;
    dydxi = a21;
    dydeta = a22;
    detj = a11 * a22 - a12 * a21;
    dxidx = a22 / detj;
    dxidy = -a12 / detj;
    detadx = -a21 / detj;
    detady = a11 / detj;
}

void jcbian(const double* xnod, double xi, double eta, double& x, double& y, double& dxidx,
            double& dxidy, double& detadx, double& detady, double& detj) {
    double a11, a12, a21, a22;
    bjcbian(xnod, xi, eta, a11, a12, a21, a22, x, y, dxidx, dxidy, detadx, detady, detj);
}

void getcoord(const double* xnod, double x, double y, double& xi, double& eta) {
    // Newton's method stops when the correction is below 1e-3 (single precision).
    constexpr double TOL = 0.0010000000474974513;
    int iter = 0;
    for (;;) {
        if (++iter > 10) error("GETCOO");
        double a11, a12, a21, a22, px, py, d1, d2, d3, d4, detj;
        bjcbian(xnod, xi, eta, a11, a12, a21, a22, px, py, d1, d2, d3, d4, detj);
        const double rx = x - px, ry = y - py;
        const double dxi = (rx * a22 - ry * a12) / detj;
        const double deta = (ry * a11 - rx * a21) / detj;
        xi += dxi;
        eta += deta;
        if (std::max(std::fabs(dxi), std::fabs(deta)) < TOL) return;
    }
}

void interp(int /*nel*/, const int* ndofl, const double* ue, const double* xnod, double xi,
            double eta, double& u, double& x, double& y) {
    double d1, d2, d3, d4, detj;
    jcbian(xnod, xi, eta, x, y, d1, d2, d3, d4, detj);
    int nord[9];
    for (int k = 0; k < 4; ++k) nord[k] = 1;
    for (int k = 4; k < 8; ++k) nord[k] = ndofl[k] + 1;
    nord[8] = static_cast<int>(std::sqrt(static_cast<float>(ndofl[8]) + 0.1f)) + 1;
    double val[MAX_ELFUN];
    shape2(nord, xi, eta, val);
    // Walk the functions node by node; a node without degrees of freedom adds
    // nothing, and its functions (a vertex's one) are passed over.
    u = 0.0;
    int p = 0, m = 0;
    for (int k = 0; k < 9; ++k) {
        int nf = k < 4 ? 1 : (k < 8 ? nord[k] - 1 : (nord[8] - 1) * (nord[8] - 1));
        if (ndofl[k] > 0)
            for (int t = 0; t < nf; ++t) u += ue[m++] * val[p + t];
        p += nf;
    }
}

}  // namespace kavren
