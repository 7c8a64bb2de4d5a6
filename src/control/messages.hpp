// Messages, the structured error report, and the ends of a run.
#pragma once

#include <string_view>

namespace kavren {

// Message kinds of ffldou.
constexpr int MSG_INFO = 0;
constexpr int MSG_WARNING = 1;
constexpr int MSG_ERROR = 2;
constexpr int MSG_PLUS = 3;
constexpr int MSG_QUERY = 4;
constexpr int MSG_LIST = 5;
constexpr int MSG_CALC = 6;

// Writes one message of the given kind; errors are also filed in the error file.
void ffldou(int ihelp, int kind, std::string_view text);
// Writes the structured report of error number ierr found in routine name.
void errout(int ierr, std::string_view name);
// Ends the run: 0 failure, >0 orderly end. Closes every file first.
[[noreturn]] void sstop(int iflag, std::string_view name);
// Short fatal report of a routine, then sstop.
[[noreturn]] void error(std::string_view name);
// A stop without closing lines (status 0 for an orderly end, 1 otherwise),
// made in routine name. Closes every file; a file watched for failures that
// was not written makes the status 1 (units::report_failures).
[[noreturn]] void plain_stop(int status, std::string_view name);

// Called by every stop with its exit status and the routine's name, after the
// files are closed and just before the process exits. Unset in the program; a
// test installs one to see a stop, and may leave it by an exception of its own.
using StopHook = void (*)(int status, std::string_view name);
void set_stop_hook(StopHook hook);
// The answer to "?" and to every error message.
void help(int itopic);
// " PAUSE - type anything" and one line from the keyboard.
void pause();
// Holds the run until a line is read from standard input (which may be at its end).
void runtime_pause();

// Writes a line on the error file, or on standard error while no project is open.
void write_error_file(std::string_view line);
// Writes a line on the terminal.
void write_terminal(std::string_view line);

}  // namespace kavren
