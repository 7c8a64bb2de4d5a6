#include "session/cusmen.hpp"

#include "control/menu.hpp"
#include "records/window.hpp"

namespace kavren {

void cusmen() {
    // The mesh menu of the EXECUTE driver: its title and ten entries, menu
    // 65 after the 64 pre-defined ones.
    const char* const words[] = {"MESH",    "REFINE", "UNREFINE",   "ENRICH",
                                 " GLOBAL", " ORDER", " INCREMENT", " BOUNDARY",
                                 " ELSET",  "PLOT",   " COMPONENT"};
    int n = 0;
    for (const char* w : words) cmenu.MLIST(++n) = Chars<10>(w);
    decrip(n);
    check_menu_limits();
    // Menus defined later are numbered from 101.
    cmenu.NMENU = 100;
}

}  // namespace kavren
