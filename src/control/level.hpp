#pragma once

#include <string_view>

namespace kavren {

// A level that is not built yet: says so and drops its records up to its END,
// echoing them so that the command log still replays the run.
void stub_level(std::string_view name);

}  // namespace kavren
