// The expression compiler and interpreter: a text of at most 100 characters
// becomes a postfix program over the evaluator's symbol tables, which the
// interpreter runs again and again.
#pragma once

#include <string>
#include <string_view>

#include "records/limits.hpp"
#include "support/word.hpp"

namespace kavren {

// Modes of eval.
constexpr int EV_COMPILE_RUN = 0;  // compile, then run (any mode other than 1, 2 and 3)
constexpr int EV_RESET = 1;        // reset the tables
constexpr int EV_COMPILE = 2;      // compile only
constexpr int EV_RUN = 3;          // run a compiled form

// Why a compilation was refused (0: it was not). A refused text leaves the
// symbol tables as they were before it.
constexpr int EV_OK = 0;
constexpr int EV_BLANK_OR_END = 1;  // blank text, or a text that begins with END
constexpr int EV_SYNTAX = 2;        // syntax error (shown with a token dump)
constexpr int EV_UNKNOWN_FUNC = 3;  // a function name not in the catalogue
constexpr int EV_TABLE_FULL = 4;    // a symbol table, the token list, the result table or
                                    // the compiled form would overflow
constexpr int EV_EMPTY_STACK = 5;   // the postfix program would take more operands than it has

// Resets (mode 1), compiles (2), runs irpn (3), or compiles and runs (others)
// the text cline, which compilation rewrites (blanks removed, "**" as "^").
// irpn holds at least RPN_ROWS codes. istat := the refusal code (EV_OK when
// accepted); a refused text has shown its terminal lines and returns 0.
double eval(int mode, Chars<EXPR_TEXT>& cline, int* irpn, int& lenrpn, int& istat);

// Runs the postfix form irpn(1..lenrpn) and returns the value left on top.
// Allocates nothing unless it writes a fault line.
double evaluf(const int* irpn, int lenrpn);

// Value of function code icode for its n arguments; args[0] is the argument
// written last, args[1] the one written first.
double feval(const double* args, int n, int icode);

// Function code of a function name (upper-cased first), 0 when unknown.
int jfunc(std::string_view name);

// Writes a line of a run of the store (a fault, a trace, a warning) on the
// terminal and counts it in NSAID of `cstknw`, so that a caller can tell a run
// that said nothing.
void eval_say(std::string_view line);

// A short text saying why a compilation was refused.
std::string ev_refusal(int istat);

}  // namespace kavren
