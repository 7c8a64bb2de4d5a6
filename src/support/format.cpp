// Fortran-style formatted text: a small format compiler, the output and input
// edit descriptors, and list-directed lines.
#include "support/format.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "support/convert.hpp"

namespace kavren::fmt {

namespace {

//// format texts ////

// One element of a compiled format. Data descriptors consume an item each.
enum class Op { Group, Literal, Skip, Slash, Colon, Scale, Int, Fixed, Exp, Dexp, General, Text };

struct Node {
    Op op = Op::Literal;
    int repeat = 1;          // repeat count (groups, data descriptors, X and /)
    int w = -1;              // field width; -1 when absent (A), scale factor for P
    int d = -1;              // digits after the point; minimum digits for Iw.m
    int e = -1;              // exponent digits of Ew.dEe and Gw.dEe
    std::string text;        // literal text
    std::vector<Node> kids;  // group contents
};

Node make_node(Op op, int repeat = 1, int w = -1, std::string text = {}) {
    Node nd;
    nd.op = op;
    nd.repeat = repeat;
    nd.w = w;
    nd.text = std::move(text);
    return nd;
}

// Recursive-descent reader of a format text. Blanks between tokens are
// ignored, as in Fortran, except inside literals and Hollerith texts.
class FormatParser {
  public:
    explicit FormatParser(std::string_view s) : s_(s) {}

    // format -> '(' list ')' | list
    bool parse(std::vector<Node>& top) {
        skip_blanks();
        bool ok;
        if (i_ < s_.size() && s_[i_] == '(') {
            ++i_;
            ok = parse_list(top, true);
            skip_blanks();
            ok = ok && i_ == s_.size();
        } else {
            ok = parse_list(top, false);
        }
        return ok;
    }

  private:
    std::string_view s_;
    std::size_t i_ = 0;

    bool at_end() const { return i_ >= s_.size(); }
    char peek() const { return at_end() ? '\0' : s_[i_]; }
    char upper() const {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(peek())));
    }
    bool digit() const { return std::isdigit(static_cast<unsigned char>(peek())) != 0; }

