#include "meshgen/curves.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "control/utility.hpp"
#include "hpmesh/spline.hpp"
#include "meshgen/node_tools.hpp"
#include "meshgen/nodes.hpp"
#include "meshgen/tables.hpp"
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/meshgen.hpp"
#include "support/format.hpp"
#include "support/item_reader.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

const char* const kArcSyntax =
    "POINT={1,N},IJ=IMIN,JMIN,IMAX,JMAX,{{CS},X0,Y0,{A0}},{{PS},X0,YO,{CCW}}";
const char* const kEllipseSyntax =
    "IJ=IMIN,JMIN,IMAX,JMAX,ANGLE=AMIN,AMAX,RADII=RMIN,RMAX,{CENTER=XO,YO,A}";

constexpr int ARC_HELP = 28;
constexpr int ELLIPSE_HELP = 33;

// A grid line of the current region: the first end, the number of intervals
// n and whether the running index is I.
struct GridLine {
    int imin = 0, jmin = 0, imax = 0, jmax = 0;
    int n = 0;
    bool along_i = false;
    // Grid point p (1..n+1) of the line.
    int i_at(int p) const { return along_i ? imin + p - 1 : imin; }
    int j_at(int p) const { return along_i ? jmin : jmin + p - 1; }
};

// IJ=IMIN,JMIN,IMAX,JMAX of a line of at least one interval. False after the
// refusal.
bool read_grid_line(GridLine& g, int help, const char* syntax) {
    int nocc = 0, ipos = 0;
    findop("IJ", nocc, ipos);
    if (nocc == 0) {
        refuse(help, "*** OPTION \"IJ\" MISSING ***", syntax);
        return false;
    }
    int b[4];
    if (!read_bounds(ipos, 4, b)) {
        refuse(help, "*** I,J BOUNDS NOT FOUND ***", syntax);
        return false;
    }
    g = GridLine{b[0], b[1], b[2], b[3]};
    // One position is no line: the spacing would divide by zero.
    if ((g.imax != g.imin && g.jmax != g.jmin) || (g.imax == g.imin && g.jmax == g.jmin)) {
        refuse(help, "** IJ DOES NOT DEFINE A LINE **", syntax);
        return false;
    }
    for (int v : b)
        if (!on_grid(v)) {
            refuse(help, kOffGrid, syntax);
            return false;
        }
    g.along_i = g.imax != g.imin;
    g.n = (g.imax - g.imin) + (g.jmax - g.jmin);
    return true;
}

// The slots and new node numbers a line needs.
bool line_fits(const GridLine& g) {
    if (g.n < 0) return true;  // refused later, placing nothing
    int fresh = 0;
    for (int p = 1; p <= g.n + 1; ++p) {
        int node = 0;
        fref(g.i_at(p), g.j_at(p), cregio.IREG, node, 1);
        if (node == 0) ++fresh;
    }
    return nodes_fit(g.n + 1, fresh);
}

// A line given from the higher to the lower index places nothing.
bool line_descends(const GridLine& g) {
    if (g.n >= 0) return false;
    ffldou(0, MSG_ERROR, "** INVALID IMIN,JMIN,IMAX,JMAX  **");
    ffldou(0, MSG_LIST, "**NO POINTS HAVE BEEN GENERATED **");
    return true;
}

// Room for one more curve record of `values` entries.
bool curve_fits(int values) {
    if (cgeomtyp.NCURV >= MAXCURV) {
        table_full("CURVES", MAXCURV);
        return false;
    }
    if (cgeomtyp.NXTGEO + values - 1 > MAXGEOM) {
        table_full("CURVE VALUES", MAXGEOM);
        return false;
    }
    return true;
}

//// ARC ////

// What a visit of the ARC level keeps between records.
struct ArcState {
    LocalSystems ls;
    PointMode mode = PointMode::cartesian;
};

// Reads point records (menu 4) until one gives exactly n points. False when
// a replay started.
bool read_arc_points(ArcState& st, int n, SplineColumns& pts) {
    const CommandLevel level{.menu = 4, .help_topic = 2, .has_end = false};
    const LevelExit exit = level_loop(level, [&](int) {
        const ScanRules rules{.start = st.mode,
                              .ij = true,
                              .keep_mode_on_words = true,
                              .ij_help = ARC_HELP,
                              .last_mode = &st.mode};
        const Scan s = scan_points(st.ls, rules);
        if (s.count != n) {
            ffldou(ARC_HELP, MSG_ERROR,
                   fmt::line("(A5,I3,A24)", {"ONLY ", s.count, " POINTS HAS BEEN DEFINED"}));
            ffldou(0, MSG_LIST, "FORMAT {XY},XI,YI, {RT},RI,TI, {IJ},I,J  N=1,4");
            return LevelStep::next;
        }
        for (int i = 1; i <= n; ++i) {
            pts(i) = s.points[i - 1].x;
            pts(MAXSPLPT + i) = s.points[i - 1].y;
        }
        return LevelStep::leave;
    });
    return exit == LevelExit::left;
}

