// Solution sampling and the evaluators around it.
#include "plot/sample.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "control/debug.hpp"
#include "control/extension.hpp"
#include "control/utility.hpp"
#include "eval/evaluator.hpp"
#include "fem/shape.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/mesh_debug.hpp"
#include "hpmesh/tree.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"

namespace kavren {

namespace {

// One element's local values of every component it samples.
struct ElementValues {
    int ndofe = 0;
    Arr1<int, 9> ndofl;
    double dof[MXEQNS_MAX][MAX_ELFUN] = {};
    int ncomp = 0;  // components held
};

// Shape-function orders from the dofs at each node, as the local values run.
void orders_of(const Arr1<int, 9>& ndofl, int* nord) {
    for (int k = 0; k < 4; ++k) nord[k] = 1;
    for (int k = 4; k < 8; ++k) nord[k] = ndofl(k + 1) + 1;
    nord[8] = static_cast<int>(std::sqrt(static_cast<float>(ndofl(9)) + 0.1f)) + 1;
}

// Position, values and x-, y-derivatives of the components at a local point.
struct PointValues {
    double x = 0.0, y = 0.0;
    double u[MXEQNS_MAX] = {}, ux[MXEQNS_MAX] = {}, uy[MXEQNS_MAX] = {};
};

void point_values(const ElementValues& e, const NodePoints& xnodl, double xi, double eta,
                  PointValues& p) {
    double dxidx, dxidy, detadx, detady, detj;
    jcbian(xnodl.data(), xi, eta, p.x, p.y, dxidx, dxidy, detadx, detady, detj);
    int nord[9];
    orders_of(e.ndofl, nord);
    double v[MAX_ELFUN], dxi[MAX_ELFUN], deta[MAX_ELFUN];
    shape2(nord, xi, eta, v);
    dshap2(nord, xi, eta, dxi, deta);
    for (int m = 0; m < e.ncomp; ++m) {
        double s = 0.0, sx = 0.0, sy = 0.0;
        for (int k = 0; k < e.ndofe; ++k) {
            s += e.dof[m][k] * v[k];
            sx += e.dof[m][k] * (dxi[k] * dxidx + deta[k] * detadx);
            sy += e.dof[m][k] * (dxi[k] * dxidy + deta[k] * detady);
        }
        p.u[m] = s;
        p.ux[m] = sx;
        p.uy[m] = sy;
    }
}

// Grid step of n intervals over [-1, 1], in single precision.
double grid_step(int n) {
    return static_cast<double>(2.0f / static_cast<float>(n));
}

DebugSwitch usfnxy_debug("USFNXY");

// Gauss-Jordan without pivoting on the leading nt x nt block; false at an
// exact zero pivot.
template <typename T>
bool gauss_jordan(T* a, int lda, int nt, T* b) {
    auto at = [a, lda](int i, int j) -> T& { return a[(i - 1) + (j - 1) * lda]; };
    for (int i = 1; i <= nt; ++i) {
        if (at(i, i) == 0) return false;
        const T r = 1 / at(i, i);
        for (int j = i; j <= nt; ++j) at(i, j) *= r;
        b[i - 1] *= r;
        for (int j = 1; j <= nt; ++j) {
            if (j == i) continue;
            const T c = at(j, i);
            for (int k = i + 1; k <= nt; ++k) at(j, k) -= c * at(i, k);
            b[j - 1] -= c * b[i - 1];
        }
    }
    return true;
}

}  // namespace

int fit_terms(int ng) {
    return ng >= 3 ? 6 : (ng == 2 ? 3 : 1);
}

void usfnxy(int nel, const double* u, int icolu, int nsubel, int icomp, int iresmp, int ired,
            NodePoints& xnodl, double* x, double* y, double* f, int ldim, int& n) {
    if (usfnxy_debug.on(nel)) dbg_int("USFNXY", "NEL", nel);
    const int komp = std::abs(icomp) % 100;
    const bool solution = icomp >= -99 && icomp <= -1;
    const bool gauss = icomp >= 101;
    ElementValues e;
    if (solution) {
        // A column beyond the arrays' components samples nothing.
        e.ncomp = 1;
        if (komp <= MXEQNS_MAX)
            solelm(nel, e.ndofe, e.ndofl, e.dof[0], u + static_cast<long>(icolu) * (komp - 1));
        else
            solelm(nel, e.ndofe, e.ndofl, e.dof[0], u), std::fill_n(e.dof[0], MAX_ELFUN, 0.0);
    } else {
        e.ncomp = std::clamp(ceqsys.NREQNS, 1, MXEQNS_MAX);
        for (int m = 0; m < e.ncomp; ++m)
            solelm(nel, e.ndofe, e.ndofl, e.dof[m], u + static_cast<long>(icolu) * m);
    }
    nodcor(nel, xnodl);
    int slot = 0;
    findno(nel, slot);
    Arr1<int, 9> nord;
    for (int k = 1; k <= 9; ++k) {
        int node = 0, order = 0;
        decode(celem.NICK(k, slot), node, order);
        nord(k) = std::abs(order);
    }
    // Grid positions of a Gauss-point code come from its own solution component.
    const int kpos = solution ? 0 : (gauss && komp >= 1 && komp <= e.ncomp ? komp - 1 : 0);

    const int nn = nsubel <= 0 ? 1 : 1 << std::min(nsubel, MAX_NSUBEL);
    const double h = grid_step(nn);
    auto at = [ldim](double* a, int i, int j) -> double& { return a[(i - 1) + (j - 1) * ldim]; };
    for (int i = 1; i <= nn + 1; ++i) {
        const double xi = (i - 1) * h - 1.0;
        for (int j = 1; j <= nn + 1; ++j) {
            const double eta = (j - 1) * h - 1.0;
            if (solution || gauss) {
                inter1(e.ndofl, e.dof[kpos], xnodl, xi, eta, at(f, i, j), at(x, i, j), at(y, i, j));
                continue;
            }
            PointValues p;
            point_values(e, xnodl, xi, eta, p);
            at(x, i, j) = p.x;
            at(y, i, j) = p.y;
            if (icomp >= 1 && icomp <= 100)
                at(f, i, j) = userf(nel, p.x, p.y, p.u, p.ux, p.uy, komp);
            else
                at(f, i, j) = userfn(USERFN_GRID, nel, xi, eta, p.x, p.y, p.u, p.ux, p.uy, komp);
        }
    }
    n = nn;
    if (!gauss) return;

    int pmax = 1;
    for (int k = 5; k <= 8; ++k) pmax = std::max(pmax, nord(k));
    const int ng = std::clamp(pmax + 1 - ired, 1, NQUAD_RULES);
    double xg[NQUAD_RULES];
    for (int i = 1; i <= ng; ++i) xg[i - 1] = cint.XG(i, ng);
    GaussValues vg;
    for (int i = 1; i <= ng; ++i)
        for (int j = 1; j <= ng; ++j) {
            PointValues p;
            point_values(e, xnodl, xg[i - 1], xg[j - 1], p);
            const double v =
                userfn(USERFN_GAUSS, nel, xg[i - 1], xg[j - 1], p.x, p.y, p.u, p.ux, p.uy, komp);
            if (iresmp != 0)
                vg(i, j) = v;
            else
                at(f, i, j) = v;
        }
    if (iresmp != 0) {
        n = nn;
        intpgs(xg, vg, ng, f, n, ldim);
    } else {
        n = ng - 1;
    }
}

void inter1(const Arr1<int, 9>& ndofl, const double* dof, const NodePoints& xnodl, double xi,
            double eta, double& f, double& x, double& y) {
    interp(0, ndofl.data(), dof, xnodl.data(), xi, eta, f, x, y);
}

void cordin(const NodePoints& xnodl, double xi, double eta, double& x, double& y) {
    const double a = xi / 2.0, b = eta / 2.0;
    const double l1 = a * (xi - 1.0), l3 = a * (xi + 1.0);
    const double m1 = b * (eta - 1.0), m3 = b * (eta + 1.0);
    const double q = 1.0 - xi * xi, r = 1.0 - eta * eta;
    const double w[9] = {l1 * m1, l3 * m1, l3 * m3, l1 * m3, q * m1, r * l3, q * m3, r * l1, q * r};
    x = 0.0;
    y = 0.0;
    for (int k = 1; k <= 9; ++k) {
        x += w[k - 1] * xnodl(1, k);
        y += w[k - 1] * xnodl(2, k);
    }
}

void displa(double& dmax, double scale, const Arr1<int, 9>& ndofl, const NodePoints& xnodl,
            NodePoints& xdef, const double* du, const double* dv) {
    // Local node at (xi, eta) = (-1, 0, 1) x (-1, 0, 1), eta outer.
    static constexpr int kNode[3][3] = {{1, 5, 2}, {8, 9, 6}, {4, 7, 3}};
    dmax = -1e10;
    for (int je = 0; je < 3; ++je)
        for (int ix = 0; ix < 3; ++ix) {
            const double xi = ix - 1.0, eta = je - 1.0;
            double ux = 0.0, vy = 0.0, x = 0.0, y = 0.0;
            inter1(ndofl, du, xnodl, xi, eta, ux, x, y);
            inter1(ndofl, dv, xnodl, xi, eta, vy, x, y);
            const int k = kNode[je][ix];
            xdef(1, k) = xnodl(1, k) + scale * ux;
            xdef(2, k) = xnodl(2, k) + scale * vy;
            const double d = std::sqrt(ux * ux + vy * vy);
            if (d > dmax) dmax = d;
        }
}

void decodn(const NodePoints& xnodl, Arr1<int, 9>& nord) {
    bool four = true;
    for (int k = 5; k <= 9; ++k)
        if (xnodl(1, k) != 0.0 || xnodl(2, k) != 0.0) four = false;
    for (int k = 1; k <= 9; ++k) nord(k) = four ? (k <= 4 ? 1 : 0) : 2;
}

void intpgs(const double* xg, const GaussValues& vg, int ng, double* f, int n, int ldf) {
    double p[2 * NQUAD_RULES * NQUAD_RULES], v[NQUAD_RULES * NQUAD_RULES];
    int m = 0;
    for (int i = 1; i <= ng; ++i)
        for (int j = 1; j <= ng; ++j) {
            p[2 * m] = xg[i - 1];
            p[2 * m + 1] = xg[j - 1];
            v[m] = vg(i, j);
            ++m;
        }
    const int nt = fit_terms(ng);
    const double h = grid_step(n);
    for (int i = 1; i <= n + 1; ++i)
        for (int j = 1; j <= n + 1; ++j) {
            double cf[6];
            apxmin((i - 1) * h - 1.0, (j - 1) * h - 1.0, cf, p, v, m, nt);
            f[(i - 1) + (j - 1) * ldf] = cf[0];
        }
}

void apxmin(double xi, double eta, double* cf, const double* p, const double* v, int m, int nt) {
    // The terms 1, dx, dy, dx^2/2, dx dy, dy^2/2. The weights span many
    // decades near a data point, so the sums and the solution are carried in
    // extended precision.
    using Real = long double;
    static constexpr int kA[6] = {0, 1, 0, 2, 1, 0};
    static constexpr int kB[6] = {0, 0, 1, 0, 1, 2};
    static constexpr Real kF[6] = {1.0L, 1.0L, 1.0L, 0.5L, 1.0L, 0.5L};
    constexpr Real kEps = 9.999999682655225e-21L;
    for (;;) {
        Real c[6] = {};
        Real s[5][5] = {};
        bool exact = false;
        Real v0 = 0;
        for (int k = 0; k < m; ++k) {
            const Real dx = Real(p[2 * k]) - xi, dy = Real(p[2 * k + 1]) - eta;
            const Real d2 = dx * dx + dy * dy;
            if (fabsl(d2 * d2 * d2) < kEps) {
                exact = true;
                v0 = v[k];
            }
        }
        for (int k = 0; k < m; ++k) {
            const Real dx = Real(p[2 * k]) - xi, dy = Real(p[2 * k + 1]) - eta;
            const Real d2 = dx * dx + dy * dy;
            const Real d6 = d2 * d2 * d2;
            if (fabsl(d6) < kEps) continue;
            const Real w = 1 / d6;
            Real px[5] = {1}, py[5] = {1};
            for (int a = 1; a <= 4; ++a) {
                px[a] = px[a - 1] * dx;
                py[a] = py[a - 1] * dy;
            }
            for (int a = 0; a <= 4; ++a)
                for (int b = 0; a + b <= 4; ++b) s[a][b] += w * px[a] * py[b];
            for (int t = 0; t < nt; ++t) c[t] += w * px[kA[t]] * py[kB[t]] * (v[k] - v0);
        }
        std::fill_n(cf, 6, 0.0);
        if (nt == 0) {
            cf[0] = static_cast<double>(v0);
            return;
        }
        Real a[36];
        for (int t = 0; t < nt; ++t) {
            for (int u = 0; u < nt; ++u)
                a[t + 6 * u] = s[kA[t] + kA[u]][kB[t] + kB[u]] * kF[t] * kF[u];
            c[t] *= kF[t];
        }
        if (exact) {
            for (int u = 0; u < nt; ++u) {
                a[0 + 6 * u] = 0;
                a[u + 0] = 0;
            }
            a[0] = 1;
            c[0] = v0;
        }
        if (gauss_jordan(a, 6, nt, c)) {
            for (int t = 0; t < nt; ++t) cf[t] = static_cast<double>(c[t]);
            return;
        }
        nt /= 2;
    }
}

bool ssls(double* a, int lda, int nt, double* b) {
    return gauss_jordan(a, lda, nt, b);
}

}  // namespace kavren