    void skip_blanks() {
        while (!at_end() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
    }

    // An unsigned number; false when none is there or it is absurdly large.
    bool number(int& n) {
        skip_blanks();
        if (!digit()) return false;
        long long v = 0;
        while (digit()) {
            v = v * 10 + (s_[i_] - '0');
            if (v > 100000) return false;
            ++i_;
        }
        n = static_cast<int>(v);
        return true;
    }

    // list -> item { [','] item } [')']
    bool parse_list(std::vector<Node>& out, bool closed) {
        for (;;) {
            skip_blanks();
            if (at_end()) return !closed;
            if (peek() == ')') {
                if (!closed) return false;
                ++i_;
                return true;
            }
            if (peek() == ',') {
                ++i_;
                continue;
            }
            if (!parse_item(out)) return false;
        }
    }

    // item -> literal | [r] '/' | ':' | [k] 'P' | [n] 'X' | n 'H' text | [r] '(' list ')'
    //       | [r] descriptor
    bool parse_item(std::vector<Node>& out) {
        char c = peek();
        if (c == '\'' || c == '"') return parse_quoted(out, c);
        if (c == ':') {
            ++i_;
            out.push_back(make_node(Op::Colon));
            return true;
        }
        int sign = 1;
        if (c == '+' || c == '-') {
            sign = c == '-' ? -1 : 1;
            ++i_;
        }
        int n = 0;
        bool has_n = number(n);
        if (sign < 0 && !has_n) return false;
        skip_blanks();
        char letter = upper();
        if (letter == 'P') {
            ++i_;
            if (!has_n) return false;
            out.push_back(make_node(Op::Scale, 1, sign * n));
            return true;
        }
        if (sign < 0 || (has_n && n == 0 && letter != 'X')) return false;
        int r = has_n ? n : 1;
        switch (letter) {
            case 'X':
                ++i_;
                out.push_back(make_node(Op::Skip, r));
                return true;
            case '/':
                ++i_;
                out.push_back(make_node(Op::Slash, r));
                return true;
            case 'H': {
                ++i_;
                if (!has_n || s_.size() - i_ < static_cast<std::size_t>(n)) return false;
                out.push_back(make_node(Op::Literal, 1, -1, std::string(s_.substr(i_, n))));
                i_ += n;
                return true;
            }
            case '(': {
                ++i_;
                Node g = make_node(Op::Group, r);
                if (!parse_list(g.kids, true)) return false;
                out.push_back(std::move(g));
                return true;
            }
            default:
                return parse_descriptor(out, letter, r);
        }
    }

    // Quoted literal; a doubled quote inside stands for one.
    bool parse_quoted(std::vector<Node>& out, char q) {
        ++i_;
        std::string text;
        for (;;) {
            if (at_end()) return false;
            char c = s_[i_++];
            if (c == q) {
                if (peek() != q) break;
                ++i_;
            }
            text += c;
        }
        out.push_back(make_node(Op::Literal, 1, -1, std::move(text)));
        return true;
    }

    // descriptor -> 'I' w ['.' m] | ('F'|'D') w '.' d | ('E'|'G') w '.' d ['E' e] | 'A' [w]
    bool parse_descriptor(std::vector<Node>& out, char letter, int r) {
        Node nd = make_node(Op::Literal, r);
        switch (letter) {
            case 'I':
                nd.op = Op::Int;
                break;
            case 'F':
                nd.op = Op::Fixed;
                break;
            case 'E':
                nd.op = Op::Exp;
                break;
            case 'D':
                nd.op = Op::Dexp;
                break;
            case 'G':
                nd.op = Op::General;
                break;
            case 'A':
                nd.op = Op::Text;
                break;
            default:
                return false;
        }
        ++i_;
        if (nd.op == Op::Text) {
            int w = 0;
            if (number(w)) {
                if (w == 0) return false;
                nd.w = w;
            }
            out.push_back(std::move(nd));
            return true;
        }
        if (!number(nd.w)) return false;
        skip_blanks();
        if (peek() == '.') {
            ++i_;
            if (!number(nd.d)) return false;
        } else if (nd.op != Op::Int) {
            return false;
        }
        // Width 0 (minimal width) only for I and F.
        if (nd.w == 0 && nd.op != Op::Int && nd.op != Op::Fixed) return false;
        if (nd.op == Op::Exp || nd.op == Op::General) {
            skip_blanks();
            if (upper() == 'E') {
                ++i_;
                if (!number(nd.e) || nd.e == 0) return false;
            }
        }
        out.push_back(std::move(nd));
        return true;
    }
};

//// output editing ////

std::string stars(int w) {
    return std::string(static_cast<std::size_t>(w > 0 ? w : 1), '*');
}

// Right-aligns text in w columns (w == 0: as it is); asterisks when it does not fit.
std::string fit(const std::string& text, int w) {
    if (w == 0) return text;
    if (text.size() > static_cast<std::size_t>(w)) return stars(w);
    return std::string(static_cast<std::size_t>(w) - text.size(), ' ') + text;
}

// Like fit, but the body may drop its optional leading zero (at index zero_at)
// when that is what makes it fit.
std::string fit_optional_zero(const std::string& text, std::size_t zero_at, bool has_zero, int w) {
    if (w == 0 || text.size() <= static_cast<std::size_t>(w) || !has_zero) return fit(text, w);
    std::string shorter = text;
    shorter.erase(zero_at, 1);
    return fit(shorter, w);
}

std::string printf_text(const char* f, int digits, double x) {
    int n = std::snprintf(nullptr, 0, f, digits, x);
    std::string s(static_cast<std::size_t>(n), '\0');
    std::snprintf(s.data(), s.size() + 1, f, digits, x);
    return s;
}

// Significant digits of |x| rounded to sig digits, and the exponent p with
// |x| ~ 0.d1d2... * 10**p. x must be finite and nonzero, sig >= 1.
void decimal_digits(double x, int sig, std::string& digits, int& p) {
    std::string s = printf_text("%.*e", sig - 1, std::fabs(x));
    std::size_t epos = s.find('e');
    digits.clear();
    for (std::size_t k = 0; k < epos; ++k)
        if (s[k] != '.') digits += s[k];
    p = std::atoi(s.c_str() + epos + 1) + 1;
}

// Infinity and NaN in a field of w columns.
std::string edit_special(double x, int w) {
    if (std::isnan(x)) return fit("NaN", w);
    std::string sign = x < 0 ? "-" : "";
    std::string full = sign + "Infinity";
    if (w == 0 || full.size() <= static_cast<std::size_t>(w)) return fit(full, w);
    return fit(sign + "Inf", w);
}

// Iw.m: integer right-aligned, at least m digits (Iw.0 of zero is all blanks).
std::string edit_int(long long v, int w, int m) {
    std::string digits = std::to_string(v < 0 ? -v : v);
    if (m == 0 && v == 0) digits.clear();
    if (m > 0 && digits.size() < static_cast<std::size_t>(m))
        digits.insert(0, static_cast<std::size_t>(m) - digits.size(), '0');
    if (w == 0 && digits.empty()) digits.push_back('0');
    return fit((v < 0 ? "-" : "") + digits, w);
}

// Fw.d of x * 10**k. A negative value keeps its sign even when it rounds to
// zero ("-0.00"); an exact zero, signed or not, prints without sign.
std::string edit_fixed(double x, int w, int d, int k) {
    if (!std::isfinite(x)) return edit_special(x, w);
    bool neg = x < 0;
    double y = k == 0 ? x : x * std::pow(10.0, k);
    std::string body = printf_text("%.*f", d, std::fabs(y));
    if (d == 0) body += '.';
    bool zero_optional = d > 0 && body[0] == '0';
    if (neg) body.insert(body.begin(), '-');
    return fit_optional_zero(body, neg ? 1 : 0, zero_optional, w);
}

// Ew.d, Ew.dEe and Dw.d under scale factor k: k <= 0 gives 0.0..0ddd with -k
// zeros and d+k significant digits, k > 0 gives k digits before the point and
// d-k+1 after. Exponents beyond two digits drop the letter (0.150+100); with
// an explicit Ee the exponent has e digits and the letter is kept.
std::string edit_exp(double x, int w, int d, int e, int k, char letter) {
    if (!std::isfinite(x)) return edit_special(x, w);
    if (k <= -d || k > d + 1) return stars(w);
    int sig = k > 0 ? d + 1 : d + k;
    std::string digits;
    int p = 0;
    if (x == 0) {
        digits.assign(static_cast<std::size_t>(sig), '0');
    } else {
        decimal_digits(x, sig, digits, p);
    }
    int ex = x == 0 ? 0 : p - k;
    std::string body = x < 0 ? "-" : "";
    bool zero_optional = false;
    if (k > 0) {
        body += digits.substr(0, static_cast<std::size_t>(k)) + "." +
                digits.substr(static_cast<std::size_t>(k));
    } else {
        zero_optional = true;
        body += "0." + std::string(static_cast<std::size_t>(-k), '0') + digits;
    }
    std::string mag = std::to_string(ex < 0 ? -ex : ex);
    char esign = ex < 0 ? '-' : '+';
    if (e < 0) {
        if (mag.size() <= 2) {
            body += std::string(1, letter) + esign + std::string(2 - mag.size(), '0') + mag;
        } else if (mag.size() == 3) {
            body += esign + mag;
        } else {
            return stars(w);
        }
    } else {
        if (mag.size() > static_cast<std::size_t>(e)) return stars(w);
        body += std::string(1, letter) + esign + std::string(e - mag.size(), '0') + mag;
    }
    return fit_optional_zero(body, x < 0 ? 1 : 0, zero_optional, w);
}

// Gw.d: when 0.1 <= |x| < 10**d (judged after rounding to d significant
// digits) the F form with d significant digits and 4 trailing blanks (e+2 for
// Gw.dEe), the scale factor having no effect; otherwise, zero included, kPEw.d.
std::string edit_general(double x, int w, int d, int e, int k) {
    if (!std::isfinite(x)) return edit_special(x, w);
    if (x != 0 && d > 0) {
        std::string digits;
        int s = 0;
        decimal_digits(x, d, digits, s);
        if (s >= 0 && s <= d) {
            int n = e < 0 ? 4 : e + 2;
            if (w - n <= 0) return stars(w);
            std::string f = edit_fixed(x, w - n, d - s, 0);
            if (f[0] == '*') return stars(w);
            return f + std::string(static_cast<std::size_t>(n), ' ');
        }
    }
    return edit_exp(x, w, d, e, k, 'E');
}

// Aw: the first w characters of a longer text, a shorter one right-aligned.
std::string edit_text(std::string_view t, int w) {
    if (w < 0) return std::string(t);
    if (t.size() >= static_cast<std::size_t>(w)) return std::string(t.substr(0, w));
    return std::string(static_cast<std::size_t>(w) - t.size(), ' ') + std::string(t);
}

// One item under one data descriptor. Numbers convert between int and double;
// text under a numeric descriptor, a number under A, and NaN under I give asterisks.
std::string edit_item(const Node& nd, const Item& it, int scale) {
    if (nd.op == Op::Text) {
        if (const auto* t = std::get_if<std::string_view>(&it)) return edit_text(*t, nd.w);
        return stars(nd.w);
    }
    if (std::holds_alternative<std::string_view>(it)) return stars(nd.w);
    if (nd.op == Op::Int) {
        if (const auto* i = std::get_if<int>(&it)) return edit_int(*i, nd.w, nd.d);
        double x = std::get<double>(it);
        if (std::isnan(x)) return stars(nd.w);
        return edit_int(ifix(x), nd.w, nd.d);
    }
    double x = std::holds_alternative<int>(it) ? std::get<int>(it) : std::get<double>(it);
    switch (nd.op) {
        case Op::Fixed:
            return edit_fixed(x, nd.w, nd.d, scale);
        case Op::Exp:
            return edit_exp(x, nd.w, nd.d, nd.e, scale, 'E');
        case Op::Dexp:
            return edit_exp(x, nd.w, nd.d, -1, scale, 'D');
        default:
            return edit_general(x, nd.w, nd.d, nd.e, scale);
    }
}

//// output driver ////

// Index of the last top-level group, where format reversion resumes.
std::size_t reversion_point(const std::vector<Node>& top) {
    std::size_t at = 0;
    for (std::size_t k = 0; k < top.size(); ++k)
        if (top[k].op == Op::Group) at = k;
    return at;
}

class Writer {
  public:
    explicit Writer(const std::vector<Item>& items) : items_(items) {}

