// End-to-end runs of the EXECUTE driver that solve and adapt: exact
// reproduction of solutions in the element space across hanging nodes, the
// rates of uniform h-refinement, exponential convergence of p-steps, h-steps
// at the re-entrant corner of the L-shaped domain, the dof counts of the
// driver's mesh level, its commands, and a replay of the command log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

// The unit square in 2 x 2 elements of order 1: Dirichlet on boundaries 1 and
// 4, Robin on 2, Neumann on 3 (the built-in problem chooses by number).
// Every side is a Dirichlet side (boundary numbers other than 2 and 3): the
// Robin and Neumann sides integrate their loads with the Lobatto rule of the
// side's order, which is not exact for the data of these solutions at a corner
// where two such sides meet.
const char* const kSquare =
    "STANDARD\nHEAT\nGEOMETRY\n"
    "NODES\nGRID\nPOINT=4,IJ=1,1,3,3\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=2\nJLOOP=2\nLINEAR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=5,IJ=3,1,3,3\nBOUNDARY=6,IJ=1,3,3,3\n"
    "BOUNDARY=4,IJ=1,1,1,3\nEND\nEND\n";

// One 4-node element on the unit square, Dirichlet all round.
const char* const kOne =
    "STANDARD\nHEAT\nGEOMETRY\n"
    "NODES\nGRID\nPOINT=4,IJ=1,1,2,2\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nLINEAR,1,1\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,2,1\nIJ=2,1,2,2\nIJ=1,2,2,2\nIJ=1,1,1,2\nEND\nEND\n";

// The L-shaped domain [0,2] x [0,2] without (1,2] x (1,2], 12 elements.
const char* const kLShape =
    "STANDARD\nHEAT\nGEOMETRY\nNODES\nGRID\n"
    "POINT=4,IJ=1,1,5,3\nXY,0,0,XY,2,0,XY,2,1,XY,0,1\n"
    "POINT=4,IJ=1,1,3,3,REGION=TOP\nXY,0,1,XY,1,1,XY,1,2,XY,0,2\nEND\nEND\n"
    "ELEMENT\nILOOP=4\nJLOOP=2\nLINEAR,1,1,REGION=ONE\nENDLOOPS\n"
    "ILOOP=2\nJLOOP=2\nLINEAR,1,1,REGION=TOP\nENDLOOPS\nEND\n"
    "BOUNDARY\nREGION=ONE\nBOUNDARY=1,IJ=1,1,5,1\nBOUNDARY=2,IJ=5,1,5,3\nIJ=3,3,5,3\n"
    "BOUNDARY=4,IJ=1,1,1,3\nREGION=TOP\nBOUNDARY=2,IJ=3,1,3,3\nBOUNDARY=3,IJ=1,3,3,3\n"
    "BOUNDARY=4,IJ=1,1,1,3\nEND\nEND\n";

// The evaluator's "+" binds tighter than "-": every sum is parenthesised.
const char* const kOmegaXY = "%\nOMEGA=X*Y\nOMEGAX=Y\nOMEGAY=X\n%\n";
const char* const kOmegaX2Y2 =
    "%\nOMEGA=(X^2)*(Y^2)\nOMEGAX=2*X*(Y^2)\nOMEGAY=2*(X^2)*Y\n"
    "OMEGAXX=2*(Y^2)\nOMEGAYY=2*(X^2)\nOMEGAXY=4*X*Y\n%\n";
const char* const kOmegaExp =
    "%\nOMEGA=EXP(X+Y)\nOMEGAX=OMEGA\nOMEGAY=OMEGA\nOMEGAXX=OMEGA\nOMEGAYY=OMEGA\n"
    "OMEGAXY=OMEGA\n%\n";
// r^(2/3) sin(2t/3) about the corner (1,1), t from the edge x = 1, y > 1;
// harmonic, so the second derivatives are given as 0. The angle is written
// with ACOS (ATAN2 prints a line at every evaluation).
const char* const kOmegaCorner =
    "%\nDX=X-1\nDY=Y-1\nR=SQRT((DX*DX)+(DY*DY))\nRS=(R>0)?R:1\nC=MAX(-1,MIN(1,DX/RS))\n"
    "PHI=(DY>0)?ACOS(C):((2*3.141592653589793)-ACOS(C))\nT=PHI-(3.141592653589793/2)\n"
    "A=2/3\nOMEGA=(R^A)*SIN(A*T)\nG=(A*(R^A))/RS\nOMEGAX=G*SIN((A*T)-PHI)\n"
    "OMEGAY=G*COS((A*T)-PHI)\nOMEGAXX=0\nOMEGAYY=0\nOMEGAXY=0\n%\n";

