// The parsed command record, the unit table, replay state, error report and
// the other records of the command language.
#pragma once

#include <string>
#include <vector>

#include "records/limits.hpp"
#include "support/array.hpp"
#include "support/word.hpp"

namespace kavren {

// Field types of ITYPE.
constexpr int FT_NONE = 0;
constexpr int FT_NUMBER = 1;
constexpr int FT_WORD = 2;
constexpr int FT_DEFAULT = 3;
constexpr int FT_EXPR = 4;      // expression field, before evaluation (reader only)
constexpr int FT_NEG_EXPR = 5;  // expression field with a minus sign in front (reader only)

struct Iodati {
    int NFMAX = NFMAX_FIELDS;       // maximum number of fields of a record
    int NFIELD = 0;                 // fields of the last record (0 for the end-of-input record)
    int NLINE = 0;                  // lines of the last record
    Arr1<int, MAX_OCCUR> IOCCUR;    // field numbers found by the last findop
    Arr1<int, NFIELD_SLOTS> ITYPE;  // type of each field (FT_...)
    Arr1<Line80, MAX_LINES> LINE;   // the lines of the record, for the echo
    int INDENT = 1;                 // echo column: 1 at the main menu, +3 a level
};
struct Iodata {
    Arr1<double, NFIELD_SLOTS> FVALUE;  // number, 0 for defaults, packed text for words
};
struct Iodatc {
    Arr1<Word8, NFIELD_SLOTS> FWORD;  // word of each field, upper case, blank for numbers
};
// The last word longer than 8 characters.
struct Ctitle {
    Line80 CTITLE;   // its whole text, blank padded
    int LTITLE = 0;  // its length; 0 when the last word field was not long
};

// Unit numbers of the run.
struct Cinout {
    int LUIN = 5;     // current input: 5 keyboard, 10 deck, 50 replay, 69 include/eval file
    int LUERR = 20;   // error file of the project
    int LUOUT = 6;    // terminal
    int LUKBD = 5;    // keyboard
    int LUHIST = 50;  // history file
    int LUECHO = 77;  // command log of the project
    int LUSCR1 = 40;  // scratch, not used
    int LUSCR2 = 80;  // scratch, not used
    int LUSPAR = 65;  // not used
    int LUSCR3 = 66;  // scratch, not used
    int LUAUX = 69;   // include and evaluator files, grid files
    int LUCONF = 68;  // configuration file
    int LUSAVE = 67;  // save file
};
constexpr int LUDECK = 10;   // the project deck
constexpr int LUFRONT = 11;  // data/front, for the frontal solver
constexpr int LUHELP = 48;   // data/help, the history listing in menu mode

// History replay state.
struct Cbinrec {
    int NXTREC = 1;  // history record the next echo writes
    int LSTREC = 0;  // last record of a replay or listing
    int IREPLY = 0;  // 1 while a replay unwinds the levels and runs
};
// The lines being replayed, read from the history file when the replay
// starts and walked with a cursor of their own, so that the replay always
// moves forward whatever the levels echo.
struct ReplayBuffer {
    std::vector<std::string> lines;
    std::size_t next = 0;
};

struct Chelp {
    int IHELP = 0;  // help topic of the last error message; -1 after "?"
};
struct Errcomc {
    Chars<128> ERRMSG;  // message of the next error report
    Word8 ERRCMD;       // command being processed
};
struct Errcom {
    int NERRS = 0;  // error reports written so far
};

// The reader's own state between records.
// What the auxiliary unit holds: the calculator flag cannot tell, since an
// include file may end in calculator mode and an evaluator file may leave it.
constexpr int AUX_INCLUDE = 0;
constexpr int AUX_EVALUATOR = 1;
struct Creadst {
    int KBDEND = 0;  // 1 once the keyboard gave its end-of-input record: the next read ends the run
    int LUCALR = LUDECK;  // unit that input returns to at the end of the auxiliary file
    int AUXKND = 0;       // what the auxiliary unit holds, known from how it was opened
    Arr1<std::string, NFIELD_SLOTS> EXPTXT;  // texts of the expression fields of the record read
    // Include files opened since input last came from the deck or the keyboard: an include
    // replaces itself on its unit, so one named again would be read for ever.
    std::vector<std::string> INCSEEN;
};

extern Iodati iodati;
extern Iodata iodata;
extern Iodatc iodatc;
extern Ctitle ctitle;
extern Cinout cinout;
extern Cbinrec cbinrec;
extern ReplayBuffer replay;
extern Chelp chelp;
extern Errcomc errcomc;
extern Errcom errcom;
extern Creadst creadst;

}  // namespace kavren
