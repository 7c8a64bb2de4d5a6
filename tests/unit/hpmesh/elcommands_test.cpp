#include "hpmesh/elcommands.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "hpmesh/primitives.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh/unrefine.hpp"
#include "hpmesh_fixture.hpp"
#include "meshgen/tables.hpp"
#include "records/control.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "solution_probe.hpp"

namespace kavren::testing {
namespace {

using ElementCommandTest = MeshTest;

void set_flags() {
    cflags.ISOLVD = 1;
    cflags.IESTIM = 1;
}

bool flags_cleared() {
    return cflags.ISOLVD == 0 && cflags.IESTIM == 0;
}

// A set named LEFT holding initial element 1, made current.
void current_set_of_element_1() {
    csetf.NSET = 2;
    csetf.SETNAM(2) = "LEFT";
    csetf.ISFRST(2) = 1;
    csetf.ISELEM(1) = 1;
    csetf.ISNEXT(1) = 2;
    csetf.ISELEM(2) = 0;
    csetf.ISNEXT(2) = 0;
    csetf.ISLAST(2) = 2;
    csetf.ISFREE = 3;
    csetf.ISCUR = 2;
}

// Puts the family whose son would need a slot beyond MAXSLOT at the head of
// the free-family list: the next split is refused.
void slotless_family_first() {
    const int fam = MAXSLOT - cdata.NRELIN + 1;
    std::vector<int> list{fam};
    for (int f = cpoint.NPFAM; f != 0; f = ctree.TREE(2, f))
        if (f != fam) list.push_back(f);
    cpoint.NPFAM = list.front();
    for (std::size_t i = 0; i < list.size(); ++i)
        ctree.TREE(2, list[i]) = i + 1 < list.size() ? list[i + 1] : 0;
}

struct Outcome {
    int code = -99;
    std::string errors;  // what the error file gained
    std::string out;     // what the terminal showed
};

template <typename Fn>
Outcome run(MeshTest& t, Fn fn) {
    (void)t;
    Outcome o;
    ::testing::internal::CaptureStdout();
    fn(o.code);
    o.out = ::testing::internal::GetCapturedStdout();
    return o;
}

TEST_F(ElementCommandTest, RefelResults) {
    struct Case {
        const char* name;
        int nel, ibtyp;
        int want;
        const char* message;  // the error line, "" for none
        std::function<void()> setup;
    };
    // Two elements side by side; element 2 is refined into sons 3..8.
    const Case cases[] = {
        {"refined", 1, 0, REFEL_DONE, "", [] {}},
        {"already refined", 2, 0, REFEL_HAS_SONS, "", [] {}},
        {"family above the capacity", 2 + 2 * MAXFAM + 1, 0, REFEL_FAMILY_RANGE,
         "  ELEMENT60003 HAS A NONEXISTENT", [] {}},
        {"free family", 9, 0, REFEL_NO_FATHER, "  ELEMENT   9 HAS A NONEXISTENT", [] {}},
        {"boundary filter", 1, 2, REFEL_BOUNDARY, "", [] {}},
        {"boundary filter passed", 1, 4, REFEL_DONE, "", [] {}},
        {"set filter", 5, 0, REFEL_SET, "", current_set_of_element_1},
        {"no slot left", 1, 0, REFEL_REFUSED,
         " REFINE OF ELEMENT 1 REFUSED: NO ELEMENT SLOT LEFT (16000 SLOTS); THE MESH IS UNCHANGED",
         slotless_family_first},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(2, 1);
        b.split4(2);
        ASSERT_EQ(b.build(), "");
        c.setup();
        set_flags();
        const int nrelem = cdata.NRELEM;
        const std::string err0 = file("decks/t.err");
        const Outcome o = run(*this, [&](int& code) {
            refel(c.nel, c.ibtyp, uold_flat(), unew_flat(), icolu.ICOLU, code);
        });
        EXPECT_EQ(o.code, c.want);
        const std::string err = file("decks/t.err").substr(err0.size());
        EXPECT_EQ(err.substr(0, err.find('\n')), c.message);
        EXPECT_EQ(cdata.NRELEM, nrelem + (c.want == REFEL_DONE ? 3 : 0));
        EXPECT_EQ(flags_cleared(), c.want == REFEL_DONE);
        if (c.want == REFEL_FAMILY_RANGE || c.want == REFEL_NO_FATHER) {
            EXPECT_NE(o.out.find(c.want == REFEL_NO_FATHER ? "  FATHER AND WAS NOT REFINED"
                                                           : "  FAMILY NUMBER AND WAS NOT REFINED"),
                      std::string::npos)
                << o.out;
        }
        EXPECT_TRUE(database_consistent());
        csetf.ISCUR = 1;
    }
}

TEST_F(ElementCommandTest, EnrichelResults) {
    struct Case {
        const char* name;
        int nel, ibtyp, k, iabs;
        int want;
        int order;  // interior order of nel afterwards (0 none)
        std::function<void()> setup;
    };
    // Element 1 of order 2 beside element 2, refined into four sons 3..8.
    const Case cases[] = {
        {"raised", 1, 0, 3, 1, ENRICHEL_DONE, 3, [] {}},
        {"incremented", 1, 0, 2, 0, ENRICHEL_DONE, 4, [] {}},
        {"lowered", 1, 0, -1, 0, ENRICHEL_DONE, 0, [] {}},
        {"clipped to order 1", 1, 0, -3, 0, ENRICHEL_RAISED, 0, [] {}},
        {"clipped to order 8", 1, 0, 9, 1, ENRICHEL_LOWERED, 8, [] {}},
        {"the same order", 1, 0, 2, 1, ENRICHEL_UNCHANGED, 2, [] {}},
        {"order 1 asked of order 1", 5, 0, 1, 1, ENRICHEL_UNCHANGED, 0, [] {}},
        {"boundary filter", 1, 2, 3, 1, ENRICHEL_BOUNDARY, 2, [] {}},
        {"set filter", 5, 0, 3, 1, ENRICHEL_SET, 0, current_set_of_element_1},
        {"an element with sons", 2, 0, 3, 1, ENRICHEL_REFINED, 0, [] {}},
        {"no such element", 9, 0, 3, 1, ENRICHEL_NO_FATHER, 0, [] {}},
        {"no dof left", 1, 0, 5, 1, ENRICHEL_REFUSED, 2, [] { cpoint.NPDOF = 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(2, 1);
        b.order(1, 2);
        const auto q = b.split4(2);
        (void)q;
        ASSERT_EQ(b.build(), "");
        fill_random_solution(2);
        const int npdof = cpoint.NPDOF;
        c.setup();
        set_flags();
        const DatabaseCopy copy;
        const Outcome o = run(*this, [&](int& code) {
            enrichel(c.nel, c.ibtyp, uold_flat(), unew_flat(), icolu.ICOLU, c.k, c.iabs, code);
        });
        EXPECT_EQ(o.code, c.want);
        const bool changed =
            c.want == ENRICHEL_DONE || c.want == ENRICHEL_RAISED || c.want == ENRICHEL_LOWERED;
        EXPECT_EQ(copy.unchanged(), !changed);
        if (c.want != ENRICHEL_REFINED && c.want != ENRICHEL_NO_FATHER) {
            EXPECT_EQ(interior_order(c.nel), c.order);
        }
        if (c.want == ENRICHEL_REFINED) {
            EXPECT_NE(o.out.find("  ELEMENT   2 HAS BEEN H-REFINED\n"
                                 "  AND ITS P-ORDER WAS NOT CHANGED"),
                      std::string::npos)
                << o.out;
        }
        if (c.want == ENRICHEL_REFUSED) cpoint.NPDOF = npdof;
        EXPECT_TRUE(database_consistent());
        csetf.ISCUR = 1;
    }
}

TEST_F(ElementCommandTest, UnrefelResults) {
    struct Case {
        const char* name;
        int nel, ibtyp;
        int want;
        int nrelem;           // active elements afterwards
        const char* message;  // the first error line, "" for none
        std::function<void(MeshBuilder&)> mesh;
    };
    // Element 1 refined into four sons 5 (lower left), 6 (lower right), 7
    // (upper left), 8 (upper right); element 2 cut in direction 2 into sons 9
    // (left) and 10 (right).
    auto base = [](MeshBuilder& b) {
        b.split4(1);
        b.split(2, 2);
    };
    const Case cases[] = {
        {"a quarter undoes the whole split", 5, 0, UNREFEL_DONE, 3, "", base},
        {"a son of a cut merges the family", 9, 0, UNREFEL_DONE, 5, "", base},
        {"an initial element", 1, 0, UNREFEL_INITIAL, 6, "", base},
        {"a family above the capacity", 2 + 2 * MAXFAM + 1, 0, UNREFEL_FAMILY_RANGE, 6,
         "  ELEMENT60003 HAS A NONEXISTENT", base},
        {"a free family", 11, 0, UNREFEL_NO_FATHER, 6, "  ELEMENT  11 HAS A NONEXISTENT", base},
        {"an element with sons", 3, 0, UNREFEL_HAS_SONS, 6, "  ELEMENT   3 HAS BEEN REFINED,",
         base},
        {"boundary filter on the father", 9, 4, UNREFEL_BOUNDARY, 6, "", base},
        {"boundary filter passed", 9, 2, UNREFEL_DONE, 5, "", base},
        {"sons with interior nodes", 9, 0, UNREF_NOT_HANDLED, 6,
         " THIS ELEMENT CANNOT BE UNREFINED DUE",
         [](MeshBuilder& b) {
             b.split4(1);
             b.split(2, 2);
             b.default_order(2);
         }},
        {"sons of different orders", 9, 0, UNREF_ORDERS_DIFFER, 6,
         "  WARNING! ELEMENT    9 HAS A DIFFERENT ORDER",
         [](MeshBuilder& b) {
             b.split4(1);
             b.split(2, 2);
             b.order(10, 2);
         }},
        {"a refined brother", 9, 0, UNREF_SON_REFINED, 7, "",
         [](MeshBuilder& b) {
             b.split4(1);
             b.split(2, 2);
             b.split(10, 2);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshBuilder b(2, 1);
        c.mesh(b);
        ASSERT_EQ(b.build(), "");
        fill_random_solution(4);
        cdec.IDEC = 1;
        set_flags();
        const std::string err0 = file("decks/t.err");
        const Outcome o = run(*this, [&](int& code) {
            unrefel(c.nel, c.ibtyp, uold_flat(), unew_flat(), icolu.ICOLU, code);
        });
        EXPECT_EQ(o.code, c.want);
        EXPECT_EQ(cdata.NRELEM, c.nrelem);
        const std::string err = file("decks/t.err").substr(err0.size());
        EXPECT_EQ(err.substr(0, err.find('\n')), c.message);
        EXPECT_EQ(flags_cleared(), c.want == UNREFEL_DONE);
        EXPECT_TRUE(database_consistent());
    }
}

TEST_F(ElementCommandTest, UnrefelReportsOrdersThatHadToChange) {
    MeshBuilder b(1, 1);
    b.split(1, 1);
    b.edge_order(2, 2, 3);  // son 2's half of the boundary side 2
    ASSERT_EQ(b.build(), "");
    int code = 0;
    ::testing::internal::CaptureStdout();
    unrefel(3, 0, uold_flat(), unew_flat(), icolu.ICOLU, code);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, UNREFEL_ORDERS_CHANGED);
    EXPECT_EQ(out,
              "  WARNING! UPON UNREFINING THE FATHER OF ELEMENT    3\n"
              "  ORDERS OF CERTAIN NODES HAD TO BE CHANGED.\n");
    EXPECT_TRUE(database_consistent());
}

}  // namespace
}  // namespace kavren::testing
