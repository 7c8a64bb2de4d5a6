// Debug prints of instrumented routines and the breakpoint dialog that sets
// their switches.
#include "control/debug.hpp"

#include <string>

#include "control/messages.hpp"
#include "control/reader.hpp"
#include "records/debug.hpp"
#include "records/io.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"
#include "support/word.hpp"

namespace kavren {

namespace {

constexpr int BREAK_MENU = 25;
constexpr int NOT_NAMED = 20;  // the index of a routine that no user name names

// A switch of the dialog: its keyword and where it lives.
struct Switch {
    const char* keyword;
    int* value;
};

// The fixed switches in the order of the STATUS listing.
struct FixedSwitches {
    Switch s[22];
};

FixedSwitches fixed_switches() {
    return {{
        {"SOLIN21", &cdbg.IDBGSW(1)},  {"SOLIN22", &cdbg.IDBGSW(2)},  {"MELMCON1", &cdbg.IDBGSW(3)},
        {"MELMCON2", &cdbg.IDBGSW(4)}, {"MELMCON3", &cdbg.IDBGSW(5)}, {"MELEM1", &cdbg.IDBGSW(6)},
        {"MELEM2", &cdbg.IDBGSW(7)},   {"BCELEM1", &cdbg.IDBGSW(8)},  {"BCELEM2", &cdbg.IDBGSW(9)},
        {"SOLOUT", &cdbg.IDBGSW(12)},  {"IPFSS1", &surfc1.IWORD(17)}, {"IPFSZD", &surfc1.IWORD(23)},
        {"IPFSBF", &surfc1.IWORD(26)}, {"IPFSST", &surfc1.IWORD(18)}, {"IPFSLH", &surfc1.IWORD(19)},
        {"IPFSRH", &surfc1.IWORD(20)}, {"IPFSLF", &surfc1.IWORD(21)}, {"IPFSRF", &surfc1.IWORD(22)},
        {"IPFSLE", &surfc1.IWORD(24)}, {"IPFSRE", &surfc1.IWORD(25)}, {"IPFSBK", &surfc1.IWORD(27)},
        {"IPFSXX", &surfc1.IWORD(28)},
    }};
}

// The value of the field after a keyword: its integer part, 0 when it is not a number.
int option_value(int ipos) {
    if (ipos < 1 || ipos > NFIELD_SLOTS || iodati.ITYPE(ipos) != FT_NUMBER) return 0;
    return ifix(iodata.FVALUE(ipos));
}

bool present(std::string_view word, int& ipos) {
    int nocc = 0;
    findop(word, nocc, ipos);
    return nocc > 0;
}

bool any_switch_on() {
    for (int w = 1; w <= 9; ++w)
        if (cdbg.IDBGSW(w) != 0) return true;
    if (cdbg.IDBGSW(12) != 0) return true;
    for (int w = 16; w <= 28; ++w)
        if (surfc1.IWORD(w) != 0) return true;
    for (int j = 1; j <= MAX_BREAK_NAMES; ++j)
        if (cdbg.IUSRBK(j) != 0) return true;
    return false;
}

// The breakpoint dialog: records set, show and clear switches until G leaves
// it with a switch on, or STOP ends the run.
void breakpoint_dialog() {
    FixedSwitches fs = fixed_switches();
    for (;;) {
        int ierr = 0;
        ffldin(cinout.LUIN, cinout.LUOUT, BREAK_MENU, ierr);
        if (cbinrec.IREPLY == 1) return;
        if (ierr == 1) continue;
        if (chkfld("@", 1) && (cinout.LUIN == cinout.LUKBD || cinout.LUIN == LUDECK)) {
            cinout.LUIN = cinout.LUIN == cinout.LUKBD ? LUDECK : cinout.LUKBD;
            write_terminal(" *** READING SWITCHED ***");
            continue;
        }
        int ipos = 0;
        for (Switch& s : fs.s)
            if (present(s.keyword, ipos)) *s.value = option_value(ipos);
        const int nbreaks = std::min(cdbg1.NRBREAKS, MAX_BREAK_NAMES);
        for (int j = 1; j <= nbreaks; ++j)
            if (present(cdbg1.LPRNAME(j).view(), ipos)) cdbg.IUSRBK(j) = option_value(ipos);
        if (present("STATUS", ipos)) {
            for (const Switch& s : fs.s) {
                std::string label = Chars<9>(s.keyword).str() + "= ";
                write_terminal(fmt::list({label, *s.value}));
            }
            for (int j = 1; j <= nbreaks; ++j)
                write_terminal(
                    fmt::line("(1X,A8,' = ',I4)", {cdbg1.LPRNAME(j).view(), cdbg.IUSRBK(j)}));
        }
        if (present("DELALL", ipos)) {
            for (Switch& s : fs.s) *s.value = 0;
            for (int j = 1; j <= nbreaks; ++j) cdbg.IUSRBK(j) = 0;
        }
        if (present("G", ipos)) {
            if (any_switch_on()) return;
            write_terminal(fmt::list({"*** WARNING -  NO BREAKPOINTS ***"}));
            continue;
        }
        if (present("STOP", ipos)) sstop(0, "DBGPRINT");
    }
}

}  // namespace

void initdbg(std::string_view name, int& irout, int& idbg) {
    irout = 100;
    idbg = NOT_NAMED;
    const Word8 w(name);
    const int nbreaks = std::min(cdbg1.NRBREAKS, MAX_BREAK_NAMES);
    for (int i = 1; i <= nbreaks; ++i) {
        if (cdbg1.LPRNAME(i) == w) {
            idbg = i;
            write_terminal(fmt::list({"INITIALIZE DBGPRINT  ", name, i}));
            return;
        }
    }
}

bool debug_selects(int flag, int nel) {
    return flag == 1 || (flag < 0 && flag == -nel);
}

void dbgprint(int itype, std::string_view routine, std::string_view array, const int* ia,
              const double* ra, int ld, int i1, int i2, int j1, int j2, int iflag) {
    if (itype != 1 && itype != 2) return;
    const Word8 r(routine), a(array);
    // Element (j, i) is entry (i-1)*ld + j of the array.
    auto value = [&](int j, int i) -> fmt::Item {
        std::size_t k = static_cast<std::size_t>((i - 1) * ld + (j - 1));
        if (itype == 1) return ia[k];
        return ra[k];
    };
    auto line = [&](std::initializer_list<fmt::Item> tail) {
        std::vector<fmt::Item> items = {r.view(), ":", a.view()};
        items.insert(items.end(), tail);
        write_terminal(fmt::list(items));
    };
    if (i1 != i2 && j1 != j2) {
        for (int i = j1; i <= j2; ++i)
            for (int j = i1; j <= i2; ++j) line({"(", j, ",", i, ")=", value(j, i)});
    } else if (i1 != i2) {
        for (int j = i1; j <= i2; ++j) line({"(   ", j, ")=", value(j, j1)});
    } else if (j1 != j2) {
        for (int i = j1; i <= j2; ++i) line({"(   ", i, ")=", value(i1, i)});
    } else {
        line({"       =", value(1, 1)});
    }
    if (iflag != 0) breakpoint_dialog();
}

}  // namespace kavren
