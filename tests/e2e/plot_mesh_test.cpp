// End-to-end runs of the mesh drawings with the plot frame: title line and
// stamp, key of orders, legend, numbers, contour overlay, zoom and the
// options of the EXECUTE driver's drawing, judged by the PostScript files,
// the error file and the terminal. Colour display, command mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

using Lines = std::vector<std::string>;

// The unit square in 2 x 2 elements (4-node or 9-node), boundaries and the
// set LEFT (elements 1 and 3), up to the end of SETS inside GEOMETRY.
std::string square(bool nine_node) {
    const std::string n = nine_node ? "5" : "3";
    return std::string("STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,") + n + "," + n +
           "\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\nELEMENT\nILOOP=2\nJLOOP=2\n" +
           (nine_node ? "QUADR" : "LINEAR") + ",1,1\nENDLOOPS\nEND\nBOUNDARY\nBOUNDARY=1,IJ=1,1," +
           n + ",1\nBOUNDARY=2,IJ=" + n + ",1," + n + "," + n + "\nBOUNDARY=3,IJ=1," + n + "," + n +
           "," + n + "\nBOUNDARY=4,IJ=1,1,1," + n +
           "\nEND\nSETS\nELSET=LEFT\nADD,1,LOOP=2,STEP=2\nEND\n";
}

RunResult run(const std::string& deck) {
    return run_kavren(colour_job(deck));
}

