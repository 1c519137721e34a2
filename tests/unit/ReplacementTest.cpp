#include <gtest/gtest.h>

#include <string>

#include "rules/Replacement.h"

namespace {

TEST(Replacement, OnlyTheStretchThatDiffers) {
    const struct {
        std::u16string text, becomes;
        std::size_t first, last;
        std::u16string with;
    } cases[] = {
        {u"", u"", 0, 0, u""},
        {u"abc", u"abc", 3, 3, u""},
        {u"a\u00e9b", u"a?b", 1, 2, u"?"},
        {u"\U0001F600", u"??", 0, 2, u"??"},  // a surrogate pair, each half a "?"
        {u"x\U0001F600\U0001F600", u"x????", 1, 5, u"????"},
        {u"aa", u"aaa", 2, 2, u"a"},  // what both ends have in common is counted once
        {u"aaa", u"aa", 2, 3, u""},
        {u"\u00e9\u00e9", u"?", 0, 2, u"?"},
    };
    for (const auto& [text, becomes, first, last, with] : cases) {
        const auto replacement = FindReplacement(text, becomes);
        EXPECT_EQ(replacement.first, first);
        EXPECT_EQ(replacement.last, last);
        EXPECT_EQ(replacement.with, with);
        std::u16string replaced = text;
        replaced.replace(replacement.first, replacement.last - replacement.first, replacement.with);
        EXPECT_EQ(replaced, becomes);
    }
}

TEST(Replacement, TheCaretKeepsItsPlace) {
    // A surrogate pair at 2 and 3 held as two "?" and an "x" added after them.
    const auto replacement = FindReplacement(std::u16string(u"ab\U0001F600cd"), std::u16string(u"ab??xcd"));
    const std::size_t moved[][2] = {{0, 0}, {2, 2}, {3, 5}, {4, 5}, {5, 6}, {6, 7}};
    for (const auto& [position, after] : moved) EXPECT_EQ(replacement.Moved(position), after) << position;
}

}  // namespace
