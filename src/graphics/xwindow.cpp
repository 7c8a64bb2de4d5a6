// The X window layer over Xlib, and the program's screen backend on top of it.
// The only file that includes the window system's headers.
#include "graphics/xwindow.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "control/messages.hpp"
#include "graphics/screen_backend.hpp"

namespace kavren {

namespace {

constexpr int kCells = MAX_CELL + 1;  // colour cells 0..MAX_CELL
constexpr int kFontSlots = 16;        // fonts kept by name; the driver names five
constexpr int kMapWait = 10;          // seconds the open waits for the window to be mapped

struct FontSlot {
    std::string name;
    XFontStruct* font = nullptr;  // null: the name could not be loaded
};

// The module state, one for the process. It is made once and never destroyed,
// so that a backend closed while the program exits still finds it.
struct XLayer {
    Display* dpy = nullptr;
    int screen = 0;
    Window xwindow = 0;
    GC gc = nullptr;
    Colormap colormap = 0;
    XColor colors[kCells] = {};        // pixel and 16-bit red, green, blue of every cell
    bool allocated[kCells] = {};       // the pixel came from XAllocColor and is ours to free
    bool reported[kCells] = {};        // the failed allocation of the cell was reported
    XFontStruct* font_info = nullptr;  // the font of the texts
    FontSlot fonts[kFontSlots];
    int nfonts = 0;
    int window_width = 0, window_height = 0;
    int textloc_x = 0, textloc_y = 0;  // text position, y already flipped
    unsigned shift = 0;                // modifier state of the last key or button event
    std::string program_name;
    bool lost = false;  // the connection broke: nothing may be sent on it any more
};

XLayer& xl() {
    static XLayer* layer = new XLayer;
    return *layer;
}

bool usable() {
    const XLayer& x = xl();
    return x.dpy != nullptr && !x.lost;
}

// X's y axis points down from the top of the window.
int flip(int y) {
    return xl().window_height - y;
}

short to_short(int v) {
    return static_cast<short>(std::clamp(v, -32768, 32767));
}

//// failures of the connection ////

// A broken connection ends the run in order: the project files are closed and
// the error file says where it ended. Nothing more is sent to the server.
int on_io_error(Display*) {
    xl().lost = true;
    sstop(0, "XWINDOW");
}

// A request the server refused (a window destroyed by another client, say) is
// reported, and the run goes on instead of ending with its files open.
int on_x_error(Display* dpy, XErrorEvent* e) {
    char text[256] = {};
    XGetErrorText(dpy, e->error_code, text, sizeof text - 1);
    std::fflush(stdout);
    std::fprintf(stderr, " ** X ERROR IN REQUEST %d: %s\n", int(e->request_code), text);
    return 0;
}

// Waits until the server has mapped the window, so that what is drawn first
// is not lost; a ConfigureNotify met meanwhile sets the size.
void wait_for_map() {
    XLayer& x = xl();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kMapWait);
    for (;;) {
        XEvent ev;
        if (XCheckWindowEvent(x.dpy, x.xwindow, StructureNotifyMask, &ev)) {
            if (ev.type == ConfigureNotify) {
                x.window_width = ev.xconfigure.width;
                x.window_height = ev.xconfigure.height;
            }
            if (ev.type == MapNotify) return;
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return;
        pollfd p{ConnectionNumber(x.dpy), POLLIN, 0};
        poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
    }
}

// Shifted characters of a US keyboard, matched on the low byte of the key symbol.
struct Shifted {
    int key, shifted;
};
constexpr Shifted kShifted[] = {
    {'\'', '"'}, {'-', '_'}, {'/', '?'}, {'0', ')'},  {'1', '!'}, {'2', '@'}, {'3', '#'},
    {'4', '$'},  {'5', '%'}, {'6', '^'}, {'7', '&'},  {'8', '*'}, {'9', '('}, {';', ':'},
    {'<', '>'},  {'=', '+'}, {'[', '{'}, {'\\', '|'}, {']', '}'}, {'`', '~'},
};

}  // namespace

//// key and button codes ////

int xg_modifiers(unsigned state) {
    return ((state & ShiftMask) ? XG_SHIFT : 0) | ((state & ControlMask) ? XG_CONTROL : 0) |
           ((state & Mod1Mask) ? XG_MOD1 : 0) | ((state & LockMask) ? XG_LOCK : 0);
}

bool xg_key_code(unsigned long keysym, unsigned state, int& code) {
    unsigned long k = keysym;
    if (k == XK_Shift_L || k == XK_Shift_R || k == XK_Control_L || k == XK_Caps_Lock ||
        k == XK_Alt_L)
        return false;
    const bool shift = (state & ShiftMask) != 0, lock = (state & LockMask) != 0;
    if (k >= 'a' && k <= 'z' && shift != lock) k = k - 'a' + 'A';
    if (shift) {
        const int low = static_cast<signed char>(k & 0xFFu);
        for (const Shifted& s : kShifted)
            if (s.key == low) {
                k = static_cast<unsigned long>(s.shifted);
                break;
            }
    }
    unsigned long c =
        (256ul * unsigned(xg_modifiers(state))) | (k & 0x10FFul) | (k > 255 ? 128ul : 0ul);
    const unsigned long low = k & 0xFFul, low7 = k & 0x7Ful;
    if (low >= 1 && low <= 31) c &= 0xFFFul;
    if ((low7 >= 1 && low7 <= 13) || (low7 >= 44 && low7 <= 46) || (low7 >= 48 && low7 <= 57))
        c &= 0xFF7Ful;
    code = static_cast<int>(c);
    return true;
}

int xg_button_code(unsigned button, unsigned state) {
    return static_cast<int>(button) + 256 * xg_modifiers(state);
}

//// opening ////

SizeHints set_sizehints(int min_width, int min_height, int default_width, int default_height,
                        int default_x, int default_y, const std::string& geometry, int screen_width,
                        int screen_height) {
    SizeHints h;
    h.width = h.min_width = min_width;
    h.height = h.min_height = min_height;
    int flags = 0;
    if (!geometry.empty()) {
        int x = 0, y = 0;
        unsigned w = 0, ht = 0;
        flags = XParseGeometry(geometry.c_str(), &x, &y, &w, &ht);
        if ((flags & WidthValue) && (flags & HeightValue)) {
            h.width = std::max(int(w), min_width);
            h.height = std::max(int(ht), min_height);
            h.user_size = true;
        }
        if ((flags & XValue) && (flags & YValue)) {
            h.x = x;
            h.y = y;
            h.user_position = true;
        }
    }
    if (!h.user_size) {
        h.width = default_width;
        h.height = default_height;
    }
    if (!h.user_position) {
        h.x = default_x;
        h.y = default_y;
    }
    if (flags & XNegative) h.x += screen_width - h.width;
    if (flags & YNegative) h.y += screen_height - h.height;
    return h;
}

bool xg_parse_args(const std::vector<std::string>& args, std::string& display,
                   std::string& geometry) {
    display.clear();
    geometry.clear();
    for (std::size_t i = 1; i < args.size(); i += 2) {
        const std::string& opt = args[i];
        if (opt.size() < 2 || opt[0] != '-' || i + 1 >= args.size()) return false;
        if (opt[1] == 'd')
            display = args[i + 1];
        else if (opt[1] == 'g')
            geometry = args[i + 1];
        else
            return false;
    }
    return true;
}

bool xgopw(const std::vector<std::string>& args) {
    XLayer& x = xl();
    if (x.dpy != nullptr) return !x.lost;
    x.program_name = args.empty() ? "Kavren" : args[0];
    // Earlier terminal output comes first.
    std::fflush(stdout);
    std::string display, geometry;
    if (!xg_parse_args(args, display, geometry)) {
        std::fprintf(stderr, "usage:  %s [-display host:dpy] [-geometry geom]\n",
                     x.program_name.c_str());
        return false;
    }
    const char* name = display.empty() ? nullptr : display.c_str();
    Display* dpy = XOpenDisplay(name);
    if (dpy == nullptr) {
        std::fprintf(stderr, "%s:  unable to open display '%s'\n", x.program_name.c_str(),
                     XDisplayName(name));
        return false;
    }
    XSetIOErrorHandler(on_io_error);
    XSetErrorHandler(on_x_error);
    x = XLayer();
    x.program_name = args[0];
    x.dpy = dpy;
    x.screen = DefaultScreen(dpy);

    const SizeHints h = set_sizehints(10, 10, 1000, 750, 10, 10, geometry,
                                      DisplayWidth(dpy, x.screen), DisplayHeight(dpy, x.screen));
    XSizeHints hints{};
    hints.x = h.x;
    hints.y = h.y;
    hints.width = h.width;
    hints.height = h.height;
    // Only the minimum size is announced.
    hints.min_width = 100;
    hints.min_height = 100;
    hints.max_width = 1500;
    hints.max_height = 1500;
    hints.width_inc = 1;
    hints.height_inc = 1;
    hints.flags =
        PMinSize | (h.user_size ? USSize : PSize) | (h.user_position ? USPosition : PPosition);
    x.window_width = h.width;
    x.window_height = h.height;

    x.xwindow = XCreateSimpleWindow(dpy, RootWindow(dpy, x.screen), h.x, h.y, unsigned(h.width),
                                    unsigned(h.height), 2, BlackPixel(dpy, x.screen),
                                    WhitePixel(dpy, x.screen));
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    XSetStandardProperties(dpy, x.xwindow, "Tessark", nullptr, None, argv.data(),
                           static_cast<int>(argv.size()), &hints);
    XSelectInput(
        dpy, x.xwindow,
        KeyPressMask | ButtonPressMask | ButtonReleaseMask | ExposureMask | StructureNotifyMask);
    XMapWindow(dpy, x.xwindow);
    XGCValues values{};
    values.function = GXcopy;
    values.foreground = BlackPixel(dpy, x.screen);
    values.background = WhitePixel(dpy, x.screen);
    values.fill_style = FillSolid;
    x.gc =
        XCreateGC(dpy, x.xwindow, GCFunction | GCForeground | GCBackground | GCFillStyle, &values);
    x.colormap = DefaultColormap(dpy, x.screen);
    wait_for_map();
    return !x.lost;
}

//// drawing ////

void xgdrawl(int ix1, int iy1, int ix2, int iy2) {
    if (!usable()) return;
    const XLayer& x = xl();
    XDrawLine(x.dpy, x.xwindow, x.gc, ix1, flip(iy1), ix2, flip(iy2));
}

void xgsetcm(int i, int ir, int ig, int ib) {
    if (!usable() || i < 0 || i >= kCells) return;
    XLayer& x = xl();
    auto channel = [](int v) { return static_cast<unsigned short>(((v % 256 + 256) % 256) * 256); };
    XColor c{};
    c.red = channel(ir);
    c.green = channel(ig);
    c.blue = channel(ib);
    c.flags = DoRed | DoGreen | DoBlue;
    if (x.allocated[i]) {
        XFreeColors(x.dpy, x.colormap, &x.colors[i].pixel, 1, 0);
        x.allocated[i] = false;
    }
    if (XAllocColor(x.dpy, x.colormap, &c)) {
        x.allocated[i] = true;
    } else {
        // No cell left: the nearer of black and white stands in, and the run goes on.
        if (!x.reported[i]) {
            x.reported[i] = true;
            std::printf("*** XAllocColor died ; no color %d \n", i);
        }
        const double r = c.red, g = c.green, b = c.blue, top = 65535.0;
        const double to_black = r * r + g * g + b * b;
        const double to_white =
            (top - r) * (top - r) + (top - g) * (top - g) + (top - b) * (top - b);
        c.pixel = to_black <= to_white ? BlackPixel(x.dpy, x.screen) : WhitePixel(x.dpy, x.screen);
    }
    x.colors[i] = c;
}

void xgsetcol(int i) {
    if (!usable() || i < 0 || i >= kCells) return;
    const XLayer& x = xl();
    XSetForeground(x.dpy, x.gc, x.colors[i].pixel);
}

void xgsetclip(int ix1, int iy1, int ix2, int iy2) {
    if (!usable()) return;
    const XLayer& x = xl();
    XRectangle r;
    r.x = to_short(std::min(ix1, ix2));
    r.y = to_short(flip(std::max(iy1, iy2)));
    r.width = static_cast<unsigned short>(std::min(std::abs(ix2 - ix1), 65535));
    r.height = static_cast<unsigned short>(std::min(std::abs(iy2 - iy1), 65535));
    XSetClipRectangles(x.dpy, x.gc, 0, 0, &r, 1, YXBanded);
}

namespace {
std::vector<XPoint> points_of(int n, const int* ix, const int* iy) {
    std::vector<XPoint> p(std::size_t(std::max(n, 0)));
    for (int k = 0; k < n; ++k) p[std::size_t(k)] = {to_short(ix[k]), to_short(flip(iy[k]))};
    return p;
}
}  // namespace

void xgdrpoly(int n, const int* ix, const int* iy) {
    if (!usable() || n < 2) return;
    const XLayer& x = xl();
    std::vector<XPoint> p = points_of(n, ix, iy);
    XDrawLines(x.dpy, x.xwindow, x.gc, p.data(), n, CoordModeOrigin);
}

void xgdrfpoly(int n, const int* ix, const int* iy) {
    if (!usable() || n < 3) return;
    const XLayer& x = xl();
    std::vector<XPoint> p = points_of(n, ix, iy);
    XFillPolygon(x.dpy, x.xwindow, x.gc, p.data(), n, Nonconvex, CoordModeOrigin);
}

void xgsettl(int ix, int iy) {
    XLayer& x = xl();
    x.textloc_x = ix;
    x.textloc_y = flip(iy);
}

void xgdrtxt(std::string_view text) {
    if (!usable() || text.empty()) return;
    const XLayer& x = xl();
    XDrawString(x.dpy, x.xwindow, x.gc, x.textloc_x, x.textloc_y, text.data(),
                static_cast<int>(text.size()));
}

//// fonts ////

namespace {
// The slot of a font name, loaded the first time it is named; null when the
// table is full.
FontSlot* font_slot(const std::string& name) {
    XLayer& x = xl();
    for (int k = 0; k < x.nfonts; ++k)
        if (x.fonts[k].name == name) return &x.fonts[k];
    if (x.nfonts == kFontSlots) return nullptr;
    FontSlot& s = x.fonts[x.nfonts++];
    s.name = name;
    s.font = XLoadQueryFont(x.dpy, name.c_str());
    return &s;
}

void use_font(XFontStruct* font) {
    XLayer& x = xl();
    x.font_info = font;
    XSetFont(x.dpy, x.gc, font->fid);
}
}  // namespace

void xgfont(std::string_view name_view) {
    if (!usable()) return;
    std::fputs("at 0", stdout);
    const std::string name(name_view);
    const bool first = [&] {
        const XLayer& x = xl();
        for (int k = 0; k < x.nfonts; ++k)
            if (x.fonts[k].name == name) return false;
        return true;
    }();
    FontSlot* slot = font_slot(name);
    if (slot != nullptr && slot->font != nullptr) {
        std::fputs("1 access to font successful", stdout);
        std::fputs("2 access to font successfull", stdout);
        use_font(slot->font);
        std::fputs("3 access to font successfull", stdout);
        return;
    }
    // A server without the font: said once a name, and the texts go on in "fixed".
    if (first) {
        std::fflush(stdout);
        std::fprintf(stderr, " can not open %s font\n", name.c_str());
    }
    if (FontSlot* fixed = font_slot("fixed"); fixed != nullptr && fixed->font != nullptr)
        use_font(fixed->font);
}

//// events ////

void xgnxtev(int& kind, int& code, int& ix, int& iy) {
    if (!usable()) {
        // No window: nothing will ever come; Return stands in.
        kind = 0, code = 13, ix = iy = 0;
        return;
    }
    XLayer& x = xl();
    for (;;) {
        XEvent ev;
        XNextEvent(x.dpy, &ev);
        switch (ev.type) {
            case KeyPress: {
                x.shift = ev.xkey.state;
                const unsigned long k = XLookupKeysym(&ev.xkey, 0);
                if (!xg_key_code(k, ev.xkey.state, code)) break;
                kind = 0;
                ix = ev.xkey.x;
                iy = flip(ev.xkey.y);
                return;
            }
            case ButtonPress:
            case ButtonRelease:
                x.shift = ev.xbutton.state;
                kind = ev.type == ButtonPress ? 2 : 3;
                code = xg_button_code(ev.xbutton.button, ev.xbutton.state);
                ix = ev.xbutton.x;
                iy = flip(ev.xbutton.y);
                return;
            case ConfigureNotify:
                x.window_width = ev.xconfigure.width;
                x.window_height = ev.xconfigure.height;
                kind = 4, code = 0, ix = x.window_width, iy = x.window_height;
                return;
            case GraphicsExpose:
            case NoExpose: {
                int count = ev.type == GraphicsExpose ? ev.xgraphicsexpose.count : 0;
                while (XCheckTypedEvent(x.dpy, Expose, &ev)) count = ev.xexpose.count;
                kind = 5, code = count, ix = iy = 0;
                return;
            }
            case Expose:
                kind = 7, code = 0, ix = iy = 0;
                return;
            default:
                break;
        }
    }
}

int xglength() {
    if (!usable()) return 0;
    return XPending(xl().dpy);
}

//// closing ////

void xgclosw() {
    XLayer& x = xl();
    // A lost connection is left as it is, recorded here: Xlib may not touch
    // it again, and the run is ending.
    if (x.dpy == nullptr || x.lost) return;
    for (int k = 0; k < x.nfonts; ++k)
        if (x.fonts[k].font != nullptr) XFreeFont(x.dpy, x.fonts[k].font);
    if (x.gc != nullptr) XFreeGC(x.dpy, x.gc);
    XCloseDisplay(x.dpy);
    x = XLayer();
}

void xgflush() {
    if (usable()) XFlush(xl().dpy);
}

bool xg_is_open() {
    return usable();
}

//// the screen backend ////

namespace {

class XWindowBackend final : public ScreenBackend {
  public:
    ~XWindowBackend() override { xgclosw(); }
    bool open(const std::vector<std::string>& args) override { return xgopw(args); }
    void set_cell(int cell, int r, int g, int b) override { xgsetcm(cell, r, g, b); }
    void set_font(std::string_view name) override { xgfont(name); }
    void set_clip(Pixel a, Pixel b) override { xgsetclip(a.x, a.y, b.x, b.y); }
    void line(int cell, Pixel a, Pixel b) override {
        xgsetcol(cell);
        xgdrawl(a.x, a.y, b.x, b.y);
    }
    void fill_polygon(int cell, const std::vector<Pixel>& points) override {
        std::vector<int> ix, iy;
        ix.reserve(points.size());
        iy.reserve(points.size());
        for (const Pixel& p : points) {
            ix.push_back(p.x);
            iy.push_back(p.y);
        }
        xgsetcol(cell);
        xgdrfpoly(static_cast<int>(points.size()), ix.data(), iy.data());
    }
    void text(int cell, Pixel at, std::string_view text) override {
        xgsetcol(cell);
        xgsettl(at.x, at.y);
        xgdrtxt(text);
    }
    void flush() override { xgflush(); }
    ScreenEvent next_event() override {
        ScreenEvent e;
        xgnxtev(e.kind, e.code, e.x, e.y);
        return e;
    }
    void close() override { xgclosw(); }
};

}  // namespace

std::unique_ptr<ScreenBackend> make_window_backend() {
    return std::make_unique<XWindowBackend>();
}

}  // namespace kavren
