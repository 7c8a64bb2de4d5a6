#include "meshgen/boundary.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "graphics/screen.hpp"
#include "meshgen/drawings.hpp"
#include "meshgen/node_pick.hpp"
#include "meshgen/sort.hpp"
#include "meshgen/tables.hpp"
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

bool is_number(int k) {
    return k >= 1 && k <= NFIELD_SLOTS && iodati.ITYPE(k) == FT_NUMBER;
}

const char* const kBoundaryFormat = " FORMAT  {BOUNDARY=N},IJ=IMIN,JMIN,IMAX,JMAX ";

void refuse(int help, std::string_view text) {
    ffldou(help, MSG_ERROR, text);
    ffldou(0, MSG_LIST, kBoundaryFormat);
}

// A boundary line uses number b.
bool number_in_use(int b) {
    for (int l = 1; l <= cbcons.NBLIN; ++l)
        if (cbcons.IBND(l) == -b) return true;
    return false;
}

// BOUNDARY=n or BOUNDARY=name: makes it the current boundary number b.
// False when the value is refused.
bool choose_boundary(int ipos, int& b) {
    int n = 0;
    if (is_number(ipos)) {
        n = ifix(iodata.FVALUE(ipos));
        if (n < 1 || n > MAX_BOUNDARY) {
            ffldou(31, MSG_ERROR, "*** BOUNDARY NUMBER OUT OF RANGE 1..50 ***");
            return false;
        }
        cbcons1.BNAME(n) = Word8();
        scroll(11, fmt::line("(A9,I2)", {"BOUNDARY,", n}));
    } else if (ipos <= NFIELD_SLOTS && iodati.ITYPE(ipos) == FT_WORD) {
        // A name takes the number one past the lines defined so far, unless a
        // line already uses it: then the lowest number no line uses.
        n = cbcons.NBLIN + 1;
        if (n > MAX_BOUNDARY || number_in_use(n)) {
            n = 1;
            while (n <= MAX_BOUNDARY && number_in_use(n)) ++n;
        }
        if (n > MAX_BOUNDARY) {
            ffldou(31, MSG_ERROR, "*** BOUNDARY NUMBER OUT OF RANGE 1..50 ***");
            return false;
        }
        cbcons1.BNAME(n) = iodatc.FWORD(ipos);
        scroll(17, fmt::line("(A9,A8)", {"BOUNDARY,", iodatc.FWORD(ipos).view()}));
    } else {
        refuse(32, " BOUNDARY IS UNREADABLE");
        return false;
    }
    b = n;
    cbcons2.LASTBC = n;
    return true;
}

// The ends of IJ alone, picked as two nodes of the drawing on the screen.
// Only at the keyboard with the window open: from a file the picks would
// wait for ever, and without a window there is nothing to pick on.
bool picked_ends(int v[4]) {
    if (cinout.LUIN != cinout.LUKBD || !screen_is_open()) {
        refuse(36, "*** IJ WITHOUT BOUNDS: PICKING WITH THE MOUSE IS NOT AVAILABLE ***");
        return false;
    }
    int i1 = 0, i2 = 0, j1 = 0, j2 = 0;
    vinq04(i1, i2, j1, j2);
    // A pick that found no node has been reported.
    if (i1 == 0 || i2 == 0) return false;
    v[0] = i1, v[1] = j1, v[2] = i2, v[3] = j2;
    return true;
}

// The four numbers after IJ.
bool typed_ends(int ipos, int v[4]) {
    for (int i = 0; i < 4; ++i) {
        if (!is_number(ipos + i)) {
            refuse(36, "*** IMIN,JMIN,IMAX,JMAX NOT INTEGERS ***");
            return false;
        }
        v[i] = ifix(iodata.FVALUE(ipos + i));
        if (v[i] < 1 || v[i] > MAXGRID) {
            refuse(36, "*** IMIN,JMIN,IMAX,JMAX OUTSIDE THE GRID 1..100 ***");
            return false;
        }
    }
    return true;
}

