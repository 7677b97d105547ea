// libFuzzer driver for one entry of FuzzTargets, chosen at build time.
#include <cstdio>
#include <cstdlib>

#include "fuzz/FuzzTargets.h"

#ifndef TAVIREL_FUZZ_TARGET
#error "TAVIREL_FUZZ_TARGET names the entry to drive"
#endif

namespace {
FuzzTargets::Entry g_entry = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const FuzzTargets::Target* target = FuzzTargets::find(TAVIREL_FUZZ_TARGET);
    if (target == nullptr) {
        std::fprintf(stderr, "No fuzz target %s\n", TAVIREL_FUZZ_TARGET);
        std::abort();
    }
    g_entry = target->entry;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return g_entry(data, size);
}
