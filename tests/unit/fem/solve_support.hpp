// Support of the tests of the constrained element matrices and of SOLVE: a
// scratch project with an empty database and clean solution flags, the
// global dofs of an element's gathered list, and the element's constraint
// matrix T read off solelm (u = T u'), so that the tests never rebuild T
// from the constraint description they check.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

#include "../hpmesh/hpmesh_fixture.hpp"
#include "fem/tables.hpp"
#include "hpmesh/constraints.hpp"
#include "records/control.hpp"
#include "records/geometry.hpp"
#include "records/limits.hpp"
#include "records/mesh.hpp"

namespace kavren::testing {

class SolveTest : public MeshTest {
  protected:
    void SetUp() override {
        MeshTest::SetUp();
        cnsti();
        cnsti1d();
    }
};

// The global dofs of element nel in the order of its gathered list.
inline std::vector<int> gathered_dofs(int nel) {
    Infelm inf;
    infelm(nel, inf);
    std::vector<int> dofs;
    for (int k = 1; k <= 9; ++k) {
        if (inf.NICKC(k) % 100 == 0) continue;
        int d = cnode.NODPTR(inf.NICKC(k) / 100);
        for (int q = 0; q < inf.NICKC(k) % 100; ++q) {
            dofs.push_back(d);
            d = cnu.NU(d);
        }
    }
    return dofs;
}

// T of element nel (n by n, by columns): column b is solelm's answer when
// the b-th gathered dof is 1 and the others 0. Uses UOLD's fourth column.
inline std::vector<double> constraint_matrix(int nel, int& n) {
    const std::vector<int> dofs = gathered_dofs(nel);
    n = static_cast<int>(dofs.size());
    std::vector<double> t(static_cast<std::size_t>(n) * n);
    for (int b = 0; b < n; ++b) {
        for (int d : dofs) cuold.UOLD(d, 4) = 0.0;
        cuold.UOLD(dofs[static_cast<std::size_t>(b)], 4) = 1.0;
        int ndofe = 0;
        Arr1<int, 9> ndofl;
        double ue[MAXLDOF] = {};
        solelm(nel, ndofe, ndofl, ue, &cuold.UOLD(1, 4));
        EXPECT_EQ(ndofe, n);
        for (int a = 0; a < n; ++a) t[static_cast<std::size_t>(a + b * n)] = ue[a];
    }
    for (int d : dofs) cuold.UOLD(d, 4) = 0.0;
    return t;
}

// T^t K T (K n by n with leading dimension ld; the result n by n, by columns).
inline std::vector<double> congruence(const std::vector<double>& t, int n, const double* k,
                                      int ld) {
    std::vector<double> kt(static_cast<std::size_t>(n) * n, 0.0), r(kt.size(), 0.0);
    for (int b = 0; b < n; ++b)
        for (int j = 0; j < n; ++j) {
            const double tjb = t[static_cast<std::size_t>(j + b * n)];
            if (tjb == 0.0) continue;
            for (int i = 0; i < n; ++i)
                kt[static_cast<std::size_t>(i + b * n)] +=
                    k[i + static_cast<std::ptrdiff_t>(j) * ld] * tjb;
        }
    for (int b = 0; b < n; ++b)
        for (int a = 0; a < n; ++a) {
            double s = 0.0;
            for (int i = 0; i < n; ++i)
                s += t[static_cast<std::size_t>(i + a * n)] *
                     kt[static_cast<std::size_t>(i + b * n)];
            r[static_cast<std::size_t>(a + b * n)] = s;
        }
    return r;
}

// T^t f.
inline std::vector<double> transposed_times(const std::vector<double>& t, int n, const double* f) {
    std::vector<double> r(static_cast<std::size_t>(n), 0.0);
    for (int a = 0; a < n; ++a)
        for (int i = 0; i < n; ++i)
            r[static_cast<std::size_t>(a)] += t[static_cast<std::size_t>(i + a * n)] * f[i];
    return r;
}

// Largest magnitude of a vector, at least 1e-300.
inline double largest(const std::vector<double>& v) {
    double m = 1e-300;
    for (double x : v) m = std::max(m, std::fabs(x));
    return m;
}

}  // namespace kavren::testing
