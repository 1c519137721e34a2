#include "rules/LengthStatus.h"

#include "rules/Texts.h"

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
