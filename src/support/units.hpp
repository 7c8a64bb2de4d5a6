// The file-unit table: files are reached by unit number, as sequential text
// files read and written line by line, or as direct-access files of fixed-length
// records. Unit 5 is standard input and unit 6 standard output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kavren::units {

enum class Status { ok, eof, error };

// How a text file is opened: `existing` fails when the file is missing;
// `create` makes an empty file when it is missing. Both start at the
// beginning; the first write after an open or a rewind cuts the old text
// that follows it, so a rewritten file holds only the new lines.
enum class Open { existing, create };

constexpr int STDIN_UNIT = 5;
constexpr int STDOUT_UNIT = 6;

// Connects a text file to unit lun (closing what was there). False on failure.
bool open_text(int lun, const std::string& path, Open how);
// Connects a direct-access file of records of reclen bytes, created when missing.
bool open_direct(int lun, const std::string& path, int reclen);
void close(int lun);
bool is_open(int lun);
std::string path_of(int lun);

// Sequential text: one line without its newline. Unit 5 reads standard input.
Status read_line(int lun, std::string& line);
// Writes one line, without its trailing blanks, and a newline. Unit 6 writes
// standard output. False on failure.
bool write_line(int lun, std::string_view line);
void rewind(int lun);

// Direct access, records numbered from 1. A record shorter than reclen is
// padded with blanks on writing; reading a record beyond the end gives eof.
bool write_record(int lun, int rec, const void* data, std::size_t len);
Status read_record(int lun, int rec, void* data, std::size_t len);

// Standard input has reached its end (set by read_line on unit 5).
bool stdin_at_end();

void flush_all();
// Flushes and closes every file (the standard streams are flushed only).
void close_all();

}  // namespace kavren::units
