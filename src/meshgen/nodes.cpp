#include "meshgen/nodes.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "meshgen/connect.hpp"
#include "meshgen/curves.hpp"
#include "meshgen/node_tools.hpp"
#include "meshgen/drawings.hpp"
#include "meshgen/tables.hpp"
#include "records/control.hpp"
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/meshgen.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

//// option lists and syntax lines ////

void nodes_options() {
    ffldou(0, MSG_LIST, "VALID OPTIONS ARE");
    ffldou(0, MSG_LIST, " ");
    static const char* const kLines[] = {
        " POINT    GENERATES A POINT         ",    " ARC          \"     POINTS ON AN ARC",
        " ELLIPS       \"       \"     \" ELLIPS", " GRID         \"       \"     \" A GRID",
        " CONNECT  CONNECTS    \"    IN REGION",   " REFLECT  REFLECTS    \"     \"    \"  ",
        " TIE      TIES POINTS IN A REGION   ",    " PLOT     PLOTS EXISTING MODES      ",
        " END   EXIT NODE GENERATION         ",
    };
    for (const char* l : kLines) ffldou(0, MSG_LIST, l);
}

const char* const kPointSyntax =
    "IJ=I,J,{{CS},X0,Y0,{A0}},{{PS},X0,YO,{CCW}}{{XY},XI,YI},{{RT},RI,T},{INQUIRE}";
const char* const kGridSyntax =
    "POINT={4,8},IJ=IMIN,JMIN,IMAX,JMAX,{{CS},X0,Y0,{A0}},{{PS},X0,YO,{CCW}}";

}  // namespace

//// NODES level ////

void rnode(int& iblockn) {
    if (iblockn == 0) {
        reset_node_table();
        cregion();
        csets();
        cprofs();
    }
    enter_level();
    const CommandLevel level{.menu = 2, .help_topic = 6};
    level_loop(level, [&iblockn](int ierr) {
        if (chkfld("POINT", 1)) {
            point(iblockn);
        } else if (chkfld("ARC", 1)) {
            arc(iblockn);
            cgeomtyp.ICTYPE = 0;
        } else if (chkfld("ELLIPSE", 1)) {
            ellips(iblockn);
            cgeomtyp.ICTYPE = 0;
        } else if (chkfld("GRID", 1)) {
            grid(iblockn);
        } else if (chkfld("CONNECT", 1)) {
            connect(iblockn);
        } else if (chkfld("REFLECT", 1)) {
            reflect();
        } else if (chkfld("TIE", 1)) {
            tie();
        } else if (chkfld("PLOT", 1)) {
            graphn(0);
        } else {
            unknown_word(ierr, 1, "*** UNKNOWN OPTION ***", nodes_options);
        }
        return LevelStep::next;
    });
}

//// POINT ////

void point(int& iblockn) {
    LocalSystems ls;
    PointMode unused = PointMode::none;
    enter_level();
    const CommandLevel level{.menu = 31, .help_topic = 31, .after_end = total_nodes_line};
    level_loop(level, [&](int ierr) {
        int nocc = 0, ipos = 0;
        findop("REGION", nocc, ipos);
        if (nocc > 0) {
            int mode = LOOKUP_DEFINE;
            fregion(ipos, mode);
            if (mode != 0) return LevelStep::next;
        }
        nocc = 0;
        findop("IJ", nocc, ipos);
        if (nocc == 0) {
            if (ierr == 0) ffldou(87, MSG_ERROR, "*** OPTION \"IJ\" MISSING ***");
            ffldou(0, MSG_LIST, kPointSyntax);
            return LevelStep::next;
        }
        int ij[2];
        if (!read_bounds(ipos, 2, ij)) {
            refuse(86, "*** I,J BOUNDS NOT FOUND ***", kPointSyntax);
            return LevelStep::next;
        }
        if (!on_grid(ij[0]) || !on_grid(ij[1])) {
            refuse(86, kOffGrid, kPointSyntax);
            return LevelStep::next;
        }
        read_local_systems(ls, unused);
        Scan s = scan_points(ls, ScanRules{});
        int created = 0;
        if (s.count == 1) {
            int node = 0;
            fref(ij[0], ij[1], cregio.IREG, node, 1);
            if (!nodes_fit(1, node == 0 ? 1 : 0)) return LevelStep::next;
            iblockn += 1;
            node = place_node(ij[0], ij[1], created);
            cnodet.XGEN(node) = s.points[0].x;
            cnodet.YGEN(node) = s.points[0].y;
        } else if (s.count == 0 && record_has("INQUIRE")) {
            int node = 0;
            fref(ij[0], ij[1], cregio.IREG, node, 1);
            if (node == 0) {
                ffldou(
                    88, MSG_ERROR,
                    fmt::line("(A18,I3,A,I3,A)", {"** NO NODE AT IJ=(", ij[0], ",", ij[1], ")"}));
            } else {
                ffldou(0, MSG_LIST,
                       fmt::line("(A,I3,A,I3,A7,E14.7,A3,E14.7)",
                                 {"(", ij[0], ",", ij[1], ")    X=", cnodet.XGEN(node),
                                  " Y=", cnodet.YGEN(node)}));
            }
            return LevelStep::next;
        }
        generated_line(created);
        outcom(cinout.LUECHO);
        return LevelStep::next;
    });
}

