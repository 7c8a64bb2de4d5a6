// The MESH command levels.
#include "meshgen/mesh_level.hpp"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "eval/ifcompo.hpp"
#include "graphics/pick.hpp"
#include "hpmesh/elcommands.hpp"
#include "hpmesh/enrich.hpp"
#include "hpmesh/journal.hpp"
#include "hpmesh/mesh_debug.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/refine.hpp"
#include "hpmesh/refinexy.hpp"
#include "hpmesh/tree.hpp"
#include "hpmesh/unrefine.hpp"
#include "meshgen/handover.hpp"
#include "meshgen/tables.hpp"
#include "plot/graph.hpp"
#include "records/control.hpp"
#include "records/dimen.hpp"
#include "records/frontal.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

DebugSwitch mesh_debug("MESH");

constexpr int MESH_MENU = 16;
constexpr int LABEL_MENU = 6;
constexpr int EXECUTE_MENU = 65;

// Order codes of the EXECUTE driver's level: five digits from here on.
constexpr int FIRST_CODE = MAX_UNIFORM_CODE + 1;
constexpr int FIRST_CLIPPED_CODE = 88889;

// The state of one visit of a level.
struct Level {
    bool execute = false;  // meshwr
    int icomp = 0;         // component code of the drawings
    int k = 0;             // ENRICH: the order, or the increment
    int iabs = 1;          // ENRICH: 1 ORDER, 0 INCREMENT
    bool have_k = false;   // an ENRICH of this visit set k
    int ibtyp = 0;         // boundary filter of the record
    bool group = false;    // the record acts on a group of elements
    double* uold = nullptr;
    double* unew = nullptr;
    int icolu = 0;
};

//// small helpers ////

bool is_number(int k) {
    return k >= 1 && k <= iodati.NFIELD && iodati.ITYPE(k) == FT_NUMBER;
}

bool is_word(int k) {
    return k >= 1 && k <= iodati.NFIELD && iodati.ITYPE(k) == FT_WORD;
}

// The field after keyword word, 0 when the record does not hold it.
int option(std::string_view word) {
    int nocc = 0, ipos = 0;
    findop(word, nocc, ipos);
    return nocc > 0 ? std::max(ipos, 1) : 0;
}

bool menu_keyboard() {
    return cmode.IMENU == 1 && cinout.LUIN == cinout.LUKBD;
}

// Mouse picks replace a missing element number in menu mode at the keyboard.
bool pick_offered() {
    return menu_keyboard() && iodati.NFIELD < 2;
}

void redraw(Level& l) {
    if (!menu_keyboard()) return;
    if (l.execute)
        graphwr(0, 0, 0, l.unew, l.icolu, l.icomp);
    else
        graph(0, 0, 0, l.unew, l.icolu, l.icomp);
}

// "(Iw)" wide enough for n, at least w columns.
std::string iform(int n, int w) {
    const int digits = static_cast<int>(std::to_string(n).size());
    std::string form("I");
    form.append(std::to_string(std::max(w, digits)));
    return form;
}

// The element number of field 2, range-checked before it is converted: -1
// for a number that names no element of the tree's range, 0 for none.
int element_of_field2() {
    if (!is_number(2)) return 0;
    const double v = iodata.FVALUE(2);
    if (!(v >= 1.0) || v >= cdata.NRELIN + 2.0 * MAXFAM + 1.0) return -1;
    return ifix(v);
}

// Makes text the current record and echoes it: the journal of one change.
void journal(const std::string& text) {
    scroll(static_cast<int>(text.size()), text);
}

//// messages ////

void option_list() {
    static constexpr const char* LINES[] = {"ACTION: ",
                                            " ",
                                            "{REFINE,UNREFINE,ENRICH} ",
                                            "      ,NEL               ELEMENT #NEL",
                                            "      ,GLOBAL            ALL ELEMENTS",
                                            "       ,BOUNDARY=N         BOUNDARY N",
                                            "       ,ORDER=K               ORDER K",
                                            " ",
                                            " PLOT                    PLOT MESH   ",
                                            "      ,COMPONENT=C       SOLUTION C  "};
    for (const char* l : LINES) ffldou(0, MSG_LIST, l);
}

