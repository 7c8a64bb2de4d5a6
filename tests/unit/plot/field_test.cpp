// The field plots on built meshes through the real plot bracket: the kept
// settings of the contour maps, their outlines, bands and levels; the facets
// of the surface pictures, their order and the options that move the mesh;
// the sample counts, scales and outlines of the vector plot.
#include "records/field.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "plot/artcoord.hpp"
#include "plot/field_plots.hpp"
#include "plot/scales.hpp"
#include "plot_fixture.hpp"
#include "records/debug.hpp"
#include "records/meshgen.hpp"
#include "records/plot.hpp"

namespace kavren::testing {
namespace {

class FieldTest : public PlotTest {
  protected:
    void SetUp() override {
        PlotTest::SetUp();
        csetf.ISCUR = 1;
        cinout.LUIN = cinout.LUKBD;
    }
    // Makes record the current one, read from the deck; the plot then draws
    // as one asked from the keyboard.
    void record(const std::string& text) {
        PlotTest::record(text);
        screen->drawn.clear();
    }
    double fill_area(const std::vector<Drawn>& fills) const {
        double s = 0.0;
        for (const Drawn& d : fills) s += area(d.points);
        return s;
    }
    // Makes the set of the given elements (initial ones) current, as set 2.
    void only_set(const std::vector<int>& elements) {
        csetf.NSET = 2;
        csetf.ISFRST(2) = 1;
        for (std::size_t i = 0; i < elements.size(); ++i) {
            const int k = static_cast<int>(i) + 1;
            csetf.ISELEM(k) = elements[i];
            csetf.ISNEXT(k) = i + 1 < elements.size() ? k + 1 : 0;
        }
        csetf.ISLAST(2) = static_cast<int>(elements.size());
        csetf.ISFREE = static_cast<int>(elements.size()) + 1;
        csetf.SETNAM(2) = Word8("PART");
        art_select_set = [](int) { csetf.ISCUR = 2; };
    }
    void TearDown() override {
        art_select_set = nullptr;
        PlotTest::TearDown();
    }
    double* u(int comp = 1) {
        return cunew.UNEW.data() + static_cast<long>(ICOLU_ROWS) * (comp - 1);
    }
    // Segments drawn in the plot area: the screen draws each as a closed
    // path, there and back.
    std::size_t segments() const { return clipped(Drawn::LINE).size() / 2; }
    void twodim() { mapcnc(u(), ICOLU_ROWS, -1); }
    void displaced() { mapcsd(u(), ICOLU_ROWS, -1, u(1), u(2)); }
};

//// contour maps ////

TEST_F(FieldTest, ContourFirstCallKeepsItsStartValues) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    record("TWODIM");
    twodim();
    const ContourKept& k = cfield.MAPCNC;
    EXPECT_EQ(k.IFCOL, 1);
    EXPECT_EQ(k.IRESET, 1);
    EXPECT_EQ(k.IMESH, 0);
    EXPECT_EQ(k.NSUBEL, 3);
    EXPECT_NEAR(k.FMIN, 0.0, 1e-12);
    EXPECT_NEAR(k.FMAX, 2.0, 1e-12);
    double lo = k.FMIN, hi = k.FMAX;
    int n = 13;
    opscal(lo, hi, n);
    EXPECT_EQ(claser.NGRAY, n);
    EXPECT_EQ(k.FMINL, lo);
    EXPECT_EQ(k.FMAXL, hi);
    // Colour mode: no contour lines; the outline of the mesh only, 3 sides of
    // 8 cells per element (the shared side x = 1 is not drawn).
    EXPECT_FALSE(clipped(Drawn::FILL).empty());
    EXPECT_EQ(segments(), 2u * 3u * 8u);
    record("TWODIM,GRID=ON");
    twodim();
    EXPECT_EQ(segments(), 2u * 4u * 8u);
    // A set drawn alone: no outline along its inner boundary.
    only_set({2});
    record("TWODIM,GRID=OFF,ELSET=PART");
    twodim();
    EXPECT_EQ(segments(), 3u * 8u);
}

TEST_F(FieldTest, ContourDebugStationsAndAnEmptyFirstCall) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    // An empty set on the first call draws nothing and leaves it a first call.
    only_set({0});  // no element
    record("TWODIM,ELSET=NONE");
    twodim();
    EXPECT_TRUE(screen->drawn.empty());
    EXPECT_NE(cfield.MAPCNC.IROUT, 100);
    cdbg1.NRBREAKS = 1;
    cdbg1.LPRNAME(1) = Word8("MAPCNC");
    cdbg = Cdbg();
    cfield = Cfield();
    cdbg.IDBGSW(13) = 1;
    // Each station holds in the breakpoint dialog: G goes on.
    deck("TWODIM\nG\nG\nG\nG\nG\nG\nG\n");
    read();
    const std::size_t m = mark();
    twodim();
    const std::string said = since(m);
    auto count = [&](const std::string& line) {
        int n = 0;
        for (std::size_t at = said.find(line); at != std::string::npos;
             at = said.find(line, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count(" MAPCNC 1...\n"), 2) << said;
    EXPECT_EQ(count(" MAPCNC 2...\n"), 1) << said;
    EXPECT_EQ(count(" MAPCNC 41...\n"), 1) << said;
    EXPECT_EQ(count("IFCASE"), 7) << said;
    EXPECT_EQ(count(" MAPCNC 7...\n"), 2) << said;
    // The limits from the data, now that it has drawn.
    EXPECT_EQ(cfield.MAPCNC.IRESET, 1);
    EXPECT_GE(cfield.MAPCNC.FMAXL, 2.0);
}

TEST_F(FieldTest, ContourLimitsGivenAreKeptUntilReset) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return 3.0 * x; });
    const ContourKept& k = cfield.MAPCNC;
    record("TWODIM,MIN=0,MAX=1");
    twodim();
    EXPECT_EQ(k.FMINL, 0.0);
    EXPECT_EQ(k.FMAXL, 1.0);
    EXPECT_EQ(k.IRESET, 0);
    record("TWODIM");
    twodim();
    EXPECT_LT(k.FMAXL, 1.5);  // rounded, not from the data
    record("TWODIM,RESET");
    twodim();
    EXPECT_GE(k.FMAXL, 3.0);
    fill_solution([](double x, double) { return 10.0 * x; });
    record("TWODIM,NO-RESET");
    twodim();
    EXPECT_LT(k.FMAXL, 5.0);  // the limits of the last plot, rounded again
    EXPECT_NEAR(k.FMAX, 10.0, 1e-9);
}

