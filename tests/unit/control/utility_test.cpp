#include "control/utility.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "control/echo.hpp"

namespace kavren::testing {
namespace {

TEST(Decode, SplitsNodeCodes) {
    struct Case {
        int code, node, order;
    } cases[] = {{1205, 12, 5}, {0, 0, 0}, {-305, -3, -5}, {100, 1, 0}, {-1, 0, -1}};
    for (const auto& c : cases) {
        int iq = 99, ir = 99;
        decode(c.code, iq, ir);
        EXPECT_EQ(iq, c.node) << c.code;
        EXPECT_EQ(ir, c.order) << c.code;
    }
}

TEST(Digits, PackAndUnpackAreInverse) {
    int digits[5] = {3, 0, 8, 1, 2};
    int code = 0;
    code1(digits, 5, code);
    EXPECT_EQ(code, 21803);
    int back[5] = {};
    decod1(code, 5, back);
    EXPECT_TRUE(std::equal(back, back + 5, digits));
}

TEST(Clear, SetzLeavesTheRestAlone) {
    double a[4] = {1, 2, 3, 4};
    setz(a, 3);
    EXPECT_EQ(a[2], 0.0);
    EXPECT_EQ(a[3], 4.0);
    int ia[2] = {5, 6};
    setzi(ia, 0);
    EXPECT_EQ(ia[0], 5);
}

TEST(Zsortr, SortsWholeRowsByOneColumn) {
    const int n = 257, lda = 300, ncol = 3;
    std::vector<double> a(static_cast<std::size_t>(lda) * ncol, 0.0);
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> d(0, 50);  // many equal keys
    for (int i = 0; i < n; ++i) {
        a[i] = d(gen);
        a[i + lda] = i;             // the row's identity
        a[i + 2 * lda] = 2 * a[i];  // tied to the key
    }
    ASSERT_TRUE(zsortr(a.data(), lda, n, ncol, 1));
    std::vector<int> seen(n, 0);
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            EXPECT_LE(a[i - 1], a[i]);
        }
        EXPECT_EQ(a[i + 2 * lda], 2 * a[i]);
        seen[static_cast<int>(a[i + lda])]++;
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int s) { return s == 1; }));
}

}  // namespace
}  // namespace kavren::testing