// IJ=IMIN,JMIN,IMAX,JMAX, or IJ alone with the ends picked: appends a
// boundary line of number b and journals it with its bounds.
void boundary_line(int ipos, int b) {
    int v[4];
    if (!(ipos > iodati.NFIELD ? picked_ends(v) : typed_ends(ipos, v))) return;
    int imin = std::min(v[0], v[2]), imax = std::max(v[0], v[2]);
    int jmin = std::min(v[1], v[3]), jmax = std::max(v[1], v[3]);
    if (imin != imax && jmin != jmax) {
        refuse(38, "****ERROR CONSTANT I OR J MUST BE SPECIFIED****");
        return;
    }
    if (cbcons.NBLIN >= MAXBLIN) {
        table_full("BOUNDARY LINES", MAXBLIN);
        return;
    }
    int l = ++cbcons.NBLIN;
    cbcons.IBND(l) = -b;
    cbcons.IMINB(l) = imin;
    cbcons.IMAXB(l) = imax;
    cbcons.JMINB(l) = jmin;
    cbcons.JMAXB(l) = jmax;
    cbcons.IREGB(l) = cregio.IREG;
    std::string text =
        fmt::line("(A3,I3,A,I3,A,I3,A,I3)", {"IJ,", imin, ",", jmin, ",", imax, ",", jmax});
    scroll(static_cast<int>(text.size()), text);
}

// IBCURV(b) of every boundary number from all its lines: the curve code c
// when defgeom gives c for each of them, else 0 (straight). Run before the
// merge and the compaction change the node numbers the slots refer to.
void settle_curved_tags() {
    for (int b = 1; b <= MAX_BOUNDARY; ++b) {
        int code = -1;
        for (int l = 1; l <= cbcons.NBLIN && code != 0; ++l) {
            if (cbcons.IBND(l) != -b) continue;
            int c = 0;
            defgeom(b, cbcons.IMINB(l), cbcons.IMAXB(l), cbcons.JMINB(l), cbcons.JMAXB(l),
                    cbcons.IREGB(l), c);
            code = code == -1 || code == c ? c : 0;
        }
        cgeomtyp.IBCURV(b) = std::max(code, 0);
    }
}

// A record of BOUNDARY= and IJ: a new current boundary b, a new line of b,
// or both.
void boundary_record(int& b) {
    int nocc = 0, ipos = 0;
    findop("BOUNDARY", nocc, ipos);
    const bool chosen = nocc > 0;
    if (chosen) {
        if (!choose_boundary(ipos, b)) return;
    } else if (b == 0) {
        refuse(35, "*** BOUNDARY NUMBER UNDEFINED ***");
        return;
    }
    findop("IJ", nocc, ipos);
    if (nocc == 0) {
        if (!chosen) refuse(37, "*** OPTION \"IJ\" IS MISSING ***");
        return;
    }
    boundary_line(ipos, b);
}

}  // namespace

//// BOUNDARY level ////

bool bcons() {
    graphm(1);
    enter_level();
    int b = 0;
    CommandLevel level{.menu = 7, .help_topic = 7};
    // END completes the mesh; open sides keep the level reading.
    level.at_end = [] {
        settle_curved_tags();
        ovrlap();
        setbc();
        int open = 0;
        frefac(open);
        if (open != 0) {
            graphm(1);
            return false;
        }
        adjust();
        return true;
    };
    const LevelExit exit = level_loop(level, [&](int ierr) {
        int nocc = 0, ipos = 0;
        findop("PLOT", nocc, ipos);
        if (nocc > 0) {
            graphm(0);
            return LevelStep::next;
        }
        findop("REGION", nocc, ipos);
        if (nocc > 0) {
            int mode = LOOKUP_SELECT;
            fregion(ipos, mode);
            if (mode == 0) outcom(cinout.LUECHO);
            return LevelStep::next;
        }
        if (ierr == 1) return LevelStep::next;
        boundary_record(b);
        // The drawing follows every line typed, accepted or refused.
        graphm(1);
        return LevelStep::next;
    });
    return exit == LevelExit::end;
}

void defgeom(int ib, int imin, int imax, int jmin, int jmax, int ir, int& icode) {
    icode = 0;
    const bool j_constant = jmin == jmax;
    const int lo = j_constant ? imin : jmin, hi = j_constant ? imax : jmax;
    if (std::abs(hi - lo) < 2) return;
    for (int p = lo + 1; p <= hi - 1; ++p) {
        int node = 0;
        fref(j_constant ? p : imin, j_constant ? jmin : p, ir, node, 1);
        int i = 0, j = 0, r = 0, code = 0;
        fnref(node, i, j, r, code);
        if (icode == 0) {
            icode = code;
        } else if (code != icode) {
            icode = 0;
            return;
        }
    }
    cgeomtyp.IBCURV(ib) = icode;
}

