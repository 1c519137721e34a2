#include "tests/unit/TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

std::string Bytes(const char* hex) {
    std::string bytes;
    std::istringstream in(hex);
    for (std::string pair; in >> pair;) bytes.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
    return bytes;
}

std::string Str(const CString& text) { return std::string(text, static_cast<size_t>(text.GetLength())); }

std::string Hex(const std::string& bytes) {
    std::string hex;
    char pair[4];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, hex.empty() ? "%02X" : " %02X", c);
        hex += pair;
    }
    return hex;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void InScratchDirectory::SetUp() {
    m_previous = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_directory = pattern;
    std::filesystem::current_path(m_directory);
}

void InScratchDirectory::TearDown() {
    std::filesystem::current_path(m_previous);
    std::filesystem::remove_all(m_directory);
}
