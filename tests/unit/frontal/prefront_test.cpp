// Destination codes of the prefront, their decoding, the storage plan and
// the refusals of the frontal solver with their messages.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "frontal/frontal_internal.hpp"
#include "harness.hpp"

namespace kavren::testing {
namespace {

class Prefront : public ::testing::Test {
  protected:
    void SetUp() override { reset_messages(); }
};

// The prefront's division by a multiplication gives the quotient and
// remainder of C++'s division for every divisor and sign, at the ends of the
// range too.
TEST(Divider, AgreesWithTheHardwareDivision) {
    const int big = std::numeric_limits<int>::max(), least = std::numeric_limits<int>::min();
    const std::vector<int> divisors{1, 2, 3, 7, 10, 100, 1000, 6700417, 1000000000, big};
    std::vector<int> values{0, 1, -1, 9, 99, 100, 101, 999999, big, big - 1, least + 1, least};
    for (int v = 1; v < 2000000000 / 7; v = v * 7 + 3) {
        values.push_back(v);
        values.push_back(-v);
    }
    for (int d : divisors) {
        const frontal::Divider by(d);
        for (int x : values) {
            EXPECT_EQ(by.quot(x), x / d) << x << " / " << d;
            EXPECT_EQ(by.rem(x), x % d) << x << " % " << d;
            // Around each multiple of d, where a rounded quotient would slip.
            const long long m = static_cast<long long>(x / d) * d;
            for (long long y = m - 1; y <= m + 1; ++y) {
                if (y < least || y > big) continue;
                const int z = static_cast<int>(y);
                EXPECT_EQ(by.quot(z), z / d) << z << " / " << d;
            }
        }
    }
}

// Node P1 (1 unknown) and S (2) in element 1, S and P2 (1) in element 2.
TEST_F(Prefront, SmallExampleGivesItsCodes) {
    Problem p;
    p.set.ndof = {0, 1, 2, 1};
    p.set.elements = {{1, 2}, {2, 3}};
    current() = &p;
    set_controls(p, SolveOptions{});
    surfc1.NUMELM() = 2;
    p.codes.assign(2, {});
    int ia[4] = {101, 202, 202, 301}, ibb[4], iw[4];
    surfc2.NTDEST = 4;
    int ntot = 0;
    desvec(std::vector<int>{2, 2}.data(), ia, ibb, iw, ntot);
    EXPECT_EQ(p.codes[0], (std::vector<int>{1012, 2020}));
    EXPECT_EQ(p.codes[1], (std::vector<int>{1023, 3012}));
    EXPECT_EQ(surfc2.MFW, 3);
    EXPECT_EQ(surfc2.MDOF, 3);
    EXPECT_EQ(ntot, 4);

    double andest[2], ddest[3], edest[3];
    int nelim = 0;
    andest[0] = 1012, andest[1] = 2020;
    dest(2, andest, nelim, ddest, edest);
    EXPECT_EQ(nelim, 1);
    EXPECT_EQ(std::vector<double>(ddest, ddest + 3), (std::vector<double>{-1, 2, 3}));
    EXPECT_EQ(edest[0], 1);
    EXPECT_EQ(surfc2.NFW, 3);
    andest[0] = 1023, andest[1] = 3012;
    dest(2, andest, nelim, ddest, edest);
    EXPECT_EQ(nelim, 3);
    EXPECT_EQ(std::vector<double>(ddest, ddest + 3), (std::vector<double>{-1, -2, -3}));
    EXPECT_EQ(std::vector<double>(edest, edest + 3), (std::vector<double>{1, 1, 1}));
}

TEST_F(Prefront, NodeWithoutUnknownsSharesThePositionOfTheNextNewNode) {
    Problem p;
    p.set.ndof = {0, 1, 0, 2};
    p.set.elements = {{1, 2, 3}, {3, 2}};
    p.fill(1);
    ASSERT_EQ(prefront(p, SolveOptions{}), 0);
    // Node 2 (no unknowns) and node 3 both start at position 2, and both move
    // down to 1 when node 1 leaves the front.
    EXPECT_EQ(p.codes[0], (std::vector<int>{1012, 2000, 2020}));
    EXPECT_EQ(p.codes[1], (std::vector<int>{1023, 1003}));
    EXPECT_EQ(surfc2.MFW, 3);
}

// The prefront walked literally: the look-ahead scans the rest of the list
// and the compaction every later entry up to the furthest look-ahead.
std::vector<std::vector<int>> literal_codes(const Problem& p) {
    std::vector<int> ia;
    for (const auto& el : p.set.elements)
        for (int node : el)
            ia.push_back(node * p.nicmul + p.set.ndof[static_cast<std::size_t>(node)]);
    const int nt = static_cast<int>(ia.size());
    std::vector<int> ibb(static_cast<std::size_t>(nt), 0);
    std::vector<std::vector<int>> codes;
    int nextpos = 1, far = 0, e = 0;
    const int numelm = static_cast<int>(p.set.elements.size());
    for (int i = 1; i <= numelm; ++i) {
        const auto& el = p.set.elements[static_cast<std::size_t>(i - 1)];
        std::vector<std::pair<int, int>> gone;
        int neld = 0;
        const int first = e;
        for (std::size_t k = 0; k < el.size(); ++k, ++e) {
            const int v = ia[static_cast<std::size_t>(e)], ndof = v % p.nicmul;
            int pos, infront;
            if (ibb[static_cast<std::size_t>(e)] < 1) {
                pos = nextpos;
                nextpos += ndof;
                infront = 0;
            } else {
                pos = ibb[static_cast<std::size_t>(e)];
                infront = 1;
            }
            int& code = ibb[static_cast<std::size_t>(e)];
            code = pos * 10 * p.nicmul + ndof * 10;
            int n = e + 1;
            while (n < nt && ia[static_cast<std::size_t>(n)] != v) ++n;
            if (n < nt) {
                ibb[static_cast<std::size_t>(n)] = pos;
                code += infront;
                far = std::max(far, n);
            } else {
                code += 2 + infront;
                gone.emplace_back(pos, ndof);
                neld += ndof;
            }
        }
        if (i < numelm && !gone.empty()) {
            nextpos -= neld;
            for (int n = e; n <= far; ++n) {
                const int old = ibb[static_cast<std::size_t>(n)];
                if (old == 0) continue;
                for (auto [pos, nd] : gone)
                    if (pos <= old) ibb[static_cast<std::size_t>(n)] -= nd;
            }
        }
        codes.emplace_back(ibb.begin() + first, ibb.begin() + e);
    }
    return codes;
}

TEST_F(Prefront, CodesAreThoseOfTheLiteralWalk) {
    // Seeds past 30: sets large enough that the list of nodes without
    // unknowns drops its reached entries many times over.
    for (unsigned seed = 1; seed <= 33; ++seed) {
        Problem p;
        p.set = seed > 30       ? random_set(400, 500, 9, seed)
                : seed % 3 == 0 ? grid_set(5, 4, 1 + seed % 4, 1, seed)
                                : random_set(60, 50, 7, seed);
        p.fill(seed);
        ASSERT_EQ(prefront(p, SolveOptions{}), 0);
        EXPECT_EQ(p.codes, literal_codes(p)) << seed;
    }
}

TEST_F(Prefront, EliminationsAreRenumberedForTheGapsOfEarlierOnes) {
    struct Case {
        std::vector<double> codes, edest;
    } cases[] = {
        {{3012, 5012}, {3, 4}},
        {{5012, 3012}, {5, 3}},
        {{1032, 2012}, {1, 1, 1, 1}},  // a node of three unknowns, then one above it
    };
    surfc1.NICMUL() = 100;
    surfc1.IPFSDV() = 0;
    for (const auto& c : cases) {
        double ddest[8], edest[8];
        int nelim = 0;
        dest(static_cast<int>(c.codes.size()), c.codes.data(), nelim, ddest, edest);
        EXPECT_EQ(std::vector<double>(edest, edest + nelim), c.edest) << c.codes[0];
    }
}

TEST_F(Prefront, WorkSpaceOfTheCapacityMeshIsRefused) {
    surfc1.NUMELM() = 16000;
    surfc1.MA() = 288009;
    surfc1.NFSOUT() = TEST_FSOUT;
    std::vector<int> nnode(16000, 9), ia(288009);
    int a, b, c;
    surfsp(nnode.data(), ia.data(), a, b, c);
    EXPECT_EQ(surfc1.IERR(), FS_ROOM);
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "", "", "ERROR IN SURFSP: NOT ENOUGH ROOM IN ARRAY IA",
                              "     STORAGE REQUIRED  288018", "     STORAGE AVAILABLE  288009"}));
}

