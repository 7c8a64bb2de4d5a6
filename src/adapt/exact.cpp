#include "adapt/exact.hpp"

#include "control/debug.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "eval/evaluator.hpp"
#include "eval/ifcompo.hpp"
#include "records/debug.hpp"
#include "records/eval.hpp"
#include "records/limits.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

// Registration of "EXACT" with the debug prints, kept for the whole run.
int g_irout = 0;
int g_idbg = 0;

void print_value(const char* label, double value, bool stop) {
    dbgprint(2, "EXACT", label, nullptr, &value, 1, 1, 1, 1, 1, stop ? 1 : 0);
}

void print_index(int ivar) {
    dbgprint(1, "EXACT", "ICOMP", &ivar, nullptr, 1, 1, 1, 1, 1, 0);
}

}  // namespace

void exact(double& x, double& y, double& u, double* du, double* d2u) {
    if (g_irout != 100) initdbg("EXACT", g_irout, g_idbg);
    // The trace runs only for a switch of exactly 1.
    const bool trace = cdbg.IDBGSW(12 + g_idbg) == 1;
    if (trace) {
        print_value("X", x, false);
        print_value("Y", y, true);
    }
    // The exact solution sees element 1 and zero solution values.
    const double zero[MAX_EQNS] = {0.0, 0.0, 0.0, 0.0};
    struct Output {
        const char* name;
        double* place;
        const char* label;
    };
    const Output outputs[6] = {
        {"OMEGA", &u, "UVECT"},          {"OMEGAX", &du[0], "DUVECT"},
        {"OMEGAY", &du[1], "DUVECT"},    {"OMEGAXX", &d2u[0], "DDUVECT"},
        {"OMEGAYY", &d2u[3], "DDUVECT"}, {"OMEGAXY", &d2u[2], "DDUVECT"},
    };
    if (!trace) {
        // Definitions made meanwhile count at once; one run of the store
        // serves all six when it can. The slots of the six names are looked
        // up again whenever the store or the number of variables has changed
        // since, which is when a name can change its slot or come into being.
        Cstknw& s = cstknw;
        if (s.XGENER != store_generation() || s.XNUMVR != b4.NUMVAR) {
            for (int k = 0; k < 6; ++k) s.IXSLOT(k + 1) = ifcompo(outputs[k].name);
            s.XGENER = store_generation();
            s.XNUMVR = b4.NUMVAR;
        }
        double values[6];
        userf_all(1, x, y, zero, zero, zero, s.IXSLOT.data(), 6, values);
        for (int k = 0; k < 6; ++k) *outputs[k].place = values[k];
        d2u[1] = d2u[2];
        return;
    }
    for (int k = 0; k < 6; ++k) {
        const int ivar = ifcompo(outputs[k].name);
        if (k == 0) {
            write_terminal(fmt::list({"EXACT: set x=?"}));
            readr("X", x);
            y = 0.0;
        }
        *outputs[k].place = userf(1, x, y, zero, zero, zero, ivar);
        print_index(ivar);
        print_value(outputs[k].label, *outputs[k].place, true);
    }
    d2u[1] = d2u[2];
    write_terminal(fmt::list({"ON EXIT"}));
    dbgprint(2, "EXACT", "DDUVECT", nullptr, du, 2, 1, 2, 1, 1, 1);
}

}  // namespace kavren
