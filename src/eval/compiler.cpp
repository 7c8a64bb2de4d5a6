// The expression compiler: scanner, symbol tables, syntax check, reduction of
// the token list into result rows, and the postfix form.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <string>

#include "control/messages.hpp"
#include "eval/expr.hpp"
#include "records/eval.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

//// tables ////

struct FuncEntry {
    const char* name;
    int code;
    int nargs;
};

// The function catalogue. Codes 17, 18 and 19 carry no name.
constexpr FuncEntry kCatalogue[] = {
    {"LOG", 2, 1},    {"LOG10", 3, 1}, {"EXP", 4, 1},    {"ASIN", 5, 1},  {"ACOS", 6, 1},
    {"ATAN", 7, 1},   {"ATAN2", 8, 2}, {"SIN", 9, 1},    {"COS", 10, 1},  {"TAN", 11, 1},
    {"COTAN", 12, 1}, {"SINH", 13, 1}, {"COSH", 14, 1},  {"TANH", 15, 1}, {"ABS", 16, 1},
    {"SQRT", 20, 1},  {"AINT", 21, 1}, {"ANINT", 22, 1}, {"NINT", 23, 1}, {"MOD", 24, 2},
    {"SIGN", 25, 2},  {"DIM", 26, 2},  {"INT", 27, 1},   {"MAX", 28, 2},  {"MIN", 29, 2},
    {"ICHAR", 30, 1},
};

// The separators of the scanner and their codes.
constexpr char kSeparators[] = "()^*/+-,<>!?:|&=";
constexpr int kSeparatorCodes[] = {
    TK_LPAREN,           TK_RPAREN,          TK_BINOP + OP_POWER, TK_BINOP + OP_MULT,
    TK_BINOP + OP_DIV,   TK_BINOP + OP_PLUS, TK_BINOP + OP_MINUS, TK_COMMA,
    TK_BINOP + OP_LT,    TK_BINOP + OP_GT,   TK_BINOP + OP_NE,    TK_BINOP + OP_QUEST,
    TK_BINOP + OP_COLON, TK_BINOP + OP_OR,   TK_BINOP + OP_AND,   TK_BINOP + OP_ASIGN};

// The operator passes of the reduction, in their fixed order.
constexpr int kPassOrder[] = {OP_POWER, OP_MULT,  OP_DIV,   OP_PLUS, OP_MINUS, OP_EQ,
                              OP_NE,    OP_LT,    OP_GT,    OP_LE,   OP_GE,    OP_AND,
                              OP_OR,    OP_QUEST, OP_COLON, OP_ASIGN};

const char* op_symbol(int op) {
    static const char* const symbols[] = {"",   "",  "",  "^",  "*",  "/",  "+",  "-", "=", "==",
                                          "!=", "<", ">", "<=", ">=", "&&", "||", "?", ":"};
    return op >= 3 && op <= 18 ? symbols[op] : "";
}

constexpr int kFunSlot = MAX_VARS;                  // function reference k is name slot 1000+k
constexpr int kConstSlot = MAX_VARS + MAX_FUNREFS;  // constant k is name slot 2000+k

// A token is class*1000 + index, so an index of 1000 would read as the next
// class: each table gives out at most 999 entries.
constexpr int kIndexLimit = 999;

int token_class(int t) {
    return t / 1000 * 1000;
}

// Joins texts (written out so, rather than with a literal + a string, which
// g++ 12 warns about wrongly when optimising).
std::string cat(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts) s.append(p);
    return s;
}
bool is_operator(int t) {
    return token_class(t) == TK_BINOP;
}

// The token list of one compilation, 1-based; commas are never stored.
struct Tokens {
    std::array<int, MAX_TOKENS + 2> t{};
    int n = 0;
    int& operator[](int k) { return t[static_cast<std::size_t>(k)]; }
    int operator[](int k) const { return t[static_cast<std::size_t>(k)]; }
    void erase(int k) {
        for (int i = k; i < n; ++i)
            t[static_cast<std::size_t>(i)] = t[static_cast<std::size_t>(i + 1)];
        t[static_cast<std::size_t>(n)] = 0;
        --n;
    }
};