TEST_F(FieldTest, ContourZoomFirstCallIgnoredAndResetDrawsAll) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    record("TWODIM");
    twodim();
    const double whole = fill_area(clipped(Drawn::FILL));
    cfield = Cfield();
    record("TWODIM,ZOOM,0.1,0.1,0.2,0.2");
    twodim();
    EXPECT_EQ(fill_area(clipped(Drawn::FILL)), whole);
    record("TWODIM,ZOOM,0.1,0.1,0.2,0.2");
    twodim();
    EXPECT_GT(cxmin.XMIN, 0.0);
    EXPECT_LT(cxmin.XMAX, 0.3);
    record("TWODIM,ZOOM,0.1,0.1,0.2,0.2,RESET");
    twodim();
    EXPECT_EQ(fill_area(clipped(Drawn::FILL)), whole);
}

TEST_F(FieldTest, ContourSamplingLevelDefaultsAndDivision) {
    const struct { int nel, level; } kCases[] = {{20, 3}, {21, 2}, {50, 2}, {51, 1}};
    for (const auto& c : kCases) {
        reset_database();
        cfield = Cfield();
        MeshBuilder b(c.nel, 1);
        ASSERT_EQ(b.build(), "");
        record("TWODIM");
        twodim();
        EXPECT_EQ(cfield.MAPCNC.NSUBEL, c.level) << c.nel;
    }
    record("TWODIM,DIVISION=4");
    twodim();
    record("TWODIM");
    twodim();
    EXPECT_EQ(cfield.MAPCNC.NSUBEL, 4);
    record("TWODIM,DIVISION=7");
    twodim();
    EXPECT_EQ(cfield.MAPCNC.NSUBEL, 1);
}

