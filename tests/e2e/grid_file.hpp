// The grid file written at the GEOMETRY END, read back for the end-to-end
// cases, and checks on the mesh it shows.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace kavren::e2e {

// What a grid file says, read back.
struct GridFile {
    bool ok = false;
    std::string problem;  // why it could not be read
    int nreqns = 0, isymet = 0, nrnods = 0, nrdof = 0, nrelem = 0, nrelin = 0, nrfam = 0;
    std::vector<std::vector<int>> coupling;
    std::map<int, std::pair<double, double>> nodes;  // node -> (x, y), in file order checked apart
    std::vector<int> node_order;
    std::vector<std::array<int, 9>> nicks;   // by active element, in file order
    std::vector<std::pair<int, int>> slots;  // element number and slot
    std::vector<std::array<int, 4>> neig;    // by initial element
    std::vector<int> first_sons;
    std::vector<std::pair<int, int>> blocks;  // first and last element
    int npdof = 0, npnod = 0, npfam = 0;
};

inline std::vector<long> numbers(const std::string& line) {
    std::istringstream in(line);
    std::vector<long> v;
    for (long x; in >> x;) v.push_back(x);
    return v;
}

inline std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

inline GridFile read_grid(const std::vector<std::string>& lines) {
    GridFile g;
    std::size_t i = 0;
    auto fail = [&g, &i](const std::string& why) {
        g.problem = why + " at line " + std::to_string(i + 1);
        return g;
    };
    auto expect = [&](const char* text) {
        if (i >= lines.size() || trimmed(lines[i]) != text) return false;
        ++i;
        return true;
    };
    auto one = [&](int& v) {
        if (i >= lines.size()) return false;
        auto n = numbers(lines[i++]);
        if (n.size() != 1) return false;
        v = static_cast<int>(n[0]);
        return true;
    };
    if (!expect("   NUMBER OF EQUATIONS :") || !one(g.nreqns)) return fail("equations");
    if (!expect("   COUPLING ARRAY:")) return fail("coupling");
    for (int r = 0; r < g.nreqns && i < lines.size(); ++r) {
        std::vector<int> row;
        for (long x : numbers(lines[i++])) row.push_back(static_cast<int>(x));
        g.coupling.push_back(row);
    }
    if (!expect("  SYMMETRY :") || !one(g.isymet)) return fail("symmetry");
    if (!expect("  NUMBER OF NODES   NUMBER OF DOF") || i >= lines.size())
        return fail("node count");
    auto counts = numbers(lines[i++]);
    if (counts.size() != 2) return fail("node count");
    g.nrnods = static_cast<int>(counts[0]);
    g.nrdof = static_cast<int>(counts[1]);
    while (i < lines.size() && trimmed(lines[i]) != "  NUMBER OF ELEMENTS") {
        std::istringstream in(lines[i++]);
        int n = 0;
        std::string xs, ys;
        if (!(in >> n >> xs >> ys)) return fail("node line");
        g.nodes[n] = {std::stod(xs), std::stod(ys)};
        g.node_order.push_back(n);
    }
    if (!expect("  NUMBER OF ELEMENTS") || !one(g.nrelem)) return fail("element count");
    for (int e = 0; e < g.nrelem; ++e) {
        if (!expect("  ELEMENT  NICKNAMES") || !expect("") || i + 1 >= lines.size())
            return fail("element header");
        auto id = numbers(lines[i++]);
        auto nk = numbers(lines[i++]);
        if (id.size() != 2 || nk.size() != 9) return fail("element lines");
        g.slots.emplace_back(static_cast<int>(id[0]), static_cast<int>(id[1]));
        std::array<int, 9> a{};
        for (int k = 0; k < 9; ++k)
            a[static_cast<std::size_t>(k)] = static_cast<int>(nk[static_cast<std::size_t>(k)]);
        g.nicks.push_back(a);
    }
    if (!expect("  INITIAL NUMBER OF ELEMENTS =") || !one(g.nrelin)) return fail("initial count");
    for (int e = 0; e < g.nrelin && i < lines.size(); ++e) {
        auto n = numbers(lines[i++]);
        if (n.size() != 4) return fail("neighbour line");
        g.neig.push_back({static_cast<int>(n[0]), static_cast<int>(n[1]), static_cast<int>(n[2]),
                          static_cast<int>(n[3])});
    }
    if (!expect(" THEIR FIRST-BORN SONS :")) return fail("first-born sons");
    while (i < lines.size() && trimmed(lines[i]) != " NUMBER OF FAMILES =")
        for (long x : numbers(lines[i++])) g.first_sons.push_back(static_cast<int>(x));
    if (!expect(" NUMBER OF FAMILES =") || !one(g.nrfam)) return fail("families");
    if (g.nrfam > 0) {
        if (!expect(" FAMILY,FATHER,GRANDSONS =")) return fail("family header");
        for (int f = 0; f < g.nrfam; ++f) {
            if (i >= lines.size() || numbers(lines[i++]).size() != 6) return fail("family line");
        }
    }
    int nblock = 0;
    if (!expect(" NUMBER OF BLOCKS") || !one(nblock)) return fail("blocks");
    for (int b = 0; b < nblock && i < lines.size(); ++b) {
        auto n = numbers(lines[i++]);
        if (n.size() != 2) return fail("block line");
        g.blocks.emplace_back(static_cast<int>(n[0]), static_cast<int>(n[1]));
    }
    if (!expect(" NPDOF,NPNOD,NPFAM =") || i >= lines.size()) return fail("free-list heads");
    auto heads = numbers(lines[i++]);
    if (heads.size() != 3) return fail("free-list heads");
    g.npdof = static_cast<int>(heads[0]);
    g.npnod = static_cast<int>(heads[1]);
    g.npfam = static_cast<int>(heads[2]);
    if (i != lines.size()) return fail("lines after the end");
    g.ok = true;
    return g;
}

// The vertex coordinates of active element e (0-based, file order).
inline std::vector<std::pair<double, double>> vertices(const GridFile& g, std::size_t e) {
    std::vector<std::pair<double, double>> v;
    for (int k = 0; k < 4; ++k)
        v.push_back(g.nodes.at(g.nicks[e][static_cast<std::size_t>(k)] / 100));
    return v;
}

inline double signed_area(const std::vector<std::pair<double, double>>& v) {
    double a = 0.0;
    for (std::size_t k = 0; k < v.size(); ++k) {
        const auto& p = v[k];
        const auto& q = v[(k + 1) % v.size()];
        a += p.first * q.second - q.first * p.second;
    }
    return a / 2.0;
}

// Side k (0-based) of each element names its neighbour, and the neighbour names
// it back on its opposite side; boundary sides carry numbers 1..50.
inline void expect_consistent_sides(const GridFile& g) {
    for (int e = 1; e <= g.nrelin; ++e)
        for (int k = 0; k < 4; ++k) {
            int n = g.neig[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(k)];
            ASSERT_NE(n, 0) << "element " << e << " side " << k + 1;
            if (n < 0) {
                EXPECT_GE(n, -50);
                continue;
            }
            EXPECT_EQ(
                g.neig[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>((k + 2) % 4)], e)
                << "element " << e << " side " << k + 1;
        }
}

// A line of the command log whatever its indentation.
inline bool contains_echo(const std::vector<std::string>& lines, const std::string& text) {
    for (const auto& l : lines)
        if (trimmed(l.substr(std::min(l.find_first_not_of(' '), l.size()))) == text) return true;
    return false;
}

}  // namespace kavren::e2e
