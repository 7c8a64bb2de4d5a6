// Profile plots: the walk along the current profile, the store of its points,
// the frame and the drawing, and the smoothing kernel.
#include "plot/profile.hpp"

#include <algorithm>
#include <cmath>

#include "control/messages.hpp"
#include "graphics/draw.hpp"
#include "hpmesh/tree.hpp"
#include "plot/band.hpp"
#include "plot/options.hpp"
#include "plot/sample.hpp"
#include "plot/scales.hpp"
#include "records/io.hpp"
#include "records/meshgen.hpp"
#include "records/post.hpp"
#include "records/window.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

ProfileSelector profile_select = nullptr;

namespace {

constexpr int kWalkElements = 100;  // elements along one side of the profile
constexpr int kWalkPoints = 500;    // their points
constexpr double kZooSlack = 1.0000000031710769e-30;
constexpr double kTickPart = 50.0;

// The options of one call.
struct Options {
    bool flip = false, reset = true, noscale = false;
    bool has_min = false, has_max = false;
    double vmin = 0.0, vmax = 0.0;
    bool zoo = false;
    double z1 = 0.0, z2 = 1.0;
    bool smooth = false;
    double factor = 0.0;
};

// Reads the record; false when the plot is refused.
bool read_options(Options& o) {
    o.flip = option_field("FLIP-XY") != 0;
    o.reset = option_field("NO-RESET") == 0;
    const bool first = cdrprof.IROUT != 100;
    double v = 0.0;
    const int levelx = option_field("LEVELX"), levely = option_field("LEVELY"),
              point = option_field("POINT");
    if (first || o.reset) {
        if (levelx == 0) cdrprof.NLEVELX = 13;
        if (levely == 0) cdrprof.NLEVELY = 13;
        if (point == 0) cdrprof.NUMPNT = 17;
    }
    if (number_field(levelx, v)) cdrprof.NLEVELX = ifix(v);
    if (number_field(levely, v)) cdrprof.NLEVELY = ifix(v);
    if (point != 0) {
        const int n = number_field(point, v) ? ifix(v) : 0;
        if (n >= 1 && n <= 5) {
            cdrprof.NUMPNT = (1 << n) + 1;
        } else {
            ffldou(0, MSG_LIST, " POINT value invalid, set to 4");
            cdrprof.NUMPNT = 17;
        }
    }
    // A bare PROFILE (the driver's action word at the end of its record)
    // keeps the current profile.
    if (const int p = option_field("PROFILE");
        p != 0 && p <= iodati.NFIELD && profile_select != nullptr)
        profile_select(p);
    if (cprofi.IPCUR < 1 || cprofi.IPCUR > MAXPROF || cprofi.IPFRST(cprofi.IPCUR) == 0 ||
        cprofi.IPNEXT(cprofi.IPFRST(cprofi.IPCUR)) == 0) {
        ffldou(135, MSG_ERROR, "** NO CURRENT PROFILE **");
        return false;
    }
    const int imin = option_field("MIN"), imax = option_field("MAX");
    o.has_min = number_field(imin, o.vmin);
    o.has_max = number_field(imax, o.vmax);
    const int f = o.flip ? 1 : 0;
    if (first || o.reset) {
        if (imin == 0) cdrprof.YMINL[f] = 1e10;
        if (imax == 0) cdrprof.YMAXL[f] = -1e10;
    }
    if (const int z = option_field("ZOO"); z != 0) {
        o.zoo = true;
        number_field(z, o.z1);
        number_field(z + 1, o.z2);
        write_terminal(fmt::list({"ZOOMING WITH: ", o.z1, o.z2}));
    }
    if (const int s = option_field("SMOOTH"); s != 0) {
        number_field(s, o.factor);
        if (!(o.factor > 0.0)) {
            ffldou(0, MSG_ERROR, " SMOOTHING FACTOR MUST BE POSITIVE");
            return false;
        }
        o.smooth = true;
        write_terminal(fmt::list({"SMOOTHING ..."}));
    }
    o.noscale = option_field("NOSCALE") != 0;
    return true;
}

// The sampling level whose grid holds the npt points of a side: npt - 1 is
// a power of 2.
int sampling_level(int npt) {
    int nsub = 0;
    while ((1 << (nsub + 1)) <= npt - 1) ++nsub;
    return nsub;
}

// Grid index of a local coordinate on a grid of n intervals.
int grid_index(double t, int n) {
    return static_cast<int>(std::lround((t + 1.0) * n / 2.0)) + 1;
}

// The profile's points and pieces.
struct Store {
    double xy[2 * PROFILE_POINTS];  // arc length, value
    double elsize[PROFILE_PIECES];  // length of each piece
    int npt[PROFILE_PIECES];        // points of each piece
    int kpmax = 0, npieces = 0;
};

// One element's points: positions and values, in walk order.
struct Sampled {
    double x[SAMPLE_LD * SAMPLE_LD], y[SAMPLE_LD * SAMPLE_LD], f[SAMPLE_LD * SAMPLE_LD];
};

// Visits each point of the profile with its step from the element's previous
// point and its value. False when a search failed.
template <typename Fn>
bool each_point(const double* u, int icolu, int icomp, Sampled& s, Fn fn) {
    const int code = profile_walk(cdrprof.NUMPNT, [&](int nel, int npt, const double* xieta) {
        const int nsub = sampling_level(npt);
        NodePoints xnodl;
        int n = 0;
        usfnxy(nel, u, icolu, nsub, icomp, 1, 0, xnodl, s.x, s.y, s.f, SAMPLE_LD, n);
        double px = 0.0, py = 0.0;
        for (int j = 1; j <= npt; ++j) {
            const int i1 = grid_index(xieta[2 * (j - 1)], n);
            const int i2 = grid_index(xieta[2 * (j - 1) + 1], n);
            const int at = (i1 - 1) + (i2 - 1) * SAMPLE_LD;
            const double d = j == 1 ? 0.0 : std::hypot(s.x[at] - px, s.y[at] - py);
            px = s.x[at];
            py = s.y[at];
            fn(j == 1, npt, d, s.f[at]);
        }
    });
    return code == SEARCH_DONE;
}

}  // namespace