TEST_F(Prefront, CodesReachingTwoToThe24AreRefused) {
    Problem p;
    p.nicmul = 100000;
    p.set.ndof.assign(18, 1);
    p.set.elements.push_back({});
    for (int n = 1; n <= 17; ++n) p.set.elements[0].push_back(n);
    p.fill(2);
    EXPECT_EQ(prefront(p, SolveOptions{}), FS_CODE_RANGE);
    EXPECT_TRUE(has_line(messages(), "     ERROR IN SURFSP: DESTINATION CODE TOO LARGE"));
}

TEST_F(Prefront, MultiplierKeepsLargeNodesApart) {
    EXPECT_EQ(prefront_multiplier(1), 100);
    EXPECT_EQ(prefront_multiplier(99), 100);
    EXPECT_EQ(prefront_multiplier(100), 1000);
    EXPECT_EQ(prefront_multiplier(196), 1000);
    // Four components at order 8: interior nodes of 196 unknowns.
    Problem p;
    p.set = grid_set(2, 1, 8, 4);
    p.nicmul = prefront_multiplier(196);
    for (bool sym : {true, false}) {
        p.sym = sym;
        p.fill(3);
        SolveOptions o;
        o.isym = sym ? 1 : 2;
        o.ma = 1500000;
        ASSERT_EQ(run(p, o), 0);
        const auto ref = p.dense_solution();
        for (std::size_t i = 0; i < ref.size(); ++i) ASSERT_NEAR(p.x[i], ref[i], 1e-9) << i;
    }
}

