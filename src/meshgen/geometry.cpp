#include "meshgen/geometry.hpp"

#include "control/echo.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "meshgen/boundary.hpp"
#include "meshgen/elements.hpp"
#include "meshgen/handover.hpp"
#include "meshgen/mesh_level.hpp"
#include "meshgen/nodes.hpp"
#include "meshgen/drawings.hpp"
#include "meshgen/tables.hpp"
#include "records/control.hpp"
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/limits.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"

namespace kavren {

namespace {

void geometry_options() {
    ffldou(0, MSG_LIST, "CURRENT OPTIONS ARE:");
    ffldou(0, MSG_LIST, " ");
    ffldou(0, MSG_LIST, "   NODES      GENERATE A BLOCK OF NODES");
    ffldou(0, MSG_LIST, "   ELEMENT    GENERATE A BLOCK OF ELEMENTS");
    ffldou(0, MSG_LIST, "   PLOT       PLOT EXISTING GRID");
    ffldou(0, MSG_LIST, "   BOUNDARY   DEFINE BOUNDARY NUMBERS");
    ffldou(0, MSG_LIST, "   MESH       ADAPT MESH AND DUMP DATA");
}

// A mesh read from a file replaces the generation: the generator's tables go
// back to their state before the first NODES, with set 1 "MESH" current.
void file_mesh_resets() {
    reset_node_table();
    cregion();
    csets();
    cprofs();
    cbcons.NBLIN = 0;
    cbcons1.BNAME.fill(Word8());
    cbcons2.LASTBC = 0;
    cgeomtyp.IBCURV.fill(0);
    ccon.NNODG = 0;
    ccon.NELG = 0;
    cgeost.IBLOCKE = 0;
}

// Hands the generated mesh over once; IFL := 1 when it went over.
bool hand_over() {
    if (cgeost.IFL == 1) return true;
    if (transit() != HANDED_OVER) return false;
    cgeost.IFL = 1;
    return true;
}

}  // namespace

void setgeom(int& ifirst) {
    Cgeost& g = cgeost;
    if (ifirst == 0) {
        g = Cgeost();
        cbcons.NBLIN = 0;
        ccon.NNODG = 0;
        ccon.NELG = 0;
    }
    ifirst = 1;
    enter_level();
    if (cmode.IMENU == 0) geometry_options();
    CommandLevel level{.menu = 1, .help_topic = 5};
    // END hands the mesh over once and writes the grid file. GRID given more
    // often than findop lists names no grid file: findop has reported it, and
    // the END is refused.
    level.at_end = [&] {
        int nocc = 0, ipos = 0;
        findop("GRID", nocc, ipos);
        if (nocc > MAX_OCCUR) return false;
        hand_over();
        writf(g.IBLOCKE);
        return true;
    };
    level_loop(level, [&](int ierr) {
        if (chkfld("FILE", 1)) {
            // A number or nothing after FILE is passed over without a message.
            if (iodati.ITYPE(2) == FT_WORD && logrid() == 0) {
                file_mesh_resets();
                g.IFL = 1;
                g.IBOUND = 1;
            }
        } else if (chkfld("NODES", 1)) {
            if (g.IFL == 1) {
                ffldou(106, MSG_ERROR,
                       "***CANNOT GENERATE NODES WHEN MESH MODIFICATIONS HAVE BEEN PERFORMED ");
            } else if (g.IBOUND == 1) {
                ffldou(178, MSG_ERROR, "*** INITIAL MESH HAS ALREADY BEENDEFINED ***");
                ffldou(178, MSG_ERROR, "NO MORE NODES MAY BE GENERATED");
            } else {
                rnode(g.IBLOCKN);
            }
        } else if (chkfld("ELEMENT", 1)) {
            if (g.IBLOCKN == 0) {
                ffldou(107, MSG_ERROR, "***CANNOT GENERATE ELEMENTS BEFORE NODES***");
                ffldou(0, MSG_LIST, "***");
            } else if (g.IFL == 1) {
                ffldou(108, MSG_ERROR,
                       "***CANNOT GENERATE ELEMENTS WHEN MESH MODIFICATIONS HAVE BEEN PERFORMED ");
            } else if (g.IBOUND == 1) {
                // The completion has compacted the node numbers and found the
                // neighbours; new elements would be out of step with both.
                ffldou(178, MSG_ERROR, "*** INITIAL MESH HAS ALREADY BEENDEFINED ***");
                ffldou(178, MSG_ERROR, "NO MORE ELEMENTS MAY BE GENERATED");
            } else {
                relem(g.IBLOCKE);
            }
        } else if (chkfld("PLOT", 1)) {
            if (g.IBLOCKE == 0) {
                ffldou(109, MSG_ERROR, "*** CANNOT PLOT THE GRID UNTIL ELEMENTS ARE DEFINED");
                ffldou(0, MSG_LIST, "***");
            } else if (g.IFL == 1) {
                ffldou(0, MSG_ERROR, "*** MESH MODIFICATIONS HAVE BEEN PERFORMED ");
                ffldou(110, MSG_ERROR, "*** USE PLOT IN \"MESH\" TO SEE THE MESH ");
            } else {
                graphm(0);
            }
        } else if (chkfld("SETS", 1)) {
            if (g.IBLOCKE == 0) {
                ffldou(111, MSG_ERROR, "*** CANNOT DEFINE SETS UNTIL ELEMENTS ARE DEFINED");
                ffldou(0, MSG_LIST, "***");
            } else {
                genset();
            }
        } else if (chkfld("BOUNDARY", 1)) {
            if (g.IBLOCKE == 0) {
                ffldou(113, MSG_ERROR, "***CANNOT DEFINE BOUNDARIES UNTIL ELEMENTS ARE DEFINED");
                ffldou(3, MSG_ERROR, "***");
            } else if (g.IBOUND == 1) {
                ffldou(114, MSG_ERROR, "*** BOUNDARIES ARE ALREADY DEFINED  ");
            } else if (bcons()) {
                g.IBOUND = 1;
            }
        } else if (chkfld("MESH", 1)) {
            if (g.IBOUND == 0) {
                ffldou(115, MSG_ERROR,
                       "***CANNOT PERFORM MESH MODIFICATIONS UNTIL BOUNDARIES ARE DEFINED");
            } else if (hand_over()) {
                mesh(cuold.UOLD.data(), cunew.UNEW.data(), icolu.ICOLU);
            }
        } else {
            unknown_word(ierr, 1, "*** UNKNOWN OPTION ***", geometry_options);
        }
        return LevelStep::next;
    });
}

}  // namespace kavren
