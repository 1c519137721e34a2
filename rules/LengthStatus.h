// How long a message is against the SMS limit, and the caption sentence that says so.
#pragma once

#include "core/String.h"

// Bytes of code page 949: a Latin letter counts 1, a Hangul syllable 2, a line break 1.
inline constexpr int kMessageLimit = 80;

// The editor's text with every CR removed: what is counted and what goes to the clipboard.
CString NormaliseMessage(CString message);

// "N 바이트 남음" up to the limit, "N 바이트 초과" beyond it, in code page 949.
CString ComputeLengthStatus(const CString& normalised);
