// The picture by refinement level.
#include "plot/artcoord.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "control/messages.hpp"
#include "control/reader.hpp"
#include "control/utility.hpp"
#include "plot/scales.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "records/plot.hpp"
#include "support/format.hpp"

namespace kavren {

SetSelector art_select_set = nullptr;

namespace {

// Corner (i, j) of local vertex k: i 1 left, 2 right; j 1 bottom, 2 top.
constexpr int kCornerI[4] = {1, 2, 2, 1};
constexpr int kCornerJ[4] = {1, 1, 2, 2};

}  // namespace

int art_layout() {
    Cartco& a = cartco;
    std::fill(a.MARK.data(), a.MARK.data() + MAXNOD, 0);
    a.NEL0 = 0;
    int nodcount = 0;
    double corner[2][2][2] = {};  // (c, i, j), kept from one element to the next
    int status = ART_DONE;
    each_taken([&](int nel) {
        if (status != ART_DONE) return;
        if (++a.NEL0 > ART_ELEMENTS) {
            write_terminal(fmt::list({"TOO BIG NEL0=", a.NEL0}));
            status = ART_TOO_BIG;
            return;
        }
        a.LIST(a.NEL0) = nel;
        int slot = 0, lx = 0, ly = 0, org = 0;
        findno(nel, slot);
        findlvxy(nel, lx, ly, org);
        const double dx = std::ldexp(1.0, -lx), dy = std::ldexp(1.0, -ly);
        int node[4];
        for (int k = 0; k < 4; ++k) {
            int order = 0;
            decode(celem.NICK(k + 1, slot), node[k], order);
        }
        // The anchor: the first laid-out vertex.
        int anchor = -1;
        for (int k = 0; k < 4 && anchor < 0; ++k)
            if (node[k] > 0 && a.MARK(node[k]) != 0) anchor = k;
        double x0 = 0.0, y0 = 0.0;
        if (anchor >= 0) {
            x0 = a.XY(1, a.MARK(node[anchor]));
            y0 = a.XY(2, a.MARK(node[anchor]));
        } else {
            if (nodcount != 0) write_terminal(fmt::list({"ERROR!!!"}));
            // A new picture starts at the origin with the first unconstrained
            // vertex; its node takes the next number, so nodes laid out
            // before keep their places.
            for (int k = 0; k < 4 && anchor < 0; ++k)
                if (node[k] > 0) anchor = k;
            if (anchor < 0) anchor = 0;
            if (node[anchor] > 0) {
                if (++nodcount > ART_NODES) {
                    write_terminal(fmt::list({"TOO BIG NODCOUNT=", nodcount}));
                    status = ART_TOO_BIG;
                    return;
                }
                a.MARK(node[anchor]) = nodcount;
                a.XY(1, nodcount) = 0.0;
                a.XY(2, nodcount) = 0.0;
            }
        }
        const int ia = kCornerI[anchor], ja = kCornerJ[anchor];
        for (int k = 0; k < 4; ++k) {
            if (node[k] <= 0 || a.MARK(node[k]) != 0) continue;
            if (++nodcount > ART_NODES) {
                write_terminal(fmt::list({"TOO BIG NODCOUNT=", nodcount}));
                status = ART_TOO_BIG;
                return;
            }
            a.MARK(node[k]) = nodcount;
            a.XY(1, nodcount) = x0 + (kCornerI[k] - ia) * dx;
            a.XY(2, nodcount) = y0 + (kCornerJ[k] - ja) * dy;
        }
        bool constrained[2][2] = {};
        for (int k = 0; k < 4; ++k) {
            const int i = kCornerI[k] - 1, j = kCornerJ[k] - 1;
            constrained[i][j] = node[k] <= 0;
            if (node[k] <= 0) continue;
            corner[0][i][j] = a.XY(1, a.MARK(node[k]));
            corner[1][i][j] = a.XY(2, a.MARK(node[k]));
        }
        for (int k = 0; k < 4; ++k) {
            const int i = kCornerI[k] - 1, j = kCornerJ[k] - 1;
            if (constrained[i][j]) {
                // x from the other corner of the column, y from the other
                // corner of the row; from the anchor where that one is
                // constrained too.
                corner[0][i][j] =
                    constrained[i][1 - j] ? x0 + (i + 1 - ia) * dx : corner[0][i][1 - j];
                corner[1][i][j] =
                    constrained[1 - i][j] ? y0 + (j + 1 - ja) * dy : corner[1][1 - i][j];
            }
            a.elxy(1, i + 1, j + 1, a.NEL0) = corner[0][i][j];
            a.elxy(2, i + 1, j + 1, a.NEL0) = corner[1][i][j];
        }
    });
    return status;
}

int artcoord() {
    for (const char* l :
         {"*************************************", "*                                   *",
          "*  CAUTION REAL*8 ROUTINE!!!        *", "*                                   *",
          "*************************************", "IN ROUTINE ARTCOORD:", "SET ELSET=?"})
        write_terminal(fmt::list({l}));
    std::string word;
    readc("ELSET", word);
    if (word.empty()) return ART_NO_ANSWER;
    csetf.ISCUR = 1;
    int nocc = 0, ipos = 0;
    findop("ELSET", nocc, ipos);
    if (nocc > 0 && art_select_set != nullptr) art_select_set(ipos);
    return art_layout();
}

}  // namespace kavren
