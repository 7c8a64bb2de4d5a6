// Element-level commands of the MESH levels.
#include "hpmesh/elcommands.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include "control/messages.hpp"
#include "hpmesh/enrich.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh/unrefine.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

// Width of an I edit descriptor that holds n, at least w.
int iwidth(int n, int w) {
    const int digits = static_cast<int>(std::to_string(n).size());
    return digits > w ? digits : w;
}

// Two message lines: text1, n, text2 under "(Aa,Iw,Ab)" (an error with its
// help topic), then a plain second line.
void two_lines(int help_topic, const char* text1, int n, const char* text2, const char* second) {
    const std::string a = std::to_string(std::string_view(text1).size());
    const std::string b = std::to_string(std::string_view(text2).size());
    const std::string form = "(A" + a + ",I" + std::to_string(iwidth(n, 4)) + ",A" + b + ")";
    ffldou(help_topic, MSG_ERROR, fmt::line(form, {text1, n, text2}));
    ffldou(0, MSG_LIST, second);
}

// The boundary number of side i of any element (father or active), 0 when
// the side does not lie on the boundary: a side without neighbour lies on
// the same side of the initial element, which must be a boundary side.
int boundary_number(int nel, int i) {
    // The element's extent in its initial element, climbing to the root.
    double x0 = 0.0, x1 = 1.0, y0 = 0.0, y1 = 1.0;
    int e = nel;
    struct Step {
        int dir, son;
    };
    constexpr int MAX_DEPTH = 2 * NEIGBR_DEPTH;  // families above an element
    Step path[MAX_DEPTH];
    int depth = 0;
    while (e > cdata.NRELIN && depth < MAX_DEPTH) {
        int f = 0, s = 0;
        faminf(e, f, s);
        path[depth++] = {ctree.TREE(4, f), s};
        e = ctree.TREE(1, f);
    }
    for (int d = depth - 1; d >= 0; --d) {
        if (path[d].dir == 1) {
            const double ym = 0.5 * (y0 + y1);
            (path[d].son == 1 ? y1 : y0) = ym;
        } else {
            const double xm = 0.5 * (x0 + x1);
            (path[d].son == 1 ? x1 : x0) = xm;
        }
    }
    const bool on_side = (i == 1 && y0 == 0.0) || (i == 2 && x1 == 1.0) || (i == 3 && y1 == 1.0) ||
                         (i == 4 && x0 == 0.0);
    const int v = cneig.NEIG(i, e);
    return on_side && v < 0 ? -v : 0;
}

// The father of the active element nel is a half of a four-son split.
bool half_of_four(int father) {
    if (father <= cdata.NRELIN) return false;
    int f = 0, s = 0;
    faminf(father, f, s);
    if (ctree.TREE(4, f) != 1) return false;
    const int h1 = cdata.NRELIN + 2 * f - 1;
    for (int h : {h1, h1 + 1}) {
        const int g = first_son(h);
        if (g == 0 || ctree.TREE(4, family_of(g)) != 2) return false;
    }
    return true;
}

}  // namespace

bool element_exists(int nel) {
    if (nel < 1) return false;
    if (nel <= cdata.NRELIN) return true;
    if (nel > cdata.NRELIN + 2 * MAXFAM) return false;
    return father_of(nel) != 0;
}

bool passes_boundary(int nel, int ibtyp) {
    if (ibtyp == 0) return true;
    for (int i = 1; i <= 4; ++i)
        if (boundary_number(nel, i) == ibtyp) return true;
    return false;
}

bool passes_set(int nel) {
    if (csetf.ISCUR == 1) return true;
    int iin = 0;
    findst(nel, iin);
    return iin != 0;
}

int unrefel_target(int nel) {
    if (nel <= cdata.NRELIN || !element_exists(nel)) return 0;
    const int father = father_of(nel);
    if (!half_of_four(father)) return father;
    return father_of(father);
}