//// storage plan and buffers ////

// One element, two unknowns (two nodes of one), symmetric.
Problem two_unknowns(int nrhs) {
    Problem p;
    p.set.ndof = {0, 1, 1};
    p.set.elements = {{1, 2}};
    p.nrhs = nrhs;
    p.fill(4);
    p.kmat[0] = {4, 1, 1, 3};
    return p;
}

TEST_F(Prefront, EquationsGoToTheBufferDividedByThePivot) {
    Problem p = two_unknowns(1);
    std::vector<double> work;
    SolveOptions o;
    ASSERT_EQ(prefront(p, o), 0);
    ASSERT_EQ(solve(p, o, work), 0);
    // Areas: ELNFW 1, Andest 2, DDEST 2, EDEST 2, element 3+2, front 3+2.
    const double* ubuf = work.data() + 17;
    EXPECT_EQ(surfc2.LASTU, 5);
    EXPECT_EQ(surfc2.IUDUMP, 0);
    EXPECT_EQ(ubuf[0], 4.0);
    EXPECT_EQ(ubuf[1], 0.25);
    EXPECT_EQ(ubuf[2], p.loads[0][0]);
    EXPECT_EQ(ubuf[3], 3.0 - 0.25);
    EXPECT_EQ(ubuf[4], p.loads[0][1] - 0.25 * p.loads[0][0]);
    const auto ref = p.dense_solution();
    EXPECT_NEAR(p.x[0], ref[0], 1e-15);
    EXPECT_NEAR(p.x[1], ref[1], 1e-15);

    o.isym = 4;  // kept for re-solution: the single record is written all the same
    ASSERT_EQ(solve(p, o, work), 0);
    EXPECT_EQ(surfc2.IUDUMP, 1);
    EXPECT_EQ(surfc2.IFU, 1);

    Problem q = two_unknowns(0);  // no loads: equations only, no back substitution
    o.isym = 1;
    ASSERT_EQ(prefront(q, o), 0);
    ASSERT_EQ(solve(q, o, work), 0);
    EXPECT_EQ(surfc2.LASTU, 3);
    EXPECT_EQ(q.solout_calls, 0);
}

