// Changes of the hp mesh that either complete or leave nothing behind: an undo
// journal of the writes to the mesh records and the solution arrays, the
// result codes of the refinement and enrichment routines, and the one message
// with which they refuse a change.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kavren {

// Result codes of refine, refinexy, enrich, unrich and the routines under them.
constexpr int MESH_DONE = 0;
constexpr int MESH_NO_FAMILY = 1;   // the free-family list would run empty
constexpr int MESH_NO_SLOT = 2;     // a son would need a slot above MAXSLOT
constexpr int MESH_NO_NODE = 3;     // the free-node list is exhausted
constexpr int MESH_NO_DOF = 4;      // the free-dof list is exhausted
constexpr int MESH_TOO_DEEP = 5;    // a son would lie beyond the levels neigbr follows
constexpr int MESH_STACK_FULL = 6;  // too many larger neighbours wait to be split first
constexpr int MESH_BAD_ORDER = 7;   // an order code outside the valid codes

// Writes value into ref; inside a MeshTransaction the old value is kept first.
// Every write of the change routines to the mesh records and the solution
// arrays goes through jset, so that a refused change can be undone.
void jset(int& ref, int value);
void jset(double& ref, double value);

// A change that either completes or is undone. Transactions nest: an inner one
// undoes only what was written since it began; the journal is dropped when the
// outermost one ends.
class MeshTransaction {
  public:
    MeshTransaction();
    ~MeshTransaction();
    MeshTransaction(const MeshTransaction&) = delete;
    MeshTransaction& operator=(const MeshTransaction&) = delete;
    // Restores every value written since this transaction began.
    void rollback();

  private:
    std::size_t int_mark_;
    std::size_t real_mark_;
};

// Reports a refused change of element nel ("REFINE", "REFINEXY", "ENRICH",
// "UNRICH") as an error message naming the capacity or rule that refused it.
void mesh_refused(std::string_view action, int nel, int code, int value = 0);
// The text of a refusal reason.
std::string mesh_refusal_reason(int code);

}  // namespace kavren
