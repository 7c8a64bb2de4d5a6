// A fixture for the exact errors and the adaptive steps: a scratch project
// with an empty mesh database, the evaluator set up, the terminal connected
// to a file, a two-dimensional problem, and the EXECUTE driver's error arrays
// cleared. fill_solution puts a known function into UNEW.
#pragma once

#include <fstream>
#include <functional>
#include <string>

#include "../hpmesh/hpmesh_fixture.hpp"
#include "eval/evaluator.hpp"
#include "fem/tables.hpp"
#include "records/execute.hpp"
#include "support/units.hpp"

namespace kavren::testing {

class AdaptTest : public MeshTest {
  protected:
    void SetUp() override {
        MeshTest::SetUp();
        units::open_text(units::STDOUT_UNIT, "term.txt", units::Open::create);
        initeval();
        cndimen.NDIMEN = 2;
    }
    // Everything written on the terminal so far.
    std::string terminal() { return file("term.txt"); }
    // Lines written on the terminal from the marked position on.
    std::size_t mark() { return terminal().size(); }
    std::string since(std::size_t m) { return terminal().substr(m); }
};

// The same with the solver's start-up tables built, for tests that solve, and
// empty lines on the keyboard for the extension points that wait.
class SolvingAdaptTest : public AdaptTest {
  protected:
    void SetUp() override {
        AdaptTest::SetUp();
        cnsti();
        cnsti1d();
        std::ofstream(dir / "kbd.txt") << std::string(20, '\n');
        units::open_text(units::STDIN_UNIT, "kbd.txt", units::Open::existing);
    }
};

// Writes into component 1 of UNEW the function f of the element space of the
// mesh that interpolates it in each element's Gauss points (for f in that
// space: f itself), node by node through the dof chains. Other components
// get 2f, 3f and 4f.
void fill_solution(const std::function<double(double, double)>& f);

}  // namespace kavren::testing
