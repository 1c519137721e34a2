#include "tests/fuzz/FuzzSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "rules/MessageFile.h"

namespace {

std::filesystem::path scratchDirectory;

void RemoveScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchDirectory, ignored);
}

}  // namespace

std::string Str(const CString& text) { return std::string(text, static_cast<std::size_t>(text.GetLength())); }

void EnterScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-fuzz-XXXXXX").string();
    FUZZ_REQUIRE(mkdtemp(pattern.data()) != nullptr);
    scratchDirectory = pattern;
    FUZZ_REQUIRE(chdir(pattern.c_str()) == 0);
    std::atexit(RemoveScratchDirectory);
}

void WriteMessageFileBytes(const std::string& bytes) {
    std::FILE* file = std::fopen(kMessageFileName, "wb");
    FUZZ_REQUIRE(file != nullptr);
    FUZZ_REQUIRE(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    FUZZ_REQUIRE(std::fclose(file) == 0);
}

void SaveText(const std::string& text) {
    SaveMessageFile([&] { return CString(text.data(), static_cast<int>(text.size())); });
}

std::string LoadText() {
    const std::optional<CString> text = LoadMessageFile();
    FUZZ_REQUIRE(text.has_value());
    return Str(*text);
}
