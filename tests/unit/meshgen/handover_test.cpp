// The hand-over to the hp database, the initial-mesh file, the grid file and
// the GEOMETRY level's order rules.
#include "meshgen/handover.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "db_check.hpp"
#include "geometry_fixture.hpp"
#include "hpmesh/tree.hpp"
#include "meshgen/mesh_level.hpp"
#include "support/units.hpp"

namespace kavren::testing {
namespace {

std::string square_mesh() {
    return std::string(kSquareNodes) + kSquareElements + kSquareBoundary;
}

TEST_F(GeneratorTest, GridFileOfTheUnitSquare) {
    geometry("GEOMETRY\n" + square_mesh() + "END\n");
    EXPECT_EQ(errors(), "");
    const std::string expected =
        "   NUMBER OF EQUATIONS :\n 1\n   COUPLING ARRAY:\n 1\n  SYMMETRY :\n 2\n"
        "  NUMBER OF NODES   NUMBER OF DOF\n 9 9\n"
        " 1 0. 0.\n 2 0.5 0.\n 5 0.5 0.5\n 4 0. 0.5\n 8 0.5 1.\n 7 0. 1.\n"
        " 3 1. 0.\n 6 1. 0.5\n 9 1. 1.\n"
        "  NUMBER OF ELEMENTS\n 4\n"
        "  ELEMENT  NICKNAMES\n\n      1   1\n"
        "       101    201    501    401      0      0      0      0      0\n"
        "  ELEMENT  NICKNAMES\n\n      2   2\n"
        "       401    501    801    701      0      0      0      0      0\n"
        "  ELEMENT  NICKNAMES\n\n      3   3\n"
        "       201    301    601    501      0      0      0      0      0\n"
        "  ELEMENT  NICKNAMES\n\n      4   4\n"
        "       501    601    901    801      0      0      0      0      0\n"
        "  INITIAL NUMBER OF ELEMENTS =\n 4\n"
        "       -1       3       2      -4\n"
        "        1       4      -3      -4\n"
        "       -1      -2       4       1\n"
        "        3      -2      -3       2\n"
        " THEIR FIRST-BORN SONS :\n     0    0    0    0\n"
        " NUMBER OF FAMILES =\n 0\n"
        " NUMBER OF BLOCKS\n 1\n 1 4\n"
        " NPDOF,NPNOD,NPFAM =\n 10 10 1\n";
    EXPECT_EQ(file("output.grid"), expected);
    // The walk's visit marks are gone again.
    for (int n = 1; n <= MAXNOD; ++n) ASSERT_GE(cnode.NODPTR(n), 0) << n;
    EXPECT_EQ(cnode.NODPTR(9), 9);
    EXPECT_EQ(cnode.NODPTR(10), 11);
}

TEST_F(GeneratorTest, ElementsWithOtherLocalAxesAreRenumberedWithTheirProfileSides) {
    // The second region's grid is turned by 180 degrees: its element sees the
    // first across its side 2, and its profile entry names that side.
    geometry(
        "GEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,2,2\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\n"
        "POINT=4,IJ=1,1,2,2,REGION=TWO\nXY,2,1,XY,1,1,XY,1,0,XY,2,0\nEND\nEND\n"
        "ELEMENT\nLINEAR,1,1,REGION=ONE\nLINEAR,1,1,REGION=TWO\nEND\n"
        "SETS\nPROFILE=P\nADD,2,SIDE=2\nADD,2,SIDE=3\nEND\n"
        "BOUNDARY\nREGION=ONE\nBOUNDARY=1,IJ=1,1,2,1\nIJ=1,1,1,2\nIJ=1,2,2,2\nREGION=TWO\n"
        "IJ=1,1,2,1\nIJ=1,2,2,2\nIJ=1,1,1,2\nEND\nEND\n");
    ASSERT_EQ(errors(), "");
    ASSERT_EQ(cdata.NRELIN, 2);
    // Shifted by two: its old vertex 3 (at (1,0)) comes first.
    EXPECT_EQ(cnode.XNOD(1, celem.NICK(1, 2) / 100), 1.0);
    EXPECT_EQ(cnode.XNOD(2, celem.NICK(1, 2) / 100), 0.0);
    const int neig[4] = {-1, -1, -1, 1};
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(cneig.NEIG(k, 2), neig[k - 1]) << k;
    EXPECT_EQ(cneig.NEIG(2, 1), 2);
    std::vector<int> sides;
    for (int e = cprofi.IPFRST(1); e != 0; e = cprofi.IPNEXT(e))
        if (cprofi.IPELEM(e) == 2) sides.push_back(cprofi.IPSIDE(e));
    EXPECT_EQ(sides, (std::vector<int>{4, 1}));
    EXPECT_TRUE(database_consistent());
}

TEST_F(GeneratorTest, GridFileNameFromTheEndRecord) {
    geometry("GEOMETRY\n" + square_mesh() + "END,GRID=MESH1\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "mesh1.grid"));
    EXPECT_FALSE(std::filesystem::exists(dir / "output.grid"));
}

TEST_F(GeneratorTest, QuadraticElementsHandOverSecondOrderNodes) {
    geometry(
        "GEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,5,3\nXY,0,0,XY,2,0,XY,2,1,XY,0,1\nEND\nEND\n"
        "ELEMENT\nILOOP=2\nQUADR,1,1\nEND\n"
        "BOUNDARY\nBOUNDARY=1\nIJ=1,1,5,1\nIJ=5,1,5,3\nIJ=1,3,5,3\nIJ=1,1,1,3\nEND\nEND\n");
    ASSERT_EQ(cdata.NRELIN, 2) << errors();
    EXPECT_EQ(cdata.NRNODS, 15);
    EXPECT_EQ(cdata.NRDOF, 15);
    for (int e = 1; e <= 2; ++e)
        for (int k = 1; k <= 9; ++k) EXPECT_EQ(celem.NICK(k, e) % 100, k <= 4 ? 1 : 2) << e << k;
    // They share the vertices and the mid-side node of their common side.
    EXPECT_EQ(celem.NICK(6, 1), celem.NICK(8, 2));
    EXPECT_EQ(celem.NICK(2, 1), celem.NICK(1, 2));
    // The grid file lists every node once.
    auto lines = lines_of("output.grid");
    int node_lines = 0;
    for (std::size_t i = 8; i < lines.size() && lines[i] != "  NUMBER OF ELEMENTS"; ++i)
        ++node_lines;
    EXPECT_EQ(node_lines, 15);
}

TEST_F(GeneratorTest, LinearElementTakesTheMidSideNodeOfAQuadraticNeighbour) {
    geometry(
        "GEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,5,3\nXY,0,0,XY,2,0,XY,2,1,XY,0,1\nEND\nEND\n"
        "ELEMENT\nQUADR,1,1\nLINEAR,3,1,STEP=2,2\nEND\n"
        "BOUNDARY\nBOUNDARY=1\nIJ=1,1,5,1\nIJ=5,1,5,3\nIJ=1,3,5,3\nIJ=1,1,1,3\nEND\nEND\n");
    ASSERT_EQ(cdata.NRELIN, 2) << errors();
    EXPECT_EQ(cneig.NEIG(4, 2), 1);
    EXPECT_NE(celem.NICK(6, 1), 0);
    EXPECT_EQ(celem.NICK(8, 2), celem.NICK(6, 1));
    for (int k : {5, 6, 7, 9}) EXPECT_EQ(celem.NICK(k, 2), 0) << k;
}

TEST_F(GeneratorTest, MeshWithOpenSidesIsNotHandedOver) {
    cdata.NRELIN = cdata.NRELEM = 7;  // an earlier mesh
    geometry(std::string("GEOMETRY\n") + kSquareNodes + kSquareElements + "END\n");
    EXPECT_EQ(cgeost.IFL, 0);
    EXPECT_EQ(cmshst.INOMSH, 1);
    EXPECT_EQ(cdata.NRELIN, 7);
    EXPECT_NE(errors().find(" *** MESH NOT HANDED OVER:  16 SIDES WITHOUT NEIGHBOUR OR BOUNDARY "
                            "NUMBER\n"),
              std::string::npos)
        << errors();
    EXPECT_EQ(check_usable_mesh(), 1);
    EXPECT_NE(errors().find(" *** NO USABLE MESH: THE LAST GEOMETRY WAS NOT HANDED OVER ***\n"),
              std::string::npos);
    // The generator kept its tables: boundaries and END again hand it over.
    geometry(std::string("GEOMETRY\n") + kSquareBoundary + "END\n", 1);
    EXPECT_EQ(cgeost.IFL, 1);
    EXPECT_EQ(cmshst.INOMSH, 0);
    EXPECT_EQ(cdata.NRELIN, 4);
    EXPECT_EQ(check_usable_mesh(), 0);
}

TEST_F(GeneratorTest, GeometryWithoutElementsKeepsTheCurrentMesh) {
    cdata.NRELIN = cdata.NRELEM = 1;
    cdata.NRNODS = cdata.NRDOF = 4;
    cpoint.NPNOD = cpoint.NPDOF = 5;
    for (int k = 1; k <= 4; ++k) celem.NICK(k, 1) = k * 100 + 1;
    geometry("GEOMETRY\nEND\n");
    EXPECT_EQ(cdata.NRELIN, 1);
    EXPECT_EQ(celem.NICK(3, 1), 301);
    EXPECT_EQ(cgeost.IFL, 0);
    EXPECT_EQ(errors(), "");
    EXPECT_NE(file("output.grid").find("  NUMBER OF ELEMENTS\n 1\n"), std::string::npos);
}

TEST_F(GeneratorTest, HandOverForgetsThePreviousMeshAndSolutions) {
    cflags.ISOLVD = 1;
    cflags.IESTIM = 1;
    cflags.ISOLVR = 1;
    cuold.UOLD(5, 1) = 3.0;
    cunew.UNEW(7, 2) = 4.0;
    ctree.TREE(1, 7) = 9;
    ctree.TREE(4, 7) = 2;
    ctree.NFSON(3) = 12;
    geometry("GEOMETRY\n" + square_mesh() + "END\n");
    EXPECT_EQ(cflags.ISOLVD, 0);
    EXPECT_EQ(cflags.IESTIM, 0);
    EXPECT_EQ(cflags.ISOLVR, 1);
    EXPECT_EQ(cuold.UOLD(5, 1), 0.0);
    EXPECT_EQ(cunew.UNEW(7, 2), 0.0);
    EXPECT_EQ(ctree.TREE(1, 7), 0);
    EXPECT_EQ(ctree.TREE(4, 7), 0);
    EXPECT_EQ(ctree.TREE(2, 7), 8);
    EXPECT_EQ(ctree.NFSON(3), 0);
    // The coupling entries of the first two equations are set.
    EXPECT_EQ(ceqsys.ICOUPL(2, 1), 1);
    EXPECT_EQ(ceqsys.ICOUPL(1, 2), 1);
    EXPECT_EQ(ceqsys.ICOUPL(3, 3), 0);
    EXPECT_EQ(celem0.NICK0(3, 4), 901);
}

//// initial-mesh file ////

class MeshFileTest : public GeneratorTest {
  protected:
    void mesh_file(const std::string& text) { std::ofstream(dir / "data/m1") << text; }
};

// Two unit squares side by side: nodes 1..6, elements 1 and 2.
const char* const kTwoSquares =
    "6 2 0 0.0\n"
    "1 0. 0.\n2 1. 0.\n3 2. 0.\n4 0. 1.\n5 1. 1.\n6 2. 1.\n"
    "1 1 2 5 4\n2 2 3 6 5\n"
    "1 -1 2 -3 -4 0 0 0 0\n"
    "2 -1,-2,-3,1, 0,0,0,0\n";

TEST_F(MeshFileTest, FileMeshEntersTheDatabase) {
    mesh_file(kTwoSquares);
    cregio.NREG = 5;
    cbcons.NBLIN = 3;
    geometry("GEOMETRY\nFILE=M1\nEND\n");
    ASSERT_EQ(errors(), "");
    EXPECT_EQ(cgeost.IFL, 1);
    EXPECT_EQ(cgeost.IBOUND, 1);
    EXPECT_EQ(cdata.NRELIN, 2);
    EXPECT_EQ(cdata.NRELEM, 2);
    EXPECT_EQ(cdata.NRNODS, 6);
    EXPECT_EQ(cdata.NRDOF, 6);
    EXPECT_EQ(cpoint.NPNOD, 7);
    EXPECT_EQ(cpoint.NPDOF, 7);
    EXPECT_EQ(cpoint.NPFAM, 1);
    const int nick[2][4] = {{101, 201, 501, 401}, {201, 301, 601, 501}};
    const int neig[2][4] = {{-1, 2, -3, -4}, {-1, -2, -3, 1}};
    for (int e = 1; e <= 2; ++e)
        for (int k = 1; k <= 4; ++k) {
            EXPECT_EQ(celem.NICK(k, e), nick[e - 1][k - 1]);
            EXPECT_EQ(cneig.NEIG(k, e), neig[e - 1][k - 1]);
        }
    EXPECT_EQ(cnode.XNOD(1, 6), 2.0);
    EXPECT_EQ(cnode.XNOD(2, 6), 1.0);
    // The generator's tables are back at their start: region ONE, set MESH.
    EXPECT_EQ(cregio.NREG, 1);
    EXPECT_EQ(cbcons.NBLIN, 0);
    EXPECT_EQ(csetf.ISCUR, 1);
    EXPECT_EQ(csetf.SETNAM(1).trimmed(), "MESH");
    EXPECT_TRUE(has_line("decks/t.out", "   FILE=M1"));
    auto grid = lines_of("output.grid");
    EXPECT_TRUE(has_line("output.grid", " NPDOF,NPNOD,NPFAM ="));
    EXPECT_EQ(grid.back(), " 7 7 1");
}

struct BadFile {
    const char* name;
    const char* text;  // nullptr: no file at all
    const char* message;
};

const BadFile kBadFiles[] = {
    {"missing", nullptr, " GRID FILE NAME UNREADABLE"},
    {"too_many_elements", "4 501 0 0.\n", " INITIAL MESH FILE: NUMBER OF ELEMENTS NOT IN 1..500"},
    {"too_many_nodes", "40000 1 0 0.\n", " INITIAL MESH FILE: NUMBER OF NODES NOT IN 1..39999"},
    {"short_file", "4 1 0 0.\n1 0 0\n2 1 0\n", " ERROR READING INITIAL MESH FILE AT LINE     3"},
    {"word_for_a_number", "4 1 0 0.\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n1 1 2 X 4\n",
     " ERROR READING INITIAL MESH FILE AT LINE     6"},
    {"vertex_out_of_range", "4 1 0 0.\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n1 1 2 3 5\n",
     " INITIAL MESH FILE: ELEMENT   1 HAS A VERTEX NOT IN THE NODE LIST"},
    {"open_side", "4 1 0 0.\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n1 1 2 3 4\n1 -1 -2 0 -4 0 0 0 0\n",
     " INITIAL MESH FILE: ELEMENT   1 SIDE 3 IS NEITHER AN ELEMENT NOR A BOUNDARY 1..50"},
    {"boundary_51", "4 1 0 0.\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n1 1 2 3 4\n1 -51 -2 -3 -4 0 0 0 0\n",
     " INITIAL MESH FILE: ELEMENT   1 SIDE 1 IS NEITHER AN ELEMENT NOR A BOUNDARY 1..50"},
    {"neighbour_beyond_the_elements",
     "4 1 0 0.\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n1 1 2 3 4\n1 -1 2 -3 -4 0 0 0 0\n",
     " INITIAL MESH FILE: ELEMENT   1 SIDE 2 IS NEITHER AN ELEMENT NOR A BOUNDARY 1..50"},
    {"names_itself", "4 1 0 0.\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n1 1 2 3 4\n1 -1 1 -3 -4 0 0 0 0\n",
     " INITIAL MESH FILE: ELEMENT 1 SIDE 2 NAMES ITSELF"},
    {"neighbour_not_named_back",
     "6 2 0 0.\n1 0 0\n2 1 0\n3 2 0\n4 0 1\n5 1 1\n6 2 1\n1 1 2 5 4\n2 2 3 6 5\n"
     "1 -1 2 -1 -1 0 0 0 0\n2 -1 -1 -1 -1 0 0 0 0\n",
     " INITIAL MESH FILE: ELEMENT 1 SIDE 2 NAMES ELEMENT 2, WHICH DOES NOT NAME IT"},
    {"neighbours_apart",
     "8 2 0 0.\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n5 2 0\n6 3 0\n7 3 1\n8 2 1\n1 1 2 3 4\n"
     "2 5 6 7 8\n1 -1 2 -1 -1 0 0 0 0\n2 -1 -1 -1 1 0 0 0 0\n",
     " INITIAL MESH FILE: ELEMENT 1 SIDE 2 NAMES ELEMENT 2, WHICH DOES NOT NAME IT ACROSS THE "
     "SIDE FROM NODE 3 TO NODE 2"},
    {"unused_node",
     "5 1 0 0.\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n5 5 5\n1 1 2 3 4\n1 -1 -1 -1 -1 0 0 0 0\n",
     " INITIAL MESH FILE: NODE 5 IS A VERTEX OF NO ELEMENT"},
    {"clockwise", "4 1 0 0.\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n1 1 4 3 2\n1 -1 -1 -1 -1 0 0 0 0\n",
     " INITIAL MESH FILE: ELEMENT 1 IS CLOCKWISE OR NOT CONVEX AT VERTEX 1"},
    {"not_convex", "4 1 0 0.\n1 0 0\n2 1 0\n3 0.2 0.2\n4 0 1\n1 1 2 3 4\n1 -1 -1 -1 -1 0 0 0 0\n",
     " INITIAL MESH FILE: ELEMENT 1 IS CLOCKWISE OR NOT CONVEX AT VERTEX 3"},
    {"same_vertices",
     "4 2 0 0.\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n1 1 2 3 4\n2 2 3 4 1\n"
     "1 -1 -1 -1 -1 0 0 0 0\n2 -1 -1 -1 -1 0 0 0 0\n",
     " INITIAL MESH FILE: ELEMENTS 1 AND 2 HAVE THE SAME VERTICES"},
    {"side_of_three",
     "7 3 0 0.\n1 0 0\n2 1 0\n3 1 1\n4 0 1\n5 2 0\n6 2 1\n7 2 1.5\n"
     "1 1 2 3 4\n2 2 5 6 3\n3 2 5 7 3\n"
     "1 -1 2 -1 -1 0 0 0 0\n2 -1 -1 -1 1 0 0 0 0\n3 -1 -1 -1 -1 0 0 0 0\n",
     " INITIAL MESH FILE: ELEMENTS 1, 2 AND 3 SHARE THE SIDE FROM NODE 2 TO NODE 3"},
    // Three quadrilaterals around one vertex: no numbering gives them all the
    // same local axes.
    {"three_around_a_vertex",
     "7 3 0 0.\n1 0 0\n2 2 0\n3 1 2\n4 1 0\n5 1.5 1\n6 0.5 1\n7 1 0.6666666666666666\n"
     "1 1 4 7 6\n2 2 5 7 4\n3 3 6 7 5\n"
     "1 -1 2 3 -1 0 0 0 0\n2 -1 3 1 -1 0 0 0 0\n3 -1 1 2 -1 0 0 0 0\n",
     " INITIAL MESH FILE: NO NUMBERING OF THE VERTICES GIVES ELEMENTS 2 AND 3 THE SAME LOCAL "
     "AXES"},
};

class BadFileTable : public MeshFileTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadFileTable, IsRefusedAndChangesNothing) {
    if (GetParam().text) mesh_file(GetParam().text);
    cdata.NRELIN = cdata.NRELEM = 3;
    geometry("GEOMETRY\nFILE=M1\nEND\n");
    EXPECT_EQ(cgeost.IFL, 0);
    EXPECT_EQ(cgeost.IBOUND, 0);
    EXPECT_EQ(cdata.NRELIN, 3);
    std::string err = errors();
    EXPECT_NE(err.find(std::string(GetParam().message) + "\n"), std::string::npos) << err;
    EXPECT_FALSE(has_line("decks/t.out", "   FILE=M1"));
    // Nothing was created either.
    EXPECT_EQ(std::filesystem::exists(dir / "data/m1"), GetParam().text != nullptr);
}

INSTANTIATE_TEST_SUITE_P(MeshFile, BadFileTable, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MeshFileTest, NeighboursWithOtherLocalAxesAreRenumbered) {
    // Element 2 starts at its top-right vertex: its side 2 faces element 1.
    // Shifted by two, it sees element 1 across its side 4, as the database
    // takes it.
    mesh_file(
        "6 2 0 0.0\n1 0. 0.\n2 1. 0.\n3 2. 0.\n4 0. 1.\n5 1. 1.\n6 2. 1.\n"
        "1 1 2 5 4\n2 6 5 2 3\n1 -1 2 -3 -4 0 0 0 0\n2 -3 1 -1 -2 0 0 0 0\n");
    geometry("GEOMETRY\nFILE=M1\nEND\n");
    EXPECT_EQ(cgeost.IFL, 1);
    EXPECT_EQ(errors(), "");
    const int nick[4] = {201, 301, 601, 501}, neig[4] = {-1, -2, -3, 1};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(celem.NICK(k, 2), nick[k - 1]) << k;
        EXPECT_EQ(celem0.NICK0(k, 2), nick[k - 1]) << k;
        EXPECT_EQ(cneig.NEIG(k, 2), neig[k - 1]) << k;
    }
    EXPECT_EQ(cneig.NEIG(2, 1), 2);
    EXPECT_TRUE(database_consistent());
}

TEST_F(MeshFileTest, FileWithANumberIsPassedOver) {
    geometry("GEOMETRY\nFILE=3\nEND\n");
    EXPECT_EQ(cgeost.IFL, 0);
    EXPECT_EQ(errors(), "");
}

//// order rules of the GEOMETRY level ////

struct OrderCase {
    const char* name;
    const char* deck;  // after GEOMETRY
    const char* message;
};

const OrderCase kOrder[] = {
    {"element_before_nodes", "ELEMENT\n", " ***CANNOT GENERATE ELEMENTS BEFORE NODES***"},
    {"plot_before_elements", "PLOT\n", " *** CANNOT PLOT THE GRID UNTIL ELEMENTS ARE DEFINED"},
    {"sets_before_elements", "SETS\n", " *** CANNOT DEFINE SETS UNTIL ELEMENTS ARE DEFINED"},
    {"boundary_before_elements", "BOUNDARY\n",
     " ***CANNOT DEFINE BOUNDARIES UNTIL ELEMENTS ARE DEFINED"},
    {"mesh_before_boundary", "MESH\n",
     " ***CANNOT PERFORM MESH MODIFICATIONS UNTIL BOUNDARIES ARE DEFINED"},
};

class OrderTable : public GeneratorTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(OrderTable, IsRefused) {
    geometry(std::string("GEOMETRY\n") + GetParam().deck + "END\n");
    std::string err = errors();
    EXPECT_NE(err.find(std::string(GetParam().message) + "\n"), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(Geometry, OrderTable, ::testing::ValuesIn(kOrder),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeneratorTest, AfterTheCompletionNoMoreNodesOrElements) {
    geometry("GEOMETRY\n" + square_mesh() + "NODES\nELEMENT\nBOUNDARY\nEND\n");
    std::string err = errors();
    EXPECT_NE(err.find(" *** INITIAL MESH HAS ALREADY BEENDEFINED ***\n"
                       " NO MORE NODES MAY BE GENERATED\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(" *** INITIAL MESH HAS ALREADY BEENDEFINED ***\n"
                       " NO MORE ELEMENTS MAY BE GENERATED\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(" *** BOUNDARIES ARE ALREADY DEFINED\n"), std::string::npos) << err;
}

TEST_F(GeneratorTest, MeshHandsOverOnceAndEntersTheMeshLevel) {
    geometry("GEOMETRY\n" + square_mesh() + "MESH\nREFINE,1\nEND\nEND\n");
    EXPECT_EQ(cgeost.IFL, 1);
    EXPECT_EQ(cdata.NRELIN, 4);
    // The MESH level refined element 1 into four sons.
    EXPECT_EQ(cdata.NRELEM, 7);
    EXPECT_EQ(cdec.IDEC, 1);
    // A second visit offers MESH and SETS but no more generation.
    geometry("GEOMETRY\nNODES\nPLOT\nEND\n", 1);
    std::string err = errors();
    EXPECT_NE(err.find(" ***CANNOT GENERATE NODES WHEN MESH MODIFICATIONS HAVE BEEN PERFORMED\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(" *** MESH MODIFICATIONS HAVE BEEN PERFORMED\n"
                       " *** USE PLOT IN \"MESH\" TO SEE THE MESH\n"),
              std::string::npos)
        << err;
}

TEST_F(GeneratorTest, MeshLevelRefusesADatabaseWithoutUsableMesh) {
    geometry(std::string("GEOMETRY\n") + kSquareNodes + kSquareElements + "END\n");
    ASSERT_EQ(cmshst.INOMSH, 1);
    deck("END\n");
    mesh(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS);
    // The record after the refused MESH is still there to be read.
    ASSERT_EQ(read(), 0);
    EXPECT_TRUE(chkfld("END", 1));
}

TEST_F(GeneratorTest, ReplayUnwindsEveryLevelAtOnce) {
    geometry("GEOMETRY\nNODES\nGRID\nH,1\nPOINT=4,IJ=1,1,2,2\n");
    EXPECT_EQ(cbinrec.IREPLY, 1);
    EXPECT_EQ(ccon.NNODG, 0);
    // No END was echoed on the way out.
    EXPECT_EQ(file("decks/t.out"), "GEOMETRY\n   NODES\n      GRID\n");
}

}  // namespace
}  // namespace kavren::testing
