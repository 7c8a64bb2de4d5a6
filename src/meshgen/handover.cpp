#include "meshgen/handover.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <set>
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
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "support/format.hpp"
#include "support/units.hpp"

namespace kavren {

namespace {

//// shared steps of a new mesh ////

// A new mesh invalidates both solutions, the solution flags and every family
// of the mesh before it (the set-up rebuilds only the family links).
void forget_previous_mesh() {
    mesh_changed();
    cuold.UOLD.fill(0.0);
    cunew.UNEW.fill(0.0);
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

// Neighbouring initial elements must see their common side as opposite sides
// (side k of one facing side (k+1) mod 4 + 1 of the other): the refinement
// takes it so. Each pair that does not is named once.
void warn_different_axes() {
    std::set<std::pair<int, int>> named;
    for (int e = 1; e <= cdata.NRELIN; ++e) {
        for (int k = 1; k <= 4; ++k) {
            const int n = cneig.NEIG(k, e);
            if (n <= 0 || cneig.NEIG((k + 1) % 4 + 1, n) == e) continue;
            if (!named.insert({std::min(e, n), std::max(e, n)}).second) continue;
            ffldou(0, MSG_ERROR,
                   fmt::line("(A,I4,A,I4,A)", {"*** WARNING: ELEMENTS", std::min(e, n), " AND",
                                               std::max(e, n), " HAVE DIFFERENT LOCAL AXES"}));
            ffldou(0, MSG_LIST,
                   "*** ORDERS ABOVE 2 AND REFINEMENT ACROSS THEIR SIDE ARE NOT EXACT");
        }
    }
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
    warn_different_axes();
    cmshst.INOMSH = 0;
    return HANDED_OVER;
}

//// initial-mesh file ////

namespace {

// Free-format items of a text file: each item starts on a new line and takes
// values (separated by blanks or commas) from as many lines as it needs.
class ItemReader {
  public:
    explicit ItemReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    // The next item of n values; false at the end of the file.
    bool item(int n, std::vector<std::string>& values) {
        values.clear();
        while (static_cast<int>(values.size()) < n) {
            if (next_ >= lines_.size()) return false;
            const std::string& line = lines_[next_++];
            std::string v;
            for (char c : line + " ") {
                if (c == ' ' || c == ',' || c == '\t') {
                    if (!v.empty()) values.push_back(v);
                    v.clear();
                } else {
                    v += c;
                }
            }
        }
        return true;
    }
    int line_number() const { return static_cast<int>(next_); }

  private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

bool to_int(const std::string& s, int& v) {
    errno = 0;
    char* end = nullptr;
    long x = std::strtol(s.c_str(), &end, 10);
    if (end == s.c_str() || *end != '\0' || errno == ERANGE || x < -2147483647L || x > 2147483647L)
        return false;
    v = static_cast<int>(x);
    return true;
}

bool to_ints(const std::vector<std::string>& values, int from, int n, int* out) {
    for (int i = 0; i < n; ++i)
        if (!to_int(values[static_cast<std::size_t>(from + i)], out[i])) return false;
    return true;
}

// A mesh read from the file, checked before anything of the database changes.
struct FileMesh {
    int nrnods = 0, nrelin = 0;
    std::vector<double> x, y;
    std::vector<std::array<int, 4>> vertices, sides;
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
        m.vertices.push_back(vert);
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
        m.sides.push_back(side);
    }
    return true;
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

    outcom(cinout.LUECHO);
    cdata.NRNODS = m.nrnods;
    cdata.NRELIN = m.nrelin;
    set_up_database();
    for (int n = 1; n <= m.nrnods; ++n) {
        cnode.XNOD(1, n) = m.x[static_cast<std::size_t>(n - 1)];
        cnode.XNOD(2, n) = m.y[static_cast<std::size_t>(n - 1)];
    }
    for (int e = 1; e <= m.nrelin; ++e) {
        for (int k = 1; k <= 4; ++k) {
            celem.NICK(k, e) =
                m.vertices[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(k - 1)] * 100 +
                1;
            celem0.NICK0(k, e) = celem.NICK(k, e);
            cneig.NEIG(k, e) =
                m.sides[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(k - 1)];
        }
        for (int k = 5; k <= 9; ++k) celem.NICK(k, e) = 0;
    }
    warn_different_axes();
    cmshst.INOMSH = 0;
    return 0;
}

//// grid file ////

void writf(int nblock) {
    std::string name = "output";
    int nocc = 0, ipos = 0;
    findop("GRID", nocc, ipos);
    if (nocc > 0 && ipos <= NFIELD_SLOTS && iodati.ITYPE(ipos) == FT_WORD)
        name = iodatc.FWORD(ipos).trimmed();
    lower(name);
    if (name.size() < 5 || name.compare(name.size() - 5, 5, ".grid") != 0) name += ".grid";
    if (!units::open_text(LUGRID, name, units::Open::create)) {
        ffldou(0, MSG_ERROR, " UNABLE TO OPEN GRID FILE " + name);
        return;
    }
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
