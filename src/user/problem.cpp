#include "user/problem.hpp"

#include <cmath>

#include "adapt/exact.hpp"
#include "control/debug.hpp"
#include "control/messages.hpp"
#include "fem/mesh_seams.hpp"
#include "fem/shape.hpp"
#include "records/debug.hpp"
#include "records/problem.hpp"
#include "records/fem.hpp"

namespace kavren {

ExactSolution problem_exact = &exact;
DomainCoefficients problem_mcoeff = &mcoeff;
BoundaryCoefficients problem_bcoeff = &bcoeff;
Symmetrizer problem_symmetr = &symmetr;

namespace {

// Clears entries (1..n, 1..n) of a coefficient array of leading dimension ld.
void clear_block(double* a, int ld, int n) {
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) a[i + j * ld] = 0.0;
}

}  // namespace

void mcoeff(int ld, double x, double y, double* a11, double* a12, double* a21, double* a22,
            double* b1, double* b2, double* d1, double* d2, double* c, double* rh, double* rhx,
            double* rhy) {
    static int irout = 0, idbg = 0;
    if (irout != 100) initdbg("MCOEFF", irout, idbg);
    const int n = ceqsys.NREQNS;
    if (cdbg.IDBGSW(12 + idbg) == 1)
        dbgprint(1, "MCOEFF", "NREQNS", &ceqsys.NREQNS, nullptr, 1, 1, 1, 1, 1, 0);
    for (int k = 0; k < n; ++k) rh[k] = rhx[k] = rhy[k] = 0.0;
    for (double* a : {a11, a12, a21, a22, b1, b2, d1, d2, c}) clear_block(a, ld, n);

    double w, dw[2], ddw[4];
    problem_exact(x, y, w, dw, ddw);
    for (int k = 0; k < n; ++k) {
        a11[k + k * ld] = 1.0;
        a22[k + k * ld] = 1.0;
        c[k + k * ld] = 1.0;
        rh[k] = w - (ddw[0] + ddw[3]);
    }
}

void bcoeff(int /*nel*/, int ld, int /*kind*/, int nbound, double x, double y, double nx, double ny,
            double /*tx*/, double /*ty*/, double* att, double* bt, double* pt, double* c,
            double* gt, double* g) {
    const int n = ceqsys.NREQNS;
    for (int k = 0; k < n; ++k) gt[k] = g[k] = 0.0;
    for (double* a : {att, bt, pt, c}) clear_block(a, ld, n);

    double w, dw[2], ddw[4];
    problem_exact(x, y, w, dw, ddw);
    const double dwdn = nx * dw[0] + ny * dw[1];
    const double eps = 1e-8;
    const double alpha = 1.0, beta = 1.0;
    const double gamma = alpha * w + beta * dwdn;
    for (int k = 0; k < n; ++k) {
        double& ckk = c[k + k * ld];
        if (nbound == 2) {  // Robin
            ckk = alpha / beta;
            g[k] = gamma / beta;
        } else if (nbound == 3) {  // Neumann
            g[k] = dwdn;
        } else {  // Dirichlet by penalty
            ckk = 1.0 / eps;
            g[k] = (1.0 / eps) * w;
        }
    }
}

void bointg(int nord, int kind, double* xpts, double* wgts, int& nint) {
    if (kind >= 1 && kind <= 4) {
        nint = cboint.IBOINT == 0 ? nord + 1 : nord;
        for (int i = 1; i <= nint; ++i) {
            xpts[i - 1] = cint1l.XL(i, nint);
            wgts[i - 1] = cint1l.WL(i, nint);
        }
        return;
    }
    nint = nord + 1;
    for (int i = 1; i <= nint; ++i) {
        xpts[i - 1] = cint.XG(i, nint);
        wgts[i - 1] = cint1.WG(i, nint);
    }
}

void symmetr(const double* /*v1*/, const double* /*v2*/, const double* /*v3*/, double* m1,
             double* m2, double* m3) {
    for (int j = 0; j < MAX_EQNS; ++j)
        for (int i = 0; i < MAX_EQNS; ++i) {
            m1[i + j * MAX_EQNS] = i == j ? 1.0 : 0.0;
            m2[i + j * MAX_EQNS] = 0.0;
            m3[i + j * MAX_EQNS] = 0.0;
        }
}

void bcoef1(int nel, int is, double t, double& xn, double& yn, int& iflag) {
    iflag = 0;
    const double tc = (is == 3 || is == 4) ? -t : t;  // counter-clockwise side coordinate
    int end = 0;
    if (std::fabs(tc - (-1.0)) < 1e-30)
        end = 1;
    else if (std::fabs(tc - 1.0) < 1e-30)
        end = 2;
    if (end == 0) return;
    int nb = 0, nb_other = 0;
    double side[6], other[6];
    if (!meeting_boundary_side(nel, is, end, nb, side, nb_other, other)) return;
    if (nb != nb_other) return;
    iflag = 1;
    // The curve that ends at the common point comes first.
    if (end == 2)
        bcoef2(side, other, xn, yn);
    else
        bcoef2(other, side, xn, yn);
}

void bcoef2(const double* p, const double* q, double& xn, double& yn) {
    const double gap = std::hypot(p[4] - q[0], p[5] - q[1]);
    if (gap > 1e-30) error("BCOEF2");
    // Outward unit normal (ty, -tx) of a counter-clockwise curve at parameter t.
    auto normal = [](const double* r, double t, double& nx, double& ny) {
        double l[3], d[3];
        lagr1d(t, l, d);
        // lagr1d orders its nodes -1, 0, +1: end, middle, end.
        const double tx = d[0] * r[0] + d[1] * r[2] + d[2] * r[4];
        const double ty = d[0] * r[1] + d[1] * r[3] + d[2] * r[5];
        const double len = std::hypot(tx, ty);
        nx = ty / len;
        ny = -tx / len;
    };
    double n1x, n1y, n2x, n2y;
    normal(p, 1.0, n1x, n1y);
    normal(q, -1.0, n2x, n2y);
    const double mx = 0.5 * (n1x + n2x), my = 0.5 * (n1y + n2y);
    const double len = std::hypot(mx, my);
    xn = mx / len;
    yn = my / len;
}

}  // namespace kavren
