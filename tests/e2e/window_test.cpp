// End-to-end runs with a window: a mesh plot typed at the keyboard in command
// mode under a private Xvfb, read back from a screenshot of the window; a
// second plot in the same window; a display that cannot be opened; and a
// server that goes away under a running program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runner.hpp"
#include "square_deck.hpp"
#include "xserver.hpp"

namespace kavren::e2e {
namespace {

using testing::Colour;
using testing::XServer;

Project square(const std::string& display) {
    Project p;
    p.config = "MODE=COMMAND\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
    p.files["decks/job.com"] = kNineNodeSquare;
    p.input = "job\n";
    p.environment["DISPLAY"] = display;
    return p;
}

// Types a mesh plot and a comment line after it; true once the comment's echo
// is in the command log, which shows that the plot before it was drawn.
bool plot_and_mark(Session& s, const std::string& mark, bool enter_mesh) {
    if (enter_mesh) s.write("MESH");
    s.write("PLOT");
    s.write("NO-LABEL");
    s.write("# " + mark);
    return s.wait_for_file("decks/job.out", "# " + mark);
}

TEST(Window, KeyboardMeshPlotIsDrawnInOneWindow) {
    XServer server;
    KAVREN_START_X(server);
    Session s(square(server.display()));
    ASSERT_TRUE(plot_and_mark(s, "DRAWN", true)) << show(s.run());
    const std::vector<std::string> ids = testing::find_windows(server.display(), "Tessark");
    ASSERT_EQ(ids.size(), 1u) << show(s.run());
    const testing::ToolRun info = testing::run_tool({"xwininfo", "-id", ids[0]}, server.display());
    EXPECT_NE(info.out.find("Width: 600"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Height: 450"), std::string::npos) << info.out;

    testing::XwdImage image;
    std::string problem;
    ASSERT_TRUE(testing::screenshot(server.display(), ids[0], image, problem)) << problem;
    ASSERT_EQ(image.width, 600);
    ASSERT_EQ(image.height, 450);
    // World (0.25, 0.25) in the colour of order 2.
    EXPECT_EQ(image.at(155, 254), (Colour{255, 255, 0}));
    // The background above the frame, off the title line.
    EXPECT_EQ(image.at(185, 13), (Colour{200, 200, 200}));
    // Inside the white frame, off the mesh.
    EXPECT_EQ(image.at(77, 184), (Colour{255, 255, 255}));
    // The side x = 0.5 between the elements.
    EXPECT_TRUE(image.near(225, 254, 1, Colour{0, 0, 0}));

    ASSERT_TRUE(plot_and_mark(s, "AGAIN", false)) << show(s.run());
    EXPECT_EQ(testing::find_windows(server.display(), "Tessark").size(), 1u);
    s.write("QUIT");
    const auto r = s.finish();
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_FALSE(r.timed_out);
}

TEST(Window, DisplayThatCannotBeOpenedLeavesTheScreenOff) {
    Project p = square(":77");
    p.input += "MESH\nPLOT\nLASER=K1\nQUIT\n";
    const auto r = run_kavren(p);
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.err, "Kavren:  unable to open display ':77'\n") << show(r);
    const std::vector<std::string> ps = r.lines("print/k1");
    ASSERT_FALSE(ps.empty()) << show(r);
    EXPECT_EQ(ps.back(), " stroke showpage");
}

TEST(Window, LostServerEndsTheRunWithItsFilesClosed) {
    XServer server;
    KAVREN_START_X(server);
    Session s(square(server.display()));
    ASSERT_TRUE(plot_and_mark(s, "DRAWN", true)) << show(s.run());
    server.stop();
    s.write("PLOT");
    s.write("NO-LABEL");
    s.write("# NEVER");
    const auto r = s.finish();
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_FALSE(r.timed_out);
    const std::vector<std::string> err = r.lines("decks/job.err");
    EXPECT_TRUE(contains_line(err, "   *** RUN TERMINATED WITHOUT COMPLETION ***")) << show(r);
    EXPECT_TRUE(contains_line(err, "       TERMINATION OCCURED IN ROUTINE--XWINDOW")) << show(r);
    EXPECT_FALSE(contains_text(r.file("decks/job.out"), "# NEVER")) << show(r);
}

}  // namespace
}  // namespace kavren::e2e
