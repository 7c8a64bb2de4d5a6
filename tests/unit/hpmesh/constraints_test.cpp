#include "hpmesh/constraints.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

#include "hpmesh/dbcheck.hpp"
#include "fem/shape.hpp"
#include "records/fem.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/mesh.hpp"

namespace kavren::testing {
namespace {

using ConstraintTest = MeshTest;

const double* unew_column(int k) {
    return &cunew.UNEW(1, k);
}

int vertex_node(int nel, int k) {
    int slot = 0;
    findno(nel, slot);
    return celem.NICK(k, slot) / 100;
}

// The solution of element nel at master point (xi, eta), from component
// column u, through the constrained local values and the shape functions.
double value_at(int nel, const double* u, double xi, double eta) {
    Infelm inf;
    infelm(nel, inf);
    int ndofe = 0;
    Arr1<int, 9> ndofl;
    double ue[MAXLDOF] = {}, val[MAXLDOF] = {};
    solelm(nel, ndofe, ndofl, ue, u);
    shape2(inf.IDGS.data(), xi, eta, val);
    double s = 0.0;
    for (int m = 0; m < ndofe; ++m) s += ue[m] * val[m];
    return s;
}

// The master point of a logical point in element nel.
std::array<double, 2> master(const MeshBuilder& b, int nel, std::array<double, 2> p) {
    const std::array<double, 4> box = b.box(nel);
    return {2.0 * (p[0] - box[0]) / (box[1] - box[0]) - 1.0,
            2.0 * (p[1] - box[2]) / (box[3] - box[2]) - 1.0};
}

bool inside(const MeshBuilder& b, int nel, std::array<double, 2> p) {
    const std::array<double, 4> box = b.box(nel);
    return p[0] >= box[0] && p[0] <= box[1] && p[1] >= box[2] && p[1] <= box[3];
}

// For every side of every active element that meets other elements, the
// element's trace equals its neighbour's at random points of the side.
// Returns the number of points compared on walls.
int expect_continuous_traces(const MeshBuilder& b, std::mt19937& gen, int component, int only = 0,
                             int only_side = 0) {
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    const double* u = unew_column(component);
    int on_walls = 0;
    for (const ActiveElement& a : b.topology().elems) {
        if (only != 0 && a.nel != only) continue;
        for (int s = 1; s <= 4; ++s) {
            const SideLink& l = a.side[static_cast<std::size_t>(s - 1)];
            if (l.kind == SideKind::boundary || (only_side != 0 && s != only_side)) continue;
            for (int i = 0; i < 3; ++i) {
                const double r = dist(gen);
                const double xi = s == 2 ? 1.0 : s == 4 ? -1.0 : r;
                const double eta = s == 1 ? -1.0 : s == 3 ? 1.0 : r;
                const std::array<double, 2> p = b.logical(a.nel, xi, eta);
                const int o =
                    (l.kind == SideKind::large && !inside(b, l.nb[0], p)) ? l.nb[1] : l.nb[0];
                const std::array<double, 2> m = master(b, o, p);
                const double mine = value_at(a.nel, u, xi, eta);
                const double theirs = value_at(o, u, m[0], m[1]);
                EXPECT_NEAR(mine, theirs, 1e-12)
                    << "element " << a.nel << " side " << s << " against " << o << " at " << r;
                if (l.kind == SideKind::small) ++on_walls;
            }
        }
    }
    return on_walls;
}

TEST_F(ConstraintTest, HalfEdgeTableHasItsTellingValues) {
    for (int h = 1; h <= 2; ++h) {
        // The start-up table is built through small linear solves: equal to the
        // exact values up to rounding.
        constexpr double tol = 1e-13;
        EXPECT_NEAR(crrr.RRR(1, 1, h), 0.5, tol);
        EXPECT_NEAR(crrr.RRR(2, 1, h), -0.5, tol);
        EXPECT_NEAR(crrr.RRR(2, 2, h), 0.25, tol);
        EXPECT_NEAR(crrr.RRR(4, 1, h), 0.125, tol);
        EXPECT_NEAR(crrr.RRR(8, 1, h), 5.0 / 128.0, tol);
        for (int d = 2; d <= 8; ++d) EXPECT_NEAR(crrr.RRR(d, d, h), std::ldexp(1.0, -d), tol);
    }
    EXPECT_NEAR(crrr.RRR(3, 2, 1), -0.375, 1e-13);
    EXPECT_NEAR(crrr.RRR(3, 2, 2), 0.375, 1e-13);
}

TEST_F(ConstraintTest, AnUnconstrainedElementGathersItsChains) {
    MeshBuilder b(1, 1);
    b.order(1, 3);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(1);
    Logic1 l1;
    logic1(1, l1);
    EXPECT_EQ(l1.ICON, 0);
    EXPECT_EQ(l1.NDFR, 0);
    Infelm inf;
    infelm(1, inf);
    EXPECT_EQ(inf.NCONS, 0);
    Arr1<int, 9> nickc;
    infnick(1, nickc);
    for (int k = 1; k <= 9; ++k) {
        const int dofs = k <= 4 ? 1 : k <= 8 ? 2 : 4;
        EXPECT_EQ(inf.NICKC(k), celem.NICK(k, 1) / 100 * 100 + dofs) << k;
        EXPECT_EQ(nickc(k), inf.NICKC(k));
        EXPECT_EQ(inf.IDGS(k), k <= 4 ? 1 : 3);
    }
    int ndofe = 0;
    Arr1<int, 9> ndofl;
    double ue[MAXLDOF] = {};
    solelm(1, ndofe, ndofl, ue, unew_column(2));
    EXPECT_EQ(ndofe, 4 + 4 * 2 + 4);
    int m = 0;
    for (int k = 1; k <= 9; ++k)
        for (int d = cnode.NODPTR(celem.NICK(k, 1) / 100); d != 0; d = cnu.NU(d))
            EXPECT_EQ(ue[m++], cunew.UNEW(d, 2));
    EXPECT_EQ(m, ndofe);
}

TEST_F(ConstraintTest, AQuarterBesideAnOrderOneNeighbourTakesTheMeanAtItsHangingVertex) {
    MeshBuilder b(2, 1);
    const auto s = b.split4(2);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(2);
    const int q = s[0];  // bottom-left quarter: its side 4 is half of element 1's side 2
    Infelm inf;
    infelm(q, inf);
    EXPECT_EQ(inf.NCONS, 1);
    EXPECT_EQ(inf.J00(1), 1);
    EXPECT_EQ(inf.IHANG1, 4);
    EXPECT_EQ(inf.NW1, 1);
    EXPECT_EQ(inf.LW1(1), 4);
    const int far = vertex_node(1, 3);
    EXPECT_EQ(inf.NICKC(4), far * 100 + 1);
    EXPECT_EQ(inf.NICKC(8), 0);
    EXPECT_EQ(inf.NFRN, 2);  // vertices 2 and 3
    int ndofe = 0;
    Arr1<int, 9> ndofl;
    double ue[MAXLDOF] = {};
    solelm(q, ndofe, ndofl, ue, unew_column(1));
    const double father = cunew.UNEW(cnode.NODPTR(vertex_node(q, 1)), 1);
    const double farv = cunew.UNEW(cnode.NODPTR(far), 1);
    EXPECT_DOUBLE_EQ(ue[0], father);
    EXPECT_DOUBLE_EQ(ue[3], 0.5 * father + crrr.RRR(1, 1, 1) * farv);
    EXPECT_DOUBLE_EQ(ue[1], cunew.UNEW(cnode.NODPTR(vertex_node(q, 2)), 1));
}

TEST_F(ConstraintTest, AWallOnAnOrderThreeSideCarriesTheLargerSidesDofs) {
    MeshBuilder b(2, 1);
    const auto s = b.split4(2);
    b.order(1, 3);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(3);
    const int q = s[0];
    Logic1 l1;
    Logic2 l2;
    logic1(q, l1);
    logic2(q, l1, l2);
    EXPECT_EQ(l2.NDFWAL(1), 3);
    int slot1 = 0;
    findno(1, slot1);
    const int mid = celem.NICK(6, slot1) / 100;  // element 1's side-2 node
    EXPECT_EQ(l1.LNODS(8), mid);
    EXPECT_EQ(l1.IDGS(8), 3);
    Infelm inf;
    infelm(q, inf);
    EXPECT_EQ(inf.NICKC(8), mid * 100 + 2);
    // The gathered list is vertices 1..4, then the wall's two mid dofs.
    EXPECT_EQ(inf.LW1(1), 4);
    EXPECT_EQ(inf.LW1(2), 5);
    EXPECT_EQ(inf.LW1(3), 6);
    // At the hanging vertex: the larger side's value at its middle.
    int ndofe = 0;
    Arr1<int, 9> ndofl;
    double ue[MAXLDOF] = {};
    solelm(q, ndofe, ndofl, ue, unew_column(1));
    const int d1 = cnode.NODPTR(mid), d2 = cnu.NU(d1);
    const double f = cunew.UNEW(cnode.NODPTR(vertex_node(q, 1)), 1);
    const double r = cunew.UNEW(cnode.NODPTR(vertex_node(1, 3)), 1);
    EXPECT_NEAR(ue[3], 0.5 * f + 0.5 * r - 0.5 * cunew.UNEW(d1, 1) + 0.0 * cunew.UNEW(d2, 1),
                1e-15);
    std::mt19937 gen(3);
    EXPECT_GT(expect_continuous_traces(b, gen, 1), 0);
}

TEST_F(ConstraintTest, ConstraintCasesFollowTheHangingVertices) {
    struct Case {
        const char* name;
        int nx, ny;
        std::function<int(MeshBuilder&)> make;  // returns the element looked at
        int ncons, j1, j2, hang1, hang2;
    };
    const Case cases[] = {
        {"inner corner quarter beside two unrefined elements", 2, 2,
         [](MeshBuilder& b) { return b.split4(1)[2]; }, 2, 3, 3, 2, 4},
        {"lower son of a cut between unrefined elements", 3, 1,
         [](MeshBuilder& b) { return b.split(2, 1); }, 3, 1, 2, 4, 3},
        {"upper son of a cut between unrefined elements", 3, 1,
         [](MeshBuilder& b) { return b.split(2, 1) + 1; }, 3, 4, 3, 1, 2},
        {"left son of a cut between unrefined elements", 1, 3,
         [](MeshBuilder& b) { return b.split(2, 2); }, 3, 1, 4, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(c.nx, c.ny);
        b.default_order(2);
        const int nel = c.make(b);
        ASSERT_EQ(b.build(), "");
        ASSERT_TRUE(database_consistent());
        Infelm inf;
        infelm(nel, inf);
        EXPECT_EQ(inf.NCONS, c.ncons);
        EXPECT_EQ(inf.J00(1), c.j1);
        EXPECT_EQ(inf.J00(2), c.j2);
        EXPECT_EQ(inf.IHANG1, c.hang1);
        EXPECT_EQ(inf.IHANG2, c.hang2);
        EXPECT_EQ(inf.NW1, 2);
        EXPECT_EQ(inf.NW2, 2);
        fill_random_solution(4);
        std::mt19937 gen(4);
        EXPECT_GT(expect_continuous_traces(b, gen, 1), 0);
    }
}

TEST_F(ConstraintTest, TheFarVertexIsFoundThroughTheSmallerElementAtTheHangingVertex) {
    // Element 2 cut across direction 1, its upper half cut again: the lower
    // half's wall on element 1 has two smaller elements above it. (The left
    // one of those has walls on element 1 and on the lower half that meet at
    // a hanging vertex, which the logic cannot represent; only the lower half
    // is looked at.)
    MeshBuilder b(2, 1);
    const int lower = b.split(2, 1);
    b.split(lower + 1, 2);
    b.default_order(3);
    ASSERT_EQ(b.build(true), "");
    Arr1<int, 8> n;
    neigbr(lower, n);
    ASSERT_NE(n(7), 0);
    Logic1 l1;
    logic1(lower, l1);
    EXPECT_EQ(l1.NCONWA, 1);
    EXPECT_EQ(l1.LNODS(4), vertex_node(1, 3));
    fill_random_solution(5);
    std::mt19937 gen(5);
    EXPECT_EQ(expect_continuous_traces(b, gen, 3, lower, 4), 3);
}

// Every order of the larger side, every wall side and both halves: the four
// neighbours of the centre element are cut so that their sons lie along it.
TEST_F(ConstraintTest, TracesOfConstrainedElementsMatchTheLargerElementForEveryOrder) {
    for (int p = 1; p <= MAXP; ++p) {
        SCOPED_TRACE("order " + std::to_string(p));
        MeshBuilder b(3, 3);
        b.default_order(std::max(1, p - 1));
        b.order(5, p);
        b.split(2, 2);
        b.split(8, 2);
        b.split(4, 1);
        b.split(6, 1);
        ASSERT_EQ(b.build(), "");
        ASSERT_TRUE(database_consistent());
        fill_random_solution(10 + static_cast<unsigned>(p));
        std::mt19937 gen(p);
        // 8 walls, 3 points each.
        EXPECT_EQ(expect_continuous_traces(b, gen, 1), 24);
        expect_continuous_traces(b, gen, 4);
    }
}

TEST_F(ConstraintTest, TracesAreContinuousOnRandomMeshesOfMixedOrders) {
    std::mt19937 gen(11);
    std::set<int> cases_seen;
    for (int trial = 0; trial < 8; ++trial) {
        MeshBuilder b(2, 2);
        for (int step = 0; step < 20; ++step) {
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
        for (int i = 0; i < cdata.NRELEM; ++i) b.order(nel = nelcon(nel), 1 + gen() % MAXP);
        ASSERT_EQ(b.build(), "");
        ASSERT_TRUE(database_consistent()) << "trial " << trial;
        fill_random_solution(20 + static_cast<unsigned>(trial));
        expect_continuous_traces(b, gen, 1);
        for (const ActiveElement& a : b.topology().elems) {
            Infelm inf;
            infelm(a.nel, inf);
            cases_seen.insert(inf.NCONS);
        }
    }
    // The random meshes reach every constraint case.
    EXPECT_EQ(cases_seen, (std::set<int>{0, 1, 2, 3}));
}

TEST_F(ConstraintTest, ThreeHangingVerticesEndTheRun) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    for (int k = 1; k <= 3; ++k) celem.NICK(k, 1) = -1;
    EXPECT_EXIT(
        {
            Logic1 l1;
            logic1(1, l1);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(last_error_line(), "       TERMINATION OCCURED IN ROUTINE--LOGIC1");
    EXPECT_NE(file("decks/t.err").find("MORE THAN TWO HANGING VERTICES"), std::string::npos);
}

}  // namespace
}  // namespace kavren::testing
