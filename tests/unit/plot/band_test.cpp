// Element search along a side, band clipping with contour pieces, side sample
// points, the window test, the frame-box faces and arrows.
#include "plot/band.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "hpmesh/geometry.hpp"
#include "plot_fixture.hpp"
#include "records/plot.hpp"

namespace kavren::testing {
namespace {

//// search1 ////

class Search1Test : public PlotTest {
  protected:
    struct Found {
        int code = 0;
        std::vector<int> list, npl;
        std::vector<std::array<double, 2>> phys;  // the points on the picture
    };
    Found search(int nel, int iside, int iflag, int npts, int nmax = 100) {
        Found r;
        std::vector<int> list(static_cast<std::size_t>(nmax)), npl(static_cast<std::size_t>(nmax));
        std::vector<double> xe(2 * 1000);
        int nm = nmax;
        r.code = search1(nel, iside, iflag, npts, nm, 1000, list.data(), npl.data(), xe.data());
        int k = 0;
        for (int j = 0; j < nm; ++j) {
            r.list.push_back(list[static_cast<std::size_t>(j)]);
            r.npl.push_back(npl[static_cast<std::size_t>(j)]);
            NodePoints xn;
            nodcor(list[static_cast<std::size_t>(j)], xn);
            for (int l = 0; l < npl[static_cast<std::size_t>(j)]; ++l, ++k) {
                double x, y;
                cordin(xn, xe[static_cast<std::size_t>(2 * k)],
                       xe[static_cast<std::size_t>(2 * k + 1)], x, y);
                r.phys.push_back({x, y});
            }
        }
        return r;
    }
};

TEST_F(Search1Test, AnUnrefinedElementGivesItselfWithAllPoints) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    const Found r = search(1, 1, 1, 9);
    ASSERT_EQ(r.code, SEARCH_DONE);
    ASSERT_EQ(r.list, std::vector<int>{1});
    ASSERT_EQ(r.npl, std::vector<int>{9});
    EXPECT_NEAR(r.phys.front()[0], 0.0, 1e-14);
    EXPECT_NEAR(r.phys.back()[0], 1.0, 1e-14);
}

TEST_F(Search1Test, TwiceSplitAcrossTheSideGivesFourElementsOfThreePoints) {
    MeshBuilder b(1, 1);
    // The split whose sons both touch side 1 (they part xi).
    int f = b.split(1, 2);
    NodePoints xn;
    b.split(f, 2);
    b.split(f + 1, 2);
    ASSERT_EQ(b.build(), "");
    nodcor(f, xn);
    const Found r = search(1, 1, 1, 9);
    ASSERT_EQ(r.code, SEARCH_DONE);
    ASSERT_EQ(r.list.size(), 4u);
    for (int n : r.npl) EXPECT_EQ(n, 3);
    // The other direction: only the son along side 1.
    MeshBuilder c(1, 1);
    const int g = c.split(1, 1);
    ASSERT_EQ(c.build(), "");
    const Found s = search(1, 1, 1, 9);
    ASSERT_EQ(s.list.size(), 1u);
    NodePoints yn;
    nodcor(s.list[0], yn);
    EXPECT_NEAR(std::min(yn(2, 1), yn(2, 3)), 0.0, 1e-14);
    EXPECT_TRUE(s.list[0] == g || s.list[0] == g + 1);
    EXPECT_EQ(s.npl[0], 9);
}

TEST_F(Search1Test, EverySideAndFlagRunsOneWay) {
    MeshBuilder b(1, 1);
    const auto sons = b.split4(1);
    b.split4(sons[2]);
    ASSERT_EQ(b.build(), "");
    // Side 1 y = 0, side 2 x = 1, side 3 y = 1, side 4 x = 0; t is x on sides
    // 1 and 3, y on sides 2 and 4.
    for (int side = 1; side <= 4; ++side)
        for (int flag = 1; flag <= 2; ++flag) {
            SCOPED_TRACE(side * 10 + flag);
            const Found r = search(1, side, flag, 9);
            ASSERT_EQ(r.code, SEARCH_DONE);
            const int c = side % 2 == 1 ? 0 : 1;
            const double fixed = side == 1 || side == 4 ? 0.0 : 1.0;
            for (std::size_t i = 0; i < r.phys.size(); ++i) {
                EXPECT_NEAR(r.phys[i][1 - c], fixed, 1e-14);
                if (i > 0) {
                    const double step = r.phys[i][c] - r.phys[i - 1][c];
                    if (flag == 1)
                        EXPECT_GE(step, 0.0);
                    else
                        EXPECT_LE(step, 0.0);
                }
            }
            EXPECT_NEAR(r.phys.front()[c], flag == 1 ? 0.0 : 1.0, 1e-14);
            EXPECT_NEAR(r.phys.back()[c], flag == 1 ? 1.0 : 0.0, 1e-14);
        }
}

TEST_F(Search1Test, FailuresAreReportedWithTheirStatus) {
    MeshBuilder b(1, 1);
    b.split(1, 2);
    ASSERT_EQ(b.build(), "");
    const std::size_t m = mark();
    const Found full = search(1, 1, 1, 9, 1);
    EXPECT_EQ(full.code, SEARCH_LIST_FULL);
    EXPECT_EQ(full.list.size(), 1u);
    EXPECT_NE(since(m).find("TOO SHORT LIST OF OUTPUT ELEMENTS IN SEARCH1"), std::string::npos);
    const std::size_t m2 = mark();
    const Found bad = search(1, 5, 1, 9);
    EXPECT_EQ(bad.code, SEARCH_BAD_INPUT);
    EXPECT_TRUE(bad.list.empty());
    EXPECT_NE(since(m2).find("WRONG SIDE NUMBER ON INPUT TO SEARCH1"), std::string::npos);
}

//// quadr1 ////

double area(const double* p, int n) {
    double s = 0.0;
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        s += p[2 * i] * p[2 * j + 1] - p[2 * j] * p[2 * i + 1];
    }
    return s / 2.0;
}

