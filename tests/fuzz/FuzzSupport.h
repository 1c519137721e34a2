// Helpers shared by the fuzz targets: a failed property must crash, so that libFuzzer keeps the
// input; msg.dat is resolved against the current directory, so the targets that touch it work in
// a private scratch directory.
#pragma once

#include <cstdio>
#include <string>

#include "classlib/String.h"

// A trap rather than assert(): it stays in every build type and libFuzzer reports it as a crash.
#define FUZZ_REQUIRE(condition)                                                                     \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__, #condition); \
            __builtin_trap();                                                                       \
        }                                                                                           \
    } while (false)

std::string Str(const CString& text);

// Makes a fresh temporary directory the current directory for the rest of the process and
// removes it at exit. Paths given to the fuzzer on its command line must therefore be absolute.
void EnterScratchDirectory();

// The bytes of msg.dat, written directly, bypassing the text-mode layer under test.
void WriteMessageFileBytes(const std::string& bytes);

void SaveText(const std::string& text);
// The loaded text; a file that cannot be opened violates the property of every target using it.
std::string LoadText();
