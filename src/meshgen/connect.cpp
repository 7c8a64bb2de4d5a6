#include "meshgen/connect.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "meshgen/node_tools.hpp"
#include "meshgen/nodes.hpp"
#include "meshgen/tables.hpp"
#include "records/io.hpp"
#include "records/meshgen.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

const char* const kConnectSyntax = "IJ=IMIN,JMIN,IMAX,JMAX,{N=N},{INC=I},{POLAR=X,Y}";
const char* const kReflectSyntax =
    "IJ=IMIN,JMIN,IMAX,JMAX,{FROM=REGNAME},{SIDE={1:4},{LINE=X,Y,A,IB,JB,IE,JE}}";
const char* const kTieSyntax =
    "IJ=IMIN,JMIN,IMAX,JMAX,{REGION=REGNAME},TO,IMIT,JMIT,IMAT,JMAT,{FROM=REGNAME}";

constexpr int CONNECT_HELP = 26;
constexpr int REFLECT_HELP = 27;
constexpr int TIE_HELP = 32;

int sign(int v) {
    return (v > 0) - (v < 0);
}

int node_at(int i, int j, int region) {
    int node = 0;
    fref(i, j, region, node, 1);
    return node;
}

// The number after option word, when the field is a number.
bool number_option(const char* word, double& v) {
    int nocc = 0, ipos = 0;
    findop(word, nocc, ipos);
    if (nocc == 0 || !field_is_number(ipos)) return false;
    v = iodata.FVALUE(ipos);
    return true;
}

// "**  NODE DOES NOT EXIT **" and the grid point that holds no node.
void missing_node(int i, int j, int region) {
    ffldou(0, MSG_ERROR, "**  NODE DOES NOT EXIT **");
    ffldou(0, MSG_LIST,
           fmt::line("(A6,I3,A3,I3,A8,I3)", {"**  I=", i, " J=", j, " REGION=", region}));
}

// How a record without IJ is dropped once the input has ended.
enum class AtEnd { error, syntax_only, silent };

// IJ= with four numbers. False after the refusal: the IJ-missing error and
// the syntax line, or at the end of the input (ended) what at_end says.
bool read_ij(int help, const char* syntax, bool ended, AtEnd at_end, int* b) {
    int nocc = 0, ipos = 0;
    findop("IJ", nocc, ipos);
    if (nocc == 0) {
        if (ended && at_end == AtEnd::silent) return false;
        if (!ended || at_end == AtEnd::error)
            ffldou(help, MSG_ERROR, "*** OPTION \"IJ\" MISSING ***");
        ffldou(0, MSG_LIST, syntax);
        return false;
    }
    if (!read_bounds(ipos, 4, b)) {
        refuse(help, "*** I,J BOUNDS NOT FOUND ***", syntax);
        return false;
    }
    return true;
}

// FROM= selects the source region; IFROM is the current region without it.
bool from_option() {
    cregio.IFROM = cregio.IREG;
    int nocc = 0, ipos = 0;
    findop("FROM", nocc, ipos);
    if (nocc == 0) return true;
    int mode = LOOKUP_SECOND;
    fregion(ipos, mode);
    return mode == 0;
}

//// CONNECT ////

// The two ends of line `line` of a CONNECT record and its running index.
struct ConnectLine {
    int s = 0, e = 0;      // the running index from s to e
    int fixed = 0;         // the constant index
    bool along_j = false;  // the running index is J
    int i_at(int m) const { return along_j ? fixed : m; }
    int j_at(int m) const { return along_j ? m : fixed; }
};