TEST_F(Prefront, BufferOfExactlyTheLargestEquationIsAccepted) {
    for (int isym : {1, 2, 3, 4}) {
        Problem p;
        p.set = grid_set(3, 2, 2, 1);
        p.sym = isym == 1 || isym == 4;
        p.fill(5);
        SolveOptions o;
        o.isym = isym;
        ASSERT_EQ(run(p, o), 0);
        const int need = surfc2.MFW + p.nrhs + (isym == 3 ? surfc2.MFW : 0);
        const long exact = o.ma - surfc2.MBUF + need;
        o.ma = exact;
        EXPECT_EQ(run(p, o), 0) << isym;
        reset_messages();
        o.ma = exact - 1;
        EXPECT_EQ(run(p, o), FS_BUFFER) << isym;
        const auto lines = messages();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[2], "     ERROR IN SURFS: NOT ENOUGH ROOM IN BUFFER");
        EXPECT_EQ(lines[3], fmt::line("(12x,'MINIMUM SIZE OF WORK ARRAY  = ',i7)",
                                      {static_cast<int>(exact)}));
    }
}

TEST_F(Prefront, StoragePlanLines) {
    Problem p = two_unknowns(1);
    SolveOptions o;
    o.ma = 1000;
    ASSERT_EQ(prefront(p, o), 0);
    std::vector<double> work;
    surfc1.IPFSTM() = 1;
    ASSERT_EQ(solve(p, o, work), 0);
    const auto lines = messages();
    const std::vector<std::string> head{"",
                                        "",
                                        "     SYMMETRIC FORWARD ELIMINATION",
                                        "",
                                        "     RESOLUTION INACTIVATED",
                                        "",
                                        "                OVER HEAD:      7",
                                        "                  ELEMENT:      5",
                                        "                    FRONT:      5",
                                        "                   BUFFER:    983",
                                        "            TOTAL STORAGE:   1000"};
    ASSERT_GE(lines.size(), head.size() + 2);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 11), head);
    EXPECT_EQ(lines[11].substr(0, 38), "          TIME IN FORWARD ELIMINATION:");
    EXPECT_EQ(lines[12].substr(0, 36), "          TIME IN BACK SUBSTITUTION:");
}

TEST_F(Prefront, ElementTooLargeForTheAssemblyIsRefused) {
    Problem p;
    p.set.ndof = {0, 200, 125};
    p.set.elements = {{1, 2}};
    p.nicmul = 1000;
    p.fill(6);
    SolveOptions o;
    o.ma = 1000000;
    EXPECT_EQ(run(p, o), FS_ROOM);
    EXPECT_TRUE(has_line(messages(), " THE TEMP ARRAY: ntemp MUST BE INCREASED IN SYMASM"));
    EXPECT_EQ(p.solout_calls, 0);
}

//// pivots ////

TEST_F(Prefront, ZeroAndNaNPivotsRefuseTheSolve) {
    struct Case {
        double pivot;
        int ierr;
    } cases[] = {{1.0e-30, FS_ZERO_PIVOT},
                 {-1.0e-30, FS_ZERO_PIVOT},
                 {0.0, FS_ZERO_PIVOT},
                 {std::numeric_limits<double>::quiet_NaN(), FS_ZERO_PIVOT},
                 {1.1e-30, 0}};
    for (bool sym : {true, false})
        for (const auto& c : cases) {
            reset_messages();
            Problem p;
            p.set.ndof = {0, 1, 1, 1};
            p.set.elements = {{1, 2}, {2, 3}};
            p.sym = sym;
            p.fill(7);
            // Node 1 is eliminated first with its own diagonal as pivot.
            p.kmat[0] = {c.pivot, 0, 0, 1};
            SolveOptions o;
            o.isym = sym ? 1 : 2;
            EXPECT_EQ(run(p, o), c.ierr) << c.pivot;
            if (c.ierr != 0) {
                EXPECT_EQ(messages(),
                          (std::vector<std::string>{
                              "", "", "     ERROR IN FRWCP: ZERO PIVOT IN ELEMENT:   1"}));
                EXPECT_EQ(p.solout_calls, 0);
            }
        }
}

TEST_F(Prefront, DataOfSmallMagnitudeStillSolve) {
    for (bool sym : {true, false}) {
        Problem p;
        p.set = grid_set(3, 3, 3, 1);
        p.sym = sym;
        p.fill(8, 1e-20);
        SolveOptions o;
        o.isym = sym ? 1 : 2;
        ASSERT_EQ(run(p, o), 0);
        const auto ref = p.dense_solution();
        for (std::size_t i = 0; i < ref.size(); ++i)
            ASSERT_NEAR(p.x[i], ref[i], 1e-10 * std::fabs(ref[i]) + 1e-12) << i;
    }
}

