// The native composer's tag runs: the arithmetic, and a tag moved in a real text buffer.
#include <gtest/gtest.h>

#include <string>

#include "gtk/TagRuns.h"

namespace {

TEST(TagRuns, Outside) {
    const struct {
        Runs runs, others, outside;
    } cases[] = {
        {{}, {{0, 5}}, {}},
        {{{0, 5}}, {}, {{0, 5}}},
        {{{0, 5}}, {{0, 5}}, {}},
        {{{0, 5}}, {{5, 9}}, {{0, 5}}},  // touching is not overlapping
        {{{0, 10}}, {{2, 3}, {5, 7}}, {{0, 2}, {3, 5}, {7, 10}}},
        {{{2, 4}, {6, 9}}, {{0, 3}, {8, 12}}, {{3, 4}, {6, 8}}},
        {{{2, 4}, {6, 9}}, {{0, 20}}, {}},
        {{{1, 2}, {4, 5}, {7, 8}}, {{4, 5}}, {{1, 2}, {7, 8}}},
    };
    for (const auto& [runs, others, outside] : cases) EXPECT_EQ(Outside(runs, others), outside);
}

TEST(TagRuns, ToEndOfTheBuffer) {
    const struct {
        int shown, cursor, composing, end;
        Runs run;
    } cases[] = {
        {-1, 0, 0, 10, {}},                            // it all fits
        {4, 0, 0, 10, {{4, 10}}}, {10, 0, 0, 10, {}},  // past the limit only at the end: nothing to tint
        {4, 6, 1, 10, {{4, 10}}},                      // the syllable composed after the limit
        {7, 6, 2, 10, {{6, 10}}},                      // the limit falls in what is composed: tinted from the cursor
        {9, 6, 2, 10, {{7, 10}}},                      // after it, a place earlier in the buffer for each character
        {11, 10, 1, 10, {}},
    };
    for (const auto& [shown, cursor, composing, end, run] : cases)
        EXPECT_EQ(ToEnd(shown, cursor, composing, end), run) << shown << ' ' << cursor << ' ' << composing;
}

// A buffer whose applied and removed stretches are recorded.
class TagRunsInABuffer : public testing::Test {
protected:
    TagRunsInABuffer() {
        gtk_text_buffer_set_text(m_buffer, "0123456789abcdef", -1);
        g_signal_connect(m_buffer, "apply-tag", G_CALLBACK(&Record), &m_applied);
        g_signal_connect(m_buffer, "remove-tag", G_CALLBACK(&Record), &m_removed);
    }
    ~TagRunsInABuffer() override { g_object_unref(m_buffer); }

    static void Record(GtkTextBuffer*, GtkTextTag*, GtkTextIter* start, GtkTextIter* end, Runs* runs) {
        runs->emplace_back(gtk_text_iter_get_offset(start), gtk_text_iter_get_offset(end));
    }

    GtkTextBuffer* m_buffer = gtk_text_buffer_new(nullptr);
    GtkTextTag* m_tag = gtk_text_buffer_create_tag(m_buffer, nullptr, nullptr);
    Runs m_applied, m_removed;
};

TEST_F(TagRunsInABuffer, RetagTouchesOnlyWhatChanges) {
    Retag(m_buffer, m_tag, {{0, 3}, {8, 16}});
    EXPECT_EQ(Tagged(m_buffer, m_tag), (Runs{{0, 3}, {8, 16}}));
    EXPECT_EQ(m_applied, (Runs{{0, 3}, {8, 16}}));
    m_applied.clear();

    Retag(m_buffer, m_tag, {{0, 3}, {9, 16}});  // one character further on
    EXPECT_EQ(Tagged(m_buffer, m_tag), (Runs{{0, 3}, {9, 16}}));
    EXPECT_EQ(m_removed, (Runs{{8, 9}}));
    EXPECT_TRUE(m_applied.empty());

    Retag(m_buffer, m_tag, {{1, 12}});
    EXPECT_EQ(Tagged(m_buffer, m_tag), (Runs{{1, 12}}));
    EXPECT_EQ(m_applied, (Runs{{3, 9}}));

    Retag(m_buffer, m_tag, {});
    EXPECT_TRUE(Tagged(m_buffer, m_tag).empty());
}

}  // namespace
