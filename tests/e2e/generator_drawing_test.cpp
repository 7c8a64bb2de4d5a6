// End-to-end runs of the generator's drawings to PostScript: the element mesh
// of GEOMETRY and BOUNDARY PLOT with its option record, and the node grid of
// NODES PLOT; their texts, fills and legend lines, sets, zoom and reset, the
// labels of two regions joined by the completion, and nothing to draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "../support/pgm.hpp"
#include "ghostscript.hpp"
#include "runner.hpp"

namespace kavren::e2e {
namespace {

using Lines = std::vector<std::string>;

// The texts a PostScript file shows, in order.
Lines shown(const Lines& ps) {
    Lines out;
    const std::string open = " rotate (", close = ") show";
    for (const std::string& l : ps) {
        const std::size_t a = l.find(open), b = l.rfind(close);
        if (a != std::string::npos && b != std::string::npos && b > a)
            out.push_back(l.substr(a + open.size(), b - a - open.size()));
    }
    return out;
}

int count(const Lines& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

void expect_renders(const RunResult& r, const std::string& rel) {
    ASSERT_TRUE(r.exists(rel)) << show(r);
    auto null = ghostscript(r.file(rel), "-sDEVICE=nullpage");
    EXPECT_EQ(null.status, 0) << show(null);
    EXPECT_FALSE(contains_text(null.out + null.err, "Error:")) << show(null);
}

// A 5 x 3 grid on [0,2] x [0,1]: a 9-node element on [0,1]^2 (element 1) and
// a 4-node one on [1,2] x [0,1] (element 2).
const std::string kMixed =
    "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,5,3\n"
    "XY,0,0,XY,2,0,XY,2,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nQUADR,1,1\nLINEAR,3,1,STEP=2,2\nEND\n";

// The unit square of 2 x 2 4-node elements on a 3 x 3 grid.
const std::string kSquare =
    "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,3,3\n"
    "XY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n";

TEST(GeneratorDrawing, MixedMeshFillsEachKindAndNumbersItsElements) {
    auto r = run_kavren(colour_job(kMixed + "PLOT\nELEMENT,LASER=GEN1\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.err, "") << show(r);
    expect_renders(r, "print/gen1");
    const Lines ps = r.lines("print/gen1");
    const Lines texts = shown(ps);
    EXPECT_EQ(count(texts, "MESH"), 1);
    // Element numbers 1 and 2 and the digits of the order key.
    EXPECT_EQ(count(texts, "1"), 2) << r.file("print/gen1");
    EXPECT_EQ(count(texts, "2"), 2);
    for (const char* d : {"3", "4", "5", "6", "7", "8"}) EXPECT_EQ(count(texts, d), 1) << d;
    // No boundary chosen yet: no legend line.
    for (const std::string& t : texts) EXPECT_EQ(t.find("BOUNDARY="), std::string::npos) << t;
    // Colour 2 of 8 gray levels: the 9-node element and key box 2.
    EXPECT_EQ(count(ps, "0.857 s"), 2) << r.file("print/gen1");

    auto render = ghostscript(r.file("print/gen1"),
                              "-sDEVICE=pgmraw -r72 -dDEVICEWIDTHPOINTS=612 "
                              "-dDEVICEHEIGHTPOINTS=792 -dFIXEDMEDIA -sOutputFile=plot.pgm");
    ASSERT_EQ(render.status, 0) << show(render);
    testing::Pgm image;
    ASSERT_TRUE(testing::read_pgm(render.file("plot.pgm"), image)) << show(render);
    auto gray = [&](double x, double y) {
        return image.at(static_cast<int>(x), static_cast<int>(791.0 - y));
    };
    // World (0.25, 0.25) inside the 9-node element, (1.1, 0.1) inside the 4-node one.
    EXPECT_NEAR(gray(334.4, 145.7), 218, 3);
    EXPECT_EQ(gray(370.2, 348.9), 255);
}

TEST(GeneratorDrawing, NodeGridKeepsItsLabelModeUntilAnotherIsAsked) {
    auto r = run_kavren(
        colour_job("STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,3,3\n"
                   "XY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nPLOT,IJ,LASER=NOD1\nPLOT,LASER=NOD2\n"
                   "PLOT,REGION,LASER=NOD3\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.err, "") << show(r);
    const Lines ij = {" 1,1", " 2,1", " 3,1", " 1,2", " 3,2", " 1,3", " 2,3", " 3,3"};
    for (const char* f : {"print/nod1", "print/nod2"}) {
        expect_renders(r, f);
        const Lines texts = shown(r.lines(f));
        EXPECT_EQ(count(texts, "NODES"), 1) << f;
        for (const std::string& l : ij) EXPECT_EQ(count(texts, l), 1) << f << " [" << l << "]";
        EXPECT_EQ(count(texts, " 2,2"), 0) << f;
        // No order key and no legend.
        EXPECT_EQ(count(texts, "8"), 0) << f;
    }
    const Lines region = shown(r.lines("print/nod3"));
    EXPECT_EQ(count(region, "1"), 8) << r.file("print/nod3");
    EXPECT_EQ(count(region, " 1,1"), 0);
    // The records are not echoed.
    EXPECT_FALSE(contains_text(r.file("decks/job.out"), "PLOT")) << r.file("decks/job.out");
}

TEST(GeneratorDrawing, LegendNamesTheBoundaryChosenLast) {
    auto r = run_kavren(colour_job(kSquare + "PLOT\nLASER=B0\n"
                                             "BOUNDARY\nBOUNDARY=3\nPLOT\nLASER=B3\n"
                                             "BOUNDARY=WALL\nPLOT\nLASER=BW\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.err, "") << show(r);
    auto boundary_lines = [&](const char* f) {
        Lines out;
        for (const std::string& t : shown(r.lines(f)))
            if (t.rfind("BOUNDARY=", 0) == 0) out.push_back(t);
        return out;
    };
    EXPECT_EQ(boundary_lines("print/b0"), Lines{});
    EXPECT_EQ(boundary_lines("print/b3"), Lines{"BOUNDARY= 3"});
    EXPECT_EQ(boundary_lines("print/bw"), Lines{"BOUNDARY=WALL"});
    expect_renders(r, "print/bw");
    // Neither PLOT nor its option record is echoed.
    const std::string log = r.file("decks/job.out");
    EXPECT_FALSE(contains_text(log, "PLOT")) << log;
    EXPECT_FALSE(contains_text(log, "LASER")) << log;
}

TEST(GeneratorDrawing, ElementSetDrawsItsElementsOnlyForOneDrawing) {
    auto r = run_kavren(colour_job(kMixed + "SETS\nELSET=LEFT\nADD,1\nEND\n"
                                            "PLOT\nELSET=LEFT,ELEMENT,LASER=SET1\n"
                                            "PLOT\nELEMENT,LASER=SET2\n"
                                            "PLOT\nELSET=NOSUCH,ELEMENT,LASER=SET3\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const Lines set1 = shown(r.lines("print/set1"));
    EXPECT_EQ(count(set1, "1"), 2) << r.file("print/set1");
    EXPECT_EQ(count(set1, "2"), 1);
    EXPECT_EQ(count(set1, "SET=LEFT"), 1);
    for (const char* f : {"print/set2", "print/set3"}) {
        const Lines texts = shown(r.lines(f));
        EXPECT_EQ(count(texts, "2"), 2) << f;
        for (const std::string& t : texts) EXPECT_EQ(t.find("SET="), std::string::npos) << f;
    }
    EXPECT_EQ(errors(r), Lines({" ** UNKNOWN SET **", "   ***** RUN COMPLETED SUCCESSFULLY *****"}))
        << show(r);
}

// The drawing itself: the lines from the clip on (the title line before it
// holds the date).
Lines drawing(const RunResult& r, const std::string& rel) {
    const Lines ps = r.lines(rel);
    auto at = std::find(ps.begin(), ps.end(), " clip 0 setlinewidth");
    return Lines(at, ps.end());
}

// The width of the first fill path of a drawing: element 1's.
double first_fill_width(const Lines& d) {
    if (d.size() < 2) return -1.0;
    std::istringstream in(d[1]);
    double lo = 1e30, hi = -1e30, x = 0, y = 0;
    std::string op;
    while (in >> x >> y >> op) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
    }
    return hi - lo;
}

TEST(GeneratorDrawing, ZoomFromTheSecondDrawingUntilReset) {
    auto plain = run_kavren(colour_job(kSquare + "PLOT\nLASER=Z0\nQUIT\n"));
    ASSERT_EQ(plain.status, 0) << show(plain);
    auto r = run_kavren(colour_job(kSquare + "PLOT\nZOOM,0,0,0.5,0.5,LASER=Z1\n"
                                             "PLOT\nZOOM,0,0,0.5,0.5,LASER=Z2\n"
                                             "PLOT\nLASER=Z3\n"
                                             "PLOT\nRESET,LASER=Z4\n"
                                             "PLOT\nZOOM,0,0,1,LASER=Z5\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const Lines whole = drawing(plain, "print/z0");
    ASSERT_GT(first_fill_width(whole), 0.0) << plain.file("print/z0");
    // ZOOM on the first drawing is ignored.
    EXPECT_EQ(drawing(r, "print/z1"), whole);
    EXPECT_NEAR(first_fill_width(drawing(r, "print/z2")), 2.0 * first_fill_width(whole), 0.2)
        << r.file("print/z2");
    // The zoom stays for a drawing without options, until RESET.
    EXPECT_EQ(drawing(r, "print/z3"), drawing(r, "print/z2"));
    EXPECT_EQ(drawing(r, "print/z4"), whole);
    // An unreadable window keeps the one in force.
    EXPECT_EQ(drawing(r, "print/z5"), whole);
    EXPECT_EQ(errors(r), Lines({" ZOOMING PARAMETERS UNREADABLE",
                                "   ***** RUN COMPLETED SUCCESSFULLY *****"}))
        << show(r);
}

TEST(GeneratorDrawing, JoinedRegionsLabelTheirNodesOnceAfterTheCompletion) {
    auto run = run_kavren(
        colour_job("STANDARD\nHEAT\nGEOMETRY\nNODES\n"
                   "GRID\nPOINT=4,IJ=1,1,3,3,REGION=A\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\n"
                   "GRID\nPOINT=4,IJ=1,1,3,3,REGION=B\nXY,1,0,XY,2,0,XY,2,1,XY,1,1\nEND\nEND\n"
                   "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1,REGION=A\nENDLOOPS\n"
                   "ILOOP=2\nJLOOP=2\nLINEAR,1,1,REGION=B\nENDLOOPS\nEND\n"
                   "BOUNDARY\nREGION=A\nBOUNDARY=1,IJ=1,1,3,1\nIJ=1,1,1,3\nIJ=1,3,3,3\n"
                   "REGION=B\nIJ=1,1,3,1\nIJ=3,1,3,3\nIJ=1,3,3,3\nEND\n"
                   "PLOT\nIJ,LASER=M2\nQUIT\n"));
    const RunResult& r = run;
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.err, "") << show(r);
    expect_renders(r, "print/m2");
    Lines labels;
    for (const std::string& t : shown(r.lines("print/m2")))
        if (t.find(',') != std::string::npos) labels.push_back(t);
    EXPECT_EQ(labels.size(), 13u) << r.file("print/m2");
    for (const char* l : {" 2,1", " 3,1", " 3,2", " 2,3", " 3,3"})
        EXPECT_EQ(count(labels, l), 2) << l;
    for (const char* l : {" 1,1", " 1,2", " 1,3"}) EXPECT_EQ(count(labels, l), 1) << l;
}

TEST(GeneratorDrawing, NothingToDrawWritesNoFile) {
    auto r =
        run_kavren(colour_job("STANDARD\nHEAT\nGEOMETRY\nNODES\nPLOT,LASER=NONE\n"
                              "POINT\nIJ=1,1,XY=3,4\nEND\nPLOT,LASER=ONE\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(errors(r), Lines({" NOTHING TO DRAW", "   ***** RUN COMPLETED SUCCESSFULLY *****"}))
        << show(r);
    EXPECT_FALSE(r.exists("print/none"));
    // One node: the window of no width is widened.
    expect_renders(r, "print/one");
    EXPECT_EQ(r.lines("print/one").back(), " stroke showpage");
}

}  // namespace
}  // namespace kavren::e2e
