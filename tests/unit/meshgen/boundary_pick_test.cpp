// IJ alone at the BOUNDARY level, typed at the keyboard with the window open:
// the two ends are picked as nodes of the drawing (scripted clicks on the
// recording backend), checked and journaled like typed bounds; a pick that
// finds no node, or a diagonal one, adds nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "geometry_fixture.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen.hpp"
#include "meshgen/boundary.hpp"
#include "meshgen/drawings.hpp"
#include "recording_backend.hpp"
#include "support/units.hpp"

namespace kavren::testing {
namespace {

class BoundaryPickTest : public GeneratorTest {
  protected:
    RecordingBackend* screen = nullptr;

    void SetUp() override {
        GeneratorTest::SetUp();
        screen = &install_recording();
        wsize.WSIZE = 450.0;
        machine.ICOLOR = 1;
        draw_detail::reset();
    }
    void TearDown() override {
        uninstall_recording();
        GeneratorTest::TearDown();
    }
    // Lines typed at the keyboard from now on.
    void keyboard(const std::string& text) {
        std::ofstream(dir / "kbd.txt") << text;
        units::open_text(units::STDIN_UNIT, "kbd.txt", units::Open::existing);
        cinout.LUIN = cinout.LUKBD;
    }
    // A release of button 1 at the pixel of world point (x, y) in the drawing.
    void click(double x, double y) {
        screen->events.push_back({EV_RELEASE, 1, static_cast<int>(cpicksc.SCALE * x + cpicksc.XOFF),
                                  static_cast<int>(cpicksc.SCALE * y + cpicksc.YOFF)});
    }
};

TEST_F(BoundaryPickTest, PickedEndsMakeALineAndRefusedPicksNone) {
    geometry(std::string("GEOMETRY\n") + kSquareNodes + kSquareElements + "END\n");
    ASSERT_EQ(ccon.NELG, 4);
    // The first drawing at the keyboard opens the window and sets the scale
    // the picks map through; BOUNDARY's own entry drawing has the same.
    keyboard(
        "BOUNDARY=1\nIJ\nIJ\nIJ\n"
        "IJ=3,1,3,3\nIJ=1,3,3,3\nIJ=1,1,1,3\nEND\n");
    iodati.NFIELD = 0;
    graphm(1);
    ASSERT_TRUE(screen_is_open());
    ASSERT_GT(cpicksc.SCALE, 0.0);
    click(2e6, 0.0);  // no node within 1e5
    click(0.02, -0.03);
    click(0.97, 0.01);  // nodes (1, 1) and (3, 1)
    click(0.0, 0.0);
    click(1.0, 1.0);  // (1, 1) and (3, 3): no constant I or J
    EXPECT_TRUE(bcons());
    EXPECT_TRUE(screen->events.empty());
    ASSERT_EQ(cbcons.NBLIN, 4) << errors();
    EXPECT_EQ(cbcons.IBND(1), -1);
    EXPECT_EQ(cbcons.IMINB(1), 1);
    EXPECT_EQ(cbcons.IMAXB(1), 3);
    EXPECT_EQ(cbcons.JMINB(1), 1);
    EXPECT_EQ(cbcons.JMAXB(1), 1);
    const std::string err = errors();
    EXPECT_NE(err.find(" *** NO GENERATOR NODE NEAR THE PICK ***\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" ****ERROR CONSTANT I OR J MUST BE SPECIFIED****\n"), std::string::npos)
        << err;
    // Only the accepted pick is journaled, as typed bounds are.
    EXPECT_EQ(count_lines("decks/t.out", "   IJ,1,1,3,1"), 1) << file("decks/t.out");
    EXPECT_EQ(count_lines("decks/t.out", "   IJ,1,1,3,3"), 0);
}

}  // namespace
}  // namespace kavren::testing
