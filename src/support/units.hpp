// The file-unit table: files are reached by unit number, as sequential text
// files read and written line by line, or as direct-access files of fixed-length
// records. Unit 5 is standard input and unit 6 standard output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kavren::units {

enum class Status { ok, eof, error };

// How a text file is opened. A file that is only read is opened for reading
// only, so that a read-only file can be used and nothing can be written into
// it; no mode ever empties an existing file when it opens it.
//   existing     an existing file, for reading only; fails when it is missing
//   read_create  for reading only; an empty file is made when it is missing
//   create       for reading and writing; an empty file is made when it is
//                missing, an existing one is opened as it stands
// Every mode starts at the beginning; the first write after an open or a
// rewind cuts the old text that follows it, so a rewritten file holds only
// the new lines.
enum class Open { existing, read_create, create };

// How a direct-access file is opened: `update` for reading and writing, made
// when missing and never emptied; `read` an existing file, for reading only.
enum class Access { update, read };

constexpr int STDIN_UNIT = 5;
constexpr int STDOUT_UNIT = 6;

// Connects a text file to unit lun (closing what was there). False on failure.
bool open_text(int lun, const std::string& path, Open how);
// Connects a direct-access file of records of reclen bytes.
bool open_direct(int lun, const std::string& path, int reclen, Access how = Access::update);
// Flushes and closes unit lun.
void close(int lun);
bool is_open(int lun);

// Failures of files that must not be lost. After report_failures(lun) the
// first failed write, flush or close of the file open on lun writes one line
// on standard error naming it, and the file joins files_not_written(); the
// run goes on. Other files only return their failures to the caller.
void report_failures(int lun);
std::vector<std::string> files_not_written();
// Clears the list (tests).
void forget_failures();
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

// Opens /dev/null on any of descriptors 0, 1 and 2 that is closed, so that
// no file opened later takes the place of a standard stream. Run at start-up
// before any file is opened.
void open_standard_streams();

void flush_all();
// Flushes and closes every file (the standard streams are flushed only).
void close_all();

}  // namespace kavren::units
