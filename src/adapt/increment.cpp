#include "adapt/increment.hpp"

#include <algorithm>
#include <string>

#include "adapt/increment_coef.hpp"
#include "control/messages.hpp"

namespace kavren {

namespace {

using increment_detail::INTERIOR_TERMS;
using increment_detail::InteriorTerm;

constexpr int NTERMS = static_cast<int>(sizeof INTERIOR_TERMS / sizeof INTERIOR_TERMS[0]);

// First row of each interior degree in INTERIOR_TERMS (NTERMS past the last).
struct DegreeRows {
    int first[MAX_INC_DEGREE + 2];
};
constexpr DegreeRows degree_rows() {
    DegreeRows r{};
    for (int d = 0; d <= MAX_INC_DEGREE + 1; ++d) {
        int i = 0;
        while (i < NTERMS && INTERIOR_TERMS[i].idg < d) ++i;
        r.first[d] = i;
    }
    return r;
}
constexpr DegreeRows ROWS = degree_rows();

// The five degrees (edges 1..4, interior) of an order vector; the first above
// 9 ends the run naming the routine that met it.
void degrees(const int* nord, int* deg, const char* routine) {
    for (int k = 0; k < 5; ++k) {
        const int p = nord[4 + k];
        deg[k] = p <= 0 ? 2 : p + 1;
        if (deg[k] > MAX_INC_DEGREE) {
            ffldou(0, MSG_ERROR, std::string("TO HIGH IDG IN ") + routine + " - STOP");
            sstop(0, routine);
        }
    }
}

// The edge function of degree n from the edge's table entries t[k] = T_k
// (the product carrying b_k, k = 2..n): E_n of the edge coordinate times the
// linear factor of the edge.
double edge_function(int n, const double* t) {
    switch (n) {
        case 2:
            return t[2];
        case 3:
            return t[3];
        case 4:
            return t[4] - 1.2000000476837158 * t[2];
        case 5:
            return t[5] - 1.4285714626312256 * t[3];
        case 6:
            return t[6] - 1.6666666269302368 * t[4] + 0.7142857313156128 * t[2];
        case 7:
            return t[7] - 1.9090908765792847 * t[5] + 1.0606060028076172 * t[3];
        case 8:
            return t[8] - 2.153846263885498 * t[6] + 1.4685314893722534 * t[4] -
                   0.32634031772613525 * t[2];
        default:
            return t[9] - 2.4000000953674316 * t[7] + 1.9384615421295166 * t[5] -
                   0.5874125957489014 * t[3];
    }
}

// The increment functions from one tensor table (values or one derivative).
void combine(const int* deg, const double* table, double* out) {
    int off = 4;
    for (int e = 0; e < 4; ++e) {
        // t[k] for k = 2..n sits at table[off + k - 2].
        const double* t = table + off - 2;
        out[e] = edge_function(deg[e], t);
        off += deg[e] - 1;
    }
    const int idg = deg[4];
    const int stride = idg - 1;
    // B(i, j) of the interior products.
    auto b = [&](int i, int j) { return table[off + (j - 2) * stride + (i - 2)]; };
    double* val = out + 4;
    const int nfun = 2 * idg - 3;
    for (int fn = 1; fn <= nfun; ++fn) {
        const int i = fn <= idg - 2 ? idg : fn - idg + 3;
        const int j = fn <= idg - 2 ? fn + 1 : idg;
        val[fn - 1] = b(i, j);
    }
    for (int r = ROWS.first[idg]; r < ROWS.first[idg + 1]; ++r) {
        const InteriorTerm& t = INTERIOR_TERMS[r];
        val[t.fn - 1] -= static_cast<double>(t.c) * b(t.k, t.l);
    }
}

// Degrees of the xi and eta factors: every degree the table needs of them.
void factor_degrees(const int* nid, int& nx, int& ny) {
    nx = std::max({nid[4], nid[6], nid[8]});
    ny = std::max({nid[5], nid[7], nid[8]});
}

// The tensor table from the xi factors fx and the eta factors fy.
void tensor_table(const int* nid, const double* fx, const double* fy, double* phi) {
    int n = 0;
    phi[n++] = fx[0] * fy[0];
    phi[n++] = fx[1] * fy[0];
    phi[n++] = fx[1] * fy[1];
    phi[n++] = fx[0] * fy[1];
    for (int k = 2; k <= nid[4]; ++k) phi[n++] = fx[k] * fy[0];
    for (int k = 2; k <= nid[5]; ++k) phi[n++] = fx[1] * fy[k];
    for (int k = 2; k <= nid[6]; ++k) phi[n++] = fx[k] * fy[1];
    for (int k = 2; k <= nid[7]; ++k) phi[n++] = fx[0] * fy[k];
    for (int j = 2; j <= nid[8]; ++j)
        for (int i = 2; i <= nid[8]; ++i) phi[n++] = fx[i] * fy[j];
}

}  // namespace

int increment_count(const int* nord) {
    const int p = nord[8];
    return p <= 0 ? 5 : 2 * p + 3;
}

void shapeol1(int n, double x, double* phi) {
    phi[0] = 0.5 * (1.0 - x);
    phi[1] = 0.5 * (1.0 + x);
    double xk = x;
    for (int k = 2; k <= n; ++k) {
        xk *= x;
        phi[k] = xk - (k % 2 == 0 ? 1.0 : x);
    }
}

void dshapol1(int n, double x, double* dphi) {
    dphi[0] = -0.5;
    dphi[1] = 0.5;
    double xk = 1.0;  // x^(k-1)
    for (int k = 2; k <= n; ++k) {
        xk *= x;
        dphi[k] = k * xk - (k % 2 == 0 ? 0.0 : 1.0);
    }
}

void shapeol2(const int* nid, double xi, double eta, double* phi) {
    int nx = 0, ny = 0;
    factor_degrees(nid, nx, ny);
    double fx[MAX_INC_DEGREE + 1], fy[MAX_INC_DEGREE + 1];
    shapeol1(nx, xi, fx);
    shapeol1(ny, eta, fy);
    tensor_table(nid, fx, fy, phi);
}

void dshapol2(const int* nid, double xi, double eta, double* dpx, double* dpy) {
    int nx = 0, ny = 0;
    factor_degrees(nid, nx, ny);
    double fx[MAX_INC_DEGREE + 1], fy[MAX_INC_DEGREE + 1];
    double dfx[MAX_INC_DEGREE + 1], dfy[MAX_INC_DEGREE + 1];
    shapeol1(nx, xi, fx);
    shapeol1(ny, eta, fy);
    dshapol1(nx, xi, dfx);
    dshapol1(ny, eta, dfy);
    tensor_table(nid, dfx, fy, dpx);
    tensor_table(nid, fx, dfy, dpy);
}

void shapeb(const int* nord, double xi, double eta, double* val) {
    int deg[5];
    degrees(nord, deg, "SHAPEB");
    int nid[9] = {0, 0, 0, 0, deg[0], deg[1], deg[2], deg[3], deg[4]};
    double phi[INC_TABLE];
    shapeol2(nid, xi, eta, phi);
    combine(deg, phi, val);
}

void dshapb(const int* nord, double xi, double eta, double* dxi, double* deta) {
    int deg[5];
    degrees(nord, deg, "DSHAPB");
    int nid[9] = {0, 0, 0, 0, deg[0], deg[1], deg[2], deg[3], deg[4]};
    double px[INC_TABLE], py[INC_TABLE];
    dshapol2(nid, xi, eta, px, py);
    combine(deg, px, dxi);
    combine(deg, py, deta);
}

}  // namespace kavren