void execute_box() {
    static constexpr const char* LINES[] = {"*************************************************",
                                            "*                                               *",
                                            "*   IN ROUTINE MESH:                            *",
                                            "*                                               *",
                                            "*************************************************",
                                            "SELECT ACTION: ",
                                            " ",
                                            "PLOT.....................................plot mesh",
                                            "REFINE,elem_number..................refine element",
                                            "REFINE,GLOBAL..................refine all elements",
                                            "ENRICH,elem_number,order=?..........enrich element",
                                            "ENRICH,GLOBAL,order=?..........enrich all elements",
                                            "END...................................exit routine"};
    for (const char* l : LINES) write_terminal(fmt::list({l}));
}

void no_element() {
    ffldou(79, MSG_ERROR, "*** ELEMENT NUMBER UNREADABLE ***");
}

void does_not_exist() {
    ffldou(76, MSG_ERROR, " SUCH AN ELEMENT DOES NOT EXIST!");
}

void order_unreadable() {
    ffldou(0, MSG_ERROR, "*** ORDER UNREADABLE  ***");
}

void cannot_unrefine(int ier, int nel) {
    if (ier == UNREF_NO_SPACE) {
        mesh_refused("UNREFINE", nel, MESH_NO_DOF);
        return;
    }
    ffldou(83, MSG_ERROR, "THIS ELEMENT CANNOT BE UNREFINED DUE");
    ffldou(0, MSG_LIST, "TO THE MESH REGULARITY ASSUMPTIONS");
}

// "THIS ELEMENT HAS ALREADY BEEN REFINED" and what its refinement made: the
// four quarters of a split into four, else its two sons.
void already_refined(int nel) {
    ffldou(80, MSG_ERROR, "THIS ELEMENT HAS ALREADY BEEN REFINED");
    const int s1 = first_son(nel);
    int sons[4] = {s1, s1 + 1, 0, 0};
    int n = 2;
    const int g1 = first_son(s1), g2 = first_son(s1 + 1);
    if (ctree.TREE(4, family_of(s1)) == 1 && g1 != 0 && g2 != 0 &&
        ctree.TREE(4, family_of(g1)) == 2 && ctree.TREE(4, family_of(g2)) == 2) {
        sons[0] = g1;
        sons[1] = g1 + 1;
        sons[2] = g2;
        sons[3] = g2 + 1;
        n = 4;
    }
    const std::string form =
        "(A15," + std::to_string(n) + iform(*std::max_element(sons, sons + n), 4) + ")";
    ffldou(0, MSG_LIST,
           n == 4 ? fmt::line(form, {"ITS SONS ARE : ", sons[0], sons[1], sons[2], sons[3]})
                  : fmt::line(form, {"ITS SONS ARE : ", sons[0], sons[1]}));
}

//// the record's options ////

// COMPONENT=name|k and the stress words; false when the component is
// unknown (the record is then dropped).
bool read_component(Level& l) {
    const int ipos = option("COMPONENT");
    if (ipos == 0) return true;
    int stress = 0;
    if (cmode.IPROBG == 1) {
        static constexpr struct {
            const char* word;
            int code;
        } STRESS[] = {{"MEAN", -101}, {"SIGMA-X", -102}, {"SIGMA-Y", -103}, {"SIGMA-XY", -104}};
        for (const auto& s : STRESS)
            if (option(s.word) != 0) stress = s.code;
    }
    int code = 0;
    if (stress != 0) {
        code = stress;
    } else if (is_word(ipos)) {
        code = ifcompo(iodatc.FWORD(ipos).trimmed());
        // Index 100 and beyond would read as a user-function code.
        if (code >= 100) code = 0;
    } else if (is_number(ipos)) {
        const double v = iodata.FVALUE(ipos);
        if (v >= 1.0 && v < ceqsys.NREQNS + 1.0) code = -ifix(v);
    }
    if (code == 0) {
        ffldou(0, MSG_ERROR, " **UNKNOWN COMPONENT ");
        return false;
    }
    l.icomp = code;
    return true;
}

