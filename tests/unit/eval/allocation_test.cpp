// userf and exact run at every quadrature point: running the stored
// expressions must not allocate. The global allocator of this test binary
// counts the allocations made while a test asks it to.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>

#include "adapt/exact.hpp"
#include "eval/ifcompo.hpp"
#include "eval_fixture.hpp"

namespace {
bool g_counting = false;
long g_allocations = 0;

// Kept out of line: g++ would otherwise take the free of a block that
// operator new returned for a mismatch.
[[gnu::noinline]] void release(void* p) noexcept {
    std::free(p);
}

void* allocate(std::size_t n) noexcept {
    if (g_counting) ++g_allocations;
    return std::malloc(n == 0 ? 1 : n);
}
}  // namespace

// Every plain form is replaced, so that no allocation of one form meets the
// release of another (the sanitizer build checks that).
void* operator new(std::size_t n) {
    if (void* p = allocate(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    if (void* p = allocate(n)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return allocate(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return allocate(n);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}

namespace kavren::testing {
namespace {

TEST_F(EvalTest, RunningStoredExpressionsAllocatesNothing) {
    for (const char* line : {"OMEGA=EXP(X+Y)*SIN(3*X)", "OMEGAX=EXP(X+Y)*(SIN(3*X)+3*COS(3*X))",
                             "OMEGAY=OMEGA", "OMEGAXX=X>0?1:2", "OMEGAXY=MAX(X,Y)", "OMEGAYY=Y^2"})
        evpack(line);
    const double zero[MAX_EQNS] = {0, 0, 0, 0};
    const int ivar = ifcompo("OMEGAX");
    double sum = 0.0, x = 0.1, y = 0.2, u = 0.0, du[2], d2u[4];
    g_allocations = 0;
    g_counting = true;
    for (int i = 0; i < 1000; ++i) {
        sum += userf(1, 0.001 * i, 0.5, zero, zero, zero, ivar);
        exact(x, y, u, du, d2u);
        sum += u;
    }
    g_counting = false;
    EXPECT_EQ(g_allocations, 0);
    EXPECT_TRUE(std::isfinite(sum));
    // The counter does count: the line of ATAN2 is built as a string.
    Chars<EXPR_TEXT> text("ATAN2(1,0)");
    int irpn[RPN_ROWS] = {};
    int len = 0, istat = 0;
    eval(EV_COMPILE, text, irpn, len, istat);
    g_counting = true;
    evaluf(irpn, len);
    g_counting = false;
    EXPECT_GT(g_allocations, 0);
}

}  // namespace
}  // namespace kavren::testing
