#include <gtest/gtest.h>

#include "classlib/String.h"
#include "tests/unit/TestSupport.h"

TEST(CString, ConcatenationJoinsBytes) {
    const CString left("ab");
    const CString joined = left + "cd";
    EXPECT_EQ(Str(joined), "abcd");
    EXPECT_EQ(Str(left), "ab");
    CString built;
    for (int i = 0; i < 1000; ++i) built += CString("xy") + "z";
    EXPECT_EQ(built.GetLength(), 3000);
    EXPECT_EQ(Str(built.Left(6)), "xyzxyz");
}

TEST(CString, LeftTakesTheFirstBytesAndNothingForANegativeCount) {
    const CString text("hello");
    const struct {
        int count;
        const char* expected;
    } cases[] = {{-1, ""}, {-1000, ""}, {0, ""}, {2, "he"}, {5, "hello"}, {9, "hello"}};
    for (const auto& c : cases) EXPECT_EQ(Str(text.Left(c.count)), c.expected) << "count " << c.count;
}

TEST(CString, ReplaceReplacesEveryOccurrenceInOneLeftToRightPass) {
    const struct {
        const char* text;
        const char* oldText;
        const char* newText;
        const char* expected;
        int count;
    } cases[] = {
        {"a\rb\r\r", "\r", "", "ab", 3}, {"aaa", "aa", "a", "aa", 1},  // no overlapping second match
        {"ab", "a", "aa", "aab", 1},                                   // the replacement is not searched again
        {"abab", "ab", "", "", 2},       {"xyz", "q", "", "xyz", 0},
        {"", "\r", "", "", 0},           {"abc", "", "x", "abc", 0},  // an empty pattern matches nothing
    };
    for (const auto& c : cases) {
        CString text(c.text);
        EXPECT_EQ(text.Replace(c.oldText, c.newText), c.count) << c.text;
        EXPECT_EQ(Str(text), c.expected) << c.text;
    }
}

TEST(CString, FormatFollowsPrintfAndReplacesTheString) {
    CString text("something long that must go away");
    text.Format("%d-%s", 42, "x");
    EXPECT_EQ(Str(text), "42-x");
    std::string wide(5000, 'w');
    text.Format("%s!", wide.c_str());
    EXPECT_EQ(text.GetLength(), 5001);
    text.Format("%s", "");
    EXPECT_TRUE(text.IsEmpty());
}

TEST(CString, ReleaseBufferSetsTheLengthWrittenInPlace) {
    CString text;
    char* buffer = text.GetBuffer(8);
    std::snprintf(buffer, 9, "%s", "abc");
    text.ReleaseBuffer();
    EXPECT_EQ(Str(text), "abc");
    text.GetBuffer(8);
    text.ReleaseBuffer(2);
    EXPECT_EQ(Str(text), "ab");
}