//// the walk ////

int profile_walk(int numpnt, const ProfileVisit& visit) {
    int list[kWalkElements], npt[kWalkElements];
    double xieta[2 * kWalkPoints];
    const int p = cprofi.IPCUR;
    if (p < 1 || p > MAXPROF) return SEARCH_DONE;
    for (int e = cprofi.IPFRST(p); e != 0 && cprofi.IPNEXT(e) != 0; e = cprofi.IPNEXT(e)) {
        int iside = cprofi.IPSIDE(e), iflag = 1;
        if (iside < 0) {
            iflag = 2;
            iside = -iside;
        }
        int nmax = kWalkElements;
        const int code =
            search1(cprofi.IPELEM(e), iside, iflag, numpnt, nmax, kWalkPoints, list, npt, xieta);
        if (code != SEARCH_DONE) return code;
        int k = 0;
        for (int i = 0; i < nmax; ++i) {
            visit(list[i], npt[i], xieta + 2 * k);
            k += npt[i];
        }
    }
    return SEARCH_DONE;
}

//// smoothing ////

double smooth(double t) {
    constexpr double kPeak = 1.0833333730697632;  // 13/12 in single precision
    if (t < -2.0) return 0.0;
    if (t < -1.0) return (-1.0 - 0.5 * t) / 12.0;
    if (t < 0.0) return kPeak + 1.125 * t;
    if (t < 1.0) return kPeak - 1.125 * t;
    if (t < 2.0) return (0.5 * t - 1.0) / 12.0;
    return 0.0;
}

double average(double h, int kp, int np, const double* xy) {
    auto x = [xy](int k) { return xy[2 * (k - 1)]; };
    auto y = [xy](int k) { return xy[2 * (k - 1) + 1]; };
    // A piece of length 0 has no width to smooth over.
    if (!(h > 0.0) || x(kp) < 2.0 * h || x(kp) > x(np) - 2.0 * h) return y(kp);
    const double x0 = x(kp);
    double fav = 0.0;
    for (int k = kp;; --k) {
        double dx = (x(k + 1) - x(k)) / 2.0;
        if (k != 1) dx += std::min((x(k) - x(k - 1)) / 2.0, (x(k) - (x0 - 2.0 * h)) / 2.0);
        fav += dx * y(k) * smooth((x(k) - x0) / h);
        if (!(k - 1 >= 1 && std::abs(x(k - 1) - x0) < 2.0 * h)) break;
    }
    for (int k = kp + 1;; ++k) {
        double dx = (x(k) - x(k - 1)) / 2.0;
        if (k != np) dx += std::min((x(k + 1) - x(k)) / 2.0, (x0 + 2.0 * h - x(k)) / 2.0);
        fav += dx * y(k) * smooth((x(k) - x0) / h);
        if (!(k + 1 <= np && std::abs(x(k + 1) - x0) < 2.0 * h)) break;
    }
    return fav / h;
}

//// the plot ////

