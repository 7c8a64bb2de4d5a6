#include "meshgen/handover.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "control/echo.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "control/utility.hpp"
#include "hpmesh/primitives.hpp"
#include "hpmesh/setup.hpp"
#include "hpmesh/tree.hpp"
#include "records/control.hpp"
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "support/format.hpp"
#include "support/item_reader.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

//// shared steps of a new mesh ////

// A new mesh invalidates both solutions, the solution flags and every family
// of the mesh before it (the set-up rebuilds only the family links).
void forget_previous_mesh() {
    mesh_changed();
    csolst.IFAILD = 0;
    // Only the rows that a dof can address (1..MAXDOF) ever hold a value;
    // the rest of each column is never touched, so it costs no memory.
    for (int k = 1; k <= MXEQNS_MAX; ++k) {
        std::fill_n(&cuold.UOLD(1, k), MAXDOF, 0.0);
        std::fill_n(&cunew.UNEW(1, k), MAXDOF, 0.0);
    }
    ctree.TREE.fill(0);
    ctree.NFSON.fill(0);
}

// Counters and free lists of an initial mesh of NRELIN elements and NRNODS
// nodes, one dof per node.
void set_up_database() {
    cinout.LUOUT = 6;
    cinout.LUKBD = 5;
    forget_previous_mesh();
    setcon(icolu.ICOLU);
    cdata.NRELEM = cdata.NRELIN;
    cdata.NRDOF = cdata.NRNODS;
    cdata.NRFAM = 0;
    cpoint.NPNOD = cpoint.NPDOF = cdata.NRNODS + 1;
    cpoint.NPFAM = 1;
    setvec();
}

// The side of element n that the side table names as facing element e, 0 when none.
template <typename SideTable>
int facing_side(int n, int e, const SideTable& neig) {
    for (int m = 1; m <= 4; ++m)
        if (neig(m, n) == e) return m;
    return 0;
}

//// checks of an initial mesh ////

using Quad = std::array<int, 4>;

// An initial mesh as a hand-over receives it: the vertex nodes of each
// element, counter-clockwise, and its side table (the neighbouring element
// across each side, or minus a boundary number).
struct InitialMesh {
    std::vector<Quad> vert, side;
    int elements() const { return static_cast<int>(vert.size()); }
    int v(int e, int k) const {
        return vert[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>((k - 1) % 4)];
    }
    int s(int e, int k) const {
        return side[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(k - 1)];
    }
};

std::string num(int n) {
    return std::to_string(n);
}

// The side of element e that runs from node a to node b, 0 when none.
int side_from(const InitialMesh& m, int e, int a, int b) {
    for (int k = 1; k <= 4; ++k)
        if (m.v(e, k) == a && m.v(e, k + 1) == b) return k;
    return 0;
}

