// Random sequences of four-son and two-son refinements and enrichments: the
// mesh stays consistent and 1-irregular, and every change that loses no
// order keeps the finite element function of both arrays, all components.
#include <gtest/gtest.h>

#include <random>

#include "hpmesh/enrich.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/refinexy.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh_fixture.hpp"
#include "records/mesh.hpp"
#include "solution_probe.hpp"

namespace kavren::testing {
namespace {

using MeshChangeProperty = MeshTest;

int random_active(std::mt19937& gen) {
    int nel = 0;
    const int pick = static_cast<int>(gen() % static_cast<unsigned>(cdata.NRELEM));
    for (int i = 0; i <= pick; ++i) nel = nelcon(nel);
    return nel;
}

// A code that raises every order of nel or keeps it.
int raising_code(int nel, std::mt19937& gen) {
    int slot = 0;
    findno(nel, slot);
    int code = 0;
    for (int k = 5; k <= 9; ++k) {
        const int now = std::max(1, std::abs(celem.NICK(k, slot) % 100));
        code = 10 * code + now + static_cast<int>(gen() % static_cast<unsigned>(MAXP - now + 1));
    }
    return code;
}

TEST_F(MeshChangeProperty, RandomChangesKeepTheMeshAndTheSolution) {
    std::mt19937 gen(2024);
    int refinements = 0, cuts = 0, raises = 0, others = 0;
    for (int trial = 0; trial < 8; ++trial) {
        MeshBuilder b(2, 2);
        int nel = 0;
        for (int i = 0; i < cdata.NRELEM; ++i) b.order(nel = nelcon(nel), 1 + gen() % 4);
        ASSERT_EQ(b.build(), "");
        fill_random_solution(static_cast<unsigned>(trial));
        cdec.IDEC = trial % 2;
        for (int step = 0; step < 14; ++step) {
            SCOPED_TRACE("trial " + std::to_string(trial) + " step " + std::to_string(step));
            const int e = random_active(gen);
            const int op = static_cast<int>(gen() % 5);
            std::mt19937 pgen(step);
            const std::vector<Probe> before = sample_solution(pgen, 1);
            int rc = MESH_DONE;
            bool exact = true, unew_exact = true;
            if (op == 0) {
                rc = refine(e, uold_flat(), unew_flat(), icolu.ICOLU);
                ++refinements;
            } else if (op <= 2) {
                rc = refinexy(e, op, uold_flat(), unew_flat(), icolu.ICOLU);
                ++cuts;
            } else if (op == 3) {
                rc = enrich(e, raising_code(e, gen), uold_flat(), unew_flat(), icolu.ICOLU);
                // With IDEC 0 the new dofs of UNEW keep whatever their rows held.
                unew_exact = cdec.IDEC == 1;
                ++raises;
            } else {
                const int code = gen() % 2 ? 2 + static_cast<int>(gen() % 7)
                                           : 11111 + static_cast<int>(gen() % 77777);
                if (!valid_order_code(code)) continue;
                rc = enrich(e, code, uold_flat(), unew_flat(), icolu.ICOLU);
                exact = false;
                ++others;
            }
            ASSERT_EQ(rc, MESH_DONE);
            ASSERT_TRUE(database_consistent());
            if (exact) expect_same_solution(before, unew_exact);
        }
    }
    EXPECT_GT(refinements, 10);
    EXPECT_GT(cuts, 10);
    EXPECT_GT(raises, 10);
    EXPECT_GT(others, 5);
}

}  // namespace
}  // namespace kavren::testing