TEST_F(FieldTest, MonoDrawsContourLinesAtTheLowerLevelsOnly) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    record("TWODIM,MONO,MIN=0.1,MAX=0.9,LEVEL=4");
    twodim();
    EXPECT_TRUE(clipped(Drawn::FILL).empty());
    // Vertical lines: the outline at x = 0 and 1, and the levels 0.1, 0.3,
    // 0.5, 0.7; none at 0.9.
    std::set<int> columns;
    for (const Drawn& d : clipped(Drawn::LINE))
        if (d.points[0].x == d.points[1].x) columns.insert(d.points[0].x);
    ASSERT_EQ(columns.size(), 6u);
    const int x0 = *columns.begin(), x1 = *columns.rbegin();
    std::vector<double> at;
    for (int c : columns) at.push_back(static_cast<double>(c - x0) / (x1 - x0));
    const double want[] = {0.0, 0.1, 0.3, 0.5, 0.7, 1.0};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(at[i], want[i], 0.02) << i;
}

TEST_F(FieldTest, ValuesAboveTheUpperLimitPaintedByTheMapOnly) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    record("TWODIM,MIN=0,MAX=0.5,LEVEL=5,DIVISION=2");
    twodim();
    const double whole = fill_area(clipped(Drawn::FILL));
    displaced();
    const double half = fill_area(clipped(Drawn::FILL));
    EXPECT_NEAR(half / whole, 0.5, 0.05);
    // A constant field maps blank, with MIN = MAX in the legend.
    std::fill_n(u(), ICOLU_ROWS, 0.25);
    record("TWODIM,RESET");
    twodim();
    EXPECT_TRUE(clipped(Drawn::FILL).empty());
    EXPECT_EQ(cfield.MAPCNC.FMINL, cfield.MAPCNC.FMAXL);
}

TEST_F(FieldTest, MoreBandsThanCellsShareThePaletteOnTheScreenOnly) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    record("TWODIM,LEVEL=20,MIN=0,MAX=1,LASER=B");
    twodim();
    EXPECT_EQ(claser.NGRAY, 20);
    std::set<int> cells;
    for (const Drawn& d : clipped(Drawn::FILL)) cells.insert(d.cell);
    ASSERT_EQ(cells.size(), 17u);
    EXPECT_EQ(*cells.rbegin() - *cells.begin(), 16);
    // The file keeps 20 gray levels: band 19 of 20 at 1 - 18/19.
    const std::string ps = file("print/b");
    EXPECT_NE(ps.find("\n0.053 s\n"), std::string::npos);
    EXPECT_NE(ps.find("\n0.000 s\n"), std::string::npos);
}

TEST_F(FieldTest, DisplacedMapOutlineScaleAndIntervals) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    record("TWODIM");
    twodim();
    const std::vector<Drawn> plain = clipped(Drawn::LINE);
    // Zero displacement: the outline of the plain map.
    record("TWODIM");
    const double* zero = cuold.UOLD.data();
    mapcsd(u(), ICOLU_ROWS, -1, zero, zero);
    const std::vector<Drawn> moved = clipped(Drawn::LINE);
    ASSERT_EQ(moved.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(moved[i].points, plain[i].points);
    EXPECT_EQ(cfield.MAPCSD.SCALE, double(0.01f));
    record("TWODIM,SCALE=0.5");
    displaced();
    EXPECT_EQ(cfield.MAPCSD.SCALE, double(0.01f) * 0.5);
    // Component 2 holds twice component 1: its values by the element's own shape functions.
    ceqsys.NREQNS = 2;
    mapcsd(u(), ICOLU_ROWS, -2, u(1), u(2));
    EXPECT_NEAR(cfield.MAPCSD.FMAX, 4.0, 1e-9);
}

TEST_F(FieldTest, DisplacedMapIntervalsFollowTheGeneration) {
    MeshBuilder b(2, 1);
    const auto sons = b.split4(1);
    b.split4(sons[0]);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    record("TWODIM,MESH=ON,DIVISION=3,SCALE=2");
    displaced();
    EXPECT_EQ(cfield.MAPCSD.SCALE, 2.0 * double(0.01f));
    // Every element outlined, 4N segments: the initial element 8 a side, the
    // sons 4, the grandsons 2.
    EXPECT_EQ(segments(), 4u * 8u + 3u * 4u * 4u + 4u * 4u * 2u);
}

//// surface pictures ////