void refel(int nel, int ibtyp, double* uold, double* unew, int icolu, int& ierr, int* code) {
    ierr = REFEL_DONE;
    if (nel > cdata.NRELIN) {
        const int f = (nel - cdata.NRELIN - 1) / 2 + 1;
        if (f > MAXFAM) {
            ierr = REFEL_FAMILY_RANGE;
            two_lines(76, " ELEMENT", nel, " HAS A NONEXISTENT",
                      " FAMILY NUMBER AND WAS NOT REFINED");
            return;
        }
        if (ctree.TREE(1, f) == 0) {
            ierr = REFEL_NO_FATHER;
            two_lines(76, " ELEMENT", nel, " HAS A NONEXISTENT", " FATHER AND WAS NOT REFINED");
            return;
        }
    } else if (nel < 1) {
        ierr = REFEL_NO_FATHER;
        two_lines(76, " ELEMENT", nel, " HAS A NONEXISTENT", " FATHER AND WAS NOT REFINED");
        return;
    }
    if (first_son(nel) != 0) {
        ierr = REFEL_HAS_SONS;
        return;
    }
    if (!passes_boundary(nel, ibtyp)) {
        ierr = REFEL_BOUNDARY;
        return;
    }
    if (!passes_set(nel)) {
        ierr = REFEL_SET;
        return;
    }
    if (const int rc = refine(nel, uold, unew, icolu); rc != MESH_DONE) {
        ierr = REFEL_REFUSED;
        if (code != nullptr) *code = rc;
        return;
    }
    mesh_changed();
}

void unrefel(int nel, int ibtyp, double* uold, double* unew, int icolu, int& ierr) {
    ierr = UNREFEL_DONE;
    if (nel <= cdata.NRELIN) {
        ierr = UNREFEL_INITIAL;
        return;
    }
    const int f = (nel - cdata.NRELIN - 1) / 2 + 1;
    if (f > MAXFAM) {
        ierr = UNREFEL_FAMILY_RANGE;
        two_lines(76, " ELEMENT", nel, " HAS A NONEXISTENT",
                  " FAMILY NUMBER AND ITS FATHER WAS NOT UNREFINED");
        return;
    }
    if (ctree.TREE(1, f) == 0) {
        ierr = UNREFEL_NO_FATHER;
        two_lines(76, " ELEMENT", nel, " HAS A NONEXISTENT",
                  " FATHER AND ITS FATHER WAS NOT UNREFINED");
        return;
    }
    if (first_son(nel) != 0) {
        ierr = UNREFEL_HAS_SONS;
        two_lines(82, " ELEMENT", nel, " HAS BEEN REFINED,", " AND ITS FATHER CANNOT BE UNREFINED");
        return;
    }
    const int father = ctree.TREE(1, f);
    if (!passes_boundary(father, ibtyp)) {
        ierr = UNREFEL_BOUNDARY;
        return;
    }
    if (!passes_set(father)) {
        ierr = UNREFEL_SET;
        return;
    }

    // The family to undo must be one that checkun lets go: the whole
    // four-son split (verdict 1), or a family of two active sons (2 or 3).
    // Refined sons and grandsons come first: they may be unrefined later.
    int ier = 0, nexel = 0, iflag = 0, nfather = 0;
    Arr1<int, 4> nsons;
    if (half_of_four(father)) {
        const int target = father_of(father);
        const int h1 = first_son(target);
        for (int h : {h1, h1 + 1}) {
            const int g = first_son(h);
            if (first_son(g) != 0 || first_son(g + 1) != 0) ier = UNREF_SON_REFINED;
        }
        if (ier == 0) {
            checkun(family_of(h1), iflag, nfather, nsons);
            if (iflag != 1) ier = UNREF_NEIGHBOUR_REFINED;
        }
        if (ier == 0) unrefi(target, ier, nexel, uold, unew, icolu);
    } else {
        const int s1 = first_son(father);
        if (first_son(s1) != 0 || first_son(s1 + 1) != 0) ier = UNREF_SON_REFINED;
        if (ier == 0) {
            checkun(f, iflag, nfather, nsons);
            if (iflag != 2 && iflag != 3) ier = UNREF_NEIGHBOUR_REFINED;
        }
        if (ier == 0) unrefixy(father, ier, nexel, uold, unew, icolu);
    }
    ierr = ier;
    if (ier >= 0) mesh_changed();
    if (ier == UNREF_ORDERS_CHANGED) {
        const std::string form = "(A48,I" + std::to_string(iwidth(nel, 4)) + ")";
        ffldou(0, MSG_LIST,
               fmt::line(form, {" WARNING! UPON UNREFINING THE FATHER OF ELEMENT ", nel}));
        ffldou(0, MSG_LIST, " ORDERS OF CERTAIN NODES HAD TO BE CHANGED.");
    } else if (ier == UNREF_ORDERS_DIFFER) {
        two_lines(83, " WARNING! ELEMENT ", nel, " HAS A DIFFERENT ORDER",
                  " THAN ONE OF ITS BROTHERS AND COULD NOT BE UNREFINED");
    } else if (ier == UNREF_NOT_HANDLED) {
        ffldou(83, MSG_ERROR, "THIS ELEMENT CANNOT BE UNREFINED DUE");
        ffldou(0, MSG_LIST, "TO THE MESH REGULARITY ASSUMPTIONS");
    } else if (ier == UNREF_NO_SPACE) {
        mesh_refused("UNREFINE", nel, MESH_NO_DOF);
    }
}

