// Random sequences of refinements and unrefinements (IDEC = 1): the database
// stays consistent after every step, a refused unrefinement changes nothing,
// and both solution arrays keep a function that every mesh of the sequence
// holds exactly: a polynomial of degree 2 in each variable without the x^2 y^2
// term, on meshes whose edges have order 2 or 3 and whose interiors order 1.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "fem/shape.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/elcommands.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/refinexy.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh/unrefine.hpp"
#include "hpmesh_fixture.hpp"
#include "records/control.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"
#include "solution_probe.hpp"

namespace kavren::testing {
namespace {

using UnrefineProperty = MeshTest;

constexpr int NX = 3, NY = 3;

// a + b x + c y + d xy + e x^2 + g x^2 y + h y^2 + k x y^2.
struct Poly {
    double c[8];
    double operator()(double x, double y) const {
        return c[0] + c[1] * x + c[2] * y + c[3] * x * y + c[4] * x * x + c[5] * x * x * y +
               c[6] * y * y + c[7] * x * y * y;
    }
};

// The polynomial of component k of UOLD (which 0) or UNEW (which 1), drawn
// once: seeding a generator at every look-up cost more than the checks.
const Poly& poly(int which, int k) {
    static const auto table = [] {
        std::array<std::array<Poly, MXEQNS_MAX>, 2> t{};
        for (int w = 0; w < 2; ++w)
            for (int c = 1; c <= MXEQNS_MAX; ++c) {
                std::mt19937 gen(static_cast<unsigned>(10 * w + c));
                std::uniform_real_distribution<double> d(-1.0, 1.0);
                for (double& x : t[static_cast<std::size_t>(w)][static_cast<std::size_t>(c - 1)].c)
                    x = d(gen);
            }
        return t;
    }();
    return table[static_cast<std::size_t>(which)][static_cast<std::size_t>(k - 1)];
}

// Writes every polynomial into the dofs of the initial mesh: vertex values,
// and the degree-2 coefficient of each edge (higher ones 0).
void interpolate() {
    for (int nel = 1; nel <= cdata.NRELIN; ++nel) {
        for (int s = 1; s <= 4; ++s) {
            const int a = celem.NICK(s, nel) / 100, b = celem.NICK(s % 4 + 1, nel) / 100;
            const int edge = celem.NICK(s + 4, nel);
            for (int which = 0; which < 2; ++which)
                for (int k = 1; k <= MXEQNS_MAX; ++k) {
                    const Poly& p = poly(which, k);
                    auto& u = which == 0 ? cuold.UOLD : cunew.UNEW;
                    const double fa = p(cnode.XNOD(1, a), cnode.XNOD(2, a));
                    const double fb = p(cnode.XNOD(1, b), cnode.XNOD(2, b));
                    u(cnode.NODPTR(a), k) = fa;
                    if (edge <= 0) continue;
                    const double fm = p(0.5 * (cnode.XNOD(1, a) + cnode.XNOD(1, b)),
                                        0.5 * (cnode.XNOD(2, a) + cnode.XNOD(2, b)));
                    int d = cnode.NODPTR(edge / 100);
                    u(d, k) = (fm - 0.5 * (fa + fb)) / crrr.RRR(2, 1, 1);
                    for (d = cnu.NU(d); d != 0; d = cnu.NU(d)) u(d, k) = 0.0;
                }
        }
    }
}

// Both arrays hold the polynomials at points of every active element.
void expect_polynomials(std::mt19937& gen) {
    MeshTopology topo;
    std::vector<std::string> msgs;
    mesh_topology(topo, msgs);
    ASSERT_TRUE(msgs.empty());
    std::uniform_real_distribution<double> in(-0.9, 0.9);
    int failures = 0;
    for (const ActiveElement& a : topo.elems) {
        const double xi = in(gen), eta = in(gen);
        // Initial element (i, j) is the square [i-1, i] x [j-1, j].
        const double x = (a.init - 1) % NX + a.x0 + 0.5 * (xi + 1.0) * (a.x1 - a.x0);
        const double y = (a.init - 1) / NX + a.y0 + 0.5 * (eta + 1.0) * (a.y1 - a.y0);
        for (int which = 0; which < 2 && failures < 5; ++which)
            for (int k = 1; k <= MXEQNS_MAX; ++k) {
                const double* u = which == 0 ? &cuold.UOLD(1, k) : &cunew.UNEW(1, k);
                const double got = element_value(a.nel, u, xi, eta);
                const double want = poly(which, k)(x, y);
                if (std::abs(got - want) > 1e-10) {
                    ADD_FAILURE() << (which == 0 ? "UOLD" : "UNEW") << " component " << k
                                  << " in element " << a.nel << ": " << got << ", not " << want;
                    ++failures;
                }
            }
    }
}

// The records an unrefinement writes, kept in one buffer that every step
// reuses (the solution arrays only in the rows of dofs).
class Snapshot {
  public:
    void take() {
        std::size_t total = 0;
        each([&total](const void*, std::size_t n) { total += n; });
        bytes_.resize(total);
        // memcpy, not a range insert: the sanitizers' memmove copies byte by
        // byte, and these are megabytes at every step.
        std::size_t at = 0;
        each([this, &at](const void* p, std::size_t n) {
            std::memcpy(bytes_.data() + at, p, n);
            at += n;
        });
    }
    bool unchanged() const {
        std::size_t at = 0;
        bool same = true;
        each([&](const void* p, std::size_t n) {
            same = same && std::memcmp(bytes_.data() + at, p, n) == 0;
            at += n;
        });
        return same;
    }

