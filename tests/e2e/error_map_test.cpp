// End-to-end runs of the EXECUTE driver's error map: DISERR after SOLVE and
// ERREST into PostScript files, judged by their lines and by Ghostscript;
// the band scales, the stretch and its refusal, the picture by refinement
// level and its capacity, stale errors, a mesh that was not handed over, and
// a run without a user name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "postscript_checks.hpp"
#include "runner.hpp"

namespace kavren::e2e {
namespace {

using Lines = std::vector<std::string>;

// nx by ny unit-spaced bilinear elements on [x0, x1] x [y0, y1], every side a
// Dirichlet side, up to the end of GEOMETRY.
std::string grid_deck(int nx, int ny, int x0, int y0, int x1, int y1) {
    const std::string i = std::to_string(nx + 1), j = std::to_string(ny + 1);
    const auto xy = [](int x, int y) {
        return "XY," + std::to_string(x) + "," + std::to_string(y);
    };
    return "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1," + i + "," + j + "\n" +
           xy(x0, y0) + "," + xy(x1, y0) + "," + xy(x1, y1) + "," + xy(x0, y1) +
           "\nEND\nEND\nELEMENT\nILOOP=" + std::to_string(nx) + "\nJLOOP=" + std::to_string(ny) +
           "\nLINEAR,1,1\nENDLOOPS\nEND\nBOUNDARY\nBOUNDARY=1,IJ=1,1," + i +
           ",1\nBOUNDARY=5,IJ=" + i + ",1," + i + "," + j + "\nBOUNDARY=6,IJ=1," + j + "," + i +
           "," + j + "\nBOUNDARY=4,IJ=1,1,1," + j + "\nEND\nEND\n";
}

const char* const kOmegaExp =
    "%\nOMEGA=EXP(X+Y)\nOMEGAX=OMEGA\nOMEGAY=OMEGA\nOMEGAXX=OMEGA\nOMEGAYY=OMEGA\n"
    "OMEGAXY=OMEGA\n%\n";
const char* const kEnter = "EXECUTE\nNDIMEN=2\nNRBREAKS=0\n";

// The exponential on a mesh, solved and measured, then the records.
RunResult run_map(const std::string& mesh, const std::string& records) {
    return run_kavren(
        colour_job(mesh + kOmegaExp + kEnter + "SOLVE\nERREST\n" + records + "QUIT\n"));
}

void expect_renders(const RunResult& r, const std::string& rel) {
    const std::string text = r.file(rel);
    ASSERT_FALSE(text.empty()) << rel << "\n" << show(r);
    renders(text);
}

// The element fills of a map: the lines inside its clip.
struct Fills {
    std::vector<double> grays;
    double lo1 = 1e9, hi1 = -1e9, lo2 = 1e9, hi2 = -1e9;  // extents of the two page axes
    double extent1() const { return hi1 - lo1; }
    double extent2() const { return hi2 - lo2; }
};

Fills element_fills(const Lines& ps) {
    Fills f;
    bool inside = false;
    for (const std::string& l : ps) {
        if (l == " clip 0 setlinewidth") inside = true;
        if (l.rfind(" grestore", 0) == 0) inside = false;
        if (!inside) continue;
        std::istringstream in(l);
        std::vector<std::string> t{std::istream_iterator<std::string>(in), {}};
        if (t.size() == 2 && t[1] == "s") {
            f.grays.push_back(std::stod(t[0]));
            continue;
        }
        // Points are written as "x y n", "x y d" and "x y c".
        for (std::size_t k = 0; k + 2 < t.size(); ++k) {
            if (t[k + 2] == "n" || t[k + 2] == "d" || t[k + 2] == "c") {
                const double a = std::stod(t[k]), b = std::stod(t[k + 1]);
                f.lo1 = std::min(f.lo1, a), f.hi1 = std::max(f.hi1, a);
                f.lo2 = std::min(f.lo2, b), f.hi2 = std::max(f.hi2, b);
            }
        }
    }
    return f;
}

// The value of a legend text "(<label><value>) show".
double legend_value(const std::string& ps, const std::string& label) {
    const std::size_t at = ps.find("(" + label);
    if (at == std::string::npos) return std::nan("");
    return std::stod(ps.substr(at + 1 + label.size()));
}

bool multiples_of(const std::vector<double>& grays, int n) {
    return std::all_of(grays.begin(), grays.end(),
                       [n](double g) { return std::abs(g * n - std::round(g * n)) < 0.01; });
}

std::vector<double> all_grays(const Lines& ps) {
    std::vector<double> v;
    for (const std::string& l : ps)
        if (l.size() == 7 && l.substr(5) == " s") v.push_back(std::stod(l.substr(0, 5)));
    return v;
}

bool has_line(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(ErrorMap, LegendHoldsTheH1TotalAndTheDofCountOfErrest) {
    auto r = run_map(grid_deck(2, 2, 0, 0, 1, 1), "DISERR=2,LASER=ERR1\nDISERR=4,LASER=ERR4\n");
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(errors(r), Lines{"   ***** RUN COMPLETED SUCCESSFULLY *****"}) << show(r);
    expect_renders(r, "print/err1");
    const Lines out = r.out_lines();
    auto h1 = std::find_if(out.begin(), out.end(),
                           [](const std::string& l) { return l.rfind(" H1:", 0) == 0; });
    auto ndof = std::find_if(out.begin(), out.end(),
                             [](const std::string& l) { return l.rfind(" TOTAL NDOF=", 0) == 0; });
    ASSERT_NE(h1, out.end()) << show(r);
    ASSERT_NE(ndof, out.end()) << show(r);
    const double printed = std::stod(h1->substr(6, 12));
    const std::string ps = r.file("print/err1");
    EXPECT_NEAR(legend_value(ps, "ERROR="), printed, 0.5e-4 * printed) << ps;
    EXPECT_EQ(legend_value(ps, "D.O.F="), std::stod(ndof->substr(12, 6))) << ps;
    // The smallest and largest element error bound the map's fills.
    EXPECT_LE(legend_value(ps, "MIN="), legend_value(ps, "MAX="));
    EXPECT_EQ(element_fills(r.lines("print/err1")).grays.size(), 4u);
    // Another kind maps nothing.
    EXPECT_FALSE(r.exists("print/err4"));
}

TEST(ErrorMap, GivenRangeCutsIntoTheNumberOfBandsAtMostSixteen) {
    const std::string mesh = grid_deck(2, 2, 0, 0, 1, 1);
    auto sixteen = run_map(mesh, "DISERR=2,LEVEL=20,MIN=0,MAX=1,LASER=LEV\n");
    ASSERT_EQ(sixteen.status, 0) << show(sixteen);
    const Lines ps16 = sixteen.lines("print/lev");
    EXPECT_TRUE(multiples_of(all_grays(ps16), 15)) << sixteen.file("print/lev");
    EXPECT_TRUE(has_line(ps16, "0.933 s")) << sixteen.file("print/lev");
    auto thirteen = run_map(mesh, "DISERR=2,MIN=0,MAX=1,LASER=LEV\n");
    ASSERT_EQ(thirteen.status, 0) << show(thirteen);
    const Lines ps13 = thirteen.lines("print/lev");
    EXPECT_TRUE(multiples_of(all_grays(ps13), 12)) << thirteen.file("print/lev");
    EXPECT_TRUE(has_line(ps13, "0.917 s")) << thirteen.file("print/lev");
}

TEST(ErrorMap, MinAloneTakesTheUpperEndFromTheErrors) {
    auto r = run_map(grid_deck(2, 2, 0, 0, 1, 1), "DISERR=2,MIN=0,LASER=MIN\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const std::vector<double> g = element_fills(r.lines("print/min")).grays;
    ASSERT_EQ(g.size(), 4u) << r.file("print/min");
    EXPECT_GE(std::set<double>(g.begin(), g.end()).size(), 2u) << r.file("print/min");
}

TEST(ErrorMap, LogarithmicStretchOfATallStrip) {
    // [0,1] x [0,3]: y drawn as log2(1 + y), 2 high against 1 wide.
    auto r = run_map(grid_deck(1, 3, 0, 0, 1, 3), "DISERR=2,LASER=TALL\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const Fills f = element_fills(r.lines("print/tall"));
    ASSERT_EQ(f.grays.size(), 3u) << r.file("print/tall");
    // The page's first axis runs along y, its second along x.
    EXPECT_NEAR(f.extent1() / f.extent2(), 2.0, 0.02) << r.file("print/tall");
}

TEST(ErrorMap, StretchRefusedBelowMinusOneUntilYmultlMovesIt) {
    auto r = run_map(grid_deck(2, 2, -1, -1, 1, 1),
                     "DISERR=2,LASER=SQ1\nDISERR=2,YMULTL=-1,LASER=SQ2\n");
    ASSERT_EQ(r.status, 0) << show(r);
    const Lines err = errors(r);
    EXPECT_TRUE(
        has_line(err, " *** NO LOGARITHM FOR THE STRETCH: YMULTL MUST BE BELOW  0.0000E+00"))
        << show(r);
    EXPECT_FALSE(r.exists("print/sq1"));
    expect_renders(r, "print/sq2");
    EXPECT_EQ(element_fills(r.lines("print/sq2")).grays.size(), 4u);
}

TEST(ErrorMap, PictureByLevelDrawsEachInitialElementAUnitSquare) {
    auto r = run_map(grid_deck(2, 1, 0, 0, 3, 1),
                     "DISERR=2,ART\nELSET=MESH,LASER=A2\nDISERR=2,NOART,LASER=B2\n");
    ASSERT_EQ(r.status, 0) << show(r);
    expect_renders(r, "print/a2");
    const Fills art = element_fills(r.lines("print/a2"));
    ASSERT_EQ(art.grays.size(), 2u) << r.file("print/a2");
    EXPECT_NEAR(art.extent2() / art.extent1(), 2.0, 0.02) << r.file("print/a2");
    const Fills plain = element_fills(r.lines("print/b2"));
    EXPECT_NEAR(plain.extent2() / plain.extent1(), 3.0, 0.03) << r.file("print/b2");
}

TEST(ErrorMap, PictureByLevelLeavesTheMeshAsItWasAndRefusesWhatItCannotHold) {
    const std::string refine4 =
        "MESH\nREFINE,GLOBAL\nREFINE,GLOBAL\nREFINE,GLOBAL\nREFINE,GLOBAL\nEND\n";
    auto r = run_kavren(
        colour_job(grid_deck(2, 2, 0, 0, 1, 1) + kOmegaExp + kEnter + refine4 +
                   "SOLVE\nERREST\nDISERR=2,ART\nELSET=MESH,LASER=FINE\nSOLVE\nERREST\n"
                   "MESH\nREFINE,GLOBAL\nEND\nDISERR=2,ART\nELSET=MESH,LASER=BIG\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    expect_renders(r, "print/fine");
    EXPECT_EQ(element_fills(r.lines("print/fine")).grays.size(), 1024u);
    // Both ERREST listings alike: no node pointer was moved by the picture.
    const Lines out = r.out_lines();
    std::vector<std::string> listings;
    for (std::size_t i = 0; i + 4 < out.size(); ++i)
        if (out[i].rfind(" TOTAL NDOF=", 0) == 0)
            listings.push_back(out[i] + out[i + 1] + out[i + 2] + out[i + 3] + out[i + 4]);
    ASSERT_EQ(listings.size(), 2u) << show(r);
    EXPECT_EQ(listings[0], listings[1]);
    EXPECT_NE(listings[0].find(" TOTAL NDOF=  1089"), std::string::npos) << listings[0];
    // 4096 elements do not fit the picture's tables.
    EXPECT_NE(r.out.find("TOO BIG N"), std::string::npos) << show(r);
    EXPECT_FALSE(r.exists("print/big"));
}

TEST(ErrorMap, ErrorsOfAnotherMeshAreMarkedNotCurrentAndStillDrawn) {
    auto r = run_kavren(colour_job(grid_deck(2, 2, 0, 0, 1, 1) + kOmegaExp + kEnter +
                                   "DISERR=2,LASER=NONE\nSOLVE\nERREST\nDISERR=2,LASER=NOW\n"
                                   "ADAPTH\nDISERR=2,LASER=OLD\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    const Lines err = errors(r);
    EXPECT_EQ(std::count(err.begin(), err.end(), " *** WARNING: ERRORS ARE NOT CURRENT ***"), 2)
        << show(r);
    EXPECT_TRUE(r.exists("print/none"));
    EXPECT_TRUE(r.exists("print/now"));
    expect_renders(r, "print/old");
}

TEST(ErrorMap, NoMapWithoutAHandedOverMesh) {
    Project p = colour_job(
        "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\n"
        "END\nEND\nELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\nEND\n" +
        std::string(kEnter) + "DISERR=2,LASER=NOMESH\nQUIT\n");
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(
        has_line(errors(r), " *** NO USABLE MESH: THE LAST GEOMETRY WAS NOT HANDED OVER ***"))
        << show(r);
    EXPECT_FALSE(r.exists("print/nomesh"));
}

TEST(ErrorMap, WithoutAUserNameTheBoxIsWrittenOnceAndTheMapsStillAre) {
    Project p = colour_job(grid_deck(2, 2, 0, 0, 1, 1) + kOmegaExp + kEnter +
                           "SOLVE\nERREST\nDISERR=1,LASER=ONE\nDISERR=3,LASER=THREE\nQUIT\n");
    p.environment["UNAME"] = std::nullopt;
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    const Lines out = r.out_lines();
    EXPECT_EQ(std::count(out.begin(), out.end(), " | please, type: export UNAME=your_surname |"), 1)
        << show(r);
    expect_renders(r, "print/one");
    expect_renders(r, "print/three");
}

}  // namespace
}  // namespace kavren::e2e
