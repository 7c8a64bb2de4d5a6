// End-to-end: the start-up tables of the element kernel announce themselves
// once, before the configuration is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runner.hpp"

namespace kavren::e2e {
namespace {

const std::vector<std::string> kBanner = {
    " ***********************************************",
    " ***                                         ***",
    " ***   NEW  SHAPE  FUNCTIONS  ARE  SET:      ***",
    " ***   PRIMITIVES OF LEGENDRE POLYNOMIALS    ***",
    " ***                                         ***",
    " ***********************************************",
};

TEST(StartUp, ShapeFunctionBannerComesOnceBeforeTheConfiguration) {
    Project p;
    p.config = "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=0\nEND\n";
    p.files["decks/job.com"] = "END\n";
    p.input = "job\n";
    auto r = run_kavren(p);
    ASSERT_EQ(r.status, 0) << show(r);
    auto out = r.out_lines();
    ASSERT_GE(out.size(), kBanner.size() + 1) << show(r);
    EXPECT_TRUE(std::equal(kBanner.begin(), kBanner.end(), out.begin())) << show(r);
    EXPECT_EQ(out[kBanner.size()], "  ENTER:     PROJECT_NAME");
    EXPECT_EQ(std::count(out.begin(), out.end(), kBanner[2]), 1) << show(r);
}

}  // namespace
}  // namespace kavren::e2e