// ELSET=, GLOBAL and BOUNDARY=: the group flag, the current set and the
// boundary filter. False when the record ends here.
bool read_filters(Level& l) {
    l.group = false;
    l.ibtyp = 0;
    if (const int ipos = option("ELSET"); ipos != 0) {
        int mode = LOOKUP_SELECT;
        fset(ipos, mode);
        // An unknown set would turn the action on the whole mesh.
        if (mode != 0) return false;
        l.group = true;
    }
    if (option("GLOBAL") != 0) l.group = true;
    if (const int ipos = option("BOUNDARY"); ipos != 0) {
        if (is_number(ipos)) {
            const double v = iodata.FVALUE(ipos);
            if (v >= 1.0 && v < MAX_BOUNDARY + 1.0) l.ibtyp = ifix(v);
        } else if (is_word(ipos)) {
            for (int b = 1; b <= cbcons.NBLIN && b <= MAX_BOUNDARY; ++b)
                if (cbcons1.BNAME(b) == iodatc.FWORD(ipos)) l.ibtyp = b;
        }
        l.group = true;
        if (l.ibtyp == 0) {
            ffldou(0, MSG_ERROR, " BOUNDARY  UNREADABLE ");
            return false;
        }
    }
    return true;
}

// ORDER= and INCREMENT= (INCREMENT wins); without them the values of the
// last ENRICH of the visit. False when there is no order to use.
bool read_order(Level& l) {
    if (const int ipos = option("ORDER"); ipos != 0) {
        if (!is_number(ipos)) {
            order_unreadable();
            return false;
        }
        l.k = ifix(iodata.FVALUE(ipos));
        l.iabs = 1;
        l.have_k = true;
    }
    if (const int ipos = option("INCREMENT"); ipos != 0) {
        if (!is_number(ipos)) {
            ffldou(0, MSG_ERROR, "*** INCREMENT UNREADABLE  ***");
            return false;
        }
        l.k = ifix(iodata.FVALUE(ipos));
        l.iabs = 0;
        l.have_k = true;
    }
    return true;
}

// The command and the group as the record named it, for the line of a group
// command that stopped: "REFINE,GLOBAL", "ENRICH,ELSET=LEFT", ...
std::string group_command(const Level& l, std::string_view action) {
    std::string s(action);
    if (option("GLOBAL") != 0) {
        s.append(",GLOBAL");
    } else if (const int ipos = option("ELSET"); is_word(ipos)) {
        s.append(",ELSET=").append(iodatc.FWORD(ipos).trimmed());
    } else if (l.ibtyp != 0) {
        s.append(",BOUNDARY=").append(std::to_string(l.ibtyp));
    }
    return s;
}

// The active elements in tree order, in the frontal solver's NNODE, which
// the level borrows between solves.
int group_list() {
    int nel = 0;
    const int n = cdata.NRELEM;
    for (int i = 1; i <= n; ++i) ciwork.NNODE(i) = nel = nelcon(nel);
    return n;
}

//// REFINE ////

// One refinement asked for by keyword (REFINE, REFINEX, REFINEY).
int refine_one(const Level& l, std::string_view keyword, int nel) {
    if (!l.execute) return refine(nel, l.uold, l.unew, l.icolu);
    if (keyword == "REFINEX") return refinexy(nel, 1, l.uold, l.unew, l.icolu);
    if (keyword == "REFINEY" || cndimen.NDIMEN != 2)
        return refinexy(nel, 2, l.uold, l.unew, l.icolu);
    return refine(nel, l.uold, l.unew, l.icolu);
}

void refine_group(Level& l) {
    const int n = group_list();
    int refined = 0;
    for (int i = 1; i <= n; ++i) {
        const int nel = ciwork.NNODE(i);
        if (l.execute && cndimen.NDIMEN != 2) {
            // Strips: two sons in direction 2, whatever the filters say.
            if (first_son(nel) != 0) continue;
            if (const int rc = refinexy(nel, 2, l.uold, l.unew, l.icolu); rc != MESH_DONE) {
                group_stopped(group_command(l, "REFINE"), nel, rc, refined, "REFINED");
                break;
            }
            mesh_changed();
            ++refined;
            continue;
        }
        int ierr = 0, code = 0;
        refel(nel, l.ibtyp, l.uold, l.unew, l.icolu, ierr, &code);
        if (ierr == REFEL_DONE) ++refined;
        if (ierr == REFEL_REFUSED) {
            group_stopped(group_command(l, "REFINE"), nel, code, refined, "REFINED");
            break;
        }
    }
    outcom(cinout.LUECHO);
    redraw(l);
}

