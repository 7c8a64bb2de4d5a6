// The expression evaluator as the command reader and start-up reach it.
#pragma once

#include <string_view>

#include "control/reader.hpp"

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
// values[0..n-1] := the variables ivars[0..n-1] at one point, the values that
// n calls of userf in this order give. One run of the stored expressions
// serves them all when every run gives the same values (store_carries_over
// is false).
void userf_all(int nel, double x, double y, const double* u, const double* dudx, const double* dudy,
               const int* ivars, int n, double* values);
// A number that changes whenever an expression enters the store, so that
// what is known of the store (or of the names in it) can be kept until then.
long store_generation();
// True when a run of the stored expressions can give other values than the
// run before it: some expression reads a variable that is neither one of the
// point's variables, nor assigned by an earlier expression, but is assigned
// by that expression itself or a later one. userf_all then asks userf once
// per variable.
bool store_carries_over();

}  // namespace kavren
