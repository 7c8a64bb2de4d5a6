// The STORAGE level and the save file's stream: what SAVE writes and how
// RECOVER reads it back.
//
// The stream, item by item (I an integer, R a real):
//   1  the 10 capacities of the header (I)
//   2  NREQNS, MXEQNS (I)                 3  ICOUPL(1..MXEQNS, i), i = 1..MXEQNS (I)
//   4  ISYMET (I)                         5  NRELEM, NRELIN, NRNODS, NRDOF, NRFAM (I)
//   6  NFSON(1..NRELIN) (I)               7  TREE(1..5, f), f = 1..header word 4 (I)
//   8  NEIG(1..4, e), e = 1..NRELIN (I)   9  NPDOF, NPNOD, NPFAM (I)
//  10  NODPTR(1..header word 6) (I)
//  11  for each active element in tree order: its 9 nicknames (I); then for
//      each node it is the first to name: x, y (R), and for each dof of the
//      node's chain the pairs UOLD, UNEW of components 1..MXEQNS (R) and the
//      number of the next dof (I, 0 after the last)
//  12  IBKIND(1..header word 10) (I)      13  the six words of cflags (I)
//  14  when ISLVDF = 1: integer word p and real word p of cslvdefs, p = 1..10
//  15  when IESTDF is not 0: ESTDEF(1..10) (I)
//  16  when IESTIM = 1: the integer of cerresi, ERRGL(1..5), then ERREL(i, 1..4)
//      for each position i = 1..NRELEM of the tree order (R)
// A recovery numbers the dofs afresh, 1..NRDOF in the order the stream
// meets them, each chain consecutive.
#include "session/dump.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "control/echo.hpp"
#include "control/extension.hpp"
#include "control/level.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "control/utility.hpp"
#include "fem/shape.hpp"
#include "hpmesh/dbcheck.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"
#include "meshgen/handover.hpp"
#include "records/control.hpp"
#include "records/estimate.hpp"
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/problem.hpp"
#include "records/savefile.hpp"
#include "support/convert.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

constexpr int STORAGE_MENU = 35;
constexpr int HELP_STANDARD = 21;  // help topics of "?" at the level
constexpr int HELP_CUSTOM = 30;
constexpr int HELP_FILE = 15;  // of a FILE option without a name
constexpr int HELP_UNKNOWN = 1;

// The header: this system's capacities. Word 9 is the row count of the
// solution arrays; words 4, 6 and 10 give the lengths of items 7, 10 and 12.
constexpr int H_SLOTS = 2, H_INITIAL = 3, H_FAMILIES = 4, H_NODES = 6, H_DOFS = 7,
              H_BOUNDARIES = 10;

std::array<int, SAVE_HEADER> capacities(int icolu) {
    return {ICOLU_ROWS * MXEQNS_MAX, MAXSLOT, MAXIEL,      MAXFAM, SAVE_CARRIED_5, MAXNOD, MAXDOF,
            SAVE_CARRIED_8,          icolu,   MAX_BOUNDARY};
}

// Bytes of one formatted block: 64 lines of a blank and four 22-column values.
constexpr long TEXT_BLOCK_BYTES = SAVE_LINES * (1 + 4 * 22 + 1);

long position(int d, int k, int icolu) {
    return d - 1 + static_cast<long>(icolu) * (k - 1);
}

std::string upper_text(std::string s) {
    upper(s);
    return s;
}

//// writer ////

class StreamWriter {
  public:
    void integer(int v) {
        failed_ |= wrbuf(first_ ? -1 : 1, v, 0.0);
        first_ = false;
    }
    void real(double v) { failed_ |= wrbuf(2, 0, v); }
    // Ends the stream; true when every block was written.
    bool finish() {
        failed_ |= wrbuf(0, 0, 0.0);
        return failed_ == 0;
    }

  private:
    bool first_ = true;
    int failed_ = 0;
};