//// re-solution refusals ////

TEST_F(Prefront, ResolutionRefusals) {
    const std::string head = "     ERROR IN SURFS: ATTEMPTED RESOLUTION WITH";
    struct Case {
        const char* what;
        int complete_isym, isym, nrhs;
        long ma_change;
        int ierr;
        std::vector<std::string> lines;
    } cases[] = {
        {"plain mode",
         2,
         2,
         1,
         0,
         FS_NO_RESOLUTION,
         {"", "", head + " RESOLUTION INACTIVATED (IE: ISYM=2 OR 1)"}},
        {"no loads", 4, 4, 0, 0, FS_NO_RHS, {"", "", head + " 0 RHS"}},
        {"other loads",
         4,
         4,
         2,
         0,
         FS_RHS_CHANGED,
         {"", "", head + " ANOTHER NUMBER OF RHS",
          "            NUMBER OF RHS OF THE COMPLETE SOLUTION =  1"}},
        {"less room",
         3,
         3,
         1,
         -1,
         FS_BUFFER,
         {"", "", head + " LESS WORKSPACE THAN WAS PREVIOUSLY ALLOCATED"}},
    };
    for (const auto& c : cases) {
        Problem p;
        p.set = grid_set(2, 2, 2, 1);
        p.sym = c.complete_isym == 4;
        p.fill(9);
        SolveOptions o;
        o.isym = c.complete_isym;
        o.ma = 5000;
        ASSERT_EQ(run(p, o), 0) << c.what;
        reset_messages();
        p.nrhs = c.nrhs;
        std::vector<double> work;
        SolveOptions re = o;
        re.iresol = 1;
        re.isym = c.isym;
        re.ma = o.ma + c.ma_change;
        EXPECT_EQ(solve(p, re, work), c.ierr) << c.what;
        EXPECT_EQ(messages(), c.lines) << c.what;
    }
}

TEST_F(Prefront, ResolutionWithMoreLoadsThanItsBufferHoldsIsRefused) {
    Problem p;
    p.set.ndof = {0, 1};
    p.set.elements = {{1}};
    p.nrhs = 3;
    p.fill(10);
    SolveOptions o;
    o.isym = 4;
    o.ma = 100;
    ASSERT_EQ(run(p, o), 0);
    reset_messages();
    std::vector<double> work;
    o.iresol = 1;
    EXPECT_EQ(solve(p, o, work), FS_TOO_MANY_RHS);
    // Buffer of a re-solution: the room the matrices had, 1 + 1 words.
    EXPECT_EQ(messages(), (std::vector<std::string>{"", "", "     ERROR: TOO MANY RHS",
                                                    "            MAXIMUM NUMBER OF RHS = 2"}));
}

//// prints ////

TEST_F(Prefront, EveryPrintLeavesTheSolutionAlone) {
    for (int isym : {1, 2, 3, 4}) {
        Problem p;
        p.set = grid_set(2, 2, 3, 1, 5);
        p.sym = isym == 1 || isym == 4;
        p.nrhs = 2;
        p.fill(11);
        SolveOptions o;
        o.isym = isym;
        o.ma = 3000;
        ASSERT_EQ(run(p, o), 0);
        const auto quiet = p.x;
        reset_messages();
        ASSERT_EQ(prefront(p, o), 0);
        for (int k = 11; k <= 28; ++k) surfc1.IWORD(k) = k == 14 || k == 15 ? surfc1.IWORD(k) : 1;
        std::vector<double> work;
        ASSERT_EQ(solve(p, o, work), 0);
        EXPECT_EQ(p.x, quiet) << isym;
        const auto lines = messages();
        EXPECT_GT(lines.size(), 100u);
        for (const char* want :
             {" FRWCP: Frnt: Assembled LHS", " BCKWRD: (Elem(i),i=1,lenx)",
              " FRWCP: Elem: Element LHS",
              " ZDIRIO: Unname,Commnd,ntape,Irec,Len,irecp,nbuf(iunit),lenf(iunit)"})
            EXPECT_TRUE(has_line(lines, want)) << want;
        if (isym >= 3) {
            o.iresol = 1;
            ASSERT_EQ(solve(p, o, work), 0);
            EXPECT_EQ(p.x, quiet);
        }
    }
}

}  // namespace
}  // namespace kavren::testing
