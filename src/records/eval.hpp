// Records of the expression evaluator: the symbol tables and result table of
// the compiler, the variable values, and the store of compiled expressions.
#pragma once

#include <cstdint>
#include <string>

#include "records/limits.hpp"
#include "support/array.hpp"
#include "support/word.hpp"

namespace kavren {

// Token codes are class*1000 + index.
constexpr int TK_LPAREN = 1001;  // "("
constexpr int TK_RPAREN = 1002;  // ")"
constexpr int TK_BINOP = 2000;   // + operator number
constexpr int TK_FUNCT = 3000;   // + function reference
constexpr int TK_VAR = 4000;     // + variable slot
constexpr int TK_RESULT = 5000;  // + result row (during compilation only)
constexpr int TK_COMMA = 6000;   // never stored
constexpr int TK_END = 7000;     // end of text (scanner only)
constexpr int TK_CONST = 8000;   // + constant slot

// Operator numbers.
constexpr int OP_POWER = 3;
constexpr int OP_MULT = 4;
constexpr int OP_DIV = 5;
constexpr int OP_PLUS = 6;
constexpr int OP_MINUS = 7;
constexpr int OP_ASIGN = 8;
constexpr int OP_EQ = 9;
constexpr int OP_NE = 10;
constexpr int OP_LT = 11;
constexpr int OP_GT = 12;
constexpr int OP_LE = 13;
constexpr int OP_GE = 14;
constexpr int OP_AND = 15;
constexpr int OP_OR = 16;
constexpr int OP_QUEST = 17;
constexpr int OP_COLON = 18;

// Symbol names by slot: 1..1000 variables, 1001..2000 function references,
// 2001..3000 constants (the constant's text as written).
struct B2 {
    Arr1<Chars<SYM_NAME>, MAX_SYMBOLS> SYMNAM;
};
struct B3 {
    Arr1<int, MAX_SYMBOLS> SYMLEN;  // length of each name as written
};
struct B4 {
    int NUMVAR = 0;   // variables in use
    int NUMFUN = 0;   // function references in use
    int NUMCNST = 0;  // constants in use
};
struct B3a {
    Arr1<double, MAX_CONSTS> CVAL;  // value of constant k
};
struct B5 {
    Arr1<int, MAX_FUNREFS> IFUNC;  // function code of function reference k
};
struct B1 {
    int NRES = 0;                    // result rows in use (reset for every compilation)
    Arr2<int, MAX_RESULTS, 3> IRES;  // result rows: operands then operator or function
    Arr1<int, MAX_FUNREFS> NARG;     // arguments of each function code
    Arr1<double, MAX_VARS> VARVAL;   // current value of variable k
};
struct B6 {
    Arr1<int, 2> ITRACE;  // 1 dump tokens after each compilation step, 2 value traces; never set
};

// The store of compiled expressions (column i for expression i).
struct Calc1b {
    Arr2<int, RPN_ROWS, MAX_EXPR> IRPN;  // postfix codes
    Arr1<int, MAX_EXPR> LENRPN;          // their number
};

// Which variables a stored expression assigns (found when it is compiled), and
// which unassigned variables userf has already warned about.
struct Cvassn {
    Arr1<int, MAX_VARS> IASSGN;  // 1 when some stored expression assigns variable k
    Arr1<int, MAX_VARS> IWARND;  // 1 once userf has warned that variable k is unassigned
};

// The compilation under way.
struct Ccompl {
    int ISTAT = 0;       // its refusal; 0 (EV_OK) while none
    std::string UNKFUN;  // the first function name of its text not in the catalogue
};

// What is known of the store of compiled expressions, kept until the store
// changes: every compilation into the store counts in NGENER, and each answer
// below is valid for the generation (and counts) it was found for.
struct Cstknw {
    long NGENER = 0;   // compilations into the store so far
    long KGENER = -1;  // generation, NEXPR and NREQNS for which KCARRY was found
    int KNEXPR = -1;
    int KNREQN = -1;
    int KCARRY = 1;    // 1 when a run of the store can give other values than the one before
    long XGENER = -1;  // generation and NUMVAR for which IXSLOT was looked up
    int XNUMVR = -1;
    Arr1<int, 6> IXSLOT;  // variable slots of OMEGA, OMEGAX, OMEGAY, OMEGAXX, OMEGAYY, OMEGAXY
    long NSAID = 0;       // lines that runs of the store have written (eval_say)
};

// The exact solution at the points met so far, so that the store runs once a
// point while it stays the same: the element matrices of every solve and the
// exact errors of every ERREST meet the same Gauss points of the elements
// that an adaptive step leaves alone. An open-addressing table keyed by the
// bits of (x, y), one cache line an entry. The key words are kept inverted,
// so that a table of zeros is empty: only the entries in use are ever
// touched, and the point with every bit of x and y set (a NaN) is never
// kept. It holds the values of one generation of the store, number of
// variables and number of equations, and only points whose run wrote
// nothing; it is emptied when they change and when it is half full.
struct Expoint {
    std::uint64_t KX = 0;  // the inverted bits of x and y
    std::uint64_t KY = 0;
    double VALUE[6] = {};  // OMEGA, OMEGAX, OMEGAY, OMEGAXX, OMEGAYY, OMEGAXY
};
static_assert(sizeof(Expoint) == 64);
struct Cexpts {
    int NUSED = 0;     // entries in use
    long PGENER = -1;  // generation, NUMVAR and NREQNS the entries belong to
    int PNUMVR = -1;
    int PNREQN = -1;
    alignas(64) Arr1<Expoint, EXPTS_SIZE> POINT;
};

extern B1 b1;
extern B2 b2;
extern B3 b3;
extern B3a b3a;
extern B4 b4;
extern B5 b5;
extern B6 b6;
extern Calc1b calc1b;
extern Cvassn cvassn;
extern Ccompl ccompl;
extern Cstknw cstknw;
extern Cexpts cexpts;

}  // namespace kavren
