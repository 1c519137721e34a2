#include "rules/CloseConversation.h"

#include "rules/MessageFile.h"
#include "rules/Texts.h"

namespace {

CString Named(const char* format, const char* fileName) {
    CString text;
    text.Format(format, fileName);
    return text;
}

}  // namespace

Question FileError(const char* fileName, const CString& reason) {
    return {Named(kFileErrorTemplate, fileName), reason, "", Buttons::kOk};
}

CloseStep CloseConversation::Close(Closing how) {
    m_how = how;
    if (!m_unreadable) return CloseStep::kSave;
    if (how != Closing::kByUser) return Unasked();
    return Ask(kUnreadableTemplate, {}, kUnreadableChoice, Buttons::kYesNoCancel);
}

CloseStep CloseConversation::Saved() { return m_how == Closing::kSessionMayEnd ? CloseStep::kStay : CloseStep::kClose; }

CloseStep CloseConversation::CannotOpen(const CString& reason) {
    if (m_how != Closing::kByUser) return Unasked();
    return Ask(kCannotSaveTemplate, reason, kCannotSaveChoice, Buttons::kRetryCancel);
}

CloseStep CloseConversation::CannotWrite(const CString& reason) {
    if (m_how != Closing::kByUser) return Unasked();
    return Ask(kFileErrorTemplate, reason, "", Buttons::kOk);
}

CloseStep CloseConversation::Failed() {
    if (m_how != Closing::kByUser) return Unasked();
    return Ask(kUnexpectedError, {}, "", Buttons::kOk);
}

CloseStep CloseConversation::Answered(Reply reply) {
    switch (m_question.buttons) {
        case Buttons::kYesNoCancel:
            if (reply != Reply::kYes) return reply == Reply::kNo ? CloseStep::kClose : CloseStep::kStay;
            m_unreadable = false;
            return CloseStep::kSave;
        case Buttons::kRetryCancel:
            // Trying again is the user's next Esc, from the window with the message still in it.
            return reply == Reply::kCancel ? CloseStep::kClose : CloseStep::kStay;
        case Buttons::kOk:
            break;
    }
    return CloseStep::kStay;
}

// At the session's end msg.dat is left as it is rather than replaced unasked, and the message is
// on the clipboard.
CloseStep CloseConversation::Unasked() const {
    return m_how == Closing::kSessionEnds ? CloseStep::kClose : CloseStep::kStay;
}

CloseStep CloseConversation::Ask(const char* format, const CString& reason, const char* choice, Buttons buttons) {
    m_question.text.Format(format, kMessageFileName);
    m_question.reason = reason;
    m_question.choice = choice;
    m_question.buttons = buttons;
    return CloseStep::kAsk;
}
