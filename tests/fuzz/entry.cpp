// The libFuzzer entry point of one harness, chosen by KAVREN_FUZZ_TARGET when
// the program is built. A verdict other than empty is a finding: it is shown
// and the program aborts, so that libFuzzer keeps the input. The harness
// works in a scratch directory of its own: give the program absolute paths
// of corpus folders and of the artifact prefix (scripts/fuzz does).
#include <cstdio>
#include <cstdlib>

#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string verdict = kavren::fuzz::KAVREN_FUZZ_TARGET(data, size);
    if (!verdict.empty()) {
        std::fprintf(stderr, "FINDING: %s\n", verdict.c_str());
        std::abort();
    }
    return 0;
}
