// Block writer and reader of the save file: the stream of values is cut into
// blocks of 256, each a direct-access record of 2048 bytes (the doubles in
// the machine's native form) or, in a formatted file, 64 lines of four values.
#include <cmath>
#include <string>
#include <vector>

#include "records/io.hpp"
#include "records/savefile.hpp"
#include "session/dump.hpp"
#include "support/format.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

// The block in hand goes to the file as record IREC (the next line group of a
// formatted file).
bool write_block() {
    SaveBuffer& b = cbuff1;
    bool ok = true;
    if (cdump.IUNFOR == 1) {
        for (int l = 0; l < SAVE_LINES && ok; ++l) {
            const int i = 4 * l + 1;
            ok = units::write_line(
                cinout.LUSAVE,
                fmt::line("(1X,4E22.14)", {b.BUF(i), b.BUF(i + 1), b.BUF(i + 2), b.BUF(i + 3)}));
        }
    } else {
        ok = units::write_record(cinout.LUSAVE, b.IREC, b.BUF.data(), SAVE_RECLEN);
    }
    b.IREC += 1;
    return ok;
}

// Values of a formatted block, read free-form: blanks or commas separate
// them; each block starts on a new line and the rest of its last line is
// dropped.
int read_text_block() {
    SaveBuffer& b = cbuff2;
    int n = 0;
    std::string line;
    while (n < SAVE_BLOCK) {
        if (units::read_line(cinout.LUSAVE, line) != units::Status::ok) return REBUF_END;
        std::size_t p = 0;
        while (n < SAVE_BLOCK) {
            p = line.find_first_not_of(" ,\t", p);
            if (p == std::string::npos) break;
            std::size_t e = line.find_first_of(" ,\t", p);
            if (e == std::string::npos) e = line.size();
            double v = 0.0;
            if (!fmt::read_number(std::string_view(line).substr(p, e - p), v)) return REBUF_BAD;
            b.BUF(++n) = v;
            p = e;
        }
    }
    return REBUF_OK;
}

int read_block() {
    SaveBuffer& b = cbuff2;
    int status = REBUF_OK;
    if (cdump.IUNFOR == 1) {
        status = read_text_block();
    } else if (units::read_record(cinout.LUSAVE, b.IREC, b.BUF.data(), SAVE_RECLEN) !=
               units::Status::ok) {
        status = REBUF_END;
    }
    if (status == REBUF_OK) b.IREC += 1;
    return status;
}

}  // namespace

int wrbuf(int mode, int ival, double rval) {
    SaveBuffer& b = cbuff1;
    if (mode < 0) {
        b.IPOS = 1;
        b.IREC = 1;
    }
    if (mode == 1 || mode == -1) {
        // Integers travel as single-precision values: exact below 2**24.
        b.BUF(b.IPOS) = static_cast<double>(static_cast<float>(ival));
    } else if (mode == 2 || mode == -2) {
        b.BUF(b.IPOS) = rval;
    } else if (mode == 0) {
        // The end of the stream: the block in hand is written whole, the values
        // after the stream's end being what the buffer held before.
        b.IPOS = SAVE_BLOCK;
    }
    b.IPOS += 1;
    if (b.IPOS <= SAVE_BLOCK) return 0;
    b.IPOS = 1;
    return write_block() ? 0 : 1;
}

int rebuf(int mode, int& ival, double& rval) {
    SaveBuffer& b = cbuff2;
    if (mode < 0) {
        b.IPOS = 1;
        b.IREC = 1;
    }
    if (b.IPOS == 1) {
        const int status = read_block();
        if (status != REBUF_OK) return status;
    }
    const double v = b.BUF(b.IPOS);
    b.IPOS = b.IPOS == SAVE_BLOCK ? 1 : b.IPOS + 1;
    if (mode == 1 || mode == -1) {
        // The nearest integer, halves away from zero.
        if (!(std::fabs(v) < 2147483647.5)) return REBUF_BAD;
        ival = static_cast<int>(std::lround(v));
    } else {
        rval = v;
    }
    return REBUF_OK;
}

}  // namespace kavren
