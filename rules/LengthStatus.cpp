#include "rules/LengthStatus.h"

namespace {
// Code page 949 bytes, whatever the compiler's own execution character set.
constexpr char kRemainingTemplate[] = "%d \xB9\xD9\xC0\xCC\xC6\xAE \xB3\xB2\xC0\xBD";  // "%d 바이트 남음"
constexpr char kOverTemplate[] = "%d \xB9\xD9\xC0\xCC\xC6\xAE \xC3\xCA\xB0\xFA";       // "%d 바이트 초과"
}  // namespace

CString NormaliseMessage(CString message) {
    // A CP949 trail byte is never below 0x41, so dropping 0x0D never splits a character.
    message.Replace("\r", "");
    return message;
}

CString ComputeLengthStatus(const CString& normalised) {
    const int length = normalised.GetLength();
    CString status;
    if (length <= kMessageLimit)
        status.Format(kRemainingTemplate, kMessageLimit - length);
    else
        status.Format(kOverTemplate, length - kMessageLimit);
    return status;
}