//// GRID ////

namespace {

// Reads records (menu 4) until one gives exactly four points: the corners
// (offset 0) or the mid-side points (offset 4). False when a replay started.
bool read_control_points(bool mid, LocalSystems& ls, PointMode& last_mode, Arr1<double, 16>& xy) {
    // No END here: every record is read for its points.
    const CommandLevel level{.menu = 4, .help_topic = mid ? 3 : 2, .has_end = false};
    const LevelExit exit = level_loop(level, [&](int) {
        Arr1<double, 16> trial = xy;
        const ScanRules rules{.start = mid ? PointMode::cartesian : last_mode,
                              .ij = true,
                              .curv = mid,
                              .ij_help = mid ? 74 : 72,
                              .xy = &trial,
                              .offset = mid ? 4 : 0,
                              .last_mode = &last_mode};
        Scan s = scan_points(ls, rules);
        if (s.count != 4) {
            ffldou(mid ? 75 : 73, MSG_ERROR,
                   fmt::line("(A5,I3,A24)", {"ONLY ", s.count, " POINTS HAS BEEN DEFINED"}));
            ffldou(0, MSG_LIST,
                   mid ? "FORMAT {XY},XI,YI, {RT},RI,TI, {IJ},I,J  N=5,8"
                       : "FORMAT {XY},XI,YI, {RT},RI,TI, {IJ},I,J  N=1,4");
            return LevelStep::next;
        }
        if (s.bad_centre) {
            ffldou(75, MSG_ERROR, "*** CURV CENTRE LIES AT THE MIDDLE OF ITS SIDE ***");
            ffldou(0, MSG_LIST, "FORMAT {XY},XI,YI, {RT},RI,TI, {IJ},I,J  N=5,8");
            return LevelStep::next;
        }
        xy = trial;
        outcom(cinout.LUECHO);
        return LevelStep::leave;
    });
    return exit == LevelExit::left;
}

}  // namespace