// Item 11. The nodes come from the shared node walk, which visits the
// elements in tree order; an element's nicknames go first, also for the
// elements that bring no new node and so never reach the walk's call-back.
void write_elements(StreamWriter& w, const double* uold, const double* unew, int icolu) {
    const int mx = ceqsys.MXEQNS;
    int last = 0, written = 0;
    auto next_element = [&] {
        last = nelcon(last);
        ++written;
        int slot = 0;
        findno(last, slot);
        for (int k = 1; k <= 9; ++k) w.integer(celem.NICK(k, slot));
    };
    walk_nodes_once([&](int nel, int, int, int node) {
        while (last != nel) next_element();
        w.real(cnode.XNOD(1, node));
        w.real(cnode.XNOD(2, node));
        for (int d = cnode.NODPTR(node); d != 0; d = cnu.NU(d)) {
            for (int k = 1; k <= mx; ++k) {
                w.real(uold[position(d, k, icolu)]);
                w.real(unew[position(d, k, icolu)]);
            }
            w.integer(cnu.NU(d));
        }
    });
    while (written < cdata.NRELEM) next_element();
}

// The whole stream; true when it was written.
bool write_stream(const double* uold, const double* unew, int icolu) {
    StreamWriter w;
    for (int v : capacities(icolu)) w.integer(v);
    const int mx = ceqsys.MXEQNS;
    w.integer(ceqsys.NREQNS);
    w.integer(mx);
    userdout();
    for (int i = 1; i <= mx; ++i)
        for (int j = 1; j <= mx; ++j) w.integer(ceqsys.ICOUPL(j, i));
    w.integer(csymet.ISYMET);
    for (int v : {cdata.NRELEM, cdata.NRELIN, cdata.NRNODS, cdata.NRDOF, cdata.NRFAM}) w.integer(v);
    for (int e = 1; e <= cdata.NRELIN; ++e) w.integer(ctree.NFSON(e));
    for (int f = 1; f <= MAXFAM; ++f)
        for (int r = 1; r <= 5; ++r) w.integer(ctree.TREE(r, f));
    for (int e = 1; e <= cdata.NRELIN; ++e)
        for (int s = 1; s <= 4; ++s) w.integer(cneig.NEIG(s, e));
    for (int v : {cpoint.NPDOF, cpoint.NPNOD, cpoint.NPFAM}) w.integer(v);
    for (int n = 1; n <= MAXNOD; ++n) w.integer(cnode.NODPTR(n));
    write_elements(w, uold, unew, icolu);
    for (int b = 1; b <= MAX_BOUNDARY; ++b) w.integer(cbound.IBKIND(b));
    const Cflags& f = cflags;
    for (int v : {f.ISOLVD, f.IESTIM, f.ISOLVR, f.IESTDF, f.ISLVDF, f.IFLAG6}) w.integer(v);
    if (f.ISLVDF == 1) {
        for (int p = 1; p <= 10; ++p) {
            w.integer(cslvdefs.ISLV(p));
            w.real(cslvdefs.RSLV(p));
        }
    }
    // The estimator defaults are whole numbers kept in a real record.
    if (f.IESTDF != 0)
        for (int p = 1; p <= 10; ++p) w.integer(nint(cestdefs.ESTDEF(p)));
    if (f.IESTIM == 1) {
        w.integer(cerresi.IERRES);
        for (int g = 1; g <= NEST_GLOBAL; ++g) w.real(cerrest.ERRGL(g));
        for (int i = 1; i <= cdata.NRELEM; ++i)
            for (int k = 1; k <= NEST_ELEMENT; ++k) w.real(cerrest.ERREL(i, k));
    }
    return w.finish();
}

// The file opened on LUSAVE for writing, empty.
bool open_for_writing(const std::string& path) {
    std::remove(path.c_str());
    if (cdump.IUNFOR == 1) return units::open_text(cinout.LUSAVE, path, units::Open::create);
    return units::open_direct(cinout.LUSAVE, path, SAVE_RECLEN);
}

// A file that holds every block written, and nothing else.
bool complete(const std::string& path, int blocks) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    const long block_bytes = cdump.IUNFOR == 1 ? TEXT_BLOCK_BYTES : SAVE_RECLEN;
    return !ec && static_cast<long>(size) == blocks * block_bytes;
}

