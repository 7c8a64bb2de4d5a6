#include "graphics/screen.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "control/extension.hpp"
#include "control/messages.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen_backend.hpp"
#include "records/control.hpp"
#include "records/window.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

bool g_open = false;  // the window is open
int g_color = 0;      // colour cell of the drawing state (lines, fills and texts share it)
double g_penx = 0.0;  // pen in pixels, kept in double for clipping
double g_peny = 0.0;
Pixel g_text;  // text position

//// palettes ////

struct Rgb {
    int r, g, b;
};

// Palette 0 on colour displays: cells 10..39, six ramps of five shades.
constexpr Rgb kRamps[30] = {
    {120, 120, 120}, {150, 150, 150}, {180, 180, 180}, {210, 210, 210}, {240, 240, 240},
    {87, 120, 118},  {109, 150, 147}, {131, 180, 177}, {153, 210, 207}, {175, 240, 237},
    {86, 120, 94},   {108, 150, 118}, {130, 180, 142}, {152, 210, 166}, {174, 249, 190},
    {109, 120, 86},  {136, 150, 107}, {163, 180, 129}, {190, 210, 151}, {201, 222, 159},
    {120, 86, 86},   {150, 107, 107}, {180, 129, 129}, {210, 151, 151}, {240, 173, 173},
    {120, 80, 96},   {150, 100, 120}, {180, 120, 144}, {210, 140, 168}, {240, 160, 192},
};
// Palette 1 (base 40), cells base + 0..15: the contour and order colours.
constexpr Rgb kPalette1[16] = {
    {0, 0, 0},       {255, 255, 255}, {255, 255, 0},   {255, 162, 0},
    {255, 0, 0},     {200, 55, 230},  {0, 0, 255},     {0, 155, 255},
    {0, 255, 0},     {140, 140, 140}, {255, 255, 255}, {140, 140, 140},
    {255, 255, 255}, {140, 140, 140}, {0, 0, 0},       {200, 200, 200},
};
// Palette 2 (base 56), cells base + 0..17.
constexpr Rgb kPalette2[18] = {
    {0, 0, 0},     {255, 255, 255}, {255, 255, 0}, {255, 215, 0}, {255, 175, 0}, {255, 135, 0},
    {255, 95, 0},  {255, 0, 40},    {255, 0, 120}, {255, 0, 200}, {255, 0, 255}, {205, 0, 255},
    {155, 0, 255}, {155, 55, 220},  {0, 0, 255},   {55, 25, 230}, {0, 100, 255}, {200, 200, 200},
};

void set_cell(int cell, const Rgb& c) {
    if (g_open && cell >= 0 && cell <= MAX_CELL) screen_backend().set_cell(cell, c.r, c.g, c.b);
}

// Cell numbers outside the table leave the drawing colour as it was.
void set_color(int cell) {
    if (cell >= 0 && cell <= MAX_CELL) g_color = cell;
}

//// clipping to the guard rectangle ////

// Far points are brought back to a rectangle a few window sizes around the
// window before they become integer pixels, so that nothing wraps round.
struct Box {
    double x0, y0, x1, y1;
};

Box guard() {
    const double w = wsize.WSIZE;
    const double s = std::isfinite(w) && w >= 1.0 ? std::min(w, 4000.0) : 450.0;
    return {-3.0 * s, -3.0 * s, 4.0 * s, 4.0 * s};
}

bool finite(double x, double y) {
    return std::isfinite(x) && std::isfinite(y);
}

bool inside(const Box& b, double x, double y) {
    return x >= b.x0 && x <= b.x1 && y >= b.y0 && y <= b.y1;
}

// Liang-Barsky: cuts the segment to the box; false when nothing is left.
bool clip_segment(double& x0, double& y0, double& x1, double& y1, const Box& b) {
    if (!finite(x0, y0) || !finite(x1, y1)) return false;
    const double dx = x1 - x0, dy = y1 - y0;
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - b.x0, b.x1 - x0, y0 - b.y0, b.y1 - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
    const double bx = x0 + t1 * dx, by = y0 + t1 * dy;
    x0 = ax, y0 = ay, x1 = bx, y1 = by;
    return true;
}

struct Point {
    double x, y;
};

