// A fixture for the evaluator: a scratch project (deck, log, error file,
// history) with the terminal connected to a file, and a freshly set-up
// evaluator with one equation.
#pragma once

#include <string>

#include "../control/reader_fixture.hpp"
#include "eval/evaluator.hpp"
#include "eval/expr.hpp"
#include "records/eval.hpp"
#include "records/problem.hpp"
#include "support/units.hpp"

namespace kavren::testing {

class EvalTest : public ReaderTest {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        units::open_text(units::STDOUT_UNIT, "term.txt", units::Open::create);
        ceqsys.NREQNS = 1;
        initeval();
    }
    // Everything written on the terminal so far.
    std::string terminal() { return file("term.txt"); }
    bool terminal_has(const std::string& line) {
        std::string text("\n");
        text.append(terminal());
        std::string wanted("\n");
        wanted.append(line).append("\n");
        return text.find(wanted) != std::string::npos;
    }
    // Compiles and runs text outside the store; istat gets the refusal code.
    double run(const std::string& text, int* istat = nullptr) {
        Chars<EXPR_TEXT> line(text);
        int irpn[RPN_ROWS] = {};
        int len = 0, st = 0;
        double v = eval(EV_COMPILE_RUN, line, irpn, len, st);
        if (istat) *istat = st;
        return v;
    }
    // Sets variable name (creating it) to value.
    void set(const std::string& name, double value) { run(name + "=" + std::to_string(value)); }
    // Slot of a variable by name, 0 when none.
    int slot(const std::string& name) {
        for (int k = 1; k <= b4.NUMVAR; ++k)
            if (b3.SYMLEN(k) == static_cast<int>(name.size()) &&
                b2.SYMNAM(k).trimmed() == name.substr(0, 10))
                return k;
        return 0;
    }
};

}  // namespace kavren::testing