//// reader ////

// Every record a recovery replaces, and the caller's two solution arrays.
struct Image {
    Cdata data;
    Cpoint point;
    Celem elem;
    Ctree tree;
    Cneig neig;
    Cnode node;
    Cnu nu;
    Ceqsys eqsys;
    Csymet symet;
    Cbound bound;
    Cflags flags;
    Cslvdefs slvdefs;
    Cestdefs estdefs;
    Cerrest errest;
    Cerresi erresi;
    std::vector<double> uold, unew;
};

template <typename T>
void swap_record(T& a, T& b) {
    static_assert(std::is_trivially_copyable_v<T>);
    auto* pa = reinterpret_cast<unsigned char*>(&a);
    std::swap_ranges(pa, pa + sizeof(T), reinterpret_cast<unsigned char*>(&b));
}

// The image starts as a copy of the current data: what the stream does not
// hold (slots, nodes and rows it does not name) keeps its value.
void capture(Image& m, const double* uold, const double* unew, int icolu) {
    m.data = cdata;
    m.point = cpoint;
    m.elem = celem;
    m.tree = ctree;
    m.neig = cneig;
    m.node = cnode;
    m.nu = cnu;
    m.eqsys = ceqsys;
    m.symet = csymet;
    m.bound = cbound;
    m.flags = cflags;
    m.slvdefs = cslvdefs;
    m.estdefs = cestdefs;
    m.errest = cerrest;
    m.erresi = cerresi;
    const long n = static_cast<long>(icolu) * MXEQNS_MAX;
    m.uold.assign(uold, uold + n);
    m.unew.assign(unew, unew + n);
}

// The records the tree services read: the counters, the tree and the side table.
void exchange_tree(Image& m) {
    swap_record(m.data, cdata);
    swap_record(m.tree, ctree);
    swap_record(m.neig, cneig);
}

void exchange_all(Image& m, double* uold, double* unew) {
    exchange_tree(m);
    swap_record(m.point, cpoint);
    swap_record(m.elem, celem);
    swap_record(m.node, cnode);
    swap_record(m.nu, cnu);
    swap_record(m.eqsys, ceqsys);
    swap_record(m.symet, csymet);
    swap_record(m.bound, cbound);
    swap_record(m.flags, cflags);
    swap_record(m.slvdefs, cslvdefs);
    swap_record(m.estdefs, cestdefs);
    swap_record(m.errest, cerrest);
    swap_record(m.erresi, cerresi);
    std::swap_ranges(m.uold.begin(), m.uold.end(), uold);
    std::swap_ranges(m.unew.begin(), m.unew.end(), unew);
}

// Appends the entries bound+1..last, in order, to the end of a free list that
// starts at head and continues through next(i), all within 1..bound: the
// file of a system with smaller tables leaves them free. False when the
// file's list leaves 1..bound or runs into a loop.
template <typename Next>
bool extend_free_list(int& head, Next next, int bound, int last) {
    if (bound >= last) return true;
    if (head == 0) {
        head = bound + 1;
    } else {
        int end = head;
        for (int steps = 0;; ++steps) {
            if (end < 1 || end > bound || steps >= bound) return false;
            const int n = next(end);
            if (n == 0) break;
            end = n;
        }
        next(end) = bound + 1;
    }
    for (int i = bound + 1; i < last; ++i) next(i) = i + 1;
    next(last) = 0;
    return true;
}

// A nickname that local node k of an active element can hold: a vertex names
// a node of order 1 or hangs (-1); a mid-side position names a node of order
// 2..MAXP, is constrained (-2..-MAXP) or empty (0); the interior names a node
// of order 2..MAXP or is empty. Every node named is 1 or more.
bool nickname_fits(int nick, int k) {
    int node = 0, order = 0;
    decode(nick, node, order);
    if (k <= 4) return nick == -1 || (node >= 1 && order == 1);
    if (nick == 0) return true;
    if (k <= 8 && nick < 0) return nick >= -MAXP && nick <= -2;
    return node >= 1 && order >= 2 && order <= MAXP;
}