double dist_to_segment(double px, double py, double ax, double ay, double bx, double by) {
    const double vx = bx - ax, vy = by - ay;
    double t = ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy);
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - ax - t * vx, py - ay - t * vy);
}

TEST(Quadr1, BandsTileRandomConvexCellsOfLinearFields) {
    std::mt19937 g(17);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    for (int trial = 0; trial < 200; ++trial) {
        // A convex quadrilateral: four points on a circle in order, jittered radius.
        double x[4], y[4];
        const double a0 = d(g);
        for (int i = 0; i < 4; ++i) {
            const double a = a0 + i * M_PI / 2.0 + 0.5 * d(g), r = 1.0 + 0.2 * d(g);
            x[i] = r * std::cos(a);
            y[i] = r * std::sin(a);
        }
        const double c0 = d(g), cx = d(g), cy = d(g);
        auto field = [&](double px, double py) { return c0 + cx * px + cy * py; };
        double f0[4];
        for (int i = 0; i < 4; ++i) f0[i] = field(x[i], y[i]);
        const double lo = *std::min_element(f0, f0 + 4) - 0.05,
                     hi = *std::max_element(f0, f0 + 4) + 0.05;
        const int nb = 7;
        double total = 0.0;
        for (int m = 0; m < nb; ++m) {
            const double flo = lo + m * (hi - lo) / nb, fhi = lo + (m + 1) * (hi - lo) / nb;
            double f[4] = {f0[0], f0[1], f0[2], f0[3]};
            double pxy[2 * 12], seg[4 * 4];
            int np = 0, nseg = 0;
            quadr1(x, y, f, flo, fhi, np, pxy, nseg, seg);
            total += area(pxy, np);
            for (int i = 0; i < np; ++i) {
                const double v = field(pxy[2 * i], pxy[2 * i + 1]);
                EXPECT_GE(v, flo - 1e-9);
                EXPECT_LE(v, fhi + 1e-9);
            }
            for (int s = 0; s < nseg; ++s)
                for (int e = 0; e < 2; ++e) {
                    const double px = seg[4 * s + 2 * e], py = seg[4 * s + 2 * e + 1];
                    EXPECT_NEAR(field(px, py), flo, 1e-9);
                    double best = 1e10;
                    for (int i = 0; i < 4; ++i)
                        best = std::min(best, dist_to_segment(px, py, x[i], y[i], x[(i + 1) % 4],
                                                              y[(i + 1) % 4]));
                    EXPECT_LT(best, 1e-12);
                }
            // A band above the lowest cuts the cell along its lower level.
            if (m > 0 && flo > *std::min_element(f0, f0 + 4) &&
                flo < *std::max_element(f0, f0 + 4)) {
                EXPECT_EQ(nseg, 1);
            }
        }
        const double cell[8] = {x[0], y[0], x[1], y[1], x[2], y[2], x[3], y[3]};
        EXPECT_NEAR(total, area(cell, 4), 1e-12);
    }
}

TEST(Quadr1, TheTwoStatedCases) {
    const double x[4] = {0, 1, 1, 0}, y[4] = {0, 0, 1, 1};
    double pxy[24], seg[16];
    int np = 0, nseg = 0;
    double flat[4] = {1, 1, 1, 1};
    quadr1(x, y, flat, 1.0, 2.0, np, pxy, nseg, seg);
    EXPECT_EQ(np, 4);
    EXPECT_EQ(nseg, 0);
    EXPECT_DOUBLE_EQ(flat[0], 1.0 + 0.0010000000474974513);
    double f[4] = {0, 0, 2, 2};
    quadr1(x, y, f, 1.0, 3.0, np, pxy, nseg, seg);
    ASSERT_EQ(np, 4);
    ASSERT_EQ(nseg, 1);
    // From the crossing on edge 4 -> 1 to the crossing on edge 2 -> 3.
    EXPECT_DOUBLE_EQ(seg[0], 0.0);
    EXPECT_DOUBLE_EQ(seg[1], 0.5);
    EXPECT_DOUBLE_EQ(seg[2], 1.0);
    EXPECT_DOUBLE_EQ(seg[3], 0.5);
}

