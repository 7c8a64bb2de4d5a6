// SOLVE on meshes of the database: the solution of a problem whose exact
// solution lies in the discrete space is that solution, on meshes with
// hanging nodes and mixed orders; an unsymmetric coupled problem gives the
// dense solution of its assembled system; a refused solve leaves UNEW and the
// flags as they were.
#include "frontal/solve1.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "../fem/fem_support.hpp"
#include "../fem/solve_support.hpp"
#include "fem/constrained.hpp"
#include "fem/element.hpp"
#include "fem/fesol.hpp"
#include "frontal/frontal.hpp"
#include "hpmesh/tree.hpp"
#include "records/control.hpp"
#include "records/debug.hpp"
#include "records/solver.hpp"
#include "user/problem.hpp"

namespace kavren::testing {
namespace {

using Solve1Test = SolveTest;

//// exact solutions ////

// A polynomial of degree q in x and in y, with its derivatives.
int g_degree = 3;
double poly(double x, double y, int dx, int dy) {
    // Sum of c(i,j) x^i y^j over i, j <= q with fixed coefficients of mixed signs.
    double s = 0.0;
    for (int i = 0; i <= g_degree; ++i)
        for (int j = 0; j <= g_degree; ++j) {
            if (i < dx || j < dy) continue;
            const double c = ((i + 2 * j) % 3 - 1) * 0.5 + 0.25 * (i == j);
            double t = c;
            for (int k = 0; k < dx; ++k) t *= i - k;
            for (int k = 0; k < dy; ++k) t *= j - k;
            s += t * std::pow(x, i - dx) * std::pow(y, j - dy);
        }
    return s;
}
void poly_w(double& x, double& y, double& u, double* du, double* d2u) {
    u = poly(x, y, 0, 0);
    du[0] = poly(x, y, 1, 0);
    du[1] = poly(x, y, 0, 1);
    d2u[0] = poly(x, y, 2, 0);
    d2u[1] = d2u[2] = poly(x, y, 1, 1);
    d2u[3] = poly(x, y, 0, 2);
}

//// meshes ////

// Random refinements of an nx by ny mesh, each step a split into four or into
// two either way where the mesh stays 1-irregular; orders drawn from lo..hi.
void random_mesh(MeshBuilder& b, std::mt19937& gen, int steps, int lo, int hi) {
    for (int step = 0; step < steps; ++step) {
        std::vector<int> active;
        int nel = 0;
        for (int i = 0; i < cdata.NRELEM; ++i) active.push_back(nel = nelcon(nel));
        const int e = active[gen() % active.size()];
        const int kind = static_cast<int>(gen() % 3);
        if (kind == 0)
            b.try_split4(e);
        else
            b.try_split(e, kind);
    }
    int nel = 0;
    for (int i = 0; i < cdata.NRELEM; ++i)
        b.order(nel = nelcon(nel), lo + static_cast<int>(gen() % (hi - lo + 1)));
}

// Largest error of every component of UNEW against w over random points of
// every active element, relative to the largest |w| met, read through the
// solution readers (solelm and the shape functions), with the gradient.
struct Errors {
    double value = 0.0, gradient = 0.0, place = 0.0;
};
Errors solution_errors(const MeshBuilder& b, std::mt19937& gen, int neq) {
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    double wmax = 1e-300, gmax = 1e-300, eu = 0.0, eg = 0.0, ex = 0.0;
    for (const ActiveElement& a : b.topology().elems) {
        for (int i = 0; i < 4; ++i) {
            const double xi = dist(gen), eta = dist(gen);
            const std::array<double, 2> p = b.logical(a.nel, xi, eta);
            double x = 0, y = 0, u[4], ux[4], uy[4];
            nfesol1(a.nel, xi, eta, x, y, u, ux, uy);
            ex = std::max(ex, std::hypot(x - p[0], y - p[1]));
            double px = p[0], py = p[1], w, dw[2], ddw[4];
            poly_w(px, py, w, dw, ddw);
            wmax = std::max(wmax, std::fabs(w));
            gmax = std::max(gmax, std::hypot(dw[0], dw[1]));
            for (int k = 0; k < neq; ++k) {
                eu = std::max(eu, std::fabs(u[k] - w));
                eg = std::max(eg, std::hypot(ux[k] - dw[0], uy[k] - dw[1]));
            }
        }
    }
    return {eu / wmax, eg / gmax, ex};
}

//// polynomial solutions ////

struct PolyCase {
    std::string name;
    int neq, isymet;
    int nx, ny, steps;
    int lo, hi;  // orders of the elements
    int degree;  // of w in x and in y
    int bottom, right, top, left;
    int nicmul;  // the multiplier the node unknowns need
};

TEST_F(Solve1Test, APolynomialOfTheSpaceIsReproducedOnMeshesWithHangingNodes) {
    HookGuard<ExactSolution> exact(problem_exact, &poly_w);
    // Boundary 1 (and 4) Dirichlet by penalty, 2 Robin, 3 Neumann. A Robin or
    // Neumann side's rule integrates exactly only below twice its order, so
    // there w stays a degree below the orders. The penalty and the
    // single-precision Gauss-Lobatto rules of the sides limit the agreement to
    // about 1e-8.
    const PolyCase cases[] = {
        {"one element of order 1", 1, 2, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 100},
        {"heat, Dirichlet all round", 1, 2, 2, 2, 20, 3, 8, 3, 1, 4, 1, 4, 100},
        {"elasticity, Dirichlet all round", 2, 1, 2, 2, 20, 3, 8, 3, 1, 4, 1, 4, 100},
        {"heat with Robin and Neumann sides", 1, 2, 2, 1, 12, 2, 6, 1, 1, 2, 3, 4, 100},
        {"elasticity with Robin and Neumann sides", 2, 1, 2, 2, 12, 3, 5, 2, 1, 2, 3, 4, 100},
        {"quadratic elements of two components", 2, 1, 3, 2, 6, 2, 2, 2, 1, 1, 1, 1, 100},
        {"three components at order 8", 3, 1, 2, 1, 2, 8, 8, 4, 1, 4, 1, 4, 1000},
        {"four components at order 6", 4, 2, 2, 1, 2, 6, 6, 3, 1, 1, 1, 1, 1000},
    };
    for (const PolyCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 gen(17);
        MeshBuilder b(c.nx, c.ny);
        b.boundary_numbers(c.bottom, c.right, c.top, c.left);
        random_mesh(b, gen, c.steps, c.lo, c.hi);
        ASSERT_EQ(b.build(), "");
        ASSERT_TRUE(database_consistent());
        ceqsys.NREQNS = c.neq;
        csymet.ISYMET = c.isymet;
        g_degree = c.degree;
        fill_random_solution(5);
        const auto uold = std::make_unique<Cuold>(cuold);

        ASSERT_EQ(solve1(), 0) << file("decks/t.err");
        EXPECT_EQ(surfc1.IERR(), 0);
        EXPECT_EQ(surfc1.NICMUL(), c.nicmul);
        EXPECT_EQ(std::make_tuple(cflags.ISOLVD, cflags.IESTIM, cflags.ISOLVR),
                  std::make_tuple(1, 0, 1));
        const Errors e = solution_errors(b, gen, c.neq);
        EXPECT_LT(e.value, 1e-6);
        EXPECT_LT(e.gradient, 1e-5);
        EXPECT_LT(e.place, 1e-12);
        EXPECT_TRUE(std::equal(uold->UOLD.data(), uold->UOLD.data() + ICOLU_ROWS * MXEQNS_MAX,
                               cuold.UOLD.data()))
            << "UOLD changed";
        EXPECT_EQ(file("decks/t.err"), "");
    }
}

//// an unsymmetric coupled problem against a dense solve ////

// Two components coupled through their diffusion and mass terms, with a
// convection term that makes the matrix unsymmetric when g_convection is set.
bool g_convection = true;
void convection_mcoeff(int ld, double x, double y, double* a11, double* a12, double* a21,
                       double* a22, double* b1, double* b2, double* d1, double* d2, double* c,
                       double* rh, double* rhx, double* rhy) {
    const int n = ceqsys.NREQNS;
    for (double* a : {a11, a12, a21, a22, b1, b2, d1, d2, c})
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) a[i + j * ld] = 0.0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double coupling = i == j ? 1.0 : 0.15;
            a11[i + j * ld] = coupling;
            a22[i + j * ld] = coupling * (1.0 + 0.2 * x);
            c[i + j * ld] = coupling;
        }
        if (g_convection) {
            b1[i + i * ld] = 0.6 + 0.2 * y;
            d2[i + i * ld] = -0.3;
        }
        rh[i] = 1.0 + x - y * (i + 1);
        rhx[i] = 0.1 * i;
        rhy[i] = 0.2 * x;
    }
}

