#include "adapt/errexact.hpp"

#include <algorithm>
#include <cmath>

#include "control/debug.hpp"
#include "control/messages.hpp"
#include "fem/shape.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "records/debug.hpp"
#include "records/execute.hpp"
#include "records/fem.hpp"
#include "records/mesh.hpp"
#include "records/preso.hpp"
#include "support/format.hpp"
#include "user/problem.hpp"

namespace kavren {

namespace {

// Registration of "ERREX" with the debug prints, kept for the whole run.
int g_irout = 0;
int g_idbg = 0;

void print_int(const char* label, int v, bool stop = false) {
    dbgprint(1, "ERREX", label, &v, nullptr, 1, 1, 1, 1, 1, stop ? 1 : 0);
}

void print_real(const char* label, double v, bool stop = false) {
    dbgprint(2, "ERREX", label, nullptr, &v, 1, 1, 1, 1, 1, stop ? 1 : 0);
}

// The element's prints before its Gauss points.
void trace_element(int nel, const int* nord, Arr2<double, 2, 9>& xnodl, int ng) {
    print_int("NEL", nel);
    dbgprint(1, "ERREX", "IDEGR", nord, nullptr, 9, 1, 9, 1, 1, 0);
    dbgprint(2, "ERREX", "XNODL", nullptr, xnodl.data(), 2, 1, 2, 1, 9, 0);
    print_int("NDOF", cpreso.NDOFE);
    dbgprint(2, "ERREX", "UELNEW", nullptr, &cpreso.UENEW(1, 1), MAXLDOF, 1, cpreso.NDOFE, 1, 1, 0);
    print_int("IGA", ng, true);
}

}  // namespace

int errex(int nel, int& ndof1, double& el2, double& eh1, double& emax) {
    if (g_irout != 100) initdbg("ERREX", g_irout, g_idbg);
    const int sw = cdbg.IDBGSW(12 + g_idbg);
    const bool trace = debug_selects(sw, nel);
    cpreso.NEL = nel;
    Infelm inf;
    infelm(nel, inf);
    int nord[9];
    for (int k = 1; k <= 9; ++k) nord[k - 1] = std::max(1, inf.IDGS(k));
    Arr2<double, 2, 9> xnodl;
    nodcor(nel, xnodl);
    // All four components, whatever the number of equations.
    for (int k = 1; k <= MXEQNS_MAX; ++k)
        solelm(nel, cpreso.NDOFE, cpreso.NDOFL, &cpreso.UENEW(1, k), &cunew.UNEW(1, k));
    const int ndofe = cpreso.NDOFE;
    const int ng = std::max({1, nord[4], nord[5], nord[6], nord[7]}) + 1;
    ndof1 = std::max(1, nord[8]);
    if (trace) trace_element(nel, nord, xnodl, ng);

    double l2 = 0.0, h1 = 0.0, emx = 0.0;
    bool bad_jacobian = false;
    double dxi[MAX_ELFUN], deta[MAX_ELFUN];
    const double* ue = &cpreso.UENEW(1, 1);
    Celsize1& m = celsize1;
    Celsize2& im = celsize2;
    for (int j = 1; j <= ng; ++j) {
        for (int i = 1; i <= ng; ++i) {
            cmelem.IINT = i;
            cmelem.IJNT = j;
            cmelem.XI = cint.XG(i, ng);
            cmelem.ETA = cint.XG(j, ng);
            double x = 0.0, y = 0.0, detj = 0.0;
            bjcbian(xnodl.data(), cmelem.XI, cmelem.ETA, m.DXDXI, m.DXDETA, m.DYDXI, m.DYDETA, x, y,
                    im.DXIDX, im.DXIDY, im.DETADX, im.DETADY, detj);
            double u = 0.0, du[2] = {0.0, 0.0}, d2u[4] = {0.0, 0.0, 0.0, 0.0};
            problem_exact(x, y, u, du, d2u);
            dshap2(nord, cmelem.XI, cmelem.ETA, dxi, deta);
            shape2(nord, cmelem.XI, cmelem.ETA, cmelem.VSHAP.data());
            double uh = 0.0, uhx = 0.0, uhy = 0.0;
            for (int k = 1; k <= ndofe; ++k) {
                const double vx = dxi[k - 1] * im.DXIDX + deta[k - 1] * im.DETADX;
                const double vy = dxi[k - 1] * im.DXIDY + deta[k - 1] * im.DETADY;
                cmelem.VSHAPX(k) = vx;
                cmelem.VSHAPY(k) = vy;
                uh += ue[k - 1] * cmelem.VSHAP(k);
                uhx += ue[k - 1] * vx;
                uhy += ue[k - 1] * vy;
            }
            // A folded or degenerate map is reported; its measure counts
            // positive, so that the errors stay norms.
            if (!(detj > 0.0)) bad_jacobian = true;
            const double w = std::fabs(detj) * cint.W2(i, j, ng);
            l2 += (uh - u) * (uh - u) * w;
            h1 += ((uhx - du[0]) * (uhx - du[0]) + (uhy - du[1]) * (uhy - du[1])) * w;
            emx = std::max(emx, std::fabs(uh - u));
            if (trace) {
                print_int("IINT", i);
                print_int("JINT", j);
                print_real("XS", cmelem.XI);
                print_real("YS", cmelem.ETA);
                print_real("XA", x);
                print_real("YA", y);
                print_real("DET", detj);
                dbgprint(2, "ERREX", "DUVECT", nullptr, du, 2, 1, 2, 1, 1, 0);
                const double dusol[2] = {uhx, uhy};
                dbgprint(2, "ERREX", "DUSOL", nullptr, dusol, 2, 1, 2, 1, 1, 0);
                print_real("ERROR_H1", h1, true);
            }
        }
    }
    el2 = std::sqrt(l2);
    eh1 = std::sqrt(h1);
    emax = emx;
    return bad_jacobian ? ERREX_DETJ : ERREX_DONE;
}

void errexact(SlotErrors& errl2, SlotErrors& errh1, SlotErrors& errmax) {
    int ndof = 1, nel = 0;
    double s2 = 0.0, sh = 0.0, smax = 0.0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        int nslot = 0;
        findno(nel, nslot);
        int ndof1 = 0;
        const int res = errex(nel, ndof1, errl2(nslot), errh1(nslot), errmax(nslot));
        if (res == ERREX_DETJ)
            ffldou(0, MSG_ERROR,
                   fmt::line("(A,I6,A)", {"ERREST: ELEMENT", nel,
                                          " HAS DETJ <= 0 AT A GAUSS POINT; |DETJ| TAKEN"}));
        if (std::isnan(errl2(nslot)) || std::isnan(errh1(nslot)) || std::isnan(errmax(nslot)))
            ffldou(0, MSG_ERROR,
                   fmt::line("(A,I6,A)",
                             {"ERREST: ELEMENT", nel, " HAS AN ERROR THAT IS NOT A NUMBER"}));
        s2 += errl2(nslot) * errl2(nslot);
        sh += errh1(nslot) * errh1(nslot);
        smax = std::max(smax, errmax(nslot));
        ndof += ndof1;
    }
    const double l2 = std::sqrt(s2), h1 = std::sqrt(sh);
    if (cndimen.NDIMEN == 2) ndof = cdata.NRDOF;
    // The dof count's logarithm is taken in single precision.
    const double logn = static_cast<double>(std::log10(static_cast<float>(ndof)));
    write_terminal(fmt::line("(1x,'TOTAL NDOF=',i6,'    log10=',e10.4)", {ndof, logn}));
    // A total of 0 shows its logarithm as -Infinity.
    write_terminal(fmt::list({"TOTAL ERRORS:"}));
    write_terminal(fmt::line("(1x,'L2:  ',e12.4,'    log10=',e10.4)", {l2, std::log10(l2)}));
    write_terminal(fmt::line("(1x,'H1:  ',e12.4,'    log10=',e10.4)", {h1, std::log10(h1)}));
    write_terminal(fmt::line("(1x,'MAX: ',e12.4,'    log10=',e10.4)", {smax, std::log10(smax)}));
}

}  // namespace kavren