// POINT=N of an ARC record: its value, or 0 after the refusal.
int point_count() {
    int nocc = 0, ipos = 0;
    findop("POINT", nocc, ipos);
    if (nocc == 0) {
        refuse(ARC_HELP, "*** OPTION \"POINT\" MISSING ***", kArcSyntax);
        return 0;
    }
    if (!field_is_number(ipos) || iodata.FVALUE(ipos) < 0.0) {
        refuse(ARC_HELP, "BAD NUMBER OF POINTS, MUST BE >=1", kArcSyntax);
        return 0;
    }
    // One point would put every node at (0, 0).
    if (iodata.FVALUE(ipos) < 2.0) {
        refuse(ARC_HELP, "BAD NUMBER OF POINTS, MUST BE >=2", kArcSyntax);
        return 0;
    }
    if (iodata.FVALUE(ipos) > MAXSPLUSE) {
        table_full("SPLINE POINTS", MAXSPLUSE);
        return 0;
    }
    return static_cast<int>(iodata.FVALUE(ipos));
}

void arc_record(ArcState& st, int& iblockn) {
    if (!region_option()) return;
    double q = 0.0;
    const bool geo = geoprog_option(q);
    read_local_systems(st.ls, st.mode);
    SplineColumns pts;
    int npts = 0, flag = 0;
    int nocc = 0, ipos = 0;
    findop("FILE", nocc, ipos);
    if (nocc > 0) {
        if (ipos <= NFIELD_SLOTS && iodati.ITYPE(ipos) == FT_WORD) {
            splinef(ipos, npts, pts, st.ls.x0, st.ls.y0, st.ls.a0, flag);
            if (flag < 0) return;
        } else {
            ffldou(ARC_HELP, MSG_ERROR, " FILE NAME UNREADABLE");
        }
    }
    GridLine g;
    if (!read_grid_line(g, ARC_HELP, kArcSyntax)) return;
    if (flag != 1) {
        npts = point_count();
        if (npts == 0) return;
    }
    // Everything the record will store must fit before anything changes.
    if (npts > 2 && !curve_fits(2 * npts + 1)) return;
    if (!line_fits(g)) return;
    if (flag != 1) {
        outcom(cinout.LUECHO);
        if (!read_arc_points(st, npts, pts)) return;
    }
    const int kord = npts > 2 ? 3 : 2;
    SplineColumns coef;
    double tlen = 0.0;
    if (prepare(npts, kord, tlen, pts, coef) != 0) {
        refuse(ARC_HELP, "** UNABLE TO DEFINE SPLINE THROUGH THESE POINTS **", kArcSyntax);
        return;
    }
    iblockn += 1;
    if (line_descends(g)) return;
    cgeomtyp.ICTYPE = 0;
    if (npts > 2) {
        cgeomtyp.ICTYPE = 2;
        cgeomtyp.NCURV += 1;
        geomtyp(npts, MAXSPLPT, &pts(1));
    }
    int created = 0;
    for (int p = 1; p <= g.n + 1; ++p) {
        const double t = tlen * progression(p - 1, g.n, geo, q);
        const int node = place_node(g.i_at(p), g.j_at(p), created);
        bspline(npts, kord, t, cnodet.XGEN(node), cnodet.YGEN(node), coef);
    }
    generated_line(created);
    outcom(cinout.LUECHO);
}

//// ELLIPSE ////

// What a visit of the ELLIPSE level keeps between records: the centre and
// rotation of CS and the ellipse stored last.
struct EllipseState {
    double xc = 0.0, yc = 0.0, rot = 0.0;
    double last[5] = {0.0, 0.0, 0.0, 0.0, 0.0};
};

// Two numbers after option word; false after the refusal.
bool read_pair(const char* word, const char* missing, const char* unreadable, double* v) {
    int nocc = 0, ipos = 0;
    findop(word, nocc, ipos);
    if (nocc == 0) {
        refuse(ELLIPSE_HELP, missing, kEllipseSyntax);
        return false;
    }
    if (!field_is_number(ipos) || !field_is_number(ipos + 1)) {
        refuse(ELLIPSE_HELP, unreadable, kEllipseSyntax);
        return false;
    }
    v[0] = iodata.FVALUE(ipos);
    v[1] = iodata.FVALUE(ipos + 1);
    return true;
}

