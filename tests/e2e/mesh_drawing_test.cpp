// End-to-end runs of the mesh drawing to PostScript: the file a MESH level's
// PLOT writes with LASER=name, judged by its lines and by Ghostscript
// rendering it; the EXECUTE driver's MESH level, a replaced file, a LASER
// without a name, a missing print directory, and a plot typed at the keyboard
// with no window to draw in.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "../support/pgm.hpp"
#include "ghostscript.hpp"
#include "runner.hpp"
#include "square_deck.hpp"

namespace kavren::e2e {
namespace {

using Lines = std::vector<std::string>;

const char* const kColour = "MODE=COMMAND\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";

const char* const kSquare = kNineNodeSquare;

Project colour_project(const std::string& deck, const std::string& keyboard = "") {
    Project p;
    p.config = kColour;
    p.files["decks/job.com"] = deck;
    p.input = "job\n" + keyboard;
    return p;
}

int count(const Lines& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

bool has(const Lines& lines, const std::string& line) {
    return count(lines, line) > 0;
}

// The PGM pixel under page point (x, y) of a 612 x 792 page rendered at 72 dpi.
int page_gray(const testing::Pgm& image, double x, double y) {
    return image.at(static_cast<int>(x), static_cast<int>(791.0 - y));
}

TEST(MeshDrawing, DeckPlotWritesTheMeshFilledByOrderInsideItsFrame) {
    auto r = run_kavren(
        colour_project(std::string(kSquare) + "MESH\nPLOT\nLASER=FIG1\nEND\nEND\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.err, "") << show(r);
    const Lines ps = r.lines("print/fig1");
    ASSERT_GE(ps.size(), 12u) << show(r);
    EXPECT_EQ(ps[0], "%!tilvo   file: fig1");
    EXPECT_EQ(ps[9], " 50 50 translate newpath");
    // The white frame, then its outline.
    const Lines frame = {"412.5 0.0 n 38.5 0.0 d 38.5 550.0 d 412.5 550.0 d", "412.5 0.0 c",
                         "1.000 s", "412.5 0.0 n 38.5 0.0 d 38.5 550.0 d 412.5 550.0 d"};
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), ps.begin() + 10)) << r.file("print/fig1");
    EXPECT_TRUE(has(ps, " 0 setgray 1 setlinewidth"));
    EXPECT_TRUE(has(ps, "  1 setgray closepath gsave"));
    EXPECT_TRUE(has(ps, " clip 0 setlinewidth"));
    EXPECT_TRUE(has(ps, " grestore stroke 0 setgray 0 setlinewidth"));
    // Order 2 of 8 gray levels, once an element.
    EXPECT_EQ(count(ps, "0.857 s"), 5) << r.file("print/fig1");  // four elements and key box 2
    EXPECT_EQ(
        std::count_if(ps.begin(), ps.end(),
                      [](const std::string& l) { return l.find("showpage") != std::string::npos; }),
        1);
    EXPECT_EQ(ps.back(), " stroke showpage");

    const std::string text = r.file("print/fig1");
    auto null = ghostscript(text, "-sDEVICE=nullpage");
    EXPECT_EQ(null.status, 0) << show(null);
    EXPECT_EQ(null.out.find("Error:"), std::string::npos) << show(null);
    EXPECT_EQ(null.err.find("Error:"), std::string::npos) << show(null);

    auto bbox = ghostscript(text, "-sDEVICE=bbox");
    ASSERT_EQ(bbox.status, 0) << show(bbox);
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    const std::string tag = "%%HiResBoundingBox:";
    const std::size_t at = bbox.err.find(tag);
    ASSERT_NE(at, std::string::npos) << show(bbox);
    std::istringstream(bbox.err.substr(at + tag.size())) >> x0 >> y0 >> x1 >> y1;
    EXPECT_LE(x0, 88.5 + 0.01);
    EXPECT_LE(y0, 50.0 + 0.01);
    EXPECT_GE(x1, 462.5 - 0.01);
    EXPECT_GE(y1, 600.0 - 0.01);
    EXPECT_GE(x0, 0.0);
    EXPECT_GE(y0, 0.0);
    EXPECT_LE(x1, 612.0);
    EXPECT_LE(y1, 792.0);

    auto render = ghostscript(text,
                              "-sDEVICE=pgmraw -r72 -dDEVICEWIDTHPOINTS=612 "
                              "-dDEVICEHEIGHTPOINTS=792 -dFIXEDMEDIA -sOutputFile=plot.pgm");
    ASSERT_EQ(render.status, 0) << show(render);
    testing::Pgm image;
    ASSERT_TRUE(testing::read_pgm(render.file("plot.pgm"), image)) << show(render);
    ASSERT_EQ(image.width, 612);
    ASSERT_EQ(image.height, 792);
    // World (0.25, 0.25) in the gray of order 2.
    EXPECT_NEAR(page_gray(image, 360.0, 239.6), 218, 3);
    // Inside the frame, off the mesh: white.
    EXPECT_EQ(page_gray(image, 95.0, 300.0), 255);
    EXPECT_EQ(page_gray(image, 300.0, 120.0), 255);
    // The side x = 0.5 between the elements is a black line at page y 325.
    int darkest = 255;
    for (double y = 324.0; y <= 326.0; y += 1.0)
        darkest = std::min(darkest, page_gray(image, 300.0, y));
    EXPECT_LT(darkest, 64);
}

TEST(MeshDrawing, ExecuteMeshLevelWritesItsFileAndAPlotAgainReplacesOne) {
    const std::string deck = std::string(kSquare) +
                             "MESH\nPLOT\nLASER=FIG1\nEND\nEND\n"
                             "GEOMETRY\nMESH\nREFINE,1\nPLOT\nLASER=FIG1\nPLOT\nLASER=5\nEND\nEND\n"
                             "EXECUTE\nNDIMEN=2\nNRBREAKS=0\nMESH\nPLOT,LASER=FIG2\nEND\nQUIT\n";
    auto r = run_kavren(colour_project(deck));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.err, "") << show(r);
    // Element 1 in four sons: seven elements, all of order 2.
    EXPECT_EQ(count(r.lines("print/fig1"), "0.857 s"), 8) << r.file("print/fig1");
    const Lines fig2 = r.lines("print/fig2");
    ASSERT_FALSE(fig2.empty()) << show(r);
    EXPECT_EQ(fig2[0], "%!tilvo   file: fig2");
    EXPECT_EQ(count(fig2, "0.857 s"), 8) << r.file("print/fig2");
    EXPECT_EQ(fig2.back(), " stroke showpage");
    // LASER=5 names no file and says nothing.
    EXPECT_FALSE(r.exists("print/5"));
    EXPECT_EQ(r.out.find("POSTSCRIPT"), std::string::npos);
    EXPECT_EQ(r.file("decks/job.err").find("POSTSCRIPT"), std::string::npos);
}

TEST(MeshDrawing, MissingPrintDirectoryIsReportedAndTheRunGoesOn) {
    Project p = colour_project(std::string(kSquare) + "MESH\nPLOT\nLASER=FIG1\nEND\nEND\nQUIT\n");
    p.omit_dirs = {"print"};
    auto r = run_kavren(p);
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.lines("decks/job.err"), " UNABLE TO OPEN POSTSCRIPT FILE: print/fig1"))
        << show(r);
    EXPECT_FALSE(r.exists("print"));
}

TEST(MeshDrawing, KeyboardPlotWithoutAWindowSaysSoOnceAndStillWritesItsFile) {
    auto typed = run_kavren(colour_project(std::string(kSquare) + "MESH\n",
                                           "PLOT\nLASER=FIG3\nPLOT\nNO-LABEL\nQUIT\n"));
    EXPECT_EQ(typed.status, 0) << show(typed);
    EXPECT_EQ(typed.err, "Kavren:  unable to open display ''\n")
        << show(typed);
    auto from_deck = run_kavren(
        colour_project(std::string(kSquare) + "MESH\nPLOT\nLASER=FIG3\nEND\nEND\nQUIT\n"));
    ASSERT_EQ(from_deck.status, 0) << show(from_deck);
    EXPECT_EQ(typed.file("print/fig3"), from_deck.file("print/fig3")) << show(typed);
    EXPECT_FALSE(typed.file("print/fig3").empty());
}

}  // namespace
}  // namespace kavren::e2e