// What the database cannot take of a mesh, and the cyclic shift of each
// element's vertex numbering that gives neighbours the same local axes.
//
// The database takes it that side k of an element faces side (k+1) mod 4 + 1
// of its neighbour. Shifting the numbering of element e by r (new vertex k is
// old vertex (k-1+r) mod 4 + 1) keeps it counter-clockwise and turns its old
// side a into side a-r; across a common side (side a of e, side b of n) that
// asks r(n) = r(e) + b - a - 2 (mod 4). The first element of each connected
// part keeps its numbering; the others follow through the common sides, and a
// cycle of elements that asks two shifts of one element has no such
// numbering. shift[e] is the shift of element e (entry 0 unused).
//
// Empty when the mesh can be handed over; otherwise the fault, naming the
// elements, to follow the caller's lead words.
std::string mesh_fault(const InitialMesh& m, std::vector<int>& shift) {
    const int nel = m.elements();
    for (int e = 1; e <= nel; ++e)
        for (int k = 1; k <= 4; ++k)
            if (m.s(e, k) == e) return "ELEMENT " + num(e) + " SIDE " + num(k) + " NAMES ITSELF";

    // Two elements on the same four nodes.
    std::map<Quad, int> by_nodes;
    for (int e = 1; e <= nel; ++e) {
        Quad q = m.vert[static_cast<std::size_t>(e - 1)];
        std::sort(q.begin(), q.end());
        auto [it, fresh] = by_nodes.try_emplace(q, e);
        if (!fresh)
            return "ELEMENTS " + num(it->second) + " AND " + num(e) + " HAVE THE SAME VERTICES";
    }

    // A side belongs to at most two elements.
    std::map<std::pair<int, int>, std::vector<int>> owners;
    for (int e = 1; e <= nel; ++e)
        for (int k = 1; k <= 4; ++k) {
            std::vector<int>& o = owners[std::minmax(m.v(e, k), m.v(e, k + 1))];
            if (o.empty() || o.back() != e) o.push_back(e);
        }
    for (int e = 1; e <= nel; ++e)
        for (int k = 1; k <= 4; ++k) {
            const std::vector<int>& o = owners[std::minmax(m.v(e, k), m.v(e, k + 1))];
            if (o.size() <= 2) continue;
            return "ELEMENTS " + num(o[0]) + ", " + num(o[1]) + " AND " + num(o[2]) +
                   " SHARE THE SIDE FROM NODE " + num(m.v(e, k)) + " TO NODE " + num(m.v(e, k + 1));
        }

    // Neighbours name each other across one side, which they walk in turn.
    for (int e = 1; e <= nel; ++e)
        for (int k = 1; k <= 4; ++k) {
            const int n = m.s(e, k);
            if (n <= 0) continue;
            const std::string head =
                "ELEMENT " + num(e) + " SIDE " + num(k) + " NAMES ELEMENT " + num(n) + ", WHICH ";
            bool named = false;
            for (int l = 1; l <= 4; ++l) named = named || m.s(n, l) == e;
            if (!named) return head + "DOES NOT NAME IT";
            const int b = side_from(m, n, m.v(e, k + 1), m.v(e, k));
            if (b == 0 || m.s(n, b) != e)
                return head + "DOES NOT NAME IT ACROSS THE SIDE FROM NODE " + num(m.v(e, k + 1)) +
                       " TO NODE " + num(m.v(e, k));
        }

    shift.assign(static_cast<std::size_t>(nel) + 1, -1);
    auto at = [&shift](int e) -> int& { return shift[static_cast<std::size_t>(e)]; };
    for (int root = 1; root <= nel; ++root) {
        if (at(root) >= 0) continue;
        at(root) = 0;
        std::vector<int> todo{root};
        while (!todo.empty()) {
            const int e = todo.back();
            todo.pop_back();
            for (int a = 1; a <= 4; ++a) {
                const int n = m.s(e, a);
                if (n <= 0) continue;
                const int b = side_from(m, n, m.v(e, a + 1), m.v(e, a));
                const int want = ((at(e) + b - a - 2) % 4 + 4) % 4;
                if (at(n) < 0) {
                    at(n) = want;
                    todo.push_back(n);
                } else if (at(n) != want) {
                    return "NO NUMBERING OF THE VERTICES GIVES ELEMENTS " + num(std::min(e, n)) +
                           " AND " + num(std::max(e, n)) + " THE SAME LOCAL AXES";
                }
            }
        }
    }
    return "";
}

// Entries 1..4 of a column shifted by r: new entry k is old entry (k-1+r) mod 4 + 1.
template <typename Get, typename Set>
void shift_four(int r, Get get, Set set) {
    if (r == 0) return;
    int old[4];
    for (int k = 1; k <= 4; ++k) old[k - 1] = get(k);
    for (int k = 1; k <= 4; ++k) set(k, old[(k - 1 + r) % 4]);
}

// The new number of old side a of an element shifted by r.
int shifted_side(int a, int r) {
    return ((a - 1 - r) % 4 + 4) % 4 + 1;
}