// Sutherland-Hodgman against one side of the box: side 0..3 = left, right,
// bottom, top.
std::vector<Point> clip_side(const std::vector<Point>& in, const Box& b, int side) {
    auto keep = [&](const Point& p) {
        switch (side) {
            case 0:
                return p.x >= b.x0;
            case 1:
                return p.x <= b.x1;
            case 2:
                return p.y >= b.y0;
            default:
                return p.y <= b.y1;
        }
    };
    auto cut = [&](const Point& p, const Point& q) {
        const double edge = side == 0 ? b.x0 : side == 1 ? b.x1 : side == 2 ? b.y0 : b.y1;
        const bool vertical = side < 2;
        const double t = vertical ? (edge - p.x) / (q.x - p.x) : (edge - p.y) / (q.y - p.y);
        return vertical ? Point{edge, p.y + t * (q.y - p.y)} : Point{p.x + t * (q.x - p.x), edge};
    };
    std::vector<Point> out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const Point& p = in[i];
        const Point& q = in[(i + 1) % in.size()];
        if (keep(p)) {
            out.push_back(p);
            if (!keep(q)) out.push_back(cut(p, q));
        } else if (keep(q)) {
            out.push_back(cut(p, q));
        }
    }
    return out;
}

Pixel to_pixel(double x, double y) {
    return {ifix(x), ifix(y)};
}

//// primitives through the backend ////

void draw_line(double x0, double y0, double x1, double y1) {
    if (!g_open || !clip_segment(x0, y0, x1, y1, guard())) return;
    screen_backend().line(g_color, to_pixel(x0, y0), to_pixel(x1, y1));
}

// Points that are not finite are dropped; the rest is cut to the guard.
void draw_fill(int n, const double* pxy) {
    if (!g_open) return;
    std::vector<Point> pts;
    for (int i = 0; i < n; ++i) {
        // Pixels are truncated before the polygon is cut, as the device does.
        const double x = pxy[2 * i], y = pxy[2 * i + 1];
        if (finite(x, y)) pts.push_back({std::trunc(x), std::trunc(y)});
    }
    const Box b = guard();
    for (int side = 0; side < 4 && !pts.empty(); ++side) pts = clip_side(pts, b, side);
    if (pts.empty()) return;
    std::vector<Pixel> px;
    px.reserve(pts.size());
    for (const Point& p : pts) px.push_back(to_pixel(p.x, p.y));
    screen_backend().fill_polygon(g_color, px);
}

void set_pen(double x, double y) {
    g_penx = std::trunc(x);
    g_peny = std::trunc(y);
    xgmovs.IXPEN = ifix(g_penx);
    xgmovs.IYPEN = ifix(g_peny);
}

// Pixel of a percent value: value times WSIZE/100, truncated.
int percent_pixel(int value) {
    return ifix(value * (wsize.WSIZE / 100.0));
}

bool is_colour() {
    return machine.ICOLOR == 1;
}

}  // namespace

//// window and palettes ////

void opwind() {
    std::vector<std::string> args = {"Kavren", "-geometry", "=600x450+10+10"};
    if (display.IDISP == 1) {
        args.push_back("-display");
        args.push_back(display.DISPNM.trimmed() + ":0");
    }
    if (!screen_backend().open(args)) {
        // Menu mode has nothing to show without its window; the backend has
        // said why. Command mode goes on with the screen off.
        if (cmode.IMENU == 1) plain_stop(1, "OPWIND");
        return;
    }
    g_open = true;
    wsize.WSIZE = 450.0;
    iscale.IWIDTH = 450;
    iscale.IHEIGHT = 450;
    // Outlines and texts use cells 0 and 1 in every palette.
    set_cell(0, {0, 0, 0});
    set_cell(1, {255, 255, 255});
    colormap(1);
    mdrbox(0, 0, 133, 100, BACKGROUND);
}