TEST_F(FieldTest, SurfaceFirstCallFacetsAndViewFromAbove) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double y) { return x + y; });
    record("TRIDIM");
    mapc3d(u(), ICOLU_ROWS, -1);
    record("TRIDIM");
    mapc3d(u(), ICOLU_ROWS, -1);  // the first call opened the window
    const SurfaceKept& k = cfield.MAPC3D;
    EXPECT_EQ(k.NSUBEL, 1);
    EXPECT_EQ(k.NFILL, 1);
    EXPECT_EQ(k.XD, 1.0);
    auto fills = [&] { return screen->of(Drawn::FILL).size(); };
    const std::size_t with_facets = fills();
    const std::vector<Drawn> first = screen->drawn;
    record("TRIDIM,FILL=OFF");
    mapc3d(u(), ICOLU_ROWS, -1);
    EXPECT_EQ(with_facets - fills(), 8u);  // 4 facets an element
    EXPECT_EQ(static_cast<long>(screen->of(Drawn::LINE).size()),
              std::count_if(first.begin(), first.end(),
                            [](const Drawn& d) { return d.kind == Drawn::LINE; }));
    record("TRIDIM,FILL=ON,EYE=0,0,5");
    mapc3d(u(), ICOLU_ROWS, -1);
    EXPECT_EQ(k.XD, 1.0);
    EXPECT_EQ(k.ZD, 1.0);
    ASSERT_EQ(screen->drawn.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(screen->drawn[i].points, first[i].points);
    // MIN and MAX move only the box.
    record("TRIDIM,MIN=-5,MAX=5");
    mapc3d(u(), ICOLU_ROWS, -1);
    EXPECT_GT(cxmin.YMAX - cxmin.YMIN, 5.0);
    double top = -1e10;
    for (int m = 1; m <= 8; ++m)
        for (int v = 9; v <= 12; ++v) top = std::max(top, cworksp.FACET(v, m));
    EXPECT_NEAR(top, 3.0, 1e-9);  // the surface keeps its heights
}

TEST_F(FieldTest, SurfaceSideViewOrdersFacetsByDepth) {
    MeshBuilder b(3, 2);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double y) { return x * y + 1.0; });
    record("TRIDIM,EYE=1,0,0,DIVISION=2");
    mapc3d(u(), ICOLU_ROWS, -1);
    const int m = 6 * 16;
    double last = -1e10;
    for (int s = m; s >= 1; --s) {
        const int f = static_cast<int>(cworksp.SORT(2, s));
        double key = -1e10;
        for (int v = 1; v <= 4; ++v) key = std::max(key, cworksp.FACET(v, f));
        EXPECT_GE(key, last);
        last = key;
    }
    EXPECT_EQ(last, 3.0);
    // u = y, v = value * FAC: the frame spans the widened y extents and the
    // value axis times FAC = 0.7 * 3 / (7 - 1).
    const double fac = 0.699999988079071 * 3.0 / 6.0;
    EXPECT_NEAR(cxmin.XMIN, static_cast<float>(1.0 - 1.100000023841858), 1e-7);
    EXPECT_NEAR(cxmin.YMIN, 1.0 * fac, 1e-9);
    EXPECT_NEAR(cxmin.YMAX, 7.0 * fac, 1e-9);
}

TEST_F(FieldTest, SurfaceFacetLimit) {
    MeshBuilder b(25, 20);
    for (int nel = 1; nel <= 250; ++nel) b.split4(nel);
    ASSERT_EQ(b.build(), "");
    ASSERT_EQ(cdata.NRELEM, 1250);
    fill_solution([](double x, double) { return x; });
    record("TRIDIM,FILL=OFF");
    const std::size_t m = mark();
    mapc3d(u(), ICOLU_ROWS, -1);
    EXPECT_EQ(since(m).find("NO ROOM"), std::string::npos);
    EXPECT_GE(screen->of(Drawn::LINE).size(), 4u * 5000u);

    reset_database();
    MeshBuilder c(25, 20);
    for (int nel = 1; nel <= 251; ++nel) c.split4(nel);
    ASSERT_EQ(c.build(), "");
    fill_solution([](double x, double) { return x; });
    record("TRIDIM");
    const std::size_t m2 = mark();
    mapc3d(u(), ICOLU_ROWS, -1);
    const std::string said = since(m2);
    EXPECT_NE(said.find("\n NO ROOM FOR STORAGE IN MAP3D\n TRY WITH SMALLER DIVISION=..\n"),
              std::string::npos)
        << said;
    EXPECT_TRUE(screen->drawn.empty());
}

