// Mouse picks: the containment tests, the zoom window, the copy of the
// screen picture's scale, and the picks of elements and generator nodes,
// with scripted clicks on the recording backend.
#include <gtest/gtest.h>

#include <fstream>

#include "../plot/plot_fixture.hpp"
#include "graphics/pick.hpp"
#include "graphics/zoom.hpp"
#include "mesh_builder.hpp"
#include "meshgen/node_pick.hpp"
#include "hpmesh/tree.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"

namespace kavren::testing {
namespace {

TEST(Point1, StrictlyInsideTheBoxOnly) {
    struct Case {
        double px, py;
        int iout;
    } cases[] = {{108, 84.5, 0}, {104, 84.5, 1}, {120, 84.5, 1}, {108, 86, 1}, {111.9, 83.1, 0}};
    for (const Case& c : cases) {
        int iout = -1;
        point1(104, 83, 112, 86, c.px, c.py, iout);
        EXPECT_EQ(iout, c.iout) << c.px << " " << c.py;
    }
}

TEST(Point2, UnitSquareHoldsItsInsideAndItsEdgesAndTheLineOfTheFirstEdge) {
    const double sq[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    struct Case {
        double px, py;
        int inside;
    } cases[] = {{0.5, 0.5, 1}, {1, 0.5, 1}, {1.5, 0.5, 0}, {2, 0, 1}, {0.5, -0.1, 0}};
    for (const Case& c : cases) {
        int inside = -1;
        point2(sq, c.px, c.py, 4, inside);
        EXPECT_EQ(inside, c.inside) << c.px << " " << c.py;
    }
}

TEST(Point2, ACurvedOutlineHoldsAPointInItsBulge) {
    // Unit square whose right side bulges out to x = 1.5 at its middle.
    const double xy[16] = {0, 0, 0.5, 0, 1, 0, 1.5, 0.5, 1, 1, 0.5, 1, 0, 1, 0, 0.5};
    int inside = 0;
    point2(xy, 1.3, 0.5, 8, inside);
    EXPECT_EQ(inside, 1);
    const double corners[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    point2(corners, 1.3, 0.5, 4, inside);
    EXPECT_EQ(inside, 0);
}

// Picks on a window whose last picture maps world (x, y) to pixel
// (100 x + 50, 100 y + 50).
class PickTest : public PlotTest {
  protected:
    void SetUp() override {
        PlotTest::SetUp();
        open_window();
        cpicksc.SCALE = 100.0;
        cpicksc.XOFF = 50.0;
        cpicksc.YOFF = 50.0;
        iscaler = {};
        iscaler.SCALE = iscaler.XSCALE = iscaler.YSCALE = 100.0;
        iscaler.XOFF = iscaler.YOFF = 50.0;
    }
    // A release of mouse button b at world point (x, y).
    void click(double x, double y, int b = 1) {
        screen->events.push_back({EV_RELEASE, b, int(100 * x + 50), int(100 * y + 50)});
    }
    void key(int code) { screen->events.push_back({EV_KEY, code, 0, 0}); }
    std::string errors() { return file("decks/t.err"); }
    // The fills drawn in cell c.
    int fills_in(int c) {
        int n = 0;
        for (const Drawn& d : screen->of(Drawn::FILL)) n += d.cell == c;
        return n;
    }
};

TEST_F(PickTest, ZoomClicksInEitherOrderGiveAnOrderedWindow) {
    cmode.IMENU = 1;
    cinout.LUIN = cinout.LUKBD;
    click(0.75, 0.25);
    key('x');  // passed over
    click(0.25, 0.5, 3);
    double x0 = 9, y0 = 9, x1 = 9, y1 = 9;
    int iflag = 0;
    getzoom(x0, y0, x1, y1, iflag);
    EXPECT_EQ(iflag, 1);
    EXPECT_DOUBLE_EQ(x0, 0.25);
    EXPECT_DOUBLE_EQ(x1, 0.75);
    EXPECT_DOUBLE_EQ(y0, 0.25);
    EXPECT_DOUBLE_EQ(y1, 0.5);
    EXPECT_TRUE(screen->events.empty());
}

TEST_F(PickTest, ZoomClicksOnOnePixelRowAreRefused) {
    cmode.IMENU = 1;
    cinout.LUIN = cinout.LUKBD;
    click(0.25, 0.5);
    click(0.75, 0.5);
    double x0 = 9, y0 = 9, x1 = 9, y1 = 9;
    int iflag = 0;
    getzoom(x0, y0, x1, y1, iflag);
    EXPECT_EQ(iflag, 0);
    EXPECT_EQ(x0, 9);
}

TEST_F(PickTest, ZoomFromTheRecordTakesFourOrderedNumbers) {
    struct Case {
        const char* record;
        int iflag;
    } cases[] = {{"PLOT,ZOOM,0,0,1", 0}, {"PLOT,ZOOM,1,0,0,1", 0}, {"PLOT,ZOOM,0,0,1,1", 1}};
    for (const Case& c : cases) {
        deck(std::string(c.record) + "\n");
        ASSERT_EQ(read(), 0);
        double x0 = 9, y0 = 9, x1 = 9, y1 = 9;
        int iflag = 0;
        getzoom(x0, y0, x1, y1, iflag);
        EXPECT_EQ(iflag, c.iflag) << c.record;
        if (c.iflag == 1) {
            EXPECT_EQ(x0, 0);
            EXPECT_EQ(y0, 0);
            EXPECT_EQ(x1, 1);
            EXPECT_EQ(y1, 1);
        } else {
            EXPECT_EQ(x0, 9) << c.record;
        }
    }
    EXPECT_NE(errors().find("ZOOMING PARAMETERS UNREADABLE"), std::string::npos);
}

TEST_F(PickTest, OnlyAPictureOnTheScreenMovesThePickScale) {
    cscale.LAYOUT = 0;
    cxmin.XMIN = 0;
    cxmin.XMAX = 2;
    cxmin.YMIN = 0;
    cxmin.YMAX = 1;
    claser.ISCRN = 0;
    setscale();
    EXPECT_EQ(cpicksc.SCALE, 100.0);
    claser.ISCRN = 1;
    setscale();
    EXPECT_EQ(cpicksc.SCALE, iscaler.SCALE);
    EXPECT_EQ(cpicksc.XOFF, iscaler.XOFF);
    EXPECT_EQ(cpicksc.YOFF, iscaler.YOFF);
    EXPECT_EQ(cpicksc.ILAYF, 0);
    cxmin.YMAX = 5;
    setscale();
    EXPECT_EQ(cpicksc.ILAYF, 1);
}

// Two generator nodes: node 1 at (0, 0) on grid point (1, 1), node 2 at
// (1, 0.5) on grid point (3, 2).
void two_generator_nodes() {
    ccon.NNODG = 2;
    cnodet.XGEN(1) = 0.0;
    cnodet.YGEN(1) = 0.0;
    cnodet.XGEN(2) = 1.0;
    cnodet.YGEN(2) = 0.5;
    cnodet.IHEAD(1) = 1;
    cnodet.NODG(1) = 1;
    cnodet.IG(1) = 1;
    cnodet.JG(1) = 1;
    cnodet.NEXTG(1) = 2;
    cnodet.NODG(2) = 2;
    cnodet.IG(2) = 3;
    cnodet.JG(2) = 2;
    cnodet.NEXTG(2) = 0;
}

TEST_F(PickTest, TwoGeneratorNodesComeInTheArgumentOrderAndAreMarkedRed) {
    two_generator_nodes();
    click(0.9, 0.6);
    key('a');
    click(0.1, -0.1);
    int ia = 0, ib = 0, ja = 0, jb = 0;
    vinq04(ia, ib, ja, jb);
    EXPECT_EQ(ia, 3);
    EXPECT_EQ(ja, 2);
    EXPECT_EQ(ib, 1);
    EXPECT_EQ(jb, 1);
    EXPECT_EQ(clmap.MAPMOD, 1);
    EXPECT_EQ(fills_in(clmap.MAPBAS + 4), 2);
    EXPECT_EQ(errors().find("NO GENERATOR NODE"), std::string::npos);
}

TEST_F(PickTest, NoGeneratorNodeNearThePickIsSaid) {
    click(0.5, 0.5);
    int ia = 7, ib = 7, ja = 7, jb = 7;
    vinq04(ia, ib, ja, jb);
    EXPECT_EQ(ia + ib + ja + jb, 0);
    EXPECT_NE(errors().find("*** NO GENERATOR NODE NEAR THE PICK ***"), std::string::npos);
    // A node farther than 1e5 from the click is not near either.
    two_generator_nodes();
    cnodet.XGEN(1) = cnodet.XGEN(2) = 2e5;
    click(0.5, 0.5);
    vinq04(ia, ib, ja, jb);
    EXPECT_EQ(ia + ib + ja + jb, 0);
}

TEST_F(PickTest, ASelectionClearsASecondPickAndEndsOffTheMesh) {
    MeshBuilder b(2, 2);
    b.default_order(3);
    ASSERT_EQ(b.build(), "");
    click(0.5, 0.5);
    key('q');
    click(1.5, 1.5);
    click(0.25, 0.75);  // element 1 again
    click(3.0, 3.0);
    click(1.5, 0.5);  // not reached
    PickList list;
    vinq01(list);
    EXPECT_EQ(list(1), 2);
    EXPECT_EQ(list(2), 0);
    EXPECT_EQ(list(3), 4);
    EXPECT_EQ(screen->events.size(), 1u);
    EXPECT_EQ(fills_in(clmap.MAPBAS), 2);
    // The cleared element is painted over in its order's colour of palette 1.
    EXPECT_EQ(clmap.MAPMOD, 1);
    ASSERT_EQ(order_of(celem.NICK(9, slot_of(1))), 3);
    EXPECT_EQ(fills_in(clmap.MAPBAS + 3), 1);
}

TEST_F(PickTest, TheFiftyFirstElementIsRefused) {
    MeshBuilder b(8, 7);
    ASSERT_EQ(b.build(), "");
    for (int e = 0; e < 51; ++e) click(e % 8 + 0.5, e / 8 + 0.5);
    PickList list;
    vinq01(list);
    EXPECT_EQ(list(1), 50);
    EXPECT_EQ(list(51), 50);
    EXPECT_NE(errors().find(" ONLY 50 ELEMENTS CAN BE SELECTED"), std::string::npos);
}

TEST_F(PickTest, OneClickGivesTheFatherOfTheFamilyOrTheInitialElement) {
    MeshBuilder b(2, 1);
    const auto sons = b.split4(2);
    ASSERT_EQ(b.build(), "");
    struct Case {
        double x, y;
        int nel;
    } cases[] = {{0.5, 0.5, 1},
                 {1.75, 0.75, ctree.TREE(1, family_of(sons[2]))},
                 {1.25, 0.25, ctree.TREE(1, family_of(sons[0]))},
                 {2.5, 0.3, 0}};
    for (const Case& c : cases) {
        click(c.x, c.y);
        int nel = -1;
        vinq02(nel);
        EXPECT_EQ(nel, c.nel) << c.x << " " << c.y;
    }
    EXPECT_GT(ctree.TREE(1, family_of(sons[2])), 0);
}

TEST_F(PickTest, AnOrderFromTheKeyThenElements) {
    MeshBuilder b(2, 2);
    ASSERT_EQ(b.build(), "");
    struct Case {
        int ilayf;
        double px, py;  // the box clicked, percent
        int ichoice;
    } cases[] = {{0, 20, 23.5, 1}, {0, 92, 23.5, 8}, {1, 10.5, 37.5, 3}};
    for (const Case& c : cases) {
        cpicksc.ILAYF = c.ilayf;
        auto at = [](double p) { return static_cast<int>(p * wsize.WSIZE / 100.0); };
        screen->events.push_back({EV_RELEASE, 1, at(94), at(23.5)});  // beyond the last box
        key('k');
        screen->events.push_back({EV_RELEASE, 1, at(c.px), at(c.py)});
        click(1.5, 0.5);
        click(-1.0, 0.5);
        PickList list;
        int ichoice = 0;
        vinq03(list, ichoice);
        EXPECT_EQ(ichoice, c.ichoice) << c.px;
        EXPECT_EQ(list(1), 1);
        EXPECT_EQ(list(2), 2);
        EXPECT_TRUE(screen->events.empty());
    }
}

}  // namespace
}  // namespace kavren::testing
