// Fortran-style formatted text: edit descriptors for output and input, and
// list-directed (free-form) lines.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kavren::fmt {

// One value of an output list.
using Item = std::variant<int, double, std::string_view>;

// Lays out items under a format text such as "(1X,A,I4,2X,1PE13.5)".
// Supported: nX, 'text' and "text" literals, nHtext, Iw, Iw.m, Fw.d, Ew.d, Ew.dEe,
// Dw.d, Gw.d, Gw.dEe, kP scale factors (1PE, 1PG), A and Aw, /, :, repeat counts
// before a descriptor, a '/' or a parenthesised group, and format reversion
// when items remain after the last descriptor (a new line, then the format
// again from the last top-level group, or from its start when it has none).
// Output stops at the first data descriptor, or ':', for which no item
// remains; literals before it are written. Returns the lines produced ('/'
// and reversion start a new line).
// Editing, as Fortran does it:
// - nX moves n columns right; the blanks appear only when something is
//   written after them, so a trailing nX does not lengthen the line.
// - A value too wide for its field gives w asterisks; so does text under a
//   numeric descriptor, a number under A, and NaN under I.
// - int items under F/E/D/G are converted; a double under I is truncated
//   toward zero, saturating at the 32-bit limits.
// - Ew.d without scale factor writes 0.ddddE+xx; the leading 0 is dropped only
//   when the field is one column too narrow for it (E9.3 of -1.5: -.150E+01).
//   Exponents of three digits drop the letter (0.100+101). Dw.d writes D.
// - kP stays in force for the rest of the format, reversion included: it
//   shifts the mantissa of E and D, multiplies F values by 10**k, and applies
//   to G only where G takes the E form.
// - Fw.d: a negative value that rounds to zero keeps its sign (-0.00); an
//   exact zero, -0.0 included, has none.
// - Gw.d: F form with 4 trailing blanks (e+2 for Gw.dEe) when 0.1 <= |x| < 10**d,
//   judged after rounding to d significant digits; E form otherwise, zero included.
// - Infinity: "Infinity" or "-Infinity", "Inf" or "-Inf" when the field is too
//   narrow for that, asterisks when narrower still. NaN: "NaN".
// - Aw: a longer text is cut to its first w characters, a shorter one is
//   right-aligned. A alone writes the whole text.
// - I0 and F0.d write the minimal width.
// A format text that cannot be parsed gives the single line "*** BAD FORMAT <text>".
std::vector<std::string> format(std::string_view form, std::initializer_list<Item> items);
std::vector<std::string> format(std::string_view form, const std::vector<Item>& items);

// The same, when the format produces exactly one line (else the lines joined by '\n').
std::string line(std::string_view form, std::initializer_list<Item> items);

// A list-directed line: one blank, then the items separated by one blank.
// Integers in minimal width, text as it is. Doubles are rounded to 15
// significant digits with trailing zeros dropped, then written
// - in fixed notation when 1e-3 <= |x| < 1e15 after that rounding, keeping
//   the point and a leading 0 before it: 1.5, 1000., 0.001, -0.25;
// - otherwise as d.dddE+xx with at least one digit after the point and a
//   signed exponent of two or three digits: 1.5E-07, 1.0E+20, 1.0E-300;
// zero as "0.", infinities as "Infinity" and "-Infinity", NaN as "NaN".
std::string list(std::initializer_list<Item> items);
std::string list(const std::vector<Item>& items);

// Input.
// Reads a number text as a Fortran internal read does ("1.5", "1.E3", "-.5D-2",
// "E" or "D" exponents in either case, or a bare signed exponent as in "1.5-3";
// blanks around it ignored). False when it is not a number: empty or blank
// text, blanks inside, no digit in the mantissa, an exponent without digits,
// anything after the exponent ("15E-3."), or a value beyond the double range
// (values below it underflow to zero or a subnormal).
bool read_number(std::string_view text, double& value);

// One variable of an input list.
using Target = std::variant<int*, double*, std::string*>;

// Reads fields of a line under a format text such as "(2E20.14)" or "(A8,A40)".
// A line shorter than the format is read as if padded with blanks. Numeric
// fields ignore blanks and read 0 when blank; without a point the last d digits
// of Fw.d, Ew.d, Dw.d and Gw.d are decimals (F10.2 of "12345" is 123.45), and
// kP divides a field without exponent by 10**k. An int target under a real
// descriptor gets the value truncated; a double target under I the integer.
// Aw gives the w columns (blank padded), A the rest of the line. nX and
// literals skip columns. The line is the only record: '/' or the end of the
// format (where reversion would read a new record) ends the data, leaving the
// remaining targets unchanged. False when the format is bad or a field cannot
// be read (text under I/F/E/D/G, a number target under A, a malformed number);
// targets read before that keep their new values.
bool read(std::string_view form, std::string_view line, std::initializer_list<Target> targets);

// Free-form read of a line: items separated by blanks and/or one comma; an
// empty place between commas (or a leading comma) is a null value that leaves
// its target unchanged; r*c repeats c r times and r* gives r null values; a
// slash ends the input, leaving the remaining targets unchanged. Text targets
// take a quoted string ('..' or "..", a doubled quote standing for one) or an
// unquoted token. False when an item cannot be read (an int target given
// "2.5", a number target given a quoted string), a quote is not closed, or the
// line holds fewer items than targets. Extra items are ignored.
bool read_list(std::string_view line, std::initializer_list<Target> targets);

}  // namespace kavren::fmt
