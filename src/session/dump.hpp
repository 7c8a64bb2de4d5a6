// The STORAGE level and the save file: SAVE writes the hp database, both
// solutions, the equation system, the boundary kinds, the state flags and the
// stored settings as one stream of values; RECOVER reads such a stream back.
//
// The stream is cut into blocks of 256 values, written as direct-access
// records of 2048 bytes or, with UNFORM, as 64 text lines "(1x,4e22.14)" a
// block. Integers travel as their single-precision value widened to double.
#pragma once

#include <string>

namespace kavren {

// Entered from the problem module by STORAGE; returns on its END.
void dump();

// Writes the save file fname from the database and the arrays uold, unew of
// icolu rows per component. The file is written under a temporary name and
// renamed over fname only when complete. 0 done; 1 refused, with a message
// (no usable mesh, or the file could not be written: fname is as before).
int dumpout(double* uold, double* unew, int icolu, const std::string& fname);
// Reads the save file fname into the database and the arrays. The whole
// stream is read and checked before anything changes. 0 done (the recovered
// mesh is usable); 1 refused, with a message, and every record as before.
int dumpin(double* uold, double* unew, int icolu, const std::string& fname);

// Results of rebuf.
constexpr int REBUF_OK = 0;
constexpr int REBUF_END = 1;  // the file ended (or could not be read) before the value
constexpr int REBUF_BAD = 2;  // not a number, or an integer item beyond the 32-bit range

// Appends one item to the stream of the file open on LUSAVE. mode -1/1 the
// integer ival, -2/2 the real rval (negative: the first item of a file); 0
// ends the stream, writing the block in hand whole. 0 done, 1 when a block
// could not be written.
int wrbuf(int mode, int ival, double rval);
// Delivers the next item of the stream: mode as for wrbuf (-1/1 into ival,
// the nearest integer; -2/2 into rval). Returns a REBUF_ code.
int rebuf(int mode, int& ival, double& rval);

// The ring-buffer store (no caller in the system). mode 0 starts an empty
// store over buf(1..lbuf); mode 1 files block(1..len) under key, dropping the
// oldest blocks when the buffer wraps; mode 2 copies the newest block filed
// under key into block(1..len), ifound := 1, or ifound := 0 when there is none.
void store(int mode, int key, double* block, int len, double* buf, int lbuf, int& ifound);

}  // namespace kavren