    std::vector<std::string> run(const std::vector<Node>& top) {
        run_list(top, 0);
        std::size_t before = 0;
        // Reversion: a new line, then the format again from the last top-level
        // group; stop if a pass consumes nothing (no data descriptor there).
        while (!stopped_ && next_ < items_.size() && next_ > before) {
            before = next_;
            new_line();
            run_list(top, reversion_point(top));
        }
        lines_.push_back(std::move(cur_));
        return std::move(lines_);
    }

  private:
    const std::vector<Item>& items_;
    std::size_t next_ = 0;
    std::vector<std::string> lines_;
    std::string cur_;
    std::size_t skip_ = 0;  // blanks of nX not yet written
    int scale_ = 0;
    bool stopped_ = false;

    void new_line() {
        lines_.push_back(std::move(cur_));
        cur_.clear();
        skip_ = 0;
    }

    // nX moves the position only: its blanks appear once something follows
    // them on the line, so a trailing nX does not lengthen the line.
    void put(const std::string& text) {
        cur_.append(skip_, ' ');
        skip_ = 0;
        cur_ += text;
    }

    void run_list(const std::vector<Node>& list, std::size_t from) {
        for (std::size_t k = from; k < list.size() && !stopped_; ++k) run_node(list[k]);
    }

    void run_node(const Node& nd) {
        switch (nd.op) {
            case Op::Group:
                for (int r = 0; r < nd.repeat && !stopped_; ++r) run_list(nd.kids, 0);
                return;
            case Op::Literal:
                put(nd.text);
                return;
            case Op::Skip:
                skip_ += static_cast<std::size_t>(nd.repeat);
                return;
            case Op::Slash:
                for (int r = 0; r < nd.repeat; ++r) new_line();
                return;
            case Op::Colon:
                stopped_ = next_ >= items_.size();
                return;
            case Op::Scale:
                scale_ = nd.w;
                return;
            default:
                break;
        }
        for (int r = 0; r < nd.repeat; ++r) {
            if (next_ >= items_.size()) {
                stopped_ = true;
                return;
            }
            put(edit_item(nd, items_[next_++], scale_));
        }
    }
};

//// list-directed output ////

// A double in the list-directed form described in the header.
std::string list_real(double x) {
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return x < 0 ? "-Infinity" : "Infinity";
    if (x == 0) return "0.";
    std::string digits;
    int p = 0;
    decimal_digits(x, 15, digits, p);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = x < 0 ? "-" : "";
    int ex = p - 1;  // exponent of the d.ddd form
    if (ex >= -3 && ex <= 14) {
        if (p <= 0) {
            out += "0." + std::string(static_cast<std::size_t>(-p), '0') + digits;
        } else {
            if (digits.size() < static_cast<std::size_t>(p))
                digits.append(static_cast<std::size_t>(p) - digits.size(), '0');
            out += digits.substr(0, static_cast<std::size_t>(p)) + "." +
                   digits.substr(static_cast<std::size_t>(p));
        }
        return out;
    }
    std::string frac = digits.size() > 1 ? digits.substr(1) : "0";
    std::string mag = std::to_string(ex < 0 ? -ex : ex);
    if (mag.size() < 2) mag.insert(mag.begin(), '0');
    return out + digits.substr(0, 1) + "." + frac + "E" + (ex < 0 ? "-" : "+") + mag;
}

//// input ////

// Digits, point and exponent of a blank-free number text. implied: digits to
// take as decimals when there is no point; scale: the scale factor, which
// divides by 10**scale when there is no exponent. Exponents are E, D (either
// case) with an optional sign, or a bare sign after the mantissa.
bool real_from_text(std::string_view s, int implied, int scale, double& value) {
    std::size_t i = 0;
    auto dig = [&](std::size_t k) {
        return k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])) != 0;
    };
    std::string text;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) text += s[i++];
    std::size_t ndig = 0;
    while (dig(i)) text += s[i++], ++ndig;
    bool point = i < s.size() && s[i] == '.';
    if (point) {
        text += s[i++];
        while (dig(i)) text += s[i++], ++ndig;
    }
    if (ndig == 0) return false;
    long long ex = 0;
    bool has_exp = false;
    if (i < s.size()) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
        if (c == 'E' || c == 'D')
            ++i;
        else if (c != '+' && c != '-')
            return false;
        int esign = 1;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) esign = s[i++] == '-' ? -1 : 1;
        if (!dig(i)) return false;
        while (dig(i)) {
            ex = ex * 10 + (s[i++] - '0');
            if (ex > 100000) return false;
        }
        ex *= esign;
        has_exp = true;
    }
    if (i != s.size()) return false;
    if (!point) ex -= implied;
    if (!has_exp) ex -= scale;
    text += 'e';
    text += std::to_string(ex);
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || std::isinf(v)) return false;
    value = v;
    return true;
}

