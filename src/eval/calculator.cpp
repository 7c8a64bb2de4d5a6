// The evaluator as the rest of the system sees it: the store of expressions
// filled by calculator lines, "%" fields and evaluator files, and userf, which
// reruns the stored expressions at a point.
#include <algorithm>
#include <string>

#include "control/messages.hpp"
#include "control/reader.hpp"
#include "eval/evaluator.hpp"
#include "eval/expr.hpp"
#include "graphics/echo.hpp"
#include "records/control.hpp"
#include "records/eval.hpp"
#include "records/io.hpp"
#include "records/problem.hpp"
#include "support/format.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

// The predefined variables: expression i is the bare name, so it owns slot i.
constexpr const char* kPredefined[NPREDF] = {"NEL",   "X",     "Y",     "U1",    "U2",
                                             "U3",    "U4",    "DU1DX", "DU2DX", "DU3DX",
                                             "DU4DX", "DU1DY", "DU2DY", "DU3DY", "DU4DY"};

int* rpn_column(int slot) {
    return &calc1b.IRPN(1, slot);
}

void store_full_message() {
    ffldou(0, MSG_ERROR,
           fmt::line("(A,I4,A)", {" UNABLE TO EVALUATE MORE THAN ", MAX_EXPR, " EXPRESSIONS"}));
}

// Compiles expression slot from its text (and runs it for EV_COMPILE_RUN).
// A refused text is reported with one error message and leaves the slot empty.
bool enter(int slot, int mode, double& value) {
    Chars<EXPR_TEXT>& text = calc1a.CALTXT(slot);
    std::string shown = text.trimmed();
    shown.erase(0, shown.find_first_not_of(' ') == std::string::npos
                       ? shown.size()
                       : shown.find_first_not_of(' '));
    int istat = EV_OK;
    value = eval(mode, text, rpn_column(slot), calc1b.LENRPN(slot), istat);
    if (istat == EV_OK) return true;
    ffldou(0, MSG_ERROR, "** EXPRESSION REFUSED (" + ev_refusal(istat) + "): " + shown);
    calc1b.LENRPN(slot) = 0;
    text = Chars<EXPR_TEXT>();
    return false;
}

bool assigns(int slot) {
    for (int i = 1; i <= calc1b.LENRPN(slot); ++i)
        if (calc1b.IRPN(i, slot) == TK_BINOP + OP_ASIGN) return true;
    return false;
}

void echo_line(std::string_view text) {
    iodati.LINE(1) = Line80(text);
    iodati.NLINE = 1;
    outcom(cinout.LUECHO);
    iodati.NLINE = 0;
}

// userf's answer for a variable that no stored expression assigns: 0, with
// one warning for that variable.
double unassigned(int ivar) {
    if (ivar >= 1 && ivar <= MAX_VARS) {
        if (cvassn.IWARND(ivar) == 1) return 0.0;
        cvassn.IWARND(ivar) = 1;
    }
    if (ivar >= 1 && ivar <= b4.NUMVAR) {
        std::string name(b2.SYMNAM(ivar).view().substr(
            0, static_cast<std::size_t>(std::min(b3.SYMLEN(ivar), SYM_NAME))));
        write_terminal(" *** WARNING: NO EXPRESSION ASSIGNS THE VARIABLE " + name +
                       ": ITS VALUE IS 0");
    } else {
        write_terminal(" *** WARNING: NO EVALUATOR VARIABLE NUMBER " + std::to_string(ivar) +
                       ": ITS VALUE IS 0");
    }
    return 0.0;
}

}  // namespace

void initeval() {
    b6.ITRACE.fill(0);
    cvassn = Cvassn();
    Chars<EXPR_TEXT> none;
    int len = 0, istat = 0;
    eval(EV_RESET, none, nullptr, len, istat);
    for (int i = 1; i <= NPREDF; ++i) {
        calc1a.CALTXT(i) = Chars<EXPR_TEXT>(kPredefined[i - 1]);
        double v = 0.0;
        enter(i, EV_COMPILE_RUN, v);
    }
    clac1c.NEXPR = NPREDF;
}

bool evfield(int slot, double& value) {
    if (!enter(slot, EV_COMPILE_RUN, value)) return false;
    if (assigns(slot)) cflags.ISOLVD = 0;
    return true;
}

