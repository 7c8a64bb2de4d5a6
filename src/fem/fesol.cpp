#include "fem/fesol.hpp"

#include "fem/mesh_seams.hpp"
#include "fem/shape.hpp"
#include "records/limits.hpp"

namespace kavren {

namespace {

constexpr int OLD_SOLUTION = 1;
constexpr int NEW_SOLUTION = 2;

// Values of the four components at (xi, eta); an element that cannot be read
// gives zeros.
void values(int which, int nel, double xi, double eta, double* u) {
    static ElementValues ev;
    for (int j = 0; j < MAX_EQNS; ++j) u[j] = 0.0;
    if (!element_values(nel, which, ev)) return;
    double val[MAX_ELFUN];
    shape2(ev.nord, xi, eta, val);
    for (int j = 0; j < MAX_EQNS; ++j)
        for (int k = 0; k < ev.ndofe; ++k) u[j] += ev.ue[j * MAX_ELFUN + k] * val[k];
}

// The same with the point and the x- and y-derivatives.
void values_and_derivatives(int which, int nel, double xi, double eta, double& x, double& y,
                            double* u, double* dudx, double* dudy) {
    static ElementValues ev;
    for (int j = 0; j < MAX_EQNS; ++j) u[j] = dudx[j] = dudy[j] = 0.0;
    x = y = 0.0;
    if (!element_values(nel, which, ev)) return;
    double val[MAX_ELFUN], dxi[MAX_ELFUN], deta[MAX_ELFUN];
    shape2(ev.nord, xi, eta, val);
    dshap2(ev.nord, xi, eta, dxi, deta);
    double dxidx, dxidy, detadx, detady, detj;
    jcbian(ev.xnod, xi, eta, x, y, dxidx, dxidy, detadx, detady, detj);
    for (int j = 0; j < MAX_EQNS; ++j)
        for (int k = 0; k < ev.ndofe; ++k) {
            const double e = ev.ue[j * MAX_ELFUN + k];
            u[j] += e * val[k];
            dudx[j] += e * (dxi[k] * dxidx + deta[k] * detadx);
            dudy[j] += e * (dxi[k] * dxidy + deta[k] * detady);
        }
}

}  // namespace

void nfesol(int nel, double xi, double eta, double* u) {
    values(NEW_SOLUTION, nel, xi, eta, u);
}

void nfesol1(int nel, double xi, double eta, double& x, double& y, double* u, double* dudx,
             double* dudy) {
    values_and_derivatives(NEW_SOLUTION, nel, xi, eta, x, y, u, dudx, dudy);
}

void ofesol(int nel, double xi, double eta, double* u) {
    values(OLD_SOLUTION, nel, xi, eta, u);
}

void ofesol1(int nel, double xi, double eta, double& x, double& y, double* u, double* dudx,
             double* dudy) {
    values_and_derivatives(OLD_SOLUTION, nel, xi, eta, x, y, u, dudx, dudy);
}

}  // namespace kavren
