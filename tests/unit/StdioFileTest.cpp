#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "classlib/StdioFile.h"
#include "tests/unit/TestSupport.h"

namespace {

class StdioFile : public InScratchDirectory {};

std::vector<std::string> ReadLines(const std::string& stored) {
    WriteFileBytes("f", stored);
    CStdioFile file;
    EXPECT_TRUE(file.Open("f", CStdioFile::modeRead));
    std::vector<std::string> lines;
    for (CString line; file.ReadString(line);) lines.push_back(Str(line));
    file.Close();
    return lines;
}

std::string Written(const char* text) {
    CStdioFile file;
    EXPECT_TRUE(file.Open("f", CStdioFile::modeCreate | CStdioFile::modeWrite));
    file.WriteString(text);
    file.Close();
    return ReadFileBytes("f");
}

}  // namespace

TEST_F(StdioFile, WritingStoresEachLfAsCrLfAndEveryOtherByteUnchanged) {
    EXPECT_BYTES(Bytes("61 62 63"), Written("abc"));
    EXPECT_BYTES(Bytes("0D 0A 0D 0D 0A 0D 1A 0D 0A"), Written("\n\r\n\r\x1A\n"));
    EXPECT_BYTES(Bytes("B0 A1 0D 0A"), Written("\xB0\xA1\n"));
    EXPECT_BYTES("", Written(""));
}

TEST_F(StdioFile, CreatingTruncatesAnExistingFile) {
    WriteFileBytes("f", std::string(100, 'x'));
    EXPECT_BYTES(Bytes("79"), Written("y"));
}

TEST_F(StdioFile, ReadingTurnsCrLfIntoLineEndsAndKeepsLoneCr) {
    using Lines = std::vector<std::string>;
    const struct {
        const char* stored;
        Lines expected;
    } cases[] = {
        {"", {}},
        {"61 62", {"ab"}},
        {"61 62 0A", {"ab"}},  // no empty line after a final LF
        {"61 62 0D 0A 63 64 0D 0A", {"ab", "cd"}},
        {"61 0D 0D 0A 62", {"a\r", "b"}},
        {"61 0D 62 0D", {"a\rb\r"}},  // CR not before LF stays, also as the last byte
        {"0A 0A", {"", ""}},
        {"0D", {"\r"}},
        {"61 1A 62 0A 63", {"a"}},  // Ctrl-Z ends the file
        {"1A 61", {}},
        {"61 0D 1A 0A", {"a\r"}},
        {"61 00 62 0A 63", {"a", "c"}},  // a zero byte ends the line's text
        {"00 0A 00", {"", ""}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadLines(Bytes(c.stored)), c.expected) << c.stored;
}

TEST_F(StdioFile, LinesOfAnyLengthComeWholeAcrossReadChunks) {
    // A CR LF pair split between two reads of the file is still one line end.
    for (size_t split : {65535u, 65536u, 131071u}) {
        const std::string first(split, 'a');
        const std::string second(300, 'b');
        EXPECT_EQ(ReadLines(first + "\r\n" + second), (std::vector<std::string>{first, second})) << split;
        EXPECT_EQ(ReadLines(first + "\r"), (std::vector<std::string>{first + "\r"})) << split;
    }
    const std::string huge(5 * 1024 * 1024, 'h');
    EXPECT_EQ(ReadLines(huge + "\r\nx"), (std::vector<std::string>{huge, "x"}));
}

TEST_F(StdioFile, LastLineEndedTellsAnLfFromTheEndOfTheFile) {
    WriteFileBytes("f", "a\r\nb");
    CStdioFile file;
    ASSERT_TRUE(file.Open("f", CStdioFile::modeRead));
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_TRUE(file.LastLineEnded());
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_FALSE(file.LastLineEnded());
}

TEST_F(StdioFile, OpenFailsWithoutThrowingAndFillsTheRecordWhenAsked) {
    CStdioFile file;
    EXPECT_FALSE(file.Open("missing", CStdioFile::modeRead));
    CFileException error("", 0, "");
    EXPECT_FALSE(file.Open("missing", CStdioFile::modeRead, &error));
    EXPECT_STREQ(error.GetFileName(), "missing");
    EXPECT_EQ(error.m_lOsError, ENOENT);
    EXPECT_STRNE(error.GetErrorMessage(), "");
    std::filesystem::create_directory("dir");
    EXPECT_FALSE(file.Open("dir", CStdioFile::modeRead));  // as on Windows: a directory does not open
    EXPECT_FALSE(file.Open("dir", CStdioFile::modeCreate | CStdioFile::modeWrite));
    EXPECT_FALSE(file.Open("missing", CStdioFile::modeWrite));  // writing without create needs the file
}

TEST_F(StdioFile, WriteErrorThrowsWithFileNameAndSystemError) {
    std::filesystem::create_symlink("/dev/full", "full");
    CStdioFile file;
    ASSERT_TRUE(file.Open("full", CStdioFile::modeCreate | CStdioFile::modeWrite));
    try {
        file.WriteString("abc");
        FAIL() << "no exception";
    } catch (const CFileException& error) {
        const CFileException copy(error);
        EXPECT_STREQ(copy.GetFileName(), "full");
        EXPECT_EQ(copy.m_lOsError, ENOSPC);
        EXPECT_STRNE(copy.GetErrorMessage(), "");
    }
    file.Close();
}

TEST_F(StdioFile, ReadErrorThrows) {
    // /proc/self/mem opens, but reading its first page (address 0, never mapped) fails with EIO.
    CStdioFile file;
    ASSERT_TRUE(file.Open("/proc/self/mem", CStdioFile::modeRead));
    CString line;
    EXPECT_THROW(file.ReadString(line), CFileException);
}
