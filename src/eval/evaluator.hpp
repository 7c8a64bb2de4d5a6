// The expression evaluator as the command reader and start-up reach it.
#pragma once

#include <string_view>

namespace kavren {

// Sets up the evaluator with its predefined variables.
void initeval();
// Compiles and runs the expression text CALTXT(slot) into that slot; false
// when it cannot be evaluated (the record carrying it is refused and the
// caller frees the slot).
bool evfield(int slot, double& value);
// One calculator line.
void evpack(std::string_view line);
// Result codes of reval.
constexpr int REVAL_SWITCHED = 0;  // input now comes from the evaluator file
constexpr int REVAL_REFUSED = 1;   // the record was refused with a message
constexpr int REVAL_NOFILE = 2;    // the file could not be opened: the caller decides
constexpr int REVAL_DONE = 3;      // a bare EVAL compiled the rest of the open file
// The EVAL command: EVAL,NAME switches the input to the evaluator file
// decks/name.eva; a bare EVAL compiles the rest of the file open on the
// auxiliary unit.
int reval(int& luin);
// Loads the point (element, coordinates, solution values and derivatives of the
// NREQNS components) into the predefined variables, reruns every stored
// expression in entry order and returns variable ivar (0 for ivar 0). A
// variable that no stored expression assigns gives 0 and one warning.
double userf(int nel, double x, double y, const double* u, const double* dudx, const double* dudy,
             int ivar);

}  // namespace kavren
