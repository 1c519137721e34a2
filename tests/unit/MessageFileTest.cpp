#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <string>

#include "rules/MessageStore.h"
#include "tests/unit/TestSupport.h"

TEST(MessageFileBytes, StoreEachLfAsCrLfAndNothingElse) {
    for (const auto& [message, stored] : {std::pair{"0A 0D 0A 0D 1A 0A", "0D 0A 0D 0D 0A 0D 1A 0D 0A"},
                                          {"61 62 0D 0A 63 64", "61 62 0D 0D 0A 63 64"},
                                          {"B9 D9 0D 0A", "B9 D9 0D 0D 0A"},
                                          {"", ""}})
        EXPECT_EQ(Saved(Bytes(message)), Bytes(stored)) << message;
}

TEST(MessageFromFileBytes, ReadsTextModeAndRebuildsTheEditorsLineBreaks) {
    for (const auto& [stored, message] : {
             std::pair{"", ""},
             {"61 62 0D 0D 0A 63 64", "61 62 0D 0A 63 64"},
             {"61 62 0D 0D 0A", "61 62 0D 0A"},              // the editor's final line break survives
             {"61 62 0D 0A 63 64 0D 0A", "61 62 0A 63 64"},  // written elsewhere: no trailing break
             {"61 62 0A", "61 62"},
             {"0A 0A", "0A"},
             {"61 0D 62 0D", "61 0D 62 0D"},  // a CR not before an LF stays, also as the last byte
             {"0A 61 0D", "0A 61 0D"},        // ... and the last line's own end decides, not the one before
             {"0D 0D 0A", "0D 0A"},
             {"61 1A 62 0D 0A 63", "61"},  // Ctrl-Z ends the file
             {"61 0D 1A 0A", "61 0D"},
             {"1A 61", ""},
             {"61 00 62 0D 0A 63", "61 0A 63"},  // a zero byte drops the rest of its line
             {"00 0A 00", "0A"},
         })
        EXPECT_EQ(Loaded(Bytes(stored)), Bytes(message)) << stored;
}

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

std::string Contents(const char* name) {
    std::ostringstream file;
    file << std::ifstream(name, std::ios::binary).rdbuf();
    return file.str();
}

TEST_F(MessageFile, DiskHoldsTheRulesBytesWhole) {
    EXPECT_FALSE(LoadMessageFile().has_value());
    // Longer than one read of the file, and saved over a longer file, which must be cut.
    const std::string a(65535, 'a');
    const std::string message = a + "\r\n" + a + "\r\n" + a;
    for (const std::string& text : {message, std::string("x\r\n")}) {
        EXPECT_FALSE(SaveMessageFile([&] { return Text(text); }).has_value());
        EXPECT_EQ(Contents(kMessageFileName), Saved(text));
        EXPECT_EQ(Str(LoadMessageFile().value()), text);
    }
    // Ctrl-Z ends the whole file, not only the part of it read so far.
    std::ofstream(kMessageFileName, std::ios::binary) << "ab\x1A" << a << a;
    EXPECT_EQ(Str(LoadMessageFile().value()), "ab");
}

// Saved by replacement: through a link the file it leads to is replaced, with its permissions, and
// no new file stays behind. (That a failed write leaves the old bytes, a full disk shows end to end.)
TEST_F(MessageFile, SavedThroughALink) {
    std::filesystem::create_directory("real");
    std::ofstream("real/old.dat") << "old";
    std::filesystem::permissions("real/old.dat",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink("real/old.dat", kMessageFileName);
    EXPECT_FALSE(SaveMessageFile([] { return CString("new"); }).has_value());
    EXPECT_TRUE(std::filesystem::is_symlink(kMessageFileName));
    EXPECT_EQ(Contents("real/old.dat"), "new");
    EXPECT_EQ(std::filesystem::status("real/old.dat").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("real"), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2);
}

// What came of a save, as the close conversation's next step: the window closes once the message is
// saved; otherwise the user is asked, with the system's reason when there is one, and with the buttons
// that say whether msg.dat could not be opened (to try again) or not written.
TEST_F(MessageFile, TheSavesOutcomeIsTheConversationsNextStep) {
    CloseConversation closing(AtStart::kRead);
    const auto next = [&closing](auto readMessage) {
        closing.Close(Closing::kByUser);
        if (SaveAsAsked(closing, readMessage) != CloseStep::kAsk) return "not asked";
        if (closing.Asked().reason.IsEmpty()) return "failed";
        return closing.Asked().buttons == Buttons::kOk ? "not written" : "not opened";
    };
    const auto abc = [] { return CString("abc"); };
    EXPECT_STREQ(next(abc), "not asked");
    EXPECT_STREQ(next([]() -> CString { throw std::bad_alloc(); }), "failed");
    EXPECT_EQ(Contents(kMessageFileName), "abc");  // the save that failed left it
    std::filesystem::remove(kMessageFileName);
    std::filesystem::create_directory(kMessageFileName);
    EXPECT_STREQ(next(abc), "not opened");
    // A device is written in place, never replaced: /dev/full fails the write and stays.
    std::filesystem::remove(kMessageFileName);
    std::filesystem::create_symlink("/dev/full", kMessageFileName);
    EXPECT_STREQ(next(abc), "not written");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

// msg.dat that is no regular file to read. (A directory, unreadable at start and never replaced, is
// the end-to-end cases' own: it brings the questions they answer.)
TEST_F(MessageFile, PipesAndDevicesAreNoMessageFiles) {
    // A named pipe is no file to read: reading it would wait for a writer, at start, for ever.
    ASSERT_EQ(mkfifo(kMessageFileName, 0600), 0);
    AtStart atStart = AtStart::kRead;
    EXPECT_FALSE(LoadMessageFile(&atStart).has_value());
    EXPECT_EQ(atStart, AtStart::kUnreadable);

    // /proc/self/mem opens, but reading its first page (address 0, never mapped) fails with EIO.
    std::filesystem::remove(kMessageFileName);
    std::filesystem::create_symlink("/proc/self/mem", kMessageFileName);
    EXPECT_THROW(LoadMessageFile(), CFileException);
}