// Reads the stream of the file open on LUSAVE into an image of the records.
class StreamReader {
  public:
    StreamReader(Image& m, int icolu, const std::string& path)
        : m_(m), icolu_(icolu), path_(path) {}

    // True when the whole stream was read and fits together; otherwise
    // too_big() or why() tell what is wrong.
    bool read() {
        return header() && equations() && counts() && families() && sides() && nodes() &&
               elements() && tail() && file_end();
    }
    bool too_big() const { return too_big_; }
    const std::string& why() const { return why_; }

  private:
    bool fail(const std::string& reason) {
        if (why_.empty()) why_ = reason;
        return false;
    }
    bool status(int s) {
        if (s == REBUF_END) return fail("IT ENDS BEFORE ITS DATA");
        if (s == REBUF_BAD)
            return fail(
                "IT HOLDS A VALUE THAT IS NOT A NUMBER, OR NOT AN INTEGER WHERE ONE IS DUE");
        return true;
    }
    bool integer(int& v) {
        double unused = 0.0;
        const int s = rebuf(first_ ? -1 : 1, v, unused);
        first_ = false;
        return status(s);
    }
    // A real of the stream: coordinates, solution values, solver settings and
    // estimates are all finite numbers in a run.
    bool real(double& v) {
        int unused = 0;
        if (!status(rebuf(2, unused, v))) return false;
        if (!std::isfinite(v)) return fail("IT HOLDS A REAL THAT IS NOT A FINITE NUMBER");
        return true;
    }
    bool integers(std::initializer_list<int*> targets) {
        for (int* t : targets)
            if (!integer(*t)) return false;
        return true;
    }

    // Item 1: a capacity above this system's refuses the file; smaller ones
    // are taken (the file then has fewer families, nodes or boundaries).
    bool header() {
        const auto own = capacities(icolu_);
        bool bigger = false, below_one = false;
        for (int i = 1; i <= SAVE_HEADER; ++i) {
            int& v = head_[static_cast<std::size_t>(i - 1)];
            if (!integer(v)) return false;
            bigger = bigger || v > own[static_cast<std::size_t>(i - 1)];
            below_one = below_one || v < 1;
        }
        if (bigger) {
            too_big_ = true;
            return false;
        }
        if (below_one) return fail("ITS HEADER HOLDS A CAPACITY BELOW 1");
        return true;
    }
    int head(int word) const { return head_[static_cast<std::size_t>(word - 1)]; }

    // Items 2 to 4; the user hook comes between the counts and the coupling.
    bool equations() {
        Ceqsys& q = m_.eqsys;
        if (!integers({&q.NREQNS, &q.MXEQNS})) return false;
        if (q.MXEQNS < 1 || q.MXEQNS > MXEQNS_MAX || q.NREQNS < 1 || q.NREQNS > q.MXEQNS)
            return fail("ITS NUMBERS OF EQUATIONS ARE NOT 1 <= NREQNS <= MXEQNS <= 4");
        userdin();
        for (int i = 1; i <= q.MXEQNS; ++i)
            for (int j = 1; j <= q.MXEQNS; ++j)
                if (!integer(q.ICOUPL(j, i))) return false;
        if (!integer(m_.symet.ISYMET)) return false;
        if (m_.symet.ISYMET != 1 && m_.symet.ISYMET != 2)
            return fail("ITS SYMMETRY FLAG ISYMET IS NEITHER 1 NOR 2");
        return true;
    }

    // Item 5 and the first-born sons of item 6.
    bool counts() {
        Cdata& c = m_.data;
        if (!integers({&c.NRELEM, &c.NRELIN, &c.NRNODS, &c.NRDOF, &c.NRFAM})) return false;
        const bool ok = c.NRELIN >= 1 && c.NRELIN <= head(H_INITIAL) && c.NRFAM >= 0 &&
                        c.NRFAM <= head(H_FAMILIES) && c.NRELEM == c.NRELIN + c.NRFAM &&
                        c.NRELEM <= head(H_SLOTS) && c.NRNODS >= 1 && c.NRNODS <= head(H_NODES) &&
                        c.NRDOF >= 1 && c.NRDOF <= head(H_DOFS);
        if (!ok) return fail("ITS COUNTS NRELEM, NRELIN, NRNODS, NRDOF, NRFAM DO NOT FIT TOGETHER");
        for (int e = 1; e <= c.NRELIN; ++e)
            if (!integer(m_.tree.NFSON(e))) return false;
        return true;
    }

