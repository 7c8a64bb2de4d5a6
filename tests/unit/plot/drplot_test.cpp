// The x-y plot from files of curves: lines, square markers and splines on
// the recording screen and in PostScript files that Ghostscript reads
// without error; two curves in one frame; the refusals of a file that is
// missing, short or beyond the limits; options that hold for one call.
#include "plot/drplot.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "plot/scales.hpp"
#include "plot_fixture.hpp"
#include "records/plot.hpp"

namespace kavren::testing {
namespace {

class DrplotTest : public PlotTest {
  protected:
    void SetUp() override {
        PlotTest::SetUp();
        open_window();
    }
    void data(const std::string& text) { std::ofstream(dir / "data/xyplot") << text; }
    // The lines drawn inside the plot area.
    std::vector<Drawn> inner_lines() const {
        std::vector<Drawn> v;
        for (const Drawn& d : screen->of(Drawn::LINE)) {
            bool inside = true;
            for (const Pixel& p : d.points)
                inside = inside && p.x > viewport.IVX1 && p.x < viewport.IVX2 &&
                         p.y > viewport.IVY1 && p.y < viewport.IVY2;
            if (inside) v.push_back(d);
        }
        return v;
    }
    // The pixel of a world point.
    static Pixel px(double x, double y) {
        return {static_cast<int>(iscaler.XSCALE * x + iscaler.XOFF),
                static_cast<int>(iscaler.YSCALE * y + iscaler.YOFF)};
    }
    static bool joins(const Drawn& d, Pixel a, Pixel b) {
        return d.points.size() == 2 && d.points[0] == a && d.points[1] == b;
    }
    // The values of the legend lines "MIN=" and "MAX=" as drawn.
    void legend_range(double& lo, double& hi, int& lines) const {
        lines = 0;
        for (const Drawn& d : screen->of(Drawn::TEXT)) {
            if (d.text.rfind("MIN=", 0) == 0) {
                lo = std::stod(d.text.substr(4));
                ++lines;
            } else if (d.text.rfind("MAX=", 0) == 0) {
                hi = std::stod(d.text.substr(4));
                ++lines;
            }
        }
    }
    bool print_empty() const { return std::filesystem::is_empty(dir / "print"); }
};

TEST_F(DrplotTest, TwoPointsGiveOneLineOverAxesWidenedToReadableSteps) {
    record("DRPLOT,LASER=XY1");
    data("1\n0\n2\n1.2 3.1\n0 10\n");
    drplot();
    double xmin = 0.0, xmax = 10.0, ymin = 1.2, ymax = 3.1;
    int nx = 13, ny = 13;
    opscal(xmin, xmax, nx);
    opscal(ymin, ymax, ny);
    EXPECT_EQ(cxmin.XMIN, xmin);
    EXPECT_EQ(cxmin.XMAX, xmax);
    EXPECT_EQ(cxmin.YMIN, ymin);
    EXPECT_EQ(cxmin.YMAX, ymax);
    EXPECT_LE(cxmin.YMIN, 1.2);
    EXPECT_GE(cxmin.YMAX, 3.1);
    const std::vector<Drawn> lines = screen->of(Drawn::LINE);
    const Pixel a = px(0, 1.2), b = px(10, 3.1);
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(), [&](const Drawn& d) { return joins(d, a, b); }),
        1);
    // The legend gives the range of y.
    double lo = 0.0, hi = 0.0;
    int n = 0;
    legend_range(lo, hi, n);
    EXPECT_EQ(n, 2);
    EXPECT_NEAR(lo, 1.2, 1e-6);
    EXPECT_NEAR(hi, 3.1, 1e-6);
    expect_valid_postscript({"xy1"});
}

struct CountCase {
    const char* name;
    const char* options;
    const char* file;
    int segments;
};

class DrplotCountTest : public DrplotTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(DrplotCountTest, EachKindOfCurveDrawsItsSegments) {
    const CountCase& c = GetParam();
    record(std::string("DRPLOT,NOSCALE,LASER=CNT") + c.options);
    data(c.file);
    drplot();
    // Every segment is drawn there and back on the screen.
    const std::vector<Drawn> lines = inner_lines();
    EXPECT_EQ(static_cast<int>(lines.size()), 2 * c.segments);
    expect_valid_postscript({"cnt"});
}

