// Shared by the fuzz targets: a failed property must crash, so that libFuzzer keeps the input; msg.dat
// is resolved against the current directory, so the targets work in a scratch directory.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
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

// A fresh temporary directory is the current directory from start-up and goes at exit. Paths given
// to the fuzzer on its command line must therefore be absolute.
inline const std::filesystem::path scratchDirectory = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-fuzz-XXXXXX").string();
    FUZZ_REQUIRE(mkdtemp(pattern.data()) != nullptr && chdir(pattern.c_str()) == 0);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(scratchDirectory, ignored);
    });
    return pattern;
}();

inline void SaveText(const std::string& text) {
    SaveMessageFile([&] { return CString(text.data(), static_cast<int>(text.size())); });
}

// A file that cannot be opened violates the property of every target using this.
inline std::string LoadText() {
    const std::optional<CString> text = LoadMessageFile();
    FUZZ_REQUIRE(text.has_value());
    return Str(*text);
}
