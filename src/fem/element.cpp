#include "fem/element.hpp"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <string>

#include "control/debug.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "fem/dense.hpp"
#include "fem/mesh_seams.hpp"
#include "fem/shape.hpp"
#include "fem/solvers.hpp"
#include "records/debug.hpp"
#include "records/fem.hpp"
#include "records/limits.hpp"
#include "records/problem.hpp"
#include "support/clones.hpp"
#include "support/format.hpp"
#include "user/problem.hpp"

namespace kavren {

ElementStats element_stats;

namespace {

//// integration workspace ////

// Function arrays are padded with zeros to NPAD.
constexpr int NPAD = 84;
static_assert(NPAD >= MAX_ELFUN);
constexpr int MAX_POINTS = NQUAD_RULES * NQUAD_RULES;
constexpr int NCOEF = 9;       // A11, A12, A21, A22, D1, D2, B1, B2, C
constexpr int LDC = MAX_EQNS;  // leading dimension of the coefficient arrays
constexpr int MAX_TERMS = MAX_POINTS * NCOEF;
// Columns of one update tile.
constexpr int TILE = 8;

// Values and x-, y-derivatives of the element functions at one point.
struct PointFunctions {
    alignas(64) double v[NPAD];
    alignas(64) double vx[NPAD];
    alignas(64) double vy[NPAD];
};

// One rank-one contribution s r c^T to a block of the element matrix.
struct Term {
    const double* r;  // row (test) factors
    const double* c;  // column (trial) factors
    double s;         // weight times coefficient
};

PointFunctions point_functions[MAX_POINTS];
// Values and tangential derivatives of a side's functions at its points.
double side_v[NQUAD_RULES][MAX_ORDER + 1];
double side_ds[NQUAD_RULES][MAX_ORDER + 1];
Term block_terms[MAX_EQNS * MAX_EQNS][MAX_TERMS];
int block_nterms[MAX_EQNS * MAX_EQNS];
// One block's terms for the update kernel: -s r packed by blocks of rows, c
// by terms.
double term_rows[(MAX_ELFUN + 31) / 32 * 32 * MAX_TERMS];
double term_cols[MAX_TERMS * NPAD];

// Rows r0..r0+m-1 of the terms t[0..nt) for the kernel: term q's -s r
// at pb + q R, padded with zeros to R rows.
KAVREN_CLONES
void pack_rows(double* __restrict pb, const Term* t, int nt, int r0, int m, int R) {
    for (int q = 0; q < nt; ++q, pb += R) {
        const double* __restrict r = t[q].r + r0;
        const double s = -t[q].s;
        for (int i = 0; i < m; ++i) pb[i] = s * r[i];
        for (int i = m; i < R; ++i) pb[i] = 0.0;
    }
}

// The entries below the diagonal of the n by n block at out (leading
// dimension ld) := those above it, eight columns at a time.
KAVREN_CLONES
void mirror_upper(int n, double* out, int ld) {
    for (int l0 = 0; l0 < n; l0 += 8)
        for (int r0 = l0; r0 < n; r0 += 8)
            for (int l = l0; l < std::min(l0 + 8, n); ++l)
                for (int r = std::max(r0, l + 1); r < std::min(r0 + 8, n); ++r)
                    out[r + static_cast<std::ptrdiff_t>(l) * ld] =
                        out[l + static_cast<std::ptrdiff_t>(r) * ld];
}

// Adds the sum of the terms t[0..nt) to the n by n block at out (leading
// dimension ld, zero on entry): out(k, l) += sum over terms of s r(k) c(l),
// through the dense update kernel a tile of columns at a time. When every term
// has the same row and column factors the block is symmetric: each tile of
// columns is computed down to its last column only, and the entries below the
// diagonal are copied from above it.
void accumulate_block(int n, const Term* t, int nt, double* out, int ld) {
    const DenseKernels& k = dense_kernels();
    const int R = k.block;
    static_assert(sizeof term_rows / sizeof(double) >= 32 * 3 * MAX_TERMS);
    bool symmetric = true;
    for (int q = 0; q < nt && symmetric; ++q) symmetric = t[q].r == t[q].c;
    for (int r0 = 0; r0 < n; r0 += R) {
        double* pb = term_rows + static_cast<std::ptrdiff_t>(r0 / R) * nt * R;
        const int m = std::min(R, n - r0);
        pack_rows(pb, t, nt, r0, m, R);
    }
    for (int q = 0; q < nt; ++q) std::copy_n(t[q].c, n, term_cols + q * NPAD);
    double* cols[TILE];
    for (int l0 = 0; l0 < n; l0 += TILE) {
        const int nc = std::min(TILE, n - l0);
        const int m = symmetric ? l0 + nc : n;
        for (int j = 0; j < nc; ++j) cols[j] = out + static_cast<std::ptrdiff_t>(l0 + j) * ld;
        k.update_packed(cols, nc, m, term_rows, term_cols + l0, NPAD, nt);
        element_stats.madds += static_cast<double>(m) * nc * nt;
    }
    if (symmetric) mirror_upper(n, out, ld);
}

void report_bad_jacobian(std::string_view routine, int nel) {
    ffldou(0, MSG_ERROR,
           fmt::line("('*** ',A,': NON-POSITIVE JACOBIAN IN ELEMENT',I7)", {routine, nel}));
}

// Physical derivatives of the first n element functions from their master
// derivatives and the inverse-map derivatives of the current point.
KAVREN_CLONES
void physical_derivatives(int n, const double* __restrict dxi, const double* __restrict deta,
                          const Celsize2& m, double* __restrict vx, double* __restrict vy) {
    const double xx = m.DXIDX, ex = m.DETADX, xy = m.DXIDY, ey = m.DETADY;
    for (int k = 0; k < n; ++k) {
        vx[k] = dxi[k] * xx + deta[k] * ex;
        vy[k] = dxi[k] * xy + deta[k] * ey;
    }
}

// v(0..n-1) += s f(0..n-1).
KAVREN_CLONES
void add_scaled(double* __restrict v, double s, const double* __restrict f, int n) {
    for (int k = 0; k < n; ++k) v[k] += s * f[k];
}

//// debug prints ////

void print_int(std::string_view routine, std::string_view label, int value) {
    dbgprint(1, routine, label, &value, nullptr, 1, 1, 1, 1, 1, 0);
}
void print_real(std::string_view routine, std::string_view label, double value) {
    dbgprint(2, routine, label, nullptr, &value, 1, 1, 1, 1, 1, 0);
}
void print_array(std::string_view routine, std::string_view label, const double* a, int ld, int n1,
                 int n2) {
    dbgprint(2, routine, label, nullptr, a, ld, 1, n1, 1, n2, 0);
}

}  // namespace

//// melem ////

int melem(int nel, const int* nord, int ndof, const double* xnod, int ld, double* xk, double* ph) {
    const int neq = ceqsys.NREQNS;
    const int ntot = ndof * neq;
    // The caller sizes the element arrays (the solver interface refuses larger elements).
    assert(ndof >= 1 && ndof <= MAX_ELFUN && ntot <= ld);
    assert(neq >= 1 && neq <= MAX_EQNS);

    const int ng = std::max({1, nord[4], nord[5], nord[6], nord[7]}) + 1;
    // Only the first ntot rows of the ntot columns are in use: the rest of the
    // caller's array is left as it is.
    for (int j = 0; j < ntot; ++j) std::fill_n(xk + static_cast<std::ptrdiff_t>(j) * ld, ntot, 0.0);
    std::fill_n(ph, ntot, 0.0);
    std::fill_n(block_nterms, neq * neq, 0);

    const bool print1 = debug_selects(cdbg.IDBGSW(6), nel);
    double val[MAX_ELFUN], dxi[MAX_ELFUN], deta[MAX_ELFUN];
    double coef[NCOEF][LDC * LDC];
    double rh[MAX_EQNS], rhx[MAX_EQNS], rhy[MAX_EQNS];
    int np = 0;
    for (int ij = 1; ij <= ng; ++ij) {
        for (int ii = 1; ii <= ng; ++ii, ++np) {
            cmelem.IINT = ii;
            cmelem.IJNT = ij;
            cmelem.ETA = cint.XG(ij, ng);
            cmelem.XI = cint.XG(ii, ng);
            double x, y, detj;
            bjcbian(xnod, cmelem.XI, cmelem.ETA, celsize1.DXDXI, celsize1.DXDETA, celsize1.DYDXI,
                    celsize1.DYDETA, x, y, celsize2.DXIDX, celsize2.DXIDY, celsize2.DETADX,
                    celsize2.DETADY, detj);
            if (!(detj > 0.0)) {
                report_bad_jacobian("MELEM", nel);
                return ELEM_BAD_JACOBIAN;
            }
            dshap2(nord, cmelem.XI, cmelem.ETA, dxi, deta);
            shape2(nord, cmelem.XI, cmelem.ETA, val);
            PointFunctions& pf = point_functions[np];
            std::copy_n(val, ndof, pf.v);
            physical_derivatives(ndof, dxi, deta, celsize2, pf.vx, pf.vy);
            std::fill(pf.v + ndof, pf.v + NPAD, 0.0);
            std::fill(pf.vx + ndof, pf.vx + NPAD, 0.0);
            std::fill(pf.vy + ndof, pf.vy + NPAD, 0.0);
            std::copy_n(pf.v, ndof, cmelem.VSHAP.data());
            std::copy_n(pf.vx, ndof, cmelem.VSHAPX.data());
            std::copy_n(pf.vy, ndof, cmelem.VSHAPY.data());

            // Coefficient order of the sums; mcoeff takes B1, B2 before D1, D2.
            double* a11 = coef[0];
            double* a12 = coef[1];
            double* a21 = coef[2];
            double* a22 = coef[3];
            double* d1 = coef[4];
            double* d2 = coef[5];
            double* b1 = coef[6];
            double* b2 = coef[7];
            double* c = coef[8];
            problem_mcoeff(LDC, x, y, a11, a12, a21, a22, b1, b2, d1, d2, c, rh, rhx, rhy);

            if (print1) {
                print_int("MELEM", "IINT", ii);
                print_int("MELEM", "IJNT", ij);
                print_real("MELEM", "XA", x);
                print_real("MELEM", "YA", y);
                const char* names[NCOEF] = {"A11", "A12", "A21", "A22", "D1",
                                            "D2",  "B1",  "B2",  "C"};
                for (int t : {0, 1, 2, 3, 6, 7, 4, 5, 8})
                    print_array("MELEM", names[t], coef[t], LDC, neq, neq);
                print_array("MELEM", "RH", rh, neq, neq, 1);
                print_array("MELEM", "RHX", rhx, neq, neq, 1);
                print_array("MELEM", "RHY", rhy, neq, neq, 1);
            }

            const double wt = detj * cint.W2(ii, ij, ng);
            // Row and column factors of the nine coefficients, in the order above.
            const double* rowf[NCOEF] = {pf.vx, pf.vx, pf.vy, pf.vy, pf.vx,
                                         pf.vy, pf.v,  pf.v,  pf.v};
            const double* colf[NCOEF] = {pf.vx, pf.vy, pf.vx, pf.vy, pf.v,
                                         pf.v,  pf.vx, pf.vy, pf.v};
            for (int i = 0; i < neq; ++i) {
                for (int j = 0; j < neq; ++j) {
                    const int b = i + j * neq;
                    for (int t = 0; t < NCOEF; ++t) {
                        const double e = coef[t][i + j * LDC];
                        if (e == 0.0) continue;  // a zero coefficient costs nothing
                        block_terms[b][block_nterms[b]++] = Term{rowf[t], colf[t], wt * e};
                    }
                }
                double* phi = ph + i * ndof;
                const double* loadf[3] = {pf.v, pf.vx, pf.vy};
                const double load[3] = {rh[i], rhx[i], rhy[i]};
                for (int t = 0; t < 3; ++t) {
                    if (load[t] == 0.0) continue;
                    const double s = wt * load[t];
                    add_scaled(phi, s, loadf[t], ndof);
                    element_stats.madds += ndof;
                }
            }
        }
    }

    for (int i = 0; i < neq; ++i)
        for (int j = 0; j < neq; ++j) {
            const int b = i + j * neq;
            if (block_nterms[b] == 0) continue;
            double* out = xk + static_cast<std::ptrdiff_t>(j) * ndof * ld + i * ndof;
            accumulate_block(ndof, block_terms[b], block_nterms[b], out, ld);
        }

    if (debug_selects(cdbg.IDBGSW(7), nel)) {
        for (int i = 1; i <= neq; ++i)
            for (int j = 1; j <= neq; ++j) {
                print_int("MELEM", "NEL", nel);
                print_int("MELEM", "IVAR1", i);
                print_int("MELEM", "IVAR2", j);
                dbgprint(2, "MELEM", "YK", nullptr, xk, ld, (i - 1) * ndof + 1, i * ndof,
                         (j - 1) * ndof + 1, j * ndof, 0);
                dbgprint(2, "MELEM", "PH", nullptr, ph, ntot, (i - 1) * ndof + 1, i * ndof, 1, 1,
                         0);
            }
    }
    return ELEM_DONE;
}

//// bcelem ////

namespace {

// The interactive solve of the element's first component, asked for at the
// BCELEM2 breakpoint; ends the program after printing the solution.
void bcelem_solve(int ndof, int ld, const double* xk, const double* ph) {
    write_terminal(fmt::list({"BCELEM: SOLVE, G=0/1 ?"}));
    int g = 0;
    readi("G", g);
    if (g != 1) return;
    static double a[MAX_ELFUN * MAX_ELFUN];
    double x[MAX_ELFUN];
    int ipvt[MAX_ELFUN];
    for (int j = 0; j < ndof; ++j)
        for (int i = 0; i < ndof; ++i)
            a[i + j * ndof] = xk[i + static_cast<std::ptrdiff_t>(j) * ld];
    std::copy_n(ph, ndof, x);
    gdecomp(a, ndof, ndof, ipvt);
    linvpx(a, x, ndof, ndof, ipvt);
    uinvx(a, x, ndof, ndof);
    write_terminal(fmt::list({"ELEMENT SOLUTION:"}));
    dbgprint(2, "BCELEM", "RHS", nullptr, x, ndof, 1, ndof, 1, 1, 0);
    plain_stop(1, "BCELEM");
}

}  // namespace

int bcelem(int nel, int* nord, int ndof, const double* xnod, int ld, double* xk, double* ph) {
    const int neq = ceqsys.NREQNS;
    assert(ndof >= 1 && ndof <= MAX_ELFUN && ndof * neq <= ld);

    int kinds[8];
    bcelem_sides(nel, 4, kinds);
    for (int k = 4; k < 9; ++k) nord[k] = std::max(nord[k], 1);

    const bool print1 = debug_selects(cdbg.IDBGSW(8), nel);
    double val[MAX_ELFUN], dxi[MAX_ELFUN], deta[MAX_ELFUN];
    double att[LDC * LDC], bt[LDC * LDC], pt[LDC * LDC], c[LDC * LDC], gt[MAX_EQNS], g[MAX_EQNS];
    for (int is = 1; is <= 4; ++is) {
        const int kind = kinds[is - 1];
        if (kind == 0) continue;
        const int nbound = kinds[4 + is - 1];
        const int p = nord[4 + is - 1];
        double xpts[NQUAD_RULES], wgts[NQUAD_RULES];
        int nint = 0;
        bointg(p, kind, xpts, wgts, nint);

        // The side's functions: its two vertex functions, then its edge functions.
        const int nf = p + 1;
        int pos[MAX_ORDER + 1];
        pos[0] = is - 1;
        pos[1] = is % 4;
        int first = 4;
        for (int m = 1; m < is; ++m) first += nord[4 + m - 1] - 1;
        for (int e = 0; e < p - 1; ++e) pos[2 + e] = first + e;

        cbelem.IS = is;
        std::fill_n(block_nterms, neq * neq, 0);
        for (int ip = 1; ip <= nint; ++ip) {
            cbelem.IINT = ip;
            const double s = xpts[ip - 1];
            cbelem.XI = is == 1 || is == 3 ? s : (is == 2 ? 1.0 : -1.0);
            cbelem.ETA = is == 2 || is == 4 ? s : (is == 1 ? -1.0 : 1.0);
            double x, y, detj;
            bjcbian(xnod, cbelem.XI, cbelem.ETA, celsize1.DXDXI, celsize1.DXDETA, celsize1.DYDXI,
                    celsize1.DYDETA, x, y, celsize2.DXIDX, celsize2.DXIDY, celsize2.DETADX,
                    celsize2.DETADY, detj);
            dshap2(nord, cbelem.XI, cbelem.ETA, dxi, deta);
            shape2(nord, cbelem.XI, cbelem.ETA, val);
            std::copy_n(val, ndof, cbelem.VSHAP.data());
            physical_derivatives(ndof, dxi, deta, celsize2, cbelem.VSHAPX.data(),
                                 cbelem.VSHAPY.data());

            // Counter-clockwise tangent: along XI on sides 1 and 3, ETA on 2 and 4.
            const bool along_xi = is == 1 || is == 3;
            const double sign = is <= 2 ? 1.0 : -1.0;
            const double tx = sign * (along_xi ? celsize1.DXDXI : celsize1.DXDETA);
            const double ty = sign * (along_xi ? celsize1.DYDXI : celsize1.DYDETA);
            const double jac = std::sqrt(tx * tx + ty * ty);
            if (!(jac > 0.0)) {
                report_bad_jacobian("BCELEM", nel);
                return ELEM_BAD_JACOBIAN;
            }
            const double utx = tx / jac, uty = ty / jac;
            const double nx = uty, ny = -utx;

            // Values and tangential derivatives of the side's functions. The
            // tangential derivative is the master derivative along the side
            // over the side's length factor, which equals TX VSHAPX + TY VSHAPY
            // and stays finite where the element's Jacobian vanishes (a
            // collapsed side's vertex).
            double* v = side_v[ip - 1];
            double* ds = side_ds[ip - 1];
            const double* dmaster = along_xi ? dxi : deta;
            for (int m = 0; m < nf; ++m) {
                v[m] = val[pos[m]];
                ds[m] = sign * dmaster[pos[m]] / jac;
            }

            problem_bcoeff(nel, LDC, kind, nbound, x, y, nx, ny, utx, uty, att, bt, pt, c, gt, g);
            if (print1) {
                print_int("BCELEM", "NEL", nel);
                print_int("BCELEM", "IS", is);
                print_int("BCELEM", "IINT", ip);
                print_int("BCELEM", "KIND", kind);
                print_real("BCELEM", "XA", x);
                print_real("BCELEM", "YA", y);
                print_array("BCELEM", "ATT", att, LDC, neq, neq);
                print_array("BCELEM", "BT", bt, LDC, neq, neq);
                print_array("BCELEM", "PT", pt, LDC, neq, neq);
                print_array("BCELEM", "C", c, LDC, neq, neq);
                print_array("BCELEM", "GT", gt, neq, neq, 1);
                print_array("BCELEM", "G", g, neq, neq, 1);
            }

            const double w = jac * wgts[ip - 1];
            const double* coefs[4] = {att, bt, pt, c};
            const double* rowf[4] = {ds, ds, v, v};
            const double* colf[4] = {ds, v, ds, v};
            for (int i = 0; i < neq; ++i) {
                for (int j = 0; j < neq; ++j) {
                    const int b = i + j * neq;
                    for (int t = 0; t < 4; ++t) {
                        const double e = coefs[t][i + j * LDC];
                        if (e == 0.0) continue;  // a zero coefficient costs nothing
                        block_terms[b][block_nterms[b]++] = Term{rowf[t], colf[t], e * w};
                    }
                }
                double* phi = ph + i * ndof;
                if (gt[i] != 0.0)
                    for (int m = 0; m < nf; ++m) phi[pos[m]] += gt[i] * w * ds[m];
                if (g[i] != 0.0)
                    for (int m = 0; m < nf; ++m) phi[pos[m]] += g[i] * w * v[m];
            }
        }
        // Each block's side terms summed over the side's points, then added
        // at the side's functions.
        for (int i = 0; i < neq; ++i)
            for (int j = 0; j < neq; ++j) {
                const int b = i + j * neq;
                if (block_nterms[b] == 0) continue;
                double side[(MAX_ORDER + 1) * (MAX_ORDER + 1)] = {};
                accumulate_block(nf, block_terms[b], block_nterms[b], side, nf);
                for (int n = 0; n < nf; ++n) {
                    double* col =
                        xk + static_cast<std::ptrdiff_t>(j * ndof + pos[n]) * ld + i * ndof;
                    for (int m = 0; m < nf; ++m) col[pos[m]] += side[m + n * nf];
                }
            }
    }

    if (debug_selects(cdbg.IDBGSW(9), nel)) bcelem_solve(ndof, ld, xk, ph);
    return ELEM_DONE;
}

}  // namespace kavren
