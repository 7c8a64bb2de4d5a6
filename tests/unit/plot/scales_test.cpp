// Label texts, readable steps, the colour scale, the order key, the axes,
// the legend queue and the title line.
#include "plot/scales.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "plot_fixture.hpp"
#include "records/control.hpp"
#include "records/io.hpp"

namespace kavren::testing {
namespace {

TEST(LabelFmt, TheStatedValues) {
    const struct {
        double x;
        const char* text;
    } kCases[] = {{5.0, " 5"},
                  {0.0, " 0"},
                  {0.5, "0.5"},
                  {-2.5, "-2.5"},
                  {3.125, "3.125"},
                  {2.0 / 3.0, "0.6666667"},
                  {1234.5, " 0.123E+04"},
                  {5000.0, " 5000"},
                  {0.25, "0.25"},
                  {-0.0002, " -0.200E-03"}};
    for (const auto& c : kCases) EXPECT_EQ(label_fmt(1.0, c.x).trimmed(), c.text) << c.x;
    EXPECT_EQ(label_fmt(1000.0, 5000.0).trimmed(), " 5");
}

TEST(Opscal, TheStatedCases) {
    const struct {
        double fmin, fmax;
        int n;
        double rmin, rmax;
        int rn;
    } kCases[] = {{0, 1, 13, 0, 1.1, 11}, {-0.3, 0.7, 4, -0.5, 0.75, 5}, {2, 2, 10, 2, 2, 10},
                  {0, 0, 10, 0, 1.1, 11}, {0, 1, 0, 0, 1.1, 11},         {-7, -2, 5, -8, -2, 6}};
    for (const auto& c : kCases) {
        double a = c.fmin, b = c.fmax;
        int n = c.n;
        opscal(a, b, n);
        EXPECT_NEAR(a, c.rmin, 1e-12) << c.fmin << " " << c.fmax;
        EXPECT_NEAR(b, c.rmax, 1e-12) << c.fmin << " " << c.fmax;
        EXPECT_EQ(n, c.rn) << c.fmin << " " << c.fmax;
    }
}

TEST(Opscal, CoversTheRangeWithAReadableStep) {
    std::mt19937 g(23);
    std::uniform_real_distribution<double> e(-6.0, 6.0), d(-1.0, 1.0);
    static constexpr int kSteps[12] = {100, 125, 150, 175, 200, 250, 300, 375, 500, 625, 750, 1000};
    for (int t = 0; t < 500; ++t) {
        const double scale = std::pow(10.0, e(g));
        double a = d(g) * scale, b = d(g) * scale;
        if (a > b) std::swap(a, b);
        if (b - a < 1e-3 * scale) continue;
        int n = 1 + static_cast<int>(g() % 40);
        double lo = a, hi = b;
        opscal(lo, hi, n);
        EXPECT_LE(lo, a);
        EXPECT_GE(hi, b);
        ASSERT_GT(n, 0);
        const double s = (hi - lo) / n;
        const double k = std::floor(std::log10(s) + 1e-9);
        const double m = s / std::pow(10.0, k) * 100.0;
        bool readable = false;
        for (int st : kSteps)
            readable |= std::abs(m - st) < 1e-6 * st || std::abs(m * 10.0 - st) < 1e-6 * st;
        EXPECT_TRUE(readable) << a << " " << b << " step " << s;
    }
}

class ScalesTest : public PlotTest {
  protected:
    std::vector<std::string> texts() {
        std::vector<std::string> v;
        for (const Drawn& d : screen->of(Drawn::TEXT)) v.push_back(d.text);
        return v;
    }
    bool has_text(const std::string& t) {
        const auto v = texts();
        return std::find(v.begin(), v.end(), t) != v.end();
    }
    Pixel percent(int x, int y) {
        return {static_cast<int>(x / 100.0f * wsize.WSIZE),
                static_cast<int>(y / 100.0f * wsize.WSIZE)};
    }
};

TEST_F(ScalesTest, ColourScaleWritesItsFactorAndDividesItsLabels) {
    open_window();
    iscale.ILAYF = 0;
    double lev[5] = {0.0, 1250.0, 2500.0, 3750.0, 5000.0};
    mdrsca(lev, 4, 1);
    EXPECT_TRUE(has_text("10** 3"));
    EXPECT_TRUE(has_text(" 5      "));  // 5000 / 1000
    EXPECT_TRUE(has_text("1.25    "));
    EXPECT_FALSE(has_text(" 5000   "));
    // Bands 1..4 in their colours, 20 percent wide.
    const auto fills = screen->of(Drawn::FILL);
    ASSERT_EQ(fills.size(), 5u);
}

TEST_F(ScalesTest, OrderKeyInBothLayouts) {
    for (int lay : {0, 1}) {
        open_window();
        iscale.ILAYF = lay;
        gdrsca();
        const auto t = screen->of(Drawn::TEXT);
        ASSERT_EQ(t.size(), 8u);
        for (int p = 1; p <= 8; ++p) {
            EXPECT_EQ(t[static_cast<std::size_t>(p - 1)].text, std::to_string(p));
            const Pixel at = lay == 0 ? percent(10 * p + 7, 19) : percent(5, 5 * p + 22);
            EXPECT_EQ(t[static_cast<std::size_t>(p - 1)].points[0].x, at.x);
        }
        EXPECT_EQ(screen->of(Drawn::FILL).size(), 9u);
    }
}

TEST_F(ScalesTest, AxesLabelsAndAnAllZeroAxis) {
    open_window();
    cxmin = {0.0, 4000.0, 0.0, 0.0};
    xdrsca(4, 2);
    EXPECT_TRUE(has_text("10** 3"));  // x from its last value, 4000
    EXPECT_TRUE(has_text(" 4      "));
    // y: both ends 0, factor 1 and no factor text for it.
    const auto v = texts();
    EXPECT_EQ(std::count(v.begin(), v.end(), std::string("10** 3")), 1);
    EXPECT_EQ(std::count(v.begin(), v.end(), std::string(" 0      ")), 1 + 5);
}

TEST_F(ScalesTest, LegendQueueDrawCountAndCapacity) {
    open_window();
    flegen("D.O.F=", 25.0);
    flegen("SET=LEFT", NO_LEGEND_VALUE);
    flegen("ABCDEFGHIJ", 1.5, 3);
    legend();
    EXPECT_TRUE(has_text("D.O.F= 25"));
    EXPECT_TRUE(has_text("SET=LEFT"));
    EXPECT_TRUE(has_text("ABC1.5"));
    EXPECT_EQ(clegend.NLEG, 0);
    EXPECT_EQ(credraw.NLEG0, 3);
    for (int i = 1; i <= 21; ++i) flegen("L" + std::to_string(i), NO_LEGEND_VALUE);
    EXPECT_EQ(clegend.NLEG, 20);
    EXPECT_EQ(clegend.LEGTXT(20).trimmed(), "L20");
}

void stamp() {
    mtext("STAMP", 5);
}

TEST_F(ScalesTest, TitleKeepsTitle0AndBlanksTheTitle) {
    open_window();
    cpname.PRJNAM = Word8("job");
    ctitle.CTITLE = Line80("MY PICTURE");
    plot_stamp = stamp;
    mdrtit();
    plot_stamp = nullptr;
    EXPECT_EQ(credraw.TITLE0.trimmed(), "MY PICTURE");
    EXPECT_TRUE(ctitle.CTITLE.blank());
    EXPECT_TRUE(has_text("PROJECT: job     "));
    EXPECT_TRUE(has_text("MY PICTURE"));
    EXPECT_TRUE(has_text("kavren"));
    EXPECT_TRUE(has_text("STAMP"));
    screen->drawn.clear();
    mdrtit();  // a second plot without a title draws an empty one
    EXPECT_TRUE(credraw.TITLE0.blank());
    EXPECT_FALSE(has_text("MY PICTURE"));
}

TEST(WidenFrame, TenPercentAndZeroWidths) {
    double a, b;
    widen_frame(0.0, 2.0, a, b);
    EXPECT_NEAR(a, 1.0 - 1.100000023841858, 1e-15);
    EXPECT_NEAR(b, 1.0 + 1.100000023841858, 1e-15);
    widen_frame(50.0, 50.0, a, b);
    EXPECT_NEAR(a, 45.0, 1e-12);
    EXPECT_NEAR(b, 55.0, 1e-12);
    widen_frame(0.0, 0.0, a, b);
    EXPECT_NEAR(a, -1.0, 1e-12);
    EXPECT_NEAR(b, 1.0, 1e-12);
    double lo = 3.0, hi = 3.0;
    widen_range(lo, hi);
    EXPECT_DOUBLE_EQ(lo, 2.0);
    EXPECT_DOUBLE_EQ(hi, 4.0);
}

}  // namespace
}  // namespace kavren::testing
