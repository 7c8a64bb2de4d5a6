#include "hpmesh/setup.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "control/reader.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/mesh.hpp"

namespace kavren::testing {
namespace {

using SetupTest = MeshTest;

// A 2 x 2 mesh of unit squares with 9 vertex nodes numbered row by row, as a
// hand-over leaves it: nicknames, neighbours and coordinates only.
void handed_over_two_by_two() {
    cdata.NRELIN = 4;
    cdata.NRNODS = 9;
    const int corner[5] = {0, 1, 2, 4, 5};  // lower-left node of each element
    for (int e = 1; e <= 4; ++e) {
        const int n = corner[e];
        const int v[4] = {n, n + 1, n + 4, n + 3};
        for (int k = 1; k <= 4; ++k) celem.NICK(k, e) = v[k - 1] * 100 + 1;
    }
    const int neig[4][4] = {{-1, 2, 3, -4}, {-1, -2, 4, 1}, {1, 4, -3, -4}, {2, -2, -3, 3}};
    for (int e = 1; e <= 4; ++e)
        for (int k = 1; k <= 4; ++k) cneig.NEIG(k, e) = neig[e - 1][k - 1];
    for (int n = 1; n <= 9; ++n) {
        cnode.XNOD(1, n) = (n - 1) % 3;
        cnode.XNOD(2, n) = (n - 1) / 3;
    }
}

TEST_F(SetupTest, SetUpOfFourElementsAndNineNodesStartsEveryFreeListInOrder) {
    handed_over_two_by_two();
    ceqsys.MXEQNS = 2;
    setcon(icolu.ICOLU);
    setvec();
    EXPECT_EQ(icolu.ICOLU, 128000);
    EXPECT_EQ(ceqsys.MXEQNS, 4);
    EXPECT_EQ(cdata.NRELEM, 4);
    EXPECT_EQ(cdata.NRDOF, 9);
    EXPECT_EQ(cdata.NRFAM, 0);
    EXPECT_EQ(cpoint.NPNOD, 10);
    EXPECT_EQ(cpoint.NPDOF, 10);
    EXPECT_EQ(cpoint.NPFAM, 1);
    EXPECT_EQ(cnode.NODPTR(9), 9);
    EXPECT_EQ(cnode.NODPTR(10), 11);
    EXPECT_EQ(cnode.NODPTR(MAXNOD), 0);
    EXPECT_EQ(cnu.NU(9), 0);
    EXPECT_EQ(cnu.NU(10), 11);
    EXPECT_EQ(cnu.NU(MAXDOF), 0);
    EXPECT_EQ(ctree.TREE(2, 1), 2);
    EXPECT_EQ(ctree.TREE(2, MAXFAM), 0);
    EXPECT_TRUE(database_consistent());
}

TEST_F(SetupTest, AnEmptyMeshHasEveryNodeDofAndFamilyFree) {
    setcon(icolu.ICOLU);
    setvec();
    EXPECT_EQ(cpoint.NPNOD, 1);
    EXPECT_EQ(cpoint.NPDOF, 1);
    EXPECT_EQ(cdata.NRELEM, 0);
    EXPECT_TRUE(database_consistent());
}

TEST_F(SetupTest, ASecondMeshFindsNoFamilyOfTheFirst) {
    MeshBuilder b(2, 2);
    b.split4(1);
    b.split4(2);
    ASSERT_EQ(b.build(), "");
    ASSERT_GT(cdata.NRFAM, 0);
    celem.NICK.fill(0);
    handed_over_two_by_two();
    setcon(icolu.ICOLU);
    setvec();
    for (int f = 1; f <= MAXFAM; ++f) ASSERT_EQ(ctree.TREE(1, f), 0) << f;
    for (int e = 1; e <= MAXIEL; ++e) ASSERT_EQ(ctree.NFSON(e), 0) << e;
    EXPECT_TRUE(database_consistent());
}

TEST_F(SetupTest, TheSetUpCapacitiesAreCheckedBeforehand) {
    struct Case {
        int nrelin, nrnods, rc;
        const char* message;
    };
    const Case cases[] = {{500, 39999, 0, ""},
                          {501, 4, 1, " PARAMETER MAXIEL TOO SMALL!\n"},
                          {1, 40000, 1, " PARAMETER MAXNOD TOO SMALL!\n"}};
    for (const Case& c : cases) {
        units::open_text(cinout.LUERR, "decks/t.err", units::Open::create);
        EXPECT_EQ(check_initial_capacity(c.nrelin, c.nrnods), c.rc);
        EXPECT_EQ(file("decks/t.err"), c.message);
    }
}

TEST_F(SetupTest, TwoSwapsRestoreBothArraysAndLeaveFreeRowsAlone) {
    MeshBuilder b(2, 1);
    b.split4(2);
    b.default_order(3);
    ASSERT_EQ(b.build(), "");
    ceqsys.NREQNS = 2;
    for (int d = 1; d <= MAXDOF; ++d)
        for (int k = 1; k <= 4; ++k) {
            cuold.UOLD(d, k) = d + 0.25 * k;
            cunew.UNEW(d, k) = -d - 0.5 * k;
        }
    std::vector<char> in_use(MAXDOF + 1, 1);
    for (int d = cpoint.NPDOF; d != 0; d = cnu.NU(d)) in_use[static_cast<std::size_t>(d)] = 0;
    transfer(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS);
    for (int d = 1; d <= MAXDOF; ++d) {
        for (int k = 1; k <= 4; ++k) {
            const bool swapped = in_use[static_cast<std::size_t>(d)] && k <= 2;
            ASSERT_EQ(cuold.UOLD(d, k), swapped ? -d - 0.5 * k : d + 0.25 * k) << d << " " << k;
            ASSERT_EQ(cunew.UNEW(d, k), swapped ? d + 0.25 * k : -d - 0.5 * k) << d << " " << k;
        }
    }
    EXPECT_TRUE(database_consistent());  // no visit mark left
    transfer(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS);
    for (int d = 1; d <= MAXDOF; ++d)
        for (int k = 1; k <= 4; ++k) {
            ASSERT_EQ(cuold.UOLD(d, k), d + 0.25 * k);
            ASSERT_EQ(cunew.UNEW(d, k), -d - 0.5 * k);
        }
}

//// the initial-mesh reader ////

const char* const GRID_2X2 =
    "2 3 2\n"
    "1 1\n"
    "0 1\n"
    "4, 9\n"
    "101 201 501 401 0 0 0 0 0\n"
    "201 301 601 501 0 0 0\n"
    "    0 0\n"
    "401 501 801 701 0 0 0 0 0 99 99\n"
    "501 601 901 801 0 0 0 0 0\n"
    "-1 2 3 -4\n-1 -2 4 1\n1 4 -3 -4\n2 -2 -3 3\n"
    "0 0\n1.0 0\n2 0\n0 1\n1 1\n2 1\n0 2\n1 2\n2 2\n";

class DataTest : public SetupTest {
  protected:
    int read_grid(const std::string& name, const std::string& contents) {
        std::ofstream(dir / "data" / name) << contents;
        deck("DATA," + name + "\n");
        EXPECT_EQ(read(), 0);
        return data(cuold.UOLD.data(), cunew.UNEW.data(), icolu.ICOLU);
    }
};

TEST_F(DataTest, ReadsAMeshInTheDatabaseLayout) {
    cuold.UOLD(3, 1) = 5.0;
    EXPECT_EQ(read_grid("GRID", GRID_2X2), 0);
    EXPECT_EQ(ceqsys.NREQNS, 2);
    EXPECT_EQ(ceqsys.MXEQNS, 4);
    EXPECT_EQ(csymet.ISYMET, 2);
    EXPECT_EQ(ceqsys.ICOUPL(1, 1), 1);
    EXPECT_EQ(ceqsys.ICOUPL(1, 2), 1);
    EXPECT_EQ(ceqsys.ICOUPL(2, 1), 0);
    EXPECT_EQ(ceqsys.ICOUPL(2, 2), 1);
    EXPECT_EQ(cdata.NRELIN, 4);
    EXPECT_EQ(cdata.NRNODS, 9);
    EXPECT_EQ(celem.NICK(3, 4), 901);
    EXPECT_EQ(celem.NICK(9, 3), 0);  // the values after the ninth were dropped with their line
    EXPECT_EQ(cneig.NEIG(2, 1), 2);
    EXPECT_EQ(cnode.XNOD(1, 9), 2.0);
    EXPECT_EQ(icolu.ICOLU, 128000);
    EXPECT_EQ(cpoint.NPNOD, 10);
    EXPECT_EQ(cuold.UOLD(3, 1), 0.0);
    EXPECT_TRUE(database_consistent());
    EXPECT_EQ(file("decks/t.out"), "DATA,GRID\n");
}

TEST_F(DataTest, RefusesAndLeavesTheDatabaseAlone) {
    struct Case {
        const char* name;
        const char* contents;  // nullptr: no file
        const char* message;
    };
    const Case cases[] = {
        {"NOFILE", nullptr, "  GRID FILE NAME UNREADABLE\n"},
        {"BIG", "1 4 1\n1\n501 9\n", " PARAMETER MAXIEL TOO SMALL!\n"},
        {"NODES", "1 4 1\n1\n4 40000\n", " PARAMETER MAXNOD TOO SMALL!\n"},
        {"SHORT", "1 4 1\n1\n4 9\n101 201 501 401 0 0 0 0 0\n", "  GRID FILE DATA UNREADABLE\n"},
        {"BADNODE", "1 4 1\n1\n1 4\n101 201 301 1001 0 0 0 0 0\n-1 -2 -3 -4\n0 0\n1 0\n1 1\n0 1\n",
         "  GRID FILE DATA UNREADABLE\n"},
        {"REAL", "1 4 1\n1.5\n", "  GRID FILE DATA UNREADABLE\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(1, 2);
        ASSERT_EQ(b.build(), "");
        units::open_text(cinout.LUERR, "decks/t.err", units::Open::create);
        int rc = 0;
        if (c.contents != nullptr) {
            rc = read_grid(c.name, c.contents);
        } else {
            deck(std::string("DATA,") + c.name + "\n");
            ASSERT_EQ(read(), 0);
            rc = data(cuold.UOLD.data(), cunew.UNEW.data(), icolu.ICOLU);
        }
        EXPECT_EQ(rc, 1);
        EXPECT_EQ(file("decks/t.err"), c.message);
        EXPECT_EQ(cdata.NRELIN, 2);
        EXPECT_TRUE(database_consistent());
    }
}

//// the prints ////

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

TEST_F(SetupTest, ResultPrintsTheWholeDatabase) {
    MeshBuilder b(1, 1);
    ASSERT_EQ(b.build(), "");
    ceqsys.ICOUPL(1, 1) = 1;
    csymet.ISYMET = 1;
    for (int d = 1; d <= 4; ++d) {
        cuold.UOLD(d, 1) = 0.5 * d;
        cunew.UNEW(d, 1) = -0.25 * d;
    }
    result(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS);
    std::vector<std::string> want = {"",
                                     "",
                                     "   NUMBER OF EQUATIONS =         1",
                                     "   MAXIMUM NUMBER OF EQUATIONS = 4",
                                     "",
                                     "",
                                     "   COUPLING ARRAY :",
                                     "                   1",
                                     "",
                                     "   SYMMETRIC CASE",
                                     "",
                                     "",
                                     "   NUMBER OF NODES =   4 NUMBER OF DOF =     4"};
    const double xy[5][2] = {{0, 0}, {0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const char* const dofs[5] = {"", "           1        0.50000E+00-0.25000E+00",
                                 "           2        0.10000E+01-0.50000E+00",
                                 "           3        0.15000E+01-0.75000E+00",
                                 "           4        0.20000E+01-0.10000E+01"};
    for (int n = 1; n <= 4; ++n) {
        want.insert(want.end(),
                    {"", "",
                     "   NODE =    " + std::to_string(n) +
                         "  COORDS = " + (xy[n][0] == 0 ? " 0.000" : " 1.000") +
                         (xy[n][1] == 0 ? " 0.000" : " 1.000"),
                     "", "", "   DEGREES OF FREEDOM : LOCATION IN UOLD,UNEW AND  VALUES", dofs[n]});
    }
    want.insert(want.end(),
                {" NUMBER OF ELEMENTS =   1", "", "   ELEMENT =    1",
                 "   NICKNAMES  =     101    201    301    401      0      0      0      0      0",
                 "   NEIGHBOURS =       0      0      0      0      0      0      0      0",
                 " INITIAL NUMBER OF ELEMENTS =    1", "", "",
                 "   THEIR FIRST-BORN SONS :", "     0", "   NUMBER OF FAMILES =    0", "",
                 "   FAMILY,FATHER,GRANDSONS =", "   NPDOF,NPNOD,NPFAM =    5   5   1"});
    EXPECT_EQ(lines_of(file("decks/t.err")), want);
}

TEST_F(SetupTest, ResultListsEachNodeOnceAndEveryFamily) {
    MeshBuilder b(2, 1);
    b.split4(2);
    ASSERT_EQ(b.build(), "");
    result(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS);
    const std::vector<std::string> got = lines_of(file("decks/t.err"));
    int nodes = 0, families = 0;
    bool in_families = false;
    for (const std::string& l : got) {
        if (l.rfind("   NODE = ", 0) == 0) ++nodes;
        if (in_families && l.rfind("   NPDOF", 0) != 0 && !l.empty()) ++families;
        if (l == "   FAMILY,FATHER,GRANDSONS =") in_families = true;
    }
    EXPECT_EQ(nodes, cdata.NRNODS);  // 10: the hanging vertex has no node
    EXPECT_EQ(cdata.NRNODS, 10);
    EXPECT_EQ(families, 3);
    EXPECT_NE(std::find(got.begin(), got.end(), "     1        2       5    7    1    0"),
              got.end());
    EXPECT_NE(std::find(got.begin(), got.end(), "     0    3"), got.end());
    EXPECT_TRUE(database_consistent());
}

TEST_F(SetupTest, WrtsolPrintsTheConstrainedValuesOfEveryElement) {
    MeshBuilder b(2, 1);
    const auto s = b.split4(2);
    b.order(1, 2);
    ASSERT_EQ(b.build(), "");
    for (int d = 1; d <= MAXDOF; ++d) {
        cuold.UOLD(d, 1) = d;
        cunew.UNEW(d, 1) = 10.0 * d;
    }
    cdec.IDEC = 1;
    wrtsol(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS);
    const std::vector<std::string> got = lines_of(file("decks/t.err"));
    // Element 1 (order 2: an edge dof on each side, one interior dof) opens the listing.
    const std::vector<std::string> head = {
        "",
        "",
        "   SOLUTION IN ELEMENT #   1",
        "     THE OLD SOLUTION =",
        "   1 COMPONENT :",
        "    0.100000E+01   0.200000E+01   0.300000E+01   0.400000E+01",
        "    0.500000E+01",
        "    0.600000E+01",
        "    0.700000E+01",
        "    0.800000E+01",
        "    0.900000E+01",
        "     THE NEW SOLUTION =",
        "   1 COMPONENT :",
        "    0.100000E+02   0.200000E+02   0.300000E+02   0.400000E+02"};
    ASSERT_GE(got.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + static_cast<long>(head.size())),
              head);
    // The first quarter: nodes 2 (its vertex 1), 10 and 11 are its own; its
    // hanging vertex 4 takes the middle of element 1's side 2: half of nodes 2
    // and 3 plus RRR(2,1) = -0.5 times the side's dof 6.
    const auto at = std::find(
        got.begin(), got.end(),
        "   SOLUTION IN ELEMENT #" + std::string(s[0] < 10 ? "   " : "  ") + std::to_string(s[0]));
    ASSERT_NE(at, got.end());
    EXPECT_EQ(*(at + 3), "    0.200000E+01   0.100000E+02   0.110000E+02  -0.500000E+00");
}

}  // namespace
}  // namespace kavren::testing
