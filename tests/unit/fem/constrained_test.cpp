// Constrained element matrices against the dense product T^t K T, T read off
// solelm, for every constraint case and every order of the larger sides.
#include "fem/constrained.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "fem/element.hpp"
#include "fem/mesh_seams.hpp"
#include "fem_support.hpp"
#include "hpmesh/geometry.hpp"
#include "records/preso.hpp"
#include "records/solver.hpp"
#include "solve_support.hpp"
#include "user/problem.hpp"

namespace kavren::testing {
namespace {

using ConstrainedTest = SolveTest;

// A constrained element in a small mesh: make() refines and orders the mesh
// and returns the element looked at.
struct Case {
    std::string name;
    int nx, ny;
    std::function<int(MeshBuilder&)> make;
    int ncons;
};

std::vector<Case> cases() {
    std::vector<Case> all;
    for (int p = 1; p <= MAXP; ++p) {
        const std::string at = " of order " + std::to_string(p);
        all.push_back({"quarter beside one larger element" + at, 2, 1,
                       [p](MeshBuilder& b) {
                           b.default_order(p);
                           return b.split4(2)[0];
                       },
                       1});
        all.push_back({"corner quarter beside two larger elements" + at, 2, 2,
                       [p](MeshBuilder& b) {
                           b.default_order(p);
                           return b.split4(1)[2];
                       },
                       2});
        all.push_back({"half between two larger elements" + at, 3, 1,
                       [p](MeshBuilder& b) {
                           b.default_order(p);
                           return b.split(2, 1);
                       },
                       3});
    }
    // Walls on sides of different orders, the element's own order below both.
    all.push_back({"two walls of orders 3 and 6", 2, 2,
                   [](MeshBuilder& b) {
                       b.default_order(2);
                       b.order(2, 3);
                       b.order(3, 6);
                       return b.split4(1)[2];
                   },
                   2});
    all.push_back({"two fathers, walls of orders 8 and 2", 3, 1,
                   [](MeshBuilder& b) {
                       b.default_order(1);
                       b.order(1, 8);
                       b.order(3, 2);
                       return b.split(2, 1) + 1;
                   },
                   3});
    return all;
}

// A problem whose nine coefficients and three loads are all non-zero and
// differ between components, so that every block and every load is distinct.
void coupled_mcoeff(int ld, double x, double y, double* a11, double* a12, double* a21, double* a22,
                    double* b1, double* b2, double* d1, double* d2, double* c, double* rh,
                    double* rhx, double* rhy) {
    const int n = ceqsys.NREQNS;
    double* arrays[9] = {a11, a12, a21, a22, b1, b2, d1, d2, c};
    for (int t = 0; t < 9; ++t)
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i)
                arrays[t][i + j * ld] = (i == j ? 2.0 : 0.3) + 0.1 * t + 0.05 * (i - 2 * j) +
                                        0.2 * x * (t + 1) - 0.1 * y * (i + 1);
    for (int i = 0; i < n; ++i) {
        rh[i] = 1.0 + x * y + i;
        rhx[i] = 0.5 - y + 0.3 * i;
        rhy[i] = x - 0.2 * i;
    }
}

void smooth_w(double& x, double& y, double& u, double* du, double* d2u) {
    u = std::sin(x) + y * y;
    du[0] = std::cos(x);
    du[1] = 2.0 * y;
    d2u[0] = -std::sin(x);
    d2u[1] = d2u[2] = 0.0;
    d2u[3] = 2.0;
}

TEST_F(ConstrainedTest, ElmconIsTheCongruenceWithTheConstraintsOfSolelm) {
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(c.nx, c.ny);
        const int nel = c.make(b);
        ASSERT_EQ(b.build(), "");
        Infelm inf;
        infelm(nel, inf);
        ASSERT_EQ(inf.NCONS, c.ncons);
        int n = 0;
        const std::vector<double> t = constraint_matrix(nel, n);
        // A leading dimension larger than the block, as inside a component-block matrix.
        const int ld = n + 5;
        std::vector<double> k(static_cast<std::size_t>(ld) * n), f(static_cast<std::size_t>(n));
        for (double& v : k) v = dist(gen);
        for (double& v : f) v = dist(gen);
        const std::vector<double> want = congruence(t, n, k.data(), ld);
        const std::vector<double> want_f = transposed_times(t, n, f.data());
        std::vector<double> w(static_cast<std::size_t>(MAX_ELFUN) * MAX_ELFUN), v(MAX_ELFUN);
        if (c.ncons == 3)
            elmcon2(nel, n, ld, k.data(), f.data(), MAX_ELFUN, w.data(), v.data(), inf);
        else
            elmcon(nel, n, ld, k.data(), f.data(), MAX_ELFUN, w.data(), v.data(), inf);
        const double scale = largest(want);
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i)
                ASSERT_NEAR(k[static_cast<std::size_t>(i + j * ld)],
                            want[static_cast<std::size_t>(i + j * n)], 1e-13 * scale)
                    << "entry " << i + 1 << "," << j + 1;
        for (int i = 0; i < n; ++i)
            ASSERT_NEAR(f[static_cast<std::size_t>(i)], want_f[static_cast<std::size_t>(i)],
                        1e-13 * largest(want_f))
                << "load " << i + 1;
    }
}

