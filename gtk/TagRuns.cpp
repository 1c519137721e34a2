#include "gtk/TagRuns.h"

#include <algorithm>

Runs Tagged(GtkTextBuffer* buffer, GtkTextTag* tag) {
    Runs runs;
    GtkTextIter at;
    gtk_text_buffer_get_start_iter(buffer, &at);
    if (gtk_text_iter_has_tag(&at, tag)) runs.emplace_back(0, 0);
    while (gtk_text_iter_forward_to_tag_toggle(&at, tag)) {
        const int offset = gtk_text_iter_get_offset(&at);
        if (gtk_text_iter_starts_tag(&at, tag))
            runs.emplace_back(offset, offset);
        else
            runs.back().second = offset;
    }
    return runs;
}

Runs Outside(const Runs& runs, const Runs& others) {
    Runs outside;
    auto other = others.begin();
    for (auto [first, last] : runs) {
        while (other != others.end() && other->second <= first) ++other;
        for (auto next = other; first < last; ++next) {
            if (next == others.end() || next->first >= last) {
                outside.emplace_back(first, last);
                break;
            }
            if (next->first > first) outside.emplace_back(first, next->first);
            first = std::max(first, next->second);
        }
    }
    return outside;
}

void Retag(GtkTextBuffer* buffer, GtkTextTag* tag, const Runs& runs) {
    const Runs tagged = Tagged(buffer, tag);
    const auto change = [buffer, tag](const Runs& what, auto change) {
        for (const auto& [first, last] : what) {
            GtkTextIter start, end;
            gtk_text_buffer_get_iter_at_offset(buffer, &start, first);
            gtk_text_buffer_get_iter_at_offset(buffer, &end, last);
            change(buffer, tag, &start, &end);
        }
    };
    change(Outside(tagged, runs), gtk_text_buffer_remove_tag);
    change(Outside(runs, tagged), gtk_text_buffer_apply_tag);
}

Runs ToEnd(int shown, int cursor, int composing, int end) {
    if (shown < 0) return {};
    const int first = shown <= cursor ? shown : std::max(cursor, shown - composing);
    if (first >= end) return {};
    return {{first, end}};
}