std::string without_blanks(std::string_view s) {
    std::string out;
    for (char c : s)
        if (c != ' ' && c != '\t') out += c;
    return out;
}

// An optional sign and digits, within the 32-bit range.
bool int_from_text(std::string_view s, int& value) {
    std::size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    if (i == s.size()) return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
        v = v * 10 + (s[i] - '0');
        if (v > 2147483648LL) return false;
    }
    if (neg) v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return false;
    value = static_cast<int>(v);
    return true;
}

class Reader {
  public:
    Reader(std::string_view line, std::initializer_list<Target> targets)
        : line_(line), targets_(targets) {}

    bool run(const std::vector<Node>& top) {
        // The format's end or a '/' ends the data: the line is the only record.
        run_list(top);
        return !failed_;
    }

  private:
    std::string_view line_;
    std::initializer_list<Target> targets_;
    std::size_t next_ = 0;
    std::size_t pos_ = 0;
    int scale_ = 0;
    bool stopped_ = false;
    bool failed_ = false;

    // The next w columns of the line, padded with blanks past its end.
    std::string field(int w) {
        std::string f;
        if (pos_ < line_.size()) f = std::string(line_.substr(pos_, static_cast<std::size_t>(w)));
        f.append(static_cast<std::size_t>(w) - f.size(), ' ');
        pos_ += static_cast<std::size_t>(w);
        return f;
    }