TEST_F(ConstrainedTest, ElmconLeavesAnUnconstrainedBlockAlone) {
    MeshBuilder b(2, 1);
    b.default_order(4);
    ASSERT_EQ(b.build(), "");
    Infelm inf;
    infelm(1, inf);
    ASSERT_EQ(inf.NCONS, 0);
    const int n = static_cast<int>(gathered_dofs(1).size());
    std::vector<double> k(static_cast<std::size_t>(n) * n), f(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < k.size(); ++i) k[i] = static_cast<double>(i) - 3.5;
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = 0.25 * static_cast<double>(i);
    const std::vector<double> k0 = k, f0 = f;
    std::vector<double> w(static_cast<std::size_t>(MAX_ELFUN) * MAX_ELFUN, 9.0), v(MAX_ELFUN, 9.0);
    elmcon(1, n, n, k.data(), f.data(), MAX_ELFUN, w.data(), v.data(), inf);
    EXPECT_EQ(k, k0);
    EXPECT_EQ(f, f0);
}

// One wall of order 1: the entries the hanging vertex contributes, written out.
TEST_F(ConstrainedTest, AWallOfOrderOneMovesHalfTheHangingVertexOntoItsFather) {
    MeshBuilder b(2, 1);
    const int q = b.split4(2)[0];
    ASSERT_EQ(b.build(), "");
    Infelm inf;
    infelm(q, inf);
    ASSERT_EQ(inf.NCONS, 1);
    const int fa = inf.J00(1) - 1, h = inf.IHANG1 - 1, s = 1;  // vertex 2 is free
    ASSERT_EQ(inf.NW1, 1);
    const int n = 4;
    std::vector<double> k(16), f(4);
    for (int i = 0; i < 16; ++i) k[static_cast<std::size_t>(i)] = 1.0 + i * i;
    for (int i = 0; i < 4; ++i) f[static_cast<std::size_t>(i)] = 10.0 + i;
    const std::vector<double> k0 = k, f0 = f;
    auto K0 = [&](int i, int j) { return k0[static_cast<std::size_t>(i + j * n)]; };
    std::vector<double> w(static_cast<std::size_t>(MAX_ELFUN) * MAX_ELFUN), v(MAX_ELFUN);
    elmcon(q, n, n, k.data(), f.data(), MAX_ELFUN, w.data(), v.data(), inf);
    auto K = [&](int i, int j) { return k[static_cast<std::size_t>(i + j * n)]; };
    EXPECT_DOUBLE_EQ(K(fa, fa), K0(fa, fa) + 0.5 * (K0(fa, h) + K0(h, fa)) + 0.25 * K0(h, h));
    EXPECT_DOUBLE_EQ(K(h, h), 0.25 * K0(h, h));
    EXPECT_DOUBLE_EQ(K(s, h), 0.5 * K0(s, h));
    EXPECT_DOUBLE_EQ(K(h, s), 0.5 * K0(h, s));
    EXPECT_DOUBLE_EQ(K(s, s), K0(s, s));
    EXPECT_DOUBLE_EQ(f[static_cast<std::size_t>(fa)],
                     f0[static_cast<std::size_t>(fa)] + 0.5 * f0[static_cast<std::size_t>(h)]);
    EXPECT_DOUBLE_EQ(f[static_cast<std::size_t>(h)], 0.5 * f0[static_cast<std::size_t>(h)]);
}

