#include "rules/MessageMarks.h"

#include <string>

#include "rules/LengthStatus.h"
#include "rules/Texts.h"

namespace {

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsTrailByte(unsigned char c) {
    return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
}

// Calls `visit(begin, size)` for each character of `text`: its first byte and its length in bytes.
template <typename Visit>
void ForEachCharacter(const CString& text, Visit&& visit) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(static_cast<const char*>(text));
    const int length = text.GetLength();
    for (int at = 0; at < length;) {
        const int size = IsLeadByte(bytes[at]) && at + 1 < length && IsTrailByte(bytes[at + 1]) ? 2 : 1;
        visit(bytes + at, size);
        at += size;
    }
}

// KS X 1001 has both bytes of its two-byte characters at 0xA1 or above; the code page adds the rest.
bool IsAtRisk(const unsigned char* character, int size) {
    return size == 2 && (character[0] < 0xA1 || character[1] < 0xA1);
}

}  // namespace

MessageMarks MarkMessage(const CString& text) {
    MessageMarks marks;
    int index = 0;
    int counted = 0;
    ForEachCharacter(text, [&](const unsigned char* character, int size) {
        if (*character != '\r') counted += size;
        if (counted > kMessageLimit && marks.pastLimit < 0) marks.pastLimit = index;
        if (IsAtRisk(character, size)) {
            if (marks.atRisk.empty() || marks.atRisk.back().second != index) marks.atRisk.emplace_back(index, index);
            marks.atRisk.back().second = index + 1;
        }
        ++index;
    });
    return marks;
}

CString AtRiskNote(const CString& text) {
    std::string names;
    std::vector<bool> seen(0x10000);
    ForEachCharacter(text, [&](const unsigned char* character, int size) {
        const int code = character[0] << 8 | character[size - 1];
        if (!IsAtRisk(character, size) || seen[code]) return;
        seen[code] = true;
        if (!names.empty()) names += ", ";
        names.append(reinterpret_cast<const char*>(character), 2);
    });
    CString note;
    if (!names.empty()) note.Format(kAtRiskTemplate, names.c_str());
    return note;
}
