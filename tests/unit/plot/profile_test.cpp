// Profile plots: the smoothing kernel and average, and the walk along a
// profile over refined sides.
#include "plot/profile.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "hpmesh/geometry.hpp"
#include "plot/sample.hpp"
#include "plot_fixture.hpp"
#include "records/meshgen.hpp"
#include "records/post.hpp"
#include "records/window.hpp"

namespace kavren::testing {
namespace {

//// smooth and average ////

TEST(Smooth, KernelValues) {
    const struct {
        double t, k;
    } cases[] = {
        {0.0, 1.0833333730697632},
        {2.0, 0.0},
        {-2.0, 0.0},
        {1.0, -1.0 / 24.0},
        {-1.0, 1.0833333730697632 - 1.125},
        {3.0, 0.0},
        {-7.0, 0.0},
        {0.5, 1.0833333730697632 - 0.5625},
        {-1.5, (-1.0 + 0.75) / 12.0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(smooth(c.t), c.k) << c.t;
}

TEST(Smooth, FormulasMeetAtOneAndTheIntegralIsOne) {
    for (double s : {1.0, -1.0}) {
        // Both near -1/24; they differ by the single precision of 13/12.
        EXPECT_NEAR(smooth(s * (1.0 - 1e-12)), -1.0 / 24.0, 1e-7);
        EXPECT_NEAR(smooth(s * (1.0 + 1e-12)), -1.0 / 24.0, 1e-7);
    }
    // The kernel is piecewise linear with kinks at the whole numbers: the
    // trapezoidal rule on a grid through them is exact, up to the single
    // precision of 13/12.
    double sum = 0.0;
    const int n = 400;
    for (int i = -2 * n; i <= 2 * n; ++i) sum += smooth(static_cast<double>(i) / n) / n;
    const double peak_error = 1.0833333730697632 - 13.0 / 12.0;
    EXPECT_NEAR(sum, 1.0 + 2.0 * peak_error, 1e-12);
}

// Points at x = k * dx, k = 0..n-1, with values v(x).
template <typename V>
std::vector<double> points(int n, double dx, V v) {
    std::vector<double> xy;
    for (int k = 0; k < n; ++k) {
        xy.push_back(k * dx);
        xy.push_back(v(k * dx));
    }
    return xy;
}

TEST(Average, ConstantAndLinearDataOnAnEvenGrid) {
    const double dx = 0.1;
    const auto c = points(101, dx, [](double) { return 3.5; });
    const auto l = points(101, dx, [](double x) { return 2.0 * x - 1.0; });
    for (int m : {1, 2, 5}) {
        const double h = m * dx;
        for (int kp : {41, 51, 60}) {
            // 13/12 in single precision and the grid's rounding: about 1e-7.
            EXPECT_NEAR(average(h, kp, 101, c.data()), 3.5, 3.5 * 2e-7) << m << " " << kp;
            // The kernel is even: a linear function keeps its value.
            const double x = (kp - 1) * dx;
            EXPECT_NEAR(average(h, kp, 101, l.data()), 2.0 * x - 1.0,
                        std::abs(2.0 * x - 1.0) * 2e-7)
                << m << " " << kp;
        }
    }
}

TEST(Average, OwnValueNearTheEndsForAHugeWidthAndForNoWidth) {
    const auto xy = points(41, 0.25, [](double x) { return x * x; });
    const double own = xy[2 * 2 + 1];
    EXPECT_EQ(average(1.0, 3, 41, xy.data()), own);              // within 2h of the start
    EXPECT_EQ(average(1.0, 39, 41, xy.data()), xy[2 * 38 + 1]);  // of the end
    EXPECT_EQ(average(1e6, 20, 41, xy.data()), xy[2 * 19 + 1]);
    EXPECT_EQ(average(0.0, 20, 41, xy.data()), xy[2 * 19 + 1]);
    // Away from the ends a curved function is smoothed.
    EXPECT_NE(average(0.5, 20, 41, xy.data()), xy[2 * 19 + 1]);
}

//// the walk ////

class ProfileWalkTest : public PlotTest {
  protected:
    // One profile of one side of element 1.
    void profile(int side) {
        cprofi = Cprofi{};
        cprofi.NPROF = 1;
        cprofi.IPCUR = 1;
        cprofi.IPFRST(1) = 1;
        cprofi.IPELEM(1) = 1;
        cprofi.IPSIDE(1) = side;
        cprofi.IPNEXT(1) = 2;
        cprofi.IPNEXT(2) = 0;
    }
    // The walk's pieces as physical points.
    std::vector<std::vector<std::array<double, 2>>> walk(int numpnt) {
        std::vector<std::vector<std::array<double, 2>>> pieces;
        EXPECT_EQ(profile_walk(numpnt,
                               [&](int nel, int npt, const double* xe) {
                                   NodePoints xn;
                                   nodcor(nel, xn);
                                   auto& p = pieces.emplace_back();
                                   for (int j = 0; j < npt; ++j) {
                                       double x, y;
                                       cordin(xn, xe[2 * j], xe[2 * j + 1], x, y);
                                       p.push_back({x, y});
                                   }
                               }),
                  0);
        return pieces;
    }
};

TEST_F(ProfileWalkTest, PointsRunOneWayAndPiecesJoinOnRefinedSides) {
    // The ends of sides 1..4 of the unit square, counter-clockwise.
    const std::array<double, 2> corner[5] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
    // Refinements: none, once in either direction, twice in either, mixed.
    const struct {
        int first, second;  // split directions, 0 none
    } trees[] = {{0, 0}, {1, 0}, {2, 0}, {1, 1}, {2, 2}, {1, 2}, {2, 1}};
    for (const auto& tr : trees)
        for (int side = 1; side <= 4; ++side)
            for (int sign : {1, -1}) {
                reset_database();
                MeshBuilder b(1, 1);
                if (tr.first != 0) {
                    const int f = b.split(1, tr.first);
                    if (tr.second != 0) {
                        b.split(f, tr.second);
                        b.split(f + 1, tr.second);
                    }
                }
                ASSERT_EQ(b.build(), "");
                profile(sign * side);
                const auto pieces = walk(9);
                SCOPED_TRACE(::testing::Message()
                             << "tree " << tr.first << tr.second << " side " << sign * side);
                ASSERT_FALSE(pieces.empty());
                // Where the side of the walk starts and ends.
                std::array<double, 2> a = corner[side - 1], e = corner[side];
                if (side >= 3) std::swap(a, e);  // increasing local coordinate
                if (sign < 0) std::swap(a, e);
                const double dx = e[0] - a[0], dy = e[1] - a[1];
                auto along = [&](const std::array<double, 2>& p) {
                    return (p[0] - a[0]) * dx + (p[1] - a[1]) * dy;
                };
                EXPECT_NEAR(along(pieces.front().front()), 0.0, 1e-12);
                EXPECT_NEAR(along(pieces.back().back()), 1.0, 1e-12);
                double last = -1.0;
                for (std::size_t i = 0; i < pieces.size(); ++i) {
                    const auto& p = pieces[i];
                    ASSERT_GE(p.size(), 2u);
                    if (i > 0) {
                        EXPECT_NEAR(p.front()[0], pieces[i - 1].back()[0], 1e-12);
                        EXPECT_NEAR(p.front()[1], pieces[i - 1].back()[1], 1e-12);
                    }
                    for (std::size_t j = 0; j < p.size(); ++j) {
                        const double s = along(p[j]);
                        // Off the side's line nothing is taken.
                        EXPECT_NEAR((p[j][0] - a[0]) * dy - (p[j][1] - a[1]) * dx, 0.0, 1e-12);
                        if (j > 0)
                            EXPECT_GT(s, last);
                        else
                            EXPECT_GE(s, last - 1e-12);
                        last = s;
                    }
                }
            }
}

TEST_F(ProfileWalkTest, PointCountsHalveWithEachLevelAcrossTheSide) {
    MeshBuilder b(1, 1);
    const int f = b.split(1, 2);
    b.split(f + 1, 2);
    ASSERT_EQ(b.build(), "");
    profile(1);
    const auto pieces = walk(17);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].size(), 9u);
    EXPECT_EQ(pieces[1].size(), 5u);
    EXPECT_EQ(pieces[2].size(), 5u);
}

//// the plot's value range ////

class DrprofTest : public ProfileWalkTest {
  protected:
    void SetUp() override {
        ProfileWalkTest::SetUp();
        cdrprof = Cdrprof{};
        cinout.LUIN = cinout.LUKBD;
    }
    // Profile p: side 1 of element nel.
    void side_one(int p, int nel) {
        cprofi.NPROF = std::max(cprofi.NPROF, p);
        cprofi.IPFRST(p) = 2 * p - 1;
        cprofi.IPELEM(2 * p - 1) = nel;
        cprofi.IPSIDE(2 * p - 1) = 1;
        cprofi.IPNEXT(2 * p - 1) = 2 * p;
        cprofi.IPNEXT(2 * p) = 0;
    }
};

TEST_F(DrprofTest, FoundRangeCarriesUnderNoResetAndWhileMinIsGiven) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    cprofi = Cprofi{};
    side_one(1, 1);  // x in [0, 1]
    side_one(2, 2);  // x in [1, 2]
    cprofi.IPCUR = 1;
    record("POINT=2");
    drprof(cunew.UNEW.data(), ICOLU_ROWS, -1);
    EXPECT_EQ(cdrprof.NUMPNT, 5);
    EXPECT_NEAR(cdrprof.YMINL[0], 0.0, 1e-12);
    EXPECT_NEAR(cdrprof.YMAXL[0], 1.0, 1e-12);
    // NO-RESET: the second profile's values join the range, MIN is ignored.
    cprofi.IPCUR = 2;
    record("NO-RESET,MIN=1.5");
    drprof(cunew.UNEW.data(), ICOLU_ROWS, -1);
    EXPECT_EQ(cdrprof.NUMPNT, 5);
    EXPECT_NEAR(cdrprof.YMINL[0], 0.0, 1e-12);
    EXPECT_NEAR(cdrprof.YMAXL[0], 2.0, 1e-12);
    EXPECT_LE(cxmin.YMIN, 0.0);
    // MIN given: the found minimum stays, the frame starts at MIN.
    record("MIN=1.5");
    drprof(cunew.UNEW.data(), ICOLU_ROWS, -1);
    EXPECT_EQ(cdrprof.NUMPNT, 17);
    EXPECT_NEAR(cdrprof.YMINL[0], 0.0, 1e-12);
    EXPECT_NEAR(cdrprof.YMAXL[0], 2.0, 1e-12);
    EXPECT_GT(cxmin.YMIN, 1.0);
    // Neither: this profile's range alone.
    record("LEVELX=4");
    drprof(cunew.UNEW.data(), ICOLU_ROWS, -1);
    EXPECT_NEAR(cdrprof.YMINL[0], 1.0, 1e-12);
    EXPECT_NEAR(cdrprof.YMAXL[0], 2.0, 1e-12);
}

}  // namespace
}  // namespace kavren::testing
