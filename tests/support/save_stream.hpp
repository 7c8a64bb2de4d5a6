// A save stream written item by item from the layout of the save file, with
// header capacities of choice: small streams for the save-file tests and the
// seeds of its fuzz harness.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "records/io.hpp"
#include "records/limits.hpp"
#include "records/savefile.hpp"
#include "session/dump.hpp"
#include "support/units.hpp"

namespace kavren::testing {

// A save stream written item by item from the layout, for one initial
// element split once across (family 1: son 2 at the bottom in slot 1, son 3
// at the top in slot 2) with six vertex nodes. F, N and B are the header's
// family, node and boundary capacities.
struct Synthetic {
    int F = MAXFAM, N = MAXNOD, B = MAX_BOUNDARY;
    int islvdf = 0, iestdf = 0, iestim = 0;
    std::vector<double> v;
    std::map<std::string, std::size_t> at;  // where each item starts

    static double value(int node, int k, int array) { return node * 100.0 + k * 10 + array + 0.25; }

    void put(double x) { v.push_back(x); }
    void mark(const std::string& item) { at[item] = v.size(); }

    Synthetic& build() {
        v.clear();
        mark("header");
        for (int h : {512000, 16000, 500, F, 10000, N, 40000, 500000, 128000, B}) put(h);
        mark("equations");
        put(2);
        put(4);
        for (int i = 1; i <= 4; ++i)
            for (int j = 1; j <= 4; ++j) put(10 * j + i);  // ICOUPL(j, i)
        put(1);
        mark("counts");
        for (int c : {2, 1, 6, 6, 1}) put(c);
        mark("nfson");
        put(2);
        mark("tree");
        for (int f = 1; f <= F; ++f) {
            if (f == 1) {
                for (int t : {1, 0, 0, 1, 0}) put(t);
            } else {
                for (int t : {0, f < F ? f + 1 : 0, 0, 0, 0}) put(t);
            }
        }
        mark("neig");
        for (int s : {-1, -2, -3, -4}) put(s);
        mark("pointers");
        for (int p : {7, 7, 2}) put(p);
        mark("nodptr");
        for (int n = 1; n <= N; ++n) put(n <= 6 ? 20 + n : (n < N ? n + 1 : 0));
        mark("elements");
        const double xy[7][2] = {{0, 0}, {0, 0}, {1, 0}, {1, 1}, {0, 1}, {1, 0.5}, {0, 0.5}};
        auto element = [&](std::initializer_list<int> nicks, std::initializer_list<int> fresh) {
            for (int k : nicks) put(k);
            for (int n : fresh) {
                put(xy[n][0]);
                put(xy[n][1]);
                for (int k = 1; k <= 4; ++k) {
                    put(value(n, k, 1));
                    put(value(n, k, 2));
                }
                put(0);
            }
        };
        element({101, 201, 501, 601, 0, 0, 0, 0, 0}, {1, 2, 5, 6});
        element({601, 501, 301, 401, 0, 0, 0, 0, 0}, {3, 4});
        mark("ibkind");
        for (int b = 1; b <= B; ++b) put(b == 2 ? 7 : 0);
        mark("flags");
        for (int f : {1, iestim, 1, iestdf, islvdf, 5}) put(f);
        if (islvdf == 1)
            for (int p = 1; p <= 10; ++p) {
                put(100 + p);
                put(0.25 * p);
            }
        if (iestdf != 0)
            for (int p = 1; p <= 10; ++p) put(3 * p);
        if (iestim == 1) {
            mark("estimate");
            put(17);
            for (int g = 1; g <= 5; ++g) put(1.5 * g);
            for (int i = 1; i <= 2; ++i)
                for (int k = 1; k <= 4; ++k) put(10 * i + k + 0.125);
        }
        return *this;
    }

    void write(const std::string& path, int unform = 0) const {
        cdump.IUNFOR = unform;
        if (unform == 1)
            ASSERT_TRUE(units::open_text(cinout.LUSAVE, path, units::Open::create));
        else
            ASSERT_TRUE(units::open_direct(cinout.LUSAVE, path, SAVE_RECLEN));
        for (std::size_t i = 0; i < v.size(); ++i) wrbuf(i == 0 ? -2 : 2, 0, v[i]);
        wrbuf(0, 0, 0.0);
        units::close(cinout.LUSAVE);
    }
};

}  // namespace kavren::testing
