#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "rules/MessageFile.h"
#include "tests/unit/TestSupport.h"

namespace {

// Each test in a scratch directory that is also the current directory, where msg.dat is looked for.
class MessageFile : public ::testing::Test {
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

void Save(const std::string& message) {
    SaveMessageFile([&] { return CString(message.c_str()); });
}

std::string LoadStored(const std::string& stored) {
    std::ofstream(kMessageFileName, std::ios::binary) << stored;
    const auto message = LoadMessageFile();
    return message ? Str(*message) : "(absent)";
}

}  // namespace

TEST_F(MessageFile, SaveStoresEachLfAsCrLfAndNothingElse) {
    // In this order, so that each save must also cut the longer file before it.
    for (const auto& [message, stored] : {std::pair{"0A 0D 0A 0D 1A 0A", "0D 0A 0D 0D 0A 0D 1A 0D 0A"},
                                          {"61 62 0D 0A 63 64", "61 62 0D 0D 0A 63 64"},
                                          {"B9 D9 0D 0A", "B9 D9 0D 0D 0A"},
                                          {"", ""}}) {
        Save(Bytes(message));
        std::ostringstream file;
        file << std::ifstream(kMessageFileName, std::ios::binary).rdbuf();
        EXPECT_EQ(file.str(), Bytes(stored)) << message;
    }
}

TEST_F(MessageFile, LoadReadsTextModeAndRebuildsTheEditorsLineBreaks) {
    EXPECT_FALSE(LoadMessageFile().has_value());
    for (const auto& [stored, message] : {
             std::pair{"", ""},
             {"61 62 0D 0D 0A 63 64", "61 62 0D 0A 63 64"},
             {"61 62 0D 0D 0A", "61 62 0D 0A"},              // the editor's final line break survives
             {"61 62 0D 0A 63 64 0D 0A", "61 62 0A 63 64"},  // written elsewhere: no trailing break
             {"61 62 0A", "61 62"},
             {"0A 0A", "0A"},
             {"61 0D 62 0D", "61 0D 62 0D"},  // a CR not before an LF stays, also as the last byte
             {"0D 0D 0A", "0D 0A"},
             {"61 1A 62 0D 0A 63", "61"},  // Ctrl-Z ends the file
             {"61 0D 1A 0A", "61 0D"},
             {"1A 61", ""},
             {"61 00 62 0D 0A 63", "61 0A 63"},  // a zero byte drops the rest of its line
             {"00 0A 00", "0A"},
         })
        EXPECT_EQ(LoadStored(Bytes(stored)), Bytes(message)) << stored;

    // Line ends split between two reads of the file, and lines longer than one read.
    const std::string a(65535, 'a');
    EXPECT_EQ(LoadStored(a + "\r\nb"), a + "\nb");
    EXPECT_EQ(LoadStored(a + "\rb"), a + "\rb");
    EXPECT_EQ(LoadStored(a.substr(1) + "\r\r\n"), a.substr(1) + "\r\n");
    EXPECT_EQ(LoadStored(a + a + a + "\r\r\n"), a + a + a + "\r\n");
}

TEST_F(MessageFile, UnopenableFileIsSkippedButReadAndWriteErrorsThrow) {
    std::filesystem::create_directory(kMessageFileName);
    bool read = false;
    EXPECT_NO_THROW(SaveMessageFile([&] { return read = true, CString("lost"); }));
    EXPECT_FALSE(read);  // not even asked for the text
    EXPECT_TRUE(std::filesystem::is_empty(kMessageFileName));
    EXPECT_FALSE(LoadMessageFile().has_value());

    std::filesystem::remove(kMessageFileName);
    std::filesystem::create_symlink("/dev/full", kMessageFileName);
    try {
        Save("abc");
        ADD_FAILURE() << "no exception";
    } catch (const CFileException& error) {
        EXPECT_STREQ(CFileException(error).GetFileName(), kMessageFileName);
        EXPECT_STRNE(error.GetErrorMessage(), "");
    }

    // /proc/self/mem opens, but reading its first page (address 0, never mapped) fails with EIO.
    std::filesystem::remove(kMessageFileName);
    std::filesystem::create_symlink("/proc/self/mem", kMessageFileName);
    EXPECT_THROW(LoadMessageFile(), CFileException);
}
