// Undo journal of mesh changes, result codes and refusals.
#include "hpmesh/journal.hpp"

#include <string>
#include <utility>
#include <vector>

#include "control/messages.hpp"
#include "records/limits.hpp"

namespace kavren {

namespace {

// The old values of the writes made while a transaction is open, in the order
// of the writes. Integers and reals live at different addresses, so undoing
// each list backwards restores every address to its value before the first
// write.
struct Journal {
    int depth = 0;
    std::vector<std::pair<int*, int>> ints;
    std::vector<std::pair<double*, double>> reals;
};

Journal& journal() {
    static Journal j;
    return j;
}

std::string with_number(const char* before, int n, const char* after) {
    std::string s(before);
    s.append(std::to_string(n)).append(after);
    return s;
}

}  // namespace

void jset(int& ref, int value) {
    Journal& j = journal();
    if (j.depth > 0) j.ints.emplace_back(&ref, ref);
    ref = value;
}

void jset(double& ref, double value) {
    Journal& j = journal();
    if (j.depth > 0) j.reals.emplace_back(&ref, ref);
    ref = value;
}

MeshTransaction::MeshTransaction() {
    Journal& j = journal();
    ++j.depth;
    int_mark_ = j.ints.size();
    real_mark_ = j.reals.size();
}

MeshTransaction::~MeshTransaction() {
    Journal& j = journal();
    if (--j.depth == 0) {
        // Keep the capacity: a change allocates only while the journal grows
        // beyond its largest size so far.
        j.ints.clear();
        j.reals.clear();
    }
}

void MeshTransaction::rollback() {
    Journal& j = journal();
    while (j.ints.size() > int_mark_) {
        *j.ints.back().first = j.ints.back().second;
        j.ints.pop_back();
    }
    while (j.reals.size() > real_mark_) {
        *j.reals.back().first = j.reals.back().second;
        j.reals.pop_back();
    }
}

std::string mesh_refusal_reason(int code) {
    switch (code) {
        case MESH_NO_FAMILY:
            return "NO FREE FAMILY LEFT";
        case MESH_NO_SLOT:
            return with_number("NO ELEMENT SLOT LEFT (", MAXSLOT, " SLOTS)");
        case MESH_NO_NODE:
            return with_number("NO FREE NODE LEFT (", MAXNOD, " NODES)");
        case MESH_NO_DOF:
            return with_number("NO FREE DEGREE OF FREEDOM LEFT (", MAXDOF, ")");
        case MESH_TOO_DEEP:
            return with_number("A SON WOULD LIE MORE THAN ", NEIGBR_DEPTH,
                               " LEVELS DEEP IN ONE DIRECTION");
        case MESH_STACK_FULL:
            return with_number("MORE THAN ", REFINE_STACK - 1,
                               " LARGER NEIGHBOURS WOULD HAVE TO BE SPLIT FIRST");
        case MESH_BAD_ORDER:
            return "INVALID ORDER CODE";
        default:
            return "REFUSED";
    }
}

void mesh_refused(std::string_view action, int nel, int code, int value) {
    // Built by appending: g++ 12 warns wrongly about "literal" + string.
    std::string text(action);
    text.append(" OF ELEMENT ").append(std::to_string(nel)).append(" REFUSED: ");
    text.append(mesh_refusal_reason(code));
    if (code == MESH_BAD_ORDER) text.append(" ").append(std::to_string(value));
    text.append("; THE MESH IS UNCHANGED");
    ffldou(0, MSG_ERROR, text);
}

}  // namespace kavren