void colormap(int mode) {
    clmap.MAPMOD = mode;
    clmap.MAPBAS = 0;
    const bool colour = is_colour();
    if (mode != 1 && mode != 2) {
        clmap.MAPUSE = 0;
        set_cell(0, {0, 0, 0});
        set_cell(1, {255, 255, 255});
        if (colour)
            for (int i = 0; i < 30; ++i) set_cell(10 + i, kRamps[i]);
        return;
    }
    clmap.MAPUSE = 1;
    if (colour) clmap.MAPBAS = mode == 1 ? 40 : 56;
    const Rgb* table = mode == 1 ? kPalette1 : kPalette2;
    const int cells = colour ? (mode == 1 ? 16 : 18) : 2;
    for (int k = 0; k < cells; ++k) set_cell(clmap.MAPBAS + k, table[k]);
}

//// boxes and buttons ////

void ddrbox(int ix1, int iy1, int ix2, int iy2, int icol) {
    const int x1 = percent_pixel(ix1), y1 = percent_pixel(iy1);
    const int x2 = percent_pixel(ix2), y2 = percent_pixel(iy2);
    int k = icol == BACKGROUND ? 15 : std::abs(icol);
    if (!is_colour()) k = (k == 1 || icol == BACKGROUND) ? 1 : 0;
    k += clmap.MAPUSE * clmap.MAPBAS;
    set_color(k);
    const double box[8] = {double(x1), double(y1), double(x2), double(y1),
                           double(x2), double(y2), double(x1), double(y2)};
    draw_fill(4, box);
    if (icol > 0 && icol != BACKGROUND) {
        set_color(0);
        for (int i = 0; i < 4; ++i) {
            const int j = (i + 1) % 4;
            draw_line(box[2 * i], box[2 * i + 1], box[2 * j], box[2 * j + 1]);
        }
    }
}

void ddrbut(int ix1, int iy1, int ix2, int iy2, int istyle, int istate) {
    if (!is_colour()) {
        ddrbox(ix1, iy1, ix2, iy2, istyle);
        return;
    }
    const double f = wsize.WSIZE / 100.0;
    const Point p[4] = {
        {ix1 * f, iy1 * f}, {ix2 * f, iy1 * f}, {ix2 * f, iy2 * f}, {ix1 * f, iy2 * f}};
    const int base = 5 * istyle + 4;
    const bool raised = std::abs(istate) == 1;
    // Light falls on the top and the left of a raised button.
    const int raised_cells[4] = {base + 1, base + 2, base + 4, base + 5};
    const int sunken_cells[4] = {base + 5, base + 4, base + 2, base + 1};
    auto toward = [](const Point& from, const Point& to) {
        return Point{from.x + (to.x - from.x) / 16.0, from.y + (to.y - from.y) / 8.0};
    };
    for (int i = 0; i < 4; ++i) {
        const Point& a = p[i];
        const Point& b = p[(i + 1) % 4];
        const Point& c = p[(i + 2) % 4];
        const Point& d = p[(i + 3) % 4];
        const Point b2 = toward(b, d), a2 = toward(a, c);
        const double quad[8] = {a.x, a.y, b.x, b.y, b2.x, b2.y, a2.x, a2.y};
        set_color(raised ? raised_cells[i] : sunken_cells[i]);
        draw_fill(4, quad);
    }
    if (istate > 0) {
        const double dx = (p[1].x - p[0].x) / 16.0, dy = (p[2].y - p[1].y) / 8.0;
        const double face[8] = {p[0].x + dx, p[0].y + dy, p[1].x - dx, p[1].y + dy,
                                p[2].x - dx, p[2].y - dy, p[3].x + dx, p[3].y - dy};
        set_color(base + 3);
        draw_fill(4, face);
    }
}

//// pen, polygons and texts ////

void plotw(double x, double y, int ipen) {
    if (ipen == 2) {
        set_color(0);
        draw_line(g_penx, g_peny, std::trunc(x), std::trunc(y));
    } else if (ipen != 3) {
        return;
    }
    set_pen(x, y);
}

void colfill(int n, const double* pxy, int icol) {
    set_color(icol == BACKGROUND ? 15 : icol + clmap.MAPUSE * clmap.MAPBAS);
    draw_fill(n, pxy);
}

void monfill(int n, const double* pxy) {
    if (n < 1) return;
    plotw(pxy[0], pxy[1], 3);
    for (int i = 1; i < n; ++i) plotw(pxy[2 * i], pxy[2 * i + 1], 2);
    plotw(pxy[0], pxy[1], 2);
}

