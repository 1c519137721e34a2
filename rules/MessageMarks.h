// What a front end marks in the text it shows: the part that falls past the limit, and the
// characters that may not arrive. Both are found in the code page 949 bytes of the text as the
// front end holds it, and given as character indices into it: a two-byte character of the code page
// is one character, as is every other byte (a CR among them, though it does not count).
#pragma once

#include <utility>
#include <vector>

#include "core/String.h"

// The first character of `text` any of whose bytes lies past the limit, counted as the status counts
// (CRs left out); -1 when the whole text fits. Only the start of `text`, up to that character, is read.
int PastLimit(const CString& text);

// The two-byte characters outside KS X 1001, the character set of EUC-KR, in which many SMS services
// send: the code page's extension (똠, 햏, 뷁 and 8,819 more syllables) counts 2 bytes like any Hangul
// syllable, but may arrive broken or not at all.
struct AtRisk {
    // Runs [first, last) of them, in order.
    std::vector<std::pair<int, int>> runs;
    // "똠, 햏: 일부 문자 서비스(EUC-KR)에서 깨질 수 있는 글자": each named once in the order they come,
    // and why; empty when there are none.
    CString note;
};

AtRisk FindAtRisk(const CString& text);
