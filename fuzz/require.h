// A property that must hold: libFuzzer keeps the input that breaks it.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}
