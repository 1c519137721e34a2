// How an editor's text becomes another with the least put in: only the stretch between what the two
// have in common at either end is replaced, and the caret keeps its place around it. Any string of
// characters: the Windows editor's UTF-16 as well as bytes.
#pragma once

#include <algorithm>
#include <cstddef>

template <class Text>
struct Replacement {
    std::size_t first = 0;  // where the stretch starts, in the text as in what it becomes
    std::size_t last = 0;   // where it ends in the text
    Text with;              // what it becomes

    // Where a position in the text is once the stretch is replaced: the same before it, as far from
    // the end after it, and at the end of what replaced it within it.
    std::size_t Moved(std::size_t position) const {
        if (position <= first) return position;
        return std::max(position, last) - last + first + with.size();
    }
};

// What in `text` becomes what in `becomes`.
template <class Text>
Replacement<Text> FindReplacement(const Text& text, const Text& becomes) {
    const auto prefix = static_cast<std::size_t>(
        std::mismatch(text.begin(), text.end(), becomes.begin(), becomes.end()).first - text.begin());
    const std::size_t room = std::min(text.size(), becomes.size()) - prefix;
    const auto suffix = static_cast<std::size_t>(
        std::mismatch(text.rbegin(), text.rbegin() + static_cast<std::ptrdiff_t>(room), becomes.rbegin()).first -
        text.rbegin());
    return {prefix, text.size() - suffix,
            Text(becomes.begin() + static_cast<std::ptrdiff_t>(prefix),
                 becomes.end() - static_cast<std::ptrdiff_t>(suffix))};
}