// The refusal of the compilation under way is ccompl.ISTAT; the first
// function name of its text that is not in the catalogue, ccompl.UNKFUN, has
// the token of function reference 0.
void refuse(int status) {
    if (ccompl.ISTAT == EV_OK) ccompl.ISTAT = status;
}

//// reset ////

// init: the counts of the tables and the catalogue's argument counts; the
// unary minus is function reference 1. Values and names stay.
void init() {
    b4.NUMVAR = 0;
    b4.NUMFUN = 0;
    b4.NUMCNST = 0;
    b1.NRES = 0;
    for (int c = 1; c <= MAX_FUNCODES; ++c) b1.NARG(c) = 1;
    for (const FuncEntry& f : kCatalogue) b1.NARG(f.code) = f.nargs;
    b2.SYMNAM(kFunSlot + 1) = "-";
    b3.SYMLEN(kFunSlot + 1) = 1;
    b5.IFUNC(1) = 1;
    b4.NUMFUN = 1;
}

//// names ////

// The fixed number test: the text right-justified in 20 columns read as E20.14;
// refused outright when it begins with a letter, "%", "_" or "#".
bool atof_fixed(std::string_view s, double& value) {
    if (s.empty() || s.size() > 20) return false;
    unsigned char c = static_cast<unsigned char>(s[0]);
    if (std::isalpha(c) || c == '%' || c == '_' || c == '#') return false;
    std::string field(20 - s.size(), ' ');
    field += s;
    return fmt::read("(E20.14)", field, {&value});
}

// The free-form read of a real, which also takes INF, INFINITY and NAN.
bool free_read(std::string_view s, double& value) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (u == "INF" || u == "INFINITY") {
        value = std::numeric_limits<double>::infinity();
        return true;
    }
    if (u == "NAN") {
        value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    return fmt::read_list(s, {&value});
}

bool same_name(int slot, const Chars<SYM_NAME>& key, int len) {
    return b3.SYMLEN(slot) == len && b2.SYMNAM(slot) == key;
}

// addtab: the token of a name, found or added. function: the name stands
// before "(". 0 when it is refused (unknown function, full table).
int addtab(std::string_view name, bool function) {
    const int len = static_cast<int>(name.size());
    const Chars<SYM_NAME> key(name.substr(0, SYM_NAME));
    if (function) {
        for (int k = 1; k <= b4.NUMFUN; ++k)
            if (same_name(kFunSlot + k, key, len)) return TK_FUNCT + k;
        int code = jfunc(name);
        if (code == 0) {
            // Reported once the syntax check has passed, so that a text with
            // misplaced parentheses is shown as a syntax error.
            if (ccompl.UNKFUN.empty()) ccompl.UNKFUN = std::string(name);
            return TK_FUNCT;
        }
        if (b4.NUMFUN >= std::min(MAX_FUNREFS, kIndexLimit)) {
            refuse(EV_TABLE_FULL);
            return 0;
        }
        int k = ++b4.NUMFUN;
        b2.SYMNAM(kFunSlot + k) = key;
        b3.SYMLEN(kFunSlot + k) = len;
        b5.IFUNC(k) = code;
        return TK_FUNCT + k;
    }
    // A name beginning with E or D is always a variable; otherwise a name that
    // reads as a number, by either reading, is a constant.
    bool constant = false;
    double value = 0.0;
    if (name[0] != 'E' && name[0] != 'D') {
        double fixed = 0.0, free = 0.0;
        bool by_fixed = atof_fixed(name, fixed);
        bool by_free = free_read(name, free);
        constant = by_fixed || by_free;
        value = by_free ? free : fixed;
    }
    if (constant) {
        for (int k = 1; k <= b4.NUMCNST; ++k)
            if (same_name(kConstSlot + k, key, len)) return TK_CONST + k;
        if (b4.NUMCNST >= std::min(MAX_CONSTS, kIndexLimit)) {
            refuse(EV_TABLE_FULL);
            return 0;
        }
        int k = ++b4.NUMCNST;
        b2.SYMNAM(kConstSlot + k) = key;
        b3.SYMLEN(kConstSlot + k) = len;
        b3a.CVAL(k) = value;
        return TK_CONST + k;
    }
    for (int k = 1; k <= b4.NUMVAR; ++k)
        if (same_name(k, key, len)) return TK_VAR + k;
    if (b4.NUMVAR >= std::min(MAX_VARS, kIndexLimit)) {
        refuse(EV_TABLE_FULL);
        return 0;
    }
    int k = ++b4.NUMVAR;
    b2.SYMNAM(k) = key;
    b3.SYMLEN(k) = len;
    b1.VARVAL(k) = 0.0;
    cvassn.IASSGN(k) = 0;
    cvassn.IWARND(k) = 0;
    return TK_VAR + k;
}

