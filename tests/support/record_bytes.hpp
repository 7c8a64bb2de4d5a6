// The mesh database and what else a file reader may change of a run, as
// bytes, to tell whether a refused file left every record as it was.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "records/control.hpp"
#include "records/estimate.hpp"
#include "records/geometry.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "records/problem.hpp"

namespace kavren::testing {

// The bytes of every record that reading an initial-mesh file or a save file
// may change, kept in one buffer that
// each take() reuses: the records are megabytes, and a fresh copy for every
// comparison spends its time in the allocator and in page faults.
class RecordBytes {
  public:
    void take() {
        std::size_t total = 0;
        each([&total](const char*, const void*, std::size_t n) { total += n; });
        bytes_.resize(total);
        std::size_t at = 0;
        each([this, &at](const char*, const void* p, std::size_t n) {
            std::memcpy(bytes_.data() + at, p, n);
            at += n;
        });
    }
    // The names of the records that are no longer byte for byte as taken.
    std::string changed() const {
        std::string names;
        std::size_t at = 0;
        each([&](const char* name, const void* p, std::size_t n) {
            if (std::memcmp(bytes_.data() + at, p, n) != 0) names += std::string(" ") + name;
            at += n;
        });
        return names;
    }

  private:
    template <typename Fn>
    static void each(Fn fn) {
#define KAVREN_RECORD(r) fn(#r, &r, sizeof r)
        KAVREN_RECORD(cdata);
        KAVREN_RECORD(cpoint);
        KAVREN_RECORD(celem);
        KAVREN_RECORD(celem0);
        KAVREN_RECORD(ctree);
        KAVREN_RECORD(cneig);
        KAVREN_RECORD(cnode);
        KAVREN_RECORD(cnu);
        KAVREN_RECORD(cuold);
        KAVREN_RECORD(cunew);
        KAVREN_RECORD(ceqsys);
        KAVREN_RECORD(csymet);
        KAVREN_RECORD(cbound);
        KAVREN_RECORD(cflags);
        KAVREN_RECORD(cslvdefs);
        KAVREN_RECORD(cestdefs);
        KAVREN_RECORD(cerrest);
        KAVREN_RECORD(cerresi);
        KAVREN_RECORD(icolu);
        KAVREN_RECORD(cmshst);
#undef KAVREN_RECORD
    }
    std::vector<char> bytes_;
};

}  // namespace kavren::testing