// Dense LU with partial pivoting: solves a x = r in place of r.
void dense_solve(std::vector<double>& a, std::vector<double>& r, int n) {
    auto A = [&](int i, int j) -> double& { return a[static_cast<std::size_t>(i) * n + j]; };
    for (int k = 0; k < n; ++k) {
        int p = k;
        for (int i = k + 1; i < n; ++i)
            if (std::fabs(A(i, k)) > std::fabs(A(p, k))) p = i;
        for (int j = 0; j < n; ++j) std::swap(A(k, j), A(p, j));
        std::swap(r[static_cast<std::size_t>(k)], r[static_cast<std::size_t>(p)]);
        for (int i = k + 1; i < n; ++i) {
            const double f = A(i, k) / A(k, k);
            for (int j = k; j < n; ++j) A(i, j) -= f * A(k, j);
            r[static_cast<std::size_t>(i)] -= f * r[static_cast<std::size_t>(k)];
        }
    }
    for (int k = n - 1; k >= 0; --k) {
        double s = r[static_cast<std::size_t>(k)];
        for (int j = k + 1; j < n; ++j) s -= A(k, j) * r[static_cast<std::size_t>(j)];
        r[static_cast<std::size_t>(k)] = s / A(k, k);
    }
}

TEST_F(Solve1Test, AnUnsymmetricCoupledProblemGivesTheDenseSolutionOfItsAssembly) {
    HookGuard<DomainCoefficients> coefficients(problem_mcoeff, &convection_mcoeff);
    HookGuard<ExactSolution> exact(problem_exact, &poly_w);
    g_degree = 2;
    for (int isymet : {2, 1}) {
        SCOPED_TRACE(isymet == 2 ? "unsymmetric" : "symmetric");
        g_convection = isymet == 2;
        std::mt19937 gen(23);
        MeshBuilder b(2, 2);
        b.boundary_numbers(3, 2, 3, 1);
        random_mesh(b, gen, 10, 1, 4);
        ASSERT_EQ(b.build(), "");
        ceqsys.NREQNS = 2;
        csymet.ISYMET = isymet;

        // Assembly of the constrained element matrices onto (dof, component).
        std::map<std::pair<int, int>, int> index;
        const auto unknown = [&](int d, int k) {
            auto it = index.emplace(std::make_pair(d, k), static_cast<int>(index.size())).first;
            return it->second;
        };
        std::vector<std::vector<int>> rows;  // global unknown of each element row
        int nel = 0;
        for (int i = 0; i < cdata.NRELEM; ++i) {
            nel = nelcon(nel);
            const std::vector<int> dofs = gathered_dofs(nel);
            std::vector<int> g;
            for (int k = 1; k <= 2; ++k)
                for (int d : dofs) g.push_back(unknown(d, k));
            rows.push_back(g);
        }
        const int n = static_cast<int>(index.size());
        std::vector<double> a(static_cast<std::size_t>(n) * n, 0.0), r(static_cast<std::size_t>(n));
        nel = 0;
        for (const std::vector<int>& g : rows) {
            nel = nelcon(nel);
            Cxkyk& e = cxkyk;
            ASSERT_EQ(melmcon(nel, MAX_ELVAR, e.XK.data(), e.YK.data(), MAX_ELFUN, e.W.data(),
                              e.V.data()),
                      ELEM_DONE);
            const int m = static_cast<int>(g.size());
            for (int i = 0; i < m; ++i) {
                for (int j = 0; j < m; ++j)
                    a[static_cast<std::size_t>(g[static_cast<std::size_t>(i)]) * n +
                      g[static_cast<std::size_t>(j)]] += e.XK(i + 1, j + 1);
                r[static_cast<std::size_t>(g[static_cast<std::size_t>(i)])] += e.YK(i + 1);
            }
        }
        dense_solve(a, r, n);

        ASSERT_EQ(solve1(), 0) << file("decks/t.err");
        double rmax = 0.0, diff = 0.0;
        for (const auto& [key, at] : index) {
            rmax = std::max(rmax, std::fabs(r[static_cast<std::size_t>(at)]));
            diff = std::max(diff, std::fabs(cunew.UNEW(key.first, key.second) -
                                            r[static_cast<std::size_t>(at)]));
        }
        EXPECT_LT(diff, 1e-9 * rmax) << n << " unknowns";
    }
}

