// The ring-buffer store: blocks of values filed under integer keys in a
// buffer the caller owns. Blocks are written one after the other; a block
// that does not fit before the buffer's end starts again at its beginning,
// and the blocks it writes over are dropped, oldest first. Nothing in the
// system calls it.
#include <algorithm>

#include "control/messages.hpp"
#include "records/io.hpp"
#include "records/savefile.hpp"
#include "session/dump.hpp"

namespace kavren {

namespace {

[[noreturn]] void store_fatal(const char* message) {
    errcomc.ERRMSG = message;
    errout(1, "STORE");
    sstop(0, "STORE");
}

// Gives the entries of a list, from entry e on, back to the free entries.
void release(int e) {
    Cstore& s = cstore;
    while (e != 0) {
        const int next = s.NEXT(e);
        s.NEXT(e) = s.IFREE;
        s.IFREE = e;
        e = next;
    }
}

// Drops the entries of the older list whose blocks begin before position
// pos: the newer blocks have been written over them. The older list runs
// newest first, so its blocks stand in falling positions.
void drop_overwritten(int pos) {
    Cstore& s = cstore;
    int* link = &s.OLDER;
    while (*link != 0 && s.START(*link) >= pos) link = &s.NEXT(*link);
    release(*link);
    *link = 0;
}

// Drops the oldest block of the store to free its entry.
void drop_oldest() {
    Cstore& s = cstore;
    int* list = s.OLDER != 0 ? &s.OLDER : &s.NEWER;
    int* link = list;
    while (s.NEXT(*link) != 0) link = &s.NEXT(*link);
    release(*link);
    *link = 0;
}

// The newest entry of a list filed under key, 0 when none.
int find(int head, int key) {
    for (int e = head; e != 0; e = cstore.NEXT(e))
        if (cstore.KEY(e) == key) return e;
    return 0;
}

void start(int lbuf) {
    Cstore& s = cstore;
    s.NEWER = s.OLDER = 0;
    for (int e = 1; e < STORE_ENTRIES; ++e) s.NEXT(e) = e + 1;
    s.NEXT(STORE_ENTRIES) = 0;
    s.IFREE = 1;
    s.NXTPOS = 1;
    s.LBUF = lbuf;
}

void file(int key, const double* block, int len, double* buf) {
    Cstore& s = cstore;
    if (len > s.LBUF) store_fatal("BUFFER TO SHORT !");
    if (s.NXTPOS + len - 1 > s.LBUF) {
        // Wrap: the blocks since the last wrap become the older ones.
        release(s.OLDER);
        s.OLDER = s.NEWER;
        s.NEWER = 0;
        s.NXTPOS = 1;
    }
    drop_overwritten(s.NXTPOS + len);
    if (s.IFREE == 0) {
        write_terminal(" WARNING! AN ELEMENT LIST TOO SHORT!");
        drop_oldest();
    }
    const int e = s.IFREE;
    s.IFREE = s.NEXT(e);
    s.KEY(e) = key;
    s.START(e) = s.NXTPOS;
    s.NEXT(e) = s.NEWER;
    s.NEWER = e;
    std::copy(block, block + len, buf + (s.NXTPOS - 1));
    s.NXTPOS += len;
}

}  // namespace

void store(int mode, int key, double* block, int len, double* buf, int lbuf, int& ifound) {
    if (mode == 0) {
        start(lbuf);
        return;
    }
    if (mode == 1) {
        file(key, block, std::max(len, 0), buf);
        return;
    }
    ifound = 0;
    int e = find(cstore.NEWER, key);
    if (e == 0) e = find(cstore.OLDER, key);
    if (e == 0) return;
    if (cstore.START(e) + len - 1 > cstore.LBUF) store_fatal("WRONG INPUT IN ROUTINE STORE");
    std::copy(buf + (cstore.START(e) - 1), buf + (cstore.START(e) - 1 + len), block);
    ifound = 1;
}

}  // namespace kavren