void refine_single(Level& l, std::string_view keyword) {
    PickList picks;
    picks.fill(0);
    if (is_number(2)) {
        picks(1) = 1;
        picks(2) = element_of_field2();
    } else if (pick_offered()) {
        vinq01(picks);
        if (mesh_debug.value() == 1) dbg_ints("MESH", "READ BY MOUS", picks.data(), picks(1) + 1);
    }
    if (picks(1) == 0) {
        no_element();
        return;
    }
    for (int j = 2; j <= picks(1) + 1 && j <= MAX_PICKS + 1; ++j) {
        const int nel = picks(j);
        if (nel == 0) continue;
        if (!element_exists(nel)) {
            does_not_exist();
            break;
        }
        if (first_son(nel) != 0) {
            if (picks(1) > 1) continue;
            already_refined(nel);
            break;
        }
        if (refine_one(l, keyword, nel) != MESH_DONE) break;
        mesh_changed();
        // REFINEX and REFINEY keep their names: a replayed REFINE would not cut the same way.
        const std::string head = keyword == "REFINE" ? "REFINE, " : std::string(keyword) + ",";
        journal(fmt::line("(A8," + iform(nel, 4) + ")", {head, nel}));
    }
    redraw(l);
}

//// UNREFINE ////

void unrefine_group(Level& l) {
    const int n = group_list();
    int* list = ciwork.NNODE.data();  // list[i - 1] is entry i
    std::vector<int> refused;         // fathers whose unrefinement was refused for good
    bool blocked = false;
    int made = 0;
    do {
        blocked = false;
        made = 0;
        for (int i = 0; i < n; ++i) {
            const int nel = list[i];
            if (nel == 0) continue;
            // An element merged away by an earlier unrefinement of this command.
            if (!element_exists(nel)) {
                list[i] = 0;
                continue;
            }
            const int target = unrefel_target(nel);
            if (target != 0 && std::find(refused.begin(), refused.end(), target) != refused.end()) {
                list[i] = 0;
                continue;
            }
            int ierr = 0;
            unrefel(nel, l.ibtyp, l.uold, l.unew, l.icolu, ierr);
            if (ierr == UNREFEL_DONE || ierr == UNREFEL_ORDERS_CHANGED) {
                ++made;
                list[i] = 0;
            } else if (ierr == UNREF_NEIGHBOUR_REFINED || ierr == UNREF_SON_REFINED) {
                blocked = true;
            } else {
                list[i] = 0;
                if (ierr < 0) refused.push_back(target);
            }
        }
    } while (blocked && made > 0);
    if (blocked) ffldou(0, MSG_LIST, " WARNING: ELEMENTS COULD NOT BE UNREFINED");
    redraw(l);
    outcom(cinout.LUECHO);
}

// The element a mouse pick asks to unrefine: the father of the element
// picked, or the whole four-son split that father is a half of.
int picked_for_unrefinement(const Level& l) {
    const bool debug = mesh_debug.value() == 1;
    if (!l.execute) {
        int nel = 0;
        vinq02(nel);
        if (debug) dbg_int("MESH", "NEL", nel);
        if (nel > cdata.NRELIN && element_exists(nel)) {
            const int f = family_of(nel);
            const int h1 = cdata.NRELIN + 2 * f - 1;
            const int g1 = first_son(h1), g2 = first_son(h1 + 1);
            if (ctree.TREE(4, f) == 1 && g1 != 0 && g2 != 0 && ctree.TREE(4, family_of(g1)) == 2 &&
                ctree.TREE(4, family_of(g2)) == 2)
                nel = ctree.TREE(1, f);
        }
        return nel;
    }
    PickList picks;
    vinq01(picks);
    int nel = 0;
    for (int j = 2; j <= picks(1) + 1 && j <= MAX_PICKS + 1 && nel == 0; ++j) nel = picks(j);
    if (debug) dbg_int("MESH", "READ BY MOUS", nel);
    if (nel <= cdata.NRELIN || !element_exists(nel)) return nel;
    const int nrf = family_of(nel);
    nel = ctree.TREE(1, nrf);
    if (debug) {
        dbg_int("MESH", "ITS FATHER", nel);
        dbg_int("MESH", "NRF", nrf);
    }
    if (nel > cdata.NRELIN) {
        int iflag = 0, nfather = 0;
        Arr1<int, 4> nsons;
        checkun(family_of(nel), iflag, nfather, nsons);
        if (iflag == 1) nel = nfather;
        if (debug) dbg_int("MESH", "GRANDFATHER", nfather);
    }
    return nel;
}