//// refused solves ////

// The mesh folded back on itself beyond x = 1: element 2 is inverted.
std::array<double, 2> folded(double x, double y) {
    return {x <= 1.0 ? x : 1.5 - 0.5 * x, y};
}

// A problem without any coefficient: its matrix is zero.
void empty_mcoeff(int ld, double /*x*/, double /*y*/, double* a11, double* a12, double* a21,
                  double* a22, double* b1, double* b2, double* d1, double* d2, double* c,
                  double* rh, double* rhx, double* rhy) {
    const int n = ceqsys.NREQNS;
    for (double* a : {a11, a12, a21, a22, b1, b2, d1, d2, c})
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) a[i + j * ld] = 0.0;
    for (int i = 0; i < n; ++i) rh[i] = rhx[i] = rhy[i] = 0.0;
}

TEST_F(Solve1Test, ARefusedSolveLeavesUnewAndTheFlagsAndTheNextSolveWorks) {
    HookGuard<ExactSolution> exact(problem_exact, &poly_w);
    g_degree = 1;
    struct Refusal {
        const char* name;
        bool fold;
        const char* element_message;  // "" when the elements are fine
        const char* solver_message;
    };
    const Refusal refusals[] = {
        {"inverted element", true, " *** MELEM: NON-POSITIVE JACOBIAN IN ELEMENT      2",
         "     ERROR IN FRWCP: ELEMENT REFUSED:     2"},
        {"zero matrix", false, "", "     ERROR IN FRWCP: ZERO PIVOT IN ELEMENT:   1"},
    };
    for (const Refusal& f : refusals) {
        SCOPED_TRACE(f.name);
        units::open_text(cinout.LUERR, "decks/t.err", units::Open::create);
        std::mt19937 gen(3);
        MeshBuilder b(2, 1);
        // Neumann sides only, so that the empty problem has no penalty either.
        b.boundary_numbers(3, 3, 3, 3);
        b.default_order(2);
        if (f.fold) b.map(folded);
        ASSERT_EQ(b.build(), "");
        ceqsys.NREQNS = 1;
        csymet.ISYMET = 2;
        fill_random_solution(8);
        const auto before = std::make_unique<Cunew>(cunew);
        cflags.ISOLVD = 1;
        cflags.IESTIM = 1;
        cflags.ISOLVR = 3;
        csolst.IFAILD = 0;
        {
            HookGuard<DomainCoefficients> coefficients(problem_mcoeff,
                                                       f.fold ? &mcoeff : &empty_mcoeff);
            EXPECT_NE(solve1(), 0);
        }
        EXPECT_TRUE(std::equal(before->UNEW.data(), before->UNEW.data() + ICOLU_ROWS * MXEQNS_MAX,
                               cunew.UNEW.data()))
            << "UNEW changed";
        EXPECT_EQ(std::make_tuple(cflags.ISOLVD, cflags.IESTIM, cflags.ISOLVR),
                  std::make_tuple(0, 1, 3));
        EXPECT_EQ(csolst.IFAILD, 1);  // the driver's steps refuse until a solve succeeds
        const std::string err = file("decks/t.err");
        if (*f.element_message != '\0') {
            EXPECT_NE(err.find(std::string(f.element_message) + "\n"), std::string::npos) << err;
        }
        EXPECT_NE(err.find(std::string(f.solver_message) + "\n"), std::string::npos) << err;
        EXPECT_NE(err.find("  ERROR DETECTED IN SURFSS:  SEE project.ERR FILE FOR MESSAGE\n"),
                  std::string::npos)
            << err;

        // The same mesh unfolded, with the built-in problem, solves.
        if (f.fold) continue;
        ASSERT_EQ(solve1(), 0) << file("decks/t.err");
        EXPECT_EQ(std::make_tuple(cflags.ISOLVD, cflags.IESTIM, cflags.ISOLVR),
                  std::make_tuple(1, 0, 1));
        EXPECT_EQ(csolst.IFAILD, 0);
        EXPECT_LT(solution_errors(b, gen, 1).value, 1e-6);
    }
}

TEST_F(Solve1Test, NoMeshIsRefusedBeforeTheSolver) {
    cflags.ISOLVD = 1;
    surfc1.NUMELM() = -5;
    csolst.IFAILD = 0;
    EXPECT_NE(solve1(), 0);
    EXPECT_EQ(cflags.ISOLVD, 0);
    EXPECT_EQ(csolst.IFAILD, 1);
    EXPECT_EQ(surfc1.NUMELM(), -5);
    EXPECT_EQ(last_error_line(), " *** NO MESH HAS BEEN DEFINED: USE GEOMETRY FIRST ***");
}

}  // namespace
}  // namespace kavren::testing