void evpack(std::string_view line) {
    std::string text(line.substr(0, std::min<std::size_t>(line.size(), 80)));
    // QUIT ends the run in calculator mode too (END there is a refused text).
    std::string word;
    for (char c : text)
        if (c != ' ') word += c;
    if (word == "QUIT") sstop(1, "END OF KAVREN");
    const bool query = !text.empty() && text[0] == '?';
    if (query) text[0] = ' ';
    if (clac1c.NEXPR >= MAX_EXPR) {
        store_full_message();
        return;
    }
    const int slot = ++clac1c.NEXPR;
    calc1a.CALTXT(slot) = Chars<EXPR_TEXT>(text);
    // The variables first take the values of the definitions entered so far.
    for (int e = 1; e < slot; ++e) evaluf(rpn_column(e), calc1b.LENRPN(e));
    double value = 0.0;
    if (!enter(slot, EV_COMPILE_RUN, value)) {
        --clac1c.NEXPR;
        return;
    }
    if (query) {
        ffldou(0, MSG_CALC, fmt::line("(A,' = ',1PG15.6)", {calc1a.CALTXT(slot).trimmed(), value}));
        return;
    }
    cflags.ISOLVD = 0;
    // Lines read from a file are logged as comments, so that a replay of the
    // log does not enter them twice: the EVAL record itself is logged.
    if (cinout.LUIN == cinout.LUAUX)
        echo_line("#>" + std::string(line));
    else
        echo_line(line);
}

int reval(int& luin) {
    if (iodati.ITYPE(2) == FT_WORD) {
        if (luin == cinout.LUAUX) {
            ffldou(0, MSG_ERROR, " UNABLE TO OPEN FILE IN INCLUDE FILE");
            return REVAL_REFUSED;
        }
        const std::string name = iodatc.FWORD(2).trimmed();
        std::string file = "DECKS/" + name + ".EVA";
        lower(file);
        if (!units::open_text(cinout.LUAUX, file, units::Open::create)) {
            ffldou(0, MSG_ERROR, "UNABLE TO OPEN INCLUDE FILE:" + file);
            return REVAL_NOFILE;
        }
        echo_line("EVAL," + name);
        clac1c.ICALC = 1;
        luin = cinout.LUAUX;
        return REVAL_SWITCHED;
    }
    // A bare EVAL compiles the rest of the file open on the auxiliary unit.
    if (!units::is_open(cinout.LUAUX)) {
        ffldou(0, MSG_ERROR, "** EVAL WITHOUT A NAME: NO EVALUATOR FILE IS OPEN **");
        return REVAL_REFUSED;
    }
    std::string line;
    while (units::read_line(cinout.LUAUX, line) == units::Status::ok) {
        if (clac1c.NEXPR >= MAX_EXPR) {
            store_full_message();
            break;
        }
        const int slot = ++clac1c.NEXPR;
        calc1a.CALTXT(slot) = Chars<EXPR_TEXT>(line);
        double value = 0.0;
        if (!enter(slot, EV_COMPILE, value)) {
            --clac1c.NEXPR;
            continue;
        }
        cflags.ISOLVD = 0;
        echo_line(line);
    }
    units::close(cinout.LUAUX);
    return REVAL_DONE;
}

double userf(int nel, double x, double y, const double* u, const double* dudx, const double* dudy,
             int ivar) {
    if (ivar != 0 && (ivar < 1 || ivar > MAX_VARS || (ivar > NPREDF && cvassn.IASSGN(ivar) != 1)))
        return unassigned(ivar);
    b1.VARVAL(1) = static_cast<double>(nel);
    b1.VARVAL(2) = x;
    b1.VARVAL(3) = y;
    const int neq = std::clamp(ceqsys.NREQNS, 0, MAX_EQNS);
    for (int i = 1; i <= neq; ++i) {
        b1.VARVAL(3 + i) = u[i - 1];
        b1.VARVAL(7 + i) = dudx[i - 1];
        b1.VARVAL(11 + i) = dudy[i - 1];
    }
    for (int e = NPREDF + 1; e <= clac1c.NEXPR; ++e) evaluf(rpn_column(e), calc1b.LENRPN(e));
    return ivar == 0 ? 0.0 : b1.VARVAL(ivar);
}

}  // namespace kavren
