// The element-space fit of fill_solution: on each active element the least-
// squares fit of f in the element's functions at a tensor Gauss rule that is
// unisolvent for them, then the coefficients of the element's own nodes
// (positive nicknames) go to their dofs.
#include <cmath>
#include <vector>

#include "adapt_fixture.hpp"
#include "fem/shape.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"

namespace kavren::testing {

namespace {

// Solves the symmetric positive definite system a x = b (n by n, by rows) in place.
void solve_dense(std::vector<double>& a, std::vector<double>& b, int n) {
    for (int k = 0; k < n; ++k) {
        const double piv = a[static_cast<std::size_t>(k * n + k)];
        for (int i = k + 1; i < n; ++i) {
            const double f = a[static_cast<std::size_t>(i * n + k)] / piv;
            for (int j = k; j < n; ++j)
                a[static_cast<std::size_t>(i * n + j)] -=
                    f * a[static_cast<std::size_t>(k * n + j)];
            b[static_cast<std::size_t>(i)] -= f * b[static_cast<std::size_t>(k)];
        }
    }
    for (int k = n - 1; k >= 0; --k) {
        double s = b[static_cast<std::size_t>(k)];
        for (int j = k + 1; j < n; ++j)
            s -= a[static_cast<std::size_t>(k * n + j)] * b[static_cast<std::size_t>(j)];
        b[static_cast<std::size_t>(k)] = s / a[static_cast<std::size_t>(k * n + k)];
    }
}

}  // namespace

void fill_solution(const std::function<double(double, double)>& f) {
    int nel = 0;
    for (int e = 1; e <= cdata.NRELEM; ++e) {
        nel = nelcon(nel);
        Infelm inf;
        infelm(nel, inf);
        int nord[9];
        int pmax = 1;
        for (int k = 1; k <= 9; ++k) {
            nord[k - 1] = std::max(1, inf.IDGS(k));
            if (k > 4) pmax = std::max(pmax, nord[k - 1]);
        }
        const int n = element_nfun(nord);
        Arr2<double, 2, 9> xnodl;
        nodcor(nel, xnodl);
        const int ng = pmax + 1;
        std::vector<double> ata(static_cast<std::size_t>(n * n), 0.0);
        std::vector<double> atb(static_cast<std::size_t>(n), 0.0);
        double val[MAX_ELFUN];
        for (int j = 1; j <= ng; ++j)
            for (int i = 1; i <= ng; ++i) {
                const double xi = cint.XG(i, ng), eta = cint.XG(j, ng);
                double x, y, a, b, c, d, det;
                jcbian(xnodl.data(), xi, eta, x, y, a, b, c, d, det);
                shape2(nord, xi, eta, val);
                const double fv = f(x, y);
                for (int r = 0; r < n; ++r) {
                    atb[static_cast<std::size_t>(r)] += val[r] * fv;
                    for (int s = 0; s < n; ++s)
                        ata[static_cast<std::size_t>(r * n + s)] += val[r] * val[s];
                }
            }
        solve_dense(ata, atb, n);
        // The element's functions run node by node as its nodes' dof chains do.
        int slot = 0;
        findno(nel, slot);
        int first = 0;
        for (int k = 1; k <= 9; ++k) {
            const int p = nord[k - 1];
            const int count = k <= 4 ? 1 : k <= 8 ? p - 1 : (p - 1) * (p - 1);
            const int nick = celem.NICK(k, slot);
            if (nick > 0) {
                int dof = cnode.NODPTR(nick / 100);
                for (int m = 0; m < count && dof > 0; ++m) {
                    const double v = atb[static_cast<std::size_t>(first + m)];
                    for (int c = 1; c <= MXEQNS_MAX; ++c) cunew.UNEW(dof, c) = c * v;
                    dof = cnu.NU(dof);
                }
            }
            first += count;
        }
    }
}

}  // namespace kavren::testing
