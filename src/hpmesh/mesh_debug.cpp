// Debug prints of the mesh change routines.
#include "hpmesh/mesh_debug.hpp"

#include "control/debug.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/tree.hpp"
#include "records/debug.hpp"
#include "records/mesh.hpp"
#include "support/format.hpp"

namespace kavren {

int DebugSwitch::value() {
    if (irout_ != 100) initdbg(name_, irout_, idbg_);
    return cdbg.IDBGSW(12 + idbg_);
}

void dbg_int(std::string_view routine, std::string_view label, int v) {
    dbgprint(1, routine, label, &v, nullptr, 1, 1, 1, 1, 1, 0);
}

void dbg_real(std::string_view routine, std::string_view label, double v) {
    dbgprint(2, routine, label, nullptr, &v, 1, 1, 1, 1, 1, 0);
}

void dbg_ints(std::string_view routine, std::string_view label, const int* a, int n) {
    dbgprint(1, routine, label, a, nullptr, n, 1, n, 1, 1, 0);
}

void dbg_reals(std::string_view routine, std::string_view label, const double* a, int n) {
    dbgprint(2, routine, label, nullptr, a, n, 1, n, 1, 1, 0);
}

void dbg_block(std::string_view routine, std::string_view label, const double* a, int ld, int i2,
               int j2) {
    dbgprint(2, routine, label, nullptr, a, ld, 1, i2, 1, j2, 0);
}

void dbg_line(std::string_view text) {
    write_terminal(fmt::list({text}));
}

void dbg_line(std::string_view text, int v) {
    write_terminal(fmt::list({text, v}));
}

namespace {

// Reads NELP; 0 when the record names none (or a replay unwinds).
int read_nelp() {
    dbg_line("SET NELP=?");
    int nelp = 0;
    readi("NELP", nelp);
    return nelp;
}

// The slot of element nel, 0 when nel is no element of the tree.
int slot_or_zero(int nel) {
    const int highest = cdata.NRELIN + 2 * MAXFAM;
    if (nel < 1 || nel > highest) return 0;
    if (nel > cdata.NRELIN) {
        int f = 0, s = 0;
        faminf(nel, f, s);
        if (ctree.TREE(1, f) == 0) return 0;
    }
    int slot = 0;
    findno(nel, slot);
    return slot >= 1 && slot <= MAXSLOT ? slot : 0;
}

}  // namespace

void nickname_dialog(std::string_view routine, std::string_view heading) {
    dbg_line(heading);
    for (int nelp = read_nelp(); nelp >= 1; nelp = read_nelp()) {
        const int slot = slot_or_zero(nelp);
        if (slot == 0) continue;
        dbg_int(routine, "NO", slot);
        dbg_ints(routine, "NODES", &celem.NICK(1, slot), 9);
    }
}

void dof_dialog(std::string_view routine, std::string_view heading) {
    dbg_line(heading);
    for (int nelp = read_nelp(); nelp >= 1; nelp = read_nelp()) {
        int fs = 0;
        if (slot_or_zero(nelp) == 0) continue;
        findfs(nelp, fs);
        if (fs != 0) continue;
        int ndofe = 0;
        Arr1<int, 9> loc;
        double ue[MAXLDOF] = {};
        solelm(nelp, ndofe, loc, ue, &cunew.UNEW(1, 1));
        dbg_ints(routine, "LOC", loc.data(), 9);
        dbg_reals(routine, "UELNEW", ue, ndofe);
    }
}

}  // namespace kavren
