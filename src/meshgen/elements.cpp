#include "meshgen/elements.hpp"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "meshgen/tables.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

enum class LoopOrder { none, i_outer, j_outer };

// The loops of one visit of the level.
struct Loops {
    int ni = 1, nj = 1;  // element counts of the open ILOOP and JLOOP
    LoopOrder order = LoopOrder::none;
};

const char* const kBlockFormat = " FORMAT  \"LINEAR\",IMIN,JMIN,{STEP=ISTEP,JSTEP} ";

bool is_number(int k) {
    return k >= 1 && k <= NFIELD_SLOTS && iodati.ITYPE(k) == FT_NUMBER;
}

void refuse(int help, const std::string& text) {
    ffldou(help, MSG_ERROR, text);
    ffldou(0, MSG_LIST, kBlockFormat);
}

// What a block changes, kept so that a withdrawn block leaves no trace.
struct BlockUndo {
    int nelg = 0, iblocke = 0;
    LoopOrder order = LoopOrder::none;
    int block_row[6] = {};
    struct Element {
        int npelem = 0;
        int nick[9] = {};
        int neigg[4] = {};
    };
    std::vector<Element> elements;  // by element number nelg + 1, ...
};

void save_element(BlockUndo& u, int e) {
    BlockUndo::Element s;
    s.npelem = ccon2.NPELEM(e);
    for (int l = 1; l <= 9; ++l) s.nick[l - 1] = celem.NICK(l, e);
    for (int k = 1; k <= 4; ++k) s.neigg[k - 1] = idfc.NEIGG(k, e);
    u.elements.push_back(s);
}

void withdraw(const BlockUndo& u, int& iblocke, Loops& loops) {
    for (std::size_t i = 0; i < u.elements.size(); ++i) {
        int e = u.nelg + 1 + static_cast<int>(i);
        const BlockUndo::Element& s = u.elements[i];
        ccon2.NPELEM(e) = s.npelem;
        for (int l = 1; l <= 9; ++l) celem.NICK(l, e) = s.nick[l - 1];
        for (int k = 1; k <= 4; ++k) idfc.NEIGG(k, e) = s.neigg[k - 1];
    }
    for (int c = 1; c <= 6; ++c) elemij.IJBLK(iblocke, c) = u.block_row[c - 1];
    iblocke = u.iblocke;
    ccon.NELG = u.nelg;
    loops.order = u.order;
}

int node_at(int i, int j) {
    int node = 0;
    fref(i, j, cregio.IREG, node, 1);
    return node;
}

