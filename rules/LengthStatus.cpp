#include "rules/LengthStatus.h"

// This file is compiled with -fexec-charset=CP949: the literals below are stored as code page 949.
namespace {
constexpr char kRemainingTemplate[] = "%d 바이트 남음";
constexpr char kOverTemplate[] = "%d 바이트 초과";
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
