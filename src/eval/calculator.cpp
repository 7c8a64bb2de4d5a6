// The evaluator as the rest of the system sees it: the store of expressions
// filled by calculator lines, "%" fields and evaluator files, and userf, which
// reruns the stored expressions at a point.
#include <algorithm>
#include <array>
#include <string>

#include "control/echo.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "eval/evaluator.hpp"
#include "eval/expr.hpp"
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
    // Every compilation into the store counts, so that what is known of the
    // stored expressions can be kept until the store changes.
    ++cstknw.NGENER;
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
        eval_say(" *** WARNING: NO EXPRESSION ASSIGNS THE VARIABLE " + name +
                       ": ITS VALUE IS 0");
    } else {
        eval_say(" *** WARNING: NO EVALUATOR VARIABLE NUMBER " + std::to_string(ivar) +
                       ": ITS VALUE IS 0");
    }
    return 0.0;
}

// The variables that one stored form reads and assigns, found by running it
// on variable indices alone, as the interpreter's index stack does: the first
// operand of "=" is assigned, every other operand is read, and what stays on
// the stack is taken as read. read(k) and assigned(k) are called for each.
// False when the form runs short of operands (the compiler refuses such forms).
template <typename Read, typename Assigned>
bool scan_form(const int* irpn, int len, Read read, Assigned assigned) {
    std::array<int, MAX_RPN + 1> idx{};
    int sp = 0;
    for (int i = 0; i < len; ++i) {
        const int code = irpn[i];
        const int cls = code / 1000;
        const int k = code - cls * 1000;
        int need = 0;
        if (cls == TK_VAR / 1000 || cls == TK_CONST / 1000) {
            if (sp > MAX_RPN) return false;
            idx[static_cast<std::size_t>(sp++)] = cls == TK_VAR / 1000 ? k : 0;
            continue;
        }
        if (cls == TK_FUNCT / 1000)
            need = b1.NARG(b5.IFUNC(k));
        else if (cls == TK_BINOP / 1000)
            need = k == OP_COLON ? 3 : 2;
        else
            continue;
        if (sp < need) return false;
        for (int j = 0; j < need; ++j) {
            const int v = idx[static_cast<std::size_t>(sp - 1 - j)];
            if (v == 0) continue;
            // Operands are popped last first: the first operand of "=" is j = 1.
            if (cls == TK_BINOP / 1000 && k == OP_ASIGN && j == 1)
                assigned(v);
            else
                read(v);
        }
        sp -= need;
        idx[static_cast<std::size_t>(sp++)] = 0;
    }
    for (int j = 0; j < sp; ++j)
        if (idx[static_cast<std::size_t>(j)] != 0) read(idx[static_cast<std::size_t>(j)]);
    return true;
}

// The answer of store_carries_over, computed without allocating. A run reads
// only values of the same run when every variable an expression reads is
// loaded with the point, assigned by no stored expression, or assigned by an
// earlier one (which has then run before it in the same run).
bool find_carry_over() {
    // The first stored expression that assigns each variable; the point's
    // variables count as assigned before every expression.
    static std::array<int, MAX_VARS + 1> first_assigner;
    first_assigner.fill(0);
    const int neq = std::clamp(ceqsys.NREQNS, 0, MAX_EQNS);
    for (int v : {1, 2, 3}) first_assigner[static_cast<std::size_t>(v)] = NPREDF;
    for (int i = 1; i <= neq; ++i)
        for (int v : {3 + i, 7 + i, 11 + i}) first_assigner[static_cast<std::size_t>(v)] = NPREDF;
    bool ok = true;
    for (int e = NPREDF + 1; e <= clac1c.NEXPR && ok; ++e)
        ok = scan_form(
            rpn_column(e), calc1b.LENRPN(e), [](int) {},
            [e](int v) {
                if (v >= 1 && v <= MAX_VARS && first_assigner[static_cast<std::size_t>(v)] == 0)
                    first_assigner[static_cast<std::size_t>(v)] = e;
            });
    if (!ok) return true;
    bool carries = false;
    for (int e = NPREDF + 1; e <= clac1c.NEXPR && ok && !carries; ++e)
        ok = scan_form(
            rpn_column(e), calc1b.LENRPN(e),
            [e, &carries](int v) {
                if (v < 1 || v > MAX_VARS) {
                    carries = true;
                    return;
                }
                const int first = first_assigner[static_cast<std::size_t>(v)];
                if (first >= e) carries = true;
            },
            [](int) {});
    return carries || !ok;
}

// userf's answer for variable ivar after a run of the store: false when
// userf would not run the store for it (the unassigned case).
bool runs_store(int ivar) {
    return !(ivar != 0 &&
             (ivar < 1 || ivar > MAX_VARS || (ivar > NPREDF && cvassn.IASSGN(ivar) != 1)));
}

// Loads the point into the predefined variables and runs every stored expression.
void run_store(int nel, double x, double y, const double* u, const double* dudx,
               const double* dudy) {
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
}

}  // namespace

// The reader's seam is filled as soon as the evaluator is linked in, so that a
// record with a "%" field reaches it even before `initeval`.
[[maybe_unused]] const bool g_reader_seam_filled =
    (reader_evaluator = {&evpack, &evfield, &reval}, true);

void initeval() {
    reader_evaluator = {&evpack, &evfield, &reval};
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
    // Lines read from an evaluator file are logged as comments, so that a
    // replay of the log does not enter them twice: the EVAL record itself is
    // logged. An include file is not opened again by a replay, so its lines
    // are logged as they are.
    if (reading_evaluator_file())
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
        if (!units::open_text(cinout.LUAUX, file, units::Open::read_create)) {
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
    if (!runs_store(ivar)) return unassigned(ivar);
    run_store(nel, x, y, u, dudx, dudy);
    return ivar == 0 ? 0.0 : b1.VARVAL(ivar);
}

long store_generation() {
    return cstknw.NGENER;
}

bool store_carries_over() {
    // Known until the store or the number of equations (which decides the
    // point's variables) changes.
    Cstknw& k = cstknw;
    if (k.KGENER != k.NGENER || k.KNEXPR != clac1c.NEXPR || k.KNREQN != ceqsys.NREQNS) {
        k.KCARRY = find_carry_over() ? 1 : 0;
        k.KGENER = k.NGENER;
        k.KNEXPR = clac1c.NEXPR;
        k.KNREQN = ceqsys.NREQNS;
    }
    return k.KCARRY == 1;
}

void userf_all(int nel, double x, double y, const double* u, const double* dudx, const double* dudy,
               const int* ivars, int n, double* values) {
    if (store_carries_over()) {
        for (int i = 0; i < n; ++i) values[i] = userf(nel, x, y, u, dudx, dudy, ivars[i]);
        return;
    }
    // Every run gives the same values: run once if any of the calls would.
    bool ran = false;
    for (int i = 0; i < n; ++i) {
        const int ivar = ivars[i];
        if (!runs_store(ivar)) {
            values[i] = unassigned(ivar);
            continue;
        }
        if (!ran) run_store(nel, x, y, u, dudx, dudy);
        ran = true;
        values[i] = ivar == 0 ? 0.0 : b1.VARVAL(ivar);
    }
}

}  // namespace kavren