INSTANTIATE_TEST_SUITE_P(
    Curves, DrplotCountTest,
    ::testing::Values(
        CountCase{"polyline", "", "1\n0\n3\n0 1 0\n0 1 2\n", 2},
        CountCase{"three_squares", "", "1\n1\n3\n0 1 0\n0 1 2\n", 12},
        CountCase{"one_point_lines", "", "1\n0\n1\n5\n5\n", 0},
        CountCase{"one_point_markers", "", "1\n1\n1\n5\n5\n", 0},
        CountCase{"spline_of_four_points", ",BSPLINE", "1\n1\n4\n0 1 0 1\n0 1 2 3\n", 12},
        CountCase{"spline_of_two_points", ",BSPLINE,FACTOR=2", "1\n0\n2\n0 4\n0 3\n", 4}),
    [](const ::testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

TEST_F(DrplotTest, MarkersAreSquaresOfAHundredthOfTheFrame) {
    record("DRPLOT,NOSCALE");
    data("1\n1\n3\n0,1,0\n0,1,2\n");
    drplot();
    const double dx = (cxmin.XMAX - cxmin.XMIN) / 100.0, dy = (cxmin.YMAX - cxmin.YMIN) / 100.0;
    const std::vector<Drawn> lines = inner_lines();
    ASSERT_EQ(lines.size(), 24u);
    const double pts[3][2] = {{0, 0}, {1, 1}, {2, 0}};
    for (int k = 0; k < 3; ++k) {
        const double x = pts[k][0], y = pts[k][1];
        // The first side of the square around point k, from its upper right corner.
        const Pixel a = px(x + dx, y + dy), b = px(x - dx, y + dy);
        EXPECT_TRUE(
            std::any_of(lines.begin(), lines.end(), [&](const Drawn& d) { return joins(d, a, b); }))
            << "point " << k + 1;
    }
}

TEST_F(DrplotTest, SplineRunsFromTheFirstPointToTheLastAndIgnoresMarkers) {
    record("DRPLOT,NOSCALE,BSPLINE,FACTOR=3");
    data("1\n1\n4\n0 2 1 3\n0 1 2 3\n");
    drplot();
    const std::vector<Drawn> lines = inner_lines();
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines.front().points[0], px(0, 0));
    // The last segment there and back ends where it began: at the last point.
    EXPECT_EQ(lines.back().points[0], px(3, 3));
    // Consecutive segments join.
    for (std::size_t i = 2; i < lines.size(); i += 2)
        EXPECT_EQ(lines[i].points[0], lines[i - 2].points[1]) << i;
    // The legend gives the range of the ordinates of the file, not of the curve.
    double lo = 0.0, hi = 0.0;
    int n = 0;
    legend_range(lo, hi, n);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 3.0);
}

TEST_F(DrplotTest, TwoCurvesShareOneFrameAndTheProgramWaitsAfterEach) {
    std::ofstream(dir / "kbd.txt") << "first\nsecond\nthird\n";
    units::open_text(units::STDIN_UNIT, "kbd.txt", units::Open::existing);
    record("DRPLOT,NOSCALE,LASER=TWO");
    data("2\n0\n2\n-2 1\n0 1\n0\n3\n5,7,6\n10,11,12\n");
    drplot();
    std::string next;
    units::read_line(units::STDIN_UNIT, next);
    EXPECT_EQ(next, "third");
    EXPECT_LE(cxmin.XMIN, 0.0);
    EXPECT_GE(cxmin.XMAX, 12.0);
    EXPECT_LE(cxmin.YMIN, -2.0);
    EXPECT_GE(cxmin.YMAX, 7.0);
    const std::vector<Drawn> lines = inner_lines();
    EXPECT_EQ(lines.size(), 6u);
    double lo = 0.0, hi = 0.0;
    int n = 0;
    legend_range(lo, hi, n);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(lo, -2.0);
    EXPECT_EQ(hi, 7.0);
    expect_valid_postscript({"two"});
}

struct RefusalCase {
    const char* name;
    const char* options;
    const char* file;  // nullptr: no file
    const char* error;
};