    void run_list(const std::vector<Node>& list) {
        for (std::size_t k = 0; k < list.size() && !stopped_; ++k) run_node(list[k]);
    }

    void run_node(const Node& nd) {
        switch (nd.op) {
            case Op::Group:
                for (int r = 0; r < nd.repeat && !stopped_; ++r) run_list(nd.kids);
                return;
            case Op::Literal:
                pos_ += nd.text.size();
                return;
            case Op::Skip:
                pos_ += static_cast<std::size_t>(nd.repeat);
                return;
            case Op::Slash:
                stopped_ = true;
                return;
            case Op::Colon:
                stopped_ = next_ >= targets_.size();
                return;
            case Op::Scale:
                scale_ = nd.w;
                return;
            default:
                break;
        }
        for (int r = 0; r < nd.repeat && !stopped_; ++r) {
            if (next_ >= targets_.size()) {
                stopped_ = true;
                return;
            }
            if (!read_item(nd, targets_.begin()[next_++])) failed_ = stopped_ = true;
        }
    }

    bool read_item(const Node& nd, const Target& t) {
        if (nd.op == Op::Text) {
            auto* s = std::get_if<std::string*>(&t);
            if (s == nullptr) return false;
            if (nd.w > 0) {
                **s = field(nd.w);
            } else {
                **s = pos_ < line_.size() ? std::string(line_.substr(pos_)) : std::string();
                pos_ = std::max(pos_, line_.size());
            }
            return true;
        }
        if (std::holds_alternative<std::string*>(t)) return false;
        std::string f = without_blanks(field(nd.w));
        if (nd.op == Op::Int) {
            int v = 0;
            if (!f.empty() && !int_from_text(f, v)) return false;
            if (auto* i = std::get_if<int*>(&t))
                **i = v;
            else
                *std::get<double*>(t) = v;
            return true;
        }
        double x = 0;
        if (!f.empty() && !real_from_text(f, nd.d, scale_, x)) return false;
        if (auto* i = std::get_if<int*>(&t))
            **i = ifix(x);
        else
            *std::get<double*>(t) = x;
        return true;
    }
};

