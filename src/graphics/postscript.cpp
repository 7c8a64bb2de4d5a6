#include "graphics/postscript.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "control/messages.hpp"
#include "control/reader.hpp"
#include "records/io.hpp"
#include "records/window.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

// The path buffer, kept for the whole run.
struct Buffered {
    double x, y;
    char op;
};
Buffered g_points[4];
int g_count = 0;            // points buffered
bool g_stroke_due = false;  // points were buffered since the last flush

void put(std::string_view line) {
    units::write_line(wplotinf.LUNPS, line);
}

// A free-format line: one blank, then the text.
void put_free(std::string_view text) {
    std::string line(" ");
    line.append(text);
    put(line);
}

std::string number(double value, std::string_view form) {
    std::string s;
    int len = 0;
    ftoa(value, s, len, form);
    return s;
}

// value under fW.D, or in the width it needs when it does not fit.
std::string fixed(double value, int w, int d) {
    std::string s = fmt::line("(F" + std::to_string(w) + "." + std::to_string(d) + ")", {value});
    if (s.find('*') != std::string::npos) s = fmt::line("(F0." + std::to_string(d) + ")", {value});
    return s;
}

void write_buffer() {
    std::string line;
    for (int i = 0; i < g_count; ++i) {
        if (i > 0) line += ' ';
        line += number(g_points[i].x, "(f10.1)") + " " + number(g_points[i].y, "(f10.1)") + " " +
                g_points[i].op;
    }
    put(line);
    g_count = 0;
}

// A name that would leave the print directory, or name no file in it.
bool bad_name(const std::string& name) {
    return name.empty() || name[0] == '.' || name.find('/') != std::string::npos;
}

bool finite(double x, double y) {
    return std::isfinite(x) && std::isfinite(y);
}

}  // namespace

//// the file ////

void inqlsr() {
    claser.ILASER = 0;
    int nocc = 0, ipos = 0;
    findop("LASER", nocc, ipos);
    if (nocc == 0 || ipos < 1 || ipos > iodati.NFIELD || iodati.ITYPE(ipos) != FT_WORD) return;
    std::string name = iodatc.FWORD(ipos).str();
    lower(name);
    claser.PSNAME = Chars<10>(name);
    claser.ILASER = 1;
}

void winitlsr() {
    if (units::is_open(wplotinf.LUNPS)) {
        wend();
        units::close(wplotinf.LUNPS);
    }
    wplotinf.LUNPS = LUPS;
    claser.IROT = 1;
    const std::string name = claser.PSNAME.trimmed();
    const std::string path = "print/" + name;
    if (bad_name(name) || !units::open_text(wplotinf.LUNPS, path, units::Open::create)) {
        ffldou(0, MSG_ERROR, "UNABLE TO OPEN POSTSCRIPT FILE: " + path);
        claser.ILASER = 0;
        return;
    }
    put(fmt::line("(A16,A10)", {"%!tilvo   file: ", claser.PSNAME.view()}));
    for (const char* text :
         {" 0 setlinewidth /n {0 setgray stroke newpath ", "moveto} def ",
          "/c {lineto closepath } def", "/arrow {1 0 rlineto -1 0.5 rlineto 0 -1 rlineto",
          " 1 0.5 rlineto } def /a {  rotate dup", " scale arrow initmatrix } def",
          "/s { setgray fill newpath } def", "/m {moveto} def  /d {lineto} def  newpath",
          "50 50 translate newpath"})
        put_free(text);
}

bool ps_writing() {
    return claser.ILASER == 1 && units::is_open(wplotinf.LUNPS);
}

void ps_finish() {
    if (units::is_open(wplotinf.LUNPS)) {
        wend();
        units::close(wplotinf.LUNPS);
    }
    claser.ILASER = 0;
}

void ps_direct(double px, double py, char op) {
    if (!finite(px, py)) return;
    put("  " + fixed(px, 5, 1) + " " + fixed(py, 5, 1) + " " + op + " ");
}

//// the path buffer ////

void outlsr(double x, double y, int kode) {
    wplotinf.NPATH += 1;
    if (kode >= 0 && kode != 9) {
        g_stroke_due = true;
        char op = kode == 1 ? 'd' : kode == 3 ? 'c' : kode == 5 ? 'a' : 'm';
        if (kode == 4 || (kode == 0 && wplotinf.NPATH > 500)) {
            op = 'n';
            wplotinf.NPATH = 0;
        }
        g_points[g_count++] = {x, y, op};
    }
    if (g_count == 4 || ((kode == 9 || kode < 0) && g_count > 0)) write_buffer();
    if (kode == 9) {
        // A flush to a nonzero point empties the buffer without the stroke.
        if (g_stroke_due && x == 0.0 && y == 0.0) put("0 setgray stroke");
        g_stroke_due = false;
    }
    if (kode < 0) {
        // Gray level k of NGRAY, 1 white and NGRAY black, in single precision.
        const int ngray = std::max(claser.NGRAY, 2);
        const float k = static_cast<float>(-static_cast<long long>(kode));
        float g = 1.0f - (k - 1.0f) / static_cast<float>(ngray - 1);
        g = std::clamp(g, 0.0f, 1.0f);
        put(number(g, "(f8.3)") + " s" + std::string(19, ' '));
    }
}

