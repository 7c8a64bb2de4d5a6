// Structural checks of the hp mesh database.
#include "hpmesh/dbcheck.hpp"

#include <algorithm>
#include <set>
#include <tuple>
#include <vector>

#include "control/utility.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/tree.hpp"
#include "records/limits.hpp"
#include "records/mesh.hpp"

namespace kavren {

namespace {

constexpr std::size_t MAX_MESSAGES = 60;
constexpr int MAX_DEPTH = 60;

class Report {
  public:
    explicit Report(std::vector<std::string>& m) : msgs_(m) {}
    void add(const std::string& s) {
        if (msgs_.size() < MAX_MESSAGES)
            msgs_.push_back(s);
        else if (msgs_.size() == MAX_MESSAGES)
            msgs_.push_back("... further messages dropped");
    }
    bool clean() const { return msgs_.empty(); }
    std::size_t count() const { return msgs_.size(); }

  private:
    std::vector<std::string>& msgs_;
};

std::string el(int nel) {
    return "element " + std::to_string(nel);
}

//// tree ////

struct TreeWalk {
    MeshTopology& topo;
    Report& rep;
    std::set<int> families;
    bool ok = true;

    void visit(int nel, int init, int slot, double x0, double x1, double y0, double y1, int depth) {
        const int nrelin = cdata.NRELIN;
        int fs = 0;
        if (nel <= nrelin) {
            fs = ctree.NFSON(nel);
        } else {
            int f = 0, s = 0;
            faminf(nel, f, s);
            fs = ctree.TREE(s + 1, f);
        }
        if (fs == 0) {
            ActiveElement a;
            a.nel = nel;
            a.init = init;
            a.slot = slot;
            a.x0 = x0;
            a.x1 = x1;
            a.y0 = y0;
            a.y1 = y1;
            topo.index[nel] = static_cast<int>(topo.elems.size());
            topo.elems.push_back(a);
            return;
        }
        if (depth >= MAX_DEPTH) {
            rep.add(el(nel) + ": tree deeper than " + std::to_string(MAX_DEPTH) + " levels");
            ok = false;
            return;
        }
        const int f = (fs - nrelin - 1) / 2 + 1;
        if (fs <= nrelin || (fs - nrelin) % 2 != 1 || f > MAXFAM) {
            rep.add(el(nel) + ": first-born son " + std::to_string(fs) + " is not a son 1");
            ok = false;
            return;
        }
        if (!families.insert(f).second) {
            rep.add("family " + std::to_string(f) + " is reached twice");
            ok = false;
            return;
        }
        if (ctree.TREE(1, f) != nel) {
            rep.add("family " + std::to_string(f) + " names father " +
                    std::to_string(ctree.TREE(1, f)) + ", reached from " + el(nel));
            ok = false;
            return;
        }
        const int dir = ctree.TREE(4, f);
        if (dir != 1 && dir != 2) {
            rep.add("family " + std::to_string(f) + " has direction " + std::to_string(dir));
            ok = false;
            return;
        }
        if (ctree.TREE(5, f) != 0) rep.add("family " + std::to_string(f) + " has TREE(5) not 0");
        const int slot2 = nrelin + f;
        if (slot2 > MAXSLOT) {
            rep.add("family " + std::to_string(f) + " gives a slot beyond the slot capacity");
            ok = false;
            return;
        }
        if (dir == 1) {
            const double ym = 0.5 * (y0 + y1);
            visit(fs, init, slot, x0, x1, y0, ym, depth + 1);
            visit(fs + 1, init, slot2, x0, x1, ym, y1, depth + 1);
        } else {
            const double xm = 0.5 * (x0 + x1);
            visit(fs, init, slot, x0, xm, y0, y1, depth + 1);
            visit(fs + 1, init, slot2, xm, x1, y0, y1, depth + 1);
        }
    }
};

//// side relations ////

// One side of an active element on a line of the mesh: an interval of the
// line's parameter, and whether the element's counter-clockwise walk of the
// side runs with the parameter.
struct Seg {
    int elem = 0;  // position in topo.elems
    int side = 0;
    double lo = 0, hi = 0;
    bool forward = true;
    double start() const { return forward ? lo : hi; }
    double end() const { return forward ? hi : lo; }
};

using LineKey = std::tuple<int, int, double>;

// The side of initial element n that names initial element e, 0 when none.
int facing_initial_side(int n, int e) {
    for (int k = 1; k <= 4; ++k)
        if (cneig.NEIG(k, n) == e) return k;
    return 0;
}

bool half_of(const Seg& small, const Seg& big) {
    const double mid = 0.5 * (big.lo + big.hi);
    return (small.lo == big.lo && small.hi == mid) || (small.lo == mid && small.hi == big.hi);
}

// The segment of side s of the box (x0, x1, y0, y1) of initial element init
// and the line it lies on. Sides on an initial element's side are put on the
// line of the lower-numbered of the two initial sides, reversed when that is
// the neighbour's. False when the neighbour table has no answer (reported).
bool segment_of(int init, double x0, double x1, double y0, double y1, int s, Seg& g, LineKey& key,
                int& bnum, Report& rep) {
    g.side = s;
    bnum = 0;
    const bool horizontal = s == 1 || s == 3;
    g.lo = horizontal ? x0 : y0;
    g.hi = horizontal ? x1 : y1;
    g.forward = s == 1 || s == 2;
    const double c = s == 1 ? y0 : s == 2 ? x1 : s == 3 ? y1 : x0;
    const bool on_initial_side = (s == 1 && c == 0.0) || (s == 2 && c == 1.0) ||
                                 (s == 3 && c == 1.0) || (s == 4 && c == 0.0);
    key = LineKey{init, 10 + (horizontal ? 0 : 1), c};
    if (!on_initial_side) return true;
    // The counter-clockwise parameter of the initial element's side.
    double t0 = g.lo, t1 = g.hi;
    if (s == 3 || s == 4) {
        t0 = 1.0 - g.hi;
        t1 = 1.0 - g.lo;
    }
    g.lo = t0;
    g.hi = t1;
    g.forward = true;
    key = LineKey{init, s, 0.0};
    const int v = cneig.NEIG(s, init);
    if (v < 0) {
        bnum = -v;
        return true;
    }
    if (v == 0 || v > cdata.NRELIN) {
        rep.add("initial element " + std::to_string(init) + " side " + std::to_string(s) +
                " names neither a neighbour nor a boundary");
        return false;
    }
    const int k = facing_initial_side(v, init);
    if (k == 0) {
        rep.add("initial element " + std::to_string(v) + " does not name " + std::to_string(init) +
                " as a neighbour");
        return false;
    }
    if (std::make_pair(v, k) < std::make_pair(init, s)) {
        key = LineKey{v, k, 0.0};
        g.lo = 1.0 - t1;
        g.hi = 1.0 - t0;
        g.forward = false;
    }
    return true;
}

void side_relations(MeshTopology& topo, Report& rep) {
    std::map<LineKey, std::vector<Seg>> lines;
    std::map<LineKey, int> boundary_number;  // for the initial sides on the boundary
    for (std::size_t p = 0; p < topo.elems.size(); ++p) {
        const ActiveElement& a = topo.elems[p];
        for (int s = 1; s <= 4; ++s) {
            Seg g;
            g.elem = static_cast<int>(p);
            LineKey key;
            int bnum = 0;
            if (!segment_of(a.init, a.x0, a.x1, a.y0, a.y1, s, g, key, bnum, rep)) continue;
            if (bnum != 0) boundary_number[key] = bnum;
            lines[key].push_back(g);
        }
    }
    for (auto& [key, segs] : lines) {
        const bool is_boundary = boundary_number.count(key) != 0;
        for (const Seg& g : segs) {
            ActiveElement& a = topo.elems[static_cast<std::size_t>(g.elem)];
            SideLink& link = a.side[static_cast<std::size_t>(g.side - 1)];
            std::vector<const Seg*> over;
            for (const Seg& o : segs)
                if (&o != &g && o.lo < g.hi && g.lo < o.hi) over.push_back(&o);
            const std::string where = el(a.nel) + " side " + std::to_string(g.side);
            auto partner = [&](const Seg* o) {
                return topo.elems[static_cast<std::size_t>(o->elem)].nel;
            };
            if (over.empty()) {
                if (!is_boundary) {
                    rep.add(where + " meets no element and lies on no boundary");
                    continue;
                }
                link.kind = SideKind::boundary;
                link.bnum = boundary_number[key];
                if (link.bnum < 1 || link.bnum > MAX_BOUNDARY)
                    rep.add(where + " has boundary number " + std::to_string(link.bnum));
            } else if (over.size() == 1 && over[0]->lo == g.lo && over[0]->hi == g.hi) {
                link.kind = SideKind::equal;
                link.nb[0] = partner(over[0]);
                link.nbside[0] = over[0]->side;
            } else if (over.size() == 1 && half_of(g, *over[0])) {
                const Seg& big = *over[0];
                link.kind = SideKind::small;
                link.nb[0] = partner(&big);
                link.nbside[0] = big.side;
                link.hang_at_end = g.end() == 0.5 * (big.lo + big.hi);
            } else if (over.size() == 2 && half_of(*over[0], g) && half_of(*over[1], g) &&
                       over[0]->lo != over[1]->lo) {
                link.kind = SideKind::large;
                const Seg* first = over[0]->lo == g.lo ? over[0] : over[1];
                const Seg* second = first == over[0] ? over[1] : over[0];
                if (!g.forward) std::swap(first, second);
                link.nb[0] = partner(first);
                link.nb[1] = partner(second);
                link.nbside[0] = first->side;
                link.nbside[1] = second->side;
            } else {
                rep.add(where + " meets " + std::to_string(over.size()) +
                        " elements in a way that is not 1-irregular");
            }
        }
    }
}

// Vertex k of a hangs: it is the middle of a larger side across side k or k-1.
bool vertex_hangs(const ActiveElement& a, int k) {
    const SideLink& lk = a.side[static_cast<std::size_t>(k - 1)];
    const SideLink& lm = a.side[static_cast<std::size_t>((k + 2) % 4)];
    return (lk.kind == SideKind::small && !lk.hang_at_end) ||
           (lm.kind == SideKind::small && lm.hang_at_end);
}

// The constraint logic puts the far vertex and the father vertex of a wall
// in its places: neither may hang in turn. Meshes that the refinement makes
// keep this, since an element is split only when no side of it is half of a
// larger side.
void check_wall_ends(const MeshTopology& topo, Report& rep) {
    for (const ActiveElement& a : topo.elems) {
        for (int s = 1; s <= 4; ++s) {
            const SideLink& l = a.side[static_cast<std::size_t>(s - 1)];
            if (l.kind != SideKind::small) continue;
            const ActiveElement& o = topo.at(l.nb[0]);
            const int so = l.nbside[0];
            const int fv = l.hang_at_end ? s : s % 4 + 1;
            const int o_far = l.hang_at_end ? so : so % 4 + 1;
            const int o_father = l.hang_at_end ? so % 4 + 1 : so;
            if (vertex_hangs(a, fv) || vertex_hangs(o, o_far) || vertex_hangs(o, o_father))
                rep.add(el(a.nel) + " side " + std::to_string(s) + " is a wall on " + el(o.nel) +
                        " whose ends hang in turn");
        }
    }
}

}  // namespace

void mesh_topology(MeshTopology& topo, std::vector<std::string>& msgs) {
    Report rep(msgs);
    topo = MeshTopology{};
    if (cdata.NRELIN < 0 || cdata.NRELIN > MAXIEL) {
        rep.add("NRELIN " + std::to_string(cdata.NRELIN) + " outside 0.." + std::to_string(MAXIEL));
        return;
    }
    TreeWalk walk{topo, rep, {}};
    for (int e = 1; e <= cdata.NRELIN; ++e) walk.visit(e, e, e, 0.0, 1.0, 0.0, 1.0, 0);
    if (!walk.ok) return;
    int in_use = 0;
    for (int f = 1; f <= MAXFAM; ++f)
        if (ctree.TREE(1, f) != 0) ++in_use;
    if (in_use != static_cast<int>(walk.families.size()))
        rep.add(std::to_string(in_use) + " families have a father but " +
                std::to_string(walk.families.size()) + " are reached from the initial elements");
    side_relations(topo, rep);
    if (rep.count() == 0) check_wall_ends(topo, rep);
}

//// the whole check ////

namespace {

void check_counters(Report& rep, const MeshTopology& topo) {
    const int nfam = cdata.NRFAM;
    if (cdata.NRELEM != cdata.NRELIN + nfam)
        rep.add("NRELEM " + std::to_string(cdata.NRELEM) +
                " is not NRELIN + NRFAM = " + std::to_string(cdata.NRELIN + nfam));
    if (static_cast<int>(topo.elems.size()) != cdata.NRELEM)
        rep.add(std::to_string(topo.elems.size()) + " active elements in the tree, NRELEM " +
                std::to_string(cdata.NRELEM));
    int in_use = 0;
    for (int f = 1; f <= MAXFAM; ++f)
        if (ctree.TREE(1, f) != 0) ++in_use;
    if (in_use != nfam)
        rep.add(std::to_string(in_use) + " families in use, NRFAM " + std::to_string(nfam));
}

void check_slots(Report& rep, const MeshTopology& topo) {
    std::set<int> slots;
    for (const ActiveElement& a : topo.elems) {
        int slot = 0;
        findno(a.nel, slot);
        if (slot != a.slot)
            rep.add("findno gives " + el(a.nel) + " slot " + std::to_string(slot) +
                    ", the tree slot " + std::to_string(a.slot));
        if (!slots.insert(a.slot).second)
            rep.add(el(a.nel) + " shares slot " + std::to_string(a.slot));
    }
}

void check_tree_order(Report& rep, const MeshTopology& topo) {
    int nel = 0;
    for (const ActiveElement& a : topo.elems) {
        nel = nelcon(nel);
        if (nel != a.nel) {
            rep.add("nelcon gives " + el(nel) + " where the tree order has " + el(a.nel));
            return;
        }
    }
}

void check_free_families(Report& rep) {
    // A mark per family: the list is walked once, without a search structure.
    std::vector<char> seen(static_cast<std::size_t>(MAXFAM) + 1, 0);
    int nfree = 0;
    int f = cpoint.NPFAM;
    while (f != 0) {
        if (f < 1 || f > MAXFAM) {
            rep.add("free-family list holds " + std::to_string(f));
            return;
        }
        if (seen[static_cast<std::size_t>(f)]++) {
            rep.add("free-family list runs into a loop at family " + std::to_string(f));
            return;
        }
        ++nfree;
        if (ctree.TREE(1, f) != 0) rep.add("family " + std::to_string(f) + " is in use and free");
        f = ctree.TREE(2, f);
    }
    if (nfree != MAXFAM - cdata.NRFAM)
        rep.add("free-family list holds " + std::to_string(nfree) + " families, expected " +
                std::to_string(MAXFAM - cdata.NRFAM));
}

// What the active elements say of one node.
struct NodeUse {
    int kind = 0;  // 1 vertex, 2 edge, 3 interior
    int order = 0;
    int first_elem = 0;
};

void check_nicknames(Report& rep, const MeshTopology& topo, std::map<int, NodeUse>& nodes) {
    for (const ActiveElement& a : topo.elems) {
        for (int k = 1; k <= 9; ++k) {
            const int nick = celem.NICK(k, a.slot);
            const std::string where = el(a.nel) + " local node " + std::to_string(k);
            const int node = node_of(nick), order = order_of(nick);
            if (k <= 4) {
                if (nick != -1 && !(nick > 0 && order == 1))
                    rep.add(where + " has vertex nickname " + std::to_string(nick));
            } else if (nick != 0) {
                const bool ok = (nick > 0 && order >= 2 && order <= MAXP) ||
                                (k <= 8 && nick < 0 && nick >= -MAXP && nick <= -2);
                if (!ok) rep.add(where + " has nickname " + std::to_string(nick));
            }
            if (nick <= 0) continue;
            if (node > MAXNOD) {
                rep.add(where + " names node " + std::to_string(node));
                continue;
            }
            const int kind = k <= 4 ? 1 : (k <= 8 ? 2 : 3);
            auto [it, fresh] = nodes.try_emplace(node, NodeUse{kind, order, a.nel});
            if (!fresh && (it->second.kind != kind || it->second.order != order))
                rep.add("node " + std::to_string(node) + " is named differently by " +
                        el(it->second.first_elem) + " and " + el(a.nel));
        }
    }
}

// Vertex s of element a and its counterpart across a side.
int vertex_nick(const ActiveElement& a, int k) {
    return celem.NICK(k, a.slot);
}

void check_sides(Report& rep, const MeshTopology& topo) {
    for (const ActiveElement& a : topo.elems) {
        bool hangs[5] = {};
        for (int s = 1; s <= 4; ++s) {
            const SideLink& l = a.side[static_cast<std::size_t>(s - 1)];
            const int sp = s % 4 + 1;
            const int mid = celem.NICK(s + 4, a.slot);
            const std::string where = el(a.nel) + " side " + std::to_string(s);
            if (l.kind == SideKind::boundary || l.kind == SideKind::large) {
                if (mid < 0) rep.add(where + " is constrained but faces no larger element");
                continue;
            }
            const ActiveElement& o = topo.at(l.nb[0]);
            const int so = l.nbside[0], sop = so % 4 + 1;
            const int omid = celem.NICK(so + 4, o.slot);
            if (l.kind == SideKind::equal) {
                if (vertex_nick(a, s) != vertex_nick(o, sop) ||
                    vertex_nick(a, sp) != vertex_nick(o, so))
                    rep.add(where + " and " + el(o.nel) + " do not share their vertices");
                if (mid != omid || mid < 0)
                    rep.add(where + " and " + el(o.nel) + " do not share their mid-side node");
                continue;
            }
            // A wall: half of the larger side of o.
            const int hv = l.hang_at_end ? sp : s;
            const int fv = l.hang_at_end ? s : sp;
            hangs[hv] = true;
            // The father vertex meets o's vertex at the same end: o walks its side
            // the other way round.
            const int o_father = l.hang_at_end ? sop : so;
            const int o_far = l.hang_at_end ? so : sop;
            if (vertex_nick(a, fv) != vertex_nick(o, o_father) || vertex_nick(a, fv) <= 0)
                rep.add(where + ": its father vertex is not the vertex of " + el(o.nel));
            if (vertex_nick(o, o_far) <= 0)
                rep.add(where + ": the far vertex of " + el(o.nel) + " hangs");
            if (omid < 0) rep.add(where + ": the larger side of " + el(o.nel) + " is constrained");
            const int want = omid > 0 ? -order_of(omid) : 0;
            if (mid != want)
                rep.add(where + " has constrained nickname " + std::to_string(mid) + ", expected " +
                        std::to_string(want));
        }
        for (int k = 1; k <= 4; ++k) {
            const bool is_hanging = vertex_nick(a, k) == -1;
            if (is_hanging != hangs[k])
                rep.add(el(a.nel) + " vertex " + std::to_string(k) +
                        (is_hanging ? " hangs on no larger side" : " should hang"));
        }
    }
}

void check_nodes_and_dofs(Report& rep, const std::map<int, NodeUse>& nodes) {
    if (static_cast<int>(nodes.size()) != cdata.NRNODS)
        rep.add(std::to_string(nodes.size()) + " nodes named by active elements, NRNODS " +
                std::to_string(cdata.NRNODS));
    std::vector<char> dof_used(MAXDOF + 1, 0);
    int total = 0;
    for (const auto& [node, use] : nodes) {
        const int want = use.kind == 1   ? 1
                         : use.kind == 2 ? use.order - 1
                                         : (use.order - 1) * (use.order - 1);
        int d = cnode.NODPTR(node), len = 0;
        if (d < 0) {
            rep.add("node " + std::to_string(node) + " still carries a visit mark");
            continue;
        }
        while (d != 0 && len <= MAXLDOF) {
            if (d > MAXDOF) {
                rep.add("node " + std::to_string(node) + " chain holds dof " + std::to_string(d));
                break;
            }
            if (dof_used[static_cast<std::size_t>(d)]++)
                rep.add("dof " + std::to_string(d) + " is in two chains (node " +
                        std::to_string(node) + ")");
            ++len;
            d = cnu.NU(d);
        }
        total += len;
        if (len != want)
            rep.add("node " + std::to_string(node) + " has " + std::to_string(len) +
                    " dofs, its order needs " + std::to_string(want));
    }
    if (total != cdata.NRDOF)
        rep.add(std::to_string(total) + " dofs in the chains, NRDOF " +
                std::to_string(cdata.NRDOF));

    // A mark per node: the free list is walked once, without a search structure.
    std::vector<char> free_node(static_cast<std::size_t>(MAXNOD) + 1, 0);
    int nfree_nodes = 0;
    for (int n = cpoint.NPNOD; n != 0; n = cnode.NODPTR(n)) {
        if (n < 1 || n > MAXNOD) {
            rep.add("free-node list holds " + std::to_string(n));
            break;
        }
        if (free_node[static_cast<std::size_t>(n)]++) {
            rep.add("free-node list runs into a loop at node " + std::to_string(n));
            break;
        }
        ++nfree_nodes;
        if (nodes.count(n) != 0) rep.add("node " + std::to_string(n) + " is in use and free");
    }
    if (nfree_nodes != MAXNOD - cdata.NRNODS)
        rep.add("free-node list holds " + std::to_string(nfree_nodes) + " nodes, expected " +
                std::to_string(MAXNOD - cdata.NRNODS));

    int nfree = 0;
    for (int d = cpoint.NPDOF; d != 0; d = cnu.NU(d)) {
        if (d < 1 || d > MAXDOF) {
            rep.add("free-dof list holds " + std::to_string(d));
            break;
        }
        if (dof_used[static_cast<std::size_t>(d)]++) {
            rep.add("dof " + std::to_string(d) + " is free and in a chain, or free twice");
            break;
        }
        ++nfree;
    }
    if (nfree != MAXDOF - cdata.NRDOF)
        rep.add("free-dof list holds " + std::to_string(nfree) + " dofs, expected " +
                std::to_string(MAXDOF - cdata.NRDOF));
}

void check_neighbours(Report& rep, const MeshTopology& topo) {
    for (const ActiveElement& a : topo.elems) {
        Arr1<int, 8> neig;
        neigbr(a.nel, neig);
        for (int s = 1; s <= 4; ++s) {
            const SideLink& l = a.side[static_cast<std::size_t>(s - 1)];
            int want1 = 0, want2 = 0;
            if (l.kind != SideKind::boundary) want1 = l.nb[0];
            if (l.kind == SideKind::large) want2 = l.nb[1];
            if (neig(s) != want1 || neig(s + 4) != want2)
                rep.add("neigbr gives " + el(a.nel) + " side " + std::to_string(s) + " (" +
                        std::to_string(neig(s)) + ", " + std::to_string(neig(s + 4)) +
                        "), the tree (" + std::to_string(want1) + ", " + std::to_string(want2) +
                        ")");
        }
    }
}

// The constraint logic must put the larger side's far vertex and mid-side node
// in the places of every wall.
void check_constraints(Report& rep, const MeshTopology& topo) {
    for (const ActiveElement& a : topo.elems) {
        int walls = 0;
        for (const SideLink& l : a.side)
            if (l.kind == SideKind::small) ++walls;
        if (walls == 0) continue;
        Logic1 l1;
        logic1(a.nel, l1);
        if (l1.NCONWA != walls)
            rep.add(el(a.nel) + ": logic1 finds " + std::to_string(l1.NCONWA) +
                    " walls, the tree " + std::to_string(walls));
        for (int s = 1; s <= 4; ++s) {
            const SideLink& l = a.side[static_cast<std::size_t>(s - 1)];
            if (l.kind != SideKind::small) continue;
            const ActiveElement& o = topo.at(l.nb[0]);
            const int so = l.nbside[0];
            const int hv = l.hang_at_end ? s % 4 + 1 : s;
            const int o_far = l.hang_at_end ? so : so % 4 + 1;
            const int omid = celem.NICK(so + 4, o.slot);
            const std::string where = el(a.nel) + " wall on side " + std::to_string(s);
            if (l1.LNODS(hv) != node_of(vertex_nick(o, o_far)))
                rep.add(where + ": the hanging vertex stands for node " +
                        std::to_string(l1.LNODS(hv)) + ", not the far vertex");
            if (l1.LNODS(s + 4) != (omid > 0 ? node_of(omid) : 0) ||
                l1.IDGS(s + 4) != (omid > 0 ? order_of(omid) : 1))
                rep.add(where + ": the mid-side position is not the larger side's node");
        }
    }
}

}  // namespace

std::vector<std::string> check_database() {
    std::vector<std::string> msgs;
    Report rep(msgs);
    MeshTopology topo;
    mesh_topology(topo, msgs);
    const bool tree_ok = rep.clean();
    check_free_families(rep);
    if (!tree_ok) return msgs;
    check_counters(rep, topo);
    check_slots(rep, topo);
    if (!rep.clean()) return msgs;
    check_tree_order(rep, topo);
    std::map<int, NodeUse> nodes;
    check_nicknames(rep, topo, nodes);
    check_nodes_and_dofs(rep, nodes);
    if (!rep.clean()) return msgs;
    check_sides(rep, topo);
    if (!rep.clean()) return msgs;
    check_neighbours(rep, topo);
    if (!rep.clean()) return msgs;
    check_constraints(rep, topo);
    return msgs;
}

}  // namespace kavren
