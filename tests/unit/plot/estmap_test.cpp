// The map of element estimates on a built mesh with chosen estimates: the
// file it writes, its scale kept or renewed between calls, the flagged sets,
// refinement indicators, and its refusals.
#include "plot/estmap.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "plot/scales.hpp"
#include "plot_fixture.hpp"
#include "records/control.hpp"
#include "records/errmap.hpp"
#include "records/estimate.hpp"
#include "records/meshgen.hpp"

namespace kavren::testing {
namespace {

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class EstimateMapTest : public PlotTest {
  protected:
    void SetUp() override {
        PlotTest::SetUp();
        // Answers for the waits of pfactor.
        std::ofstream(dir / "kbd.txt") << std::string(100, '\n');
        units::open_text(units::STDIN_UNIT, "kbd.txt", units::Open::existing);
        MeshBuilder b(2, 2);
        b.split4(1);
        ASSERT_EQ(b.build(), "");
        ASSERT_EQ(cdata.NRELEM, 7);
        cflags.IESTIM = 1;
        machine.ICOLOR = 1;
        csetf.ISCUR = 1;
        estimates({0.0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.85});
        deck("LASER=EST1\n");
        read();
        cinout.LUIN = cinout.LUKBD;
    }
    // The estimates of the active elements in tree order.
    void estimates(std::initializer_list<double> v) {
        int i = 0;
        for (double e : v) cerrest.ERREL(++i, 2) = e;
    }
    std::string map() {
        std::filesystem::remove(dir / "print/est1");
        mapcne();
        return file("print/est1");
    }
    // The fill lines inside the clip: the element fills.
    static std::vector<std::string> element_fills(const std::string& ps) {
        std::vector<std::string> v;
        const std::size_t from = ps.find(" clip 0 setlinewidth"), to = ps.find(" grestore");
        if (from == std::string::npos || to == std::string::npos) return v;
        std::istringstream in(ps.substr(from, to - from));
        for (std::string l; std::getline(in, l);)
            if (l.size() == 7 && l.substr(5) == " s") v.push_back(l);
        return v;
    }
    void define_set(int s, const char* name, int entry, int element) {
        csetf.NSET = std::max(csetf.NSET, s);
        csetf.SETNAM(s) = Word8(name);
        csetf.ISFRST(s) = entry;
        csetf.ISELEM(entry) = element;
        csetf.ISNEXT(entry) = entry + 1;
        csetf.ISELEM(entry + 1) = 0;
        csetf.ISNEXT(entry + 1) = 0;
        csetf.ISLAST(s) = entry + 1;
        csetf.ISFREE = entry + 2;
        csetf.ISHIGH = entry + 2;
    }
};

TEST_F(EstimateMapTest, FirstMapWritesItsFileWithTitleLegendAndScaleFromZero) {
    const std::string ps = map();
    ASSERT_FALSE(ps.empty());
    ASSERT_EQ(std::system("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage print/est1 "
                          "> gs.txt 2>&1"),
              0)
        << file("gs.txt");
    EXPECT_EQ(file("gs.txt").find("Error:"), std::string::npos) << file("gs.txt");
    EXPECT_NE(ps.find("(ERROR ESTIMATE"), std::string::npos);
    EXPECT_NE(ps.find("(ERRORS)"), std::string::npos);
    for (const char* label : {"MIN=", "MAX=", "CONVERGENCE", "RATE=", "D.O.F="})
        EXPECT_NE(ps.find(label), std::string::npos) << label;
    double sum = 0.0;
    for (double e : {0.1, 0.2, 0.3, 0.4, 0.5, 0.85}) sum += e * e;
    EXPECT_NE(ps.find("GLOBAL=" + label_fmt(1.0, std::sqrt(sum)).trimmed() + ")"),
              std::string::npos)
        << ps;
    EXPECT_NE(ps.find("(D.O.F=" + label_fmt(1.0, cdata.NRDOF).trimmed() + ")"), std::string::npos);
    // 0 to 0.85 rounded to steps of 0.0625: 14 bands up to 0.875.
    EXPECT_EQ(cestdisr.ESTMIN, 0.0);
    EXPECT_DOUBLE_EQ(cestdisr.ESTMAX, 0.875);
    EXPECT_EQ(cestdisp.ESTDSP(3), 14);
    EXPECT_EQ(cestdisp.ESTDSP(1), 100);
    const std::vector<std::string> fills = element_fills(ps);
    ASSERT_EQ(fills.size(), 7u) << ps;
    EXPECT_EQ(fills[0], "1.000 s");  // the estimate 0
    EXPECT_EQ(fills[6], "0.000 s");  // the largest, in the top band
}

TEST_F(EstimateMapTest, LaterMapsKeepTheScaleUntilWordSevenAsks) {
    map();
    estimates({1.0, 1.0, 2.0, 2.0, 3.0, 3.0, 4.0});
    cestdisp.ESTDSP(9) = 1;
    cestdisp.ESTDSP(10) = 1;
    map();
    EXPECT_DOUBLE_EQ(cestdisr.ESTMAX, 0.875);
    cestdisp.ESTDSP(7) = 1;
    map();
    EXPECT_EQ(cestdisp.ESTDSP(7), 0);
    EXPECT_LE(cestdisr.ESTMIN, 1.0);
    EXPECT_GT(cestdisr.ESTMIN, 0.5);
    EXPECT_GE(cestdisr.ESTMAX, 4.0);
    EXPECT_LT(cestdisr.ESTMAX, 5.0);
    // Word 10 alone: only the upper end follows.
    cestdisp.ESTDSP(9) = 0;
    cestdisp.ESTDSP(7) = 1;
    const double lo = cestdisr.ESTMIN;
    estimates({0.0, 1.0, 2.0, 2.0, 3.0, 3.0, 8.0});
    map();
    EXPECT_EQ(cestdisr.ESTMIN, lo);
    EXPECT_EQ(cestdisr.ESTMAX, 8.0);
}

TEST_F(EstimateMapTest, FlaggedSetsDrawTheirUnionAndLeaveTheWholeMeshCurrent) {
    define_set(2, "RIGHT", 1, 2);
    define_set(5, "", 3, 4);
    cestdisp.ESTDSP(10 + 2) = 1;
    cestdisp.ESTDSP(10 + 5) = 1;
    const std::string ps = map();
    EXPECT_EQ(element_fills(ps).size(), 2u) << ps;
    EXPECT_NE(ps.find("(SET=RIGHT"), std::string::npos) << ps;
    EXPECT_NE(ps.find("(SET= 5)"), std::string::npos) << ps;
    EXPECT_EQ(csetf.ISCUR, 1);
}

TEST_F(EstimateMapTest, IndicatorsAskTheFactorTwiceAnElement) {
    cestdisp.ESTDSP(6) = 1;
    const std::size_t m = mark();
    const std::string ps = map();
    EXPECT_NE(ps.find("(REFINEMENT INDICATORS"), std::string::npos);
    EXPECT_NE(ps.find("(INDICATORS)"), std::string::npos);
    EXPECT_EQ(ps.find("GLOBAL="), std::string::npos);
    EXPECT_EQ(count_of(since(m), " IN FAKE PFACTOR\n"), 2 * 7) << since(m);
    // The factor 1: the indicators are the estimates.
    EXPECT_DOUBLE_EQ(cestdisr.ESTMAX, 0.875);
}

TEST_F(EstimateMapTest, RefusedWithoutEstimatesOrElements) {
    cflags.IESTIM = 0;
    EXPECT_TRUE(map().empty());
    EXPECT_NE(file("decks/t.err").find(" NO CURRENT ERROR ESTIMATE"), std::string::npos);
    EXPECT_NE(cestdisp.ESTDSP(1), 100);
    cflags.IESTIM = 1;
    cestdisp.ESTDSP(10 + 7) = 1;  // a set that holds no element
    EXPECT_TRUE(map().empty());
    EXPECT_NE(file("decks/t.err").find("NOTHING TO DRAW"), std::string::npos);
    EXPECT_EQ(csetf.ISCUR, 1);
}

}  // namespace
}  // namespace kavren::testing
