#include "records/reset.hpp"

#include <memory>

#include "records/control.hpp"
#include "records/debug.hpp"
#include "records/deform.hpp"
#include "records/dimen.hpp"
#include "records/errmap.hpp"
#include "records/estimate.hpp"
#include "records/estimator.hpp"
#include "records/eval.hpp"
#include "records/execute.hpp"
#include "records/fem.hpp"
#include "records/field.hpp"
#include "records/frontal.hpp"
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/plot.hpp"
#include "records/post.hpp"
#include "records/meshgen.hpp"
#include "records/preso.hpp"
#include "records/problem.hpp"
#include "records/savefile.hpp"
#include "records/solver.hpp"
#include "records/window.hpp"

namespace kavren {

namespace {

// Builds each record afresh in its place: no copy of a large record on the
// stack, and every member takes its declared initial value.
template <typename... R>
void fresh(R&... records) {
    ((std::destroy_at(&records), std::construct_at(&records)), ...);
}

}  // namespace

void reset_run() {
    // io.hpp, control.hpp, window.hpp: the command language and the session.
    fresh(iodati, iodata, iodatc, ctitle, cinout, cbinrec, replay, chelp, errcomc, errcom, creadst);
    fresh(cmode, machine, display, custo, cpname, cflnam, cflags, cestdefs, clac1c, calc1a, cuser);
    fresh(cinput, cbuftext, cmenu, mstack, iwindo, wsize, claser, cxmin);
    // window.hpp: the plot scale, the screen driver and the PostScript writer.
    fresh(cscale, iscaler, lscale, iscale, cpicksc, viewport, credraw, clmap, xgmovs, wplotinf);
    // plot.hpp: the legend queue and what the plots keep between calls.
    fresh(clegend, cgraph, cgrafs, cartco, cxyplot);
    fresh(cdefor, cdefor2, cpost, cdrprof);
    // field.hpp: what the field plots keep; the facet store.
    fresh(cfield, cworksp);
    // errmap.hpp: what the error maps keep.
    fresh(cdiserr, cestdisp, cestdisr, cerrhist);
    // eval.hpp: the symbol tables, the store and what is known of it.
    fresh(b1, b2, b3, b3a, b4, b5, b6, calc1b, cvassn, ccompl, cstknw, cexpts);
    // The mesh database, the generator and the GEOMETRY state.
    fresh(cdata, cpoint, celem, ctree, cneig, cnode, cnu, icolu, cuold, cunew, ceqsys, csymet, cdec,
          cside);
    fresh(cnodet, ccon, ccon2, idfc, elemij, cregio, csetf, cprofi, cbcons, cbcons1, cbcons2,
          celem0, cgeomtyp, x1, noeud, tb06b, tg04b);
    fresh(cgeost, cmshst, locals, cgendr, shp);
    // fem.hpp: the current-point records; the start-up tables stay.
    fresh(cmelem, cbelem, celsize1, celsize2, cboint, csymtr);
    // The solver, the estimator, the driver, the save file and the debug switches.
    fresh(surfc2, cwrksp, ciwork, cdesve, ciaele, cxkyk, celsize);
    fresh(cerrest, cerresi, cndimen, cexecute, cpreso, cbound, cslvdefs);
    fresh(cmelemb, cdelemb1, cdelemb2, cblank, cxk, cestdbg, cerrcon, cerr1, cerrconb, cerrconc, cerr3);
    fresh(cbuff1, cbuff2, cdump, cstore);
    fresh(cdbg, cdbg1, surfc1);
}

}  // namespace kavren