    // Item 7, into a cleared family table.
    bool families() {
        m_.tree.TREE.fill(0);
        for (int f = 1; f <= head(H_FAMILIES); ++f)
            for (int r = 1; r <= 5; ++r)
                if (!integer(m_.tree.TREE(r, f))) return false;
        return true;
    }

    // Item 8: each side names an initial element or a boundary number.
    bool sides() {
        const int nrelin = m_.data.NRELIN;
        for (int e = 1; e <= nrelin; ++e) {
            for (int s = 1; s <= 4; ++s) {
                int& v = m_.neig.NEIG(s, e);
                if (!integer(v)) return false;
                if (!((v >= -MAX_BOUNDARY && v <= -1) || (v >= 1 && v <= nrelin)))
                    return fail("ITS SIDE TABLE HOLDS " + std::to_string(v) + " FOR ELEMENT " +
                                std::to_string(e));
            }
        }
        return true;
    }

    // Items 9 and 10, and the free lists of families and nodes over the whole
    // of this system's tables.
    bool nodes() {
        Cpoint& p = m_.point;
        if (!integers({&p.NPDOF, &p.NPNOD, &p.NPFAM})) return false;
        if (p.NPNOD < 0 || p.NPNOD > head(H_NODES) || p.NPFAM < 0 || p.NPFAM > head(H_FAMILIES))
            return fail("ITS FREE-LIST HEADS LIE OUTSIDE ITS TABLES");
        for (int n = 1; n <= head(H_NODES); ++n)
            if (!integer(m_.node.NODPTR(n))) return false;
        Ctree& t = m_.tree;
        Cnode& nd = m_.node;
        if (!extend_free_list(
                p.NPFAM, [&t](int f) -> int& { return t.TREE(2, f); }, head(H_FAMILIES), MAXFAM) ||
            !extend_free_list(
                p.NPNOD, [&nd](int n) -> int& { return nd.NODPTR(n); }, head(H_NODES), MAXNOD))
            return fail("ITS FREE LIST OF FAMILIES OR NODES IS BROKEN");
        // The dofs are numbered afresh.
        p.NPDOF = 1;
        return true;
    }

    // The active elements of the tree just read, in tree order, with their
    // slots. The tree services read the global records, so the image's tree
    // stands in them for the time of the walk and nothing else.
    bool topology(MeshTopology& topo) {
        std::vector<std::string> msgs;
        exchange_tree(m_);
        mesh_topology(topo, msgs);
        exchange_tree(m_);
        if (!msgs.empty())
            return fail("ITS ELEMENT TREE IS INCONSISTENT: " + upper_text(msgs.front()));
        if (static_cast<int>(topo.elems.size()) != m_.data.NRELEM)
            return fail("ITS TREE HOLDS " + std::to_string(topo.elems.size()) +
                        " ACTIVE ELEMENTS, NRELEM " + std::to_string(m_.data.NRELEM));
        return true;
    }