//// scanner ////

int separator_code(char c) {
    for (int i = 0; kSeparators[i] != '\0'; ++i)
        if (kSeparators[i] == c) return kSeparatorCodes[i];
    return 0;
}

// The code of a separator pair that forms one operator, 0 when it does not.
int pair_code(char a, char b) {
    if (a == '<' && b == '=') return TK_BINOP + OP_LE;
    if (a == '>' && b == '=') return TK_BINOP + OP_GE;
    if (a == '!' && b == '=') return TK_BINOP + OP_NE;
    if (a == '&' && b == '&') return TK_BINOP + OP_AND;
    if (a == '|' && b == '|') return TK_BINOP + OP_OR;
    if (a == '=' && b == '=') return TK_BINOP + OP_EQ;
    return 0;
}

bool append(Tokens& tk, int t) {
    if (tk.n >= MAX_TOKENS) {
        refuse(EV_TABLE_FULL);
        return false;
    }
    tk[++tk.n] = t;
    return true;
}

// parse: the token list of text (blanks already removed).
bool parse(std::string_view text, Tokens& tk) {
    std::string name;
    auto flush = [&](bool function) {
        if (name.empty()) return true;
        int t = addtab(name, function);
        name.clear();
        return t != 0 && append(tk, t);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        int code = separator_code(c);
        if (code == 0) {
            name += c;
            ++i;
            continue;
        }
        // A sign after the E of a number continues the number (1.5E-3).
        if ((c == '+' || c == '-') && name.size() >= 2 &&
            (name.back() == 'E' || name.back() == 'e')) {
            double v = 0.0;
            if (atof_fixed(std::string_view(name).substr(0, name.size() - 1), v)) {
                name += c;
                ++i;
                continue;
            }
        }
        if (!flush(c == '(')) return false;
        if (i + 1 < text.size()) {
            int pair = pair_code(c, text[i + 1]);
            if (pair != 0) {
                code = pair;
                ++i;
            }
        }
        ++i;
        if (code != TK_COMMA && !append(tk, code)) return false;
    }
    return flush(false);
}

//// token dump ////

std::string symbol_name(int slot) {
    int len = std::min(b3.SYMLEN(slot), SYM_NAME);
    return std::string(
        b2.SYMNAM(slot).view().substr(0, static_cast<std::size_t>(std::max(len, 0))));
}

// cv: the display text of one token.
std::string cv(int t) {
    if (t == 0) return " ";
    int index = t % 1000;
    switch (token_class(t)) {
        case TK_VAR:
            return symbol_name(index);
        case TK_FUNCT:
            return index == 0 ? ccompl.UNKFUN : symbol_name(kFunSlot + index);
        case TK_CONST:
            return symbol_name(kConstSlot + index);
        case TK_BINOP:
            return cat({"|", op_symbol(index), "|"});
        case 1000:
            return t == TK_LPAREN ? "|(|" : "|)|";
        case TK_RESULT:
            return cat({"^", fmt::line("(I2.2)", {index % 100})});
        default:
            return " ";
    }
}

