// The message rules as the page calls them, each behind a typed call of web/rules.mjs of the same name
// (quillet_status, status(text)): it writes code page 949 bytes into the buffer quillet_input() gives,
// calls a rule, and reads the bytes it made from quillet_result().
// The text area is an editor of LF line breaks that cannot hold a CR (rules/LineBreaks.h).
#include <utility>
#include <vector>

#include "rules/CloseConversation.h"
#include "rules/LengthStatus.h"
#include "rules/LineBreaks.h"
#include "rules/MessageFile.h"
#include "rules/MessageMarks.h"
#include "rules/Texts.h"

#define QUILLET_EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace {
CString input;
CString result;
std::vector<int> marks;

int Result(CString bytes) {
    result = std::move(bytes);  // a message of a megabyte is not copied once more
    return result.GetLength();
}
}  // namespace

// Room for `length` bytes, which become the input of the next rule called.
QUILLET_EXPORT(quillet_input) char* Input(int length) {
    char* bytes = input.GetBuffer(length);
    input.ReleaseBuffer(length);
    return bytes;
}

QUILLET_EXPORT(quillet_result) const char* ResultBytes() { return result; }

// The caption before the first change.
QUILLET_EXPORT(quillet_initial_title) int InitialTitle() { return Result(kInitialTitle); }

// The caption for the text area's text; returns its length in bytes.
QUILLET_EXPORT(quillet_status) int Status() { return Result(ComputeLengthStatus(NormaliseMessage(input))); }

// msg.dat for the text area's text.
QUILLET_EXPORT(quillet_save) int Save() { return Result(MessageFileBytes(MessageFromLfEditorText(input))); }

// The text area's text for the bytes of a msg.dat.
QUILLET_EXPORT(quillet_load) int Load() { return Result(LfEditorText(MessageFromFileBytes(input), LfEditor::kLfOnly)); }

// The labels of the buttons that open and save a msg.dat.
QUILLET_EXPORT(quillet_open_button) int OpenButton() { return Result(kOpenButton); }
QUILLET_EXPORT(quillet_save_button) int SaveButton() { return Result(kSaveButton); }

// What the page says beside the count when the browser refused to copy the message, and its button's.
QUILLET_EXPORT(quillet_copy_refused) int CopyRefused() { return Result(kCopyRefused); }
QUILLET_EXPORT(quillet_copy_button) int CopyButton() { return Result(kCopyButton); }

// The report of a file that could not be read, for the file's name.
QUILLET_EXPORT(quillet_file_error) int FileErrorReport() { return Result(FileError(input, {}).text); }

// What the page marks in the text area's text, as 32-bit integers at quillet_marks_at(): the first
// character past the limit (-1 when it fits), the number of runs at risk, and the first and last of
// each. The result is the note that names the characters at risk; returns its length in bytes.
QUILLET_EXPORT(quillet_marks) int Marks() {
    AtRisk found = FindAtRisk(input);
    marks.assign({PastLimit(input), static_cast<int>(found.runs.size())});
    for (const auto& [first, last] : found.runs) marks.insert(marks.end(), {first, last});
    return Result(std::move(found.note));
}

QUILLET_EXPORT(quillet_marks_at) const int* MarksAt() { return marks.data(); }