//// mesh completion ////

namespace {

// Coincidence tolerance of the node merge (the single-precision 1.0E-6).
constexpr double MERGE_TOL = double(1.0e-6f);

// The vertex node of side k of element e at its start (first) or end.
int side_vertex(int e, int k, bool first) {
    return celem.NICK(first ? k : k % 4 + 1, e);
}

// The first boundary line of region ir... whose bounds hold both grid points.
int matching_line(int n1, int n2) {
    int i1 = 0, j1 = 0, r1 = 0, i2 = 0, j2 = 0, r2 = 0, c = 0;
    fnref(n1, i1, j1, r1, c);
    fnref(n2, i2, j2, r2, c);
    if (r1 == 0 || r1 != r2) return 0;
    for (int l = 1; l <= cbcons.NBLIN; ++l) {
        if (cbcons.IREGB(l) != r1) continue;
        auto inside = [l](int i, int j) {
            return cbcons.IMINB(l) <= i && i <= cbcons.IMAXB(l) && cbcons.JMINB(l) <= j &&
                   j <= cbcons.JMAXB(l);
        };
        if (inside(i1, j1) && inside(i2, j2)) return cbcons.IBND(l);
    }
    return 0;
}

// The merged node of the first pair that kept node n, or n itself.
int merged_of(int n) {
    for (int p = 1; p <= locals.NPAIR; ++p)
        if (locals.IPAIR(2, p) == n) return locals.IPAIR(1, p);
    return n;
}

}  // namespace

void ovrlap() {
    const int nn = ccon.NNODG;
    for (int n = 1; n <= nn; ++n) {
        locals.SORTXY(1, n) = n;
        locals.SORTXY(2, n) = cnodet.XGEN(n);
        locals.SORTXY(3, n) = cnodet.YGEN(n);
    }
    sort(locals.SORTXY.data(), 3, 2, ccon);
    locals.NPAIR = 0;
    std::vector<int> kept_of(static_cast<std::size_t>(nn) + 1, 0);
    for (int i = 1; i <= nn; ++i) {
        const int kept = static_cast<int>(locals.SORTXY(1, i));
        if (kept == 0) continue;
        for (int k = 1; i + k <= nn; ++k) {
            if (std::fabs(locals.SORTXY(2, i) - locals.SORTXY(2, i + k)) > MERGE_TOL) break;
            const int other = static_cast<int>(locals.SORTXY(1, i + k));
            if (other == 0) continue;
            if (std::fabs(locals.SORTXY(3, i) - locals.SORTXY(3, i + k)) <= MERGE_TOL) {
                const int p = ++locals.NPAIR;
                locals.IPAIR(1, p) = other;
                locals.IPAIR(2, p) = kept;
                kept_of[static_cast<std::size_t>(other)] = kept;
                locals.SORTXY(1, i + k) = 0.0;
                write_terminal(fmt::list({"MATCHING NODE NUMBERS : ", other, kept}));
            }
        }
    }
    for (int e = 1; e <= ccon.NELG; ++e) {
        bool changed = false;
        for (int l = 1; l <= ccon2.NPELEM(e); ++l) {
            const int n = celem.NICK(l, e);
            if (n < 1 || n > nn || kept_of[static_cast<std::size_t>(n)] == 0) continue;
            celem.NICK(l, e) = kept_of[static_cast<std::size_t>(n)];
            changed = true;
        }
        if (changed) write_terminal(fmt::list({"ELEMENT ", e, " NODE NUMBERS ADJUSTED"}));
    }
}

void setbc() {
    for (int e = 1; e <= ccon.NELG; ++e) {
        for (int k = 1; k <= 4; ++k) {
            idfc.NEIGG(k, e) = 0;
            const int n1 = side_vertex(e, k, true), n2 = side_vertex(e, k, false);
            int ib = matching_line(n1, n2);
            // A merged side lies in the other region's grid: try its nodes there.
            if (ib == 0 && locals.NPAIR > 0) ib = matching_line(merged_of(n1), merged_of(n2));
            idfc.NEIGG(k, e) = ib;
        }
    }
}

