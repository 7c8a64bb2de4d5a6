// The save file: the block writer and reader, the stream of SAVE and RECOVER
// on meshes with families, hanging nodes and mixed orders, the refusal of
// short, oversized and damaged files with the data left as they were, the
// temporary name of SAVE, the STORAGE level and the ring-buffer store.
#include "session/dump.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "../control/reader_fixture.hpp"
#include "control/utility.hpp"
#include "db_check.hpp"
#include "hpmesh/tree.hpp"
#include "mesh_builder.hpp"
#include "records/control.hpp"
#include "records/estimate.hpp"
#include "records/geometry.hpp"
#include "records/mesh.hpp"
#include "records/problem.hpp"
#include "record_bytes.hpp"
#include "records/savefile.hpp"
#include "save_stream.hpp"
#include "support/units.hpp"

namespace kavren::testing {
namespace {

//// helpers ////

// The doubles of a direct-access save file.
std::vector<double> file_values(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::vector<double> v(bytes.size() / sizeof(double));
    std::memcpy(v.data(), bytes.data(), v.size() * sizeof(double));
    return v;
}

// What a mesh is, apart from the numbers of its dofs.
struct NodeData {
    double x = 0, y = 0;
    std::vector<double> values;  // per dof of the chain: UOLD(d, 1..4), then UNEW(d, 1..4)
    bool operator==(const NodeData&) const = default;
};
struct Logical {
    std::vector<std::vector<int>> elements;  // tree order: element, slot, its 9 nicknames
    std::map<int, NodeData> nodes;
    std::vector<int> counts;      // NRELEM, NRELIN, NRNODS, NRDOF, NRFAM, NPNOD, NPFAM
    std::vector<int> tree;        // NFSON(1..NRELIN), TREE, NEIG(.., 1..NRELIN)
    std::vector<int> free_nodes;  // the free-node list in order
};

Logical logical_view() {
    Logical l;
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        int slot = 0;
        findno(nel, slot);
        std::vector<int> e{nel, slot};
        for (int k = 1; k <= 9; ++k) {
            e.push_back(celem.NICK(k, slot));
            int node = 0, order = 0;
            decode(celem.NICK(k, slot), node, order);
            if (node <= 0 || l.nodes.count(node) != 0) continue;
            NodeData& n = l.nodes[node];
            n.x = cnode.XNOD(1, node);
            n.y = cnode.XNOD(2, node);
            for (int d = cnode.NODPTR(node); d != 0; d = cnu.NU(d)) {
                for (int c = 1; c <= 4; ++c) n.values.push_back(cuold.UOLD(d, c));
                for (int c = 1; c <= 4; ++c) n.values.push_back(cunew.UNEW(d, c));
            }
        }
        l.elements.push_back(e);
    }
    l.counts = {cdata.NRELEM, cdata.NRELIN, cdata.NRNODS, cdata.NRDOF,
                cdata.NRFAM,  cpoint.NPNOD, cpoint.NPFAM};
    for (int e = 1; e <= cdata.NRELIN; ++e) l.tree.push_back(ctree.NFSON(e));
    l.tree.insert(l.tree.end(), ctree.TREE.v.begin(), ctree.TREE.v.end());
    for (int e = 1; e <= cdata.NRELIN; ++e)
        for (int s = 1; s <= 4; ++s) l.tree.push_back(cneig.NEIG(s, e));
    for (int n = cpoint.NPNOD; n != 0 && l.free_nodes.size() <= MAXNOD; n = cnode.NODPTR(n))
        l.free_nodes.push_back(n);
    return l;
}

void expect_same(const Logical& a, const Logical& b) {
    EXPECT_EQ(a.elements, b.elements);
    EXPECT_TRUE(a.nodes == b.nodes);
    EXPECT_EQ(a.counts, b.counts);
    EXPECT_TRUE(a.tree == b.tree);
    EXPECT_TRUE(a.free_nodes == b.free_nodes);
}


//// fixture ////

class DumpTest : public ReaderTest {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        units::open_text(units::STDOUT_UNIT, "term.txt", units::Open::create);
        // The lines the extension points wait for.
        std::ofstream(dir / "kbd.txt") << std::string(200, '\n');
        units::open_text(units::STDIN_UNIT, "kbd.txt", units::Open::existing);
        cflnam.FLNAM(4) = "data/t.sav";
    }
    std::string errors() { return file("decks/t.err"); }
    int save(const std::string& name, int unform = 0) {
        cdump.IUNFOR = unform;
        return dumpout(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS, name);
    }
    int recover(const std::string& name, int unform = 0) {
        cdump.IUNFOR = unform;
        return dumpin(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS, name);
    }
    std::string bytes(const std::string& rel) {
        std::ifstream in(dir / rel, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

// Two by two squares; element 2 in four sons, so elements 1 and 4 face hanging
// nodes; one son halved again; interior orders 1 to 5; a solution in
// all four components of both arrays; dofs taken from the middle of the free
// list, so a recovery renumbers them.
void build_mixed_mesh() {
    // The free dofs run 101..40000, then 1..100.
    MeshBuilder b(2, 2);
    cnu.NU(MAXDOF) = 1;
    cnu.NU(100) = 0;
    cpoint.NPDOF = 101;
    auto sons = b.split4(2);
    const int halves = b.split(sons[1], 2);
    b.default_order(2);
    b.order(1, 3);
    b.order(sons[0], 5);
    b.order(halves, 1);
    b.order(4, 4);
    ASSERT_EQ(b.build(), "");
    ASSERT_TRUE(database_consistent());
    fill_random_solution(7);
    ceqsys.NREQNS = 3;
    for (int i = 1; i <= 4; ++i)
        for (int j = 1; j <= 4; ++j) ceqsys.ICOUPL(i, j) = 10 * i + j;
    csymet.ISYMET = 2;
    cbound.IBKIND(2) = 7;
    cbound.IBKIND(50) = 1;
    cflags.ISOLVD = 1;
    cflags.ISOLVR = 1;
    cflags.ISLVDF = 1;
    for (int p = 1; p <= 10; ++p) {
        cslvdefs.ISLV(p) = 100 + p;
        cslvdefs.RSLV(p) = 1.0 / 3.0 * p;
    }
}

//// block writer and reader ////

TEST_F(DumpTest, IntegersTravelAsSinglePrecisionAndComeBackAsTheNearestInteger) {
    cdump.IUNFOR = 0;
    ASSERT_TRUE(units::open_direct(cinout.LUSAVE, "data/b", SAVE_RECLEN));
    const double reals[] = {2.5,  -2.5, 2.4999, 7.0, std::numeric_limits<double>::quiet_NaN(),
                            3.0e9};
    EXPECT_EQ(wrbuf(-1, 16777217, 0.0), 0);
    EXPECT_EQ(cbuff1.BUF(1), 16777216.0);  // 2**24 + 1 has no single-precision value
    for (double r : reals) EXPECT_EQ(wrbuf(2, 0, r), 0);
    EXPECT_EQ(wrbuf(0, 0, 0.0), 0);
    int i = 0;
    double r = 0.0;
    EXPECT_EQ(rebuf(-1, i, r), REBUF_OK);
    EXPECT_EQ(i, 16777216);
    const int expected[] = {3, -3, 2};  // halves away from zero
    for (int e : expected) {
        EXPECT_EQ(rebuf(1, i, r), REBUF_OK);
        EXPECT_EQ(i, e);
    }
    EXPECT_EQ(rebuf(2, i, r), REBUF_OK);
    EXPECT_EQ(r, 7.0);
    EXPECT_EQ(rebuf(1, i, r), REBUF_BAD);  // NaN
    EXPECT_EQ(rebuf(1, i, r), REBUF_BAD);  // beyond 32 bits
    units::close(cinout.LUSAVE);
}

TEST_F(DumpTest, AStreamEndingAtABlockBoundaryGetsOneMoreBlock) {
    cdump.IUNFOR = 0;
    ASSERT_TRUE(units::open_direct(cinout.LUSAVE, "data/b", SAVE_RECLEN));
    for (int k = 1; k <= SAVE_BLOCK; ++k) wrbuf(k == 1 ? -2 : 2, 0, k + 0.5);
    wrbuf(0, 0, 0.0);
    units::close(cinout.LUSAVE);
    const std::vector<double> v = file_values(dir / "data/b");
    ASSERT_EQ(v.size(), 2u * SAVE_BLOCK);
    for (int k = 0; k < SAVE_BLOCK; ++k) {
        EXPECT_EQ(v[static_cast<std::size_t>(k)], k + 1.5);
        EXPECT_EQ(v[static_cast<std::size_t>(k + SAVE_BLOCK)], k + 1.5);
    }
}

TEST_F(DumpTest, FormattedBlocksAreSixtyFourLinesOfFourValues) {
    cdump.IUNFOR = 1;
    ASSERT_TRUE(units::open_text(cinout.LUSAVE, "data/f", units::Open::create));
    const double first[] = {1.0, -0.5, 123456.789, 1.0e-300};
    for (int k = 0; k < 4; ++k) wrbuf(k == 0 ? -2 : 2, 0, first[k]);
    wrbuf(1, 42, 0.0);
    wrbuf(0, 0, 0.0);
    units::close(cinout.LUSAVE);
    std::ifstream in(dir / "data/f");
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(SAVE_LINES));
    EXPECT_EQ(lines[0],
              "   0.10000000000000E+01 -0.50000000000000E+00  0.12345678900000E+06"
              "  0.10000000000000-299");
    EXPECT_EQ(lines[1].substr(0, 23), "   0.42000000000000E+02");
    for (const std::string& l : lines) EXPECT_EQ(l.size(), 89u) << l;

    // Read back free-form; commas and line breaks anywhere are as good.
    std::string many;
    for (int k = 5; k <= SAVE_BLOCK; ++k) many += std::to_string(k) + (k % 10 ? " " : ",\n");
    std::ofstream(dir / "data/g") << " 1.5, -2\n3.25E1 4\n" << many << "\n";
    ASSERT_TRUE(units::open_text(cinout.LUSAVE, "data/g", units::Open::existing));
    double r = 0.0;
    int i = 0;
    EXPECT_EQ(rebuf(-2, i, r), REBUF_OK);
    EXPECT_EQ(r, 1.5);
    EXPECT_EQ(rebuf(1, i, r), REBUF_OK);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(rebuf(2, i, r), REBUF_OK);
    EXPECT_EQ(r, 32.5);
    for (int k = 4; k <= SAVE_BLOCK; ++k) {
        ASSERT_EQ(rebuf(1, i, r), REBUF_OK);
        EXPECT_EQ(i, k);
    }
    EXPECT_EQ(rebuf(1, i, r), REBUF_END);
    units::close(cinout.LUSAVE);
}

//// SAVE and RECOVER ////

TEST_F(DumpTest, RecoveryGivesBackTheMeshAndRenumbersTheDofsInStreamOrder) {
    build_mixed_mesh();
    const Logical before = logical_view();
    ASSERT_EQ(save("data/a.sav"), 0) << errors();

    // Something else in the records meanwhile.
    MeshBuilder other(1, 1);
    ASSERT_EQ(other.build(), "");
    cflags = Cflags();
    cmshst.INOMSH = 1;
    ceqsys.NREQNS = 1;

    ASSERT_EQ(recover("data/a.sav"), 0) << errors();
    EXPECT_TRUE(database_consistent());
    expect_same(logical_view(), before);
    EXPECT_EQ(cmshst.INOMSH, 0);
    EXPECT_EQ(icolu.ICOLU, ICOLU_ROWS);
    EXPECT_EQ(ceqsys.NREQNS, 3);
    EXPECT_EQ(ceqsys.ICOUPL(2, 3), 23);
    EXPECT_EQ(csymet.ISYMET, 2);
    EXPECT_EQ(cbound.IBKIND(2), 7);
    EXPECT_EQ(cbound.IBKIND(50), 1);
    EXPECT_EQ(cflags.ISOLVD, 1);
    EXPECT_EQ(cflags.ISLVDF, 1);
    EXPECT_EQ(cslvdefs.ISLV(10), 110);
    EXPECT_EQ(cslvdefs.RSLV(3), 1.0);

    // The dofs are 1..NRDOF in the order the element walk first meets the
    // nodes, each chain consecutive; the free ones follow.
    int next = 1;
    walk_nodes_once([&next](int, int, int, int node) {
        for (int d = cnode.NODPTR(node); d != 0; d = cnu.NU(d)) EXPECT_EQ(d, next++) << node;
    });
    EXPECT_EQ(next, cdata.NRDOF + 1);
    EXPECT_EQ(cpoint.NPDOF, cdata.NRDOF + 1);

    // Saving the recovered data and recovering that again is a fixed point.
    ASSERT_EQ(save("data/b.sav"), 0);
    ASSERT_EQ(recover("data/b.sav"), 0);
    ASSERT_EQ(save("data/c.sav"), 0);
    EXPECT_EQ(bytes("data/b.sav"), bytes("data/c.sav"));
    EXPECT_NE(bytes("data/a.sav"), bytes("data/b.sav"));  // the dof numbers changed
}

// The length of the stream of a mesh without optional blocks: the items of
// the layout, counted from the database.
long stream_length() {
    const int mx = ceqsys.MXEQNS;
    long n = SAVE_HEADER + 2 + mx * mx + 1 + 5 + cdata.NRELIN + 5L * MAXFAM + 4 * cdata.NRELIN + 3 +
             MAXNOD;
    n += 9L * cdata.NRELEM;
    walk_nodes_once([&n, mx](int, int, int, int node) {
        n += 2;
        for (int d = cnode.NODPTR(node); d != 0; d = cnu.NU(d)) n += 2 * mx + 1;
    });
    return n + MAX_BOUNDARY + 6;
}

TEST_F(DumpTest, TheFileFollowsTheLayoutOfTheStream) {
    // Four squares of order 4 give a stream of exactly 863 blocks.
    MeshBuilder b(2, 2);
    b.default_order(4);
    ASSERT_EQ(b.build(), "");
    csymet.ISYMET = 1;  // as the problem choice sets it
    fill_random_solution(3);
    const long length = stream_length();
    ASSERT_EQ(length % SAVE_BLOCK, 0);
    ASSERT_EQ(save("data/a.sav"), 0);
    std::vector<double> v = file_values(dir / "data/a.sav");
    // One more block, written by the end of the stream, repeats the last.
    ASSERT_EQ(static_cast<long>(v.size()), length + SAVE_BLOCK);
    for (long k = 0; k < SAVE_BLOCK; ++k)
        ASSERT_EQ(v[static_cast<std::size_t>(length + k)],
                  v[static_cast<std::size_t>(length - SAVE_BLOCK + k)]);

    const std::vector<double> header = {512000, 16000, 500,    30000,  10000,
                                        70000,  40000, 500000, 128000, 50};
    EXPECT_EQ(std::vector<double>(v.begin(), v.begin() + 10), header);
    std::size_t at = 10;
    EXPECT_EQ(v[at], 1.0);  // NREQNS
    EXPECT_EQ(v[at + 1], 4.0);
    at += 2 + 16 + 1;
    EXPECT_EQ(v[at], 4.0);  // NRELEM
    EXPECT_EQ(v[at + 3], cdata.NRDOF);
    at += 5 + 4;
    EXPECT_EQ(v[at + 1], 2.0);  // TREE(2, 1): the free-family list
    at += 5 * MAXFAM;
    EXPECT_EQ((std::vector<double>(v.begin() + static_cast<long>(at),
                                   v.begin() + static_cast<long>(at) + 4)),
              (std::vector<double>{-1, 2, 3, -4}));
    at += 16;
    EXPECT_EQ(v[at + 1], cpoint.NPNOD);
    at += 3;
    for (int n = 1; n <= MAXNOD; ++n) ASSERT_EQ(v[at + n - 1], cnode.NODPTR(n)) << n;
    at += MAXNOD;
    // Element 1: its nicknames, then its first node: x, y, the pairs of its
    // dof and the end of its chain.
    for (int k = 1; k <= 9; ++k) EXPECT_EQ(v[at + k - 1], celem.NICK(k, 1));
    const int node = celem.NICK(1, 1) / 100;
    EXPECT_EQ(v[at + 9], cnode.XNOD(1, node));
    EXPECT_EQ(v[at + 10], cnode.XNOD(2, node));
    const int d = cnode.NODPTR(node);
    EXPECT_EQ(v[at + 11], cuold.UOLD(d, 1));
    EXPECT_EQ(v[at + 12], cunew.UNEW(d, 1));
    EXPECT_EQ(v[at + 18], cunew.UNEW(d, 4));
    EXPECT_EQ(v[at + 19], 0.0);
    // The flags end the stream.
    EXPECT_EQ(v[static_cast<std::size_t>(length - 6)], 0.0);

    // Ten more values (the estimator defaults): the last block's tail
    // repeats what the block before held at those positions.
    cflags.IESTDF = 1;
    for (int p = 1; p <= 10; ++p) cestdefs.ESTDEF(p) = p;
    ASSERT_EQ(save("data/b.sav"), 0);
    v = file_values(dir / "data/b.sav");
    ASSERT_EQ(static_cast<long>(v.size()), length + SAVE_BLOCK);
    for (int p = 1; p <= 10; ++p) EXPECT_EQ(v[static_cast<std::size_t>(length + p - 1)], p);
    for (long k = length + 10; k < length + SAVE_BLOCK; ++k)
        ASSERT_EQ(v[static_cast<std::size_t>(k)], v[static_cast<std::size_t>(k - SAVE_BLOCK)]);
    ASSERT_EQ(recover("data/b.sav"), 0) << errors();
    EXPECT_EQ(cestdefs.ESTDEF(10), 10.0);
    EXPECT_TRUE(database_consistent());
}

//// a stream written from the layout ////

// The synthetic mesh stands in the records: dofs 1..6 in stream order.
void expect_synthetic_mesh() {
    EXPECT_TRUE(database_consistent());
    EXPECT_EQ(cdata.NRELEM, 2);
    EXPECT_EQ(ctree.NFSON(1), 2);
    const int first_dof[7] = {0, 1, 2, 5, 6, 3, 4};
    for (int n = 1; n <= 6; ++n) {
        const int d = first_dof[n];
        ASSERT_EQ(cnode.NODPTR(n), d) << n;
        EXPECT_EQ(cnu.NU(d), 0);
        for (int k = 1; k <= 4; ++k) {
            EXPECT_EQ(cuold.UOLD(d, k), Synthetic::value(n, k, 1));
            EXPECT_EQ(cunew.UNEW(d, k), Synthetic::value(n, k, 2));
        }
    }
    EXPECT_EQ(cnode.XNOD(2, 5), 0.5);
    EXPECT_EQ(celem.NICK(3, 2), 301);
    EXPECT_EQ(cpoint.NPDOF, 7);
    EXPECT_EQ(cnu.NU(7), 8);
    EXPECT_EQ(ceqsys.ICOUPL(3, 2), 32);
    EXPECT_EQ(cbound.IBKIND(2), 7);
    EXPECT_EQ(cflags.IFLAG6, 5);
}

TEST_F(DumpTest, TheEstimateAndSettingBlocksAreReadAndWrittenBack) {
    Synthetic s;
    s.islvdf = s.iestdf = s.iestim = 1;
    s.build().write("data/s.sav");
    ASSERT_EQ(recover("data/s.sav"), 0) << errors();
    expect_synthetic_mesh();
    EXPECT_EQ(cflags.IESTIM, 1);
    EXPECT_EQ(cflags.IESTDF, 1);
    EXPECT_EQ(cerresi.IERRES, 17);
    EXPECT_EQ(cerrest.ERRGL(5), 7.5);
    EXPECT_EQ(cerrest.ERREL(1, 1), 11.125);
    EXPECT_EQ(cerrest.ERREL(2, 4), 24.125);
    EXPECT_EQ(cslvdefs.ISLV(4), 104);
    EXPECT_EQ(cslvdefs.RSLV(4), 1.0);
    EXPECT_EQ(cestdefs.ESTDEF(7), 21.0);

    // SAVE writes the same stream, with the dofs of the stream order.
    ASSERT_EQ(save("data/back.sav"), 0) << errors();
    std::vector<double> expected = s.v;
    const int first_dof[7] = {0, 1, 2, 5, 6, 3, 4};
    for (int n = 1; n <= 6; ++n)
        expected[s.at["nodptr"] + static_cast<std::size_t>(n - 1)] = first_dof[n];
    const std::vector<double> back = file_values(dir / "data/back.sav");
    ASSERT_GE(back.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(back[i], expected[i]) << i;
}

TEST_F(DumpTest, FormattedFilesAreReadOnlyAsFormatted) {
    // Small capacities: a file of a few blocks tells the forms apart as well
    // as a full one (StorageLevelNamesItsFilesAndEchoesItsRecords reads a
    // full-capacity formatted file back).
    Synthetic s;
    s.F = 10;
    s.N = 20;
    s.iestim = 1;
    s.build();
    s.write("data/text", 1);
    s.write("data/bin", 0);
    reset_database();
    ASSERT_EQ(recover("data/bin"), 0) << errors();
    RecordBytes from_binary;
    from_binary.take();
    reset_database();
    ASSERT_EQ(recover("data/text", 1), 0) << errors();
    EXPECT_EQ(from_binary.changed(), "");
    EXPECT_EQ(recover("data/text", 0), 1);
    EXPECT_EQ(recover("data/bin", 1), 1);
    EXPECT_EQ(from_binary.changed(), "");
}

TEST_F(DumpTest, SmallerCapacitiesAreTakenAndTheFreeListsGoOnToOurs) {
    cbound.IBKIND(40) = 9;
    Synthetic s;
    s.F = 10;
    s.N = 20;
    s.B = 5;
    s.build().write("data/s.sav");
    ASSERT_EQ(recover("data/s.sav"), 0) << errors();
    expect_synthetic_mesh();
    EXPECT_EQ(cpoint.NPFAM, 2);
    EXPECT_EQ(ctree.TREE(2, 10), 11);
    EXPECT_EQ(ctree.TREE(2, MAXFAM), 0);
    EXPECT_EQ(cpoint.NPNOD, 7);
    EXPECT_EQ(cnode.NODPTR(20), 21);
    EXPECT_EQ(cnode.NODPTR(MAXNOD), 0);
    EXPECT_EQ(cbound.IBKIND(40), 0);
}

//// refusals ////

struct Damage {
    const char* name;
    std::function<void(Synthetic&)> apply;
    const char* message;
    long keep = 0;             // a cut file: the bytes kept; negative: all but -keep; 0: all
    bool extra_block = false;  // a block of other bytes after the stream's last
};

// Writes the synthetic stream with one damage over the mixed mesh, RECOVERs
// it, and expects the refusal's message with every record as it was.
class DumpDamageTest : public DumpTest {
  protected:
    void expect_refused(const Damage& c) {
        SCOPED_TRACE(c.name);
        build_mixed_mesh();
        cmshst.INOMSH = 0;
        RecordBytes before;
        before.take();
        Synthetic s = valid();
        c.apply(s);
        std::filesystem::remove(dir / "data/bad.sav");
        if (!s.v.empty()) s.write("data/bad.sav");
        if (c.keep != 0) {
            const auto size = static_cast<long>(std::filesystem::file_size(dir / "data/bad.sav"));
            const long keep = c.keep > 0 ? c.keep : size + c.keep;
            ASSERT_LT(keep, size);
            std::filesystem::resize_file(dir / "data/bad.sav", static_cast<std::uintmax_t>(keep));
        }
        if (c.extra_block)
            std::ofstream(dir / "data/bad.sav", std::ios::app | std::ios::binary)
                << std::string(SAVE_RECLEN, 'x');
        const std::size_t errors_before = errors().size();
        EXPECT_EQ(recover("data/bad.sav"), 1);
        const std::string reported = errors().substr(errors_before);
        EXPECT_NE(reported.find(c.message), std::string::npos) << reported;
        EXPECT_EQ(before.changed(), "");
    }

    // The valid stream is built once; each case damages a copy.
    static const Synthetic& valid() {
        static const Synthetic stream = [] {
            Synthetic v;
            v.N = 20;  // nodes above 20 are beyond the file's table
            v.build();
            return v;
        }();
        return stream;
    }
};

TEST_F(DumpDamageTest, DamagedFilesAreRefusedAndTheDataStayAsTheyWere) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Damage cases[] = {
        {"missing", [](Synthetic& s) { s.v.clear(); }, "IT CANNOT BE OPENED"},
        {"cut in the header", [](Synthetic&) {}, "IT ENDS BEFORE ITS DATA", 40},
        {"cut in the tree", [](Synthetic&) {}, "IT ENDS BEFORE ITS DATA", 100 * SAVE_RECLEN},
        {"cut in the last block", [](Synthetic&) {}, "IT ENDS BEFORE ITS DATA", -1000},
        {"more slots than ours", [](Synthetic& s) { s.v[1] = 16001; },
         "TOO BIG DATA FOR YOUR SYSTEM"},
        {"more rows than ours", [](Synthetic& s) { s.v[8] = 128001; },
         "TOO BIG DATA FOR YOUR SYSTEM"},
        {"no families at all", [](Synthetic& s) { s.v[3] = 0; }, "CAPACITY BELOW 1"},
        {"five equations", [](Synthetic& s) { s.v[s.at["equations"] + 1] = 5; },
         "NUMBERS OF EQUATIONS"},
        {"element count", [](Synthetic& s) { s.v[s.at["counts"]] = 3; }, "COUNTS"},
        {"side without neighbour", [](Synthetic& s) { s.v[s.at["neig"] + 1] = 0; },
         "SIDE TABLE HOLDS 0 FOR ELEMENT 1"},
        {"boundary 51", [](Synthetic& s) { s.v[s.at["neig"]] = -51; }, "SIDE TABLE HOLDS -51"},
        {"neighbour beyond the elements", [](Synthetic& s) { s.v[s.at["neig"]] = 2; },
         "SIDE TABLE HOLDS 2"},
        {"son 2 as first-born", [](Synthetic& s) { s.v[s.at["nfson"]] = 3; },
         "ELEMENT TREE IS INCONSISTENT"},
        {"family without father", [](Synthetic& s) { s.v[s.at["tree"]] = 0; },
         "ELEMENT TREE IS INCONSISTENT"},
        {"free-node list in a loop", [](Synthetic& s) { s.v[s.at["nodptr"] + 7] = 7; },
         "FREE LIST OF FAMILIES OR NODES IS BROKEN"},
        {"free-node list leaving the table", [](Synthetic& s) { s.v[s.at["nodptr"] + 7] = 100000; },
         "FREE LIST OF FAMILIES OR NODES IS BROKEN"},
        {"free-family list in a loop", [](Synthetic& s) { s.v[s.at["tree"] + 5 * 2 + 1] = 2; },
         "DATABASE IS INCONSISTENT: FREE-FAMILY LIST RUNS INTO A LOOP"},
        {"node beyond the table", [](Synthetic& s) { s.v[s.at["elements"]] = 2101; },
         "BEYOND ITS NODE TABLE"},
        {"node in use without dof", [](Synthetic& s) { s.v[s.at["nodptr"]] = 0; },
         "IN USE WITHOUT A DOF"},
        {"vertex with two dofs",
         [](Synthetic& s) {
             const std::size_t link = s.at["elements"] + 9 + 2 + 8;
             s.v[link] = 99;
             s.v.insert(s.v.begin() + static_cast<long>(link) + 1, 9, 0.0);
         },
         "DATABASE IS INCONSISTENT"},
        {"one dof short", [](Synthetic& s) { s.v[s.at["counts"] + 3] = 5; },
         "DATABASE IS INCONSISTENT"},
        {"not a number", [nan](Synthetic& s) { s.v[s.at["counts"] + 1] = nan; }, "NOT A NUMBER"},
        {"integer beyond 32 bits", [](Synthetic& s) { s.v[s.at["pointers"] + 1] = 3.0e9; },
         "NOT AN INTEGER"},
        {"a block too many", [](Synthetic&) {}, "LENGTH DOES NOT FIT", 0, true},
    };
    for (const Damage& c : cases) expect_refused(c);
}

// Files whose stream fits together but holds what no run gives: reals that
// are not finite, nicknames no element can hold, settings no run sets, and
// elements turned over by their coordinates.
TEST_F(DumpDamageTest, ContentsNoRunGivesAreRefusedAndTheDataStayAsTheyWere) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Damage cases[] = {
        {"a coordinate that is not a number",
         [nan](Synthetic& s) { s.v[s.at["elements"] + 9] = nan; },
         "IT HOLDS A REAL THAT IS NOT A FINITE NUMBER"},
        {"an infinite solution value",
         [](Synthetic& s) {
             s.v[s.at["elements"] + 9 + 3] = std::numeric_limits<double>::infinity();
         },
         "IT HOLDS A REAL THAT IS NOT A FINITE NUMBER"},
        {"an estimate that is not a number",
         [nan](Synthetic& s) {
             s.iestim = 1;
             s.build();
             s.v[s.at["estimate"] + 3] = nan;
         },
         "IT HOLDS A REAL THAT IS NOT A FINITE NUMBER"},
        {"a vertex far off that folds its element",
         [](Synthetic& s) { s.v[s.at["elements"] + 9] = 1e300; },
         "THE JACOBIAN OF ELEMENT 2 IS NOT POSITIVE AT ITS VERTEX 1"},
        {"a vertex moved across its element", [](Synthetic& s) { s.v[s.at["elements"] + 9] = 2.0; },
         "THE JACOBIAN OF ELEMENT 2 IS NOT POSITIVE"},
        {"a vertex nickname of node 0", [](Synthetic& s) { s.v[s.at["elements"]] = 5; },
         "ELEMENT 2 LOCAL NODE 1 HAS NICKNAME 5"},
        {"a mid-side node of order 9", [](Synthetic& s) { s.v[s.at["elements"] + 4] = 709; },
         "ELEMENT 2 LOCAL NODE 5 HAS NICKNAME 709"},
        {"a hanging interior", [](Synthetic& s) { s.v[s.at["elements"] + 8] = -2; },
         "ELEMENT 2 LOCAL NODE 9 HAS NICKNAME -2"},
        {"symmetry flag 4", [](Synthetic& s) { s.v[s.at["equations"] + 2 + 16] = 4; },
         "ITS SYMMETRY FLAG ISYMET IS NEITHER 1 NOR 2"},
        {"solved flag 2", [](Synthetic& s) { s.v[s.at["flags"]] = 2; },
         "ITS FLAGS ISOLVD, IESTIM, ISOLVR, ISLVDF ARE NOT ALL 0 OR 1"},
    };
    for (const Damage& c : cases) expect_refused(c);
}

TEST_F(DumpTest, AFileThatCannotBeReadLeavesAMeshlessRunWithoutMesh) {
    reset_database();
    cmshst.INOMSH = 1;
    std::ofstream(dir / "data/short.sav") << "not a save file";
    EXPECT_EQ(recover("data/short.sav"), 1);
    EXPECT_EQ(cmshst.INOMSH, 1);
    EXPECT_EQ(cdata.NRELEM, 0);
}

//// SAVE's file ////

TEST_F(DumpTest, SaveReplacesTheFileOnlyWhenTheNewOneIsComplete) {
    build_mixed_mesh();
    std::ofstream(dir / "data/t.sav") << "previous";
    ASSERT_EQ(save("data/t.sav"), 0) << errors();
    EXPECT_EQ(std::filesystem::file_size(dir / "data/t.sav") % SAVE_RECLEN, 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "data/t.sav.tmp"));

