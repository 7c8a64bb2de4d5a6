#include "meshgen/nodes.hpp"

#include <cmath>
#include <string>

#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "meshgen/stubs.hpp"
#include "meshgen/tables.hpp"
#include "records/control.hpp"
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/meshgen.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

//// local systems and point records ////

// The local Cartesian system CS and polar system PS of one visit of the POINT
// or GRID level.
struct LocalSystems {
    double x0 = 0.0, y0 = 0.0, a0 = 0.0;  // CS origin and rotation (radians)
    double px = 0.0, py = 0.0, s = 1.0;   // PS pole and sense (+1 counter-clockwise)
};

// How the numbers of a point record are read.
enum class PointMode { none, cartesian, polar, ij };

struct Point {
    double x = 0.0, y = 0.0;
};

Point cartesian_point(const LocalSystems& ls, double x, double y) {
    if (ls.a0 == 0.0) return {ls.x0 + x, ls.y0 + y};
    double r = 0.0, t = 0.0;
    polar(x, y, r, t);
    return {ls.x0 + r * std::cos(t + ls.a0), ls.y0 + r * std::sin(t + ls.a0)};
}

Point polar_point(const LocalSystems& ls, double r, double t_degrees) {
    double t = t_degrees * GEN_PI / 180.0 * ls.s;
    return {ls.px + r * std::cos(t), ls.py + r * std::sin(t)};
}

bool is_number(int k) {
    return k >= 1 && k <= NFIELD_SLOTS && iodati.ITYPE(k) == FT_NUMBER;
}

// CS=X0,Y0{,A0} and PS=X0,Y0 with CW or CCW anywhere in the record. mode
// becomes the point mode each sets (PS last, so it wins).
void read_local_systems(LocalSystems& ls, PointMode& mode) {
    int nocc = 0, ipos = 0;
    findop("CS", nocc, ipos);
    if (nocc > 0) {
        if (is_number(ipos) && is_number(ipos + 1)) {
            ls.x0 = iodata.FVALUE(ipos);
            ls.y0 = iodata.FVALUE(ipos + 1);
            if (is_number(ipos + 2)) ls.a0 = iodata.FVALUE(ipos + 2) * GEN_PI / 180.0;
        }
        mode = PointMode::cartesian;
    }
    nocc = 0;
    findop("PS", nocc, ipos);
    if (nocc > 0) {
        if (is_number(ipos) && is_number(ipos + 1)) {
            ls.px = iodata.FVALUE(ipos);
            ls.py = iodata.FVALUE(ipos + 1);
        }
        ls.s = 1.0;
        int ncw = 0, nccw = 0, p = 0;
        findop("CW", ncw, p);
        if (ncw > 0) ls.s = -1.0;
        findop("CCW", nccw, p);
        if (nccw > 0) ls.s = 1.0;
        mode = PointMode::polar;
    }
}

// What the point scanner of a record found.
struct Scan {
    int count = 0;            // points counted
    Point first;              // the first point
    bool bad_centre = false;  // a CURV centre at the midpoint of its side
};

// Reads the points of the current record's fields in the order given. The
// words XY, RT and (with ij) IJ start Cartesian, polar and node-look-up pairs;
// with curv the word CURV makes the Cartesian pairs after it circle centres of
// the mid-side points. Any other word ends the pairs until the next keyword.
// Counted points k = 1..4 go to xy at k + offset (x) and k + offset + 8 (y).
// last_mode, when given, follows the keywords met.
Scan scan_points(PointMode mode, const LocalSystems& ls, bool ij, bool curv, int ij_help,
                 Arr1<double, 16>* xy, int offset, PointMode* last_mode) {
    Scan r;
    bool centre = false, half = false;
    double a = 0.0;
    for (int k = 1; k <= iodati.NFIELD; ++k) {
        if (iodati.ITYPE(k) == FT_WORD) {
            half = false;
            const Word8& w = iodatc.FWORD(k);
            PointMode next = PointMode::none;
            bool keyword = true;
            centre = false;
            if (w == Word8("XY")) {
                next = PointMode::cartesian;
            } else if (w == Word8("RT")) {
                next = PointMode::polar;
            } else if (ij && w == Word8("IJ")) {
                next = PointMode::ij;
            } else if (curv && w == Word8("CURV")) {
                next = PointMode::cartesian;
                centre = true;
            } else {
                keyword = false;
            }
            mode = next;
            if (keyword && last_mode != nullptr && !centre) *last_mode = next;
            continue;
        }
        if (iodati.ITYPE(k) != FT_NUMBER || mode == PointMode::none) continue;
        if (!half) {
            a = iodata.FVALUE(k);
            half = true;
            continue;
        }
        half = false;
        double b = iodata.FVALUE(k);
        Point p;
        if (mode == PointMode::cartesian) {
            p = cartesian_point(ls, a, b);
        } else if (mode == PointMode::polar) {
            p = polar_point(ls, a, b);
        } else {
            int node = 0;
            fref(ifix(a), ifix(b), cregio.IREG, node, 1);
            if (node == 0) {
                ffldou(ij_help, MSG_ERROR, "** UNABLE TO FIND IJ COORDINATES **");
                continue;
            }
            p = {cnodet.XGEN(node), cnodet.YGEN(node)};
        }
        r.count += 1;
        if (r.count == 1) r.first = p;
        if (xy == nullptr || r.count > 4) continue;
        if (centre) {
            if (!cercle(r.count, 2, p.x, p.y, *xy)) r.bad_centre = true;
        } else {
            (*xy)(r.count + offset) = p.x;
            (*xy)(r.count + offset + 8) = p.y;
        }
    }
    return r;
}