void unrefine_single(Level& l) {
    int nel = 0;
    if (is_number(2))
        nel = element_of_field2();
    else if (pick_offered())
        nel = picked_for_unrefinement(l);
    if (nel == 0) {
        no_element();
        return;
    }
    if (!element_exists(nel)) {
        does_not_exist();
        return;
    }
    const int s1 = first_son(nel);
    if (s1 == 0) {
        const std::string form = "(A8," + iform(nel, 4) + ",A26)";
        ffldou(82, MSG_ERROR, fmt::line(form, {"ELEMENT ", nel, " HAS NOT BEEN REFINED YET!"}));
        return;
    }
    int ier = 0, nexel = 0;
    if (!l.execute) {
        unrefi(nel, ier, nexel, l.uold, l.unew, l.icolu);
    } else {
        // The EXECUTE driver's level undoes what checkun lets go: a four-son
        // split, or a family of two active sons.
        int iflag = 0, nfather = 0;
        Arr1<int, 4> nsons;
        checkun(family_of(s1), iflag, nfather, nsons);
        if (mesh_debug.value() == 1) {
            dbg_int("MESH", "NFSON1", s1);
            dbg_int("MESH", "IFLAG", iflag);
            dbg_int("MESH", "NFATHER", nfather);
            dbg_ints("MESH", "NSONS", nsons.data(), 4);
        }
        if (iflag == 1)
            unrefi(nel, ier, nexel, l.uold, l.unew, l.icolu);
        else if (iflag == 2 || iflag == 3)
            unrefixy(nel, ier, nexel, l.uold, l.unew, l.icolu);
        else
            ier = UNREF_NOT_HANDLED;
        if (mesh_debug.value() == 1) dbg_int("MESH", "IER", ier);
    }
    if (ier < 0) {
        cannot_unrefine(ier, nel);
        return;
    }
    mesh_changed();
    if (ier == UNREF_ORDERS_CHANGED) {
        const std::string form = "(A38," + iform(nel, 4) + ")";
        ffldou(0, MSG_LIST, fmt::line(form, {" WARNING! UPON UNREFINING THE ELEMENT ", nel}));
        ffldou(0, MSG_LIST, " ORDERS OF CERTAIN NODES HAD TO BE CHANGED.");
    }
    redraw(l);
    journal(fmt::line("(A10," + iform(nel, 4) + ")", {"UNREFINE, ", nel}));
}

//// ENRICH ////

void enrich_group(Level& l) {
    const int n = group_list();
    int unchanged = 0, raised = 0, lowered = 0, changed = 0;
    for (int i = 1; i <= n; ++i) {
        int ierr = 0, code = 0;
        enrichel(ciwork.NNODE(i), l.ibtyp, l.uold, l.unew, l.icolu, l.k, l.iabs, ierr, &code);
        if (ierr == ENRICHEL_UNCHANGED) ++unchanged;
        if (ierr == ENRICHEL_RAISED) ++raised;
        if (ierr == ENRICHEL_LOWERED) ++lowered;
        if (ierr == ENRICHEL_DONE || ierr == ENRICHEL_RAISED || ierr == ENRICHEL_LOWERED) ++changed;
        if (ierr == ENRICHEL_REFUSED) {
            group_stopped(group_command(l, "ENRICH"), ciwork.NNODE(i), code, changed, "ENRICHED");
            break;
        }
    }
    outcom(cinout.LUECHO);
    if (unchanged > 0)
        ffldou(85, MSG_ERROR,
               fmt::line("(A10," + iform(unchanged, 4) + ",A24)",
                         {" WARNING: ", unchanged, " ELEMENTS WERE UNCHANGED"}));
    for (int m : {raised, lowered}) {
        if (m == 0) continue;
        ffldou(153, MSG_ERROR,
               fmt::line("(A10," + iform(m, 4) + ",A9)", {" WARNING: ", m, " ELEMENTS"}));
        ffldou(0, MSG_LIST,
               m == raised ? " HAD TO BE INCREASED TO FIRST ORDER"
                           : " HAD TO BE DECREASED TO EIGHTH ORDER");
    }
}

