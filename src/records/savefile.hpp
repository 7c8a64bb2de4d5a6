// Records of the save file: the block buffers of its writer and reader, the
// form of the file, and the table of the ring-buffer store.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

// One block of the stream on its way to or from the file.
struct SaveBuffer {
    int IPOS = 1;  // next position in the block, 1..SAVE_BLOCK
    int IREC = 1;  // next block (record) of the file
    Arr1<double, SAVE_BLOCK> BUF;
};
struct Cbuff1 : SaveBuffer {};  // the writer's
struct Cbuff2 : SaveBuffer {};  // the reader's

struct Cdump {
    int IUNFOR = 0;  // 1: the file is formatted text (UNFORM), 0: direct access
};

// The ring-buffer store: blocks filed under integer keys in a caller's buffer.
// Entries form two lists, newest first: the blocks written since the buffer
// last wrapped to its start, and the older blocks still intact behind them.
struct Cstore {
    Arr1<int, STORE_ENTRIES> KEY;    // key of the entry's block
    Arr1<int, STORE_ENTRIES> START;  // its first position in the buffer
    Arr1<int, STORE_ENTRIES> NEXT;   // next older entry of the same list; next free entry
    int NEWER = 0;                   // newest entry written since the last wrap, 0 when none
    int OLDER = 0;                   // newest entry written before it, 0 when none
    int IFREE = 0;                   // first free entry, 0 when the table is full
    int NXTPOS = 1;                  // next free position of the buffer
    int LBUF = 0;                    // length of the buffer; 0 until the store is started
};

extern Cbuff1 cbuff1;
extern Cbuff2 cbuff2;
extern Cdump cdump;
extern Cstore cstore;

}  // namespace kavren
