// Scales, legends and titles.
#include "plot/scales.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "control/messages.hpp"
#include "graphics/draw.hpp"
#include "graphics/order_key.hpp"
#include "graphics/screen.hpp"
#include "hpmesh/tree.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "records/window.hpp"
#include "support/format.hpp"

namespace kavren {

StampRoutine plot_stamp = nullptr;

namespace {

void text_at(int ix, int iy, std::string_view text, int n) {
    mmovt(ix, iy);
    mtext(text, n);
}

void line_a(int ix1, int iy1, int ix2, int iy2) {
    mmovea(ix1, iy1);
    mdrawa(ix2, iy2);
}

void line_ar(double x1, double y1, double x2, double y2) {
    mmovear(x1, y1);
    mdrawar(x2, y2);
}

// The common power of 1000 of a scale: from the first value, or from the
// last when its logarithm is larger in magnitude (mdrsca), or when the first
// is 0 (xdrsca). k returns the exponent of 1000.
double scale_factor(double first, double last, bool larger_of_two, int& k) {
    const double e1 = first == 0.0 ? 0.0 : std::log10(std::abs(first));
    const double e2 = last == 0.0 ? 0.0 : std::log10(std::abs(last));
    double e = e1;
    if (larger_of_two ? std::abs(e2) > std::abs(e1) : first == 0.0) e = e2;
    k = static_cast<int>(e) / 3;
    return static_cast<double>(std::pow(1000.0f, static_cast<float>(k)));
}

std::string factor_text(int k) {
    return 3 * k < 0 ? fmt::line("(A4,I3)", {"10**", 3 * k})
                     : fmt::line("(A4,I2)", {"10**", 3 * k});
}

// The five label positions of n intervals.
void label_positions(int n, int (&j)[5]) {
    j[0] = 1;
    j[1] = n / 4 + 1;
    j[2] = n / 2 + 1;
    j[3] = n - n / 4 + 1;
    j[4] = n + 1;
}

int fill_colour() {
    return machine.ICOLOR == 1 ? 12 : 1;
}

}  // namespace

//// label_fmt and opscal ////

Line80 label_fmt(double div, double x) {
    const double v = x / div;
    const std::string buf = fmt::line("(F30.15)", {v});
    // Columns 1..30, the point at 15.
    auto col = [&](int i) { return buf[static_cast<std::size_t>(i - 1)]; };
    int i1 = 15;
    for (int i = 1; i <= 14; ++i)
        if (col(i) != ' ') {
            i1 = i;
            break;
        }
    int i2 = 15;
    for (int i = 30; i >= 15; --i)
        if (col(i) != '0') {
            i2 = i;
            break;
        }
    int n = i2 - i1 + 1, d = 0;
    if (n < 10) {
        d = i2 - 15;
    } else {
        n = 9;
        d = i1 - 7;
    }
    std::string text;
    if (d == 0) {
        text = fmt::line("(I" + std::to_string(n) + ")", {static_cast<int>(std::trunc(v))});
    } else if (v != 0.0 && (std::abs(v) > 1000.0 || std::abs(v) < 0.0010000000474974513)) {
        text = fmt::line("(E11.3)", {v});
        if (v > 0.0) text = text.substr(1, 10) + " ";
    } else {
        text = fmt::line("(F" + std::to_string(n) + "." + std::to_string(d) + ")", {v});
        for (int i = static_cast<int>(text.size()) - 1, left = d; left > 0 && i >= 0; --i, --left) {
            if (text[static_cast<std::size_t>(i)] != '0') break;
            text[static_cast<std::size_t>(i)] = ' ';
        }
    }
    return Line80(text);
}

void opscal(double& fmin, double& fmax, int& n) {
    static constexpr int kSteps[11] = {100, 125, 150, 175, 200, 250, 300, 375, 500, 625, 750};
    if (n < 1) n = 13;
    if (fmax == 0.0 && fmin == 0.0) fmax = 1.0;
    const double d = (fmax - fmin) / static_cast<float>(n);
    if (!(d / (std::abs(fmin) + std::abs(fmax)) >= 1e-6)) return;
    const double g = std::log10(d);
    const int k = g >= 0.0 ? static_cast<int>(1.0 + g) : -static_cast<int>(-g);
    // Rounding may put m a hair outside 100..1000.
    const int m = std::clamp(static_cast<int>(1000.0 * d / std::pow(10.0, k)), 100, 1000);
    int entry = 1000;
    for (int i = 0; i < 11; ++i) {
        if (kSteps[i] == m) {
            entry = m;
            break;
        }
        if (kSteps[i] > m) {
            entry = i == 0 || kSteps[i] - m <= m - kSteps[i - 1] ? kSteps[i] : kSteps[i - 1];
            break;
        }
    }
    const double s = static_cast<double>(static_cast<float>(entry)) / 1000.0 * std::pow(10.0, k);
    if (fmin < 0.0 && fmax > 0.0) {
        const int a = static_cast<int>(1.0 - fmin / s), b = static_cast<int>(fmax / s + 1.0);
        fmin = -a * s;
        fmax = b * s;
        n = a + b;
    } else if (fmin >= 0.0) {
        const int b = static_cast<int>(fmax / s + 1.0), a = static_cast<int>(fmin / s);
        n = b - a;
        fmax = b * s;
        fmin = a * s;
    } else {
        const int a = static_cast<int>(1.0 - fmin / s), b = static_cast<int>(-fmax / s);
        n = a - b;
        fmin = -a * s;
        fmax = -b * s;
    }
}

//// scales and key ////

void mdrsca(const double* lev, int n, int icolf) {
    mfont(1);
    mtcolor(0, 1);
    const bool wide = iscale.ILAYF == 0;
    const int w = (wide ? 80 : 60) / n;
    if (wide)
        mdrbox(0, 18, 100, 25, 1);
    else
        mdrbox(0, 18, 15, 93, 1);
    for (int i = 1; i <= n; ++i) {
        band_colour(icolf == 1 ? i : 1, icolf == 1 ? n : 1, [&](int c) {
            if (wide)
                mdrbox((i - 1) * w + 12, 22, i * w + 12, 25, c);
            else
                mdrbox(11, (i - 1) * w + 25, 15, i * w + 25, c);
        });
    }
    int k = 0;
    const double fac = scale_factor(lev[0], lev[n], true, k);
    if (fac != 1.0) {
        const std::string t = factor_text(k);
        if (wide)
            text_at(n * w + 13, 23, t, static_cast<int>(t.size()));
        else
            text_at(5, n * w + 27, t, static_cast<int>(t.size()));
    }
    int js[5];
    label_positions(n, js);
    for (int j : js) {
        const Line80 t = label_fmt(fac, lev[j - 1]);
        if (wide) {
            const int x = (j - 1) * w + 12;
            line_a(x, 22, x, 21);
            text_at(j == 1 ? 13 : x, 19, t.view(), 8);
        } else {
            const int y = (j - 1) * w + 25;
            line_a(10, y, 11, y);
            text_at(2, y, t.view(), 8);
        }
    }
}

void gdrsca() {
    mfont(1);
    mtcolor(0, 1);
    const int lay = iscale.ILAYF;
    int x1, y1, x2, y2;
    order_key_frame(lay, x1, y1, x2, y2);
    mdrbox(x1, y1, x2, y2, 1);
    for (int p = 1; p <= 8; ++p) {
        order_key_box(lay, p, x1, y1, x2, y2);
        mdrbox(x1, y1, x2, y2, p);
        int ix, iy;
        order_key_digit(lay, p, ix, iy);
        text_at(ix, iy, fmt::line("(I1)", {p}), 1);
    }
}

void xdrsca(int nx, int ny) {
    mfont(1);
    mtcolor(0, 1);
    const float sx = 78.0f / static_cast<float>(nx), sy = 60.0f / static_cast<float>(ny);
    auto xv = [&](int i) { return cxmin.XMIN + (i - 1) * (cxmin.XMAX - cxmin.XMIN) / nx; };
    auto yv = [&](int i) { return cxmin.YMIN + (i - 1) * (cxmin.YMAX - cxmin.YMIN) / ny; };
    line_ar(10.0, 25.0, 95.0, 25.0);
    line_ar(12.0, 23.0, 12.0, 90.0);
    // An axis whose ends are both 0 keeps factor 1.
    int kx = 0, ky = 0;
    const double fx = cxmin.XMIN == 0.0 && cxmin.XMAX == 0.0
                          ? 1.0
                          : scale_factor(cxmin.XMIN, cxmin.XMAX, false, kx);
    const double fy = cxmin.YMIN == 0.0 && cxmin.YMAX == 0.0
                          ? 1.0
                          : scale_factor(cxmin.YMIN, cxmin.YMAX, false, ky);
    if (fx != 1.0) {
        const std::string t = factor_text(kx);
        text_at(93, 23, t, static_cast<int>(t.size()));
    }
    if (fy != 1.0) {
        const std::string t = factor_text(ky);
        text_at(5, 89, t, static_cast<int>(t.size()));
    }
    for (int j = 1; j <= nx; ++j) line_ar((j - 1) * sx + 12.0, 24.0, (j - 1) * sx + 12.0, 25.0);
    for (int j = 1; j <= ny; ++j) line_ar(11.0, (j - 1) * sy + 25.0, 12.0, (j - 1) * sy + 25.0);
    int js[5];
    label_positions(nx, js);
    for (int j : js) {
        const double t = static_cast<double>((j - 1) * sx + 12.0f);
        line_ar(t, 23.0, t, 25.0);
        text_at(static_cast<int>(t - 1.0), 20, label_fmt(fx, xv(j)).view(), 8);
    }
    label_positions(ny, js);
    for (int j : js) {
        const double t = static_cast<double>((j - 1) * sy + 25.0f);
        line_ar(10.0, t, 12.0, t);
        text_at(1, static_cast<int>(t), label_fmt(fy, yv(j)).view(), 8);
    }
}

//// legend and title ////

void flegen(std::string_view text, double value, int len) {
    if (clegend.NLEG >= MAX_LEGEND) return;
    if (len >= 0)
        text = text.substr(0, std::min<std::size_t>(text.size(), static_cast<std::size_t>(len)));
    ++clegend.NLEG;
    clegend.LEGTXT(clegend.NLEG) = Line80(text);
    clegend.LEGVAL(clegend.NLEG) = value;
}

void legend() {
    colormap(0);
    const int c = fill_colour();
    const int nleg = clegend.NLEG;
    mdrbox(102, 5, 130, 60, -c);
    mdrbox(102, 18, 130, 3 * nleg + 21, -c);
    mfont(3);
    mtcolor(0, 1);
    for (int i = 1; i <= nleg; ++i) {
        std::string t = clegend.LEGTXT(i).trimmed();
        if (clegend.LEGVAL(i) != NO_LEGEND_VALUE) {
            t += label_fmt(1.0, clegend.LEGVAL(i)).str().substr(0, 15);
            while (!t.empty() && t.back() == ' ') t.pop_back();
        }
        text_at(105, 3 * (nleg - i) + 20, t, static_cast<int>(std::min<std::size_t>(t.size(), 80)));
    }
    credraw.NLEG0 = nleg;
    clegend.NLEG = 0;
}

void mdrtit() {
    mfont(3);
    const int saved = clmap.MAPMOD;
    colormap(0);
    mtcolor(0, 1);
    const std::string project = "PROJECT: " + cpname.PRJNAM.str();
    text_at(2, 95, project, 17);
    mdrbox(45, 94, 99, 99, -fill_colour());
    credraw.TITLE0 = ctitle.CTITLE;
    ctitle.CTITLE = Line80();
    ctitle.LTITLE = 0;
    const std::string title = credraw.TITLE0.trimmed();
    mtcolor(0, 1);
    text_at(50, 95, title, static_cast<int>(title.size()));
    text_at(110, 95, "kavren", 6);
    if (plot_stamp != nullptr) plot_stamp();
    colormap(saved);
}

//// what every plot shares ////

int band_cell(int l, int n) {
    if (n <= 17) return l;
    return 1 + ((l - 1) * 16) / (n - 1);
}

void widen_frame(double lo, double hi, double& fmin, double& fmax) {
    constexpr double kFrame = 1.100000023841858;
    double c = (lo + hi) / 2.0, h = (hi - lo) / 2.0;
    if (h == 0.0) h = std::max(0.1 * std::abs(c), 1.0) / kFrame;
    fmin = c - kFrame * h;
    fmax = c + kFrame * h;
}

void widen_range(double& fmin, double& fmax) {
    if (fmax != fmin) return;
    const double c = fmin, w = std::max(0.1 * std::abs(c), 1.0);
    fmin = c - w;
    fmax = c + w;
}

bool plot_refused(int icomp) {
    if (check_usable_mesh() != 0) return true;
    const int komp = std::abs(icomp) % 100;
    const bool solution = (icomp >= -99 && icomp <= -1) || icomp >= 101;
    if (icomp == 100 || (solution && komp > ceqsys.NREQNS)) {
        ffldou(0, MSG_ERROR, " **UNKNOWN COMPONENT ");
        return true;
    }
    return false;
}

void nothing_to_draw() {
    ffldou(0, MSG_ERROR, "NOTHING TO DRAW");
}

void set_legend_line() {
    if (csetf.ISCUR == 1) return;
    if (csetf.ISCUR < 1 || csetf.ISCUR > MAXSET || csetf.SETNAM(csetf.ISCUR).blank())
        flegen("SET=", csetf.ISCUR);
    else
        flegen("SET=" + csetf.SETNAM(csetf.ISCUR).str(), NO_LEGEND_VALUE);
}

}  // namespace kavren