// Shifts the numbering of generated element e by r: its vertices, mid-side
// nodes and side table, and the profile entries of its sides.
void renumber_generated(int e, int r) {
    if (r == 0) return;
    shift_four(
        r, [e](int k) { return celem.NICK(k, e); }, [e](int k, int v) { celem.NICK(k, e) = v; });
    shift_four(
        r, [e](int k) { return celem.NICK(k + 4, e); },
        [e](int k, int v) { celem.NICK(k + 4, e) = v; });
    shift_four(
        r, [e](int k) { return idfc.NEIGG(k, e); }, [e](int k, int v) { idfc.NEIGG(k, e) = v; });
    for (int p = 1; p <= PROF_POOL; ++p)
        if (const int s = cprofi.IPSIDE(p); cprofi.IPELEM(p) == e && s != 0 && std::abs(s) <= 4)
            // A negative side is walked the other way round: its sign stays.
            cprofi.IPSIDE(p) = s > 0 ? shifted_side(s, r) : -shifted_side(-s, r);
}

}  // namespace

//// hand-over of the generated mesh ////

int transit() {
    const int nel = ccon.NELG;
    if (nel == 0) {
        ffldou(0, MSG_LIST, "NO ELEMENT GENERATED: THE CURRENT MESH IS KEPT");
        return NOTHING_TO_HAND_OVER;
    }
    int open = 0, first_e = 0, first_k = 0;
    for (int e = 1; e <= nel; ++e)
        for (int k = 1; k <= 4; ++k)
            if (idfc.NEIGG(k, e) == 0 && open++ == 0) {
                first_e = e;
                first_k = k;
            }
    if (open > 0) {
        // The first solve or refinement would stop the run on such a side.
        ffldou(0, MSG_ERROR,
               fmt::line("(A,I4,A)", {"*** MESH NOT HANDED OVER:", open,
                                      " SIDES WITHOUT NEIGHBOUR OR BOUNDARY NUMBER"}));
        ffldou(0, MSG_LIST,
               fmt::line("(A,I4,A,I2)", {"*** THE FIRST: ELEMENT", first_e, ", SIDE", first_k}));
        ffldou(0, MSG_LIST, "*** DEFINE THE BOUNDARIES, THEN END AGAIN");
        cmshst.INOMSH = 1;
        return NOT_HANDED_OVER;
    }

    InitialMesh im;
    for (int e = 1; e <= nel; ++e) {
        im.vert.push_back({celem.NICK(1, e), celem.NICK(2, e), celem.NICK(3, e), celem.NICK(4, e)});
        im.side.push_back({idfc.NEIGG(1, e), idfc.NEIGG(2, e), idfc.NEIGG(3, e), idfc.NEIGG(4, e)});
    }
    std::vector<int> shift;
    if (const std::string fault = mesh_fault(im, shift); !fault.empty()) {
        ffldou(0, MSG_ERROR, "*** MESH NOT HANDED OVER: " + fault);
        ffldou(0, MSG_LIST,
               "*** THE GENERATED MESH CANNOT BE USED: READ ONE WITH FILE= OR RECOVER ONE");
        cmshst.INOMSH = 1;
        return NOT_HANDED_OVER;
    }
    for (int e = 1; e <= nel; ++e) renumber_generated(e, shift[static_cast<std::size_t>(e)]);

    cdata.NRELIN = cdata.NRELEM = nel;
    cdata.NRNODS = ccon.NNODG;
    ceqsys.ICOUPL(1, 1) = ceqsys.ICOUPL(2, 1) = ceqsys.ICOUPL(1, 2) = ceqsys.ICOUPL(2, 2) = 1;
    set_up_database();

    // A 4-node element takes the mid-side node of a 9-node neighbour on their
    // common side (the neighbour's side that faces it).
    for (int j = 1; j <= nel; ++j) {
        for (int k = 1; k <= 4; ++k) {
            const int n = idfc.NEIGG(k, j);
            if (celem.NICK(k + 4, j) != 0 || n <= 0) continue;
            int m = facing_side(n, j, idfc.NEIGG);
            if (m == 0) m = k <= 2 ? k + 2 : k - 2;
            if (celem.NICK(m + 4, n) != 0) celem.NICK(k + 4, j) = celem.NICK(m + 4, n);
        }
    }
    for (int j = 1; j <= nel; ++j) {
        for (int k = 1; k <= 4; ++k) {
            celem.NICK(k, j) = celem.NICK(k, j) * 100 + 1;
            celem0.NICK0(k, j) = celem.NICK(k, j);
        }
        for (int k = 5; k <= 9; ++k)
            if (celem.NICK(k, j) != 0) celem.NICK(k, j) = celem.NICK(k, j) * 100 + 2;
        for (int k = 1; k <= 4; ++k) cneig.NEIG(k, j) = idfc.NEIGG(k, j);
    }
    for (int n = 1; n <= cdata.NRNODS; ++n) {
        cnode.XNOD(1, n) = cnodet.XGEN(n);
        cnode.XNOD(2, n) = cnodet.YGEN(n);
    }
    cmshst.INOMSH = 0;
    return HANDED_OVER;
}