void frefac(int& ierr) {
    const int nel = ccon.NELG;
    for (int i = 1; i <= nel; ++i) {
        for (int j = 1; j <= 4; ++j) {
            const int a = side_vertex(i, j, true), b = side_vertex(i, j, false);
            bool found = false;
            for (int k = i + 1; k <= nel && !found; ++k) {
                for (int l = 1; l <= 4; ++l) {
                    const int c = side_vertex(k, l, true), d = side_vertex(k, l, false);
                    if ((a == c && b == d) || (a == d && b == c)) {
                        idfc.NEIGG(j, i) = k;
                        idfc.NEIGG(l, k) = i;
                        found = true;
                        break;
                    }
                }
            }
        }
    }
    for (int e = 1; e <= nel; ++e) {
        for (int k = 1; k <= 4; ++k) {
            if (idfc.NEIGG(k, e) != 0) continue;
            int i1 = 0, j1 = 0, r1 = 0, i2 = 0, j2 = 0, r2 = 0, c = 0;
            fnref(side_vertex(e, k, true), i1, j1, r1, c);
            fnref(side_vertex(e, k, false), i2, j2, r2, c);
            ffldou(127, MSG_ERROR,
                   fmt::line("(A38,I3)", {"*** BOUNDARY NOT DEFINED FOR ELEMENT #", e}));
            const bool i_constant = i1 == i2;
            ffldou(0, MSG_LIST,
                   fmt::line("(A6,I3,A17,I3,A8,I3)",
                             {" FACE=", k, i_constant ? " I CONSTANT LINE=" : " J CONSTANT LINE=",
                              i_constant ? i1 : j1, " REGION=", r1}));
            ierr = 1;
        }
    }
}

// Compacts the node numbers to those the elements use; the slots of the
// node table follow, so that the drawings and look-ups made before the
// hand-over see the new numbers: a merged node's slots take its kept node's
// new number, an unused node's slots carry none.
void adjust() {
    const int nn = ccon.NNODG;
    std::vector<int> renumber(static_cast<std::size_t>(nn) + 1, 0);
    for (int e = 1; e <= ccon.NELG; ++e)
        for (int l = 1; l <= ccon2.NPELEM(e); ++l) {
            const int n = celem.NICK(l, e);
            if (n >= 1 && n <= nn) renumber[static_cast<std::size_t>(n)] = 1;
        }
    int count = 0;
    for (int n = 1; n <= nn; ++n) {
        if (renumber[static_cast<std::size_t>(n)] == 0) continue;
        renumber[static_cast<std::size_t>(n)] = ++count;
        cnodet.XGEN(count) = cnodet.XGEN(n);
        cnodet.YGEN(count) = cnodet.YGEN(n);
    }
    ccon.NNODG = count;
    for (int e = 1; e <= ccon.NELG; ++e) {
        for (int l = 1; l <= ccon2.NPELEM(e); ++l) {
            const int n = celem.NICK(l, e);
            if (n >= 1 && n <= nn) celem.NICK(l, e) = renumber[static_cast<std::size_t>(n)];
        }
        if (ccon2.NPELEM(e) == 4)
            for (int l = 5; l <= 9; ++l) celem.NICK(l, e) = 0;
    }
    std::vector<int> kept(static_cast<std::size_t>(nn) + 1, 0);
    for (int p = 1; p <= locals.NPAIR; ++p) {
        const int merged = locals.IPAIR(1, p), into = locals.IPAIR(2, p);
        if (merged >= 1 && merged <= nn) kept[static_cast<std::size_t>(merged)] = into;
    }
    for (int r = 1; r <= MAXREG; ++r)
        for (int s = cnodet.IHEAD(r), k = 0; s != 0 && k < MAXGNOD; s = cnodet.NEXTG(s), ++k) {
            int n = cnodet.NODG(s);
            if (n < 1 || n > nn) continue;
            if (kept[static_cast<std::size_t>(n)] != 0) n = kept[static_cast<std::size_t>(n)];
            cnodet.NODG(s) = n >= 1 && n <= nn ? renumber[static_cast<std::size_t>(n)] : 0;
        }
}

//// SETS level ////

