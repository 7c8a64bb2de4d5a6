// The error map on built meshes: the band rule, the outline, the stretch and
// its refusal, and the settings the map keeps from one call to the next.
#include "plot/errmap.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "control/utility.hpp"
#include "hpmesh/geometry.hpp"
#include "plot/scales.hpp"
#include "plot_fixture.hpp"
#include "records/errmap.hpp"
#include "records/meshgen.hpp"
#include "records/plot.hpp"

namespace kavren::testing {
namespace {

TEST(ErrorBand, LimitsBelongToTheBandAboveThemAndTheTopToTheLastBand) {
    const double lev[5] = {0.0, 0.25, 0.5, 0.75, 1.0};
    struct Case {
        double e;
        int band;
    };
    for (const Case& c : {Case{0.0, 1}, Case{0.25, 2}, Case{0.5, 3}, Case{0.75, 4}, Case{1.0, 4},
                          Case{7.0, 4}, Case{-0.5, 1}, Case{0.3, 2}, Case{std::nan(""), 1}})
        EXPECT_EQ(error_band(c.e, lev, 4), c.band) << c.e;
}

TEST(ErrorStretch, LogarithmThenFactorAcrossTheTiltedFrame) {
    Cdiserr k;
    double x = 0.3, y = 3.0;
    errmap_stretch(k, x, y);
    EXPECT_DOUBLE_EQ(x, 0.3);
    EXPECT_NEAR(y, 2.0, 1e-7);  // log2(1 + 3)
    k.YMULT1 = 2.0;
    k.YMULT2 = 0.25;
    x = 0.0, y = 0.75;
    errmap_stretch(k, x, y);
    EXPECT_NEAR(y, std::log2(0.25 + 0.75) + 2.0, 1e-7);
    // Slope 1 with a factor 3: the coordinate along (1, 1) stays, the one
    // across it is the stretched one times 3.
    k = Cdiserr{};
    k.TG = 1.0;
    k.MULT = 1;
    k.FACT = 3.0;
    const double r = std::sqrt(0.5);
    x = 2.0, y = 2.5;  // along 4.5 r, across 0.5 r
    errmap_stretch(k, x, y);
    EXPECT_NEAR((x + y) * r, 4.5 * r, 1e-12);
    EXPECT_NEAR((y - x) * r, 3.0 * std::log2(1.0 + 0.5 * r), 1e-6);
}

class ErrorMapTest : public PlotTest {
  protected:
    Arr1<double, MAXSLOT> err;