void wflush() {
    outlsr(0.0, 0.0, 9);
}

void wconv(double x, double y, double& px, double& py) {
    if (lscale.LPOINT != 0) {
        px = x;
        py = y;
        return;
    }
    px = 550.0 - (lscale.YSCALE * y + lscale.YOFF);
    py = lscale.XSCALE * x + lscale.XOFF;
}

void wmovabs(double px, double py) {
    if (finite(px, py)) outlsr(px, py, 0);
}

void wmovea(double x, double y) {
    double px = 0.0, py = 0.0;
    wconv(x, y, px, py);
    if (!finite(px, py)) return;
    if (px < 0.0 || py < 0.0) write_terminal(fmt::list({x, y}));
    outlsr(px, py, 0);
}

void wdrawa(double x, double y) {
    double px = 0.0, py = 0.0;
    wconv(x, y, px, py);
    if (finite(px, py)) outlsr(px, py, 1);
}

void wpoly(int n, const double* xy) {
    // Points that are not finite are left out of the path.
    std::vector<double> p;
    for (int i = 0; i < n; ++i) {
        double px = 0.0, py = 0.0;
        wconv(xy[2 * i], xy[2 * i + 1], px, py);
        if (finite(px, py)) p.insert(p.end(), {px, py});
    }
    const int m = static_cast<int>(p.size() / 2);
    for (int i = 0; i < m; ++i) {
        const int kode = i == 0 ? 4 : i == m - 1 ? 3 : 1;
        outlsr(p[2 * i], p[2 * i + 1], kode);
    }
}

//// texts, fonts, clip and end ////

void wtext(std::string_view text, int n) {
    if (claser.IROT != 1) return;
    n = std::clamp(n, 0, 80);
    std::string shown(text.substr(0, std::min<std::size_t>(text.size(), std::size_t(n))));
    shown.resize(std::size_t(n), ' ');
    std::string escaped;
    for (char c : shown) {
        if (c == '(' || c == ')' || c == '\\') escaped += '\\';
        escaped += c;
    }
    put_free(" 90 rotate (" + escaped + ") show stroke -90 rotate");
}

void wfont(int n) {
    wflush();
    if (n == 1)
        put_free(" /Times-Roman findfont 12 scalefont setfont ");
    else if (n == 2 || n == 3)
        put_free(" /Times-Roman findfont 15 scalefont setfont ");
}

void wclipon(int ix1, int iy1, int ix2, int iy2) {
    outlsr(0.0, 0.0, 9);
    const double w = wsize.WSIZE;
    const bool whole =
        ix1 == 0 && iy1 == 0 && ix2 == ifix(1.3329999446868896 * w) && iy2 == ifix(w);
    put_free(whole ? "1 setgray" : "0 setgray 1 setlinewidth");
    const double p[5][2] = {{550.0 * (1.0 - iy1 / w), 550.0 * ix1 / w},
                            {550.0 * (1.0 - iy2 / w), 550.0 * ix1 / w},
                            {550.0 * (1.0 - iy2 / w), 550.0 * ix2 / w},
                            {550.0 * (1.0 - iy1 / w), 550.0 * ix2 / w},
                            {550.0 * (1.0 - iy1 / w), 550.0 * ix1 / w}};
    for (int i = 0; i < 5; ++i) outlsr(p[i][0], p[i][1], i == 0 ? 4 : 1);
    outlsr(1.0, 1.0, 9);
    put_free(" 1 setgray closepath gsave");
    put_free("clip 0 setlinewidth");
}

void wclipoff() {
    wflush();
    put_free("grestore stroke 0 setgray 0 setlinewidth");
}

void wend() {
    wflush();
    put_free("stroke showpage");
}

//// number texts ////

void ftoa(double value, std::string& str, int& len, std::string_view form) {
    std::string text = fmt::line(form, {value});
    if (text.find('*') != std::string::npos) {
        // Too wide for its field: the same decimals in the width it needs.
        const std::size_t dot = form.find('.');
        int d = 0;
        for (std::size_t i = dot + 1;
             dot != std::string_view::npos && i < form.size() && form[i] >= '0' && form[i] <= '9';
             ++i)
            d = 10 * d + (form[i] - '0');
        text = fmt::line("(F0." + std::to_string(d) + ")", {value});
    }
    text.resize(std::max<std::size_t>(text.size(), 80), ' ');
    const int n = static_cast<int>(text.size());
    int i = 1;
    chrlbk(text, i, n);
    const int last = ichrlen(text, n);
    str = last >= i ? text.substr(std::size_t(i - 1), std::size_t(last - i + 1)) : std::string();
    len = static_cast<int>(str.size());
}

int ichrlen(std::string_view s, int n) {
    n = std::min(n, static_cast<int>(s.size()));
    while (n > 0 && (s[std::size_t(n - 1)] == ' ' || s[std::size_t(n - 1)] == '\0')) --n;
    return n;
}

void chrlbk(std::string_view s, int& i, int n) {
    n = std::min(n, static_cast<int>(s.size()));
    while (i <= n && s[std::size_t(i - 1)] == ' ') ++i;
}

namespace ps_detail {
void reset() {
    g_count = 0;
    g_stroke_due = false;
    wplotinf.NPATH = 0;
}
}  // namespace ps_detail

}  // namespace kavren