void connect_record(int& iblockn) {
    if (!region_option()) return;
    int b[4];
    if (!read_ij(CONNECT_HELP, kConnectSyntax, false, AtEnd::error, b)) return;
    const int imin = b[0], jmin = b[1], imax = b[2], jmax = b[3];
    const int di = imax - imin, dj = jmax - jmin;
    if (di != 0 && dj != 0) {
        refuse(CONNECT_HELP, "**IJ DOES NOT DEFINE A LINE", kConnectSyntax);
        return;
    }
    if (di + dj == 1) {
        refuse(CONNECT_HELP, "** CAN NOT CONNECT TWO NEIGBOR POINTS", kConnectSyntax);
        return;
    }
    int nocc = 0, ipos = 0;
    findop("POLAR", nocc, ipos);
    const bool polar = nocc > 0 && field_is_number(ipos) && field_is_number(ipos + 1);
    const double xp = polar ? iodata.FVALUE(ipos) : 0.0, yp = polar ? iodata.FVALUE(ipos + 1) : 0.0;
    double v = 0.0;
    long long nline = 1, inc = 1;
    if (number_option("NLINE", v)) nline = v < 0.0 ? 1 : static_cast<long long>(std::min(v, 1e6));
    if (number_option("INC", v)) inc = v < 0.0 ? 1 : static_cast<long long>(std::min(v, 1e6));
    // The same line again changes nothing.
    if (inc == 0) nline = std::min(nline, 1LL);
    double q = 0.0;
    const bool geo = geoprog_option(q);

    auto line_of = [&](long long i) {
        ConnectLine l;
        l.along_j = di == 0;
        const long long fixed = (l.along_j ? imin : jmin) + (i - 1) * inc;
        l.fixed = static_cast<int>(std::clamp(fixed, -1LL, MAXGRID + 1LL));
        l.s = l.along_j ? jmin : imin;
        l.e = l.along_j ? jmax : imax;
        return l;
    };
    // Every line lies on the grid, and the nodes it may create fit the table.
    long long slots = 0, fresh = 0;
    for (long long i = 1; i <= nline; ++i) {
        const ConnectLine l = line_of(i);
        if (!on_grid(l.fixed) || !on_grid(l.s) || !on_grid(l.e)) {
            refuse(CONNECT_HELP, kOffGrid, kConnectSyntax);
            return;
        }
        for (int m = l.s + 1; m <= l.e - 1; ++m) {
            ++slots;
            if (node_at(l.i_at(m), l.j_at(m), cregio.IREG) == 0) ++fresh;
        }
    }
    if (!nodes_fit(slots, fresh)) return;

    iblockn += 1;
    const int before = ccon.NNODG;
    for (long long i = 1; i <= nline; ++i) {
        const ConnectLine l = line_of(i);
        const int n1 = node_at(l.i_at(l.s), l.j_at(l.s), cregio.IREG);
        const int n2 = node_at(l.i_at(l.e), l.j_at(l.e), cregio.IREG);
        if (n1 == 0 || n2 == 0) {
            const int m = n2 == 0 ? l.e : l.s;
            ffldou(
                0, MSG_ERROR,
                fmt::line("(A8,I3,A,I3,A9,I2,A15)", {"** NODE(", l.i_at(m), ",", l.j_at(m),
                                                     ") REGION ", cregio.IREG, " DOES NOT EXIST"}));
            return;
        }
        const double x1 = cnodet.XGEN(n1), y1 = cnodet.YGEN(n1);
        const double x2 = cnodet.XGEN(n2), y2 = cnodet.YGEN(n2);
        // POLAR: angle and distance about the centre, the angle the shorter
        // way round.
        const double r1 = std::hypot(x1 - xp, y1 - yp), r2 = std::hypot(x2 - xp, y2 - yp);
        const double t1 = std::atan2(y1 - yp, x1 - xp);
        double dt = std::atan2(y2 - yp, x2 - xp) - t1;
        if (dt > M_PI) dt -= 2.0 * M_PI;
        if (dt < -M_PI) dt += 2.0 * M_PI;
        int created = 0;
        for (int m = l.s + 1; m <= l.e - 1; ++m) {
            const int node = place_node(l.i_at(m), l.j_at(m), created);
            const double f = progression(m - l.s, l.e - l.s, geo, q);
            if (polar) {
                const double r = r1 + f * (r2 - r1), t = t1 + f * dt;
                cnodet.XGEN(node) = xp + r * std::cos(t);
                cnodet.YGEN(node) = yp + r * std::sin(t);
            } else {
                cnodet.XGEN(node) = x1 + f * (x2 - x1);
                cnodet.YGEN(node) = y1 + f * (y2 - y1);
            }
        }
    }
    generated_line(ccon.NNODG - before);
    outcom(cinout.LUECHO);
}

//// REFLECT ////