// LINEAR,IMIN,JMIN or QUADR,IMIN,JMIN with STEP=ISTEP,JSTEP: one block.
void element_block(int& iblocke, Loops& loops, int nelg_entry) {
    const bool quadr = chkfld("QUADR", 1);
    ccon.NPEG = quadr ? 9 : 4;
    int istep = quadr ? 2 : 1, jstep = istep;
    if (!is_number(2) || !is_number(3)) {
        refuse(100, " IMIN,JMIN NOT DEFINED");
        return;
    }
    const int imin = ifix(iodata.FVALUE(2)), jmin = ifix(iodata.FVALUE(3));
    int nocc = 0, ipos = 0;
    findop("STEP", nocc, ipos);
    if (nocc > 0) {
        if (!is_number(ipos) || !is_number(ipos + 1)) {
            refuse(101, " ISTEP AND JSTEP ARE NOT DEFINED AFTER \"STEP\"");
            return;
        }
        istep = ifix(iodata.FVALUE(ipos));
        jstep = ifix(iodata.FVALUE(ipos + 1));
    }
    // A zero step would give the block no extent.
    if (istep == 0 || jstep == 0) {
        refuse(101, "*** ISTEP AND JSTEP MUST NOT BE ZERO ***");
        return;
    }
    const int di = loops.ni >= 0 ? istep : -istep, dj = loops.nj >= 0 ? jstep : -jstep;
    const int nabs = std::abs(loops.ni), mabs = std::abs(loops.nj);
    if (imin < 1 || imin > 100 || jmin < 1 || jmin > 100) {
        refuse(102, fmt::line("(A35,2I4)", {"ERROR IMIN OR JMIN OUT OF BOUNDS : ", imin, jmin}));
        return;
    }
    if (quadr && (istep % 2 != 0 || jstep % 2 != 0)) {
        refuse(103, "***ERROR IMPROPER ISTEP OR JSTEP ****");
        return;
    }
    if (nabs == 0 || mabs == 0) {
        refuse(97, "*** NO ELEMENT IN THE BLOCK: ILOOP OR JLOOP IS ZERO");
        return;
    }
    const int iend = imin + (nabs - 1) * di, jend = jmin + (mabs - 1) * dj;
    // The far bounds of the block's grid points, for its block record.
    const int ihi = di > 0 ? iend + di : iend, jhi = dj > 0 ? jend + dj : jend;
    // Every grid point an element of the block uses must carry a node: the
    // vertices, and for QUADR the mid-side and interior points too. They are
    // checked in the order of the block's direction, I outer, J inner.
    std::vector<std::pair<int, int>> points;
    const int hi = quadr ? istep / 2 : istep, hj = quadr ? jstep / 2 : jstep;
    for (int o = 0; o < nabs; ++o)
        for (int n = 0; n < mabs; ++n)
            for (int a = 0; a <= istep / hi; ++a)
                for (int c = 0; c <= jstep / hj; ++c)
                    points.emplace_back(imin + o * di + a * hi, jmin + n * dj + c * hj);
    std::sort(points.begin(), points.end(), [di, dj](const auto& p, const auto& q) {
        if (p.first != q.first) return di > 0 ? p.first < q.first : p.first > q.first;
        return dj > 0 ? p.second < q.second : p.second > q.second;
    });
    for (const auto& [i, j] : points) {
        if (node_at(i, j) == 0) {
            ffldou(104, MSG_ERROR,
                   fmt::line("(A32,2I4)", {" I,J NODE NUMBER NOT SPECIFIED :", i, j}));
            return;
        }
    }
    if (iblocke >= MAXBLOCK) {
        table_full("ELEMENT BLOCKS", MAXBLOCK);
        return;
    }
    if (ccon.NELG + nabs * mabs > MAXIEL) {
        table_full("ELEMENTS", MAXIEL);
        return;
    }

    BlockUndo undo;
    undo.nelg = ccon.NELG;
    undo.iblocke = iblocke;
    undo.order = loops.order;
    iblocke += 1;
    const int b = iblocke;
    for (int c = 1; c <= 6; ++c) undo.block_row[c - 1] = elemij.IJBLK(b, c);
    elemij.IJBLK(b, 1) = imin;
    elemij.IJBLK(b, 2) = ihi;
    elemij.IJBLK(b, 3) = jmin;
    elemij.IJBLK(b, 4) = jhi;
    elemij.IJBLK(b, 5) = ccon.NELG + 1;

    if (loops.order == LoopOrder::none) loops.order = LoopOrder::i_outer;
    const bool i_outer = loops.order == LoopOrder::i_outer;
    const int nouter = i_outer ? nabs : mabs, ninner = i_outer ? mabs : nabs;
    for (int o = 0; o < nouter; ++o) {
        for (int n = 0; n < ninner; ++n) {
            const int i = imin + (i_outer ? o : n) * di, j = jmin + (i_outer ? n : o) * dj;
            const int e = ++ccon.NELG;
            save_element(undo, e);
            ccon2.NPELEM(e) = ccon.NPEG;
            for (int k = 1; k <= 4; ++k) idfc.NEIGG(k, e) = 0;
            celem.NICK(1, e) = node_at(i, j);
            celem.NICK(2, e) = node_at(i + istep, j);
            celem.NICK(3, e) = node_at(i + istep, j + jstep);
            celem.NICK(4, e) = node_at(i, j + jstep);
            for (int l = 5; l <= 9; ++l) celem.NICK(l, e) = 0;
            int ires = 0;
            direct(e, ires);
            if (ires == 1) {
                withdraw(undo, iblocke, loops);
                ffldou(0, MSG_ERROR, "** ELEMENTS DEFINED WITH CLOCKWISE NODE NUMBERING");
                ffldou(
                    105, MSG_ERROR,
                    fmt::line("(A34,I3,A8,A8)", {"** DO HISTORY AND REDEFINE REGION#", cregio.IREG,
                                                 " ALIAS: ", cregio.REGNAME(cregio.IREG).view()}));
                return;
            }
            if (quadr) {
                celem.NICK(5, e) = node_at(i + hi, j);
                celem.NICK(6, e) = node_at(i + istep, j + hj);
                celem.NICK(7, e) = node_at(i + hi, j + jstep);
                celem.NICK(8, e) = node_at(i, j + hj);
                celem.NICK(9, e) = node_at(i + hi, j + hj);
            }
        }
    }
    elemij.IJBLK(b, 6) = ccon.NELG;
    ffldou(35, MSG_LIST,
           fmt::line("(A31,I4)", {"NUMBER OF ELEMENTS GENERATED = ", ccon.NELG - nelg_entry}));
    outcom(cinout.LUECHO);
}

}  // namespace