//// initial-mesh file ////

namespace {

bool to_ints(const std::vector<std::string>& values, int from, int n, int* out) {
    for (int i = 0; i < n; ++i)
        if (!to_int(values[static_cast<std::size_t>(from + i)], out[i])) return false;
    return true;
}

// A mesh read from the file, checked before anything of the database changes.
struct FileMesh {
    int nrnods = 0, nrelin = 0;
    std::vector<double> x, y;
    InitialMesh mesh;
};

void file_error(const std::string& text) {
    ffldou(0, MSG_ERROR, text);
}

bool read_file_mesh(ItemReader& in, FileMesh& m) {
    std::vector<std::string> v;
    auto unreadable = [&in]() {
        file_error(
            fmt::line("(A,I6)", {" ERROR READING INITIAL MESH FILE AT LINE", in.line_number()}));
        return false;
    };
    int head[3];
    double unused = 0.0;
    if (!in.item(4, v) || !to_ints(v, 0, 3, head) || !fmt::read_number(v[3], unused))
        return unreadable();
    m.nrnods = head[0];
    m.nrelin = head[1];
    if (m.nrelin < 1 || m.nrelin > MAXIEL) {
        file_error(" INITIAL MESH FILE: NUMBER OF ELEMENTS NOT IN 1..500");
        return false;
    }
    // The set-up needs fewer nodes than dofs for both free lists to start.
    if (m.nrnods < 1 || m.nrnods >= MAXDOF) {
        file_error(" INITIAL MESH FILE: NUMBER OF NODES NOT IN 1..39999");
        return false;
    }
    for (int n = 1; n <= m.nrnods; ++n) {
        int id = 0;
        double x = 0.0, y = 0.0;
        if (!in.item(3, v) || !to_int(v[0], id) || !fmt::read_number(v[1], x) ||
            !fmt::read_number(v[2], y))
            return unreadable();
        m.x.push_back(x);
        m.y.push_back(y);
    }
    for (int e = 1; e <= m.nrelin; ++e) {
        int w[5];
        if (!in.item(5, v) || !to_ints(v, 0, 5, w)) return unreadable();
        std::array<int, 4> vert{w[1], w[2], w[3], w[4]};
        for (int k : vert) {
            if (k < 1 || k > m.nrnods) {
                file_error(fmt::line("(A,I4,A)", {" INITIAL MESH FILE: ELEMENT", e,
                                                  " HAS A VERTEX NOT IN THE NODE LIST"}));
                return false;
            }
        }
        m.mesh.vert.push_back(vert);
    }
    for (int e = 1; e <= m.nrelin; ++e) {
        int w[9];
        if (!in.item(9, v) || !to_ints(v, 0, 9, w)) return unreadable();
        std::array<int, 4> side{w[1], w[2], w[3], w[4]};
        for (int k = 0; k < 4; ++k) {
            const int s = side[static_cast<std::size_t>(k)];
            if ((s >= -MAX_BOUNDARY && s <= -1) || (s >= 1 && s <= m.nrelin)) continue;
            file_error(fmt::line("(A,I4,A,I2,A)", {" INITIAL MESH FILE: ELEMENT", e, " SIDE", k + 1,
                                                   " IS NEITHER AN ELEMENT NOR A BOUNDARY 1..50"}));
            return false;
        }
        m.mesh.side.push_back(side);
    }
    return true;
}

// The corner k of element e: the cross product of its two sides there, which
// is positive at every corner of a convex counter-clockwise element.
double corner_turn(const FileMesh& f, int e, int k) {
    auto x = [&f](int n) { return f.x[static_cast<std::size_t>(n - 1)]; };
    auto y = [&f](int n) { return f.y[static_cast<std::size_t>(n - 1)]; };
    const int a = f.mesh.v(e, k), b = f.mesh.v(e, k + 1), c = f.mesh.v(e, k + 3);
    return (x(b) - x(a)) * (y(c) - y(a)) - (y(b) - y(a)) * (x(c) - x(a));
}

// What a mesh read from a file must also be, so that the database takes it and
// a save file of it is read back: every node a vertex, every element convex
// and counter-clockwise (a positive Jacobian at its corners); then the checks
// of every hand-over. (The number reader takes finite numbers only.) Empty
// when it is.
std::string file_mesh_fault(const FileMesh& f, std::vector<int>& shift) {
    std::vector<char> used(static_cast<std::size_t>(f.nrnods) + 1, 0);
    for (const Quad& q : f.mesh.vert)
        for (int n : q) used[static_cast<std::size_t>(n)] = 1;
    for (int n = 1; n <= f.nrnods; ++n)
        if (used[static_cast<std::size_t>(n)] == 0)
            return "NODE " + num(n) + " IS A VERTEX OF NO ELEMENT";
    for (int e = 1; e <= f.nrelin; ++e)
        for (int k = 1; k <= 4; ++k)
            if (!(corner_turn(f, e, k) > 0.0))
                return "ELEMENT " + num(e) + " IS CLOCKWISE OR NOT CONVEX AT VERTEX " + num(k);
    return mesh_fault(f.mesh, shift);
}

}  // namespace