    // The temporary name is taken by a directory: nothing is written and the
    // previous file stays.
    const std::string previous = bytes("data/t.sav");
    std::filesystem::create_directories(dir / "data/t.sav.tmp/inner");
    EXPECT_EQ(save("data/t.sav"), 1);
    EXPECT_EQ(bytes("data/t.sav"), previous);
    EXPECT_NE(errors().find("*** NOTHING SAVED TO data/t.sav: ITS TEMPORARY FILE"),
              std::string::npos)
        << errors();

    // A target that is a directory cannot be replaced; the temporary file goes.
    std::filesystem::create_directories(dir / "data/dir.sav/inner");
    EXPECT_EQ(save("data/dir.sav"), 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "data/dir.sav/inner"));
    EXPECT_FALSE(std::filesystem::exists(dir / "data/dir.sav.tmp"));
    EXPECT_NE(errors().find("data/dir.sav: IT CANNOT BE REPLACED"), std::string::npos);

    // A directory that does not exist.
    EXPECT_EQ(save("nodir/x.sav"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "nodir"));
}

TEST_F(DumpTest, SaveRefusesADatabaseWithoutUsableMesh) {
    reset_database();
    EXPECT_EQ(save("data/none.sav"), 1);
    build_mixed_mesh();
    cmshst.INOMSH = 1;  // a refused hand-over
    EXPECT_EQ(save("data/none.sav"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "data/none.sav"));
    EXPECT_EQ(errors(),
              " *** NO MESH HAS BEEN DEFINED: USE GEOMETRY FIRST ***\n"
              " *** NO USABLE MESH: THE LAST GEOMETRY WAS NOT HANDED OVER ***\n");
}

