// What the field plots share.
#include "plot/field_detail.hpp"

#include "control/debug.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "hpmesh/tree.hpp"
#include "plot/artcoord.hpp"
#include "plot/options.hpp"
#include "plot/scales.hpp"
#include "records/debug.hpp"
#include "records/io.hpp"
#include "records/meshgen.hpp"
#include "support/format.hpp"

namespace kavren::field {

bool word_at(int k, std::string_view w) {
    return k >= 1 && k <= iodati.NFIELD && iodati.ITYPE(k) == FT_WORD &&
           iodatc.FWORD(k).trimmed() == w;
}

void select_set() {
    csetf.ISCUR = 1;
    if (const int ipos = option_field("ELSET"); ipos != 0 && art_select_set != nullptr)
        art_select_set(ipos);
}

void range_message(int ihelp, double fmin, double fmax) {
    ffldou(ihelp, MSG_LIST, fmt::line("(A5,E12.4,A6,E12.4)", {"MIN= ", fmin, " MAX= ", fmax}));
}

void range_legend(double fmin, double fmax) {
    flegen("MIN=", fmin);
    flegen("MAX=", fmax);
    set_legend_line();
    legend();
}

int generation(int nel) {
    int levx = 0, levy = 0, nelorg = 0;
    findlvxy(nel, levx, levy, nelorg);
    return std::max(levx, levy);
}

int intervals(int nsubel, int g, int cap) {
    const int n = g < nsubel ? 1 << (nsubel - g) : 1;
    return std::min(n, cap);
}

void station(int idbg, std::string_view routine, std::string_view text, int icomp) {
    if (cdbg.IDBGSW(12 + idbg) == 0) return;
    write_terminal(fmt::list({text}));
    dbgprint(1, routine, "IFCASE", &icomp, nullptr, 1, 1, 1, 1, 1, 1);
}

}  // namespace kavren::field