void grid(int& iblockn) {
    LocalSystems ls;
    PointMode last_mode = PointMode::cartesian;
    enter_level();
    const CommandLevel level{.menu = 3, .help_topic = 1, .after_end = total_nodes_line};
    level_loop(level, [&](int) {
        int nocc = 0, ipos = 0;
        findop("REGION", nocc, ipos);
        if (nocc > 0) {
            int mode = LOOKUP_DEFINE;
            fregion(ipos, mode);
            if (mode != 0) return LevelStep::next;
        }
        nocc = 0;
        findop("POINT", nocc, ipos);
        if (nocc == 0) {
            refuse(69, "*** OPTION \"POINT\" MISSING ***", kGridSyntax);
            return LevelStep::next;
        }
        int npt = field_is_number(ipos) ? ifix(iodata.FVALUE(ipos)) : 0;
        if (!field_is_number(ipos) || (iodata.FVALUE(ipos) != 4.0 && iodata.FVALUE(ipos) != 8.0)) {
            refuse(68, "BAD NUMBER OF POINTS, MUST BE =4 OR =8", kGridSyntax);
            return LevelStep::next;
        }
        nocc = 0;
        findop("IJ", nocc, ipos);
        if (nocc == 0) {
            refuse(71, "*** OPTION \"IJ\" MISSING ***", kGridSyntax);
            return LevelStep::next;
        }
        int b[4];
        if (!read_bounds(ipos, 4, b)) {
            refuse(70, "*** I,J BOUNDS NOT FOUND ***", kGridSyntax);
            return LevelStep::next;
        }
        const int imin = b[0], jmin = b[1], imax = b[2], jmax = b[3];
        // The map divides by IMAX-IMIN and JMAX-JMIN.
        if (imin == imax || jmin == jmax) {
            refuse(70, "*** IMIN=IMAX OR JMIN=JMAX: A GRID NEEDS TWO LINES EACH WAY ***",
                   kGridSyntax);
            return LevelStep::next;
        }
        // The bounds may be anything a record gives: the grid's size is
        // measured in 64 bits against the table before anything else.
        const long long ni = static_cast<long long>(imax) - imin + 1;
        const long long nj = static_cast<long long>(jmax) - jmin + 1;
        const long long points =
            ni > 0 && nj > 0 ? std::min(ni, 1LL + MAXGNOD) * std::min(nj, 1LL + MAXGNOD) : 0;
        if (points > free_slots()) {
            table_full("GENERATOR SLOTS", MAXGNOD);
            return LevelStep::next;
        }
        if (!on_grid(imin) || !on_grid(jmin) || !on_grid(imax) || !on_grid(jmax)) {
            refuse(70, kOffGrid, kGridSyntax);
            return LevelStep::next;
        }
        int fresh = 0;
        for (int l = jmin; l <= jmax; ++l)
            for (int k = imin; k <= imax; ++k) {
                int node = 0;
                fref(k, l, cregio.IREG, node, 1);
                if (node == 0) ++fresh;
            }
        if (!nodes_fit(points, fresh)) return LevelStep::next;
        read_local_systems(ls, last_mode);
        outcom(cinout.LUECHO);

        Arr1<double, 16> xy;
        // A replay begun while the points are read ends the level.
        if (!read_control_points(false, ls, last_mode, xy)) return LevelStep::next;
        if (npt == 8 && !read_control_points(true, ls, last_mode, xy)) return LevelStep::next;

        iblockn += 1;
        const double dxi = 2.0 / (imax - imin), deta = 2.0 / (jmax - jmin);
        int created = 0;
        for (int l = jmin; l <= jmax; ++l) {
            for (int k = imin; k <= imax; ++k) {
                double xi = -1.0 + (k - imin) * dxi, eta = -1.0 + (l - jmin) * deta;
                int node = place_node(k, l, created);
                shape(npt, xi, eta);
                double x = 0.0, y = 0.0;
                for (int m = 1; m <= npt; ++m) {
                    x += shp.SHP(m) * xy(m);
                    y += shp.SHP(m) * xy(m + 8);
                }
                cnodet.XGEN(node) = x;
                cnodet.YGEN(node) = y;
            }
        }
        generated_line(created);
        return LevelStep::next;
    });
}

//// map helpers ////

void shape(int npt, double xi, double eta) {
    Arr1<double, 10>& s = shp.SHP;
    if (npt == 4) {
        s(1) = (xi - 1.0) * (eta - 1.0) / 4.0;
        s(2) = -(1.0 + xi) * (eta - 1.0) / 4.0;
        s(3) = (1.0 + xi) * (1.0 + eta) / 4.0;
        s(4) = -(xi - 1.0) * (1.0 + eta) / 4.0;
        return;
    }
    s(1) = -(xi - 1.0) * (eta - 1.0) * (xi + eta + 1.0) / 4.0;
    s(2) = (1.0 + xi) * (eta - 1.0) * (eta - xi + 1.0) / 4.0;
    s(3) = (xi + eta - 1.0) * (1.0 + xi) * (1.0 + eta) / 4.0;
    s(4) = -(eta - xi - 1.0) * (xi - 1.0) * (1.0 + eta) / 4.0;
    s(5) = (1.0 + xi) * (xi - 1.0) * (eta - 1.0) / 2.0;
    s(6) = -(1.0 + xi) * (1.0 + eta) * (eta - 1.0) / 2.0;
    s(7) = -(1.0 + xi) * (xi - 1.0) * (1.0 + eta) / 2.0;
    s(8) = (xi - 1.0) * (1.0 + eta) * (eta - 1.0) / 2.0;
}

bool cercle(int k, int ic, double x, double y, Arr1<double, 16>& xy) {
    if (ic == 1) {
        xy(k + 4) = x;
        xy(k + 12) = y;
        return true;
    }
    int k2 = k % 4 + 1;
    double mx = (xy(k) + xy(k2)) / 2.0, my = (xy(k + 8) + xy(k2 + 8)) / 2.0;
    double dm = std::hypot(mx - x, my - y);
    if (dm == 0.0) return false;
    double rk = std::hypot(xy(k) - x, xy(k + 8) - y);
    xy(k + 4) = x + (mx - x) * rk / dm;
    xy(k + 12) = y + (my - y) * rk / dm;
    return true;
}

void polar(double x, double y, double& r, double& t) {
    r = std::sqrt(x * x + y * y);
    if (r == 0.0) {
        t = 0.0;
        return;
    }
    if (x != 0.0) {
        t = y != 0.0 ? std::atan(y / x) : 0.0;
        if (x < 0.0) t += GEN_PI;
        return;
    }
    t = y < 0.0 ? 4.71238911151886 : 1.5707963705062866;
}

}  // namespace kavren
