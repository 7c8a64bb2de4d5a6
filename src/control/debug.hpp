// Debug prints and breakpoints of the instrumented routines.
#pragma once

#include <string_view>

namespace kavren {

// Registers routine name: irout := 100, idbg := its index in the breakpoint
// list (20 when it is not named), so that its switch is cdbg word 12+idbg.
void initdbg(std::string_view name, int& irout, int& idbg);
// A debug switch selects every element when it is 1 and element nel only when
// it is -nel; any other value selects none.
bool debug_selects(int flag, int nel);
// Prints the section (i1..i2, j1..j2) of an integer (itype 1) or real (itype 2)
// array with leading dimension ld, labelled routine:array; a nonzero iflag
// then holds the breakpoint dialog.
void dbgprint(int itype, std::string_view routine, std::string_view array, const int* ia,
              const double* ra, int ld, int i1, int i2, int j1, int j2, int iflag);

}  // namespace kavren
