#include "control/reader.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "control/command_area.hpp"
#include "control/echo.hpp"
#include "control/menu.hpp"
#include "control/messages.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/window.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"
#include "support/units.hpp"

namespace kavren {

ReaderEvaluator reader_evaluator;

namespace {

std::string i3(int n) {
    return fmt::line("(I3)", {n});
}

void clear_fields() {
    for (int k = 1; k <= NFMAX_FIELDS; ++k) {
        iodati.ITYPE(k) = FT_NONE;
        iodata.FVALUE(k) = 0.0;
        iodatc.FWORD(k) = Word8();
    }
}

double pack_word(const Word8& w) {
    double v;
    static_assert(sizeof(v) == 8);
    std::memcpy(&v, w.c.data(), 8);
    return v;
}

void set_word(int k, std::string_view text) {
    iodati.ITYPE(k) = FT_WORD;
    iodatc.FWORD(k) = Word8(text);
    iodata.FVALUE(k) = pack_word(iodatc.FWORD(k));
    ctitle.LTITLE = 0;
    if (text.size() > 8) {
        ctitle.CTITLE = Line80(text);
        ctitle.LTITLE = static_cast<int>(std::min<std::size_t>(text.size(), 80));
    }
}

// Builds the number text of a numeric field and reads it; 0 or an error code.
int convert_number(std::string_view f, double& value) {
    std::string t;
    bool point = false, exponent = false, exp_digit = false, exp_sign = false;
    for (std::size_t i = 0; i < f.size(); ++i) {
        char c = f[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            t += c;
            if (exponent) exp_digit = true;
        } else if (c == '.') {
            if (point) return 1;
            if (exponent) return 2;
            t += c;
            point = true;
        } else if (c == 'E') {
            if (exponent) return 3;
            if (!point) {
                t += '.';
                point = true;
            }
            t += 'E';
            exponent = true;
        } else if (c == '+' || c == '-') {
            if (i == 0) {
                t += c;
            } else if (!exponent) {
                // A sign after the mantissa begins the exponent: 1.5-3 is 1.5E-3.
                t += 'E';
                t += c;
                exponent = true;
                exp_sign = true;
            } else if (!exp_digit && !exp_sign) {
                t += c;
                exp_sign = true;
            } else {
                return 4;
            }
        } else {
            return 5;
        }
    }
    if (!point) t += '.';
    if (t.size() > 50) return 7;
    // The text must read whole as a number (15-3 gives 15E-3., which does not).
    const char* begin = t.c_str();
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(begin, &end);
    if (end != begin + t.size() || t == "." || t == "+." || t == "-.") return 7;
    if (errno == ERANGE && std::isinf(v)) return 7;
    value = v;
    return 0;
}

struct SplitField {
    std::string text;
    bool quoted = false;
    bool unclosed_quote = false;
};

// Result of splitting one line.
struct SplitLine {
    bool empty = false;      // no significant character
    bool too_long = false;   // significant character in column 80
    bool continues = false;  // ends with "/"
    std::vector<SplitField> fields;
};

SplitLine prelin(const std::string& line) {
    SplitLine r;
    std::size_t end = line.size();
    std::size_t hash = line.find('#');
    if (hash != std::string::npos) end = hash;
    std::size_t slash = line.find('/');
    if (slash != std::string::npos && slash < end) end = slash + 1;
    while (end > 0 && line[end - 1] == ' ') --end;
    if (end == 0) {
        r.empty = true;
        return r;
    }
    char last = line[end - 1];
    if (end == 80 && last != ',' && last != '/') {
        r.too_long = true;
        return r;
    }
    r.continues = last == '/';
    std::string sig = line.substr(0, end);
    if (last != ',' && last != '/') sig += ',';
    auto is_sep = [](char c) { return c == ',' || c == '=' || c == '/'; };
    std::size_t pos = 0;
    while (pos < sig.size()) {
        SplitField f;
        std::size_t start = pos;
        while (start < sig.size() && sig[start] == ' ') ++start;
        std::size_t sep;
        if (start < sig.size() && sig[start] == '"') {
            // The closing quote must stand within the field's first 30 characters.
            std::size_t limit = std::min(sig.size(), start + 30);
            std::size_t q = std::string::npos;
            for (std::size_t i = start + 1; i < limit; ++i)
                if (sig[i] == '"') {
                    q = i;
                    break;
                }
            if (q != std::string::npos) {
                f.quoted = true;
                f.text = sig.substr(start + 1, q - start - 1);
                sep = q + 1;
                while (sep < sig.size() && !is_sep(sig[sep])) ++sep;
            } else {
                f.unclosed_quote = true;
                sep = start;
                while (sep < sig.size() && !is_sep(sig[sep])) ++sep;
            }
        } else {
            sep = pos;
            while (sep < sig.size() && !is_sep(sig[sep])) ++sep;
            for (std::size_t i = pos; i < sep; ++i)
                if (sig[i] != ' ') f.text += sig[i];
        }
        r.fields.push_back(std::move(f));
        pos = sep + 1;
    }
    return r;
}

void report_field_error(int code, int k) {
    ffldou(0, MSG_ERROR, reader_detail::field_error_message(code, k));
}

// Reads the next raw line of the current input; false at its end.
bool read_raw_line(int& luin, int luout, int menu, std::string& line) {
    for (;;) {
        // Menu mode composes the line in the window's command area: the
        // record is what the editor moved up to line 2, after its prompt.
        if (luin == cinout.LUKBD && cmode.IMENU == 1 && window_drawing()) {
            units::flush_all();
            int ipick = 0;
            command_window.getcom(menu, ipick);
            const int len = std::min(cinput.LENLIN(2), 80);
            line = len > 6 ? std::string(cinput.CMDLIN(2).view().substr(6, static_cast<std::size_t>(len - 6)))
                           : std::string();
            return true;
        }
        if (luin == cinout.LUHIST) {
            if (replay.next >= replay.lines.size()) return false;
            line = replay.lines[replay.next++];
            return true;
        }
        if (luin == cinout.LUKBD && creadst.KBDEND == 1) sstop(0, "FFLDIN");
        if (luin != units::STDIN_UNIT && !units::is_open(luin)) return false;
        units::Status s = units::read_line(luin, line);
        if (s == units::Status::ok) return true;
        if (s == units::Status::eof) return false;
        if (!units::write_line(luout, "          ***ERROR READING INPUT FILE")) {
            ffldou(0, MSG_ERROR, "***ERROR WRITING TO OUTPUT FILE IN FFLDIN");
            sstop(0, " FFLDIN");
        }
        // Standard input that cannot be read (a directory, a terminal that
        // hung up) gives nothing more: the run ends as at the end of the
        // keyboard. A file that cannot be read ends like its end of file.
        if (luin == units::STDIN_UNIT) sstop(0, "FFLDIN");
        return false;
    }
}

}  // namespace

namespace reader_detail {

std::string field_error_message(int code, int k) {
    switch (code) {
        case 1:
            return "EXTRA DECIMAL POINT IN FIELD " + i3(k);
        case 2:
            return "DECIMAL POINT IN EXPONENT IN FIELD " + i3(k);
        case 3:
            return "DOUBLE OCCURANCE OF E IN NUMERIC FIELD " + i3(k);
        case 4:
            return "EXTRA SIGN IN EXPONENT IN FIELD " + i3(k);
        case 5:
            return "INVALID CHARACTER IN NUMERIC FIELD " + i3(k);
        case 6:
            return "INTERNAL READ ERROR";
        case 7:
            return "INTERNAL WRITE ERROR";
        case 8:
            return "NO DOUBLE-TIC MARK AT END OF EXPLICIT WORD IN FIELD " + i3(k);
        default:
            return "UNKNOWN ERROR";
    }
}

int pfield(std::string_view text, bool quoted, int k) {
    iodati.ITYPE(k) = FT_NONE;
    iodata.FVALUE(k) = 0.0;
    iodatc.FWORD(k) = Word8();
    if (text.empty()) {
        iodati.ITYPE(k) = FT_DEFAULT;
        return 0;
    }
    if (quoted) {
        set_word(k, text);
        return 0;
    }
    char c0 = text[0];
    if (c0 == '%' || (c0 == '-' && text.size() > 1 && text[1] == '%')) {
        bool neg = c0 == '-';
        std::string_view e = text.substr(neg ? 2 : 1);
        if (e.size() > 7) e = e.substr(0, 7);
        creadst.EXPTXT(k) = std::string(e);
        iodati.ITYPE(k) = neg ? FT_NEG_EXPR : FT_EXPR;
        return 0;
    }
    if (c0 == 'E' && text.size() > 1 && std::isdigit(static_cast<unsigned char>(text[1]))) {
        double v = 0.0;
        std::string with_mantissa("1");
        with_mantissa.append(text);
        int err = convert_number(with_mantissa, v);
        if (err) return err;
        iodati.ITYPE(k) = FT_NUMBER;
        iodata.FVALUE(k) = v;
        return 0;
    }
    if (std::isdigit(static_cast<unsigned char>(c0)) || c0 == '+' || c0 == '-' || c0 == '.') {
        double v = 0.0;
        int err = convert_number(text, v);
        if (err) return err;
        iodati.ITYPE(k) = FT_NUMBER;
        iodata.FVALUE(k) = v;
        return 0;
    }
    set_word(k, text);
    return 0;
}

}  // namespace reader_detail

bool reading_evaluator_file() {
    return cinout.LUIN == cinout.LUAUX && creadst.AUXKND == AUX_EVALUATOR;
}

int lenstr(std::string_view s, int n) {
    if (n < 1) return 0;
    int m = std::min<int>(n, static_cast<int>(s.size()));
    for (int i = m; i >= 1; --i) {
        char c = s[static_cast<std::size_t>(i - 1)];
        if (c != ' ' && c != '\0') return i;
    }
    return 1;
}

void lower(std::string& s) {
    int n = std::min(lenstr(s, static_cast<int>(s.size())), 80);
    for (int i = 0; i < n; ++i)
        if (s[i] >= 'A' && s[i] <= 'Z') s[i] = static_cast<char>(s[i] - 'A' + 'a');
}

void upper(std::string& s) {
    int n = std::min(lenstr(s, static_cast<int>(s.size())), 80);
    for (int i = 0; i < n; ++i)
        if (s[i] >= 'a' && s[i] <= 'z') s[i] = static_cast<char>(s[i] - 'a' + 'A');
}

int ifnum(char c) {
    return (c >= '0' && c <= '9') ? 1 : 0;
}

void chkfld(std::string_view word, int k, int& ires) {
    ires = chkfld(word, k) ? 1 : 0;
}

bool chkfld(std::string_view word, int k) {
    if (k < 1 || k > NFIELD_SLOTS) return false;
    return iodatc.FWORD(k) == Word8(word);
}

void findop(std::string_view word, int& nocc, int& ipos) {
    Word8 w(word);
    for (int i = 1; i <= MAX_OCCUR; ++i) iodati.IOCCUR(i) = 0;
    nocc = 0;
    for (int k = 1; k <= iodati.NFIELD && k <= NFIELD_SLOTS; ++k) {
        if (!(iodatc.FWORD(k) == w)) continue;
        ++nocc;
        iodata.FVALUE(k) = 0.0;
        if (nocc <= MAX_OCCUR) iodati.IOCCUR(nocc) = k;
    }
    if (nocc > MAX_OCCUR) {
        errcomc.ERRMSG = "AN ITEM APPEARS MORE THAN 10 TIMES ON ONE DATA CARD";
        write_error_file(" ");
        write_error_file("THE REPEATED WORD IS  " + w.str() +
                         "  INCREASE THE DIMENSION OF IOCCUR IN SUB. GETOP");
        write_error_file("");
        errout(1, "FINDOP");
        nocc = MAX_OCCUR + 1;
        return;
    }
    if (nocc > 0) ipos = iodati.IOCCUR(1) + 1;
}

bool include(int& luin) {
    std::string name;
    if (iodati.ITYPE(2) == FT_WORD) name = iodatc.FWORD(2).trimmed();
    std::string file = "DECKS/" + name + ".INC";
    // A chain of includes starts afresh whenever the INCLUDE comes from
    // anywhere but an include file; within a chain a file is read once, so
    // that a file including itself (or a ring of them) cannot loop.
    if (luin != cinout.LUAUX) creadst.INCSEEN.clear();
    if (iodati.ITYPE(2) == FT_WORD &&
        std::find(creadst.INCSEEN.begin(), creadst.INCSEEN.end(), file) != creadst.INCSEEN.end()) {
        ffldou(0, MSG_ERROR, "INCLUDE FILE ALREADY READ IN THIS CHAIN: " + file);
        return false;
    }
    if (iodati.ITYPE(2) != FT_WORD ||
        !units::open_text(cinout.LUAUX, file, units::Open::read_create)) {
        ffldou(0, MSG_ERROR, "UNABLE TO OPEN INCLUDE FILE: " + file);
        return false;
    }
    // Input comes back to the unit that read the INCLUDE; one read from an
    // auxiliary file replaces that file and returns where it would have.
    if (luin != cinout.LUAUX) creadst.LUCALR = luin;
    creadst.AUXKND = AUX_INCLUDE;
    creadst.INCSEEN.push_back(file);
    luin = cinout.LUAUX;
    // A "$" comment: a replay does not open the file again, since the
    // commands read from it are echoed one by one.
    echo_line("$INCLUDE," + name);
    return true;
}

void reset_keyboard_end() {
    creadst.KBDEND = 0;
}

void ffldin(int& luin, int luout, int menu, int& ierr) {
    if (cbinrec.IREPLY == 1) return;
    clac1c.ICALC = 0;
    iodati.NFMAX = NFMAX_FIELDS;
    clear_fields();
    iodati.NLINE = 0;
    if (cmode.IMENU == 1) drmenu(menu);

    std::string raw, last_line;
    for (;;) {
        // Start a record.
        ierr = 0;
        iodati.NFIELD = 0;
        iodati.NLINE = 0;
        clear_fields();
        bool faulty = false;
        bool restart = false;
        bool more = true;
        while (more && !restart) {
            if (!read_raw_line(luin, luout, menu, raw)) {
                // End of input.
                ierr = 1;
                bool from_replay = luin == cinout.LUHIST;
                if (!from_replay)
                    units::write_line(6, " +++++++++++++ END OF INPUT FILE ++++++++++++++");
                if (luin == cinout.LUAUX) {
                    units::close(cinout.LUAUX);
                    const bool calculator = clac1c.ICALC == 1;
                    clac1c.ICALC = 0;
                    luin = creadst.LUCALR;
                    if (creadst.AUXKND == AUX_EVALUATOR) {
                        echo_line("# END OF EVAL");
                    } else {
                        // Calculator mode ends with the include file; the
                        // log says so, so that a replay leaves it there too.
                        if (calculator) echo_line("%");
                        echo_line("# END OF INCLUDE");
                    }
                    restart = true;
                    break;
                }
                if (luin == cinout.LUKBD) creadst.KBDEND = 1;
                luin = cinout.LUKBD;
                iodati.NFIELD = 0;
                iodati.NLINE = 0;
                clear_fields();
                return;
            }
            std::string& line = last_line;
            line = raw.substr(0, std::min<std::size_t>(raw.size(), 80));
            line.resize(80, ' ');
            for (char& c : line)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if (line.find_first_not_of(' ') == std::string::npos) {
                restart = true;
                break;
            }
            if (line[0] == '#' || line[0] == '$') {
                if (line[1] != '>' && luin != cinout.LUCONF) {
                    if (clac1c.ICALC == 1) line[1] = '>';
                    echo_line(line);
                }
                restart = true;
                break;
            }
            if (line[0] == '%') {
                clac1c.ICALC = 1 - clac1c.ICALC;
                echo_line("%");
                restart = true;
                break;
            }
            if (clac1c.ICALC == 1) {
                reader_evaluator.pack(line);
                restart = true;
                break;
            }
            if (iodati.NLINE >= MAX_LINES) {
                ffldou(0, MSG_ERROR, "** TOO MANY LINES IN ONE RECORD");
                ffldou(0, MSG_ERROR, "** LIMIT=10   CURRENT NUMBER=" + i3(iodati.NLINE + 1));
                restart = true;
                break;
            }
            iodati.NLINE += 1;
            iodati.LINE(iodati.NLINE) = Line80(line);
            SplitLine s = prelin(line);
            if (s.empty) {
                restart = true;
                break;
            }
            if (s.too_long) {
                ffldou(0, MSG_ERROR, "** TOO MANY CHARACTERS ON THE LINE");
                ffldou(0, MSG_ERROR, "** LIMIT=79   CURRENT NUMBER=" + i3(81));
                restart = true;
                break;
            }
            bool first = true;
            for (const SplitField& f : s.fields) {
                iodati.NFIELD += 1;
                if (iodati.NFIELD > iodati.NFMAX) {
                    ffldou(0, MSG_ERROR,
                           "** ERROR - NUMBER OF INPUT FIELDS EXCEEDS " + i3(iodati.NFMAX));
                    restart = true;
                    break;
                }
                int k = iodati.NFIELD;
                int err = f.unclosed_quote ? 8 : reader_detail::pfield(f.text, f.quoted, k);
                if (err) {
                    report_field_error(err, k);
                    faulty = true;
                }
                if (first) {
                    first = false;
                    if (iodatc.FWORD(1) == Word8("ECHO-OFF") ||
                        iodatc.FWORD(1) == Word8("ECHO-ON")) {
                        restart = true;
                        break;
                    }
                }
            }
            more = s.continues;
        }
        if (restart) continue;

        // The record is complete: evaluate its expression fields in field order.
        for (int k = 1; k <= iodati.NFIELD && !faulty; ++k) {
            int t = iodati.ITYPE(k);
            if (t != FT_EXPR && t != FT_NEG_EXPR) continue;
            if (clac1c.NEXPR >= MAX_EXPR) {
                // The store keeps its 100 expressions.
                ffldou(0, MSG_ERROR,
                       " UNABLE TO EVALUATE MORE THAN " + fmt::line("(I4)", {MAX_EXPR}) +
                           " EXPRESSIONS");
                faulty = true;
                break;
            }
            clac1c.NEXPR += 1;
            calc1a.CALTXT(clac1c.NEXPR) = Chars<100>(creadst.EXPTXT(k));
            clac1c.ICALC = 1;
            double v = 0.0;
            if (!reader_evaluator.field(clac1c.NEXPR, v)) {
                // A refused expression gives its slot back.
                clac1c.NEXPR -= 1;
                faulty = true;
                break;
            }
            iodata.FVALUE(k) = t == FT_NEG_EXPR ? -v : v;
            iodati.ITYPE(k) = FT_NUMBER;
        }
        if (faulty) {
            write_error_file(" " + last_line);
            // The record is read again as a command, not as a calculator line.
            clac1c.ICALC = 0;
            continue;
        }

        // Words the reader handles itself.
        if (chkfld("QUIT", 1)) sstop(1, "END OF KAVREN");
        if (chkfld("INCLUDE", 1)) {
            if (include(luin)) continue;
            return;
        }
        if (chkfld("EVAL", 1)) {
            int caller = luin;
            int r = reader_evaluator.eval(luin);
            if (r == REVAL_SWITCHED) {
                creadst.AUXKND = AUX_EVALUATOR;
                creadst.LUCALR = caller;
                continue;
            }
            if (r == REVAL_REFUSED || r == REVAL_DONE) continue;
            return;
        }
        if (chkfld("?", 1)) {
            if (iodati.ITYPE(2) == FT_WORD) {
                Chars<10> title(iodatc.FWORD(2).str() + "  ");
                for (int m = 1; m <= cmenu.NMENU && cmenu.MFIRST(m) != 0; ++m) {
                    if (cmenu.MENTRY(cmenu.MFIRST(m)) == title) {
                        help(m);
                        chelp.IHELP = -1;
                    }
                }
            }
            help(menu);
            chelp.IHELP = -1;
        }
        return;
    }
}

namespace {

// The common loop of the prompted readers: returns with ipos at the value field.
int prompted_read(std::string_view name, int menu, const char* routine) {
    Word8 w(name);
    for (;;) {
        int ierr = 0;
        ffldin(cinout.LUIN, cinout.LUOUT, menu, ierr);
        if (cbinrec.IREPLY == 1) return 0;
        if (ierr == 1) continue;
        if (chkfld("@", 1)) {
            if (cinout.LUIN == cinout.LUKBD || cinout.LUIN == LUDECK) {
                cinout.LUIN = cinout.LUIN == cinout.LUKBD ? LUDECK : cinout.LUKBD;
                write_terminal(" *** READING SWITCHED ***");
                continue;
            }
        }
        int nocc = 0, ipos = 0;
        findop(w.view(), nocc, ipos);
        if (nocc > 0 && nocc <= MAX_OCCUR) return ipos;
        write_terminal(" MISSING DATA, NAME: " + w.str());
        if (cinout.LUIN == LUDECK) sstop(0, routine);
    }
}

void announce(std::string_view name, const std::string& value) {
    std::string line(" ");
    line.append(Word8(name).view()).append(" = ").append(value);
    write_terminal(line);
    outcom(cinout.LUECHO);
}

}  // namespace

void readi(std::string_view name, int& ival) {
    int ipos = prompted_read(name, 25, "READI");
    if (ipos == 0) return;
    ival = ifix(iodata.FVALUE(ipos));
    announce(name, std::to_string(ival));
}

void readr(std::string_view name, double& rval) {
    int ipos = prompted_read(name, 0, "READR");
    if (ipos == 0) return;
    rval = iodata.FVALUE(ipos);
    announce(name, fmt::list({rval}).substr(1));
}

void readc(std::string_view name, std::string& cval) {
    int ipos = prompted_read(name, 0, "READC");
    if (ipos == 0) return;
    std::string w = iodatc.FWORD(ipos).str();
    if (!cval.empty()) w.resize(cval.size(), ' ');
    cval = w;
    announce(name, cval);
}

}  // namespace kavren
