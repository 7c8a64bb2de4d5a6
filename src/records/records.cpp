// The one definition of every global record.
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/window.hpp"

namespace kavren {

Iodati iodati;
Iodata iodata;
Iodatc iodatc;
Ctitle ctitle;
Cinout cinout;
Cbinrec cbinrec;
ReplayBuffer replay;
Chelp chelp;
Errcomc errcomc;
Errcom errcom;
Creadst creadst;

Cmode cmode;
Machine machine;
Display display;
Custo custo;
Cpname cpname;
Cflnam cflnam;
Cflags cflags;
Csolst csolst;
Cestdefs cestdefs;
Clac1c clac1c;
Calc1a calc1a;
Cuser cuser;

Cinput cinput;
Cbuftext cbuftext;
Cmenu cmenu;
Mstack mstack;
Iwindo iwindo;
Wsize wsize;
Claser claser;
Cxmin cxmin;
Cscale cscale;
Iscaler iscaler;
Lscale lscale;
Iscale iscale;
Cpicksc cpicksc;
Viewport viewport;
Credraw credraw;
Clmap clmap;
Xgmovs xgmovs;
Wplotinf wplotinf;

}  // namespace kavren