    // Item 11. A node met for the first time takes the next dof number for the
    // head of its chain, and its other dofs the numbers after it; the node is
    // then marked by a negative NODPTR until the walk ends.
    bool elements() {
        MeshTopology topo;
        if (!topology(topo)) return false;
        Cpoint& p = m_.point;
        Cnode& nd = m_.node;
        bool ok = true;
        for (const ActiveElement& a : topo.elems) {
            for (int k = 1; k <= 9 && ok; ++k) ok = integer(m_.elem.NICK(k, a.slot));
            for (int k = 1; k <= 9 && ok; ++k) {
                const int nick = m_.elem.NICK(k, a.slot);
                if (!nickname_fits(nick, k)) {
                    ok = fail("ELEMENT " + std::to_string(a.nel) + " LOCAL NODE " +
                              std::to_string(k) + " HAS NICKNAME " + std::to_string(nick));
                    break;
                }
                int node = 0, order = 0;
                decode(nick, node, order);
                if (node <= 0) continue;
                if (node > head(H_NODES)) {
                    ok = fail("ELEMENT " + std::to_string(a.nel) + " NAMES NODE " +
                              std::to_string(node) + ", BEYOND ITS NODE TABLE");
                } else if (nd.NODPTR(node) == 0) {
                    ok = fail("NODE " + std::to_string(node) + " IS IN USE WITHOUT A DOF");
                } else if (nd.NODPTR(node) > 0) {
                    ok = read_node(node);
                }
            }
            if (!ok) break;
        }
        for (int n = 1; n <= MAXNOD; ++n)
            if (nd.NODPTR(n) < 0) nd.NODPTR(n) = -nd.NODPTR(n);
        // The free dofs follow the renumbered ones.
        if (ok) {
            for (int d = p.NPDOF; d < MAXDOF; ++d) m_.nu.NU(d) = d + 1;
            m_.nu.NU(MAXDOF) = 0;
            if (p.NPDOF > MAXDOF) p.NPDOF = 0;
        }
        return ok;
    }

    bool new_dof(int& d) {
        if (m_.point.NPDOF > MAXDOF) return fail("ITS DOFS DO NOT FIT THE DOF TABLE");
        d = m_.point.NPDOF++;
        return true;
    }

    bool read_node(int node) {
        Cnode& nd = m_.node;
        int d = 0;
        if (!new_dof(d)) return false;
        nd.NODPTR(node) = d;
        if (!real(nd.XNOD(1, node)) || !real(nd.XNOD(2, node))) return false;
        const int mx = m_.eqsys.MXEQNS;
        for (int len = 1;; ++len) {
            for (int k = 1; k <= mx; ++k)
                if (!real(m_.uold[position(d, k, icolu_)]) ||
                    !real(m_.unew[position(d, k, icolu_)]))
                    return false;
            int link = 0;
            if (!integer(link)) return false;
            if (link == 0) {
                m_.nu.NU(d) = 0;
                break;
            }
            if (len == MAX_CHAIN)
                return fail("NODE " + std::to_string(node) + " HAS A DOF CHAIN LONGER THAN " +
                            std::to_string(MAX_CHAIN));
            int next = 0;
            if (!new_dof(next)) return false;
            m_.nu.NU(d) = next;
            d = next;
        }
        nd.NODPTR(node) = -nd.NODPTR(node);
        return true;
    }

    // Items 12 to 16.
    bool tail() {
        for (int b = 1; b <= head(H_BOUNDARIES); ++b)
            if (!integer(m_.bound.IBKIND(b))) return false;
        // A smaller system has no boundary numbers beyond its own.
        for (int b = head(H_BOUNDARIES) + 1; b <= MAX_BOUNDARY; ++b) m_.bound.IBKIND(b) = 0;
        Cflags& f = m_.flags;
        if (!integers({&f.ISOLVD, &f.IESTIM, &f.ISOLVR, &f.IESTDF, &f.ISLVDF, &f.IFLAG6}))
            return false;
        // The words a run sets are 0 or 1; IESTDF and IFLAG6 are carried.
        for (int w : {f.ISOLVD, f.IESTIM, f.ISOLVR, f.ISLVDF})
            if (w != 0 && w != 1)
                return fail("ITS FLAGS ISOLVD, IESTIM, ISOLVR, ISLVDF ARE NOT ALL 0 OR 1");
        if (f.ISLVDF == 1) {
            for (int p = 1; p <= 10; ++p)
                if (!integer(m_.slvdefs.ISLV(p)) || !real(m_.slvdefs.RSLV(p))) return false;
        }
        if (f.IESTDF != 0) {
            for (int p = 1; p <= 10; ++p) {
                int v = 0;
                if (!integer(v)) return false;
                m_.estdefs.ESTDEF(p) = v;
            }
        }
        if (f.IESTIM == 1) {
            if (!integer(m_.erresi.IERRES)) return false;
            for (int g = 1; g <= NEST_GLOBAL; ++g)
                if (!real(m_.errest.ERRGL(g))) return false;
            for (int i = 1; i <= m_.data.NRELEM; ++i)
                for (int k = 1; k <= NEST_ELEMENT; ++k)
                    if (!real(m_.errest.ERREL(i, k))) return false;
        }
        return true;
    }