void reflect_record(int ierr) {
    if (!region_option()) return;
    int nocc = 0, ipos = 0;
    int side = 0;
    findop("SIDE", nocc, ipos);
    if (nocc > 0) {
        if (!field_is_number(ipos)) {
            ffldou(REFLECT_HELP, MSG_ERROR, "** SIDE NUMBER UNREADABLE **");
            return;
        }
        const double s = iodata.FVALUE(ipos);
        if (s < 1.0 || s >= 5.0) {
            refuse(REFLECT_HELP, "** BAD SIDE NUMBER , MUST BE <1:4>", kReflectSyntax);
            return;
        }
        side = static_cast<int>(s);
    }
    int b[4];
    if (!read_ij(REFLECT_HELP, kReflectSyntax, ierr != 0, AtEnd::silent, b)) return;
    const int imin = b[0], jmin = b[1], imax = b[2], jmax = b[3];
    double line[7] = {};
    int si = 0, sj = 0;
    if (side == 0) {
        findop("LINE", nocc, ipos);
        if (nocc == 0) {
            refuse(REFLECT_HELP, "*** OPTION \"SIDE\" OR \"LINE\" IS MISSING ***", kReflectSyntax);
            return;
        }
        for (int k = 0; k < 7; ++k) {
            if (!field_is_number(ipos + k)) {
                refuse(REFLECT_HELP, "*** FORMAT ERROR AFTER \"LINE\" ***", kReflectSyntax);
                return;
            }
            line[k] = iodata.FVALUE(ipos + k);
        }
        for (int k = 3; k < 7; ++k) line[k] = static_cast<int>(line[k]);
        si = sign(static_cast<int>(line[5]) - static_cast<int>(line[3]));
        sj = sign(static_cast<int>(line[6]) - static_cast<int>(line[4]));
    }
    if (!from_option()) return;
    const int ib = static_cast<int>(line[3]), jb = static_cast<int>(line[4]);
    auto target = [&](int i, int j, int& it, int& jt) {
        switch (side) {
            case 1:
                it = i, jt = 2 * jmin - j;
                break;
            case 2:
                it = 2 * imax - i, jt = j;
                break;
            case 3:
                it = i, jt = 2 * jmax - j;
                break;
            case 4:
                it = 2 * imin - i, jt = j;
                break;
            default:
                it = ib + (i - imin) * si, jt = jb + (j - jmin) * sj;
        }
    };
    // The block and its image lie on the grid, and the image fits the table.
    for (int v : b)
        if (!on_grid(v)) {
            refuse(REFLECT_HELP, kOffGrid, kReflectSyntax);
            return;
        }
    long long fresh = 0;
    for (int j = jmin; j <= jmax; ++j)
        for (int i = imin; i <= imax; ++i) {
            int it = 0, jt = 0;
            target(i, j, it, jt);
            if (!on_grid(it) || !on_grid(jt)) {
                refuse(REFLECT_HELP, kOffGrid, kReflectSyntax);
                return;
            }
            if (node_at(it, jt, cregio.IREG) == 0) ++fresh;
        }
    // The mirror line.
    double p1x = 0.0, p1y = 0.0, p2x = 0.0, p2y = 0.0;
    if (side == 0) {
        const double a = line[2] * GEN_PI / 180.0;
        p1x = line[0];
        p1y = line[1];
        p2x = line[0] + std::cos(a);
        p2y = line[1] + std::sin(a);
    } else {
        const int ends[4][4] = {{imin, jmin, imax, jmin},
                                {imax, jmin, imax, jmax},
                                {imax, jmax, imin, jmax},
                                {imin, jmax, imin, jmin}};
        const int* e = ends[side - 1];
        const int na = node_at(e[0], e[1], cregio.IREG), nb = node_at(e[2], e[3], cregio.IREG);
        if (na == 0 || nb == 0) {
            ffldou(0, MSG_ERROR, "**  NODE DOES NOT EXIT **");
            if (na == 0)
                ffldou(0, MSG_LIST,
                       fmt::line("(A6,I3,A3,I3,A8,I3)",
                                 {"**  I=", e[0], " J=", e[1], " REGION=", cregio.IREG}));
            if (nb == 0)
                ffldou(0, MSG_LIST,
                       fmt::line("(A6,I3,A3,I3,A8,I3)",
                                 {"**  I=", e[2], " J=", e[3], " REGION=", cregio.IREG}));
            return;
        }
        p1x = cnodet.XGEN(na);
        p1y = cnodet.YGEN(na);
        p2x = cnodet.XGEN(nb);
        p2y = cnodet.YGEN(nb);
    }
    // A line of two coincident points mirrors nothing: said once, record dropped.
    double qx = 0.0, qy = 0.0;
    if (!symet(p1x, p1y, p2x, p2y, 0.0, 0.0, qx, qy)) return;
    if (!nodes_fit(fresh, fresh)) return;

    int created = 0;
    for (int j = jmin; j <= jmax; ++j)
        for (int i = imin; i <= imax; ++i) {
            const int src = node_at(i, j, cregio.IFROM);
            if (src == 0) {
                missing_node(i, j, cregio.IFROM);
                return;
            }
            int it = 0, jt = 0;
            target(i, j, it, jt);
            int node = node_at(it, jt, cregio.IREG);
            if (node == 0) {
                node = ++ccon.NNODG;
                ++created;
                fref(it, jt, cregio.IREG, node, 2);
            }
            symet(p1x, p1y, p2x, p2y, cnodet.XGEN(src), cnodet.YGEN(src), cnodet.XGEN(node),
                  cnodet.YGEN(node));
        }
    outcom(cinout.LUECHO);
    generated_line(created);
}

//// TIE ////

