// Helpers shared by the unit tests: byte strings written as hex, and a scratch directory that is
// also the current directory, since msg.dat is resolved against it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
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
    for (std::string pair; in >> pair;) bytes.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
    return bytes;
}

inline std::string Hex(const std::string& bytes) {
    std::string hex;
    char pair[4];
    for (unsigned char c : bytes) hex += (std::snprintf(pair, sizeof pair, " %02X", c), pair);
    return hex;
}

inline std::string Str(const CString& text) { return std::string(text, static_cast<size_t>(text.GetLength())); }

inline std::string ReadFileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const char* path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

#define EXPECT_BYTES(expected, actual) EXPECT_EQ(Hex(expected), Hex(actual))

class InScratchDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillet-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_directory = pattern;
        std::filesystem::current_path(m_directory);
    }
    void TearDown() override {
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_directory);
    }
    const std::filesystem::path m_previous = std::filesystem::current_path();
    std::filesystem::path m_directory;
};