// One value of a free-form line: a constant, a null value, or the slash.
struct ListValue {
    enum Kind { Value, Null, Slash } kind = Value;
    std::string text;
    bool quoted = false;
};

// Splits a free-form line into values, expanding r*c and r* repeats.
bool list_values(std::string_view line, std::vector<ListValue>& out) {
    std::size_t i = 0;
    auto blank = [&](std::size_t k) { return line[k] == ' ' || line[k] == '\t'; };
    auto skip_blanks = [&] {
        while (i < line.size() && blank(i)) ++i;
    };
    auto quoted = [&](std::string& text) {
        char q = line[i++];
        for (;;) {
            if (i >= line.size()) return false;
            char c = line[i++];
            if (c == q) {
                if (i >= line.size() || line[i] != q) return true;
                ++i;
            }
            text += c;
        }
    };
    for (;;) {
        skip_blanks();
        if (i >= line.size()) return true;
        char c = line[i];
        if (c == ',') {  // a comma where a value should be: a null value
            out.push_back(ListValue{ListValue::Null, {}, false});
            ++i;
            continue;
        }
        if (c == '/') {
            out.push_back(ListValue{ListValue::Slash, {}, false});
            return true;
        }
        ListValue v;
        int repeat = 1;
        // r*: digits then an asterisk.
        std::size_t k = i;
        while (k < line.size() && std::isdigit(static_cast<unsigned char>(line[k]))) ++k;
        if (k > i && k < line.size() && line[k] == '*') {
            if (!int_from_text(line.substr(i, k - i), repeat) || repeat <= 0) return false;
            i = k + 1;
            if (i >= line.size() || blank(i) || line[i] == ',' || line[i] == '/')
                v.kind = ListValue::Null;
        }
        if (v.kind == ListValue::Value) {
            if (line[i] == '\'' || line[i] == '"') {
                v.quoted = true;
                if (!quoted(v.text)) return false;
            } else {
                while (i < line.size() && !blank(i) && line[i] != ',' && line[i] != '/')
                    v.text += line[i++];
            }
        }
        for (int r = 0; r < repeat; ++r) out.push_back(v);
        // The separator after a value: blanks with at most one comma.
        skip_blanks();
        if (i < line.size() && line[i] == ',') ++i;
    }
}

}  // namespace