//// the STORAGE level ////

TEST_F(DumpTest, StorageLevelNamesItsFilesAndEchoesItsRecords) {
    build_mixed_mesh();
    deck(
        "STORAGE\nSAVE,FILE\nSAVE,FILE=CASE1,UNFORM\nRECOVER,FILE=CASE1\n"
        "RECOVER,UNFORM,FILE=CASE1\nSAVE\nFROB\nEND\n");
    ASSERT_EQ(read(), 0);
    dump();
    EXPECT_TRUE(std::filesystem::exists(dir / "data/CASE1"));
    EXPECT_TRUE(std::filesystem::exists(dir / "data/t.sav"));
    EXPECT_EQ(errors(),
              " ** FILE NAME UNREADABLE **\n"
              " *** NOTHING RECOVERED FROM data/CASE1: IT HOLDS A VALUE THAT IS NOT A NUMBER, OR "
              "NOT AN INTEGER WHERE ONE IS DUE\n"
              "\n");
    EXPECT_EQ(file("decks/t.out"),
              "STORAGE\n   SAVE,FILE=CASE1,UNFORM\n   RECOVER,FILE=CASE1\n"
              "   RECOVER,UNFORM,FILE=CASE1\n   SAVE\nEND\n");
    EXPECT_EQ(iodati.INDENT, 1);
    EXPECT_TRUE(database_consistent());
}

