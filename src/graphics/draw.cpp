#include "graphics/draw.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "control/menu.hpp"
#include "graphics/postscript.hpp"
#include "graphics/screen.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/window.hpp"

namespace kavren {

namespace {

bool g_window_asked = false;  // command mode has tried to open the window

bool screen_on() {
    return claser.ISCRN == 1;
}

// An integer percent value as a fraction, divided in single precision.
double fraction(int value) {
    return double(float(value) / 100.0f);
}

// Page point of a percent point given as fractions of 100.
void page_point(double fx, double fy, double& px, double& py) {
    px = 550.0 * (1.0 - fy);
    py = 550.0 * fx;
}

std::vector<double> pixels(int n, const double* xy) {
    std::vector<double> p(std::size_t(2 * std::max(n, 0)));
    scaleco(n, xy, p.data());
    return p;
}

// The PostScript half of the moves to a percent point.
void ps_move_percent(double fx, double fy) {
    if (!ps_writing()) return;
    double px = 0.0, py = 0.0;
    page_point(fx, fy, px, py);
    wflush();
    ps_direct(px, py, 'm');
    wmovabs(px, py);
}

// The PostScript half of the moves to a world point.
void ps_move_world(double x, double y) {
    if (!ps_writing()) return;
    double px = 0.0, py = 0.0;
    wflush();
    wconv(x, y, px, py);
    ps_direct(px, py, 'm');
    wmovea(x, y);
}

void ps_line_percent(double fx, double fy) {
    if (!ps_writing()) return;
    double px = 0.0, py = 0.0;
    page_point(fx, fy, px, py);
    ps_direct(px, py, 'd');
}

//// plot layouts ////

struct Layout {
    double w, h, xshift, yshift;  // plot area, multiples of WSIZE
    int frame[4];                 // frame box, percent; frame[0] < 0: none
    int ilayf;                    // -1: ILAYF unchanged
    bool two_factors;             // x and y scaled apart
};

// Layouts 0..4; layouts 0 and 1 have a row for tall pictures after the wide one.
const Layout kWide01 = {1.0, double(0.68333334f), 0.0, 0.25, {0, 25, 100, 93}, 0, false};
const Layout kTall0 = {
    double(0.88f), double(0.75333333f), double(0.12f), double(0.18f), {12, 18, 100, 93}, 1, false};
const Layout kTall1 = {
    double(0.85f), double(0.75333333f), double(0.15f), double(0.18f), {15, 18, 100, 93}, 1, false};
const Layout kLayout2 = {1.0, double(0.75333333f), 0.0, double(0.18f), {0, 18, 100, 93}, -1, false};
const Layout kLayout3 = {double(0.78f),    double(0.6f), double(0.12f), 0.25,
                         {0, 18, 100, 93}, -1,           true};
const Layout kLayout4 = {1.0, 1.0, 0.0, 0.0, {-1, 0, 0, 0}, -1, true};

// One extent made usable: ordered, and its width either positive and finite
// (ok) or to be replaced about its centre.
struct Extent {
    double lo, hi, centre;
    bool ok;
};

Extent extent(double a, double b) {
    if (!std::isfinite(a) || !std::isfinite(b)) {
        const double c = std::isfinite(a) ? a : std::isfinite(b) ? b : 0.0;
        return {c, c, c, false};
    }
    if (a > b) std::swap(a, b);
    const double w = b - a;
    return {a, b, a / 2.0 + b / 2.0, std::isfinite(w) && w > 0.0};
}

void widen(Extent& e, double w) {
    e.lo = e.centre - w / 2.0;
    e.hi = e.centre + w / 2.0;
}

}  // namespace

//// boxes, polygons and lines ////

void mdrbox(int ix1, int iy1, int ix2, int iy2, int icol) {
    if (screen_on()) ddrbox(ix1, iy1, ix2, iy2, icol);
    if (!ps_writing() || icol < 0) return;
    const double x1 = 550.0 * fraction(ix1), x2 = 550.0 * fraction(ix2);
    const double y1 = 550.0 * (1.0 - fraction(iy1)), y2 = 550.0 * (1.0 - fraction(iy2));
    const double box[10] = {y1, x1, y2, x1, y2, x2, y1, x2, y1, x1};
    const int saved = lscale.LPOINT;
    lscale.LPOINT = 1;
    wpoly(5, box);
    outlsr(0.0, 0.0, -icol);
    if (icol > 0) wpoly(5, box);
    lscale.LPOINT = saved;
}

void mfill(int n, const double* xy, int icol) {
    if (screen_on()) {
        const std::vector<double> p = pixels(n, xy);
        if (machine.ICOLOR == 1 || icol == 1)
            colfill(n, p.data(), icol);
        else
            monfill(n, p.data());
    }
    if (ps_writing()) {
        lscale.LPOINT = 0;
        wpoly(n, xy);
        // Level 0 (and a colour that names no level) is white.
        outlsr(0.0, 0.0, -std::max(icol, 1));
    }
}

void mpline(int n, const double* xy, int& icol) {
    if (screen_on()) {
        icol = 0;
        monfill(n, pixels(n, xy).data());
    }
    if (ps_writing()) wpoly(n, xy);
}

void mline(double x1, double y1, double x2, double y2, int& icol) {
    const double xy[4] = {x1, y1, x2, y2};
    if (screen_on()) {
        icol = 0;
        monfill(2, pixels(2, xy).data());
    }
    if (ps_writing()) {
        double px1 = 0.0, py1 = 0.0, px2 = 0.0, py2 = 0.0;
        wconv(x1, y1, px1, py1);
        wconv(x2, y2, px2, py2);
        if (std::isfinite(px1 + py1 + px2 + py2)) {
            wmovea(x1, y1);
            wdrawa(x2, y2);
        }
    }
}

void mmark(double x, double y, int isize, int icol) {
    const double a = isize / iscaler.SCALE / 2.0;
    const double sq[8] = {x - a / 2, y - a / 2, x + a / 2, y - a / 2,
                          x + a / 2, y + a / 2, x - a / 2, y + a / 2};
    mfill(4, sq, icol);
}

//// moves, pen lines and texts ////

void mmove(double x, double y) {
    if (screen_on()) dmove(x, y);
    ps_move_world(x, y);
}

void mmovet(double x, double y) {
    if (screen_on()) dmovet(x, y);
    ps_move_world(x, y);
}

void mmovea(int ix, int iy) {
    if (screen_on()) plotw(wsize.WSIZE * fraction(ix), wsize.WSIZE * fraction(iy), 3);
    ps_move_percent(fraction(ix), fraction(iy));
}

void mmovear(double x, double y) {
    if (screen_on()) plotw(wsize.WSIZE * x / 100.0, wsize.WSIZE * y / 100.0, 3);
    ps_move_percent(x / 100.0, y / 100.0);
}

void mmovt(int ix, int iy) {
    if (screen_on()) dmovt(fraction(ix), fraction(iy));
    ps_move_percent(fraction(ix), fraction(iy));
}

void mdrawa(int ix, int iy) {
    if (screen_on()) plotw(wsize.WSIZE * fraction(ix), wsize.WSIZE * fraction(iy), 2);
    ps_line_percent(fraction(ix), fraction(iy));
}

void mdrawar(double x, double y) {
    if (screen_on()) plotw(wsize.WSIZE * x / 100.0, wsize.WSIZE * y / 100.0, 2);
    ps_line_percent(x / 100.0, y / 100.0);
}

void mtext(std::string_view text, int n) {
    n = std::clamp(n, 0, 80);
    if (screen_on()) dtext(text, n);
    if (ps_writing()) wtext(text, n);
}

void mnum(int i) {
    const long long v = i;
    std::string text = std::to_string(v);
    if (v >= 0) {
        // As wide as the digits of i + 1: 9 is " 9", 99 is " 99".
        const std::size_t width = std::to_string(v + 1).size();
        text.insert(0, width - text.size(), ' ');
    }
    mtext(text, static_cast<int>(text.size()));
}

void mtcolor(int icol, int /*iflag*/) {
    if (screen_on()) dtcolor(icol);
}

void mfont(int n) {
    if (screen_on()) dfont(n);
    if (ps_writing()) wfont(n);
}

void clipon() {
    if (screen_on()) dclipon();
    if (ps_writing()) wclipon(viewport.IVX1, viewport.IVY1, viewport.IVX2, viewport.IVY2);
}

void clipoff() {
    if (screen_on()) dclipoff();
    if (ps_writing()) wclipoff();
}

void scaleco(int n, const double* xy, double* pxy) {
    for (int i = 0; i < n; ++i) {
        pxy[2 * i] = iscaler.XSCALE * xy[2 * i] + iscaler.XOFF;
        pxy[2 * i + 1] = iscaler.YSCALE * xy[2 * i + 1] + iscaler.YOFF;
    }
}

//// the plot bracket ////

void setscale() {
    Extent ex = extent(cxmin.XMIN, cxmin.XMAX), ey = extent(cxmin.YMIN, cxmin.YMAX);
    if (!ex.ok && !ey.ok) {
        widen(ex, 1.0);
        widen(ey, 1.0);
    } else if (!ex.ok) {
        widen(ex, ey.hi - ey.lo);
    } else if (!ey.ok) {
        widen(ey, ex.hi - ex.lo);
    }
    const double dx = ex.hi - ex.lo, dy = ey.hi - ey.lo;
    const double dmax = dy > dx ? dy : dx;
    const bool wide = dx == dmax;

    const Layout* lay = &kLayout2;
    switch (cscale.LAYOUT) {
        case 0:
            lay = wide ? &kWide01 : &kTall0;
            break;
        case 1:
            lay = wide ? &kWide01 : &kTall1;
            break;
        case 3:
            lay = &kLayout3;
            break;
        case 4:
            lay = &kLayout4;
            break;
        default:
            break;
    }
    const double ws = wsize.WSIZE;
    const double w = lay->w * ws, h = lay->h * ws;
    iscaler.XSHIFT = lay->xshift * ws;
    iscaler.YSHIFT = lay->yshift * ws;
    if (lay->ilayf >= 0) iscale.ILAYF = lay->ilayf;
    iscaler.XSCALE = w / dx;
    iscaler.YSCALE = h / dy;
    if (lay == &kLayout4) {
        // No frame, clip or file for this layout.
        iscaler.SCALE = iscaler.XSCALE;
        iscaler.XOFF = iscaler.YOFF = 0.0;
        return;
    }
    iscaler.SCALE = iscaler.XSCALE > iscaler.YSCALE ? iscaler.YSCALE : iscaler.XSCALE;
    if (!lay->two_factors) iscaler.XSCALE = iscaler.YSCALE = iscaler.SCALE;
    iscaler.XOFF = (w - iscaler.XSCALE * dx) / 2.0 - iscaler.XSCALE * ex.lo + iscaler.XSHIFT;
    iscaler.YOFF = (h - iscaler.YSCALE * dy) / 2.0 - iscaler.YSCALE * ey.lo + iscaler.YSHIFT;

    if (claser.ILASER == 1) {
        winitlsr();
        if (claser.ILASER == 1) {
            const double f = 550.0 / ws;
            lscale.SCALE = iscaler.SCALE * f;
            lscale.XOFF = iscaler.XOFF * f;
            lscale.YOFF = iscaler.YOFF * f;
            lscale.XSCALE = iscaler.XSCALE * f;
            lscale.YSCALE = iscaler.YSCALE * f;
        }
    }
    if (claser.ISCRN == 1) {
        cpicksc.SCALE = iscaler.SCALE;
        cpicksc.XOFF = iscaler.XOFF;
        cpicksc.YOFF = iscaler.YOFF;
        cpicksc.ILAYF = iscale.ILAYF;
    }
    const int* fr = lay->frame;
    mdrbox(fr[0], fr[1], fr[2], fr[3], 1);
    setwind(fr[0], fr[1], fr[2], fr[3]);
}

void start1() {
    // A file left open by a plot that never reached endpl is finished first.
    ps_finish();
    inqlsr();
    claser.ISCRN = cinout.LUIN == cinout.LUKBD ? 1 : 0;
    if (cmode.IMENU == 0 && claser.ISCRN == 1 && !g_window_asked) {
        g_window_asked = true;
        opwind();
    }
    // A window that could not be opened leaves the screen off.
    if (!screen_is_open()) claser.ISCRN = 0;
    setscale();
}

void endpl() {
    if (claser.ILASER == 1) ps_finish();
    // A plot typed at the keyboard is complete before the terminal is read again.
    if (claser.ISCRN == 1) screen_flush();
    // Menu mode keeps drawing its furniture after a plot read from a file.
    if (cmode.IMENU == 1) claser.ISCRN = 1;
}

PlotRepaint plot_repaint;

void redraws() {
    colormap(0);
    const int k = machine.ICOLOR == 1 ? 12 : 1;
    mdrbox(0, 0, 133, 100, k);
    mdrbox(0, 2, 100, 17, 1);
    mfont(2);
    for (int i = 1; i <= 4; ++i) {
        mmovt(5, 3 * i + 2);
        mtext(cinput.CMDLIN(i).view(), std::clamp(cinput.LENLIN(i), 0, 80));
    }
    mtcolor(0, 1);
    mdrbox(100, 2, 133, 100, -k);
    if (plot_repaint.titles != nullptr) plot_repaint.titles();
    const int menu = iwindo.MENUNO;
    iwindo.MENUNO = 0;
    drmenu(menu);
    mrest();
}

// The plot area is not restored: a repaint shows the window's furniture.
void mrest() {}

namespace draw_detail {
void reset() {
    g_window_asked = false;
}
}  // namespace draw_detail

}  // namespace kavren
