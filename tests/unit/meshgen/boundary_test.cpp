// The BOUNDARY level, the mesh completion (merge, boundary numbers,
// neighbours, compaction) and the SETS level.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "geometry_fixture.hpp"
#include "meshgen/tables.hpp"
#include "support/units.hpp"

namespace kavren::testing {
namespace {

std::string square(const std::string& boundary) {
    return std::string("GEOMETRY\n") + kSquareNodes + kSquareElements + boundary;
}

TEST_F(GeneratorTest, BoundaryLinesAreJournaledInCanonicalForm) {
    geometry(
        square("BOUNDARY\nBOUNDARY=3,IJ=1,1,3,1\nIJ=3,3,1,3\nBOUNDARY=WALL\nIJ=3,1,3,3\n"
               "BOUNDARY=4\nIJ=1,1,1,3\nEND\nEND\n"));
    ASSERT_EQ(cbcons.NBLIN, 4) << errors();
    const int expect[4][6] = {
        {-3, 1, 3, 1, 1, 1}, {-3, 1, 3, 3, 3, 1}, {-1, 3, 3, 1, 3, 1}, {-4, 1, 1, 1, 3, 1}};
    for (int l = 1; l <= 4; ++l) {
        EXPECT_EQ(cbcons.IBND(l), expect[l - 1][0]) << l;
        EXPECT_EQ(cbcons.IMINB(l), expect[l - 1][1]) << l;
        EXPECT_EQ(cbcons.IMAXB(l), expect[l - 1][2]) << l;
        EXPECT_EQ(cbcons.JMINB(l), expect[l - 1][3]) << l;
        EXPECT_EQ(cbcons.JMAXB(l), expect[l - 1][4]) << l;
        EXPECT_EQ(cbcons.IREGB(l), expect[l - 1][5]) << l;
    }
    // Two lines so far, but 3 is boundary 3's number: WALL takes the lowest
    // number no line uses. BOUNDARY=4 later is a number.
    EXPECT_EQ(cbcons1.BNAME(1).trimmed(), "WALL");
    EXPECT_TRUE(cbcons1.BNAME(3).blank());
    EXPECT_TRUE(cbcons1.BNAME(4).blank());
    EXPECT_EQ(cbcons2.LASTBC, 4);
    std::string log = file("decks/t.out");
    EXPECT_NE(log.find("   BOUNDARY\n      BOUNDARY,3\n      IJ,1,1,3,1\n      IJ,1,3,3,3\n"
                       "      BOUNDARY,WALL\n      IJ,3,1,3,3\n      BOUNDARY,4\n      IJ,1,1,1,3\n"
                       "   END\nEND\n"),
              std::string::npos)
        << log;
}

TEST_F(GeneratorTest, NamedBoundariesNeverShareANumberWithAnother) {
    geometry(
        square("BOUNDARY\nBOUNDARY=3,IJ=1,1,3,1\nBOUNDARY=WALL,IJ=3,1,3,3\n"
               "BOUNDARY=ROOF,IJ=1,3,3,3\nBOUNDARY=4,IJ=1,1,1,3\nEND\nEND\n"));
    ASSERT_EQ(cbcons.NBLIN, 4) << errors();
    EXPECT_EQ(cbcons.IBND(1), -3);
    EXPECT_EQ(cbcons.IBND(2), -2);
    EXPECT_EQ(cbcons.IBND(3), -1);
    EXPECT_EQ(cbcons.IBND(4), -4);
    EXPECT_EQ(cbcons1.BNAME(2).trimmed(), "WALL");
    EXPECT_EQ(cbcons1.BNAME(1).trimmed(), "ROOF");
}

// A quarter ring: inner arc of radius 1 (curve 1) at J = 1, outer arc of
// radius 2 (curve 2) at J = 3, I running from the y axis to the x axis.
const char* const kRing =
    "GEOMETRY\nNODES\nELLIPSE\nIJ=1,1,5,1,ANGLE=90,0,RADII=1,1\n"
    "IJ=1,3,5,3,ANGLE=90,0,RADII=2,2\nEND\nCONNECT\nIJ=1,1,1,3,NLINE=5\nEND\nEND\n"
    "ELEMENT\nJLOOP=2\nILOOP=4\nLINEAR,1,1\nENDLOOPS\nEND\n";

TEST_F(GeneratorTest, ABoundaryIsCurvedOnlyWhenEveryLineOfItLiesOnTheCurve) {
    // Boundary 1 in two curved halves given across a re-selection; boundary 3
    // curved, then re-selected for a straight line; boundary 4 one element
    // side long.
    geometry(std::string(kRing) +
             "BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=3,IJ=1,3,5,3\nBOUNDARY=2,IJ=5,1,5,3\n"
             "BOUNDARY=1,IJ=3,1,5,1\nBOUNDARY=3,IJ=1,2,1,3\nBOUNDARY=4,IJ=1,1,1,2\nEND\nEND\n");
    ASSERT_EQ(errors(), "");
    EXPECT_EQ(cgeomtyp.IBCURV(1), 101);
    EXPECT_EQ(cgeomtyp.IBCURV(2), 0);
    EXPECT_EQ(cgeomtyp.IBCURV(3), 0);
    EXPECT_EQ(cgeomtyp.IBCURV(4), 0);
}

TEST_F(GeneratorTest, TheRingsArcsAreTaggedWithTheirOwnCurves) {
    geometry(std::string(kRing) +
             "BOUNDARY\nBOUNDARY=1,IJ=1,1,5,1\nBOUNDARY=2,IJ=5,1,5,3\nBOUNDARY=3,IJ=1,3,5,3\n"
             "BOUNDARY=4,IJ=1,1,1,3\nEND\nEND\n");
    ASSERT_EQ(errors(), "");
    EXPECT_EQ(cgeomtyp.IBCURV(1), 101);
    EXPECT_EQ(cgeomtyp.IBCURV(2), 0);
    EXPECT_EQ(cgeomtyp.IBCURV(3), 201);
    EXPECT_EQ(cgeomtyp.IBCURV(4), 0);
    EXPECT_EQ(ccon.NNODG, 15);
}

TEST_F(GeneratorTest, NamingABoundaryAgainByNumberClearsItsName) {
    geometry(
        square("BOUNDARY\nBOUNDARY=OUTER\nIJ=1,1,3,1\nIJ=3,1,3,3\nIJ=1,3,3,3\nIJ=1,1,1,3\n"
               "BOUNDARY=1\nEND\nEND\n"));
    EXPECT_TRUE(cbcons1.BNAME(1).blank());
    for (int l = 1; l <= 4; ++l) EXPECT_EQ(cbcons.IBND(l), -1);
}

struct BoundaryRefusal {
    const char* name;
    const char* record;
    const char* message;
};

const BoundaryRefusal kBoundaryRefusals[] = {
    {"number_above_50", "BOUNDARY=51,IJ=1,1,3,1", " *** BOUNDARY NUMBER OUT OF RANGE 1..50 ***"},
    {"number_zero", "BOUNDARY=0", " *** BOUNDARY NUMBER OUT OF RANGE 1..50 ***"},
    {"no_current_boundary", "IJ=1,1,3,1", " *** BOUNDARY NUMBER UNDEFINED ***"},
    {"unreadable", "BOUNDARY,,IJ=1,1,3,1", "  BOUNDARY IS UNREADABLE"},
    {"ij_not_numbers", "BOUNDARY=1,IJ=1,1,A,1", " *** IMIN,JMIN,IMAX,JMAX NOT INTEGERS ***"},
    {"diagonal", "BOUNDARY=1,IJ=1,1,3,3", " ****ERROR CONSTANT I OR J MUST BE SPECIFIED****"},
    {"mouse_pick", "BOUNDARY=1,IJ",
     " *** IJ WITHOUT BOUNDS: PICKING WITH THE MOUSE IS NOT AVAILABLE ***"},
};

class BoundaryRefusals : public GeneratorTest,
                         public ::testing::WithParamInterface<BoundaryRefusal> {};

TEST_P(BoundaryRefusals, AddNoLine) {
    geometry(square(std::string("BOUNDARY\n") + GetParam().record +
                    "\nBOUNDARY=1,IJ=1,1,3,1\nIJ=3,1,3,3\nIJ=1,3,3,3\nIJ=1,1,1,3\nEND\nEND\n"));
    EXPECT_EQ(cbcons.NBLIN, 4);
    std::string err = errors();
    EXPECT_NE(err.find(std::string(GetParam().message) + "\n"), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(Boundary, BoundaryRefusals, ::testing::ValuesIn(kBoundaryRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeneratorTest, OpenSidesKeepTheLevelUntilAnotherEnd) {
    geometry(
        square("BOUNDARY\nBOUNDARY=1,IJ=1,1,3,1\nBOUNDARY=2,IJ=3,1,3,3\n"
               "BOUNDARY=3,IJ=1,3,3,3\nEND\nBOUNDARY=4,IJ=1,1,1,3\nEND\nEND\n"));
    std::string err = errors();
    EXPECT_NE(err.find(" *** BOUNDARY NOT DEFINED FOR ELEMENT #  1\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" *** BOUNDARY NOT DEFINED FOR ELEMENT #  2\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("ELEMENT #  3"), std::string::npos) << err;
    EXPECT_EQ(cgeost.IBOUND, 1);
    // Elements by origin: 1 (1,1), 2 (1,2), 3 (2,1), 4 (2,2).
    const int neig[4][4] = {{-1, 3, 2, -4}, {1, 4, -3, -4}, {-1, -2, 4, 1}, {3, -2, -3, 2}};
    for (int e = 1; e <= 4; ++e)
        for (int k = 1; k <= 4; ++k) EXPECT_EQ(cneig.NEIG(k, e), neig[e - 1][k - 1]) << e << k;
    // The refused END is not echoed; the one that completed is.
    EXPECT_EQ(count_lines("decks/t.out", "   END"), 3);  // NODES, ELEMENT, BOUNDARY
}

// Two regions of one element each, generated apart, meet along x = 1.
const char* const kTwoRegions =
    "GEOMETRY\nNODES\nPOINT\n"
    "IJ=1,1,XY=0,0\nIJ=2,1,XY=1,0\nIJ=2,2,XY=1,1\nIJ=1,2,XY=0,1\n"
    "REGION=TWO,IJ=1,1,XY=1,0\nIJ=2,1,XY=2,0\nIJ=2,2,XY=2,1\nIJ=1,2,XY=1,1\nEND\nEND\n"
    "ELEMENT\nLINEAR,1,1,REGION=ONE\nLINEAR,1,1,REGION=TWO\nEND\n"
    "BOUNDARY\nREGION=ONE\nBOUNDARY=1,IJ=1,1,2,1\nBOUNDARY=3,IJ=1,2,2,2\nBOUNDARY=4,IJ=1,1,1,2\n"
    "REGION=TWO\nBOUNDARY=1,IJ=1,1,2,1\nBOUNDARY=2,IJ=2,1,2,2\nBOUNDARY=3,IJ=1,2,2,2\nEND\n"
    "END\n";

TEST_F(GeneratorTest, RegionsMeetingOnALineAreJoined) {
    ::testing::internal::CaptureStdout();
    geometry(kTwoRegions);
    units::flush_all();
    std::string out = ::testing::internal::GetCapturedStdout();
    // Which node of a coincident pair survives follows from the order the
    // column sort leaves equal x values in (traced by hand).
    EXPECT_NE(out.find(" MATCHING NODE NUMBERS :  2 5\n MATCHING NODE NUMBERS :  8 3\n"
                       " ELEMENT  1  NODE NUMBERS ADJUSTED\n ELEMENT  2  NODE NUMBERS ADJUSTED\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(errors(), "");
    ASSERT_EQ(cdata.NRNODS, 6);
    const int nick[2][4] = {{101, 401, 201, 301}, {401, 501, 601, 201}};
    const int neig[2][4] = {{-1, 2, -3, -4}, {-1, -2, -3, 1}};
    for (int e = 1; e <= 2; ++e)
        for (int k = 1; k <= 4; ++k) {
            EXPECT_EQ(celem.NICK(k, e), nick[e - 1][k - 1]) << e << k;
            EXPECT_EQ(cneig.NEIG(k, e), neig[e - 1][k - 1]) << e << k;
        }
    const double xy[6][2] = {{0, 0}, {1, 1}, {0, 1}, {1, 0}, {2, 0}, {2, 1}};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(cnode.XNOD(1, n), xy[n - 1][0]) << n;
        EXPECT_EQ(cnode.XNOD(2, n), xy[n - 1][1]) << n;
    }
}

// Every slot of the node table in use: (region, I, J, node).
struct SlotEntry {
    int region, i, j, node;
};
std::vector<SlotEntry> slots_in_use() {
    std::vector<SlotEntry> out;
    for (int r = 1; r <= MAXREG; ++r)
        for (int s = cnodet.IHEAD(r); s != 0; s = cnodet.NEXTG(s))
            out.push_back({r, cnodet.IG(s), cnodet.JG(s), cnodet.NODG(s)});
    return out;
}

TEST_F(GeneratorTest, SlotsFollowTheCompactionOfJoinedRegions) {
    // An orphan node first, so that the compaction moves every number.
    geometry(std::string(kTwoRegions)
                 .insert(std::string("GEOMETRY\nNODES\nPOINT\n").size(), "IJ=9,9,XY=7,7\n"));
    ASSERT_EQ(errors(), "");
    ASSERT_EQ(ccon.NNODG, 6);
    const std::vector<SlotEntry> slots = slots_in_use();
    ASSERT_EQ(slots.size(), 9u);
    for (const SlotEntry& e : slots) {
        if (e.i == 9) {
            EXPECT_EQ(e.node, 0) << "the orphan's slot carries no node";
            continue;
        }
        // Region ONE starts at x = 0, region TWO at x = 1.
        ASSERT_GE(e.node, 1);
        ASSERT_LE(e.node, 6);
        EXPECT_EQ(cnodet.XGEN(e.node), (e.i - 1) + (e.region - 1)) << e.region << e.i << e.j;
        EXPECT_EQ(cnodet.YGEN(e.node), e.j - 1) << e.region << e.i << e.j;
    }
    for (int n = 1; n <= 6; ++n) {
        int i = 0, j = 0, r = 0, c = 0;
        fnref(n, i, j, r, c);
        ASSERT_NE(r, 0) << n;
        EXPECT_EQ(cnodet.XGEN(n), (i - 1) + (r - 1)) << n;
        EXPECT_EQ(cnodet.YGEN(n), j - 1) << n;
    }
}

TEST_F(GeneratorTest, CompletionDropsNodesNoElementUses) {
    geometry(std::string("GEOMETRY\nNODES\nPOINT\nIJ=9,9,XY=5,5\nEND\n") + kSquareNodes +
             kSquareElements + kSquareBoundary + "END\n");
    // The orphan node 1 is gone and the grid nodes 2..10 became 1..9.
    EXPECT_EQ(ccon.NNODG, 9);
    EXPECT_EQ(cdata.NRNODS, 9);
    EXPECT_EQ(celem.NICK(1, 1), 101);
    EXPECT_EQ(cnode.XNOD(1, 9), 1.0);
    EXPECT_EQ(cnode.XNOD(2, 9), 1.0);
}

//// SETS ////

std::string square_with_sets(const std::string& sets) {
    return square(std::string(kSquareBoundary) + "SETS\n" + sets + "END\nEND\n");
}

std::vector<int> set_list(int s) {
    std::vector<int> out;
    for (int p = csetf.ISFRST(s); p != 0; p = csetf.ISNEXT(p)) out.push_back(csetf.ISELEM(p));
    return out;
}

TEST_F(GeneratorTest, SetsAndProfilesCollectElementsAndSides) {
    geometry(
        square_with_sets("ADD,4\nELSET=LEFT\nADD,1,LOOP=2\nELSET=ODD\nADD,1,LOOP=2,STEP=2\n"
                         "PROFILE=P\nADD,2,SIDE=3\nADD,4,SIDE=3\n"));
    EXPECT_EQ(csetf.NSET, 3);
    EXPECT_EQ(set_list(2), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(set_list(3), (std::vector<int>{1, 3, 0}));
    EXPECT_EQ(csetf.ISCUR, 1);
    EXPECT_EQ(cprofi.IPCUR, 1);
    std::vector<int> sides;
    for (int p = cprofi.IPFRST(1); p != 0; p = cprofi.IPNEXT(p))
        sides.insert(sides.end(), {cprofi.IPELEM(p), cprofi.IPSIDE(p)});
    EXPECT_EQ(sides, (std::vector<int>{2, 3, 4, 3, 0, 0}));
    EXPECT_EQ(errors(), "");
}

TEST_F(GeneratorTest, SetsRefusals) {
    geometry(
        square_with_sets("ELSET=A\nADD,1,LOOP=3,STEP=2\nADD,5\nADD,X\nADD,1,LOOP=Q\n"
                         "PROFILE=P\nADD,1\nADD,1,SIDE=Z\n"));
    std::string err = errors();
    EXPECT_NE(err.find(" ** ELEMENT   5 NONEXISTENT\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" *** STARTING ELEMENT NON EXISTENT\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" *** STARTING ELEMENT NOT DEFINED\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" *** NO INDICE AFTER LOOP\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" ** SIDE OPTION MISSING\n"), std::string::npos) << err;
    EXPECT_NE(err.find("  J  IS NOT DEFINED AFTER \"SIDE\"\n"), std::string::npos) << err;
    EXPECT_EQ(set_list(2), (std::vector<int>{0}));
    EXPECT_EQ(cprofi.IPELEM(cprofi.IPFRST(1)), 0);
}

}  // namespace
}  // namespace kavren::testing