void tie_record(int ierr) {
    if (!region_option()) return;
    int b[4];
    if (!read_ij(TIE_HELP, kTieSyntax, ierr != 0, AtEnd::syntax_only, b)) return;
    const int imin = b[0], jmin = b[1], imax = b[2], jmax = b[3];
    int nocc = 0, ipos = 0;
    findop("TO", nocc, ipos);
    if (nocc == 0) {
        refuse(TIE_HELP, "*** OPTION \"TO\" IS MISSING ***", kTieSyntax);
        return;
    }
    int t[4];
    if (!read_bounds(ipos, 4, t)) {
        refuse(TIE_HELP, "*** FORMAT ERROR AFTER \"TO\" ***", kTieSyntax);
        return;
    }
    const int imit = t[0], jmit = t[1], imat = t[2], jmat = t[3];
    if (!from_option()) return;
    // The target positions, ascending, in the current region. Beyond the grid
    // no position holds a node, so the walk ends at the first such one.
    for (int i = imit; i <= imat; ++i)
        for (int j = jmit; j <= jmat; ++j)
            if (node_at(i, j, cregio.IREG) == 0) {
                missing_node(i, j, cregio.IREG);
                return;
            }
    if (imax != imin && jmax != jmin) {
        ffldou(TIE_HELP, MSG_ERROR, "** SOURCE LINE MUST BE AT I OR J CONSTANT**");
        return;
    }
    if (imat != imit && jmat != jmit) {
        ffldou(TIE_HELP, MSG_ERROR, "** TARGET LINE MUST BE AT I OR J CONSTANT**");
        return;
    }
    const long long ls = std::llabs(static_cast<long long>(imax) - imin) +
                         std::llabs(static_cast<long long>(jmax) - jmin);
    const long long lt = std::llabs(static_cast<long long>(imat) - imit) +
                         std::llabs(static_cast<long long>(jmat) - jmit);
    if (ls != lt) {
        ffldou(TIE_HELP, MSG_ERROR,
               "** SOURCE AND TARGET LINES DO NOT HAVE THE SAME NUMBER OF POINTS");
        return;
    }
    const int si = sign(imax - imin), sj = sign(jmax - jmin);
    const int ti = sign(imat - imit), tj = sign(jmat - jmit);
    const long long n = ls + 1;
    // Every position of the walk holds its node before any node moves.
    auto walk = [&](auto&& visit) {
        int is = imin, js = jmin, it = imit, jt = jmit;
        for (long long p = 0; p < n; ++p) {
            if (!visit(is, js, it, jt)) return false;
            if (imin == imax)
                js += sj;
            else
                is += si;
            if (imit == imat)
                jt += tj;
            else
                it += ti;
        }
        return true;
    };
    const bool complete = walk([](int is, int js, int it, int jt) {
        if (node_at(is, js, cregio.IFROM) == 0) {
            missing_node(is, js, cregio.IFROM);
            return false;
        }
        if (node_at(it, jt, cregio.IREG) == 0) {
            missing_node(it, jt, cregio.IREG);
            return false;
        }
        return true;
    });
    if (!complete) return;
    walk([](int is, int js, int it, int jt) {
        const int src = node_at(is, js, cregio.IFROM), dst = node_at(it, jt, cregio.IREG);
        cnodet.XGEN(src) = cnodet.XGEN(dst);
        cnodet.YGEN(src) = cnodet.YGEN(dst);
        return true;
    });
    outcom(cinout.LUECHO);
}

}  // namespace

//// levels ////

void connect(int& iblockn) {
    enter_level();
    const CommandLevel level{
        .menu = CONNECT_HELP, .help_topic = CONNECT_HELP, .after_end = total_nodes_line};
    level_loop(level, [&](int) {
        connect_record(iblockn);
        return LevelStep::next;
    });
}

void reflect() {
    enter_level();
    const CommandLevel level{
        .menu = REFLECT_HELP, .help_topic = REFLECT_HELP, .after_end = total_nodes_line};
    level_loop(level, [](int ierr) {
        reflect_record(ierr);
        return LevelStep::next;
    });
}

void tie() {
    enter_level();
    const CommandLevel level{.menu = TIE_HELP, .help_topic = TIE_HELP};
    level_loop(level, [](int ierr) {
        tie_record(ierr);
        return LevelStep::next;
    });
}

bool symet(double x1, double y1, double x2, double y2, double xs, double ys, double& xi,
           double& yi) {
    const double b = x2 - x1, e = y2 - y1, f = b * b + e * e;
    if (f == 0.0) {
        ffldou(0, MSG_ERROR, "** UNABLE TO COMPUTE LINE TO EXECUTE SYMETRY");
        ffldou(0, MSG_LIST, "** POINTS TO DEFINE LINE NOT DISJOINTED **");
        return false;
    }
    const double fx = (xs * b * b + x1 * e * e + (ys - y1) * b * e) / f;
    const double fy = (ys * e * e + y1 * b * b + (xs - x1) * b * e) / f;
    xi = 2.0 * fx - xs;
    yi = 2.0 * fy - ys;
    return true;
}

}  // namespace kavren