// prtline: the tokens i1..i2 on the terminal, one line each.
void prtline(const Tokens& tk, int i1, int i2) {
    write_terminal(fmt::list({":: DUMP OF LINE ::"}));
    for (int k = i1; k <= i2; ++k) {
        int t = tk[k];
        int index = t % 1000;
        switch (token_class(t)) {
            case TK_VAR:
            case TK_CONST:
                write_terminal(cat({" ", cv(t)}));
                break;
            case TK_FUNCT:
                write_terminal(cat({" {", cv(t), "} "}));
                break;
            case TK_RESULT: {
                std::string s = " [";
                for (int j = 1; j <= 3; ++j) s.append(cat({" ", cv(b1.IRES(index, j)), " "}));
                s.append(" ]");
                write_terminal(s);
                break;
            }
            case TK_BINOP:
                write_terminal(cat({" ", op_symbol(index)}));
                break;
            case 1000:
                write_terminal(t == TK_LPAREN ? " (" : " )");
                break;
            default:
                break;
        }
    }
}

//// syntax ////

void syntax_error(const Tokens& tk, int pos, std::string_view message) {
    write_terminal(cat({" *** SYNTAX ERROR:", message}));
    prtline(tk, 1, pos);
    write_terminal(" ^^^^^^^^^^ ");
    write_terminal(" |||||||||| ");
    write_terminal(" ERROR HERE ");
    if (pos < tk.n) {
        write_terminal(" REST OF EXPRESSION:");
        prtline(tk, pos + 1, tk.n);
    }
    refuse(EV_SYNTAX);
}

// syntax: parentheses in order, then the adjacent pairs of tokens.
bool syntax(const Tokens& tk) {
    int open = 0, close = 0;
    for (int k = 1; k <= tk.n; ++k) {
        if (tk[k] == TK_LPAREN) ++open;
        if (tk[k] == TK_RPAREN && ++close > open) {
            syntax_error(tk, k, "() OUT OF ORDER");
            return false;
        }
    }
    if (open > close) {
        syntax_error(tk, tk.n, " TOO MANY ( ");
        return false;
    }
    const int minus = TK_BINOP + OP_MINUS, assign = TK_BINOP + OP_ASIGN;
    for (int k = 1; k < tk.n; ++k) {
        int t = tk[k], u = tk[k + 1];
        const char* message = nullptr;
        if (is_operator(t) && is_operator(u) && !(t == assign && u == minus))
            message = "TWO ADJACENT OPERATORS";
        else if (is_operator(t) && u == TK_RPAREN)
            message = " OPERATOR )";
        else if (k == 1 && is_operator(t) && t != minus)
            message = " NOT ENOUGH OPERANDS";
        else if (k + 1 == tk.n && is_operator(u))
            message = " NOT ENOUGH OPERANDS (AT END)";
        if (message) {
            syntax_error(tk, k, message);
            return false;
        }
    }
    return true;
}

//// reduction ////

int new_row() {
    if (b1.NRES >= std::min(MAX_RESULTS, kIndexLimit)) {
        refuse(EV_TABLE_FULL);
        return 0;
    }
    int r = ++b1.NRES;
    for (int j = 1; j <= 3; ++j) b1.IRES(r, j) = 0;
    return r;
}

