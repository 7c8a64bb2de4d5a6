#include "mesh_builder.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "hpmesh/setup.hpp"
#include "hpmesh/tree.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "records/preso.hpp"

namespace kavren::testing {

void reset_database() {
    cdata = Cdata();
    cpoint = Cpoint();
    celem.NICK.fill(0);
    ctree.TREE.fill(0);
    ctree.NFSON.fill(0);
    cneig.NEIG.fill(0);
    cnode.XNOD.fill(0.0);
    cnode.NODPTR.fill(0);
    cnu.NU.fill(0);
    icolu = Icolu();
    cuold.UOLD.fill(0.0);
    cunew.UNEW.fill(0.0);
    ceqsys.NREQNS = 1;
    ceqsys.MXEQNS = MXEQNS_MAX;
    ceqsys.ICOUPL.fill(0);
    csymet = Csymet();
    cdec = Cdec();
    cside = Cside();
    csetf.SETNAM.fill(Word8());
    csetf.ISFRST.fill(0);
    csetf.ISLAST.fill(0);
    csetf.ISELEM.fill(0);
    for (int i = 1; i <= SET_POOL; ++i) csetf.ISNEXT(i) = i + 1;
    csetf.ISFREE = 1;
    csetf.ISHIGH = 1;
    csetf.NSET = 1;
    csetf.SETNAM(1) = "MESH";
    csetf.ISCUR = 1;
    csetf.ISSEC = 0;
    cgeomtyp.ICTYPE = 0;
    cgeomtyp.NCURV = 0;
    cgeomtyp.GEOM.fill(0.0);
    cgeomtyp.NXTGEO = 1;
    cgeomtyp.IPGEOM.fill(0);
    cgeomtyp.NPGEOM.fill(0);
    cgeomtyp.IBCURV.fill(0);
    cpreso.UEOLD.fill(0.0);
    cpreso.UENEW.fill(0.0);
    cpreso.NEL = 0;
    cpreso.NDOFE = 0;
    cpreso.NDOFL.fill(0);
}

MeshBuilder::MeshBuilder(int nx, int ny) : nx_(nx), ny_(ny) {
    reset_database();
    cdata.NRELIN = nx * ny;
    cdata.NRNODS = 0;
    // No initial node yet: every node and dof starts on the free lists, and
    // build takes them in tree order.
    setcon(icolu.ICOLU);
    setvec();
    boundary_numbers(1, 2, 3, 4);
}

void MeshBuilder::boundary_numbers(int bottom, int right, int top, int left) {
    bnum_ = {bottom, right, top, left};
    for (int j = 1; j <= ny_; ++j) {
        for (int i = 1; i <= nx_; ++i) {
            const int e = (j - 1) * nx_ + i;
            cneig.NEIG(1, e) = j > 1 ? e - nx_ : -bottom;
            cneig.NEIG(2, e) = i < nx_ ? e + 1 : -right;
            cneig.NEIG(3, e) = j < ny_ ? e + nx_ : -top;
            cneig.NEIG(4, e) = i > 1 ? e - 1 : -left;
        }
    }
}

int MeshBuilder::split(int nel, int ixy) {
    int fs = 0;
    findfs(nel, fs);
    if (fs != 0) {
        ADD_FAILURE() << "MeshBuilder::split: element " << nel << " is not active";
        return 0;
    }
    const int f = cpoint.NPFAM;
    cpoint.NPFAM = ctree.TREE(2, f);
    cdata.NRFAM += 1;
    cdata.NRELEM += 1;
    for (int r = 1; r <= 5; ++r) ctree.TREE(r, f) = 0;
    ctree.TREE(1, f) = nel;
    ctree.TREE(4, f) = ixy;
    const int son1 = cdata.NRELIN + 2 * f - 1;
    if (nel <= cdata.NRELIN) {
        ctree.NFSON(nel) = son1;
    } else {
        int nf = 0, ns = 0;
        faminf(nel, nf, ns);
        ctree.TREE(ns + 1, nf) = son1;
    }
    return son1;
}

namespace {

bool one_irregular() {
    MeshTopology topo;
    std::vector<std::string> msgs;
    mesh_topology(topo, msgs);
    return msgs.empty();
}

// Gives the family under active sons of nel back to the head of the free list.
void unsplit(int nel) {
    int son1 = 0;
    findfs(nel, son1);
    int f = 0, s = 0;
    faminf(son1, f, s);
    if (nel <= cdata.NRELIN) {
        ctree.NFSON(nel) = 0;
    } else {
        int nf = 0, ns = 0;
        faminf(nel, nf, ns);
        ctree.TREE(ns + 1, nf) = 0;
    }
    for (int r = 1; r <= 5; ++r) ctree.TREE(r, f) = 0;
    ctree.TREE(2, f) = cpoint.NPFAM;
    cpoint.NPFAM = f;
    cdata.NRFAM -= 1;
    cdata.NRELEM -= 1;
}

}  // namespace

bool MeshBuilder::try_split(int nel, int ixy) {
    if (split(nel, ixy) == 0) return false;
    if (one_irregular()) return true;
    unsplit(nel);
    return false;
}

bool MeshBuilder::try_split4(int nel) {
    split4(nel);
    if (one_irregular()) return true;
    int e1 = 0;
    findfs(nel, e1);
    unsplit(e1 + 1);
    unsplit(e1);
    unsplit(nel);
    return false;
}

std::array<int, 4> MeshBuilder::split4(int nel) {
    const int e1 = split(nel, 1);
    const int e11 = split(e1, 2);
    const int e21 = split(e1 + 1, 2);
    return {e11, e11 + 1, e21 + 1, e21};
}

void MeshBuilder::order(int nel, int p) {
    order_[nel] = p;
}
void MeshBuilder::default_order(int p) {
    default_p_ = p;
}
void MeshBuilder::edge_order(int nel, int s, int p) {
    edge_[{nel, s}] = p;
}
void MeshBuilder::map(std::function<std::array<double, 2>(double, double)> f) {
    map_ = std::move(f);
}

int MeshBuilder::interior(int nel) const {
    auto it = order_.find(nel);
    return it != order_.end() ? it->second : default_p_;
}

int MeshBuilder::side_order(const ActiveElement& a, int s) const {
    const SideLink& l = a.side[static_cast<std::size_t>(s - 1)];
    if (l.kind == SideKind::small) return side_order(topo_.at(l.nb[0]), l.nbside[0]);
    auto own = edge_.find({a.nel, s});
    if (own != edge_.end()) return own->second;
    int p = interior(a.nel);
    if (l.kind == SideKind::equal) {
        auto other = edge_.find({l.nb[0], l.nbside[0]});
        if (other != edge_.end()) return other->second;
        p = std::max(p, interior(l.nb[0]));
    } else if (l.kind == SideKind::large) {
        p = std::max({p, interior(l.nb[0]), interior(l.nb[1])});
    }
    return p;
}

std::array<double, 4> MeshBuilder::box(int nel) const {
    const ActiveElement& a = topo_.at(nel);
    const double i0 = (a.init - 1) % nx_, j0 = (a.init - 1) / nx_;
    return {i0 + a.x0, i0 + a.x1, j0 + a.y0, j0 + a.y1};
}

std::array<double, 2> MeshBuilder::logical(int nel, double xi, double eta) const {
    const std::array<double, 4> b = box(nel);
    return {b[0] + 0.5 * (xi + 1.0) * (b[1] - b[0]), b[2] + 0.5 * (eta + 1.0) * (b[3] - b[2])};
}

namespace {

// Takes a node and a chain of n dofs from the heads of the free lists.
int take_node(int ndof) {
    const int node = cpoint.NPNOD;
    cpoint.NPNOD = cnode.NODPTR(node);
    int d = cpoint.NPDOF;
    cnode.NODPTR(node) = d;
    for (int i = 1; i < ndof; ++i) d = cnu.NU(d);
    cpoint.NPDOF = cnu.NU(d);
    cnu.NU(d) = 0;
    cdata.NRNODS += 1;
    cdata.NRDOF += ndof;
    return node;
}

}  // namespace

std::string MeshBuilder::build(bool allow_hanging_wall_ends) {
    std::vector<std::string> msgs;
    mesh_topology(topo_, msgs);
    if (allow_hanging_wall_ends)
        std::erase_if(msgs, [](const std::string& m) {
            return m.find("whose ends hang in turn") != std::string::npos;
        });
    if (!msgs.empty()) {
        std::string all;
        for (const std::string& m : msgs) all += m + "\n";
        return all;
    }
    auto place = [&](int node, double x, double y) {
        std::array<double, 2> p = map_ ? map_(x, y) : std::array<double, 2>{x, y};
        cnode.XNOD(1, node) = p[0];
        cnode.XNOD(2, node) = p[1];
    };
    std::map<std::pair<double, double>, int> vertices, edges;
    static const double VX[5] = {0, -1, 1, 1, -1}, VY[5] = {0, -1, -1, 1, 1};
    for (const ActiveElement& a : topo_.elems) {
        for (int k = 1; k <= 4; ++k) {
            const int km = (k + 2) % 4 + 1;
            const SideLink& lk = a.side[static_cast<std::size_t>(k - 1)];
            const SideLink& lm = a.side[static_cast<std::size_t>(km - 1)];
            const bool hangs = (lk.kind == SideKind::small && !lk.hang_at_end) ||
                               (lm.kind == SideKind::small && lm.hang_at_end);
            if (hangs) {
                celem.NICK(k, a.slot) = -1;
                continue;
            }
            const std::array<double, 2> p = logical(a.nel, VX[k], VY[k]);
            auto [it, fresh] = vertices.try_emplace({p[0], p[1]}, 0);
            if (fresh) {
                it->second = take_node(1);
                place(it->second, p[0], p[1]);
            }
            celem.NICK(k, a.slot) = it->second * 100 + 1;
        }
        for (int s = 1; s <= 4; ++s) {
            const SideLink& l = a.side[static_cast<std::size_t>(s - 1)];
            const int q = side_order(a, s);
            if (l.kind == SideKind::small) {
                celem.NICK(s + 4, a.slot) = q >= 2 ? -q : 0;
                continue;
            }
            if (q < 2) {
                celem.NICK(s + 4, a.slot) = 0;
                continue;
            }
            const int sp = s % 4 + 1;
            const std::array<double, 2> p =
                logical(a.nel, 0.5 * (VX[s] + VX[sp]), 0.5 * (VY[s] + VY[sp]));
            auto [it, fresh] = edges.try_emplace({p[0], p[1]}, 0);
            if (fresh) {
                it->second = take_node(q - 1);
                place(it->second, p[0], p[1]);
            }
            celem.NICK(s + 4, a.slot) = it->second * 100 + q;
        }
        const int p = interior(a.nel);
        if (p >= 2) {
            const int node = take_node((p - 1) * (p - 1));
            const std::array<double, 2> c = logical(a.nel, 0.0, 0.0);
            place(node, c[0], c[1]);
            celem.NICK(9, a.slot) = node * 100 + p;
        } else {
            celem.NICK(9, a.slot) = 0;
        }
    }
    return "";
}

void fill_random_solution(unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    // Dofs in use are those on no free list: walk the free list once.
    std::vector<char> is_free(MAXDOF + 1, 0);
    for (int d = cpoint.NPDOF; d != 0; d = cnu.NU(d)) is_free[static_cast<std::size_t>(d)] = 1;
    for (int d = 1; d <= MAXDOF; ++d) {
        if (is_free[static_cast<std::size_t>(d)]) continue;
        for (int k = 1; k <= MXEQNS_MAX; ++k) {
            cuold.UOLD(d, k) = dist(gen);
            cunew.UNEW(d, k) = dist(gen);
        }
    }
}

}  // namespace kavren::testing
