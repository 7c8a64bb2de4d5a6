// Test helpers for mesh changes: the finite element function at points of the
// mesh before and after a change, and a copy of the whole database to show
// that a refused change leaves it as it was.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "fem/shape.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/dbcheck.hpp"
#include "records/control.hpp"
#include "records/mesh.hpp"

namespace kavren::testing {

inline double* uold_flat() {
    return cuold.UOLD.data();
}
inline double* unew_flat() {
    return cunew.UNEW.data();
}

// Value of component column u (dof d at u[d-1]) on active element nel at its
// master point (xi, eta), through the constrained local values.
inline double element_value(int nel, const double* u, double xi, double eta) {
    Infelm inf;
    infelm(nel, inf);
    int ndofe = 0;
    Arr1<int, 9> ndofl;
    double ue[MAXLDOF] = {}, val[MAXLDOF] = {};
    solelm(nel, ndofe, ndofl, ue, u);
    shape2(inf.IDGS.data(), xi, eta, val);
    double s = 0.0;
    for (int m = 0; m < ndofe; ++m) s += ue[m] * val[m];
    return s;
}

// A point of the mesh, given in its initial element's unit square, and the
// values of both arrays there, components 1..4.
struct Probe {
    int init = 0;
    double s = 0, t = 0;
    double old_value[4] = {};
    double new_value[4] = {};
};

// The active element holding the point and the point's master coordinates.
inline bool locate(const MeshTopology& topo, const Probe& p, int& nel, double& xi, double& eta) {
    for (const ActiveElement& a : topo.elems) {
        if (a.init != p.init || p.s < a.x0 || p.s > a.x1 || p.t < a.y0 || p.t > a.y1) continue;
        nel = a.nel;
        xi = 2.0 * (p.s - a.x0) / (a.x1 - a.x0) - 1.0;
        eta = 2.0 * (p.t - a.y0) / (a.y1 - a.y0) - 1.0;
        return true;
    }
    return false;
}

inline void evaluate(const MeshTopology& topo, Probe& p) {
    int nel = 0;
    double xi = 0, eta = 0;
    ASSERT_TRUE(locate(topo, p, nel, xi, eta));
    for (int k = 1; k <= 4; ++k) {
        p.old_value[k - 1] = element_value(nel, &cuold.UOLD(1, k), xi, eta);
        p.new_value[k - 1] = element_value(nel, &cunew.UNEW(1, k), xi, eta);
    }
}

// per_element random points inside every active element, with their values.
inline std::vector<Probe> sample_solution(std::mt19937& gen, int per_element) {
    MeshTopology topo;
    std::vector<std::string> msgs;
    mesh_topology(topo, msgs);
    EXPECT_TRUE(msgs.empty());
    std::uniform_real_distribution<double> in(0.05, 0.95);
    std::vector<Probe> probes;
    for (const ActiveElement& a : topo.elems)
        for (int i = 0; i < per_element; ++i) {
            Probe p;
            p.init = a.init;
            p.s = a.x0 + in(gen) * (a.x1 - a.x0);
            p.t = a.y0 + in(gen) * (a.y1 - a.y0);
            evaluate(topo, p);
            probes.push_back(p);
        }
    return probes;
}

// Both arrays (or only UOLD) still give the sampled values, every component.
inline void expect_same_solution(const std::vector<Probe>& before, bool check_unew = true,
                                 double tol = 1e-11) {
    MeshTopology topo;
    std::vector<std::string> msgs;
    mesh_topology(topo, msgs);
    ASSERT_TRUE(msgs.empty());
    int failures = 0;
    for (const Probe& b : before) {
        Probe a = b;
        evaluate(topo, a);
        for (int k = 0; k < 4 && failures < 10; ++k) {
            if (std::abs(a.old_value[k] - b.old_value[k]) > tol) {
                ADD_FAILURE() << "UOLD component " << k + 1 << " at (" << b.init << ", " << b.s
                              << ", " << b.t << "): " << a.old_value[k] << " was "
                              << b.old_value[k];
                ++failures;
            }
            if (check_unew && std::abs(a.new_value[k] - b.new_value[k]) > tol) {
                ADD_FAILURE() << "UNEW component " << k + 1 << " at (" << b.init << ", " << b.s
                              << ", " << b.t << "): " << a.new_value[k] << " was "
                              << b.new_value[k];
                ++failures;
            }
        }
    }
}

// Every record a mesh change may write, and the flags it must leave alone.
class DatabaseCopy {
  public:
    DatabaseCopy() {
        std::size_t total = 0;
        for_each_record([&](const void*, std::size_t n) { total += n; });
        // memcpy, not a range insert: the sanitizers' memmove copies byte
        // by byte, and these are megabytes.
        bytes_.resize(total);
        std::size_t at = 0;
        for_each_record([&](const void* p, std::size_t n) {
            std::memcpy(bytes_.data() + at, p, n);
            at += n;
        });
    }
    // True when the records are byte for byte as they were.
    bool unchanged() const {
        std::size_t at = 0;
        bool same = true;
        for_each_record([&](const void* p, std::size_t n) {
            same = same && std::memcmp(bytes_.data() + at, p, n) == 0;
            at += n;
        });
        return same;
    }

  private:
    template <typename Fn>
    static void for_each_record(Fn fn) {
        fn(&cdata, sizeof cdata);
        fn(&cpoint, sizeof cpoint);
        fn(&celem, sizeof celem);
        fn(&ctree, sizeof ctree);
        fn(&cnode, sizeof cnode);
        fn(&cnu, sizeof cnu);
        fn(&cuold, sizeof cuold);
        fn(&cunew, sizeof cunew);
        fn(&cside, sizeof cside);
        fn(&cneig, sizeof cneig);
        fn(&cflags, sizeof cflags);
    }
    std::vector<char> bytes_;
};

}  // namespace kavren::testing
