#include "rules/LineBreaks.h"

#include "rules/LengthStatus.h"

// No trail byte of the code page is below 0x41: replacing CR and LF never splits a character.
CString LfEditorText(const CString& message, LfEditor editor) {
    if (editor == LfEditor::kLfOnly) return NormaliseMessage(message);
    CString text = message;
    text.Replace("\r\n", "\n");
    return text;
}

CString MessageFromLfEditorText(CString text) {
    text.Replace("\n", "\r\n");
    return text;
}
