#include "meshgen/node_tools.hpp"

#include <cmath>

#include "control/messages.hpp"
#include "control/reader.hpp"
#include "meshgen/nodes.hpp"
#include "meshgen/tables.hpp"
#include "records/io.hpp"
#include "records/meshgen.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

//// local systems and point records ////

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

bool field_is_number(int k) {
    return k >= 1 && k <= NFIELD_SLOTS && iodati.ITYPE(k) == FT_NUMBER;
}

void read_local_systems(LocalSystems& ls, PointMode& mode) {
    int nocc = 0, ipos = 0;
    findop("CS", nocc, ipos);
    if (nocc > 0) {
        if (field_is_number(ipos) && field_is_number(ipos + 1)) {
            ls.x0 = iodata.FVALUE(ipos);
            ls.y0 = iodata.FVALUE(ipos + 1);
            if (field_is_number(ipos + 2)) ls.a0 = iodata.FVALUE(ipos + 2) * GEN_PI / 180.0;
        }
        mode = PointMode::cartesian;
    }
    nocc = 0;
    findop("PS", nocc, ipos);
    if (nocc > 0) {
        if (field_is_number(ipos) && field_is_number(ipos + 1)) {
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

Scan scan_points(const LocalSystems& ls, const ScanRules& rules) {
    Scan r;
    PointMode mode = rules.start;
    bool centre = false, half = false;
    double a = 0.0;
    for (int k = 1; k <= iodati.NFIELD; ++k) {
        if (iodati.ITYPE(k) == FT_WORD) {
            const Word8& w = iodatc.FWORD(k);
            PointMode next = PointMode::none;
            bool keyword = true, is_centre = false;
            if (w == Word8("XY")) {
                next = PointMode::cartesian;
            } else if (w == Word8("RT")) {
                next = PointMode::polar;
            } else if (rules.ij && w == Word8("IJ")) {
                next = PointMode::ij;
            } else if (rules.curv && w == Word8("CURV")) {
                next = PointMode::cartesian;
                is_centre = true;
            } else {
                keyword = false;
            }
            if (!keyword && rules.keep_mode_on_words) continue;
            half = false;
            centre = is_centre;
            mode = next;
            if (keyword && rules.last_mode != nullptr && !centre) *rules.last_mode = next;
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
                ffldou(rules.ij_help, MSG_ERROR, "** UNABLE TO FIND IJ COORDINATES **");
                continue;
            }
            p = {cnodet.XGEN(node), cnodet.YGEN(node)};
        }
        r.count += 1;
        if (r.count <= MAXSPLPT) r.points[r.count - 1] = p;
        if (rules.xy == nullptr || r.count > 4) continue;
        if (centre) {
            if (!cercle(r.count, 2, p.x, p.y, *rules.xy)) r.bad_centre = true;
        } else {
            (*rules.xy)(r.count + rules.offset) = p.x;
            (*rules.xy)(r.count + rules.offset + 8) = p.y;
        }
    }
    return r;
}

//// nodes ////

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

bool nodes_fit(long long slots, long long new_nodes) {
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

//// lines and options ////

void total_nodes_line() {
    ffldou(0, MSG_LIST, fmt::line("(A24,I4)", {"TOTAL NUMBER OF NODES = ", ccon.NNODG}));
}

void generated_line(int n) {
    ffldou(0, MSG_LIST, fmt::line("(A27,I4)", {"NUMBER OF NODES GENERATED :", n}));
}

void refuse(int help, const std::string& text, const char* syntax) {
    ffldou(help, MSG_ERROR, text);
    ffldou(0, MSG_LIST, syntax);
}

bool record_has(const char* word) {
    int nocc = 0, ipos = 0;
    findop(word, nocc, ipos);
    return nocc > 0;
}

bool on_grid(int i) {
    return i >= 1 && i <= MAXGRID;
}

bool read_bounds(int ipos, int n, int* v) {
    for (int i = 0; i < n; ++i) {
        if (!field_is_number(ipos + i)) return false;
        v[i] = ifix(iodata.FVALUE(ipos + i));
    }
    return true;
}

bool geoprog_option(double& q) {
    int nocc = 0, ipos = 0;
    findop("GEOPROG", nocc, ipos);
    if (nocc == 0) return false;
    // A ratio of 0 or below gives no progression (-1 would divide by zero).
    if (!field_is_number(ipos) || !(iodata.FVALUE(ipos) > 0.0)) {
        ffldou(0, MSG_ERROR, " GEOMETRIC PROGRESSION COEFFICIENT UNREADABLE");
        return false;
    }
    q = iodata.FVALUE(ipos);
    return true;
}

// The fraction of the way from the first end at step m of n: uniform, or
// growing by the factor q from the first end (q exactly 1 is uniform).
double progression(int m, int n, bool geo, double q) {
    if (!geo || q == 1.0) return static_cast<double>(m) / n;
    return (std::pow(q, m) - 1.0) / (std::pow(q, n) - 1.0);
}

bool region_option() {
    int nocc = 0, ipos = 0;
    findop("REGION", nocc, ipos);
    if (nocc == 0) return true;
    int mode = LOOKUP_DEFINE;
    fregion(ipos, mode);
    return mode == 0;
}

}  // namespace kavren