int logrid() {
    std::string name = iodatc.FWORD(2).trimmed();
    lower(name);
    const std::string path = "data/" + name;
    if (!units::open_text(LUGRID, path, units::Open::existing)) {
        ffldou(0, MSG_ERROR, " GRID FILE NAME UNREADABLE");
        return 1;
    }
    std::vector<std::string> lines;
    std::string line;
    while (units::read_line(LUGRID, line) == units::Status::ok) lines.push_back(line);
    units::close(LUGRID);
    ItemReader in(std::move(lines));
    FileMesh m;
    if (!read_file_mesh(in, m)) return 1;
    std::vector<int> shift;
    if (const std::string fault = file_mesh_fault(m, shift); !fault.empty()) {
        file_error(" INITIAL MESH FILE: " + fault);
        return 1;
    }

    outcom(cinout.LUECHO);
    cdata.NRNODS = m.nrnods;
    cdata.NRELIN = m.nrelin;
    set_up_database();
    for (int n = 1; n <= m.nrnods; ++n) {
        cnode.XNOD(1, n) = m.x[static_cast<std::size_t>(n - 1)];
        cnode.XNOD(2, n) = m.y[static_cast<std::size_t>(n - 1)];
    }
    // Each element in the numbering that gives it its neighbours' axes.
    for (int e = 1; e <= m.nrelin; ++e) {
        const int r = shift[static_cast<std::size_t>(e)];
        for (int k = 1; k <= 4; ++k) {
            const int from = (k - 1 + r) % 4 + 1;
            celem.NICK(k, e) = m.mesh.v(e, from) * 100 + 1;
            celem0.NICK0(k, e) = celem.NICK(k, e);
            cneig.NEIG(k, e) = m.mesh.s(e, from);
        }
        for (int k = 5; k <= 9; ++k) celem.NICK(k, e) = 0;
    }
    cmshst.INOMSH = 0;
    return 0;
}

//// grid file ////