void clipped(int nel, const char* order) {
    ffldou(153, MSG_ERROR, "WARNING: REQUEST IMPOSSIBLE");
    const std::string tail = std::string(" IS ASSIGNED ") + order;
    const std::string form = "(A8," + iform(nel, 4) + ",A" + std::to_string(tail.size()) + ")";
    ffldou(0, MSG_LIST, fmt::line(form, {"ELEMENT ", nel, tail}));
}

// A five-digit order code: every digit an order 1..8.
bool code_digits_valid(long long q) {
    for (int d = 0; d < 5; ++d, q /= 10)
        if (q % 10 < 1 || q % 10 > MAXP) return false;
    return true;
}

void enrich_single(Level& l) {
    PickList picks;
    picks.fill(0);
    if (is_number(2)) {
        picks(1) = 1;
        picks(2) = element_of_field2();
    } else if (pick_offered()) {
        int ichoice = 0;
        vinq03(picks, ichoice);
        if (ichoice >= 1 && ichoice <= MAXP) {
            l.k = ichoice;
            l.iabs = 1;
            l.have_k = true;
        }
    }
    if (!l.have_k) {
        order_unreadable();
        return;
    }
    if (picks(1) == 0) {
        no_element();
        return;
    }
    for (int j = 2; j <= picks(1) + 1 && j <= MAX_PICKS + 1; ++j) {
        const int nel = picks(j);
        if (nel == 0) continue;
        if (!element_exists(nel)) {
            does_not_exist();
            break;
        }
        if (first_son(nel) != 0) {
            already_refined(nel);
            break;
        }
        const int p = std::max(1, interior_order(nel));
        long long q = l.iabs != 0 ? l.k : static_cast<long long>(p) + l.k;
        if (q == p) {
            const std::string form = "(A12," + iform(nel, 4) + ",A16)";
            ffldou(85, MSG_ERROR, fmt::line(form, {"*** ELEMENT ", nel, " HAS ALREADY GOT"}));
            ffldou(0, MSG_LIST, "*** THIS ORDER OF APPROXIMATION");
            continue;
        }
        int code = 0;  // a five-digit order code of the EXECUTE driver's level
        if (q < 1) {
            clipped(nel, "FIRST ORDER");
            q = 1;
        } else if (l.execute && q >= FIRST_CLIPPED_CODE) {
            clipped(nel, "EIGHTH ORDER");
            q = MAXP;
        } else if (l.execute && q >= FIRST_CODE) {
            if (!code_digits_valid(q)) {
                order_unreadable();
                break;
            }
            code = static_cast<int>(q);
        } else if (q > MAXP) {
            clipped(nel, "EIGHTH ORDER");
            q = MAXP;
        }
        int rc = MESH_DONE;
        if (code != 0)
            rc = enrich(nel, code, l.uold, l.unew, l.icolu);
        else if (q > p)
            rc = enrich(nel, static_cast<int>(q), l.uold, l.unew, l.icolu);
        else if (q < p)
            rc = unrich(nel, static_cast<int>(q), l.uold, l.unew, l.icolu);
        if (rc != MESH_DONE) break;
        mesh_changed();
        // The value as given, so that a replay clips it the same way.
        const std::string form =
            "(A7," + iform(nel, 4) + (l.iabs != 0 ? ",A7," : ",A11,") + iform(l.k, 2) + ")";
        journal(fmt::line(form, {"ENRICH,", nel, l.iabs != 0 ? ",ORDER=" : ",INCREMENT=", l.k}));
    }
    redraw(l);
}