TEST_F(FieldTest, DriverSurfaceStretchWindowAndPictureByLevel) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    auto ymax = [] {
        double y = -1e10;
        for (int v = 5; v <= 8; ++v)
            for (int m = 1; m <= 8; ++m) y = std::max(y, cworksp.FACET(v, m));
        return y;
    };
    record("TRIDIM,YMULT=2,TG=0");
    mapc3dwr(u(), ICOLU_ROWS, -1);
    EXPECT_EQ(ymax(), 2.0);
    record("TRIDIM");
    mapc3dwr(u(), ICOLU_ROWS, -1);
    EXPECT_EQ(ymax(), 2.0);
    // ZOO keeps element 1 only: 4 facets, extents up to x = 1.
    record("TRIDIM,ZOO=0,1.05,0,1.1");
    cworksp = Cworksp();
    mapc3dwr(u(), ICOLU_ROWS, -1);
    int facets = 0;
    for (int m = 1; m <= 8; ++m)
        if (cworksp.SORT(2, m) != 0.0) ++facets;
    EXPECT_EQ(facets, 4);
    EXPECT_NEAR(wplotinf.EXT3D(3), 0.5 + 1.100000023841858 * 0.5, 1e-6);

    // The picture by level: a skewed element drawn on its unit square.
    reset_database();
    cfield = Cfield();
    MeshBuilder s(1, 1);
    s.map([](double x, double y) { return std::array<double, 2>{x + 0.5 * y, 2.0 * y}; });
    ASSERT_EQ(s.build(), "");
    fill_solution([](double x, double) { return x; });
    deck("TRIDIM,ART,DIVISION=2\nELSET=MESH\n");
    read();
    mapc3dwr(u(), ICOLU_ROWS, -1);
    for (int m = 1; m <= 16; ++m)
        for (int v = 1; v <= 8; ++v) {
            const double c = cworksp.FACET(v, m) * 4.0;
            EXPECT_NEAR(c, std::round(c), 1e-12);  // on the regular grid of the unit square
            EXPECT_GE(cworksp.FACET(v, m), 0.0);
            EXPECT_LE(cworksp.FACET(v, m), 1.0);
        }
}

TEST_F(FieldTest, DriverSurfaceDebugStations) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    cdbg1.NRBREAKS = 1;
    cdbg1.LPRNAME(1) = Word8("MAPC3D");
    cdbg.IDBGSW(13) = 1;
    // Three stations hold in the breakpoint dialog; the last one does not.
    deck("TRIDIM\nG\nG\nG\n");
    read();
    const std::size_t m = mark();
    mapc3dwr(u(), ICOLU_ROWS, -1);
    const std::string said = since(m);
    for (const char* s : {"AFTER ZEROTH LOOP...", "AFTER FIRST LOOP...", "AFTER SECOND LOOP..."})
        EXPECT_NE(said.find(s), std::string::npos) << s << said;
    // The facet count; a fourth dialog would have met the end of the deck.
    EXPECT_NE(said.find(" MAPC3D   : KUKU            = 8\n"), std::string::npos) << said;
}

//// vector plot ////

class VectorTest : public FieldTest {
  protected:
    void vec() { mapvec(u(1), u(2)); }
    // Lines in the plot area; the vectors of a 1 x 1 mesh at MESH=ON are
    // these less 4N outline segments an element.
    std::size_t lines() const { return segments(); }
};

