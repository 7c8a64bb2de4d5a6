// The PostScript writer: a plot whose record carries LASER=name is also
// written as a PostScript program to "print/" + name (unit 70), one plot a
// file, the page in landscape (the plot's x runs up the page). Path points
// are buffered four to a line with one-letter operators defined in the
// header: m move, d line, c line and close, n stroke in black and start a new
// path, s fill with the gray given before it.
#pragma once

#include <string>
#include <string_view>

namespace kavren {

// Unit of the PostScript file.
constexpr int LUPS = 70;

// ILASER := 1 and PSNAME := the word after LASER on the current record (8
// characters, lower case); ILASER := 0 when there is no such word.
void inqlsr();
// Opens "print/" + PSNAME and writes the header; a file still open from an
// earlier plot is finished and closed first. A name holding "/" or beginning
// with "." and a file that cannot be opened are refused with an error
// message: ILASER := 0 and the plot goes on without its file.
void winitlsr();
// The path buffer: kode 0 move (n when more than 500 calls came since the
// last n), 1 line, 3 line and close, 4 new path, 5 arrow; 9 writes the
// buffered points and, when (x, y) = (0, 0) and points were buffered since the
// last flush, a stroke; a negative kode writes the points and fills them with
// gray level -kode of NGRAY.
void outlsr(double x, double y, int kode);
void wflush();
// World point to page point by lscale; points as they are when LPOINT != 0.
void wconv(double x, double y, double& px, double& py);
// Move to a page point, or to a world point; line to a world point.
void wmovabs(double px, double py);
void wmovea(double x, double y);
void wdrawa(double x, double y);
// Closed path of n world points xy (x, y pairs): n, d, ..., c.
void wpoly(int n, const double* xy);
// A text line shown at the current point, turned 90 degrees; "(", ")" and
// "\" are escaped.
void wtext(std::string_view text, int n);
// Times-Roman 12 for font 1, 15 for fonts 2 and 3.
void wfont(int n);
// Clips to a pixel rectangle, and lifts the clip.
void wclipon(int ix1, int iy1, int ix2, int iy2);
void wclipoff();
// The final stroke and the page end.
void wend();

// value under the edit descriptor form (e.g. "(f10.1)"), without leading and
// trailing blanks; a value too wide for its field keeps the decimals of the
// form in the width it needs.
void ftoa(double value, std::string& str, int& len, std::string_view form);
// Position of the last character of s(1..n) that is neither blank nor NUL.
int ichrlen(std::string_view s, int n);
// Advances i past the blanks of s(i..n), up to n + 1.
void chrlbk(std::string_view s, int& i, int n);

// True while the file of the current plot is open: ILASER = 1 and unit 70 open.
bool ps_writing();
// A direct moveto (op 'm') or lineto (op 'd') line of a page point, written
// at once beside the path buffer.
void ps_direct(double px, double py, char op);
// Finishes the open file (wend) and closes it; ILASER := 0.
void ps_finish();

namespace ps_detail {
// Empties the path buffer and clears the stroke flag and NPATH (tests).
void reset();
}  // namespace ps_detail

}  // namespace kavren
