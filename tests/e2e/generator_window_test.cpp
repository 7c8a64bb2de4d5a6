// End-to-end runs of the BOUNDARY level at the keyboard under a private Xvfb:
// the generator mesh is drawn on entry and redrawn after every line typed,
// with the nodes of the boundary lines marked; read back from screenshots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runner.hpp"
#include "xserver.hpp"

namespace kavren::e2e {
namespace {

using testing::Colour;
using testing::XServer;

// The unit square of 2 x 2 4-node elements, up to the GEOMETRY level after
// ELEMENT. At WSIZE 450 its drawing puts world (x, y) at pixel
// (91.304 + 267.391 x, 450 - 132.554 - 267.391 y).
const char* const kSquareDeck =
    "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,3,3\n"
    "XY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n";

// The lines typed after BOUNDARY=1,IJ=1,1,3,1 that complete the mesh.
const std::vector<std::string> kRest = {"BOUNDARY=2,IJ=3,1,3,3", "BOUNDARY=3,IJ=1,3,3,3",
                                        "BOUNDARY=4,IJ=1,1,1,3", "END", "END"};

Project square(const std::string& display) {
    Project p;
    p.config = "MODE=COMMAND\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
    p.files["decks/job.com"] = kSquareDeck;
    p.input = "job\n";
    p.environment["DISPLAY"] = display;
    return p;
}

// Types line and a comment after it; true once the comment is in the command
// log, which shows that the drawing the line asked for is done.
bool type_and_mark(Session& s, const std::string& line, const std::string& mark) {
    s.write(line);
    s.write("# " + mark);
    return s.wait_for_file("decks/job.out", "# " + mark);
}

const Colour kBlack{0, 0, 0};
const Colour kMarkGreen{0, 255, 0};

TEST(GeneratorWindow, BoundaryRedrawsMarkTheLinesTypedAtTheKeyboard) {
    XServer server;
    KAVREN_START_X(server);
    Session s(square(server.display()));
    ASSERT_TRUE(type_and_mark(s, "BOUNDARY", "ENTERED")) << show(s.run());
    const std::vector<std::string> ids = testing::find_windows(server.display(), "Tessark");
    ASSERT_EQ(ids.size(), 1u) << show(s.run());
    testing::XwdImage image;
    std::string problem;
    ASSERT_TRUE(testing::screenshot(server.display(), ids[0], image, problem)) << problem;
    ASSERT_EQ(image.height, 450);
    // Node (0, 1) in the mark colour; the nodes of y = 0 not yet black.
    EXPECT_EQ(image.at(91, 50), kMarkGreen);
    EXPECT_EQ(image.at(225, 317), kMarkGreen);

    ASSERT_TRUE(type_and_mark(s, "BOUNDARY=1", "CHOSEN")) << show(s.run());
    ASSERT_TRUE(type_and_mark(s, "IJ=1,1,3,1", "LINE")) << show(s.run());
    ASSERT_TRUE(testing::screenshot(server.display(), ids[0], image, problem)) << problem;
    for (int x : {91, 225, 359}) EXPECT_EQ(image.at(x, 317), kBlack) << x;
    // Node (0, 1) is on no line yet.
    EXPECT_EQ(image.at(91, 50), kMarkGreen);
    EXPECT_EQ(testing::find_windows(server.display(), "Tessark").size(), 1u);

    for (const std::string& line : kRest) s.write(line);
    s.write("QUIT");
    const auto r = s.finish();
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_FALSE(r.timed_out);
    ASSERT_FALSE(r.file("output.grid").empty()) << show(r);

    // No display: the same lines say so once and write the same grid file.
    Project none = square(":77");
    none.input += "BOUNDARY\nBOUNDARY=1\nIJ=1,1,3,1\n";
    for (const std::string& line : kRest) none.input += line + "\n";
    none.input += "QUIT\n";
    const auto blind = run_kavren(none);
    EXPECT_EQ(blind.status, 0) << show(blind);
    EXPECT_EQ(blind.err, "Kavren:  unable to open display ':77'\n") << show(blind);
    EXPECT_EQ(blind.file("output.grid"), r.file("output.grid"));
}

// The command log of a session, replayed as a command-mode deck without X,
// writes the same grid file.
void expect_replay_gives_the_same_grid(const RunResult& r) {
    Project replay;
    replay.config = "MODE=COMMAND\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
    replay.files["decks/job.com"] = r.file("decks/job.out") + "QUIT\n";
    replay.input = "job\n";
    const auto again = run_kavren(replay);
    EXPECT_EQ(again.status, 0) << show(again);
    EXPECT_EQ(again.file("output.grid"), r.file("output.grid")) << show(again);
}

// Clicks button 1 at pixel (x, y) of the window.
void click(const std::string& display, const std::string& id, int x, int y) {
    testing::run_tool(
        {"xdotool", "mousemove", "--window", id, std::to_string(x), std::to_string(y)}, display);
    testing::run_tool({"xdotool", "click", "1"}, display);
}

// True when pixel (x, y) of the window has colour c now.
bool shows(const std::string& display, const std::string& id, int x, int y, const Colour& c) {
    testing::XwdImage image;
    std::string problem;
    return testing::screenshot(display, id, image, problem) && image.at(x, y) == c;
}

TEST(GeneratorWindow, IjAlonePicksTheEndsOfTheLineInTheDrawing) {
    XServer server;
    KAVREN_START_X(server);
    Session s(square(server.display()));
    ASSERT_TRUE(type_and_mark(s, "BOUNDARY", "ENTERED")) << show(s.run());
    ASSERT_TRUE(type_and_mark(s, "BOUNDARY=1", "CHOSEN")) << show(s.run());
    const std::vector<std::string> ids = testing::find_windows(server.display(), "Tessark");
    ASSERT_EQ(ids.size(), 1u) << show(s.run());
    s.write("IJ");
    click(server.display(), ids[0], 93, 315);
    // The picked node is marked in red.
    ASSERT_TRUE(s.wait_for([&] {
        return shows(server.display(), ids[0], 91, 317, Colour{255, 0, 0});
    })) << show(s.run());
    click(server.display(), ids[0], 357, 319);
    ASSERT_TRUE(s.wait_for_file("decks/job.out", "IJ,1,1,3,1")) << show(s.run());
    s.write("# DRAWN");
    ASSERT_TRUE(s.wait_for_file("decks/job.out", "# DRAWN")) << show(s.run());
    testing::XwdImage image;
    std::string problem;
    ASSERT_TRUE(testing::screenshot(server.display(), ids[0], image, problem)) << problem;
    for (int x : {91, 225, 359}) EXPECT_EQ(image.at(x, 317), kBlack) << x;

    // The rest completes the mesh; the log replays it as a deck without X.
    for (const std::string& line : kRest) s.write(line);
    s.write("QUIT");
    const auto r = s.finish();
    EXPECT_EQ(r.status, 0) << show(r);
    ASSERT_FALSE(r.file("output.grid").empty()) << show(r);
    expect_replay_gives_the_same_grid(r);
}

// Menu mode: the same BOUNDARY session typed and clicked in the window.
TEST(GeneratorWindow, MenuModePicksTheLineAndItsLogReplaysWithoutX) {
    XServer server;
    KAVREN_START_X(server);
    Project p;
    p.config = "MODE=MENU\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
    p.files["decks/job.com"] = kSquareDeck;
    p.environment["DISPLAY"] = server.display();
    Session s(p, 120);
    const std::string id = testing::wait_for_window(server.display(), "Tessark");
    ASSERT_FALSE(id.empty()) << show(s.run());
    const std::string& display = server.display();
    auto type = [&](const std::string& text) {
        testing::run_tool({"xdotool", "mousemove", "--window", id, "300", "300"}, display);
        testing::run_tool({"xdotool", "type", "--delay", "20", text}, display);
        testing::run_tool({"xdotool", "key", "Return"}, display);
    };
    auto logged = [&](const std::string& text) {
        return s.wait_for([&] { return contains_text(s.run().file("decks/job.out"), text); });
    };
    type("job");
    ASSERT_TRUE(s.wait_for_output("END OF INPUT FILE")) << show(s.run());
    type("boundary");
    ASSERT_TRUE(logged("BOUNDARY")) << show(s.run());
    type("boundary=1");
    ASSERT_TRUE(logged("BOUNDARY,1")) << show(s.run());
    type("ij");
    click(display, id, 93, 315);
    ASSERT_TRUE(s.wait_for([&] {
        return shows(display, id, 91, 317, Colour{255, 0, 0});
    })) << show(s.run());
    click(display, id, 357, 319);
    ASSERT_TRUE(logged("IJ,1,1,3,1")) << show(s.run());
    ASSERT_TRUE(s.wait_for([&] {
        return shows(display, id, 91, 317, kBlack) && shows(display, id, 225, 317, kBlack) &&
               shows(display, id, 359, 317, kBlack);
    })) << show(s.run());
    for (const std::string& line : kRest) type(line);
    ASSERT_TRUE(s.wait_for([&] { return s.run().exists("output.grid"); })) << show(s.run());
    type("quit");
    const auto r = s.finish();
    EXPECT_EQ(r.status, 0) << show(r);
    ASSERT_FALSE(r.file("output.grid").empty()) << show(r);

    expect_replay_gives_the_same_grid(r);
}

}  // namespace
}  // namespace kavren::e2e
