// The frontal solver's scratch files: one direct-access file per buffer,
// logical records of any length up to the buffer's, split into physical
// records of at most 10000 bytes. The files have no name in the working
// directory: each is created in the temporary directory and unlinked at once,
// so it lives only while its unit is open, at most until the run ends.
//
// The words of a logical record lie one after the other across its physical
// records (the first holds the length, then data), so a record is written
// with one call and read with two, on the file's own descriptor, which the
// solver keeps beside the unit.
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frontal/frontal.hpp"
#include "frontal/frontal_internal.hpp"
#include "records/debug.hpp"
#include "support/units.hpp"

namespace kavren {

using namespace frontal;

namespace {

constexpr int LENWRD = 8;      // bytes per word
constexpr int MAXREC = 10000;  // bytes of the largest physical record

// Per unit: physical records per logical record, data words in the first
// physical record, highest logical record written since the file was opened.
struct UnitState {
    int nbuf = 0;
    int lenf = 0;
    int irsave = 0;
    int recl = 0;
    int fd = -1;  // the file's descriptor, for the records' reads and writes
};
constexpr int FIRST_UNIT = 18;
constexpr int LAST_UNIT = 26;
UnitState states[LAST_UNIT - FIRST_UNIT + 1];

UnitState& state(int unit) {
    return states[unit - FIRST_UNIT];
}

// lbuf: the unit of a buffer letter for the current ISYM, 0 for an unknown letter.
int lbuf(char letter, int isym) {
    const int k = letter == 'U' ? 0 : letter == 'B' ? 1 : letter == 'L' ? 2 : -1;
    if (k < 0) return 0;
    static const int table[3][3] = {{19, 18, 20}, {21, 22, 23}, {24, 25, 26}};
    const int row = isym == 3 ? 1 : isym == 4 ? 2 : 0;
    return table[row][k];
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// A fresh, already unlinked file on unit lun with records of recl bytes; fd
// := a descriptor of it.
bool open_scratch(int lun, int recl, int& fd) {
    fd = -1;
    if (recl <= 0) return false;
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/kavren-scratch-XXXXXX";
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    const int f = mkstemp(name.data());
    if (f < 0) return false;
    const bool ok = units::open_direct(lun, name.data(), recl);
    ::unlink(name.data());
    if (!ok) {
        ::close(f);
        return false;
    }
    fd = f;
    return true;
}

void close_scratch(int unit, UnitState& st) {
    units::close(unit);
    if (st.fd >= 0) ::close(st.fd);
    st = UnitState{};
}

// Writes the parts one after the other from offset off; false on failure.
bool write_all(int fd, const struct iovec* parts, int nparts, off_t off) {
    struct iovec v[2];
    std::copy(parts, parts + nparts, v);
    struct iovec* p = v;
    while (nparts > 0) {
        const ssize_t got = ::pwritev(fd, p, nparts, off);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        off += got;
        for (std::size_t left = static_cast<std::size_t>(got); left > 0 && nparts > 0;) {
            const std::size_t take = std::min(left, p->iov_len);
            p->iov_base = static_cast<char*>(p->iov_base) + take;
            p->iov_len -= take;
            left -= take;
            if (p->iov_len == 0) {
                ++p;
                --nparts;
            }
        }
    }
    return true;
}

// Reads n bytes from offset off; false on failure or a short file.
bool read_all(int fd, void* to, std::size_t n, off_t off) {
    char* c = static_cast<char*>(to);
    while (n > 0) {
        const ssize_t got = ::pread(fd, c, n, off);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        c += got;
        n -= static_cast<std::size_t>(got);
        off += got;
    }
    return true;
}

void open_failed(char letter, int unit) {
    fs_write(" ERROR IN OPENING DIRECT ACCESS FILE");
    fs_format("(/,/,5x,'TAPE NAME',a8,2x,'UNIT - ',i3)", {std::string_view(&letter, 1), unit});
}

void write_failed(char letter, int unit, int irec, int len, int iostat) {
    fs_write(" ERROR IN WRITING TO DIRECT ACCESS FILE");
    fs_format(
        "(/,/,5x,'                BUFFER - ',a8,2x,'UNIT - ',i3,/,5x,'                RECORD - ',"
        "i5,2x,'LENGTH - ',i7,/,5x,'                IOSTAT - ',i32)",
        {std::string_view(&letter, 1), unit, irec, len, iostat});
}

void read_failed(char letter, int unit, int irec, int len) {
    fs_write(" ERROR IN READING FROM DIRECT ACCESS FILE");
    fs_format(
        "(/,/,5x,'                BUFFER - ',a1,2x,'UNIT - ',i3,/,5x,'                RECORD - ',"
        "i5,2x,'LENGTH - ',i7)",
        {std::string_view(&letter, 1), unit, irec, len});
}

}  // namespace

void zdirio(std::string_view unname, std::string_view commnd, int& irec, int& len, double* buf,
            int& ierr) {
    ierr = 0;
    const std::string_view name = trimmed(unname);
    const std::string_view cmd = trimmed(commnd);
    const char letter = name.size() == 1 ? name[0] : '?';
    const int unit = lbuf(letter, surfc1.ISYM());
    const bool known = cmd == "OPEN" || cmd == "WRITE" || cmd == "READ" || cmd == "CLOSE";
    if (unit == 0 || !known) {
        fs_write(" IO PROBLEMS: UNKNOWN COMMAND");
        fs_format("(/,/,5x,'UNNAME,COMMND,IREC,LEN,NTAPE ',a1,2x,a8,3i6)",
                  {unname.substr(0, 1), commnd.substr(0, 8), irec, len, unit});
        ierr = 5;
        return;
    }
    UnitState& st = state(unit);
    int first = 0;  // first physical record used, for the trace

    if (cmd == "OPEN") {
        const long long h = (static_cast<long long>(len) + 1) * LENWRD;
        const int recl = h < MAXREC ? static_cast<int>(h) : MAXREC;
        // A file of the same record length is kept and written over: its
        // earlier records are discarded by irsave := 0, since a READ takes
        // only records written since the OPEN, and the system keeps the
        // file's pages instead of dropping them and finding new ones.
        const bool keep = units::is_open(unit) && st.fd >= 0 && st.recl == recl;
        if (!keep) close_scratch(unit, st);
        st.irsave = 0;
        st.recl = recl;
        if (h < MAXREC) {
            st.nbuf = 1;
            st.lenf = len;
        } else {
            st.nbuf = static_cast<int>(h / MAXREC + 1);
            st.lenf = MAXREC / LENWRD - 1;
        }
        if (!keep && !open_scratch(unit, st.recl, st.fd)) {
            open_failed(letter, unit);
            ierr = 1;
            return;
        }
    } else if (cmd == "CLOSE") {
        close_scratch(unit, st);
    } else if (cmd == "WRITE") {
        const long long capacity = st.lenf + static_cast<long long>(st.nbuf - 1) * (st.lenf + 1);
        first = (irec - 1) * st.nbuf + 1;
        if (irec < 1 || len < 0 || len > capacity || !units::is_open(unit) || st.fd < 0) {
            write_failed(letter, unit, irec, len, -1);
            ierr = 2;
            return;
        }
        double head = len;
        const struct iovec parts[2] = {{&head, LENWRD},
                                       {buf, static_cast<std::size_t>(len) * LENWRD}};
        errno = 0;
        if (!write_all(st.fd, parts, 2, static_cast<off_t>(first - 1) * st.recl)) {
            write_failed(letter, unit, irec, len, errno != 0 ? errno : -1);
            ierr = 2;
            return;
        }
        st.irsave = std::max(st.irsave, irec);
    } else {  // READ
        if (irec < 0) irec = st.irsave;
        first = (irec - 1) * st.nbuf + 1;
        const off_t at = static_cast<off_t>(first - 1) * st.recl;
        double head = 0;
        bool ok = irec >= 1 && irec <= st.irsave && units::is_open(unit) && st.fd >= 0 &&
                  read_all(st.fd, &head, LENWRD, at);
        // A length the unit cannot hold is no record of this file.
        const long long capacity = st.lenf + static_cast<long long>(st.nbuf - 1) * (st.lenf + 1);
        ok = ok && head >= 0 && head <= static_cast<double>(capacity);
        if (ok) {
            len = static_cast<int>(head);
            ok = read_all(st.fd, buf, static_cast<std::size_t>(len) * LENWRD, at + LENWRD);
        }
        if (!ok) {
            read_failed(letter, unit, irec, len);
            ierr = 3;
            return;
        }
    }
    if (on(surfc1.IPFSZD()))
        fs_format(
            "(1x,'ZDIRIO: Unname,Commnd,ntape,Irec,', 'Len,irecp,nbuf(iunit),lenf(iunit)',/,10x,a1,"
            "1x,a8,6i8)",
            {unname.substr(0, 1), commnd.substr(0, 8), unit, irec, len, first, st.nbuf, st.lenf});
}

namespace frontal {

bool write_buffer(const char* name, int& count, const double* words, int len) {
    int ierr = 0;
    ++count;
    zdirio(name, "WRITE", count, len, const_cast<double*>(words), ierr);
    if (ierr == 0) return true;
    surfc1.IERR() = file_error(ierr);
    return false;
}

bool read_buffer(const char* name, int& irec, int& len, double* words) {
    int ierr = 0;
    zdirio(name, "READ", irec, len, words, ierr);
    if (ierr == 0) return true;
    surfc1.IERR() = file_error(ierr);
    return false;
}

}  // namespace frontal

}  // namespace kavren