void writf(int nblock) {
    std::string name = "output";
    int nocc = 0, ipos = 0;
    findop("GRID", nocc, ipos);
    if (nocc > 0 && nocc <= MAX_OCCUR && ipos <= NFIELD_SLOTS && iodati.ITYPE(ipos) == FT_WORD)
        name = iodatc.FWORD(ipos).trimmed();
    lower(name);
    if (name.size() < 5 || name.compare(name.size() - 5, 5, ".grid") != 0) name += ".grid";
    if (!units::open_text(LUGRID, name, units::Open::create)) {
        ffldou(0, MSG_ERROR, " UNABLE TO OPEN GRID FILE " + name);
        return;
    }
    units::report_failures(LUGRID);
    auto put = [](const std::string& l) { units::write_line(LUGRID, l); };
    auto put_lines = [](const std::vector<std::string>& ls) {
        for (const auto& l : ls) units::write_line(LUGRID, l);
    };

    put(fmt::list({"  NUMBER OF EQUATIONS :"}));
    put(fmt::list({ceqsys.NREQNS}));
    put(fmt::list({"  COUPLING ARRAY:"}));
    for (int i = 1; i <= ceqsys.NREQNS && i <= MXEQNS_MAX; ++i) {
        std::vector<fmt::Item> row;
        for (int j = 1; j <= ceqsys.NREQNS && j <= MXEQNS_MAX; ++j)
            row.emplace_back(ceqsys.ICOUPL(i, j));
        put(fmt::list(row));
    }
    put(fmt::list({" SYMMETRY :"}));
    put(fmt::list({csymet.ISYMET}));
    put(fmt::list({" NUMBER OF NODES   NUMBER OF DOF"}));
    put(fmt::list({cdata.NRNODS, cdata.NRDOF}));

    // Each node an active element names unconstrained, once, at its first
    // occurrence.
    walk_nodes_once([&put](int, int, int, int node) {
        put(fmt::list({node, cnode.XNOD(1, node), cnode.XNOD(2, node)}));
    });

    put(fmt::list({" NUMBER OF ELEMENTS"}));
    put(fmt::list({cdata.NRELEM}));
    int nel = 0;
    for (int i = 1; i <= cdata.NRELEM; ++i) {
        nel = nelcon(nel);
        int slot = 0;
        findno(nel, slot);
        put(fmt::list({" ELEMENT  NICKNAMES   "}));
        put_lines(fmt::format("(/,3X,2I4)", {nel, slot}));
        std::vector<fmt::Item> nicks;
        for (int l = 1; l <= 9; ++l) nicks.emplace_back(celem.NICK(l, slot));
        put_lines(fmt::format("(3X,9I7)", nicks));
    }
    put(fmt::list({" INITIAL NUMBER OF ELEMENTS = "}));
    put(fmt::list({cdata.NRELIN}));
    for (int e = 1; e <= cdata.NRELIN; ++e)
        put(fmt::line("( 1X,4I8)",
                      {cneig.NEIG(1, e), cneig.NEIG(2, e), cneig.NEIG(3, e), cneig.NEIG(4, e)}));
    put(fmt::list({"THEIR FIRST-BORN SONS : "}));
    std::vector<fmt::Item> sons;
    for (int e = 1; e <= cdata.NRELIN; ++e) sons.emplace_back(ctree.NFSON(e));
    put_lines(fmt::format("(1H ,10I5)", sons));
    put(fmt::list({"NUMBER OF FAMILES = "}));
    put(fmt::list({cdata.NRFAM}));
    if (cdata.NRFAM > 0) {
        put(fmt::list({"FAMILY,FATHER,GRANDSONS = "}));
        int listed = 0;
        for (int f = 1; f <= MAXFAM && listed < cdata.NRFAM; ++f) {
            if (ctree.TREE(1, f) == 0) continue;
            put(fmt::list({f, ctree.TREE(1, f), ctree.TREE(2, f), ctree.TREE(3, f),
                           ctree.TREE(4, f), ctree.TREE(5, f)}));
            ++listed;
        }
    }
    put(fmt::list({"NUMBER OF BLOCKS"}));
    put(fmt::list({nblock}));
    for (int b = 1; b <= nblock && b <= MAXBLOCK; ++b)
        put(fmt::list({elemij.IJBLK(b, 5), elemij.IJBLK(b, 6)}));
    put(fmt::list({"NPDOF,NPNOD,NPFAM ="}));
    put(fmt::list({cpoint.NPDOF, cpoint.NPNOD, cpoint.NPFAM}));
    units::close(LUGRID);
}

}  // namespace kavren
