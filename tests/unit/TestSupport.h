// Helpers shared by the unit tests: byte strings written as hex, and a scratch directory that is
// also the current directory, since msg.dat is resolved against it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "classlib/String.h"

// "61 0D 0A" -> the three bytes.
inline std::string Bytes(const char* hex) {
    std::string bytes;
    std::istringstream in(hex);
    for (unsigned byte = 0; in >> std::hex >> byte;) bytes.push_back(static_cast<char>(byte));
    return bytes;
}

inline std::string Str(const CString& text) { return std::string(text, static_cast<size_t>(text.GetLength())); }

inline std::string ReadFileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class InScratchDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillet-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        std::filesystem::current_path(m_directory = pattern);
    }
    void TearDown() override {
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_directory);
    }
    const std::filesystem::path m_previous = std::filesystem::current_path();
    std::filesystem::path m_directory;
};
