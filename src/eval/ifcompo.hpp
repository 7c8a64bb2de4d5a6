#pragma once

#include <string_view>

namespace kavren {

// The slot (1..NUMVAR) of the evaluator variable called name (at most 8
// characters, trailing blanks cut); 0 when there is none.
int ifcompo(std::string_view name);

}  // namespace kavren
