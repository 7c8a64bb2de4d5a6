// The command-record reader: reads one free-field record into the parsed
// command record (iodati, iodata, iodatc), and the helpers every level uses
// to test it.
#pragma once

#include <string>
#include <string_view>

namespace kavren {

// Reads one record from unit luin (which may change: end of a file, INCLUDE,
// EVAL, replay). menu is the caller's menu number. ierr is 1 only at the end
// of input, when the record is empty.
void ffldin(int& luin, int luout, int menu, int& ierr);

// ires := 1 when field k holds word (compared over 8 characters).
void chkfld(std::string_view word, int k, int& ires);
bool chkfld(std::string_view word, int k);

// Finds word among the fields: nocc occurrences, listed in IOCCUR; ipos := the
// field after the first one (left alone when there is none).
void findop(std::string_view word, int& nocc, int& ipos);

// Prompted readers of one named value.
void readi(std::string_view name, int& ival);
void readr(std::string_view name, double& rval);
void readc(std::string_view name, std::string& cval);

// Opens the include file named by field 2; true when the input switched to it.
// At its end input returns to the unit that read the INCLUDE record. A file
// already opened since input last came from the deck or the keyboard is
// refused, and reading goes on in the include file that named it.
bool include(int& luin);

// Forgets that the keyboard gave its end of input, so that the next end of
// input returns the empty record again instead of ending the run (tests that
// read several inputs in one process).
void reset_keyboard_end();

// Position of the last character of s(1..n) that is neither blank nor NUL;
// 1 when there is none, 0 when n < 1.
int lenstr(std::string_view s, int n);
void lower(std::string& s);
void upper(std::string& s);
int ifnum(char c);

// Splits and converts one line into fields (exposed for the unit tests).
// Returns the number of fields appended, or a negative error code.
namespace reader_detail {
// Converts the text of one field into field number k of the record; returns
// 0 or a conversion error code (1..8).
int pfield(std::string_view text, bool quoted, int k);
// The message of a conversion error for field k.
std::string field_error_message(int code, int k);
}  // namespace reader_detail

// True while the input is an evaluator file (EVAL), false for an include file
// or any other unit.
bool reading_evaluator_file();

// The evaluator stands above the command language, so the reader reaches it
// through this seam, which the evaluator fills when it is linked in and again
// in `initeval`: `pack` takes a calculator line, `field` evaluates the
// expression of a "%" field held in a store slot, `eval` runs the EVAL word of
// the current record and may switch the input unit.
constexpr int REVAL_SWITCHED = 0;  // input now comes from the evaluator file
constexpr int REVAL_REFUSED = 1;   // the record was refused with a message
constexpr int REVAL_NOFILE = 2;    // the file could not be opened: the caller decides
constexpr int REVAL_DONE = 3;      // a bare EVAL compiled the rest of the open file
struct ReaderEvaluator {
    void (*pack)(std::string_view line) = nullptr;
    bool (*field)(int slot, double& value) = nullptr;
    int (*eval)(int& luin) = nullptr;
};
extern ReaderEvaluator reader_evaluator;

}  // namespace kavren