TEST_F(VectorTest, SampleCountsFollowTheGeneration) {
    const struct {
        int splits;
        std::size_t lines;
    } kCases[] = {
        {0, 81 + 32},                                          // 9 x 9, 4 x 8 sides
        {1, 4 * 25 + 4 * 16},                                  // four sons of 5 x 5
        {3, 3 * 25 + 3 * 9 + 4 * 4 + 3 * 16 + 3 * 8 + 4 * 4},  // sons, grandsons, 2 x 2
    };
    for (const auto& c : kCases) {
        reset_database();
        cfield = Cfield();
        MeshBuilder b(1, 1);
        int nel = 1;
        for (int i = 0; i < c.splits; ++i) nel = b.split4(nel)[0];
        ASSERT_EQ(b.build(), "");
        fill_solution([](double x, double) { return x + 1.0; });
        record("VECTOR,MESH=ON");
        vec();
        EXPECT_EQ(lines(), c.lines) << c.splits;
    }
    // Sampling level 5: 33 x 33 vectors; the range pass samples 17 x 17, so
    // the zero at x = 1/32 is missed there.
    reset_database();
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x - 1.0 / 32.0; });
    record("VECTOR,DIVISION=5,RESET,MESH=ON");
    vec();
    EXPECT_EQ(cfield.MAPVEC.NSUBEL, 5);
    EXPECT_NEAR(cfield.MAPVEC.VMIN, std::sqrt(5.0) / 32.0, 1e-9);
    EXPECT_EQ(lines(), 33u * 33u + 4u * 32u);
}

TEST_F(VectorTest, AutomaticScaleNormAndScaleOptions) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x + 1.0; });
    record("VECTOR");
    vec();
    // The first sweep with SCALE 0.1 spans x from -0.1 to 1.2; the longest
    // vector is 2 sqrt(5).
    const double auto_scale = (1.0 + 3.0 * 0.10000000149011612) / (15.0 * 2.0 * std::sqrt(5.0));
    EXPECT_NEAR(cfield.MAPVEC.SCALE, auto_scale, 1e-12);
    record("VECTOR,SCALE=2");
    vec();
    EXPECT_NEAR(cfield.MAPVEC.SCALE, 2.0 * auto_scale, 1e-12);
    record("VECTOR,SCALE,RESET");
    vec();
    EXPECT_EQ(cfield.MAPVEC.SCALE, 0.10000000149011612);
    record("VECTOR,ARROW");
    vec();
    EXPECT_EQ(lines(), 3u * 81u + 32u);

    // NORM: every vector of length SCALE, the zeros at x = 0.5 as points; the
    // legend keeps the lengths before normalising.
    reset_database();
    cfield = Cfield();
    MeshBuilder c(1, 1);
    ASSERT_EQ(c.build(), "");
    fill_solution([](double x, double) { return x - 0.5; });
    record("VECTOR,NORM,SCALE=3");
    vec();
    const double len = cfield.MAPVEC.SCALE * iscaler.SCALE;
    ASSERT_GT(len, 0.25 * iscaler.SCALE + 3.0);
    EXPECT_NEAR(cfield.MAPVEC.VMAX, 0.5 * std::sqrt(5.0), 1e-9);
    int points = 0, full = 0;
    for (const Drawn& d : clipped(Drawn::LINE)) {
        const double l = std::hypot(d.points[1].x - d.points[0].x, d.points[1].y - d.points[0].y);
        if (l == 0.0) ++points;
        if (std::abs(l - len) <= 1.5) ++full;
    }
    EXPECT_EQ(points, 2 * 9);  // each drawn there and back
    EXPECT_EQ(full, 2 * 72);
}

TEST_F(VectorTest, ZoomSetAndZeroField) {
    MeshBuilder b(2, 1);
    ASSERT_EQ(b.build(), "");
    // A zero field: the scale stays.
    record("VECTOR");
    vec();
    EXPECT_EQ(cfield.MAPVEC.SCALE, 0.10000000149011612);
    fill_solution([](double x, double) { return x + 1.0; });
    record("VECTOR,ZOOM,0.1,0.1,0.4,0.4");
    vec();
    EXPECT_EQ(cfield.MAPVEC.IZOOM, 1);
    record("VECTOR");
    vec();
    EXPECT_EQ(cfield.MAPVEC.IZOOM, 1);
    EXPECT_LT(cxmin.XMAX, 0.5);
    record("VECTOR,RESET");
    vec();
    EXPECT_EQ(cfield.MAPVEC.IZOOM, 0);
    EXPECT_GT(cxmin.XMAX, 2.0);
    // A set drawn alone at MESH=OFF: its side towards element 2 stays open.
    only_set({1});
    record("VECTOR,MESH=OFF,ELSET=PART");
    vec();
    EXPECT_EQ(lines(), 81u + 3u * 8u);
}

}  // namespace
}  // namespace kavren::testing
