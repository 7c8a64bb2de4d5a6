#include "adapt/reserest.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "adapt/estimator_detail.hpp"
#include "adapt/increment.hpp"
#include "adapt/localprob.hpp"
#include "control/debug.hpp"
#include "control/extension.hpp"
#include "control/messages.hpp"
#include "fem/mesh_seams.hpp"
#include "fem/shape.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/tree.hpp"
#include "records/control.hpp"
#include "records/debug.hpp"
#include "records/estimate.hpp"
#include "records/estimator.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"
#include "records/preso.hpp"
#include "support/format.hpp"
#include "user/problem.hpp"

namespace kavren {

using namespace estimator_detail;

namespace {

// The smallest pivot the local solve takes: 1e-30 in single precision.
constexpr double SMALL_PIVOT = 1.0000000031710769e-30;

// A debug-capable routine: its registration with initdbg lives in cestdbg.
struct Registration {
    int k;  // 1 RESEREST, 2 ERRCON, 3 ERRCONB
    std::string_view name;
    bool on(int nel) const {
        if (cestdbg.IROUT(k) != 100) initdbg(name, cestdbg.IROUT(k), cestdbg.IDBG(k));
        return debug_selects(flag(), nel);
    }
    int flag() const { return cdbg.IDBGSW(12 + cestdbg.IDBG(k)); }
};
constexpr Registration reg_reserest{1, "RESEREST"}, reg_errcon{2, "ERRCON"},
    reg_errconb{3, "ERRCONB"};

void trace_line(std::initializer_list<fmt::Item> items) {
    write_terminal(fmt::list(items));
}
void trace_reals(std::string_view routine, std::string_view label, const double* a, int n) {
    dbgprint(2, routine, label, nullptr, a, n, 1, n, 1, 1, 0);
}
void trace_real(std::string_view routine, std::string_view label, double v) {
    dbgprint(2, routine, label, nullptr, &v, 1, 1, 1, 1, 1, 0);
}
void trace_int(std::string_view routine, std::string_view label, int v) {
    dbgprint(1, routine, label, &v, nullptr, 1, 1, 1, 1, 1, 0);
}

// A square root of a functional's value; a negative value is named on the
// terminal and its magnitude taken.
double root_of(double value, int nel) {
    if (value < 0.0) trace_line({"*** NEGATIVE ERROR IN NEL ***", value, nel});
    return std::sqrt(std::fabs(value));
}

// The state solution at a point (the element's UEOLD, all four components),
// the symmetrizer there, and the image psi of fi with its derivatives.
struct Image {
    double cvect[MAX_EQNS], cvectx[MAX_EQNS], cvecty[MAX_EQNS];
    double asym[LDC * LDC], asymx[LDC * LDC], asymy[LDC * LDC];
};
void image_of(const double* phi, const double* phix, const double* phiy, double x, double y,
              const double* fi, const double* fix, const double* fiy, double* psi, double* psix,
              double* psiy, Image& im) {
    const int n = cpreso.NDOFE;
    for (int e = 1; e <= MAX_EQNS; ++e) {
        const double* ue = &cpreso.UEOLD(1, e);
        im.cvect[e - 1] = dot(phi, ue, n);
        im.cvectx[e - 1] = dot(phix, ue, n);
        im.cvecty[e - 1] = dot(phiy, ue, n);
    }
    csymtr.XSYM = x;
    csymtr.YSYM = y;
    problem_symmetr(im.cvect, im.cvectx, im.cvecty, im.asym, im.asymx, im.asymy);
    const int neq = ceqsys.NREQNS;
    for (int c = 1; c <= neq; ++c) {
        double v = 0.0, vx = 0.0, vy = 0.0;
        for (int d = 1; d <= neq; ++d) {
            const int q = at(c, d);
            v += im.asym[q] * fi[d - 1];
            vx += im.asymx[q] * fi[d - 1] + im.asym[q] * fix[d - 1];
            vy += im.asymy[q] * fi[d - 1] + im.asym[q] * fiy[d - 1];
        }
        psi[c - 1] = v;
        psix[c - 1] = vx;
        psiy[c - 1] = vy;
    }
}

// The domain form of fi (trial) against psi (test) at one point.
double area_form(const Coefficients& k, const double* fi, const double* fix, const double* fiy,
                 const double* psi, const double* psix, const double* psiy) {
    const int neq = ceqsys.NREQNS;
    double s = 0.0;
    for (int c = 1; c <= neq; ++c)
        for (int e = 1; e <= neq; ++e) {
            const int q = at(c, e);
            s += psi[c - 1] * (k.c[q] * fi[e - 1] + k.b1[q] * fix[e - 1] + k.b2[q] * fiy[e - 1]) +
                 psix[c - 1] * (k.d1[q] * fi[e - 1] + k.a11[q] * fix[e - 1] + k.a12[q] * fiy[e - 1]) +
                 psiy[c - 1] * (k.d2[q] * fi[e - 1] + k.a21[q] * fix[e - 1] + k.a22[q] * fiy[e - 1]);
        }
    return s;
}

// The convective flux of fi against psi on a shared side: sum psi_c (D1 nx + D2 ny) fi_e.
double convective_form(const Coefficients& k, double nx, double ny, const double* fi,
                       const double* psi) {
    const int neq = ceqsys.NREQNS;
    double s = 0.0;
    for (int c = 1; c <= neq; ++c)
        for (int e = 1; e <= neq; ++e) {
            const int q = at(c, e);
            s += psi[c - 1] * (k.d1[q] * nx + k.d2[q] * ny) * fi[e - 1];
        }
    return s;
}

// The local solution of each equation from the increment functions.
void local_solution(const double* a, int nb, const double* psi, const double* psix,
                    const double* psiy, double* fi, double* fix, double* fiy) {
    for (int c = 1; c <= ceqsys.NREQNS; ++c) {
        const double* ac = a + (c - 1) * nb;
        fi[c - 1] = dot(psi, ac, nb);
        fix[c - 1] = dot(psix, ac, nb);
        fiy[c - 1] = dot(psiy, ac, nb);
    }
}

// The shared-side part of a functional: for each side without a boundary
// number, err -= the convective form of fi against its image. fi_at gives
// fi at the current point from the element functions phi and (xi, eta).
template <typename FiAt>
void shared_side_part(const int* ord, const double* xnod, int nord_of_p(int), ErrorSidePoints& rec,
                      FiAt fi_at, double& err) {
    int kinds[8];
    decod2(cpreso.NEL, 4, kinds);
    const int ndofe = cpreso.NDOFE;
    double phi[MAX_ELFUN], phix[MAX_ELFUN], phiy[MAX_ELFUN];
    double fi[MAX_EQNS], fix[MAX_EQNS], fiy[MAX_EQNS], psi[MAX_EQNS], psix[MAX_EQNS],
        psiy[MAX_EQNS];
    Coefficients k;
    Image im;
    for (int s = 1; s <= 4; ++s) {
        if (kinds[4 + s - 1] != 0) continue;
        double t[NQUAD_RULES], wt[NQUAD_RULES];
        int nint = 0;
        bointg(nord_of_p(ord[4 + s - 1]), 0, t, wt, nint);
        for (int ip = 1; ip <= nint; ++ip) {
            double xi, eta, x, y, detj;
            side_point(s, t[ip - 1], xi, eta);
            map_point(xnod, xi, eta, x, y, detj);
            element_functions(ord, xi, eta, ndofe, phi, phix, phiy);
            current_point(ip, s, xi, eta, ndofe, phi, phix, phiy);
            fi_at(xi, eta, phi, phix, phiy, fi, fix, fiy);
            image_of(phi, phix, phiy, x, y, fi, fix, fiy, psi, psix, psiy, im);
            for (int c = 1; c <= ceqsys.NREQNS; ++c) {
                rec.FI(c, ip, s) = fi[c - 1];
                rec.PSI(c, ip, s) = psi[c - 1];
            }
            double tx, ty;
            side_tangent(s, tx, ty);
            const double len = std::hypot(tx, ty);
            if (!(len > 0.0)) continue;
            domain_coefficients(x, y, k);
            err -= wt[ip - 1] * len * convective_form(k, ty / len, -tx / len, fi, psi);
        }
    }
}

// The area part of a functional over the ng x ng Gauss-Legendre rule: at each
// point fi_at gives fi from the element functions and (xi, eta), its image
// under the symmetrizer is the test function, and the domain form of the two
// is summed. jcbian_only: the map's derivatives are not needed (celsize1
// keeps what it held).
template <typename FiAt>
double area_part(const int* ord, const double* xnod, int ng, bool jcbian_only,
                 ErrorAreaPoints& p, FiAt fi_at) {
    const int ndofe = cpreso.NDOFE;
    Coefficients k;
    Image im;
    double sum = 0.0;
    for (int j = 1; j <= ng; ++j) {
        for (int i = 1; i <= ng; ++i) {
            const double xi = cint.XG(i, ng), eta = cint.XG(j, ng);
            double x, y, detj;
            if (jcbian_only)
                jcbian(xnod, xi, eta, x, y, celsize2.DXIDX, celsize2.DXIDY, celsize2.DETADX,
                       celsize2.DETADY, detj);
            else
                map_point(xnod, xi, eta, x, y, detj);
            p.XA(i, j) = x;
            p.YA(i, j) = y;
            p.DETJ(i, j) = detj;
            double* phi = &p.PHI(1, i, j);
            double* phix = &p.PHIX(1, i, j);
            double* phiy = &p.PHIY(1, i, j);
            element_functions(ord, xi, eta, ndofe, phi, phix, phiy);
            double* fi = &p.FI(1, i, j);
            double* fix = &p.FIX(1, i, j);
            double* fiy = &p.FIY(1, i, j);
            fi_at(xi, eta, phi, phix, phiy, fi, fix, fiy);
            double* psi = &p.PSI(1, i, j);
            double* psix = &p.PSIX(1, i, j);
            double* psiy = &p.PSIY(1, i, j);
            image_of(phi, phix, phiy, x, y, fi, fix, fiy, psi, psix, psiy, im);
            current_point(i, j, xi, eta, ndofe, phi, phix, phiy);
            domain_coefficients(x, y, k);
            sum += cint.W2(i, j, ng) * detj * area_form(k, fi, fix, fiy, psi, psix, psiy);
        }
    }
    return sum;
}

int side_order_plus_one(int p) {
    return p <= 0 ? 2 : p + 1;
}
int side_order_itself(int p) {
    return p <= 0 ? 1 : p;
}

}  // namespace

//// the local solve ////

int local_solve(const double* a, int lda, const double* b, double* x, int n) {
    static double w[LDXK * LDXK];
    double r[LDXK];
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) w[i + j * n] = a[i + static_cast<long>(j) * lda];
    std::copy_n(b, n, r);
    for (int i = 0; i < n; ++i) {
        int p = i;
        for (int k = i + 1; k < n; ++k)
            if (std::fabs(w[k + i * n]) > std::fabs(w[p + i * n])) p = k;
        if (!(std::fabs(w[p + i * n]) >= SMALL_PIVOT)) return 1;
        if (p != i) {
            for (int j = i; j < n; ++j) std::swap(w[i + j * n], w[p + j * n]);
            std::swap(r[i], r[p]);
        }
        for (int k = i + 1; k < n; ++k) {
            const double m = w[k + i * n] / w[i + i * n];
            if (m == 0.0) continue;
            for (int j = i + 1; j < n; ++j) w[k + j * n] -= m * w[i + j * n];
            r[k] -= m * r[i];
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        double s = r[i];
        for (int j = i + 1; j < n; ++j) s -= w[i + j * n] * x[j];
        x[i] = s / w[i + i * n];
    }
    return 0;
}

//// reserest ////

int reserest(int nel, const double* uold, const double* unew, int ld, double& err) {
    const bool trace = reg_reserest.on(nel);
    cboint.IBOINT = 0;
    int ord[9];
    double xnod[18];
    estimator_extract(nel, uold, unew, ld, ord, xnod);
    const int nb = increment_count(ord);
    const int n = ceqsys.NREQNS * nb;
    double* xk = cxk.XK.data();
    for (int j = 1; j <= n; ++j) std::fill_n(&cxk.XK(1, j), n, 0.0);
    double rhs[LDXK] = {}, f[LDXK], a[LDXK];
    if (trace) {
        trace_line({"RESEREST: 1"});
        trace_line({"RESEREST: 2", ceqsys.NREQNS});
    }
    auto failed = [&] {
        trace_line({"*** SINGULAR LOCAL PROBLEM IN NEL ***", nel});
        err = 0.0;
        cboint.IBOINT = 0;
        return EST_FAILED;
    };
    if (melemb(ord, xnod, LDXK, xk, rhs) != EST_DONE) return failed();
    if (trace) {
        trace_line({"AFTER MELEMB"});
        trace_reals("RESEREST", "RHS", rhs, n);
    }
    belemb(nel, ord, xnod, LDXK, xk, rhs);
    if (trace) {
        trace_line({"AFTER BELEMB"});
        trace_reals("RESEREST", "RHS", rhs, n);
    }
    delemb1(nel, ord, xnod, LDXK, xk, rhs, uold, unew, ld);
    if (trace) {
        trace_line({"AFTER DELEMB1"});
        trace_reals("RESEREST", "RHS", rhs, n);
        trace_line({"NEL,LPRINTS = ", nel, reg_reserest.flag()});
    }
    delemb2(nel, ord, xnod, LDXK, xk, rhs, uold, unew, ld);
    if (trace) {
        trace_line({"AFTER DELEMB2"});
        trace_reals("RESEREST", "RHS", rhs, n);
    }
    std::copy_n(rhs, n, f);
    if (local_solve(xk, LDXK, rhs, a, n) != 0) return failed();
    if (trace) trace_reals("RESEREST", "FIERR", a, n);
    cboint.IBOINT = 1;
    if (csymet.ISYMET == 1) {
        double s = 0.0;
        for (int i = 0; i < n; ++i) s += a[i] * f[i];
        err = root_of(s, nel);
        cboint.IBOINT = 0;
        return EST_DONE;
    }
    // The assembly left a neighbour's data in cpreso.
    estimator_extract(nel, uold, unew, ld, ord, xnod);
    double value = 0.0;
    errcon(ord, xnod, a, value);
    if (trace) {
        trace_line({"AFTER ERRCON"});
        trace_real("RESEREST", "ERREST", value);
    }
    err = root_of(value, nel);
    cboint.IBOINT = 0;
    return EST_DONE;
}

//// errcon ////

void errcon(const int* ord, const double* xnod, const double* a, double& err) {
    const bool trace = reg_errcon.on(cpreso.NEL);
    const int nb = increment_count(ord);
    err = area_part(ord, xnod, estimator_area_points(ord), false, cerrcon,
                    [&](double xi, double eta, const double*, const double*, const double*,
                        double* fi, double* fix, double* fiy) {
                        double psi[MAX_INC_FUN], psix[MAX_INC_FUN], psiy[MAX_INC_FUN];
                        increment_functions(ord, xi, eta, nb, psi, psix, psiy);
                        local_solution(a, nb, psi, psix, psiy, fi, fix, fiy);
                    });
    if (trace) {
        trace_line({"BEFORE ERRCONB..."});
        trace_real("ERRCON", "ERR", err);
    }
    errconb(ord, xnod, a, err);
    if (trace) {
        trace_line({"BEFORE ERRCONC..."});
        trace_real("ERRCON", "ERR", err);
    }
    errconc(ord, xnod, a, err);
}

//// errconb ////

void errconb(const int* ord, const double* xnod, const double* a, double& err) {
    const int nel = cpreso.NEL;
    const bool trace = reg_errconb.on(nel);
    const int neq = ceqsys.NREQNS;
    const int nb = increment_count(ord);
    const int ndofe = cpreso.NDOFE;
    int kinds[8];
    decod2(nel, 4, kinds);
    double psi[MAX_INC_FUN], psix[MAX_INC_FUN], psiy[MAX_INC_FUN];
    double fi[MAX_EQNS], fix[MAX_EQNS], fiy[MAX_EQNS];
    double ps[MAX_EQNS], psx[MAX_EQNS], psy[MAX_EQNS];
    SideCoefficients b;
    Image im;
    Cerrconb& rec = cerrconb;
    if (trace) {
        trace_line({"ON INPUT..."});
        trace_real("ERRCONB", "ERR", err);
    }
    for (int s = 1; s <= 4; ++s) {
        const int nbound = kinds[4 + s - 1];
        if (nbound == 0) continue;
        const int kind = kinds[s - 1];
        double t[NQUAD_RULES], wt[NQUAD_RULES];
        int nint = 0;
        bointg(side_order_plus_one(ord[4 + s - 1]), kind, t, wt, nint);
        cbelem.IS = s;
        for (int ip = 1; ip <= nint; ++ip) {
            double xi, eta, x, y, detj;
            side_point(s, t[ip - 1], xi, eta);
            map_point(xnod, xi, eta, x, y, detj);
            double* phi = &rec.PHI(1, ip, s);
            double* phix = &rec.PHIX(1, ip, s);
            double* phiy = &rec.PHIY(1, ip, s);
            element_functions(ord, xi, eta, ndofe, phi, phix, phiy);
            cbelem.IINT = ip;
            cbelem.XI = xi;
            cbelem.ETA = eta;
            std::copy_n(phi, ndofe, cbelem.VSHAP.data());
            std::copy_n(phix, ndofe, cbelem.VSHAPX.data());
            std::copy_n(phiy, ndofe, cbelem.VSHAPY.data());
            increment_functions(ord, xi, eta, nb, psi, psix, psiy);
            local_solution(a, nb, psi, psix, psiy, fi, fix, fiy);
            image_of(phi, phix, phiy, x, y, fi, fix, fiy, ps, psx, psy, im);
            double tx, ty;
            side_tangent(s, tx, ty);
            const double len = std::hypot(tx, ty);
            if (!(len > 0.0)) continue;
            const double utx = tx / len, uty = ty / len, nx = uty, ny = -utx;
            double fit[MAX_EQNS], pst[MAX_EQNS];
            for (int c = 1; c <= neq; ++c) {
                fit[c - 1] = utx * fix[c - 1] + uty * fiy[c - 1];
                pst[c - 1] = utx * psx[c - 1] + uty * psy[c - 1];
                rec.FI(c, ip, s) = fi[c - 1];
                rec.PSI(c, ip, s) = ps[c - 1];
                rec.FIT(c, ip, s) = fit[c - 1];
                rec.PSIT(c, ip, s) = pst[c - 1];
                rec.FIN(c, ip, s) = nx * fix[c - 1] + ny * fiy[c - 1];
                rec.PSIN(c, ip, s) = nx * psx[c - 1] + ny * psy[c - 1];
            }
            problem_bcoeff(nel, LDC, kind, nbound, x, y, nx, ny, utx, uty, b.att, b.bt, b.pt, b.c,
                           b.gt, b.g);
            double sum = 0.0;
            for (int c = 1; c <= neq; ++c)
                for (int e = 1; e <= neq; ++e) {
                    const int q = at(c, e);
                    sum += ps[c - 1] * (b.c[q] * fi[e - 1] + b.pt[q] * fit[e - 1]) +
                           pst[c - 1] * (b.bt[q] * fi[e - 1] + b.att[q] * fit[e - 1]);
                }
            err += wt[ip - 1] * len * sum;
            if (trace) {
                trace_int("ERRCONB", "IGA", nint);
                trace_real("ERRCONB", "XILOC", t[ip - 1]);
                trace_int("ERRCONB", "IINT", ip);
                trace_real("ERRCONB", "XS", x);
                trace_real("ERRCONB", "YS", y);
                trace_real("ERRCONB", "RTX", utx);
                trace_real("ERRCONB", "RTY", uty);
                trace_reals("ERRCONB", "FIVECT", fi, neq);
                trace_reals("ERRCONB", "FIXVECT", fix, neq);
                trace_reals("ERRCONB", "FIYVECT", fiy, neq);
                trace_reals("ERRCONB", "CVECT", im.cvect, MAX_EQNS);
                trace_reals("ERRCONB", "CVECTX", im.cvectx, MAX_EQNS);
                trace_reals("ERRCONB", "CVECTY", im.cvecty, MAX_EQNS);
                dbgprint(2, "ERRCONB", "ASYM", nullptr, im.asym, LDC, 1, neq, 1, neq, 0);
                dbgprint(2, "ERRCONB", "ASYMX", nullptr, im.asymx, LDC, 1, neq, 1, neq, 0);
                dbgprint(2, "ERRCONB", "ASYMY", nullptr, im.asymy, LDC, 1, neq, 1, neq, 0);
                trace_reals("ERRCONB", "PSIXVECT", psx, neq);
                trace_reals("ERRCONB", "PSIYVECT", psy, neq);
                trace_reals("ERRCONB", "FITVECT", fit, neq);
                trace_reals("ERRCONB", "PSITVECT", pst, neq);
            }
        }
    }
}

//// errconc ////

void errconc(const int* ord, const double* xnod, const double* a, double& err) {
    const int nb = increment_count(ord);
    shared_side_part(
        ord, xnod, side_order_plus_one, cerrconc,
        [&](double xi, double eta, const double*, const double*, const double*, double* fi,
            double* fix, double* fiy) {
            double psi[MAX_INC_FUN], psix[MAX_INC_FUN], psiy[MAX_INC_FUN];
            increment_functions(ord, xi, eta, nb, psi, psix, psiy);
            local_solution(a, nb, psi, psix, psiy, fi, fix, fiy);
        },
        err);
}

//// err1, err3 ////

namespace {

// The difference UENEW - u2e of the element's values at a point.
void difference_at(const double* u2e, const double* phi, const double* phix, const double* phiy,
                   double* fi, double* fix, double* fiy) {
    const int n = cpreso.NDOFE;
    for (int c = 1; c <= ceqsys.NREQNS; ++c) {
        double d[MAX_ELFUN];
        const double* un = &cpreso.UENEW(1, c);
        const double* u2 = u2e + (c - 1) * MAXLDOF;
        for (int k = 0; k < n; ++k) d[k] = un[k] - u2[k];
        fi[c - 1] = dot(phi, d, n);
        fix[c - 1] = dot(phix, d, n);
        fiy[c - 1] = dot(phiy, d, n);
    }
}

}  // namespace

void err1(int nel, const double* u1, const double* u2, const double* u3, int ld, double& err) {
    int ord[9];
    double xnod[18];
    estimator_extract(nel, u1, u3, ld, ord, xnod);
    double u2e[MAXLDOF * MXEQNS_MAX] = {};
    for (int j = 1; j <= MXEQNS_MAX; ++j) {
        int ndofe = 0;
        Arr1<int, 9> ndofl;
        solelm(nel, ndofe, ndofl, u2e + (j - 1) * MAXLDOF, u2 + static_cast<long>(j - 1) * ld);
    }
    const int ng = std::max({1, ord[4], ord[5], ord[6], ord[7]}) + 1;
    err = area_part(ord, xnod, ng, true, cerr1,
                    [&](double, double, const double* phi, const double* phix,
                        const double* phiy, double* fi, double* fix, double* fiy) {
                        difference_at(u2e, phi, phix, phiy, fi, fix, fiy);
                    });
    err2(ord, xnod, u2e, err);
    err3(ord, xnod, u2e, err);
    err = root_of(err, nel);
}

void err3(const int* ord, const double* xnod, const double* u2e, double& err) {
    shared_side_part(
        ord, xnod, side_order_itself, cerr3,
        [&](double, double, const double* phi, const double* phix, const double* phiy, double* fi,
            double* fix, double* fiy) { difference_at(u2e, phi, phix, phiy, fi, fix, fiy); },
        err);
}

//// the driver ////

int estimate_elements() {
    if (check_usable_mesh() != 0) return 1;
    if (cflags.ISOLVD == 0) {
        ffldou(0, MSG_ERROR, "*** NO SOLUTION OF THE CURRENT MESH: SOLVE FIRST ***");
        return 1;
    }
    const double* uold = cuold.UOLD.data();
    const double* unew = cunew.UNEW.data();
    // Rows per component of the two solution arrays.
    const int ld = ICOLU_ROWS;
    double sum = 0.0;
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        double err = 0.0;
        reserest(nel, uold, unew, ld, err);
        cerrest.ERREL(i, 1) = nel;
        cerrest.ERREL(i, 2) = err;
        cerrest.ERREL(i, 3) = 0.0;
        cerrest.ERREL(i, 4) = 0.0;
        sum += err * err;
    }
    cerrest.ERRGL(1) = std::sqrt(sum);
    for (int k = 2; k <= NEST_GLOBAL; ++k) cerrest.ERRGL(k) = 0.0;
    cflags.IESTIM = 1;
    return 0;
}

}  // namespace kavren
