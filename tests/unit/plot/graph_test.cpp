// The mesh drawings on built meshes: side bands and inner squares by order,
// outlines of curved sides, the current set, the zoom, the refusals before
// a plot starts, and the picture by refinement level of the EXECUTE
// driver's drawing.
#include "plot/graph.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "plot/artcoord.hpp"
#include "plot_fixture.hpp"
#include "records/meshgen.hpp"
#include "records/plot.hpp"

namespace kavren::testing {
namespace {

int count_lines(const std::string& text, const std::string& line) {
    int n = 0;
    std::size_t at = 0;
    while ((at = text.find(line + "\n", at)) != std::string::npos) {
        if (at == 0 || text[at - 1] == '\n') ++n;
        at += line.size();
    }
    return n;
}

class GraphTest : public PlotTest {
  protected:
    void SetUp() override {
        PlotTest::SetUp();
        csetf.ISCUR = 1;
        cinout.LUIN = cinout.LUKBD;
    }
    // The fills drawn inside the clip of the plot area: the element fills.
    std::vector<Drawn> element_fills() const { return clipped(Drawn::FILL); }
};

TEST_F(GraphTest, SideBandsAndInnerSquareTileAMixedElement) {
    MeshBuilder b(1, 1);
    b.default_order(2);
    b.edge_order(1, 2, 3);
    ASSERT_EQ(b.build(), "");
    record("PLOT");
    int icomp = 0;
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    const std::vector<Drawn> fills = element_fills();
    ASSERT_EQ(fills.size(), 5u);
    // Sides 1, 3, 4 of order 2, side 2 of order 3, the interior of order 2.
    EXPECT_EQ(fills[0].cell, 42);
    EXPECT_EQ(fills[1].cell, 43);
    EXPECT_EQ(fills[4].cell, 42);
    double sum = 0.0;
    for (const Drawn& d : fills) sum += area(d.points);
    const double side = iscaler.SCALE * 1.0;    // the unit square in pixels
    EXPECT_NEAR(sum, side * side, 4.0 * side);  // whole pixels on the outline
    EXPECT_NEAR(area(fills[4].points), side * side / 4.0, 2.0 * side);
}

TEST_F(GraphTest, CurvedSidesFollowTheCurveFromOrderTwo) {
    MeshBuilder b(1, 1);
    b.default_order(2);
    b.edge_order(1, 1, 1);
    b.map([](double x, double y) {
        return std::array<double, 2>{x + 0.1 * std::sin(M_PI * y), y + 0.1 * std::sin(M_PI * x)};
    });
    ASSERT_EQ(b.build(), "");
    record("PLOT");
    int icomp = 0;
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    const std::vector<Drawn> fills = element_fills();
    ASSERT_EQ(fills.size(), 5u);
    EXPECT_EQ(fills[0].points.size(), 2u + 2u);  // order 1: its two end points
    EXPECT_EQ(fills[1].points.size(), 9u + 2u);  // order 2: nine points on the curve
}

TEST_F(GraphTest, TheSetAndTheZoomChooseWhatIsDrawn) {
    MeshBuilder b(2, 1);
    b.default_order(2);
    ASSERT_EQ(b.build(), "");
    csetf.NSET = 2;
    csetf.ISFRST(2) = 1;
    csetf.ISELEM(1) = 2;
    csetf.ISNEXT(1) = 2;
    csetf.ISELEM(2) = 0;
    csetf.ISNEXT(2) = 0;
    csetf.ISLAST(2) = 2;
    csetf.ISFREE = 3;
    csetf.ISCUR = 2;
    csetf.SETNAM(2) = Word8("RIGHT");
    record("PLOT");
    int icomp = 0;
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    EXPECT_EQ(element_fills().size(), 1u);
    EXPECT_NEAR(cxmin.XMIN, 1.5 - 1.100000023841858 * 0.5, 1e-12);
    // ZOOM after the first call: the element holding the window.
    csetf.ISCUR = 1;
    screen->drawn.clear();
    record("ZOOM,0.1,0.1,0.2,0.2");
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    EXPECT_EQ(element_fills().size(), 1u);
    EXPECT_EQ(cgrafs.GRAPH.IZOOM, 1);
    // Still zoomed without ZOOM; RESET draws all and clears the component.
    icomp = -1;
    screen->drawn.clear();
    record("RESET");
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    EXPECT_EQ(icomp, 0);
    EXPECT_EQ(element_fills().size(), 2u);
}

TEST_F(GraphTest, RefusalsBeforeThePlotStarts) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    record("PLOT");
    int icomp = -2;  // one equation only
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    icomp = 100;
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    EXPECT_TRUE(screen->of(Drawn::FILL).empty());
    EXPECT_EQ(count_lines(file("decks/t.err"), "  **UNKNOWN COMPONENT"), 2);
    // An empty set.
    csetf.NSET = 2;
    csetf.ISFRST(2) = 1;
    csetf.ISELEM(1) = 0;
    csetf.ISNEXT(1) = 0;
    csetf.ISLAST(2) = 1;
    csetf.ISFREE = 2;
    csetf.ISCUR = 2;
    icomp = 0;
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    EXPECT_TRUE(screen->of(Drawn::FILL).empty());
    EXPECT_EQ(count_lines(file("decks/t.err"), " NOTHING TO DRAW"), 1);
}

TEST_F(GraphTest, ContourOverlayOfAComponent) {
    MeshBuilder b(1, 1);
    b.default_order(1);
    ASSERT_EQ(b.build(), "");
    fill_solution([](double x, double) { return x; });
    record("PLOT,LEVEL=4");
    int icomp = -1;
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    // u = x on [0, 1]: the levels are vertical lines, each drawn on every row
    // of sub-squares; every overlay line has one pixel x at both ends.
    int vertical = 0;
    for (const Drawn& d : screen->of(Drawn::LINE))
        if (d.clip0 == Pixel{viewport.IVX1, viewport.IVY1} && d.points[0].x == d.points[1].x &&
            d.points[0].y != d.points[1].y)
            ++vertical;
    EXPECT_GT(vertical, 4 * 2);
}

TEST_F(GraphTest, SamplingLevelDefaultsAndDivision) {
    const struct { int nel, level; } kCases[] = {{20, 3}, {21, 2}, {50, 2}, {51, 1}};
    for (const auto& c : kCases) {
        reset_database();
        cgrafs = Cgrafs();
        MeshBuilder b(c.nel, 1);
        ASSERT_EQ(b.build(), "");
        record("PLOT");
        int icomp = 0;
        graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
        EXPECT_EQ(cgrafs.GRAPH.NSUBEL, c.level) << c.nel;
    }
    record("DIVISION=4");
    int icomp = 0;
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    record("PLOT");
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    EXPECT_EQ(cgrafs.GRAPH.NSUBEL, 4);
    record("DIVISION=7");
    graph(1, 0, 0, cunew.UNEW.data(), ICOLU_ROWS, icomp);
    EXPECT_EQ(cgrafs.GRAPH.NSUBEL, 1);
}

//// the picture by refinement level ////

class ArtTest : public PlotTest {
  protected:
    void SetUp() override {
        PlotTest::SetUp();
        csetf.ISCUR = 1;
    }
    std::array<double, 4> box(int n) {  // x0, x1, y0, y1 of the n-th listed element
        return {cartco.elxy(1, 1, 1, n), cartco.elxy(1, 2, 1, n), cartco.elxy(2, 1, 1, n),
                cartco.elxy(2, 1, 2, n)};
    }
};

TEST_F(ArtTest, TheStatedLayouts) {
    {
        MeshBuilder b(1, 1);
        ASSERT_EQ(b.build(), "");
        ASSERT_EQ(art_layout(), ART_DONE);
        ASSERT_EQ(cartco.NEL0, 1);
        EXPECT_EQ(box(1), (std::array<double, 4>{0, 1, 0, 1}));
        EXPECT_EQ(cartco.elxy(1, 2, 2, 1), 1.0);
    }
    {
        reset_database();
        MeshBuilder b(1, 1);
        b.split4(1);
        ASSERT_EQ(b.build(), "");
        ASSERT_EQ(art_layout(), ART_DONE);
        ASSERT_EQ(cartco.NEL0, 4);
        double total = 0.0;
        for (int n = 1; n <= 4; ++n) {
            const auto q = box(n);
            EXPECT_DOUBLE_EQ(q[1] - q[0], 0.5);
            EXPECT_DOUBLE_EQ(q[3] - q[2], 0.5);
            total += (q[1] - q[0]) * (q[3] - q[2]);
        }
        EXPECT_DOUBLE_EQ(total, 1.0);
    }
}

TEST_F(ArtTest, RandomRefinementsTileOneSquareAnInitialElement) {
    std::mt19937 g(31);
    for (int trial = 0; trial < 8; ++trial) {
        reset_database();
        MeshBuilder b(2, 2);
        for (int nel = 1; nel <= 4; ++nel) {
            if (g() % 2 == 0) continue;
            const auto sons = b.split4(nel);
            for (int son : sons)
                if (g() % 2 == 0) b.try_split(son, 1 + static_cast<int>(g() % 2));
        }
        ASSERT_EQ(b.build(), "");
        ASSERT_EQ(art_layout(), ART_DONE);
        double total = 0.0;
        std::vector<std::array<double, 4>> boxes;
        for (int n = 1; n <= cartco.NEL0; ++n) {
            const auto q = box(n);
            total += (q[1] - q[0]) * (q[3] - q[2]);
            boxes.push_back(q);
        }
        EXPECT_NEAR(total, 4.0, 1e-12);
        for (std::size_t i = 0; i < boxes.size(); ++i)
            for (std::size_t j = i + 1; j < boxes.size(); ++j) {
                const double ox =
                    std::min(boxes[i][1], boxes[j][1]) - std::max(boxes[i][0], boxes[j][0]);
                const double oy =
                    std::min(boxes[i][3], boxes[j][3]) - std::max(boxes[i][2], boxes[j][2]);
                EXPECT_FALSE(ox > 1e-12 && oy > 1e-12) << i << " " << j;
            }
    }
}

TEST_F(ArtTest, NodePointersStayWithMoreThan999VertexNodes) {
    MeshBuilder b(20, 20);
    for (int nel = 1; nel <= 250; ++nel) b.split4(nel);  // 1150 elements, over 1100 vertex nodes
    ASSERT_EQ(b.build(), "");
    long before = 0;
    for (int j = 1; j <= MAXNOD; ++j) before += static_cast<long>(j) * cnode.NODPTR(j);
    ASSERT_EQ(art_layout(), ART_DONE);
    long after = 0;
    for (int j = 1; j <= MAXNOD; ++j) after += static_cast<long>(j) * cnode.NODPTR(j);
    EXPECT_EQ(before, after);
    EXPECT_EQ(cartco.NEL0, 1150);
    double total = 0.0;
    for (int n = 1; n <= cartco.NEL0; ++n) {
        const auto q = box(n);
        total += (q[1] - q[0]) * (q[3] - q[2]);
    }
    EXPECT_NEAR(total, 400.0, 1e-9);
}

TEST_F(ArtTest, AConstrainedVertexTakesItsCornerFromItsPartners) {
    MeshBuilder b(2, 1);
    b.split4(2);  // hanging vertices on element 1's right side, seen from the sons
    ASSERT_EQ(b.build(), "");
    ASSERT_EQ(art_layout(), ART_DONE);
    // Every listed element is a rectangle of its level's size.
    for (int n = 1; n <= cartco.NEL0; ++n) {
        const auto q = box(n);
        EXPECT_DOUBLE_EQ(cartco.elxy(1, 1, 2, n), q[0]);
        EXPECT_DOUBLE_EQ(cartco.elxy(2, 2, 1, n), q[2]);
        EXPECT_DOUBLE_EQ(cartco.elxy(1, 2, 2, n), q[1]);
        EXPECT_DOUBLE_EQ(cartco.elxy(2, 2, 2, n), q[3]);
        EXPECT_DOUBLE_EQ(q[1] - q[0], n == 1 ? 1.0 : 0.5);
    }
}

TEST_F(ArtTest, TooManyVertexNodesAreRefusedWithoutAStop) {
    MeshBuilder b(20, 20);
    for (int nel = 1; nel <= 370; ++nel) b.split4(nel);  // 1510 elements
    ASSERT_EQ(b.build(), "");
    const std::size_t m = mark();
    EXPECT_EQ(art_layout(), ART_TOO_BIG);
    EXPECT_NE(since(m).find("TOO BIG NODCOUNT= 1501"), std::string::npos) << since(m);
}

}  // namespace
}  // namespace kavren::testing
