// Shared by the fuzz targets: a failed property must crash, so that libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "tests/unit/TestSupport.h"

// A trap rather than assert(): it stays in every build type and libFuzzer reports it as a crash.
#define FUZZ_REQUIRE(condition)                                                                     \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__, #condition); \
            __builtin_trap();                                                                       \
        }                                                                                           \
    } while (false)