//// PLOT ////

// The PLOT action; a replay begun at its label record ends the level.
void plot(Level& l) {
    if (l.execute) {
        graphwr(1, 0, 0, l.unew, l.icolu, l.icomp);
        return;
    }
    if (cmode.IMENU == 0) {
        ffldou(0, MSG_LIST, "LABEL: ELEMENT  - ELEMENT NUMBER");
        ffldou(0, MSG_LIST, "       NODE     - NODE NUMBER");
        ffldou(0, MSG_LIST, "       NO-LABEL");
    }
    // The label record: any record but "?" and H.
    const CommandLevel label{.menu = LABEL_MENU, .help_topic = LABEL_MENU, .has_end = false};
    if (level_loop(label, [](int) { return LevelStep::leave; }) == LevelExit::replay) return;
    csetf.ISCUR = 1;
    if (const int ipos = option("ELSET"); ipos != 0) {
        int mode = LOOKUP_SELECT;
        fset(ipos, mode);
    }
    const int inode = option("NODE") != 0 ? 1 : 0;
    const int ielem = option("ELEMENT") != 0 ? 1 : 0;
    graph(1, inode, ielem, l.unew, l.icolu, l.icomp);
}

//// the level ////

void run_level(Level& l) {
    const int menu = l.execute ? EXECUTE_MENU : MESH_MENU;
    cdec.IDEC = 1;
    enter_level();
    csetf.ISCUR = 1;
    if (menu_keyboard()) {
        if (l.execute)
            graphwr(1, 0, 0, l.unew, l.icolu, l.icomp);
        else
            graph(1, 0, 0, l.unew, l.icolu, l.icomp);
    }
    bool list_options = true;
    CommandLevel level{.menu = menu, .help_topic = menu};
    // The EXECUTE driver never returns: a replay could not unwind it.
    if (l.execute) level.history = LevelHistory::list_only;
    // The options are listed on entry and after every action, not after "?" or H.
    level.prompt = [&] {
        if (list_options) {
            if (l.execute)
                execute_box();
            else if (cmode.IMENU == 0)
                option_list();
        }
        list_options = false;
    };
    level_loop(level, [&](int ierr) {
        list_options = true;
        if (ierr == 1) return LevelStep::next;  // the end of input is no command
        if (!read_component(l)) {
            list_options = false;
            return LevelStep::next;
        }
        if (chkfld("PLOT", 1)) {
            plot(l);
            return LevelStep::next;
        }
        csetf.ISCUR = 1;
        if (!read_filters(l)) return LevelStep::next;
        const bool refine_word =
            chkfld("REFINE", 1) || (l.execute && (chkfld("REFINEX", 1) || chkfld("REFINEY", 1)));
        if (refine_word) {
            const std::string keyword = iodatc.FWORD(1).trimmed();
            if (l.group)
                refine_group(l);
            else
                refine_single(l, keyword);
        } else if (chkfld("UNREFINE", 1)) {
            if (l.group)
                unrefine_group(l);
            else
                unrefine_single(l);
        } else if (chkfld("ENRICH", 1)) {
            if (!read_order(l)) return LevelStep::next;
            if (l.group) {
                if (!l.have_k) {
                    order_unreadable();
                    return LevelStep::next;
                }
                enrich_group(l);
            } else {
                enrich_single(l);
            }
        } else if (cmode.IMENU == 0) {
            ffldou(1, MSG_ERROR, "** UNKNOWN OPTION ***");
        }
        return LevelStep::next;
    });
}

}  // namespace

void mesh(double* uold, double* unew, int icolu) {
    if (check_usable_mesh() != 0) return;
    Level l;
    l.uold = uold;
    l.unew = unew;
    l.icolu = icolu;
    run_level(l);
}

void meshwr(double* uold, double* unew, int icolu) {
    if (check_usable_mesh() != 0) return;
    mesh_debug.value();  // registers the debug name "MESH"
    Level l;
    l.execute = true;
    l.uold = uold;
    l.unew = unew;
    l.icolu = icolu;
    run_level(l);
}

}  // namespace kavren
