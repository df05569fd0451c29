// A broken promise of a reader is a finding: say which, then abort so that
// the fuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void fuzz_require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}