    void SetUp() override {
        PlotTest::SetUp();
        csetf.ISCUR = 1;
        cinout.LUIN = cinout.LUKBD;
    }
    void set_error(int nel, double e) { err(slot_of(nel)) = e; }
    // Draws the map of record text on the screen and returns its element fills.
    std::vector<Drawn> draw(const std::string& text) {
        record(text);
        screen->drawn.clear();
        diserr(err.data());
        std::vector<Drawn> v;
        for (const Drawn& d : screen->of(Drawn::FILL))
            if (d.clip0 == Pixel{viewport.IVX1, viewport.IVY1}) v.push_back(d);
        return v;
    }
    std::string errors_filed() { return file("decks/t.err"); }
};

TEST_F(ErrorMapTest, OutlineFollowsTheSideOrders) {
    MeshBuilder b(1, 1);
    b.default_order(2);
    b.edge_order(1, 2, 1);
    b.map([](double x, double y) {
        return std::array<double, 2>{x + 0.1 * std::sin(M_PI * y), y};
    });
    ASSERT_EQ(b.build(), "");
    NodePoints p;
    nodcor(1, p);
    int nod[10], nord[10];
    for (int k = 1; k <= 9; ++k) decode(celem.NICK(k, slot_of(1)), nod[k], nord[k]);
    double poly[2 * OUTLINE_POINTS];
    cgraph.ISTRT = 0;
    // Sides 1, 3, 4 of order 2 give 8 points each, side 2 of order 1 its end.
    ASSERT_EQ(element_outline(p, nord, poly), 1 + 8 + 1 + 8 + 8);
    EXPECT_EQ(poly[2 * 25], p(1, 1));
    EXPECT_EQ(poly[2 * 25 + 1], p(2, 1));
    EXPECT_EQ(poly[2 * 9], p(1, 3));  // side 2 straight to vertex 3
    // The curved left side passes through its mid node.
    EXPECT_NEAR(poly[2 * 21], p(1, 8), 1e-12);
    EXPECT_NEAR(poly[2 * 21 + 1], p(2, 8), 1e-12);
    // Straight sides drawn straight after a mesh plot asked for it.
    cgraph.ISTRT = 1;
    EXPECT_EQ(element_outline(p, nord, poly), 1 + 1 + 1 + 1 + 8);
}

TEST_F(ErrorMapTest, BandsFillTheElementsAndTheLegendSumsTheErrors) {
    MeshBuilder b(2, 2);
    ASSERT_EQ(b.build(), "");
    for (int nel = 1; nel <= 4; ++nel) set_error(nel, 0.25 * nel - 0.01);
    const std::vector<Drawn> fills = draw("DISERR=2,MIN=0,MAX=1,LEVEL=4");
    ASSERT_EQ(fills.size(), 4u);
    // Palette 2 from cell 56: band m in cell 56 + m.
    for (int nel = 1; nel <= 4; ++nel) EXPECT_EQ(fills[nel - 1].cell, 56 + nel) << nel;
    const std::string legend = [&] {
        std::string t;
        for (const Drawn& d : screen->of(Drawn::TEXT)) t += d.text + "|";
        return t;
    }();
    const double total = std::sqrt(0.24 * 0.24 + 0.49 * 0.49 + 0.74 * 0.74 + 0.99 * 0.99);
    EXPECT_NE(legend.find("MIN=0.24|"), std::string::npos) << legend;
    EXPECT_NE(legend.find("MAX=0.99|"), std::string::npos) << legend;
    EXPECT_NE(legend.find("ERROR=" + label_fmt(1.0, total).trimmed()), std::string::npos) << legend;
    EXPECT_NE(legend.find("D.O.F="), std::string::npos) << legend;
    // The plot fits the stretched square [0, 2]^2: y up to log2(1 + 2), x to 2.
    EXPECT_NEAR(cxmin.YMAX - cxmin.YMIN, 1.100000023841858 * std::log2(3.0), 1e-7);
    EXPECT_NEAR(cxmin.XMAX - cxmin.XMIN, 1.100000023841858 * 2.0, 1e-9);
}

TEST_F(ErrorMapTest, MonochromeDisplayWritesTheBandNumbersInsteadOfFills) {
    machine.ICOLOR = 0;
    MeshBuilder b(2, 2);
    ASSERT_EQ(b.build(), "");
    for (int nel = 1; nel <= 4; ++nel) set_error(nel, 0.25 * nel - 0.01);
    EXPECT_TRUE(draw("DISERR=2,MIN=0,MAX=1,LEVEL=4,ELEMENT").empty());
    std::vector<std::string> texts;
    for (const Drawn& d : screen->of(Drawn::TEXT))
        if (d.clip0 == Pixel{viewport.IVX1, viewport.IVY1}) texts.push_back(d.text);
    // The band of each element, then with ELEMENT the element numbers.
    EXPECT_EQ(texts, (std::vector<std::string>{"1", "2", "3", "4", "1", "2", "3", "4"}));
}

TEST_F(ErrorMapTest, StretchWithoutALogarithmIsRefusedWithTheBoundOfYmultl) {
    MeshBuilder b(2, 2);
    b.map([](double x, double y) { return std::array<double, 2>{x - 1.0, y - 1.0}; });
    ASSERT_EQ(b.build(), "");
    EXPECT_TRUE(draw("DISERR=2").empty());
    EXPECT_NE(errors_filed().find("YMULTL MUST BE BELOW  0.0000E+00"), std::string::npos)
        << errors_filed();
    EXPECT_TRUE(screen->drawn.empty());
    // Just below the bound the square has its logarithm everywhere.
    EXPECT_EQ(draw("DISERR=2,YMULTL=-0.001").size(), 4u);
}

TEST_F(ErrorMapTest, EmptySetOrZoomDrawsNothing) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    EXPECT_TRUE(draw("DISERR=2,ZOO=5,6,5,6").empty());
    EXPECT_NE(errors_filed().find("NOTHING TO DRAW"), std::string::npos);
    EXPECT_TRUE(screen->drawn.empty());
    // A zoom box that holds element 2 only.
    EXPECT_EQ(draw("DISERR=2,ZOO=1,2,0,1").size(), 1u);
}

TEST_F(ErrorMapTest, KeptNumberOfBandsAndColourFlag) {
    MeshBuilder b(2, 2);
    ASSERT_EQ(b.build(), "");
    for (int nel = 1; nel <= 4; ++nel) set_error(nel, 0.2 * nel);
    draw("DISERR=2,MIN=0,MAX=1");
    EXPECT_EQ(cdiserr.NLEVEL, 13);
    EXPECT_EQ(cdiserr.IFCOL, 1);
    draw("DISERR=2,MIN=0,MAX=1,LEVEL=0,MONO");
    EXPECT_EQ(cdiserr.NLEVEL, 13);
    EXPECT_EQ(cdiserr.IFCOL, 0);
    // The scale bar of a monochrome scale: every band box in colour 1.
    int band_boxes = 0;
    for (const Drawn& d : screen->of(Drawn::FILL))
        if (d.cell == 56 + 1) ++band_boxes;
    EXPECT_GE(band_boxes, 13);
    const std::vector<Drawn> fills = draw("DISERR=2,MIN=0,MAX=1,LEVEL=20");
    EXPECT_EQ(cdiserr.NLEVEL, 16);
    EXPECT_EQ(cdiserr.IFCOL, 0);
    // 0.8 lies in band 13 of 16 bands on [0, 1].
    ASSERT_EQ(fills.size(), 4u);
    EXPECT_EQ(fills[3].cell, 56 + 13);
    draw("DISERR=2,COLOR");
    EXPECT_EQ(cdiserr.IFCOL, 1);
}

TEST_F(ErrorMapTest, RangeFromTheErrorsOnlyWithoutMinAndMaxAndKeptUnderNoReset) {
    MeshBuilder b(2, 2);
    ASSERT_EQ(b.build(), "");
    for (int nel = 1; nel <= 4; ++nel) set_error(nel, 0.1 * nel);
    // MIN alone on a first call: the upper end from the errors, not rounded.
    draw("DISERR=2,MIN=0");
    EXPECT_EQ(cdiserr.FMINL, 0.0);
    EXPECT_EQ(cdiserr.FMAXL, 0.4);
    // Neither: the errors' range rounded to readable steps.
    draw("DISERR=2");
    EXPECT_LE(cdiserr.FMINL, 0.1);
    EXPECT_GE(cdiserr.FMAXL, 0.4);
    EXPECT_LT(cdiserr.FMAXL, 0.6);
    const double lo = cdiserr.FMINL;
    // MAX alone later: the lower end stays.
    draw("DISERR=2,MAX=2");
    EXPECT_EQ(cdiserr.FMINL, lo);
    EXPECT_EQ(cdiserr.FMAXL, 2.0);
    // NO-RESET keeps that range (rounded again) though the errors grow tenfold.
    for (int nel = 1; nel <= 4; ++nel) set_error(nel, nel);
    draw("DISERR=2,NO-RESET");
    EXPECT_LT(cdiserr.FMAXL, 3.0);
    EXPECT_LT(cdiserr.FMINL, 0.2);
    draw("DISERR=2");
    EXPECT_LT(cdiserr.FMAXL, 3.0);
    draw("DISERR=2,RESET");
    EXPECT_GE(cdiserr.FMINL, 0.5);
    EXPECT_GE(cdiserr.FMAXL, 4.0);
}

}  // namespace
}  // namespace kavren::testing
