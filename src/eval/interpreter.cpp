// The interpreter of compiled expressions and the functions of the catalogue.
// It runs at every quadrature point, so it works on the codes alone with two
// fixed stacks and allocates nothing unless it writes a fault line.
#include <cmath>

#include "control/messages.hpp"
#include "eval/expr.hpp"
#include "records/eval.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

bool logical(double v) {
    return v == 0.0 || v == 1.0;
}

// The "^" operator: a zero exponent gives 1; a negative exponent, or a
// negative base under an exponent that is not whole, gives 0 with its line.
double power(double v1, double v2) {
    if (v2 == 0.0) return 1.0;
    if (v2 < 0.0) {
        eval_say(" *** NEGATIVE EXPONENT");
        return 0.0;
    }
    if (v1 < 0.0) {
        int m = ifix(v2);
        if (v2 != static_cast<double>(m)) {
            eval_say(" *** NEGATIVE VALUE RAISED TO A REAL EXPONENT");
            return 0.0;
        }
        // An integer power by repeated squaring, as for an integer exponent.
        double result = 1.0, base = v1;
        for (unsigned e = static_cast<unsigned>(m); e != 0; e >>= 1) {
            if (e & 1u) result *= base;
            base *= base;
        }
        return result;
    }
    return std::pow(v1, v2);
}

// A logical operand that is neither 0 nor 1 is a fault of the values, not of
// the text: its line is written and the operation gives 0.
bool check_logical(double a, double b) {
    if (logical(a) && logical(b)) return true;
    eval_say(" *** NON-LOGICAL OPERAND WHERE LOGICAL NEEDED");
    return false;
}

}  // namespace

void eval_say(std::string_view line) {
    ++cstknw.NSAID;
    write_terminal(line);
}

double feval(const double* args, int n, int icode) {
    const double a = args[0];
    const double b = n > 1 ? args[1] : 0.0;
    switch (icode) {
        case 1:
            return -a;
        case 2:
            return std::log(a);
        case 3:
            return std::log10(a);
        case 4:
            return std::exp(a);
        case 5:
            return std::asin(a);
        case 6:
            return std::acos(a);
        case 7:
            return std::atan(a);
        case 8: {
            // ATAN2(P,Q) is the angle of the point x = P, y = Q.
            double r = std::atan2(a, b);
            eval_say(fmt::list({"V,V1,V3:", a, b, r}));
            return r;
        }
        case 9:
            return std::sin(a);
        case 10:
            return std::cos(a);
        case 11:
            return std::tan(a);
        case 12:
            return 1.0 / std::tan(a);
        case 13:
            return std::sinh(a);
        case 14:
            return std::cosh(a);
        case 15:
            return std::tanh(a);
        case 16:
            return std::fabs(a);
        case 20:
            return std::sqrt(a);
        case 21:
            return std::trunc(a);
        case 22:
            return std::round(a);
        case 23:
            return static_cast<double>(nint(a));
        case 24:
            return std::fmod(a, b);  // MOD(P,Q): Q modulo P
        case 25:
            return std::copysign(std::fabs(a), b);  // SIGN(P,Q): |Q| with the sign of P
        case 26:
            return a - b > 0.0 ? a - b : 0.0;  // DIM(P,Q): Q-P when positive, else 0
        case 27:
            return static_cast<double>(ifix(a));
        case 28:
            return (b > a || std::isnan(a)) ? b : a;
        case 29:
            return (b < a || std::isnan(a)) ? b : a;
        default:
            return a;  // ICHAR and the codes without a name
    }
}

double evaluf(const int* irpn, int lenrpn) {
    double stack[EVAL_STACK];
    int istack[EVAL_STACK];
    int sp = 0;
    // The compiler has checked every form it stores; a form that still runs
    // short of operands yields 0.
    auto underflow = [] {
        eval_say(" *** ERROR IN TOP: EMPTY STACK");
        return 0.0;
    };
    for (int i = 0; i < lenrpn; ++i) {
        const int code = irpn[i];
        const int cls = code / 1000;
        const int k = code - cls * 1000;
        switch (cls) {
            case TK_CONST / 1000:
                stack[sp] = b3a.CVAL(k);
                istack[sp++] = 0;
                break;
            case TK_VAR / 1000:
                stack[sp] = b1.VARVAL(k);
                istack[sp++] = k;
                break;
            case TK_FUNCT / 1000: {
                const int f = b5.IFUNC(k);
                const int n = b1.NARG(f);
                if (sp < n) return underflow();
                double args[2] = {0.0, 0.0};
                for (int j = 0; j < n; ++j) args[j] = stack[--sp];
                stack[sp] = feval(args, n, f);
                istack[sp++] = 0;
                break;
            }
            case TK_BINOP / 1000: {
                if (sp < (k == OP_COLON ? 3 : 2)) return underflow();
                const double v2 = stack[--sp];
                const double v1 = stack[--sp];
                const int iv1 = istack[sp];
                double r = 0.0;
                switch (k) {
                    case OP_POWER:
                        r = power(v1, v2);
                        break;
                    case OP_MULT:
                        r = v1 * v2;
                        break;
                    case OP_DIV:
                        if (v2 == 0.0)
                            eval_say(" *** ZERO DIVISOR");
                        else
                            r = v1 / v2;
                        break;
                    case OP_PLUS:
                        r = v1 + v2;
                        break;
                    case OP_MINUS:
                        r = v1 - v2;
                        break;
                    case OP_ASIGN:
                        r = v2;
                        if (iv1 != 0) b1.VARVAL(iv1) = v2;
                        break;
                    case OP_EQ:
                        r = v1 == v2 ? 1.0 : 0.0;
                        break;
                    case OP_NE:
                        r = v1 != v2 ? 1.0 : 0.0;
                        break;
                    case OP_LT:
                        r = v1 < v2 ? 1.0 : 0.0;
                        break;
                    case OP_GT:
                        r = v1 > v2 ? 1.0 : 0.0;
                        break;
                    case OP_LE:
                        r = v1 <= v2 ? 1.0 : 0.0;
                        break;
                    case OP_GE:
                        r = v1 >= v2 ? 1.0 : 0.0;
                        break;
                    case OP_AND:
                        if (check_logical(v1, v2)) r = (v1 == 1.0 && v2 == 1.0) ? 1.0 : 0.0;
                        break;
                    case OP_OR:
                        if (check_logical(v1, v2)) r = (v1 == 1.0 || v2 == 1.0) ? 1.0 : 0.0;
                        break;
                    case OP_COLON: {
                        const double cond = stack[--sp];
                        if (check_logical(cond, 0.0)) r = cond == 1.0 ? v1 : v2;
                        break;
                    }
                    default:
                        break;
                }
                stack[sp] = r;
                istack[sp++] = 0;
                break;
            }
            default:
                break;
        }
    }
    if (sp == 0) return underflow();
    return stack[sp - 1];
}

}  // namespace kavren