void enrichel(int nel, int ibtyp, double* uold, double* unew, int icolu, int k, int iabs, int& ierr,
              int* code) {
    ierr = ENRICHEL_DONE;
    if (!element_exists(nel)) {
        ierr = ENRICHEL_NO_FATHER;
        two_lines(76, " ELEMENT", nel, " HAS A NONEXISTENT", " FATHER AND WAS NOT CHANGED ");
        return;
    }
    if (first_son(nel) != 0) {
        ierr = ENRICHEL_REFINED;
        two_lines(0, " ELEMENT", nel, " HAS BEEN H-REFINED", " AND ITS P-ORDER WAS NOT CHANGED");
        return;
    }
    // The filters come before the order, so that elements outside them are
    // not counted as unchanged.
    if (!passes_boundary(nel, ibtyp)) {
        ierr = ENRICHEL_BOUNDARY;
        return;
    }
    if (!passes_set(nel)) {
        ierr = ENRICHEL_SET;
        return;
    }
    const int p = std::max(1, interior_order(nel));
    long long q = iabs != 0 ? k : static_cast<long long>(p) + k;
    if (q < 1) {
        ierr = ENRICHEL_RAISED;
        q = 1;
    } else if (q > MAXP) {
        ierr = ENRICHEL_LOWERED;
        q = MAXP;
    }
    if (q == p) {
        ierr = ENRICHEL_UNCHANGED;
        return;
    }
    const int order = static_cast<int>(q);
    const int rc =
        order > p ? enrich(nel, order, uold, unew, icolu) : unrich(nel, order, uold, unew, icolu);
    if (rc != MESH_DONE) {
        ierr = ENRICHEL_REFUSED;
        if (code != nullptr) *code = rc;
        return;
    }
    mesh_changed();
}

void group_stopped(std::string_view command, int nel, int code, int changed,
                   std::string_view verb) {
    // Built by appending: g++ 12 warns wrongly about "literal" + string.
    std::string text(command);
    text.append(" STOPPED AT ELEMENT ").append(std::to_string(nel)).append(": ");
    text.append(mesh_refusal_reason(code)).append("; ").append(std::to_string(changed));
    text.append(changed == 1 ? " ELEMENT WAS " : " ELEMENTS WERE ").append(verb);
    ffldou(0, MSG_ERROR, text);
}

}  // namespace kavren
