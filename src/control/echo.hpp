// The echo of accepted records to the command log, the history and the text ring.
#pragma once

#include <string_view>

namespace kavren {

// Echoes the lines of the current record on unit lun (the command log) and
// into the history file and the text ring.
void outcom(int lun);
// Echoes the current record on the command log (outcom on LUECHO).
void echo();
// Echoes text as a record of one line of its own (a note of the reader or the
// calculator: "$INCLUDE,NAME", "# END OF EVAL", a calculator line); the
// current record holds no lines afterwards.
void echo_line(std::string_view text);
// Makes text(1:n) the current record and echoes it: a generated command is
// journaled like a typed one.
void scroll(int n, std::string_view text);

}  // namespace kavren