// interpfx: reduces the stretch l..r of the list to result rows; returns the
// stretch's new end. Tokens outside the stretch are never taken as operands.
int interpfx(Tokens& tk, int l, int r) {
    if (l > r) return r;
    if (tk[l] == TK_BINOP + OP_MINUS) tk[l] = TK_FUNCT + 1;
    if (l == r) {
        // One operand: it stays in place; a row is spent on it all the same.
        new_row();
        return r;
    }
    // Function pass: each function takes the tokens that follow it.
    for (;;) {
        int k = l;
        while (k <= r && token_class(tk[k]) != TK_FUNCT) ++k;
        if (k > r) break;
        int fref = tk[k] - TK_FUNCT;
        int n = b1.NARG(b5.IFUNC(fref));
        int row = new_row();
        if (row == 0) return r;
        for (int j = 1; j <= n; ++j) b1.IRES(row, j) = k + j <= r ? tk[k + j] : 0;
        b1.IRES(row, n + 1) = tk[k];
        tk[k] = TK_RESULT + row;
        for (int j = 1; j <= n && k + 1 <= r; ++j) {
            tk.erase(k + 1);
            --r;
        }
    }
    // Operator passes: one per operator, each grouping from the left.
    for (int op : kPassOrder) {
        const int code = TK_BINOP + op;
        for (;;) {
            int k = l;
            while (k <= r && tk[k] != code) ++k;
            if (k > r) break;
            int row = new_row();
            if (row == 0) return r;
            b1.IRES(row, 1) = k > l ? tk[k - 1] : 0;
            b1.IRES(row, 2) = k < r ? tk[k + 1] : 0;
            b1.IRES(row, 3) = op == OP_QUEST ? 0 : code;
            tk[k] = TK_RESULT + row;
            if (k < r) {
                tk.erase(k + 1);
                --r;
            }
            if (k > l) {
                tk.erase(k - 1);
                --r;
            }
        }
    }
    return r;
}

// makerpn: expands a token into the postfix form, result rows into their
// non-zero entries in order.
bool expand(int t, int* irpn, int& len) {
    if (token_class(t) == TK_RESULT) {
        int row = t - TK_RESULT;
        for (int j = 1; j <= 3; ++j)
            if (b1.IRES(row, j) != 0 && !expand(b1.IRES(row, j), irpn, len)) return false;
        return true;
    }
    if (len >= MAX_RPN) {
        refuse(EV_TABLE_FULL);
        return false;
    }
    irpn[len++] = t;
    return true;
}

// Runs the postfix form on depths alone: every code must find its operands.
// Since the index stack does not depend on values, this also finds the
// variables that the form assigns.
bool check_stack(const int* irpn, int len) {
    std::array<int, EVAL_STACK> idx{};
    int sp = 0;
    std::array<int, MAX_RPN> assigned{};
    int nassigned = 0;
    for (int i = 0; i < len; ++i) {
        int t = irpn[i];
        int need = 0;
        switch (token_class(t)) {
            case TK_CONST:
            case TK_VAR:
                idx[static_cast<std::size_t>(sp++)] = token_class(t) == TK_VAR ? t - TK_VAR : 0;
                continue;
            case TK_FUNCT:
                need = b1.NARG(b5.IFUNC(t - TK_FUNCT));
                break;
            case TK_BINOP:
                need = t - TK_BINOP == OP_COLON ? 3 : 2;
                break;
            default:
                continue;
        }
        if (sp < need) {
            write_terminal(" *** ERROR IN TOP: EMPTY STACK");
            refuse(EV_EMPTY_STACK);
            return false;
        }
        if (t == TK_BINOP + OP_ASIGN && idx[static_cast<std::size_t>(sp - 2)] != 0)
            assigned[static_cast<std::size_t>(nassigned++)] = idx[static_cast<std::size_t>(sp - 2)];
        sp -= need;
        idx[static_cast<std::size_t>(sp++)] = 0;
    }
    if (sp == 0) {
        write_terminal(" *** ERROR IN TOP: EMPTY STACK");
        refuse(EV_EMPTY_STACK);
        return false;
    }
    for (int i = 0; i < nassigned; ++i) cvassn.IASSGN(assigned[static_cast<std::size_t>(i)]) = 1;
    return true;
}

// Position of the last character that is neither blank nor NUL, 0 for none.
int last_significant(const Chars<EXPR_TEXT>& text) {
    for (int i = EXPR_TEXT; i >= 1; --i)
        if (text.col(i) != ' ' && text.col(i) != '\0') return i;
    return 0;
}

bool begins_with_end(std::string_view s) {
    return s.size() >= 3 && s.substr(0, 3) == "END";
}