    // The file ends with the stream's last block; a stream that filled its
    // last block exactly is followed by one more, written by the end of the
    // stream.
    bool file_end() {
        if (cbuff2.IPOS == 1) {
            // Only the block's arrival counts: its values repeat a buffer.
            double unused = 0.0;
            int unused_int = 0;
            if (!status(rebuf(2, unused_int, unused))) return false;
        }
        const int blocks = cbuff2.IREC - 1;
        if (cdump.IUNFOR == 1) {
            std::string line;
            while (units::read_line(cinout.LUSAVE, line) == units::Status::ok)
                if (line.find_first_not_of(" \t") != std::string::npos)
                    return fail("IT HOLDS DATA AFTER THE END OF ITS STREAM");
            return true;
        }
        std::error_code ec;
        const auto size = std::filesystem::file_size(path_, ec);
        if (ec || static_cast<long>(size) != static_cast<long>(blocks) * SAVE_RECLEN)
            return fail("ITS LENGTH DOES NOT FIT ITS STREAM");
        return true;
    }

    Image& m_;
    const int icolu_;
    const std::string path_;
    std::array<int, SAVE_HEADER> head_{};
    bool first_ = true;
    bool too_big_ = false;
    std::string why_;
};

bool open_for_reading(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    if (cdump.IUNFOR == 1) return units::open_text(cinout.LUSAVE, path, units::Open::existing);
    return units::open_direct(cinout.LUSAVE, path, SAVE_RECLEN, units::Access::read);
}

// The first active element of the database whose geometry map has a
// Jacobian that is not positive at one of its four corners, as the reason a
// recovery refuses it; empty when there is none. Such an element (turned
// over, folded, or with coordinates that are no numbers) would end a solve.
std::string folded_element() {
    static constexpr double CORNER[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        Arr2<double, 2, 9> xnodl;
        nodcor(nel, xnodl);
        for (int k = 1; k <= 4; ++k) {
            double a11, a12, a21, a22, x, y, d1, d2, d3, d4, detj;
            bjcbian(xnodl.data(), CORNER[k - 1][0], CORNER[k - 1][1], a11, a12, a21, a22, x, y, d1,
                    d2, d3, d4, detj);
            if (!(detj > 0.0))
                return "THE JACOBIAN OF ELEMENT " + std::to_string(nel) +
                       " IS NOT POSITIVE AT ITS VERTEX " + std::to_string(k);
        }
    }
    return "";
}

void nothing_recovered(const std::string& path, const std::string& reason) {
    ffldou(0, MSG_ERROR, "*** NOTHING RECOVERED FROM " + path + ": " + reason);
}

//// STORAGE level ////

void storage_list() {
    ffldou(0, MSG_LIST, " OPTIONS ARE:");
    ffldou(0, MSG_ERROR, " ");
    ffldou(0, MSG_LIST, "SAVE,{FILE=FILENAME}    SAVE DATA STRUCTURE");
    ffldou(0, MSG_LIST, "RECOVER,{FILE=FILENAME} RECOVER DATA STRUCTURE");
    ffldou(0, MSG_LIST, "END,{FILE=FILENAME}     END OF MODULE");
}

// The save file the current record names: "data/" and the word after FILE,
// else the project's default. False, with the error, when FILE is not
// followed by a word.
bool save_file_name(std::string& name) {
    int nocc = 0, ipos = 0;
    findop("FILE", nocc, ipos);
    if (nocc == 0) {
        name = cflnam.FLNAM(4);
        return true;
    }
    if (ipos < 1 || ipos > iodati.NFIELD || iodati.ITYPE(ipos) != FT_WORD) {
        ffldou(HELP_FILE, MSG_ERROR, "** FILE NAME UNREADABLE ** ");
        return false;
    }
    name = "data/" + iodatc.FWORD(ipos).trimmed();
    return true;
}