void dmove(double x, double y) {
    set_pen(ifix(iscaler.SCALE * x + iscaler.XOFF), ifix(iscaler.SCALE * y + iscaler.YOFF));
}

void dmovet(double x, double y) {
    dmove(x, y);
    g_text = {xgmovs.IXPEN, xgmovs.IYPEN};
}

void dmovt(double fx, double fy) {
    set_pen(ifix(wsize.WSIZE * fx), ifix(wsize.WSIZE * fy));
    g_text = {xgmovs.IXPEN, xgmovs.IYPEN};
}

void dtcolor(int icol) {
    set_color(icol);
}

void dtext(std::string_view text, int n) {
    n = std::clamp(n, 0, 80);
    if (!g_open || n == 0 || !inside(guard(), g_text.x, g_text.y)) return;
    std::string field(text.substr(0, std::min<std::size_t>(text.size(), 80)));
    field.resize(80, ' ');
    screen_backend().text(g_color, g_text, std::string_view(field).substr(0, std::size_t(n)));
}

void dfont(int n) {
    if (!g_open || n < 4 || n > 7) return;
    static const char* const kNames[4] = {"9x15", "ent", "vri-40", "6x10"};
    const std::string name = kNames[n - 4];
    write_terminal(fmt::list({"before xgfont " + name}));
    if (n == 4) write_terminal(fmt::list({"again  ..."}));
    screen_backend().set_font(name);
    write_terminal(fmt::list({"after xgfont " + name}));
}

//// clipping ////

void dclipon() {
    if (!g_open) return;
    screen_backend().set_clip({viewport.IVX1, viewport.IVY1}, {viewport.IVX2, viewport.IVY2});
}

void dclipoff() {
    if (!g_open) return;
    screen_backend().set_clip({0, 0}, {ifix(1.3329999446868896 * wsize.WSIZE), ifix(wsize.WSIZE)});
}

void setwind(int ix1, int iy1, int ix2, int iy2) {
    const int w = ifix(wsize.WSIZE);
    viewport.IVX1 = (ix1 + 1) * w / 100;
    viewport.IVY1 = (iy1 + 1) * w / 100;
    viewport.IVX2 = (ix2 - 1) * w / 100;
    viewport.IVY2 = (iy2 - 1) * w / 100;
}

//// events ////

void mlocat(int& kind, char& ch, Arr1<int, 2>& ixy) {
    if (!g_open) {
        kind = 1;
        ch = '\r';
        return;
    }
    for (;;) {
        const ScreenEvent ev = screen_backend().next_event();
        switch (ev.kind) {
            case EV_KEY:
                ch = static_cast<char>(ev.code & 0xFF);
                kind = 1;
                return;
            case EV_RELEASE:
                ixy(1) = ev.x;
                ixy(2) = ev.y;
                // 'g', 'f', 'e' for buttons 1, 2, 3: the modifiers fall out of the low byte.
                ch = static_cast<char>((104u - static_cast<unsigned>(ev.code)) & 0xFFu);
                kind = 0;
                return;
            case EV_RESIZE:
                wsize.WSIZE = ev.y;
                break;
            case EV_EXPOSE:
                if (cmode.IMENU == 1 && cmode.IPROB != 0) redraws();
                break;
            default:
                break;
        }
    }
}

//// save and restore, enable ////

void dsave() {
    const int w = ifix(wsize.WSIZE);
    xgsave(18 * w / 100, 100 * w / 100, 93 * w / 100);
}

void drest() {
    const int w = ifix(wsize.WSIZE);
    xgrest(18 * w / 100, 100 * w / 100, 93 * w / 100);
}

void enable() {}
void disable() {}

bool screen_is_open() {
    return g_open;
}

void screen_flush() {
    if (g_open) screen_backend().flush();
}

void screen_close() {
    if (!g_open) return;
    screen_backend().close();
    g_open = false;
}

namespace screen_detail {
void reset() {
    g_open = false;
    g_color = 0;
    g_penx = g_peny = 0.0;
    g_text = {};
    xgmovs = Xgmovs();
    clmap = Clmap();
}
}  // namespace screen_detail

}  // namespace kavren