void relem(int& iblocke) {
    Loops loops;
    const int nelg_entry = ccon.NELG;
    enter_level();
    // Open loops raise the indentation further; END takes it back to the level's.
    const int level_indent = iodati.INDENT;
    CommandLevel level{.menu = 5, .help_topic = 4};
    level.at_end = [level_indent] {
        if (iodati.INDENT != level_indent) {
            iodati.INDENT = level_indent;
            ffldou(0, MSG_LIST, "*** WARNING *** ILOOP,JLOOP MAY BE NOT CLOSED");
        }
        ffldou(0, MSG_LIST,
               fmt::line("(A35,I4)", {"TOTAL NUMBER OF ELEMENTS DEFINED = ", ccon.NELG}));
        return true;
    };
    level.after_end = [] { csetf.ISCUR = 1; };
    level_loop(level, [&](int ierr) {
        int nocc = 0, ipos = 0;
        findop("REGION", nocc, ipos);
        if (nocc > 0) {
            int mode = LOOKUP_SELECT;
            fregion(ipos, mode);
            if (mode != 0) return LevelStep::next;
        }
        if (chkfld("ILOOP", 1) || chkfld("JLOOP", 1)) {
            const bool iloop = chkfld("ILOOP", 1);
            if (!is_number(2)) {
                ffldou(iloop ? 97 : 98, MSG_ERROR,
                       iloop ? "*** NO INDICE AFTER ILOOP" : "*** NO INDICE AFTER JLOOP");
                ffldou(0, MSG_LIST, iloop ? "*** FORMAT  ILOOP=N" : "*** FORMAT  JLOOP=N");
                return LevelStep::next;
            }
            (iloop ? loops.ni : loops.nj) = ifix(iodata.FVALUE(2));
            if (loops.order == LoopOrder::none)
                loops.order = iloop ? LoopOrder::i_outer : LoopOrder::j_outer;
            outcom(cinout.LUECHO);
            iodati.INDENT += 3;
        } else if (chkfld("IENDLOOP", 1) || chkfld("JENDLOOP", 1)) {
            (chkfld("IENDLOOP", 1) ? loops.ni : loops.nj) = 1;
            loops.order = LoopOrder::none;
            iodati.INDENT -= 3;
            outcom(cinout.LUECHO);
        } else if (chkfld("ENDLOOPS", 1)) {
            for (int* n : {&loops.ni, &loops.nj}) {
                if (*n == 1) return LevelStep::next;
                *n = 1;
                loops.order = LoopOrder::none;
                iodati.INDENT -= 3;
            }
            outcom(cinout.LUECHO);
        } else if (chkfld("LINEAR", 1) || chkfld("QUADR", 1)) {
            element_block(iblocke, loops, nelg_entry);
        } else {
            ccon.NPEG = 0;
            if (ierr == 1) return LevelStep::next;
            ffldou(99, MSG_ERROR, "*** ELEMENTS ARE \"LINEAR\" OR \"QUADR\"ATIC");
            ffldou(0, MSG_LIST, kBlockFormat);
        }
        return LevelStep::next;
    });
}

void direct(int nel, int& ires) {
    const int n1 = celem.NICK(1, nel), n2 = celem.NICK(2, nel), n3 = celem.NICK(3, nel);
    const double x1 = cnodet.XGEN(n1), y1 = cnodet.YGEN(n1);
    const double x2 = cnodet.XGEN(n2), y2 = cnodet.YGEN(n2);
    const double x3 = cnodet.XGEN(n3), y3 = cnodet.YGEN(n3);
    ires = (y3 - y1) * (x2 - x1) - (x3 - x1) * (y2 - y1) < 0.0 ? 1 : 0;
}

}  // namespace kavren
