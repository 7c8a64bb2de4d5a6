// What the element kernel reads of the mesh database: the kinds and numbers
// of an element's sides, the boundary side meeting a side at its ends (the
// mean normal of bcoef1), and an element's solution values (nfesol ...).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "fem/fesol.hpp"
#include "fem/mesh_seams.hpp"
#include "records/problem.hpp"
#include "session/problem_modules.hpp"
#include "solve_support.hpp"
#include "user/problem.hpp"

namespace kavren::testing {
namespace {

class SeamsTest : public SolveTest {};

TEST_F(SeamsTest, SideKindsComeFromTheNeighboursAndTheBoundaryNumbers) {
    MeshBuilder b(2, 1);
    const auto sons = b.split4(2);
    ASSERT_EQ(b.build(), "");
    cbound.IBKIND(2) = 5;
    struct Case {
        int nel;
        std::array<int, 8> kinds;
    };
    const Case cases[] = {
        // Element 1 meets two sons along its side 2.
        {1, {1, 0, 3, 4, 1, 0, 3, 4}},
        // The lower right son: boundary 1 without a kind of its own, boundary 2 of kind 5.
        {sons[1], {1, 5, 0, 0, 1, 2, 0, 0}},
        {sons[3], {0, 0, 3, 0, 0, 0, 3, 0}},
    };
    for (const Case& c : cases) {
        std::array<int, 8> kinds{};
        decod2(c.nel, 4, kinds.data());
        EXPECT_EQ(kinds, c.kinds) << "element " << c.nel;
    }
}

TEST_F(SeamsTest, BoundarySidesMeetingAtAVertexShareTheirMeanNormal) {
    // Two elements under the parabola y = 0.2 x^2 (bottom) and above
    // y = 1 + 0.2 x^2 (top); element 1 cut into four.
    MeshBuilder b(2, 1);
    b.default_order(2);
    const auto sons = b.split4(1);
    b.map([](double x, double y) { return std::array<double, 2>{x, y + 0.2 * x * x}; });
    ASSERT_EQ(b.build(), "");
    const double r = std::sqrt(1.16);
    struct Case {
        const char* name;
        int nel, is;
        double t;
        int iflag;
        double xn, yn;
    };
    const Case cases[] = {
        {"large element, bottom, at its start", 2, 1, -1.0, 1, 0.4 / r, -1.0 / r},
        {"son, bottom, at its end", sons[1], 1, 1.0, 1, 0.4 / r, -1.0 / r},
        // Sides 3 and 4 run against their master coordinate.
        {"large element, top, at its end", 2, 3, -1.0, 1, -0.4 / r, 1.0 / r},
        {"son, top, at its start", sons[2], 3, 1.0, 1, -0.4 / r, 1.0 / r},
        {"top, at the corner with boundary 2", 2, 3, 1.0, 0, 0.0, 0.0},
        {"bottom, at the corner with boundary 2", 2, 1, 1.0, 0, 0.0, 0.0},
        {"right side, at the corner with boundary 1", 2, 2, -1.0, 0, 0.0, 0.0},
        {"top, at the corner with boundary 4", sons[3], 3, -1.0, 0, 0.0, 0.0},
        {"inside a side", 2, 1, 0.5, 0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double xn = 7.0, yn = 7.0;
        int iflag = -1;
        bcoef1(c.nel, c.is, c.t, xn, yn, iflag);
        EXPECT_EQ(iflag, c.iflag);
        if (c.iflag == 0) continue;
        EXPECT_NEAR(xn, c.xn, 1e-13);
        EXPECT_NEAR(yn, c.yn, 1e-13);
    }
}

TEST_F(SeamsTest, SolutionValuesAgreeAcrossAWall) {
    MeshBuilder b(2, 1);
    b.default_order(4);
    b.order(1, 6);
    const auto sons = b.split4(2);
    ASSERT_EQ(b.build(), "");
    fill_random_solution(12);
    std::mt19937 gen(12);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    const std::array<double, 4> big = b.box(1);
    for (int son : {sons[0], sons[3]}) {
        for (int i = 0; i < 5; ++i) {
            // A point of the son's side 4, which is half of element 1's side 2.
            const double eta = dist(gen);
            const std::array<double, 2> p = b.logical(son, -1.0, eta);
            const double eta1 = 2.0 * (p[1] - big[2]) / (big[3] - big[2]) - 1.0;
            double u[4], u1[4], o[4], o1[4];
            nfesol(son, -1.0, eta, u);
            nfesol(1, 1.0, eta1, u1);
            ofesol(son, -1.0, eta, o);
            ofesol(1, 1.0, eta1, o1);
            for (int k = 0; k < 4; ++k) {
                EXPECT_NEAR(u[k], u1[k], 1e-12) << "son " << son << " component " << k + 1;
                EXPECT_NEAR(o[k], o1[k], 1e-12) << "son " << son << " component " << k + 1;
            }
            double x = 0, y = 0, v[4], vx[4], vy[4];
            nfesol1(son, -1.0, eta, x, y, v, vx, vy);
            EXPECT_NEAR(x, p[0], 1e-14);
            EXPECT_NEAR(y, p[1], 1e-14);
            EXPECT_NEAR(v[2], u[2], 1e-14);
        }
    }
    // No element 0: zeros.
    double u[4] = {1, 1, 1, 1};
    nfesol(0, 0.0, 0.0, u);
    EXPECT_EQ(u[0] + u[1] + u[2] + u[3], 0.0);
}

}  // namespace
}  // namespace kavren::testing
