// Support of the element-kernel tests: the start-up tables built once, a
// scratch terminal (units 5 and 6 and the error file on files) for routines
// that write or pause, and reference mathematics computed independently of
// the tables under test (Legendre polynomials, their primitives, a Gauss rule
// from Newton's method).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fem/mesh_seams.hpp"
#include "fem/tables.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/reset.hpp"
#include "support/units.hpp"
#include "user/problem.hpp"

namespace kavren::testing {

// Builds the start-up tables once for the whole test program, the banner
// going to /dev/null.
inline void build_tables() {
    static const bool built = [] {
        units::open_text(units::STDOUT_UNIT, "/dev/null", units::Open::create);
        cnst();
        cnsti();
        cnsti1d();
        units::close(units::STDOUT_UNIT);
        return true;
    }();
    (void)built;
}

// A fixture with the tables built and the terminal on scratch files: unit 6
// writes terminal.txt, unit 5 reads keyboard.txt (blank lines, to answer
// pauses), the error file writes err.txt.
class TerminalTest : public ::testing::Test {
  protected:
    std::filesystem::path dir;
    std::filesystem::path old_cwd;

    void SetUp() override {
        build_tables();
        old_cwd = std::filesystem::current_path();
        dir = std::filesystem::temp_directory_path() /
              ("kavren-fem-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        reset_run();
        keyboard("\n\n\n\n");
        units::open_text(units::STDOUT_UNIT, "terminal.txt", units::Open::create);
        units::open_text(cinout.LUERR, "err.txt", units::Open::create);
    }
    void TearDown() override {
        reset_run();
        units::close_all();
        std::filesystem::current_path(old_cwd);
        std::filesystem::remove_all(dir);
    }
    // Makes text what the keyboard will give.
    void keyboard(const std::string& text) {
        std::ofstream(dir / "keyboard.txt") << text;
        units::open_text(units::STDIN_UNIT, (dir / "keyboard.txt").string(), units::Open::existing);
    }
    std::vector<std::string> lines(const std::string& rel) {
        units::flush_all();
        std::ifstream in(dir / rel);
        std::vector<std::string> out;
        for (std::string l; std::getline(in, l);) out.push_back(l);
        return out;
    }
};

// Installs a seam (the exact solution of the problem routines, or a mesh
// database answer) for the life of the guard.
template <typename Hook>
class HookGuard {
  public:
    HookGuard(Hook& hook, Hook value) : hook_(hook), old_(hook) { hook_ = value; }
    ~HookGuard() { hook_ = old_; }
    HookGuard(const HookGuard&) = delete;
    HookGuard& operator=(const HookGuard&) = delete;

  private:
    Hook& hook_;
    Hook old_;
};

//// reference mathematics ////

// Legendre polynomial P_n(x) and its derivative, by the three-term recurrence.
inline void legendre(int n, double x, double& p, double& dp) {
    double p0 = 1.0, p1 = x;
    if (n == 0) {
        p = 1.0;
        dp = 0.0;
        return;
    }
    for (int k = 2; k <= n; ++k) {
        double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
        p0 = p1;
        p1 = p2;
    }
    p = p1;
    dp = std::fabs(x) == 1.0 ? (n % 2 == 0 && x < 0 ? -1.0 : 1.0) * n * (n + 1) / 2.0
                             : n * (x * p1 - p0) / (x * x - 1.0);
}
inline double legendre(int n, double x) {
    double p, dp;
    legendre(n, x, p, dp);
    return p;
}

// 1-D shape function i (1..9) at x and its first derivative: the two linear
// functions, then the primitive from -1 of P_(i-2), which is
// (P_(i-1) - P_(i-3)) / (2i - 3).
inline double fun1d(int i, double x) {
    if (i == 1) return 0.5 * (1.0 - x);
    if (i == 2) return 0.5 * (1.0 + x);
    return (legendre(i - 1, x) - legendre(i - 3, x)) / (2 * i - 3);
}
inline double dfun1d(int i, double x) {
    if (i == 1) return -0.5;
    if (i == 2) return 0.5;
    return legendre(i - 2, x);
}

// The n-point Gauss-Legendre rule by Newton's method on P_n.
struct Rule {
    std::vector<double> x, w;
};
inline Rule gauss_rule(int n) {
    Rule r;
    const double pi = std::acos(-1.0);
    for (int i = 1; i <= n; ++i) {
        double x = std::cos(pi * (i - 0.25) / (n + 0.5));
        for (int it = 0; it < 100; ++it) {
            double p, dp;
            legendre(n, x, p, dp);
            double dx = p / dp;
            x -= dx;
            if (std::fabs(dx) < 1e-17) break;
        }
        double p, dp;
        legendre(n, x, p, dp);
        r.x.push_back(x);
        r.w.push_back(2.0 / ((1.0 - x * x) * dp * dp));
    }
    return r;
}

// Element function list of an order vector in the documented order: the
// (XI, ETA) 1-D function numbers of each element function.
struct Pair {
    int a, b;
};
inline std::vector<Pair> element_pairs(const int* nord) {
    std::vector<Pair> f = {{1, 1}, {2, 1}, {2, 2}, {1, 2}};
    for (int a = 3; a <= nord[4] + 1; ++a) f.push_back({a, 1});
    for (int b = 3; b <= nord[5] + 1; ++b) f.push_back({2, b});
    for (int a = 3; a <= nord[6] + 1; ++a) f.push_back({a, 2});
    for (int b = 3; b <= nord[7] + 1; ++b) f.push_back({1, b});
    for (int b = 3; b <= nord[8] + 1; ++b)
        for (int a = 3; a <= nord[8] + 1; ++a) f.push_back({a, b});
    return f;
}

// Geometry nodes XNOD(2,9) of the image of the master square under a map,
// taken at the nine master node positions.
template <typename Map>
std::vector<double> nodes_of(Map map) {
    const double mx[9] = {-1, 1, 1, -1, 0, 1, 0, -1, 0};
    const double my[9] = {-1, -1, 1, 1, -1, 0, 1, 0, 0};
    std::vector<double> xnod(18);
    for (int k = 0; k < 9; ++k) map(mx[k], my[k], xnod[2 * k], xnod[2 * k + 1]);
    return xnod;
}

}  // namespace kavren::testing