int count(const Lines& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Every file a test writes must render without error.
void renders(const RunResult& r, const std::string& rel) {
    Project p;
    p.write_config = false;
    p.files["plot.ps"] = r.file(rel);
    auto gs = run_program("/bin/sh", p, 60,
                          {"-c", "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage plot.ps"});
    EXPECT_EQ(gs.status, 0) << show(gs);
    EXPECT_EQ(gs.out.find("Error:"), std::string::npos) << show(gs);
    EXPECT_EQ(gs.err.find("Error:"), std::string::npos) << show(gs);
}

TEST(PlotMesh, TitleStampKeyAndLegend) {
    auto r = run(square(false) + "MESH\nPLOT\nLASER=A\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const std::string ps = r.file("print/a");
    EXPECT_NE(ps.find("(PROJECT: "), std::string::npos) << ps;
    EXPECT_NE(ps.find("(MESH)"), std::string::npos) << ps;
    EXPECT_NE(ps.find("tester"), std::string::npos) << ps;
    EXPECT_NE(ps.find("(D.O.F= 9"), std::string::npos) << ps;
    // Order 1 everywhere: four elements and key box 1 at gray 1.
    EXPECT_EQ(count(r.lines("print/a"), "0.857 s"), 1);
    renders(r, "print/a");
}

TEST(PlotMesh, OrdersOfAnEnrichedElementAndItsNeighbours) {
    auto r = run(square(true) +
                 "MESH\nPLOT\nLASER=A\nENRICH,1,ORDER=3\nPLOT\nLASER=B\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_NE(r.file("print/a").find("(D.O.F= 25"), std::string::npos);
    EXPECT_EQ(count(r.lines("print/a"), "0.857 s"), 5);
    // Element 1 of order 3 in one fill; its two neighbours each a side band of
    // order 3 and three bands and an inner square of order 2; element 4 in one.
    const Lines b = r.lines("print/b");
    EXPECT_EQ(count(b, "0.714 s"), 1 + 2 + 1) << r.file("print/b");
    EXPECT_EQ(count(b, "0.857 s"), 1 + 2 * 4 + 1) << r.file("print/b");
    renders(r, "print/b");
}

TEST(PlotMesh, ElementAndNodeNumbers) {
    auto r = run(square(false) +
                 "MESH\nREFINE,1\nPLOT\nELEMENT,LASER=E\nPLOT\nNODE,LASER=N\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    // Seven elements, seven numbers at their centres.
    const std::string e = r.file("print/e");
    EXPECT_EQ(occurrences(e, ") show stroke"), 7 + 8 + 4 + 1)
        << e;  // numbers, key digits, title line and stamp, legend
    // Nodes: no number at the two hanging vertices of the refined element.
    const std::string n = r.file("print/n");
    EXPECT_GT(occurrences(n, ") show stroke"), occurrences(e, ") show stroke"));
    renders(r, "print/e");
    renders(r, "print/n");
}

TEST(PlotMesh, SetLineAndTheNextPlotDrawsTheWholeMesh) {
    auto r = run(square(true) + "MESH\nPLOT\nELSET=LEFT,LASER=S\nPLOT\nLASER=T\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_NE(r.file("print/s").find("(SET=LEFT"), std::string::npos);
    EXPECT_EQ(count(r.lines("print/s"), "0.857 s"), 3);
    EXPECT_EQ(r.file("print/t").find("(SET="), std::string::npos);
    EXPECT_EQ(count(r.lines("print/t"), "0.857 s"), 5);
}

TEST(PlotMesh, ZoomAtTheMeshLevel) {
    auto r =
        run(square(true) +
            "MESH\nPLOT\nZOOM,0.1,0.1,0.15,0.15,LASER=Z1\nPLOT\nZOOM,0.1,0.1,0.15,0.15,LASER=Z2\n"
            "PLOT\nZOOM,0,0,1,LASER=Z3\nPLOT\nRESET,LASER=Z4\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(count(r.lines("print/z1"), "0.857 s"), 5);
    EXPECT_EQ(count(r.lines("print/z2"), "0.857 s"), 2);
    EXPECT_EQ(count(r.lines("decks/job.err"), " ZOOMING PARAMETERS UNREADABLE"), 1)
        << r.file("decks/job.err");
    EXPECT_EQ(count(r.lines("print/z4"), "0.857 s"), 5);
    renders(r, "print/z2");
}

TEST(PlotMesh, ComponentOverlayAtTheMeshLevel) {
    auto r = run(square(true) + "MESH\nCOMPONENT=X\nPLOT\nLASER=C\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    // Lines of constant x: many overlay segments whose ends share the page
    // coordinate that carries the picture's x (the second).
    int same = 0;
    for (const std::string& l : r.lines("print/c")) {
        // Lines "x y m x y d" of two points.
        std::vector<std::string> t;
        std::string w;
        for (char ch : l + " ") {
            if (ch == ' ') {
                if (!w.empty()) t.push_back(w);
                w.clear();
            } else {
                w += ch;
            }
        }
        for (std::size_t i = 0; i + 5 < t.size(); ++i)
            if (t[i + 2] == "m" && t[i + 5] == "d" && t[i + 1] == t[i + 4] && t[i] != t[i + 3])
                ++same;
    }
    EXPECT_GT(same, 8) << r.file("print/c");
    renders(r, "print/c");
}

const char* const kExecute = "END\nEXECUTE\nNDIMEN=2\nNRBREAKS=0\nMESH\n";

TEST(PlotMesh, ExecuteWindowKeepsTheElementsInside) {
    auto r =
        run(square(true) + kExecute +
            std::string("PLOT,ZOO=0,0.5,0,0.5,LASER=W1\nPLOT,ZOO=5,6,5,6,LASER=W2\nEND\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(count(r.lines("print/w1"), "0.857 s"), 2);
    EXPECT_NE(r.out.find("ZOOMING WITH: "), std::string::npos);
    EXPECT_EQ(count(r.lines("decks/job.err"), " NOTHING TO DRAW"), 1) << r.file("decks/job.err");
    EXPECT_FALSE(r.exists("print/w2"));
}

TEST(PlotMesh, ExecutePictureByLevelAsksForItsSet) {
    auto r = run(square(true) + kExecute +
                 std::string("PLOT,ART\nELSET=MESH,LASER=A1\nPLOT\nELSET=MESH,LASER=A2\n"
                             "PLOT,NOART,LASER=A3\nEND\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_NE(r.out.find("CAUTION REAL*8 ROUTINE!!!"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("IN ROUTINE ARTCOORD:"), std::string::npos);
    EXPECT_EQ(occurrences(r.out, "SET ELSET=?"), 2) << r.out;
    for (const char* f : {"print/a1", "print/a2", "print/a3"}) {
        ASSERT_TRUE(r.exists(f)) << f;
        EXPECT_EQ(count(r.lines(f), "0.857 s"), 5) << f;
    }
    renders(r, "print/a1");
}

// Spans of the element fills of order 2 ("0.857 s") inside the clip, along
// the picture's x (the page's second coordinate) and y (the page's first).
std::pair<double, double> fill_spans(const Lines& lines) {
    std::vector<double> pts, all;
    bool clipped = false;
    for (const std::string& l : lines) {
        if (l.find(" clip") != std::string::npos) clipped = true;
        if (l == "0.857 s") {
            // The key and the title come before the clip of the plot area.
            const bool inside = clipped && !pts.empty();
            if (inside) all.insert(all.end(), pts.begin(), pts.end());
            pts.clear();
            continue;
        }
        std::vector<std::string> t;
        std::string w;
        for (char ch : l + " ") {
            if (ch == ' ') {
                if (!w.empty()) t.push_back(w);
                w.clear();
            } else {
                w += ch;
            }
        }
        for (std::size_t i = 0; i + 2 < t.size() + 0; ++i)
            if (t[i + 2] == "n" || t[i + 2] == "d" || t[i + 2] == "c") {
                if (t[i + 2] == "n") pts.clear();
                pts.push_back(std::stod(t[i]));
                pts.push_back(std::stod(t[i + 1]));
                i += 2;
            }
    }
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
    for (std::size_t i = 0; i + 1 < all.size(); i += 2) {
        y0 = std::min(y0, all[i]);
        y1 = std::max(y1, all[i]);
        x0 = std::min(x0, all[i + 1]);
        x1 = std::max(x1, all[i + 1]);
    }
    return {x1 - x0, y1 - y0};
}

TEST(PlotMesh, ExecuteStretchIsKept) {
    auto r = run(square(true) + kExecute +
                 std::string("PLOT,YMULT=2,LASER=Y1\nPLOT,LASER=Y2\nEND\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    for (const char* f : {"print/y1", "print/y2"}) {
        const auto [sx, sy] = fill_spans(r.lines(f));
        ASSERT_GT(sx, 0.0) << r.file(f);
        EXPECT_NEAR(sy / sx, 2.0, 0.02) << f;
    }
}

TEST(PlotMesh, ExecutePictureByLevelGivesEveryInitialElementOneSquare) {
    const std::string strip =
        "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,5,3\nXY,0,0,XY,3,0,XY,3,1,XY,0,1\n"
        "END\nEND\nELEMENT\nILOOP=2\nQUADR,1,1\nIENDLOOP\nEND\nBOUNDARY\nBOUNDARY=1,IJ=1,1,5,1\n"
        "BOUNDARY=2,IJ=5,1,5,3\nBOUNDARY=3,IJ=1,3,5,3\nBOUNDARY=4,IJ=1,1,1,3\nEND\n";
    auto r = run(strip + kExecute +
                 std::string("PLOT,LASER=P1\nPLOT,ART\nELSET=MESH,LASER=P2\nEND\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const auto [px, py] = fill_spans(r.lines("print/p1"));
    ASSERT_GT(py, 0.0) << r.file("print/p1");
    EXPECT_NEAR(px / py, 3.0, 0.03);
    const auto [ax, ay] = fill_spans(r.lines("print/p2"));
    ASSERT_GT(ay, 0.0) << r.file("print/p2");
    EXPECT_NEAR(ax / ay, 2.0, 0.02);
}

TEST(PlotMesh, ARecoveredMeshIsDrawnWhole) {
    auto first = run(square(true) + "END\nSTORAGE\nSAVE\nEND\nEND\nEND\nEND\n");
    ASSERT_EQ(first.status, 0) << show(first);
    ASSERT_TRUE(first.exists("data/job.sav")) << show(first);
    Project p;
    p.config = "MODE=COMMAND\nDISPLAY=COLOR\nCUSTOM=0\nEND\n";
    p.files["decks/job.com"] =
        "STANDARD\nHEAT\nSTORAGE\nRECOVER\nEND\nEXECUTE\nNDIMEN=2\nNRBREAKS=0\nMESH\n"
        "PLOT,LASER=R\nEND\nQUIT\n";
    p.files["data/job.sav"] = first.file("data/job.sav");
    p.input = "job\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(count(r.lines("print/r"), "0.857 s"), 5) << show(r);
}

TEST(PlotMesh, AnEmptySetDrawsNothing) {
    auto r = run(square(true) +
                 "SETS\nELSET=EMPTY\nEND\nMESH\nPLOT\nELSET=EMPTY,LASER=E\nEND\nEND\nQUIT\n");
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(count(r.lines("decks/job.err"), " NOTHING TO DRAW"), 1) << r.file("decks/job.err");
    EXPECT_FALSE(r.exists("print/e"));
}

}  // namespace
}  // namespace kavren::e2e
