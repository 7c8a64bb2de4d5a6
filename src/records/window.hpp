// The command area, the text ring, the menu table and the window state that
// start-up and the echo share with the window layer.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"
#include "support/word.hpp"

namespace kavren {

struct Cinput {
    Arr1<int, 4> LENLIN;      // length of each command-area line, prompt included
    Arr1<Line80, 4> CMDLIN;   // line 1 the edit line, 2 the newest command or message
};
struct Cbuftext {
    Arr1<Chars<72>, RING_LINES> BUFTXT;  // ring of output lines
    int IVIEW = 0;   // ring line shown lowest
    int ILAST = 0;   // ring line stored last (0 before the first)
    int ISCROL = 0;  // 1 while the view is scrolled back
    int IWRAP = 0;   // 1 once the ring has wrapped
    int NSHOW = 3;   // ring lines shown
    int redraw2 = 0;  // 1 asks for a full redraw
};

struct Cmenu {
    Arr1<Chars<10>, MENU_POOL> MENTRY;  // all entries, menu after menu; a menu's first is its title
    Arr1<int, MENU_POOL> MLEN;          // length of each entry without trailing blanks
    Arr1<int, MENU_POOL + 1> MFIRST;    // pool index of each menu's title; 0 after the last menu
    Arr2<int, 2, MENU_POOL> MDESC;      // row 1 entries of each menu with its title; row 2 always 2
    int NENTR = 0;  // entries stored
    int NMENU = 0;  // menus stored
    Arr1<Chars<10>, MENU_LIST> MLIST;   // scratch list of the menu being defined
};
struct Mstack {
    Arr1<Chars<10>, MENU_DEPTH> MTITLE;  // menu titles of levels 1..8
    Arr1<int, MENU_DEPTH> MTLEN;         // their lengths
};
struct Iwindo {
    int IPICK = 0;   // entry picked last
    int NROWS = 0;   // rows the column used last
    int ISPARE = 0;  // not used
    int MENUNO = 0;  // menu shown
};

struct Wsize {
    double WSIZE = 0.0;  // window height in pixels
};
struct Claser {
    int ISCRN = 0;   // screen output on
    int ILASER = 0;  // PostScript output on
    int NGRAY = 0;   // gray levels of PostScript fills
    int IROT = 0;    // rotated page
    Line80 PSNAME;   // PostScript file name
};
struct Cxmin {
    double XMIN = 0.0, XMAX = 0.0, YMIN = 0.0, YMAX = 0.0;  // plot extents, world coordinates
};

extern Cinput cinput;
extern Cbuftext cbuftext;
extern Cmenu cmenu;
extern Mstack mstack;
extern Iwindo iwindo;
extern Wsize wsize;
extern Claser claser;
extern Cxmin cxmin;

}  // namespace kavren