TEST_F(DrplotTest, AFileThatIsMissingShortOrBeyondItsLimitsIsRefusedBeforeAnyPlot) {
    std::string np1001 = "1\n0\n1001\n", xs;
    for (int k = 0; k < 1001; ++k) xs += std::to_string(k) + " ";
    np1001 += xs + "\n" + xs + "\n";
    std::string np99 = "1\n0\n99\n";
    xs.clear();
    for (int k = 0; k < 99; ++k) xs += std::to_string(k) + " ";
    np99 += xs + "\n" + xs + "\n";
    const RefusalCase cases[] = {
        {"missing", "", nullptr, " UNABLE TO OPEN FILE data/xyplot"},
        {"empty", "", "", " FILE data/xyplot: MISSING OR UNREADABLE NUMBER"},
        {"short x list", "", "1\n0\n3\n1 2 3\n1 2\n",
         " FILE data/xyplot: CURVE 1: MISSING OR UNREADABLE NUMBER"},
        {"second curve missing", "", "2\n0\n2\n1 2\n1 2\n",
         " FILE data/xyplot: CURVE 2: MISSING OR UNREADABLE NUMBER"},
        {"not a number", "", "1\n0\n2\n1 A\n1 2\n",
         " FILE data/xyplot: CURVE 1: MISSING OR UNREADABLE NUMBER"},
        {"six curves", "", "6\n", " FILE data/xyplot: NUMBER OF CURVES 6 NOT IN 1..5"},
        {"no curve", "", "0\n", " FILE data/xyplot: NUMBER OF CURVES 0 NOT IN 1..5"},
        {"no point", "", "1\n0\n0\n",
         " FILE data/xyplot: CURVE 1: NUMBER OF POINTS 0 NOT IN 1..1000"},
        {"1001 points", "", np1001.c_str(),
         " FILE data/xyplot: CURVE 1: NUMBER OF POINTS 1001 NOT IN 1..1000"},
        {"99 points of a spline", ",BSPLINE", np99.c_str(),
         " FILE data/xyplot: CURVE 1: NUMBER OF POINTS 99 NOT IN 1..98"},
        {"spline through a repeated point", ",BSPLINE", "1\n0\n3\n1 1 2\n1 1 2\n",
         " FILE data/xyplot: CURVE 1: NO SPLINE THROUGH ITS POINTS"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir / "data/xyplot");
        if (c.file != nullptr) data(c.file);
        screen->drawn.clear();
        const std::size_t err_before = file("decks/t.err").size();
        record(std::string("DRPLOT,LASER=BAD") + c.options);
        drplot();
        EXPECT_EQ(file("decks/t.err").substr(err_before).find(" " + std::string(c.error) + "\n"),
                  0u)
            << file("decks/t.err").substr(err_before);
        EXPECT_TRUE(screen->drawn.empty());
        EXPECT_TRUE(print_empty());
        EXPECT_EQ(std::filesystem::exists(dir / "data/xyplot"), c.file != nullptr);
    }
    // The data point of more than the spline's 98 is taken without BSPLINE.
    data(np99);
    record("DRPLOT,NOSCALE");
    drplot();
    EXPECT_EQ(inner_lines().size(), 2u * 98u);
}

TEST_F(DrplotTest, OptionsHoldForOneCallOnly) {
    data("1\n0\n3\n0 1 0\n0 7 9\n");
    auto drawing = [&](const std::string& rec) {
        screen->drawn.clear();
        record(rec);
        drplot();
        std::ostringstream s;
        for (const Drawn& d : screen->drawn) {
            s << d.kind << ' ' << d.cell << ' ' << d.text;
            for (const Pixel& p : d.points) s << ' ' << p.x << ',' << p.y;
            s << '\n';
        }
        return s.str();
    };
    // The first plot of a run also clears the window.
    drawing("DRPLOT");
    const std::string plain = drawing("DRPLOT");
    const std::string wide = drawing("DRPLOT,LEVELX=4,LEVELY=3");
    EXPECT_NE(wide, plain);
    EXPECT_EQ(drawing("DRPLOT"), plain);
    const std::string spline = drawing("DRPLOT,BSPLINE,FACTOR=5");
    EXPECT_NE(spline, plain);
    EXPECT_EQ(drawing("DRPLOT"), plain);
}

}  // namespace
}  // namespace kavren::testing