namespace {

const char* const kSetFormat = "*** FORMAT  ADD,I,{LOOP=L},(STEP=S}";
const char* const kProfileFormat = "*** FORMAT  ADD,I,SIDE=J,{LOOP=L},(STEP=S}";

// An ADD record (or another word, checked the same way): elements I, I+S, ...
void add_record(bool profiles) {
    const char* format = profiles ? kProfileFormat : kSetFormat;
    auto refuse_sets = [format](int help, const std::string& text) {
        ffldou(help, MSG_ERROR, text);
        ffldou(0, MSG_LIST, format);
    };
    int nocc = 0, ipos = 0, side = 0;
    if (profiles) {
        findop("SIDE", nocc, ipos);
        if (nocc == 0) {
            refuse_sets(62, "** SIDE OPTION MISSING");
            return;
        }
        if (!is_number(ipos)) {
            refuse_sets(61, " J  IS NOT DEFINED AFTER \"SIDE\"");
            return;
        }
        side = ifix(iodata.FVALUE(ipos));
        // A negative side is walked from its end to its start.
        if (side == 0 || std::abs(side) > 4) {
            refuse_sets(61, " J  IS NOT A SIDE 1..4 AFTER \"SIDE\"");
            return;
        }
    }
    int loop = 1, step = 1;
    findop("LOOP", nocc, ipos);
    if (nocc > 0) {
        if (!is_number(ipos)) {
            refuse_sets(63, "*** NO INDICE AFTER LOOP");
            return;
        }
        loop = ifix(iodata.FVALUE(ipos));
        // More entries than the pool holds never fit; the check comes before
        // the loop walks the elements.
        const int pool = profiles ? PROF_POOL : SET_POOL;
        if (loop > pool) {
            table_full(profiles ? "PROFILE ENTRIES" : "ELEMENT SET ENTRIES", pool);
            return;
        }
    }
    findop("STEP", nocc, ipos);
    if (nocc > 0) {
        if (!is_number(ipos)) {
            refuse_sets(64, " S  IS NOT DEFINED AFTER \"STEP\"");
            return;
        }
        step = ifix(iodata.FVALUE(ipos));
    }
    if (!is_number(2)) {
        refuse_sets(66, "*** STARTING ELEMENT NOT DEFINED ");
        ffldou(0, MSG_LIST, kSetFormat);
        return;
    }
    const int first = ifix(iodata.FVALUE(2));
    if (first < 1 || first > ccon.NELG) {
        refuse_sets(65, "*** STARTING ELEMENT NON EXISTENT ");
        return;
    }
    for (int n = 1; n < loop; ++n) {
        const long e = first + static_cast<long>(n) * step;
        if (e < 1 || e > ccon.NELG) {
            refuse_sets(67, fmt::line("(A11,I3,A12)",
                                      {"** ELEMENT ", static_cast<int>(e), " NONEXISTENT"}));
            return;
        }
    }
    if (!chkfld("ADD", 1)) return;
    const int count = std::max(loop, 0);
    if (profiles && cprofi.IPCUR != 0 && count > free_profile_entries()) {
        table_full("PROFILE ENTRIES", PROF_POOL);
        return;
    }
    if (!profiles && csetf.ISCUR > 1 && count > free_set_entries()) {
        table_full("ELEMENT SET ENTRIES", SET_POOL);
        return;
    }
    for (int n = 0; n < loop; ++n) {
        if (profiles)
            addprof(first + n * step, side);
        else
            addset(first + n * step);
    }
    outcom(cinout.LUECHO);
}

}  // namespace

void genset() {
    enter_level();
    csetf.ISCUR = 0;
    cprofi.IPCUR = 0;
    bool profiles = false;
    const CommandLevel level{.menu = 34, .help_topic = 34, .after_end = [] { csetf.ISCUR = 1; }};
    level_loop(level, [&profiles](int ierr) {
        if (ierr == 1) return LevelStep::next;
        int nocc = 0, ipos = 0;
        findop("ELSET", nocc, ipos);
        if (nocc > 0) {
            int mode = LOOKUP_DEFINE;
            fset(ipos, mode);
            if (mode != 0) return LevelStep::next;
            profiles = false;
            outcom(cinout.LUECHO);
            return LevelStep::next;
        }
        findop("PROFILE", nocc, ipos);
        if (nocc > 0) {
            int mode = LOOKUP_DEFINE;
            fprof(ipos, mode);
            if (mode != 0) return LevelStep::next;
            profiles = true;
            outcom(cinout.LUECHO);
            return LevelStep::next;
        }
        add_record(profiles);
        return LevelStep::next;
    });
}

}  // namespace kavren