void ellipse_record(EllipseState& st, int& iblockn) {
    if (!region_option()) return;
    double angle[2], radii[2];
    if (!read_pair("ANGLE", "*** OPTION \"ANGLE\" MISSING ***", "*** ANGLE BOUNDS NOT FOUND ***",
                   angle))
        return;
    if (!read_pair("RADII", "*** OPTION \"RADII\" MISSING ***", "*** ELLIPS RADII NOT FOUND ***",
                   radii))
        return;
    // The curved placement of the refinement divides by the radii.
    if (!(radii[0] > 0.0) || !(radii[1] > 0.0)) {
        refuse(ELLIPSE_HELP, "*** ELLIPS RADII MUST BE POSITIVE ***", kEllipseSyntax);
        return;
    }
    GridLine g;
    if (!read_grid_line(g, ELLIPSE_HELP, kEllipseSyntax)) return;
    int nocc = 0, ipos = 0;
    findop("CS", nocc, ipos);
    if (nocc > 0 && field_is_number(ipos) && field_is_number(ipos + 1)) {
        st.xc = iodata.FVALUE(ipos);
        st.yc = iodata.FVALUE(ipos + 1);
        if (field_is_number(ipos + 2)) st.rot = iodata.FVALUE(ipos + 2) * GEN_PI / 180.0;
    }
    const double rec[5] = {radii[0], radii[1], st.xc, st.yc, st.rot};
    const bool fresh = !std::equal(rec, rec + 5, st.last);
    if (fresh && g.n >= 0 && !curve_fits(5)) return;
    if (!line_fits(g)) return;
    iblockn += 1;
    if (line_descends(g)) return;
    if (fresh) {
        std::copy(rec, rec + 5, st.last);
        cgeomtyp.ICTYPE = 1;
        cgeomtyp.NCURV += 1;
        geomtyp(0, 0, rec);
    }
    const double amin = angle[0] * GEN_PI / 180.0, amax = angle[1] * GEN_PI / 180.0;
    const double cr = std::cos(st.rot), sr = std::sin(st.rot);
    int created = 0;
    for (int p = 1; p <= g.n + 1; ++p) {
        const double t = amin + (p - 1) * (amax - amin) / g.n;
        const int node = place_node(g.i_at(p), g.j_at(p), created);
        const double ct = radii[0] * std::cos(t), st_ = radii[1] * std::sin(t);
        cnodet.XGEN(node) = st.xc + ct * cr - st_ * sr;
        cnodet.YGEN(node) = st.yc + ct * sr + st_ * cr;
    }
    generated_line(created);
    outcom(cinout.LUECHO);
}

}  // namespace

//// levels ////

void arc(int& iblockn) {
    ArcState st;
    enter_level();
    const CommandLevel level{
        .menu = ARC_HELP, .help_topic = ARC_HELP, .after_end = total_nodes_line};
    level_loop(level, [&](int) {
        arc_record(st, iblockn);
        return LevelStep::next;
    });
}

void ellips(int& iblockn) {
    EllipseState st;
    enter_level();
    const CommandLevel level{
        .menu = ELLIPSE_HELP, .help_topic = ELLIPSE_HELP, .after_end = total_nodes_line};
    level_loop(level, [&](int) {
        ellipse_record(st, iblockn);
        return LevelStep::next;
    });
}

//// curve records and the point file ////

void geomtyp(int n, int l, const double* data) {
    const int c = cgeomtyp.NCURV, at = cgeomtyp.NXTGEO;
    if (cgeomtyp.ICTYPE == 1) {
        cgeomtyp.IPGEOM(c) = at;
        cgeomtyp.NPGEOM(c) = -5;
        for (int i = 0; i < 5; ++i) cgeomtyp.GEOM(at + i) = data[i];
        cgeomtyp.NXTGEO += 5;
    } else if (cgeomtyp.ICTYPE == 2) {
        cgeomtyp.IPGEOM(c) = at;
        cgeomtyp.NPGEOM(c) = n;
        cgeomtyp.GEOM(at) = 3.0;
        for (int i = 1; i <= n; ++i) {
            cgeomtyp.GEOM(at + 2 * i - 1) = data[i - 1];
            cgeomtyp.GEOM(at + 2 * i) = data[l + i - 1];
        }
        cgeomtyp.NXTGEO += 2 * n + 1;
    }
}

void splinef(int ipos, int& n, SplineColumns& pts, double x0, double y0, double a0, int& flag) {
    flag = 0;
    std::string name = iodatc.FWORD(ipos).trimmed();
    lower(name);
    std::vector<std::string> lines;
    if (units::open_text(LUGRID, "data/" + name, units::Open::existing)) {
        std::string line;
        while (units::read_line(LUGRID, line) == units::Status::ok) lines.push_back(line);
        units::close(LUGRID);
    }
    ItemReader in(std::move(lines));
    std::vector<std::string> v;
    int count = 0;
    if (!in.item(1, v) || !to_int(v[0], count) || count < 2) {
        ffldou(ARC_HELP, MSG_ERROR, " ERROR READING FILE");
        return;
    }
    if (count > MAXSPLPT) {
        table_full("POINTS IN A POINT FILE", MAXSPLPT);
        flag = -1;
        return;
    }
    if (count > MAXSPLUSE) {
        table_full("SPLINE POINTS", MAXSPLUSE);
        flag = -1;
        return;
    }
    const double ca = std::cos(a0), sa = std::sin(a0);
    SplineColumns read;
    for (int i = 1; i <= count; ++i) {
        double x = 0.0, y = 0.0;
        if (!in.item(2, v) || !fmt::read_number(v[0], x) || !fmt::read_number(v[1], y)) {
            ffldou(ARC_HELP, MSG_ERROR, " ERROR READING FILE");
            return;
        }
        read(i) = x0 + x * ca - y * sa;
        read(MAXSPLPT + i) = y0 + x * sa + y * ca;
    }
    pts = read;
    n = count;
    flag = 1;
}

}  // namespace kavren