TEST_F(ConstrainedTest, MelmconTransformsEveryBlockAndEachLoadOnce) {
    HookGuard<DomainCoefficients> coefficients(problem_mcoeff, &coupled_mcoeff);
    HookGuard<ExactSolution> exact(problem_exact, &smooth_w);
    std::vector<Case> all = cases();
    // Unconstrained elements too: there the result is melem's and bcelem's.
    all.push_back({"unconstrained element of order 5", 2, 1,
                   [](MeshBuilder& b) {
                       b.default_order(5);
                       return 1;
                   },
                   0});
    for (int neq : {2, 3}) {
        for (const Case& c : all) {
            SCOPED_TRACE(c.name + ", " + std::to_string(neq) + " components");
            MeshBuilder b(c.nx, c.ny);
            const int nel = c.make(b);
            ASSERT_EQ(b.build(), "");
            ceqsys.NREQNS = neq;
            fill_random_solution(3);
            int n = 0;
            const std::vector<double> t = constraint_matrix(nel, n);
            const int ntot = n * neq;

            // The unconstrained matrix and load, straight from the element routines.
            Infelm inf;
            infelm(nel, inf);
            ASSERT_EQ(inf.NCONS, c.ncons);
            int nord[9];
            for (int k = 0; k < 9; ++k) nord[k] = inf.IDGS(k + 1);
            Arr2<double, 2, 9> xnod;
            nodcor(nel, xnod);
            std::vector<double> k(static_cast<std::size_t>(MAX_ELVAR) * ntot), f(MAX_ELVAR);
            ASSERT_EQ(melem(nel, nord, n, xnod.data(), MAX_ELVAR, k.data(), f.data()), ELEM_DONE);
            ASSERT_EQ(bcelem(nel, nord, n, xnod.data(), MAX_ELVAR, k.data(), f.data()), ELEM_DONE);

            Cxkyk& e = cxkyk;
            e.XK.fill(-7.0);
            ASSERT_EQ(melmcon(nel, MAX_ELVAR, e.XK.data(), e.YK.data(), MAX_ELFUN, e.W.data(),
                              e.V.data()),
                      ELEM_DONE);
            EXPECT_EQ(cpreso.NEL, nel);
            EXPECT_EQ(cpreso.NDOFE, n);
            for (int i = 0; i < neq; ++i) {
                const std::vector<double> want_f =
                    transposed_times(t, n, f.data() + static_cast<std::ptrdiff_t>(i) * n);
                for (int a = 0; a < n; ++a)
                    ASSERT_NEAR(e.YK(i * n + a + 1), want_f[static_cast<std::size_t>(a)],
                                1e-12 * largest(want_f))
                        << "load of component " << i + 1 << ", dof " << a + 1;
                for (int j = 0; j < neq; ++j) {
                    const double* block =
                        k.data() + i * n + static_cast<std::ptrdiff_t>(j) * n * MAX_ELVAR;
                    const std::vector<double> want = congruence(t, n, block, MAX_ELVAR);
                    const double scale = largest(want);
                    for (int bb = 0; bb < n; ++bb)
                        for (int a = 0; a < n; ++a)
                            ASSERT_NEAR(e.XK(i * n + a + 1, j * n + bb + 1),
                                        want[static_cast<std::size_t>(a + bb * n)], 1e-12 * scale)
                                << "block " << i + 1 << "," << j + 1 << " entry " << a + 1 << ","
                                << bb + 1;
                }
            }
        }
    }
}

TEST_F(ConstrainedTest, MelmconLeavesTheElementsValuesAndSize) {
    HookGuard<ExactSolution> exact(problem_exact, &smooth_w);
    MeshBuilder b(2, 2);
    b.default_order(3);
    const int q = b.split4(1)[2];
    b.map([](double x, double y) { return std::array<double, 2>{2.0 * x, 0.5 * y}; });
    ASSERT_EQ(b.build(), "");
    ceqsys.NREQNS = 1;
    fill_random_solution(9);
    Cxkyk& e = cxkyk;
    ASSERT_EQ(melmcon(q, MAX_ELVAR, e.XK.data(), e.YK.data(), MAX_ELFUN, e.W.data(), e.V.data()),
              ELEM_DONE);
    // The quarter is 1 by 0.25 after the map.
    EXPECT_DOUBLE_EQ(celsize.ELSIZE, 1.0);
    for (int c = 1; c <= 4; ++c) {
        int ndofe = 0;
        Arr1<int, 9> ndofl;
        double uo[MAXLDOF], un[MAXLDOF];
        solelm(q, ndofe, ndofl, uo, &cuold.UOLD(1, c));
        solelm(q, ndofe, ndofl, un, &cunew.UNEW(1, c));
        for (int a = 0; a < ndofe; ++a) {
            EXPECT_EQ(cpreso.UEOLD(a + 1, c), uo[a]);
            EXPECT_EQ(cpreso.UENEW(a + 1, c), un[a]);
        }
    }
}

TEST_F(ConstrainedTest, AnInvertedElementIsRefusedByName) {
    HookGuard<ExactSolution> exact(problem_exact, &smooth_w);
    MeshBuilder b(1, 1);
    b.map([](double x, double y) { return std::array<double, 2>{-x, y}; });
    ASSERT_EQ(b.build(), "");
    Cxkyk& e = cxkyk;
    EXPECT_EQ(melmcon(1, MAX_ELVAR, e.XK.data(), e.YK.data(), MAX_ELFUN, e.W.data(), e.V.data()),
              ELEM_BAD_JACOBIAN);
    EXPECT_EQ(last_error_line(), " *** MELEM: NON-POSITIVE JACOBIAN IN ELEMENT      1");
}

}  // namespace
}  // namespace kavren::testing
