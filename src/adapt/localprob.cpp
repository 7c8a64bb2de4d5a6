#include "adapt/localprob.hpp"

#include <algorithm>
#include <cmath>

#include "adapt/estimator_detail.hpp"
#include "adapt/increment.hpp"
#include "fem/mesh_seams.hpp"
#include "fem/shape.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "records/estimator.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"
#include "records/preso.hpp"
#include "records/solver.hpp"
#include "user/problem.hpp"

namespace kavren {

namespace estimator_detail {

void domain_coefficients(double x, double y, Coefficients& k) {
    problem_mcoeff(LDC, x, y, k.a11, k.a12, k.a21, k.a22, k.b1, k.b2, k.d1, k.d2, k.c, k.rh,
                   k.rhx, k.rhy);
}

void map_point(const double* xnod, double xi, double eta, double& x, double& y, double& detj) {
    bjcbian(xnod, xi, eta, celsize1.DXDXI, celsize1.DXDETA, celsize1.DYDXI, celsize1.DYDETA, x,
            y, celsize2.DXIDX, celsize2.DXIDY, celsize2.DETADX, celsize2.DETADY, detj);
}

namespace {

void physical(int n, const double* dxi, const double* deta, double* fx, double* fy) {
    const Celsize2& m = celsize2;
    for (int k = 0; k < n; ++k) {
        fx[k] = dxi[k] * m.DXIDX + deta[k] * m.DETADX;
        fy[k] = dxi[k] * m.DXIDY + deta[k] * m.DETADY;
    }
}

}  // namespace

void element_functions(const int* ord, double xi, double eta, int ndofe, double* phi,
                       double* phix, double* phiy) {
    double dxi[MAX_ELFUN], deta[MAX_ELFUN];
    shape2(ord, xi, eta, phi);
    dshap2(ord, xi, eta, dxi, deta);
    physical(ndofe, dxi, deta, phix, phiy);
}

void increment_functions(const int* ord, double xi, double eta, int nb, double* psi,
                         double* psix, double* psiy) {
    double dxi[MAX_INC_FUN], deta[MAX_INC_FUN];
    shapeb(ord, xi, eta, psi);
    dshapb(ord, xi, eta, dxi, deta);
    physical(nb, dxi, deta, psix, psiy);
}

void current_point(int i, int j, double xi, double eta, int n, const double* phi,
                   const double* phix, const double* phiy) {
    cmelem.IINT = i;
    cmelem.IJNT = j;
    cmelem.XI = xi;
    cmelem.ETA = eta;
    std::copy_n(phi, n, cmelem.VSHAP.data());
    std::copy_n(phix, n, cmelem.VSHAPX.data());
    std::copy_n(phiy, n, cmelem.VSHAPY.data());
}

double dot(const double* f, const double* ue, int n) {
    double s = 0.0;
    for (int k = 0; k < n; ++k) s += f[k] * ue[k];
    return s;
}

}  // namespace estimator_detail

using namespace estimator_detail;

namespace {

// The element's solution and gradient of components 1..NREQNS at the current
// point, from its functions and the values UENEW of cpreso.
void solution_at(const double* phi, const double* phix, const double* phiy, double* u, double* ux,
                 double* uy) {
    const int n = cpreso.NDOFE;
    for (int e = 1; e <= ceqsys.NREQNS; ++e) {
        const double* ue = &cpreso.UENEW(1, e);
        u[e - 1] = dot(phi, ue, n);
        ux[e - 1] = dot(phix, ue, n);
        uy[e - 1] = dot(phiy, ue, n);
    }
}

// Boundary kinds (1..4) and numbers (5..8) of the element's sides.
void side_kinds(int nel, int* kinds) {
    decod2(nel, 4, kinds);
}

double& k_at(double* xk, int ldxk, int r, int c) {
    return xk[(r - 1) + static_cast<long>(c - 1) * ldxk];
}

// The side opposite side s of a neighbour with the same axes.
int opposite(int s) {
    return (s + 1) % 4 + 1;
}

}  // namespace

void estimator_extract(int nel, const double* uold, const double* unew, int ld, int* ord,
                       double* xnod) {
    int slot = 0;
    findno(nel, slot);
    for (int k = 1; k <= 9; ++k) {
        int node = 0, p = 0;
        const int nick = celem.NICK(k, slot);
        node = nick / 100;
        p = std::abs(nick - 100 * node);
        ord[k - 1] = k >= 5 ? std::max(1, p) : p;
    }
    cpreso.NEL = nel;
    for (int j = 1; j <= MXEQNS_MAX; ++j) {
        const long col = static_cast<long>(j - 1) * ld;
        solelm(nel, cpreso.NDOFE, cpreso.NDOFL, &cpreso.UEOLD(1, j), uold + col);
        solelm(nel, cpreso.NDOFE, cpreso.NDOFL, &cpreso.UENEW(1, j), unew + col);
    }
    Arr2<double, 2, 9> xnodl;
    nodcor(nel, xnodl);
    std::copy_n(xnodl.data(), 18, xnod);
    double longest = 0.0;
    for (int k = 1; k <= 4; ++k) {
        const int m = k % 4 + 1;
        longest = std::max(longest, std::hypot(xnodl(1, m) - xnodl(1, k), xnodl(2, m) - xnodl(2, k)));
    }
    celsize.ELSIZE = longest;
}

int estimator_area_points(const int* ord) {
    return std::max({1, ord[4], ord[5], ord[6], ord[7]}) + 2;
}

void estimator_side_rule(int p, int kind, double* t, double* w, int& nint) {
    const int nord = p <= 0 ? 2 : p + 1;
    bointg(nord, kind, t, w, nint);
}

void side_point(int s, double t, double& xi, double& eta) {
    xi = s == 1 || s == 3 ? t : (s == 2 ? 1.0 : -1.0);
    eta = s == 2 || s == 4 ? t : (s == 1 ? -1.0 : 1.0);
}

void side_tangent(int s, double& tx, double& ty) {
    const bool along_xi = s == 1 || s == 3;
    const double sign = s <= 2 ? 1.0 : -1.0;
    tx = sign * (along_xi ? celsize1.DXDXI : celsize1.DXDETA);
    ty = sign * (along_xi ? celsize1.DYDXI : celsize1.DYDETA);
}

//// melemb ////

int melemb(const int* ord, const double* xnod, int ldxk, double* xk, double* rhs) {
    const int neq = ceqsys.NREQNS;
    const int nb = increment_count(ord);
    const int ndofe = cpreso.NDOFE;
    const int ng = estimator_area_points(ord);
    Coefficients k;
    Cmelemb& p = cmelemb;
    for (int j = 1; j <= ng; ++j) {
        for (int i = 1; i <= ng; ++i) {
            const double xi = cint.XG(i, ng), eta = cint.XG(j, ng);
            double x, y, detj;
            map_point(xnod, xi, eta, x, y, detj);
            p.XA(i, j) = x;
            p.YA(i, j) = y;
            p.DETJ(i, j) = detj;
            if (!(detj > 0.0)) return EST_FAILED;
            double* phi = &p.PHI(1, i, j);
            double* phix = &p.PHIX(1, i, j);
            double* phiy = &p.PHIY(1, i, j);
            element_functions(ord, xi, eta, ndofe, phi, phix, phiy);
            double* u = &p.U(1, i, j);
            double* ux = &p.UX(1, i, j);
            double* uy = &p.UY(1, i, j);
            solution_at(phi, phix, phiy, u, ux, uy);
            double* psi = &p.PSI(1, i, j);
            double* psix = &p.PSIX(1, i, j);
            double* psiy = &p.PSIY(1, i, j);
            increment_functions(ord, xi, eta, nb, psi, psix, psiy);

            current_point(i, j, xi, eta, ndofe, phi, phix, phiy);
            domain_coefficients(x, y, k);

            const double w = cint.W2(i, j, ng) * detj;
            for (int c = 1; c <= neq; ++c) {
                // The residual of u against every function of equation c.
                double fv = k.rh[c - 1], fx = k.rhx[c - 1], fy = k.rhy[c - 1];
                for (int e = 1; e <= neq; ++e) {
                    const int q = at(c, e);
                    const double ue = u[e - 1], uex = ux[e - 1], uey = uy[e - 1];
                    fv -= k.c[q] * ue + k.b1[q] * uex + k.b2[q] * uey;
                    fx -= k.d1[q] * ue + k.a11[q] * uex + k.a12[q] * uey;
                    fy -= k.d2[q] * ue + k.a21[q] * uex + k.a22[q] * uey;
                }
                for (int m = 1; m <= nb; ++m)
                    rhs[(c - 1) * nb + m - 1] +=
                        w * (fv * psi[m - 1] + fx * psix[m - 1] + fy * psiy[m - 1]);
                for (int e = 1; e <= neq; ++e) {
                    const int q = at(c, e);
                    const double kc = k.c[q], kb1 = k.b1[q], kb2 = k.b2[q];
                    const double kd1 = k.d1[q], k11 = k.a11[q], k12 = k.a12[q];
                    const double kd2 = k.d2[q], k21 = k.a21[q], k22 = k.a22[q];
                    if (kc == 0 && kb1 == 0 && kb2 == 0 && kd1 == 0 && k11 == 0 && k12 == 0 &&
                        kd2 == 0 && k21 == 0 && k22 == 0)
                        continue;  // an uncoupled pair adds nothing
                    for (int n = 1; n <= nb; ++n) {
                        // The trial function's three factors.
                        const double tv = w * (kc * psi[n - 1] + kb1 * psix[n - 1] + kb2 * psiy[n - 1]);
                        const double tx = w * (kd1 * psi[n - 1] + k11 * psix[n - 1] + k12 * psiy[n - 1]);
                        const double ty = w * (kd2 * psi[n - 1] + k21 * psix[n - 1] + k22 * psiy[n - 1]);
                        double* col = &k_at(xk, ldxk, (c - 1) * nb + 1, (e - 1) * nb + n);
                        for (int m = 0; m < nb; ++m)
                            col[m] += psi[m] * tv + psix[m] * tx + psiy[m] * ty;
                    }
                }
            }
        }
    }
    return EST_DONE;
}

//// belemb ////

void belemb(int nel, const int* ord, const double* xnod, int ldxk, double* xk, double* rhs) {
    const int neq = ceqsys.NREQNS;
    const int nb = increment_count(ord);
    const int ndofe = cpreso.NDOFE;
    int kinds[8];
    side_kinds(nel, kinds);
    SideCoefficients b;
    double psi[MAX_INC_FUN], psix[MAX_INC_FUN], psiy[MAX_INC_FUN];
    double u[MAX_EQNS], ux[MAX_EQNS], uy[MAX_EQNS];
    for (int s = 1; s <= 4; ++s) {
        const int nbound = kinds[4 + s - 1];
        if (nbound == 0) continue;
        const int kind = kinds[s - 1];
        double t[NQUAD_RULES], wt[NQUAD_RULES];
        int nint = 0;
        estimator_side_rule(ord[4 + s - 1], kind, t, wt, nint);
        cbelem.IS = s;
        for (int ip = 1; ip <= nint; ++ip) {
            double xi, eta, x, y, detj;
            side_point(s, t[ip - 1], xi, eta);
            map_point(xnod, xi, eta, x, y, detj);
            cbelem.IINT = ip;
            cbelem.XI = xi;
            cbelem.ETA = eta;
            element_functions(ord, xi, eta, ndofe, cbelem.VSHAP.data(), cbelem.VSHAPX.data(),
                              cbelem.VSHAPY.data());
            for (int e = 1; e <= neq; ++e) {
                const double* ue = &cpreso.UENEW(1, e);
                cblank.UACC = 0.0;
                for (int q = 1; q <= ndofe; ++q) cblank.UACC += cbelem.VSHAP(q) * ue[q - 1];
                u[e - 1] = cblank.UACC;
                ux[e - 1] = dot(cbelem.VSHAPX.data(), ue, ndofe);
                uy[e - 1] = dot(cbelem.VSHAPY.data(), ue, ndofe);
            }
            increment_functions(ord, xi, eta, nb, psi, psix, psiy);
            double tx, ty;
            side_tangent(s, tx, ty);
            const double len = std::hypot(tx, ty);
            if (!(len > 0.0)) continue;  // a collapsed side point carries nothing
            const double utx = tx / len, uty = ty / len;
            const double nx = uty, ny = -utx;
            const double ps = psi[s - 1];
            const double pst = utx * psix[s - 1] + uty * psiy[s - 1];
            problem_bcoeff(nel, LDC, kind, nbound, x, y, nx, ny, utx, uty, b.att, b.bt, b.pt, b.c,
                           b.gt, b.g);
            const double w = wt[ip - 1] * len;
            for (int c = 1; c <= neq; ++c) {
                const int r = (c - 1) * nb + s;
                double f = b.g[c - 1] * ps + b.gt[c - 1] * pst;
                for (int e = 1; e <= neq; ++e) {
                    const int q = at(c, e);
                    const double uet = utx * ux[e - 1] + uty * uy[e - 1];
                    f -= u[e - 1] * (b.c[q] * ps + b.bt[q] * pst) +
                         uet * (b.pt[q] * ps + b.att[q] * pst);
                    k_at(xk, ldxk, r, (e - 1) * nb + s) +=
                        w * (b.c[q] * ps * ps + (b.bt[q] + b.pt[q]) * ps * pst +
                             b.att[q] * pst * pst);
                }
                rhs[r - 1] += w * f;
            }
        }
    }
}

//// delemb1 ////

void delemb1(int nel, const int* ord, const double* xnod, int ldxk, double* xk, double* rhs,
             const double* /*uold*/, const double* /*unew*/, int /*ld*/) {
    const int neq = ceqsys.NREQNS;
    const int nb = increment_count(ord);
    const int ndofe = cpreso.NDOFE;
    int kinds[8];
    side_kinds(nel, kinds);
    Coefficients k;
    double phi[MAX_ELFUN], phix[MAX_ELFUN], phiy[MAX_ELFUN];
    double psi[MAX_INC_FUN], psix[MAX_INC_FUN], psiy[MAX_INC_FUN];
    for (int s = 1; s <= 4; ++s) {
        if (kinds[4 + s - 1] != 0) continue;
        double t[NQUAD_RULES], wt[NQUAD_RULES];
        int nint = 0;
        estimator_side_rule(ord[4 + s - 1], 0, t, wt, nint);
        for (int ip = 1; ip <= nint; ++ip) {
            double xi, eta, x, y, detj;
            side_point(s, t[ip - 1], xi, eta);
            map_point(xnod, xi, eta, x, y, detj);
            element_functions(ord, xi, eta, ndofe, phi, phix, phiy);
            current_point(ip, s, xi, eta, ndofe, phi, phix, phiy);
            double* u = &cdelemb1.U(1, ip, s);
            double* ux = &cdelemb1.UX(1, ip, s);
            double* uy = &cdelemb1.UY(1, ip, s);
            solution_at(phi, phix, phiy, u, ux, uy);
            increment_functions(ord, xi, eta, nb, psi, psix, psiy);
            double tx, ty;
            side_tangent(s, tx, ty);
            const double len = std::hypot(tx, ty);
            if (!(len > 0.0)) continue;
            const double nx = ty / len, ny = -tx / len;
            domain_coefficients(x, y, k);
            const double w = wt[ip - 1] * len;
            const double ps = psi[s - 1];
            for (int c = 1; c <= neq; ++c) {
                const int r = (c - 1) * nb + s;
                double f = -(k.rhx[c - 1] * nx + k.rhy[c - 1] * ny);
                for (int e = 1; e <= neq; ++e) {
                    const int q = at(c, e);
                    const double dn = k.d1[q] * nx + k.d2[q] * ny;
                    k_at(xk, ldxk, r, (e - 1) * nb + s) -= w * ps * ps * dn;
                    const double fluxa = (k.a11[q] * ux[e - 1] + k.a12[q] * uy[e - 1]) * nx +
                                         (k.a21[q] * ux[e - 1] + k.a22[q] * uy[e - 1]) * ny;
                    f += u[e - 1] * dn + 0.5 * fluxa;
                }
                rhs[r - 1] += w * ps * f;
            }
        }
    }
}

//// delemb2 ////

namespace {

// Adds the neighbour m's half of the diffusive flux at the points of NEL's side s.
// Neighbour point of rule point k: sm tm_k + dm on m's side; NEL's own point:
// so t_k + dn on side s; w_k times the length element of m's side times wscale.
struct HalfSide {
    int m;             // the neighbour
    double sm, dm;     // its side parameter from the rule's
    double so, dn;     // NEL's side parameter from the rule's
    double wscale;     // factor of the weight
    int first_point;   // index of its first point in cdelemb2
};

void neighbour_flux(const int* ord, int s, const HalfSide& h, const double* t, const double* wt,
                    int nint, const double* uold, const double* unew, int ld, double* rhs) {
    const int neq = ceqsys.NREQNS;
    const int nb = increment_count(ord);
    int ordm[9];
    double xnodm[18];
    estimator_extract(h.m, uold, unew, ld, ordm, xnodm);
    const int ndofm = cpreso.NDOFE;
    const int sm = opposite(s);
    Coefficients k;
    double psi[MAX_INC_FUN], u[MAX_EQNS];
    for (int ip = 1; ip <= nint; ++ip) {
        const int q = h.first_point + ip - 1;
        double xim, etam, x, y, detj;
        side_point(sm, h.sm * t[ip - 1] + h.dm, xim, etam);
        map_point(xnodm, xim, etam, x, y, detj);
        double* phi = &cdelemb2.PHI(1, q, s);
        double* phix = &cdelemb2.PHIX(1, q, s);
        double* phiy = &cdelemb2.PHIY(1, q, s);
        element_functions(ordm, xim, etam, ndofm, phi, phix, phiy);
        current_point(ip, s, xim, etam, ndofm, phi, phix, phiy);
        double* ux = &cdelemb2.UX(1, q, s);
        double* uy = &cdelemb2.UY(1, q, s);
        solution_at(phi, phix, phiy, u, ux, uy);
        for (int e = 1; e <= neq; ++e) cdelemb2.U(e, q, s) = u[e - 1];
        // NEL's own function of side s at its own point.
        double xi, eta;
        side_point(s, h.so * t[ip - 1] + h.dn, xi, eta);
        shapeb(ord, xi, eta, psi);
        // The tangent of m's map taken as NEL's side s runs: NEL's outward normal.
        double tx, ty;
        side_tangent(s, tx, ty);
        const double len = std::hypot(tx, ty);
        if (!(len > 0.0)) continue;
        const double nx = ty / len, ny = -tx / len;
        domain_coefficients(x, y, k);
        const double w = wt[ip - 1] * h.wscale * len;
        const double ps = psi[s - 1];
        for (int c = 1; c <= neq; ++c) {
            double f = 0.0;
            for (int e = 1; e <= neq; ++e) {
                const int qq = at(c, e);
                f += (k.a11[qq] * ux[e - 1] + k.a12[qq] * uy[e - 1]) * nx +
                     (k.a21[qq] * ux[e - 1] + k.a22[qq] * uy[e - 1]) * ny;
            }
            rhs[(c - 1) * nb + s - 1] += w * ps * 0.5 * f;
        }
    }
}

}  // namespace

void delemb2(int nel, const int* ord, const double* xnod, int ldxk, double* xk, double* rhs,
             const double* uold, const double* unew, int ld) {
    // The neighbours' flux loads the right-hand side alone.
    (void)xnod;
    (void)xk;
    (void)ldxk;
    int kinds[8];
    side_kinds(nel, kinds);
    Arr1<int, 8> neig;
    neigbr(nel, neig);
    for (int s = 1; s <= 4; ++s) {
        if (kinds[4 + s - 1] != 0 || neig(s) == 0) continue;
        double t[NQUAD_RULES], wt[NQUAD_RULES];
        int nint = 0;
        estimator_side_rule(ord[4 + s - 1], 0, t, wt, nint);
        const bool low_first = s == 1 || s == 2;  // the first half is the lower or left one
        if (neig(s + 4) == 0) {
            HalfSide h{neig(s), 1.0, 0.0, 1.0, 0.0, 1.0, 1};
            Arr1<int, 8> neigm;
            neigbr(h.m, neigm);
            const int sm = opposite(s);
            if (neigm(sm + 4) != 0) {
                // NEL is one half of the larger neighbour's side.
                const bool first = neigm(sm) == nel;
                h.sm = 0.5;
                h.wscale = 0.5;
                h.dm = low_first ? (first ? 0.5 : -0.5) : (first ? -0.5 : 0.5);
            }
            neighbour_flux(ord, s, h, t, wt, nint, uold, unew, ld, rhs);
        } else {
            for (int half = 1; half <= 2; ++half) {
                HalfSide h{neig(s + 4 * (half - 1)), 1.0, 0.0, 0.5, 0.0, 1.0,
                           (half - 1) * nint + 1};
                h.dn = low_first ? (half - 1) - 0.5 : 0.5 - (half - 1);
                neighbour_flux(ord, s, h, t, wt, nint, uold, unew, ld, rhs);
            }
        }
    }
}

}  // namespace kavren
