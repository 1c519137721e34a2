// Shared by the fuzz targets: a failed property must crash, so that libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "rules/MessageFile.h"

// A trap rather than assert(): it stays in every build type and libFuzzer reports it as a crash.
#define FUZZ_REQUIRE(condition)                                                                     \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__, #condition); \
            __builtin_trap();                                                                       \
        }                                                                                           \
    } while (false)

inline std::string Str(const CString& text) { return std::string(text, static_cast<std::size_t>(text.GetLength())); }

inline CString Text(const std::string& text) { return CString(text.data(), static_cast<int>(text.size())); }

// What msg.dat holds for `text`, and what a msg.dat holding `stored` gives back.
inline std::string Saved(const std::string& text) { return Str(MessageFileBytes(Text(text))); }
inline std::string Loaded(const std::string& stored) { return Str(MessageFromFileBytes(Text(stored))); }
