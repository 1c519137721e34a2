#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "rules/MessageFile.h"
#include "tests/unit/TestSupport.h"

namespace {

class MessageFile : public InScratchDirectory {};

void Save(const std::string& message) {
    SaveMessageFile([&] { return CString(message.c_str()); });
}

std::string Load() {
    const auto message = LoadMessageFile();
    EXPECT_TRUE(message.has_value());
    return message ? Str(*message) : "(absent)";
}

std::string LoadStored(const std::string& stored) {
    WriteFileBytes(kMessageFileName, stored);
    return Load();
}

}  // namespace

TEST_F(MessageFile, SaveStoresTheTextThroughTextModeAndNothingElse) {
    const struct {
        const char* message;
        const char* stored;
    } cases[] = {
        {"61 62 63", "61 62 63"},
        {"61 62 0D 0A 63 64", "61 62 0D 0D 0A 63 64"},
        {"", ""},
        {"B9 D9 0D 0A", "B9 D9 0D 0D 0A"},
    };
    for (const auto& c : cases) {
        Save(Bytes(c.message));
        EXPECT_BYTES(Bytes(c.stored), ReadFileBytes(kMessageFileName)) << c.message;
    }
}

TEST_F(MessageFile, LoadRebuildsTheMessage) {
    EXPECT_FALSE(LoadMessageFile().has_value());
    const struct {
        const char* stored;
        const char* message;
    } cases[] = {
        {"", ""},
        {"61 62 63", "61 62 63"},
        {"61 62 0D 0D 0A 63 64", "61 62 0D 0A 63 64"},
        {"61 62 0D 0D 0A", "61 62 0D 0A"},              // the editor's final line break survives
        {"61 62 0D 0A 63 64 0D 0A", "61 62 0A 63 64"},  // written elsewhere: no trailing break
        {"61 62 0A", "61 62"},
        {"61 62 0D", "61 62 0D"},  // lone CR last
        {"0D 0A", ""},
        {"0D 0D 0A", "0D 0A"},
        {"61 1A 62 0D 0A 63", "61"},  // Ctrl-Z ends the file
        {"61 0D 0D 0A 1A", "61 0D 0A"},
        {"61 00 62 0D 0A 63", "61 0A 63"},  // zero byte: the rest of its line dropped
        {"00", ""},
    };
    for (const auto& c : cases) EXPECT_BYTES(Bytes(c.message), LoadStored(Bytes(c.stored))) << c.stored;
}

TEST_F(MessageFile, LoadsLongLinesAndLargeFilesWhole) {
    const std::string line(300, 'x');
    EXPECT_EQ(LoadStored(line), line);
    std::string many;
    std::string expected;
    for (int i = 0; many.size() < 4 * 1024 * 1024; ++i) {
        const std::string text = "line " + std::to_string(i);
        many += text + "\r\r\n";
        expected += text + "\r\n";
    }
    expected.resize(expected.size() - 2);
    expected += "\r\n";
    EXPECT_EQ(LoadStored(many), expected);
}

TEST_F(MessageFile, EveryEditorMessageRoundTripsByteForByte) {
    // Editor-like messages: CR LF line breaks, Hangul, lone CRs, any byte but zero and Ctrl-Z.
    std::mt19937 random(20261206);
    const std::string pieces[] = {"a", "Z", "\r\n", "\r", "\xB0\xA1", "\xC7\xD1", " ", "\x7F", "\xFF", "\x01"};
    for (int round = 0; round < 2000; ++round) {
        std::string message;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i) message += pieces[random() % std::size(pieces)];
        Save(message);
        EXPECT_BYTES(message, Load());
        if (HasFailure()) break;
    }
}

TEST_F(MessageFile, SaveIntoAnUnopenableNameDoesNothingAndReadsNothing) {
    std::filesystem::create_directory(kMessageFileName);
    bool read = false;
    EXPECT_NO_THROW(SaveMessageFile([&] {
        read = true;
        return CString("lost");
    }));
    EXPECT_FALSE(read);
    EXPECT_TRUE(std::filesystem::is_directory(kMessageFileName));
    EXPECT_TRUE(std::filesystem::is_empty(kMessageFileName));
    EXPECT_FALSE(LoadMessageFile().has_value());
}

TEST_F(MessageFile, WriteErrorAfterOpenThrows) {
    std::filesystem::create_symlink("/dev/full", kMessageFileName);
    EXPECT_THROW(Save("abc"), CFileException);
}
