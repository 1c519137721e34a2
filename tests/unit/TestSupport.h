// Helpers shared by the unit tests: byte strings written as hex, and a scratch directory that is
// also the current directory, since msg.dat is resolved against it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "classlib/String.h"

// "61 0D 0A" -> the three bytes.
std::string Bytes(const char* hex);
std::string Str(const CString& text);
std::string Hex(const std::string& bytes);
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

#define EXPECT_BYTES(expected, actual) EXPECT_EQ(Hex(expected), Hex(actual))

class InScratchDirectory : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::filesystem::path m_previous;
    std::filesystem::path m_directory;
};