//// quaint, inwind, view, arrow ////

NodePoints square(double x0, double y0, double s) {
    NodePoints p;
    static constexpr double kXi[9] = {-1, 1, 1, -1, 0, 1, 0, -1, 0};
    static constexpr double kEta[9] = {-1, -1, 1, 1, -1, 0, 1, 0, 0};
    for (int k = 1; k <= 9; ++k) {
        p(1, k) = x0 + s * (kXi[k - 1] + 1.0) / 2.0;
        p(2, k) = y0 + s * (kEta[k - 1] + 1.0) / 2.0;
    }
    return p;
}

TEST(Quaint, StraightSidesTakeTwoPointsOnlyWithTheSwitch) {
    const NodePoints p = square(0.0, 0.0, 1.0);
    for (int istrt : {1, 0})
        for (int side = 1; side <= 4; ++side) {
            cgraph.ISTRT = istrt;
            double pts[2 * 20], lin[2 * 20];
            int npt = 0, nlin = 1;
            quaint(side, p, npt, nlin, 1.0, pts, lin);
            EXPECT_EQ(npt, istrt == 1 ? 2 : 9);
            EXPECT_EQ(nlin, npt);  // every point but the very first
            // From vertex side to the next vertex.
            EXPECT_DOUBLE_EQ(pts[0], p(1, side));
            EXPECT_DOUBLE_EQ(pts[2 * npt - 2], p(1, side % 4 + 1));
            EXPECT_DOUBLE_EQ(pts[2 * npt - 1], p(2, side % 4 + 1));
        }
    cgraph.ISTRT = 0;
}

TEST(Inwind, BorderPointsAndAWindowInsideOneElement) {
    const NodePoints p = square(0.0, 0.0, 1.0);
    EXPECT_FALSE(inwind(1.0, 2.0, 0.0, 1.0, p));    // touches the window along x = 1 only
    EXPECT_FALSE(inwind(-1.0, 0.0, -1.0, 0.0, p));  // a corner on the border
    EXPECT_TRUE(inwind(0.4, 0.45, 0.4, 0.45, p));   // the window inside the element
    EXPECT_TRUE(inwind(0.9, 2.0, 0.9, 2.0, p));     // vertex 3 inside
}

class BandDrawTest : public PlotTest {
  protected:
    // Screen lines that one mline leaves (its closed outline).
    std::size_t per_line() {
        screen->drawn.clear();
        int icol = 0;
        mline(0.1, 0.1, 0.2, 0.2, icol);
        const std::size_t n = screen->of(Drawn::LINE).size();
        screen->drawn.clear();
        return n;
    }
};

TEST_F(BandDrawTest, ViewDrawsEachFaceFromExactlyOneSide) {
    open_window();
    cxmin = {0.0, 1.0, 0.0, 1.0};
    setscale();
    const double x[8] = {0, 1, 1, 0, 0, 1, 1, 0}, y[8] = {0, 0, 1, 1, 0, 0, 1, 1},
                 z[8] = {0, 0, 0, 0, 1, 1, 1, 1};
    double xs[8], ys[8];
    for (int i = 0; i < 8; ++i) {
        xs[i] = x[i] + 0.3 * y[i];
        ys[i] = z[i] + 0.2 * y[i];
    }
    const std::size_t l = per_line();
    ASSERT_GT(l, 0u);
    for (int face = 1; face <= 6; ++face) {
        int drawn = 0;
        for (int s : {1, -1}) {
            screen->drawn.clear();
            view(s, face, x, y, z, xs, ys, 0.3, -1.0, 0.4);
            const std::size_t lines = screen->of(Drawn::LINE).size();
            EXPECT_TRUE(lines == 0 || lines == 4 * l);
            drawn += lines == 4 * l;
        }
        EXPECT_EQ(drawn, 1) << face;
        // Seen edge-on: neither.
        for (int s : {1, -1}) {
            screen->drawn.clear();
            view(s, 5, x, y, z, xs, ys, 1.0, 0.0, 0.0);
            EXPECT_TRUE(screen->of(Drawn::LINE).empty());
        }
    }
}

TEST_F(BandDrawTest, ArrowIsTwoHeadLinesAndTheShaft) {
    open_window();
    cxmin = {0.0, 1.0, 0.0, 1.0};
    setscale();
    const std::size_t l = per_line();
    arrow(0.0, 0.0, 1.0, 0.0, 0);
    const auto lines = screen->of(Drawn::LINE);
    ASSERT_EQ(lines.size(), 3 * l);
    // The head lines end at the tip, the shaft starts at the tail.
    const Pixel tip = lines[2 * l].points[1];
    EXPECT_EQ(lines[0].points[1], tip);
    EXPECT_EQ(lines[l].points[1], tip);
    EXPECT_NE(lines[0].points[0], lines[l].points[0]);
}

}  // namespace
}  // namespace kavren::testing
