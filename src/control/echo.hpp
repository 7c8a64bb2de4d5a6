// The echo of accepted records to the command log, the history and the text ring.
#pragma once

#include <string_view>

namespace kavren {

// Echoes the lines of the current record on unit lun (the command log) and
// into the history file and the text ring.
void outcom(int lun);
// Makes text(1:n) the current record and echoes it: a generated command is
// journaled like a typed one.
void scroll(int n, std::string_view text);

}  // namespace kavren