  private:
    template <typename Fn>
    static void each(Fn fn) {
        fn(&cdata, sizeof cdata);
        fn(&cpoint, sizeof cpoint);
        fn(&celem, sizeof celem);
        fn(&ctree, sizeof ctree);
        fn(&cnode, sizeof cnode);
        fn(&cnu, sizeof cnu);
        fn(&cside, sizeof cside);
        fn(&cflags, sizeof cflags);
        for (int k = 1; k <= MXEQNS_MAX; ++k) {
            fn(&cuold.UOLD(1, k), sizeof(double) * MAXDOF);
            fn(&cunew.UNEW(1, k), sizeof(double) * MAXDOF);
        }
    }
    std::vector<char> bytes_;
};

int random_active(std::mt19937& gen) {
    int nel = 0;
    const int pick = static_cast<int>(gen() % static_cast<unsigned>(cdata.NRELEM));
    for (int i = 0; i <= pick; ++i) nel = nelcon(nel);
    return nel;
}

// A random father, 0 when there is none.
int random_father(std::mt19937& gen) {
    if (cdata.NRFAM == 0) return 0;
    for (;;) {
        const int f = 1 + static_cast<int>(gen() % static_cast<unsigned>(MAXFAM));
        if (f > 4 * cdata.NRFAM + 8) continue;
        if (ctree.TREE(1, f) != 0) return ctree.TREE(1, f);
    }
}

TEST_F(UnrefineProperty, RandomRefinementsAndUnrefinementsKeepTheMeshAndThePolynomials) {
    std::mt19937 gen(2025);
    int refined = 0, merged = 0, undone = 0, refused = 0;
    Snapshot copy;
    for (int trial = 0; trial < 6; ++trial) {
        MeshBuilder b(NX, NY);
        for (int e = 1; e <= NX * NY; ++e) {
            const int i = (e - 1) % NX + 1, j = (e - 1) / NX + 1;
            b.edge_order(e, 1, 2 + static_cast<int>(gen() % 2));
            b.edge_order(e, 4, 2 + static_cast<int>(gen() % 2));
            if (i == NX) b.edge_order(e, 2, 2 + static_cast<int>(gen() % 2));
            if (j == NY) b.edge_order(e, 3, 2 + static_cast<int>(gen() % 2));
        }
        ASSERT_EQ(b.build(), "");
        interpolate();
        cdec.IDEC = 1;
        expect_polynomials(gen);
        for (int step = 0; step < 40; ++step) {
            SCOPED_TRACE("trial " + std::to_string(trial) + " step " + std::to_string(step));
            const int op = static_cast<int>(gen() % 10);
            copy.take();
            int ier = 0, nexel = 0;
            bool changed = true;
            if (op < 2) {
                changed =
                    refine(random_active(gen), uold_flat(), unew_flat(), icolu.ICOLU) == MESH_DONE;
                refined += changed;
            } else if (op < 4) {
                changed = refinexy(random_active(gen), 1 + op % 2, uold_flat(), unew_flat(),
                                   icolu.ICOLU) == MESH_DONE;
                refined += changed;
            } else if (op < 6) {
                const int nel = random_active(gen);
                if (nel <= cdata.NRELIN) continue;
                unrefel(nel, 0, uold_flat(), unew_flat(), icolu.ICOLU, ier);
                changed = ier >= 0;
            } else {
                // Straight to the unrefinements, without checkun.
                const int father = random_father(gen);
                if (father == 0) continue;
                if (op < 8)
                    unrefixy(father, ier, nexel, uold_flat(), unew_flat(), icolu.ICOLU);
                else
                    unrefi(father, ier, nexel, uold_flat(), unew_flat(), icolu.ICOLU);
                changed = ier >= 0;
                (op < 8 ? merged : undone) += changed;
            }
            if (!changed) {
                ++refused;
                ASSERT_TRUE(copy.unchanged());
            }
            ASSERT_TRUE(database_consistent());
            expect_polynomials(gen);
            if (HasFailure()) return;
        }
    }
    // The sequences did reach every kind of change and of refusal.
    EXPECT_GT(refined, 40);
    EXPECT_GT(merged, 5);
    EXPECT_GT(undone, 5);
    EXPECT_GT(refused, 20);
}

}  // namespace
}  // namespace kavren::testing
