// The index sort and the selection of the adaptive steps: the thresholds of
// one- and two-dimensional problems, the listing, the p-step's order limit,
// and the steps that change nothing (no selection, an error that is not a
// number).
#include "adapt/adapthp.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <vector>

#include "adapt_fixture.hpp"
#include "hpmesh/tree.hpp"
#include "records/control.hpp"
#include "records/mesh.hpp"

namespace kavren::testing {
namespace {

//// sortm ////

std::vector<int> sorted(const std::vector<double>& arr) {
    std::vector<int> indx(arr.size(), -1);
    sortm(static_cast<int>(arr.size()), indx.data(), arr.data());
    return indx;
}

TEST(Sortm, SmallCases) {
    struct Case {
        std::vector<double> arr;
        std::vector<int> indx;
    };
    const Case cases[] = {
        {{5, 1}, {2, 1}},
        {{1, 5}, {1, 2}},
        {{7}, {1}},
        {{3, 1, 2}, {2, 3, 1}},
        {{4, 4, 1, 4}, {3, 2, 4, 1}},  // ties come out in the order the heap leaves them
    };
    for (const Case& c : cases) EXPECT_EQ(sorted(c.arr), c.indx);
    EXPECT_TRUE(sorted({}).empty());
}

TEST(Sortm, PermutationInAscendingOrderForAnySize) {
    std::mt19937 gen(7);
    for (int n : {2, 3, 10, 257, 1000, 16000}) {
        // Few distinct values, so that ties are common.
        std::uniform_int_distribution<int> dist(0, n / 3 + 1);
        std::vector<double> arr(static_cast<std::size_t>(n));
        for (double& a : arr) a = dist(gen) * 0.5;
        const std::vector<double> copy = arr;
        std::vector<int> indx = sorted(arr);
        EXPECT_EQ(arr, copy);
        for (int k = 1; k < n; ++k)
            ASSERT_LE(arr[static_cast<std::size_t>(indx[static_cast<std::size_t>(k - 1)] - 1)],
                      arr[static_cast<std::size_t>(indx[static_cast<std::size_t>(k)] - 1)])
                << n;
        std::sort(indx.begin(), indx.end());
        for (int k = 1; k <= n; ++k) ASSERT_EQ(indx[static_cast<std::size_t>(k - 1)], k) << n;
    }
}

//// selection ////

// Errors of the active elements in tree order, by slot.
void set_errors(const std::vector<double>& e) {
    int nel = 0;
    for (double v : e) {
        nel = nelcon(nel);
        int s = 0;
        findno(nel, s);
        cexecute.errors_h1(s) = v;
    }
}

std::vector<int> selection(double frac) {
    const int iel = adapt_selection(cexecute.errors_h1, frac);
    std::vector<int> sel;
    if (iel == 0) return sel;
    for (int k = cdata.NRELEM; k >= iel; --k) sel.push_back(adapt_ranked(k));
    return sel;
}

TEST_F(AdaptTest, ThresholdsOfTheTwoDimensions) {
    MeshBuilder b(2, 2);
    ASSERT_EQ(b.build(), "");
    // Squares 1, 4, 9, 16 (total 30): from the top 16, 25, 29, 30.
    set_errors({1, 2, 3, 4});
    // 0.9 of 30 is 27: 29 is the first partial sum above it.
    EXPECT_EQ(selection(FRAC_2D), (std::vector<int>{4, 3, 2}));
    // 0.99 of 30 is 29.7: all four.
    EXPECT_EQ(selection(FRAC_1D), (std::vector<int>{4, 3, 2, 1}));
    // One element with almost all of the squared error is chosen alone.
    set_errors({0.01, 10, 0.02, 0.03});
    EXPECT_EQ(selection(FRAC_2D), (std::vector<int>{2}));
    // A share of exactly 0.9 would not pass 0.9, but it passes the single
    // precision value, which is a little less.
    set_errors({0, 3, 0, 1});  // 9 of 10
    EXPECT_EQ(selection(FRAC_2D), (std::vector<int>{2}));
    set_errors({0, 0, 0, 0});
    EXPECT_TRUE(selection(FRAC_2D).empty());
}

TEST_F(AdaptTest, SingleElementIsSelectedAlone) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    set_errors({0.5});
    EXPECT_EQ(selection(FRAC_2D), (std::vector<int>{1}));
}

TEST_F(AdaptTest, PStepListsTheSelectionAndStopsAtOrderEight) {
    MeshBuilder b(2, 2);
    b.default_order(8);
    ASSERT_EQ(b.build(), "");
    set_errors({1, 2, 3, 4});
    cflags.ISOLVD = 1;
    const std::size_t m = mark();
    EXPECT_EQ(adapthp(cexecute.errors_h1, 1), 0);
    EXPECT_EQ(since(m),
              " ELEMENTS TO BE REFINED:\n"
              " IEL= 2\n"
              " LIST= 4 3 2\n"
              " ALREADY MAXP=8 in NEL= 4\n"
              " ALREADY MAXP=8 in NEL= 3\n"
              " ALREADY MAXP=8 in NEL= 2\n");
    EXPECT_EQ(cflags.ISOLVD, 1);  // nothing changed
    EXPECT_TRUE(database_consistent());
}

TEST_F(AdaptTest, NoSelectionChangesNothing) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    cflags.ISOLVD = 1;
    const int nrdof = cdata.NRDOF;
    for (int mode : {0, 1}) {
        const std::size_t m = mark();
        EXPECT_EQ(adapthp(cexecute.errors_h1, mode), 0);  // before any ERREST: all zero
        EXPECT_EQ(since(m), " NO ELEMENT SELECTED\n");
    }
    EXPECT_EQ(cdata.NRDOF, nrdof);
    EXPECT_EQ(cdata.NRELEM, 2);
    EXPECT_EQ(cflags.ISOLVD, 1);
}

TEST_F(AdaptTest, ErrorThatIsNotANumberIsRefused) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    for (double bad :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        set_errors({1, bad});
        const std::size_t m = mark();
        EXPECT_EQ(adapthp(cexecute.errors_h1, 0), ADAPT_NOT_A_NUMBER);
        const std::string line =
            " ADAPTATION REFUSED: THE ERROR OF ELEMENT     2 IS NOT A FINITE NUMBER";
        EXPECT_EQ(since(m), " RETYPE COMMAND\n" + line + "\n");
        EXPECT_EQ(last_error_line(), line);
    }
    EXPECT_EQ(cdata.NRELEM, 2);
}

}  // namespace
}  // namespace kavren::testing