//// public interface ////

std::vector<std::string> format(std::string_view form, const std::vector<Item>& items) {
    std::vector<Node> top;
    if (!FormatParser(form).parse(top)) return {"*** BAD FORMAT " + std::string(form)};
    return Writer(items).run(top);
}

std::vector<std::string> format(std::string_view form, std::initializer_list<Item> items) {
    return format(form, std::vector<Item>(items));
}

std::string line(std::string_view form, std::initializer_list<Item> items) {
    std::vector<std::string> lines = format(form, items);
    std::string out;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (k > 0) out += '\n';
        out += lines[k];
    }
    return out;
}

std::string list(const std::vector<Item>& items) {
    std::string out;
    for (const Item& it : items) {
        out += ' ';
        if (const auto* i = std::get_if<int>(&it))
            out += std::to_string(*i);
        else if (const auto* x = std::get_if<double>(&it))
            out += list_real(*x);
        else
            out += std::get<std::string_view>(it);
    }
    if (out.empty()) out.push_back(' ');
    return out;
}

std::string list(std::initializer_list<Item> items) {
    return list(std::vector<Item>(items));
}

bool read_number(std::string_view text, double& value) {
    std::size_t b = text.find_first_not_of(" \t");
    if (b == std::string_view::npos) return false;
    std::size_t e = text.find_last_not_of(" \t");
    return real_from_text(text.substr(b, e - b + 1), 0, 0, value);
}

bool read(std::string_view form, std::string_view line, std::initializer_list<Target> targets) {
    std::vector<Node> top;
    if (!FormatParser(form).parse(top)) return false;
    return Reader(line, targets).run(top);
}

bool read_list(std::string_view line, std::initializer_list<Target> targets) {
    std::vector<ListValue> values;
    if (!list_values(line, values)) return false;
    std::size_t k = 0;
    for (const Target& t : targets) {
        if (k >= values.size()) return false;
        const ListValue& v = values[k++];
        if (v.kind == ListValue::Slash) return true;
        if (v.kind == ListValue::Null) continue;
        if (auto* s = std::get_if<std::string*>(&t)) {
            **s = v.text;
        } else if (v.quoted) {
            return false;
        } else if (auto* i = std::get_if<int*>(&t)) {
            if (!int_from_text(v.text, **i)) return false;
        } else if (!read_number(v.text, *std::get<double*>(t))) {
            return false;
        }
    }
    return true;
}

}  // namespace kavren::fmt
