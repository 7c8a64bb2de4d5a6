// The user stamp of plot titles: date, user name and host name, read back
// from the shell.
#pragma once

#include <string>

namespace kavren {

// Draws the user stamp at the current plot (percent point (20, 90), the font
// and colour the title routine has set).
void identify();

// The 48-character stamp line: columns 1-12 the date, 13-24 the user name,
// 25-36 the host name, the rest blank. Runs "date" and "hostname" every time
// and "printenv UNAME" at the first call of the run only; their answers come
// back through the file TAPE10 of the working directory, which stays. An
// unset UNAME is reported once, in a box, and leaves the user name blank.
std::string user_stamp();

namespace identify_detail {
// Runs one shell command; std::system unless a test installs another.
using ShellRunner = int (*)(const char* command);
extern ShellRunner shell;
}  // namespace identify_detail

}  // namespace kavren
