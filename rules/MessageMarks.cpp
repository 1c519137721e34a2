#include "rules/MessageMarks.h"

#include <string>

#include "rules/LengthStatus.h"
#include "rules/Texts.h"

namespace {

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsTrailByte(unsigned char c) {
    return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
}

// Calls `visit(begin, size)` for each character of `text`, its first byte and its length in bytes,
// until it returns false; returns the index of that character, or the number of characters.
template <typename Visit>
int ForEachCharacter(const CString& text, Visit&& visit) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(static_cast<const char*>(text));
    const int length = text.GetLength();
    int index = 0;
    for (int at = 0; at < length; ++index) {
        const int size = IsLeadByte(bytes[at]) && at + 1 < length && IsTrailByte(bytes[at + 1]) ? 2 : 1;
        if (!visit(bytes + at, size)) break;
        at += size;
    }
    return index;
}

// KS X 1001 has both bytes of its two-byte characters at 0xA1 or above; the code page adds the rest.
bool IsAtRisk(const unsigned char* character, int size) {
    return size == 2 && (character[0] < 0xA1 || character[1] < 0xA1);
}

}  // namespace

int PastLimit(const CString& text) {
    int counted = 0;
    const int index = ForEachCharacter(text, [&counted](const unsigned char* character, int size) {
        if (*character != '\r') counted += size;
        return counted <= kMessageLimit;
    });
    return counted > kMessageLimit ? index : -1;
}

AtRisk FindAtRisk(const CString& text) {
    AtRisk found;
    std::string names;
    std::vector<bool> named;  // by lead and trail byte, once the first is found
    int index = 0;
    ForEachCharacter(text, [&](const unsigned char* character, int size) {
        if (IsAtRisk(character, size)) {
            if (found.runs.empty() || found.runs.back().second != index) found.runs.emplace_back(index, index);
            found.runs.back().second = index + 1;
            if (named.empty()) named.resize(0x10000);
            if (const int code = character[0] << 8 | character[1]; !named[code]) {
                named[code] = true;
                if (!names.empty()) names += ", ";
                names.append(reinterpret_cast<const char*>(character), 2);
            }
        }
        ++index;
        return true;
    });
    if (!names.empty()) found.note.Format(kAtRiskTemplate, names.c_str());
    return found;
}
