// The command area, the text ring, the menu table, the window state, the
// plot scale and the state of the screen driver and the PostScript writer.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"
#include "support/word.hpp"

namespace kavren {

struct Cinput {
    Arr1<int, 4> LENLIN;     // length of each command-area line, prompt included
    Arr1<Line80, 4> CMDLIN;  // line 1 the edit line, 2 the newest command or message
};
struct Cbuftext {
    Arr1<Chars<72>, RING_LINES> BUFTXT;  // ring of output lines
    int IVIEW = 0;                       // ring line shown lowest
    int ILAST = 0;                       // ring line stored last (0 before the first)
    int ISCROL = 0;                      // 1 while the view is scrolled back
    int IWRAP = 0;                       // 1 once the ring has wrapped
    int NSHOW = 3;                       // ring lines shown
    int redraw2 = 0;                     // 1 asks for a full redraw
};

struct Cmenu {
    Arr1<Chars<10>, MENU_POOL> MENTRY;  // all entries, menu after menu; a menu's first is its title
    Arr1<int, MENU_POOL> MLEN;          // length of each entry without trailing blanks
    Arr1<int, MENU_POOL + 1> MFIRST;    // pool index of each menu's title; 0 after the last menu
    Arr2<int, 2, MENU_POOL> MDESC;      // row 1 entries of each menu with its title; row 2 always 2
    int NENTR = 0;                      // entries stored
    int NMENU = 0;                      // menus stored
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
    int ISCRN = 0;     // 1: the m-calls draw on the screen
    int ILASER = 0;    // 1: the m-calls write to the PostScript file
    int NGRAY = 0;     // gray levels of PostScript fills
    int IROT = 0;      // 1: PostScript texts are turned 90 degrees
    Chars<10> PSNAME;  // PostScript file name, lower case
};
struct Cxmin {
    double XMIN = 0.0, XMAX = 0.0, YMIN = 0.0, YMAX = 0.0;  // plot extents, world coordinates
};

//// plot scale ////

struct Cscale {
    int LAYOUT = 0;  // plot layout code 0..4, set by the plotter before start1
};
// World to pixel: pixel x = XSCALE x + XOFF, pixel y = YSCALE y + YOFF.
struct Iscaler {
    double SCALE = 0.0;  // the common factor of the one-factor calls
    double XOFF = 0.0;   // pixel offsets
    double YOFF = 0.0;
    double XSHIFT = 0.0;  // lower-left corner of the plot area, pixels
    double YSHIFT = 0.0;
    double XSCALE = 0.0;  // factors of x and y
    double YSCALE = 0.0;
};
// The same factors in PostScript points (times 550/WSIZE).
struct Lscale {
    double SCALE = 0.0;
    double XOFF = 0.0;
    double YOFF = 0.0;
    double XSCALE = 0.0;
    double YSCALE = 0.0;
    int LPOINT = 0;  // 1: the coordinates handed to the writer are points already
};
struct Iscale {
    int IWIDTH = 0;       // window width in pixels (450 when the window opens)
    int IHEIGHT = 0;      // window height in pixels
    Arr1<int, 4> ISPARE;  // not used
    int ILAYF = 0;        // 1: the last layout 0 or 1 put a tall picture beside its key
};
// The scale of the last picture drawn on the screen, copied by setscale when
// the screen is on: the mouse picks map through it, so a plot written only to
// a file does not move what the picks find.
struct Cpicksc {
    double SCALE = 0.0;  // one factor, pixels per world unit
    double XOFF = 0.0;   // pixel offsets
    double YOFF = 0.0;
    int ILAYF = 0;  // layout of the order key beside (1) or below (0) the picture
};
struct Viewport {
    int IVX1 = 0, IVY1 = 0, IVX2 = 0, IVY2 = 0;  // pixel clip rectangle of the plot area
};
struct Credraw {
    Line80 TITLE0;  // title of the last plot, for the repaint
    int NLEG0 = 0;  // legend lines of the last plot
};

//// screen driver ////

struct Clmap {
    int MAPMOD = 0;  // active palette 0, 1 or 2
    int MAPUSE = 0;  // 1 for palettes 1 and 2: boxes and fills add MAPBAS
    int MAPBAS = 0;  // first cell of the active palette
};
struct Xgmovs {
    int IXPEN = 0, IYPEN = 0;  // pen position in pixels; the text position after dmovt, dmovet
};

//// PostScript writer ////

struct Wplotinf {
    int LUNPS = 70;        // unit of the PostScript file
    int NPATH = 0;         // path-buffer calls since the last new-path point
    Arr1<float, 4> EXT3D;  // extents kept by the 3-D pictures
};

extern Cinput cinput;
extern Cbuftext cbuftext;
extern Cmenu cmenu;
extern Mstack mstack;
extern Iwindo iwindo;
extern Wsize wsize;
extern Claser claser;
extern Cxmin cxmin;
extern Cscale cscale;
extern Iscaler iscaler;
extern Lscale lscale;
extern Iscale iscale;
extern Cpicksc cpicksc;
extern Viewport viewport;
extern Credraw credraw;
extern Clmap clmap;
extern Xgmovs xgmovs;
extern Wplotinf wplotinf;

}  // namespace kavren