// The compilation of cline into irpn, steps 1 to 8.
int compile(Chars<EXPR_TEXT>& cline, int* irpn, int& lenrpn) {
    ccompl.ISTAT = EV_OK;
    int lenc = last_significant(cline);
    if (lenc == 0 || cline.view().substr(0, static_cast<std::size_t>(lenc)) == "END")
        return EV_BLANK_OR_END;
    for (int i = 1; i < lenc; ++i) {
        if (cline.col(i) == '*' && cline.col(i + 1) == '*') {
            cline.col(i) = '^';
            cline.col(i + 1) = ' ';
        }
    }
    // rmblnks: the stored text keeps no blanks.
    std::string text;
    for (int i = 1; i <= lenc; ++i)
        if (cline.col(i) != ' ' && cline.col(i) != '\0') text += cline.col(i);
    cline = Chars<EXPR_TEXT>(text);
    if (begins_with_end(text)) return EV_BLANK_OR_END;

    const B4 counts = b4;
    b1.NRES = 0;
    Tokens tk;
    ccompl.UNKFUN.clear();
    bool ok = parse(text, tk) && syntax(tk);
    if (ok && !ccompl.UNKFUN.empty()) {
        write_terminal(" *** UNRECOGNIZED FUNCTION");
        write_terminal(" *** NO SUCH KNOWN FUNCTION");
        refuse(EV_UNKNOWN_FUNC);
        ok = false;
    }
    if (ok) {
        // Unary minus: first in the text, or right after "=".
        for (int k = 1; k <= tk.n; ++k)
            if (tk[k] == TK_BINOP + OP_MINUS && (k == 1 || tk[k - 1] == TK_BINOP + OP_ASIGN))
                tk[k] = TK_FUNCT + 1;
        // Parentheses, innermost first.
        for (;;) {
            int p = 1;
            while (p <= tk.n && tk[p] != TK_LPAREN) ++p;
            if (p > tk.n) break;
            int q = p + 1;
            for (; q <= tk.n && tk[q] != TK_RPAREN; ++q)
                if (tk[q] == TK_LPAREN) p = q;
            tk.erase(q);
            tk.erase(p);
            interpfx(tk, p, q - 2);
        }
        interpfx(tk, 1, tk.n);
        lenrpn = 0;
        for (int k = 1; k <= tk.n && ccompl.ISTAT == EV_OK; ++k) expand(tk[k], irpn, lenrpn);
        ok = ccompl.ISTAT == EV_OK && check_stack(irpn, lenrpn);
    }
    if (!ok) {
        // The text is refused: the names it brought in are forgotten.
        b4 = counts;
        lenrpn = 0;
        return ccompl.ISTAT == EV_OK ? EV_SYNTAX : ccompl.ISTAT;
    }
    return EV_OK;
}

}  // namespace

int jfunc(std::string_view name) {
    std::string u(name);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const FuncEntry& f : kCatalogue)
        if (u == f.name) return f.code;
    return 0;
}

std::string ev_refusal(int istat) {
    switch (istat) {
        case EV_BLANK_OR_END:
            return "BLANK OR BEGINS WITH END";
        case EV_SYNTAX:
            return "SYNTAX ERROR";
        case EV_UNKNOWN_FUNC:
            return "UNKNOWN FUNCTION";
        case EV_TABLE_FULL:
            return "TABLE FULL";
        case EV_EMPTY_STACK:
            return "MISSING OPERAND";
        default:
            return "";
    }
}

double eval(int mode, Chars<EXPR_TEXT>& cline, int* irpn, int& lenrpn, int& istat) {
    istat = EV_OK;
    if (mode == EV_RESET) {
        init();
        return 0.0;
    }
    if (mode == EV_RUN) return evaluf(irpn, lenrpn);
    istat = compile(cline, irpn, lenrpn);
    if (istat != EV_OK || mode == EV_COMPILE) return 0.0;
    return evaluf(irpn, lenrpn);
}

}  // namespace kavren
