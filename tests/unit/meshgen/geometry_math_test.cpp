// The column sort, the clockwise test and the map helpers of the generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "meshgen/elements.hpp"
#include "meshgen/nodes.hpp"
#include "meshgen/sort.hpp"
#include "records/geometry.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"

namespace kavren::testing {
namespace {

// Sorts (tag, key) columns by key and gives the tags in their new order.
std::vector<int> sorted_tags(const std::vector<double>& keys) {
    std::vector<double> a;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        a.push_back(static_cast<double>(i + 1));
        a.push_back(keys[i]);
    }
    gnsort(a.data(), 2, 2, static_cast<int>(keys.size()));
    std::vector<int> tags;
    for (std::size_t i = 0; i < keys.size(); ++i) tags.push_back(static_cast<int>(a[2 * i]));
    return tags;
}

// Orders traced by hand through the algorithm: equal keys do not keep their
// order, and the node merge keeps the node whose column comes first.
TEST(ColumnSort, EqualKeysEndInTheAlgorithmsOrder) {
    EXPECT_EQ(sorted_tags({2, 1, 2, 1}), (std::vector<int>{2, 4, 3, 1}));
    EXPECT_EQ(sorted_tags({1, 1, 1, 1, 1}), (std::vector<int>{1, 4, 3, 2, 5}));
    EXPECT_EQ(sorted_tags({3, 2, 1}), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(sorted_tags({}), (std::vector<int>{}));
    EXPECT_EQ(sorted_tags({7}), (std::vector<int>{1}));
}

TEST(ColumnSort, SortsWholeColumnsByTheKeyRow) {
    std::mt19937 gen(12345);
    for (int n : {2, 3, 11, 12, 13, 40, 257, 1000}) {
        for (int distinct : {2, 5, 1000000}) {
            std::uniform_int_distribution<int> pick(0, distinct - 1);
            std::vector<double> a;
            for (int c = 1; c <= n; ++c) {
                double key = pick(gen);
                a.insert(a.end(), {static_cast<double>(c), key, key * 10.0 + 0.5});
            }
            gnsort(a.data(), 3, 2, n);
            std::vector<int> seen(static_cast<std::size_t>(n) + 1, 0);
            for (int c = 0; c < n; ++c) {
                const double* col = &a[3 * static_cast<std::size_t>(c)];
                // The column moved whole: its third row still belongs to its key.
                EXPECT_EQ(col[2], col[1] * 10.0 + 0.5);
                if (c > 0) {
                    EXPECT_LE(a[3 * static_cast<std::size_t>(c - 1) + 1], col[1]) << "n=" << n;
                }
                seen[static_cast<std::size_t>(col[0])] += 1;
            }
            EXPECT_TRUE(std::all_of(seen.begin() + 1, seen.end(), [](int s) { return s == 1; }));
        }
    }
}

TEST(ColumnSort, SortTakesTheCountFromTheCounterRecord) {
    std::vector<double> a = {1, 9, 2, 4, 3, 1};
    Ccon counts;
    counts.NNODG = 2;  // only the first two columns
    sort(a.data(), 2, 2, counts);
    EXPECT_EQ(a, (std::vector<double>{2, 4, 1, 9, 3, 1}));
}

struct Triangle {
    double x1, y1, x2, y2, x3, y3;
    int clockwise;
};

TEST(ClockwiseTest, FirstThreeVerticesDecide) {
    const Triangle cases[] = {
        {0, 0, 1, 0, 1, 1, 0},    // counter-clockwise
        {0, 0, 0, 1, 1, 1, 1},    // clockwise
        {0, 0, 1, 1, 2, 2, 0},    // degenerate counts as counter-clockwise
        {5, 5, 4, 5, 4, 4, 0},    // turned by 180 degrees, still counter-clockwise
        {0, 0, -1, 0, -1, 1, 1},  // mirrored
    };
    for (const Triangle& t : cases) {
        cnodet.XGEN(1) = t.x1;
        cnodet.YGEN(1) = t.y1;
        cnodet.XGEN(2) = t.x2;
        cnodet.YGEN(2) = t.y2;
        cnodet.XGEN(3) = t.x3;
        cnodet.YGEN(3) = t.y3;
        celem.NICK(1, 7) = 1;
        celem.NICK(2, 7) = 2;
        celem.NICK(3, 7) = 3;
        int ires = -1;
        direct(7, ires);
        EXPECT_EQ(ires, t.clockwise) << t.x2 << "," << t.y2 << " " << t.x3 << "," << t.y3;
    }
}

TEST(GridMap, ShapeFunctionsInterpolateTheControlPoints) {
    const double node[8][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1},
                               {0, -1},  {1, 0},  {0, 1}, {-1, 0}};
    for (int npt : {4, 8}) {
        for (int m = 1; m <= npt; ++m) {
            shape(npt, node[m - 1][0], node[m - 1][1]);
            for (int q = 1; q <= npt; ++q) EXPECT_NEAR(shp.SHP(q), q == m ? 1.0 : 0.0, 1e-15);
        }
        for (double xi : {-0.7, 0.1, 0.55})
            for (double eta : {-0.3, 0.9}) {
                shape(npt, xi, eta);
                double sum = 0.0, x = 0.0;
                for (int q = 1; q <= npt; ++q) {
                    sum += shp.SHP(q);
                    x += shp.SHP(q) * node[q - 1][0];
                }
                EXPECT_NEAR(sum, 1.0, 1e-15);
                EXPECT_NEAR(x, xi, 1e-15);  // the map reproduces linear functions
            }
    }
}

TEST(GridMap, CercleAndPolar) {
    Arr1<double, 16> xy;
    xy(1) = 1.0;  // corner 1 at (1, 0), corner 2 at (0, 1)
    xy(9) = 0.0;
    xy(2) = 0.0;
    xy(10) = 1.0;
    ASSERT_TRUE(cercle(1, 2, 0.0, 0.0, xy));
    EXPECT_NEAR(xy(5), std::cos(M_PI / 4), 1e-15);
    EXPECT_NEAR(xy(13), std::sin(M_PI / 4), 1e-15);
    ASSERT_TRUE(cercle(1, 1, 3.0, 4.0, xy));
    EXPECT_EQ(xy(5), 3.0);
    EXPECT_EQ(xy(13), 4.0);
    // A centre at the midpoint of the side gives no direction.
    EXPECT_FALSE(cercle(1, 2, 0.5, 0.5, xy));

    struct PolarCase {
        double x, y, r, t;
    };
    const PolarCase cases[] = {
        {0, 0, 0, 0},
        {2, 0, 2, 0},
        {0, 3, 3, 1.5707963705062866},
        {0, -1, 1, 4.71238911151886},
        {-1, 0, 1, GEN_PI},
        {1, 1, std::sqrt(2.0), std::atan(1.0)},
        {-1, -1, std::sqrt(2.0), std::atan(1.0) + GEN_PI},
    };
    for (const PolarCase& c : cases) {
        double r = -1, t = -1;
        polar(c.x, c.y, r, t);
        EXPECT_DOUBLE_EQ(r, c.r);
        EXPECT_DOUBLE_EQ(t, c.t) << c.x << "," << c.y;
    }
}

}  // namespace
}  // namespace kavren::testing
