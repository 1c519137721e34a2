// The message rules as the page calls them. The page's script writes code page 949 bytes into the
// buffer quillet_input() gives, calls a rule, and reads the bytes it made from quillet_result().
// The text area holds LF line breaks where the Windows editor holds CR LF.
#include "rules/LengthStatus.h"

#define QUILLET_EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace {
CString input;
CString result;

int Result(const CString& bytes) {
    result = bytes;
    return result.GetLength();
}
}  // namespace

// Room for `length` bytes, which become the input of the next rule called.
QUILLET_EXPORT(quillet_input) char* Input(int length) {
    char* bytes = input.GetBuffer(length);
    input.ReleaseBuffer(length);
    return bytes;
}

QUILLET_EXPORT(quillet_result) const char* Result() { return result; }

// The caption for the text area's text; returns its length in bytes.
QUILLET_EXPORT(quillet_status) int Status() { return Result(ComputeLengthStatus(NormaliseMessage(input))); }