//// the ring-buffer store ////

TEST_F(DumpTest, StoreFilesBlocksAndDropsThoseTheBufferWrapsOver) {
    std::vector<double> buf(10, 0.0);
    int found = 0;
    store(0, 0, nullptr, 0, buf.data(), 10, found);
    auto file_block = [&](int key, std::vector<double> block) {
        store(1, key, block.data(), static_cast<int>(block.size()), buf.data(), 10, found);
    };
    auto fetch = [&](int key, int len) {
        std::vector<double> block(static_cast<std::size_t>(len), -1.0);
        store(2, key, block.data(), len, buf.data(), 10, found);
        return found == 1 ? block : std::vector<double>{};
    };
    file_block(1, {1, 1, 1});
    file_block(2, {2, 2, 2, 2});
    file_block(1, {5, 5, 5});  // positions 8..10; the newest block of key 1 wins
    EXPECT_EQ(fetch(1, 3), (std::vector<double>{5, 5, 5}));
    EXPECT_EQ(fetch(2, 4), (std::vector<double>{2, 2, 2, 2}));
    // Does not fit before the end: back to position 1, over the block of key
    // 1 written first; the older ones behind it stay.
    file_block(3, {3, 3});
    EXPECT_EQ(fetch(3, 2), (std::vector<double>{3, 3}));
    EXPECT_EQ(fetch(2, 4), (std::vector<double>{2, 2, 2, 2}));
    EXPECT_EQ(fetch(1, 3), (std::vector<double>{5, 5, 5}));
    file_block(4, {4, 4, 4});  // positions 3..5, over key 2's block
    EXPECT_TRUE(fetch(2, 4).empty());
    EXPECT_EQ(fetch(1, 3), (std::vector<double>{5, 5, 5}));
    EXPECT_TRUE(fetch(9, 1).empty());
}

TEST_F(DumpTest, StoreWarnsWhenItsEntryTableRunsOut) {
    std::vector<double> buf(2 * STORE_ENTRIES, 0.0);
    int found = 0;
    const int lbuf = static_cast<int>(buf.size());
    store(0, 0, nullptr, 0, buf.data(), lbuf, found);
    double x = 0.0;
    for (int k = 1; k <= STORE_ENTRIES + 1; ++k) {
        x = k;
        store(1, k, &x, 1, buf.data(), lbuf, found);
    }
    EXPECT_NE(file("term.txt").find(" WARNING! AN ELEMENT LIST TOO SHORT!"), std::string::npos);
    store(2, 1, &x, 1, buf.data(), lbuf, found);
    EXPECT_EQ(found, 0);  // the oldest block made room
    store(2, STORE_ENTRIES + 1, &x, 1, buf.data(), lbuf, found);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(x, STORE_ENTRIES + 1.0);
    std::vector<double> big(static_cast<std::size_t>(lbuf) + 1, 0.0);
    EXPECT_EXIT(store(1, 7, big.data(), lbuf + 1, buf.data(), lbuf, found),
                ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace kavren::testing