void drprof(double* u, int icolu, int icomp) {
    if (plot_refused(icomp)) return;
    Options o;
    if (!read_options(o)) return;
    cdrprof.IROUT = 100;
    const int f = o.flip ? 1 : 0;

    // The stores are checked before anything is drawn.
    int points = 0, pieces = 0;
    if (profile_walk(cdrprof.NUMPNT, [&](int, int npt, const double*) {
            points += npt;
            ++pieces;
        }) != SEARCH_DONE)
        return;
    if (points > PROFILE_POINTS || pieces > PROFILE_PIECES) {
        ffldou(0, MSG_ERROR, " PROFILE TOO LONG FOR PLOT STORE");
        return;
    }

    static Sampled s;
    static Store st;
    double dtot = 0.0;
    if (o.zoo) {
        if (!each_point(u, icolu, icomp, s, [&](bool, int, double d, double) { dtot += d; }))
            return;
        write_terminal(fmt::list({"TOTAL LENGTH = ", dtot}));
    }
    const double wlo = dtot * o.z1 - kZooSlack, whi = dtot * o.z2 + kZooSlack;
    auto in_window = [&](double a) { return !o.zoo || (a >= wlo && a <= whi); };

    double arc = 0.0, dzoo = 0.0;
    int kp = 0, nel = 0;
    double& lo = cdrprof.YMINL[f];
    double& hi = cdrprof.YMAXL[f];
    if (!each_point(u, icolu, icomp, s, [&](bool first, int npt, double d, double v) {
            if (first) {
                st.elsize[nel] = 0.0;
                st.npt[nel++] = npt;
            }
            arc += d;
            st.elsize[nel - 1] += d;
            st.xy[2 * kp] = arc;
            st.xy[2 * kp + 1] = v;
            ++kp;
            if (in_window(arc)) {
                dzoo += d;
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }))
        return;
    st.kpmax = kp;
    st.npieces = nel;

    // The frame: value range and arc length, then readable steps.
    double vlo = !o.reset || !o.has_min ? lo : o.vmin;
    double vhi = !o.reset || !o.has_max ? hi : o.vmax;
    if (!(vlo <= vhi)) vlo = vhi = 0.0;  // no value entered the window
    widen_range(vlo, vhi);
    double alo = o.zoo ? dtot * o.z1 : 0.0;
    double ahi = o.zoo ? dtot * o.z1 + dzoo : arc;
    widen_range(alo, ahi);
    double& xmin = o.flip ? vlo : alo;
    double& xmax = o.flip ? vhi : ahi;
    double& ymin = o.flip ? alo : vlo;
    double& ymax = o.flip ? ahi : vhi;
    opscal(ymin, ymax, cdrprof.NLEVELY);
    opscal(xmin, xmax, cdrprof.NLEVELX);
    double tick = 0.0;
    if (!o.flip) {
        const double step = (xmax - xmin) / cdrprof.NLEVELX;
        cdrprof.NLEVELX = static_cast<int>((xmax - xmin) / step + 0.10000000149011612);
        tick = ymin + (ymax - ymin) / kTickPart;
    } else {
        const double step = (ymax - ymin) / cdrprof.NLEVELY;
        cdrprof.NLEVELY = static_cast<int>(ymax / step + 0.10000000149011612);
        ymin = 0.0;
        tick = xmin + (xmax - xmin) / kTickPart;
    }
    cxmin.XMIN = xmin;
    cxmin.XMAX = xmax;
    cxmin.YMIN = ymin;
    cxmin.YMAX = ymax;
    cscale.LAYOUT = 3;
    start1();
    claser.NGRAY = 8;
    if (!o.noscale) xdrsca(std::max(cdrprof.NLEVELX, 1), std::max(cdrprof.NLEVELY, 1));
    mdrtit();

    auto draw = [&](double a1, double v1, double a2, double v2) {
        int icol = 0;
        if (o.flip)
            mline(v1, a1, v2, a2, icol);
        else
            mline(a1, v1, a2, v2, icol);
    };
    auto arc_at = [&](int k) { return st.xy[2 * (k - 1)]; };
    auto value_at = [&](int k) { return st.xy[2 * (k - 1) + 1]; };
    kp = 1;
    for (int piece = 1; piece <= st.npieces; ++piece) {
        const int npt = st.npt[piece - 1];
        for (int j = 1; j <= npt - 1; ++j) {
            double v1 = value_at(kp), v2 = value_at(kp + 1);
            if (o.smooth) {
                double h = st.elsize[piece - 1] * o.factor;
                v1 = average(h, kp, st.kpmax, st.xy);
                // The end of a piece is smoothed with the width of the next.
                if (j == npt - 1) h = st.elsize[std::min(piece + 1, st.npieces) - 1] * o.factor;
                v2 = average(h, kp + 1, st.kpmax, st.xy);
            }
            if (in_window(arc_at(kp))) draw(arc_at(kp), v1, arc_at(kp + 1), v2);
            ++kp;
        }
        const double a = arc_at(kp);
        ++kp;
        int icol = 0;
        if (!o.flip) {
            if (!o.zoo || (a > dtot * o.z1 && a < dtot * o.z2)) mline(a, ymin, a, tick, icol);
        } else {
            mline(xmin, a, tick, a, icol);
        }
    }

    flegen("MIN=", lo);
    flegen("MAX=", hi);
    if (cprofi.PRFNAM(cprofi.IPCUR).blank())
        flegen("PROFILE=", cprofi.IPCUR);
    else
        flegen("PROFILE=" + cprofi.PRFNAM(cprofi.IPCUR).str(), NO_LEGEND_VALUE);
    legend();
    endpl();
}

}  // namespace kavren