bool has_option(const char* word) {
    int nocc = 0, ipos = 0;
    findop(word, nocc, ipos);
    return nocc > 0;
}

}  // namespace

//// public routines ////

int dumpout(double* uold, double* unew, int icolu, const std::string& fname) {
    // The arrays hold a row for every dof; the problem choice set MXEQNS.
    assert(icolu >= MAXDOF);
    if (check_usable_mesh() != 0) return 1;
    assert(ceqsys.MXEQNS >= 1 && ceqsys.MXEQNS <= MXEQNS_MAX);
    // What was saved before stays until the new file is complete.
    const std::string temp = fname + ".tmp";
    std::string reason;
    if (!open_for_writing(temp)) {
        reason = "ITS TEMPORARY FILE " + temp + " CANNOT BE OPENED";
    } else {
        const bool written = write_stream(uold, unew, icolu);
        units::close(cinout.LUSAVE);
        if (!written || !complete(temp, cbuff1.IREC - 1))
            reason = "ITS TEMPORARY FILE " + temp + " CANNOT BE WRITTEN";
        else if (std::rename(temp.c_str(), fname.c_str()) != 0)
            reason = "IT CANNOT BE REPLACED";
    }
    if (reason.empty()) return 0;
    std::remove(temp.c_str());
    ffldou(0, MSG_ERROR, "*** NOTHING SAVED TO " + fname + ": " + reason);
    return 1;
}

int dumpin(double* uold, double* unew, int icolu, const std::string& fname) {
    assert(icolu >= MAXDOF);  // a row for every dof the file may hold
    if (!open_for_reading(fname)) {
        nothing_recovered(fname, "IT CANNOT BE OPENED");
        return 1;
    }
    auto image = std::make_unique<Image>();
    capture(*image, uold, unew, icolu);
    StreamReader reader(*image, icolu, fname);
    const bool read = reader.read();
    units::close(cinout.LUSAVE);
    if (!read) {
        if (reader.too_big())
            ffldou(0, MSG_ERROR, "TOO BIG DATA FOR YOUR SYSTEM");
        else
            nothing_recovered(fname, reader.why());
        return 1;
    }
    // The recovered records take the place of the current ones for the whole
    // check; a fault puts the current ones back as they were.
    exchange_all(*image, uold, unew);
    const std::vector<std::string> faults = check_database();
    std::string reason;
    if (!faults.empty())
        reason = "ITS DATABASE IS INCONSISTENT: " + upper_text(faults.front());
    else
        reason = folded_element();
    if (!reason.empty()) {
        exchange_all(*image, uold, unew);
        nothing_recovered(fname, reason);
        return 1;
    }
    kavren::icolu.ICOLU = icolu;
    cmshst.INOMSH = 0;
    csolst.IFAILD = 0;
    return 0;
}

void dump() {
    const int topic = cmode.ICUSTM == 1 ? HELP_CUSTOM : HELP_STANDARD;
    enter_level();
    const CommandLevel level{.menu = STORAGE_MENU, .help_topic = topic};
    level_loop(level, [](int ierr) {
        std::string name;
        if (!save_file_name(name)) return LevelStep::next;
        cdump.IUNFOR = has_option("UNFORM") ? 1 : 0;
        const bool save = chkfld("SAVE", 1);
        if (save || chkfld("RECOVER", 1)) {
            // The solution arrays have ICOLU_ROWS rows; the global ICOLU holds
            // that count only once a mesh has been set up.
            if (save)
                dumpout(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS, name);
            else
                dumpin(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS, name);
            if (cbinrec.IREPLY == 1) return LevelStep::next;
            outcom(cinout.LUECHO);
            return LevelStep::next;
        }
        unknown_word(ierr, HELP_UNKNOWN, "*** UNKNOWN OPTION ***", storage_list);
        return LevelStep::next;
    });
}

}  // namespace kavren