void total_nodes_line() {
    ffldou(0, MSG_LIST, fmt::line("(A24,I4)", {"TOTAL NUMBER OF NODES = ", ccon.NNODG}));
}

void generated_line(int n) {
    ffldou(0, MSG_LIST, fmt::line("(A27,I4)", {"NUMBER OF NODES GENERATED :", n}));
}

// The node at (i, j) of the current region, a new number when there is none;
// registered there (another slot for an existing node).
int place_node(int i, int j, int& created) {
    int node = 0;
    fref(i, j, cregio.IREG, node, 1);
    if (node == 0) {
        node = ++ccon.NNODG;
        created += 1;
    }
    fref(i, j, cregio.IREG, node, 2);
    return node;
}

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

void refuse(int help, const std::string& text, const char* syntax) {
    ffldou(help, MSG_ERROR, text);
    ffldou(0, MSG_LIST, syntax);
}

// Refuses a command whose new nodes or slots would not fit the node table.
bool nodes_fit(int slots, int new_nodes) {
    if (slots > free_slots()) {
        table_full("GENERATOR SLOTS", MAXGNOD);
        return false;
    }
    if (ccon.NNODG + new_nodes > MAXGNOD) {
        table_full("GENERATOR NODES", MAXGNOD);
        return false;
    }
    return true;
}

bool record_has(const char* word) {
    int nocc = 0, ipos = 0;
    findop(word, nocc, ipos);
    return nocc > 0;
}

bool read_bounds(int ipos, int n, int* v) {
    for (int i = 0; i < n; ++i) {
        if (!is_number(ipos + i)) return false;
        v[i] = ifix(iodata.FVALUE(ipos + i));
    }
    return true;
}

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
        read_local_systems(ls, unused);
        Scan s = scan_points(PointMode::none, ls, false, false, 0, nullptr, 0, nullptr);
        int created = 0;
        if (s.count == 1) {
            int node = 0;
            fref(ij[0], ij[1], cregio.IREG, node, 1);
            if (!nodes_fit(1, node == 0 ? 1 : 0)) return LevelStep::next;
            iblockn += 1;
            node = place_node(ij[0], ij[1], created);
            cnodet.XGEN(node) = s.first.x;
            cnodet.YGEN(node) = s.first.y;
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
        Scan s = mid ? scan_points(PointMode::cartesian, ls, true, true, 74, &trial, 4, &last_mode)
                     : scan_points(last_mode, ls, true, false, 72, &trial, 0, &last_mode);
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
        int npt = is_number(ipos) ? ifix(iodata.FVALUE(ipos)) : 0;
        if (!is_number(ipos) || (iodata.FVALUE(ipos) != 4.0 && iodata.FVALUE(ipos) != 8.0)) {
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
        long points =
            imax > imin && jmax > jmin ? static_cast<long>(imax - imin + 1) * (jmax - jmin + 1) : 0;
        if (points > free_slots()) {
            table_full("GENERATOR SLOTS", MAXGNOD);
            return LevelStep::next;
        }
        int fresh = 0;
        for (int l = jmin; l <= jmax; ++l)
            for (int k = imin; k <= imax; ++k) {
                int node = 0;
                fref(k, l, cregio.IREG, node, 1);
                if (node == 0) ++fresh;
            }
        if (!nodes_fit(static_cast<int>(points), fresh)) return LevelStep::next;
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