const char* const kEnter2 = "EXECUTE\nNDIMEN=2\nNRBREAKS=0\n";

Project with_deck(const std::string& deck) {
    Project p;
    p.files["decks/job.com"] = deck;
    p.input = "job\n";
    return p;
}

// One ERREST listing.
struct Errest {
    int ndof = 0;
    double lgndof = 0, l2 = 0, lgl2 = 0, h1 = 0, lgh1 = 0;
};

std::vector<Errest> errests(const std::vector<std::string>& out) {
    std::vector<Errest> v;
    for (std::size_t i = 0; i + 4 < out.size(); ++i) {
        if (out[i].rfind(" TOTAL NDOF=", 0) != 0) continue;
        Errest e;
        e.ndof = std::stoi(out[i].substr(12, 6));
        e.lgndof = std::stod(out[i].substr(28));
        e.l2 = std::stod(out[i + 2].substr(6, 12));
        e.lgl2 = std::stod(out[i + 2].substr(28));
        e.h1 = std::stod(out[i + 3].substr(6, 12));
        e.lgh1 = std::stod(out[i + 3].substr(28));
        v.push_back(e);
    }
    return v;
}

std::string repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

TEST(ExecuteSolve, BilinearSolutionIsExactAcrossHangingNodes) {
    // The first ADAPTH works on the norms of X*Y: three of the four elements
    // carry more than 0.9 of the squared total, so element 1 gets hanging
    // nodes on two sides; the second adds a level at the corner (1,1).
    auto r = run_kavren(with_deck(kSquare + std::string(kOmegaXY) + kEnter2 +
                                  "ERREST\nADAPTH\nERREST\nADAPTH\nSOLVE\nERREST\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    auto iel = std::find_if(out.begin(), out.end(),
                            [](const std::string& l) { return l.rfind(" IEL=", 0) == 0; });
    ASSERT_NE(iel, out.end()) << show(r);
    EXPECT_EQ(*iel, " IEL= 2") << show(r);
    auto e = errests(out);
    ASSERT_EQ(e.size(), 3u) << show(r);
    EXPECT_GT(e[2].ndof, e[0].ndof);
    EXPECT_LT(e[2].l2, 1e-6) << show(r);
    EXPECT_LT(e[2].h1, 1e-6) << show(r);
}

TEST(ExecuteSolve, BiquadraticSolutionIsExactOnceEveryOrderIsTwo) {
    auto r = run_kavren(with_deck(kSquare + std::string(kOmegaX2Y2) + kEnter2 +
                                  "ERREST\nADAPTH\nMESH\nENRICH,GLOBAL,ORDER=2\nEND\n"
                                  "SOLVE\nERREST\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto e = errests(r.out_lines());
    ASSERT_EQ(e.size(), 2u) << show(r);
    EXPECT_LT(e[1].l2, 1e-6) << show(r);
    EXPECT_LT(e[1].h1, 1e-6) << show(r);
}

TEST(ExecuteSolve, UniformRefinementHalvesAtTheRatesOfOrderOne) {
    const std::string step = "SOLVE\nERREST\nMESH\nREFINE,GLOBAL\nEND\n";
    auto r = run_kavren(with_deck(kSquare + std::string(kOmegaExp) + kEnter2 + repeat(step, 4) +
                                  "SOLVE\nERREST\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto e = errests(r.out_lines());
    ASSERT_EQ(e.size(), 5u) << show(r);
    // Meshes of 2, 4, 8, 16, 32 elements a side: the last halvings show the
    // rates h^1 in H1 and h^2 in L2.
    for (std::size_t k = 2; k < e.size(); ++k) {
        EXPECT_NEAR(e[k - 1].lgh1 - e[k].lgh1, 0.30, 0.05) << k << "\n" << show(r);
        EXPECT_NEAR(e[k - 1].lgl2 - e[k].lgl2, 0.60, 0.08) << k << "\n" << show(r);
    }
}

TEST(ExecuteSolve, PStepsConvergeExponentially) {
    const std::string step = "SOLVE\nERREST\nADAPTP\n";
    auto r = run_kavren(
        with_deck(kSquare + std::string(kOmegaExp) + kEnter2 + repeat(step, 4) + "QUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto e = errests(r.out_lines());
    ASSERT_EQ(e.size(), 4u) << show(r);
    // The slope -dlog10(H1)/dlog10(NDOF) grows from step to step.
    std::vector<double> slope;
    for (std::size_t k = 1; k < e.size(); ++k)
        slope.push_back(-(e[k].lgh1 - e[k - 1].lgh1) / (e[k].lgndof - e[k - 1].lgndof));
    EXPECT_LT(slope[0], slope[1]) << show(r);
    EXPECT_LT(slope[1], slope[2]) << show(r);
}

TEST(ExecuteSolve, HStepsGatherAtTheReentrantCorner) {
    // Uniform halvings lower the H1 error of r^(2/3) like NDOF^(-1/3). The
    // adaptive steps mark the elements that carry 0.9 of the squared error,
    // which near the corner singularity is most of them, yet they still beat
    // the uniform rate over the seven steps.
    const std::string step = "SOLVE\nERREST\nADAPTH\n";
    auto r = run_kavren(with_deck(kLShape + std::string(kOmegaCorner) + kEnter2 + repeat(step, 7) +
                                  "SOLVE\nERREST\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto e = errests(r.out_lines());
    ASSERT_EQ(e.size(), 8u) << show(r);
    for (std::size_t k = 1; k < e.size(); ++k)
        EXPECT_LT(e[k].h1, e[k - 1].h1) << k << "\n" << show(r);
    const double rate = -(e.back().lgh1 - e[0].lgh1) / (e.back().lgndof - e[0].lgndof);
    EXPECT_GT(rate, 0.38) << show(r);
    // The H1 seminorm of the solution is 1.3550744119328512: the first
    // relative error lies well below 1.
    EXPECT_LT(e[0].h1 / 1.3550744119328512, 0.5) << show(r);
}

TEST(ExecuteSolve, DofCountsOfDirectionalSplits) {
    auto r = run_kavren(with_deck(kOne + std::string(kEnter2) +
                                  "ERREST\nMESH\nREFINEX,1\nEND\nERREST\n"
                                  "MESH\nREFINEY,2\nEND\nERREST\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto e = errests(r.out_lines());
    ASSERT_EQ(e.size(), 3u) << show(r);
    EXPECT_EQ(e[0].ndof, 4);
    EXPECT_EQ(e[1].ndof, 6);
    EXPECT_EQ(e[2].ndof, 7);
}

TEST(ExecuteSolve, MeshLevelCommandsWithTheirMessages) {
    auto r = run_kavren(with_deck(kSquare + std::string(kEnter2) +
                                  "MESH\nREFINE,1\nREFINEX,2\nREFINEY,3\nUNREFINE,4\n"
                                  "ENRICH,4,ORDER=9\nENRICH,GLOBAL,INCREMENT=1\nREFINE,1\nEND\n"
                                  "ERREST\nQUIT\n"));
    ASSERT_EQ(r.status, 0) << show(r);
    auto err = r.lines("decks/job.err");
    auto has = [](const std::vector<std::string>& v, const std::string& l) {
        return std::find(v.begin(), v.end(), l) != v.end();
    };
    EXPECT_TRUE(has(err, " ELEMENT    4 HAS NOT BEEN REFINED YET!")) << show(r);
    EXPECT_TRUE(has(err, " WARNING: REQUEST IMPOSSIBLE")) << show(r);
    EXPECT_TRUE(has(err, " THIS ELEMENT HAS ALREADY BEEN REFINED")) << show(r);
    // Every change is journaled as a replayable command.
    auto log = r.lines("decks/job.out");
    for (const char* j : {"REFINE,1", "REFINEX,2", "REFINEY,3", "ENRICH,4,ORDER=9"}) {
        bool found = false;
        for (const auto& l : log) found = found || l.find(j) != std::string::npos;
        EXPECT_TRUE(found) << j << "\n" << r.file("decks/job.out");
    }
    EXPECT_EQ(errests(r.out_lines()).size(), 1u) << show(r);
}

TEST(ExecuteSolve, CommandLogReplaysToTheSameErrors) {
    auto first = run_kavren(with_deck(
        kLShape + std::string(kOmegaCorner) + kEnter2 +
        "SOLVE\nERREST\nADAPTH\nSOLVE\nERREST\nADAPTP\nMESH\nREFINE,3\nENRICH,5,ORDER=3\nEND\n"
        "SOLVE\nERREST\nQUIT\n"));
    ASSERT_EQ(first.status, 0) << show(first);
    auto again = run_kavren(with_deck(first.file("decks/job.out") + "QUIT\n"));
    ASSERT_EQ(again.status, 0) << show(again);
    auto a = errests(first.out_lines()), b = errests(again.out_lines());
    ASSERT_EQ(a.size(), 3u) << show(first);
    ASSERT_EQ(b.size(), a.size()) << show(again);
    for (std::size_t k = 0; k < a.size(); ++k) {
        EXPECT_EQ(b[k].ndof, a[k].ndof) << k;
        EXPECT_EQ(b[k].l2, a[k].l2) << k;
        EXPECT_EQ(b[k].h1, a[k].h1) << k;
    }
}

}  // namespace
}  // namespace kavren::e2e
