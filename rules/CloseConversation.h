// What happens when the composer is to close, decided once for every front end: whether to save,
// what to ask the user and with which buttons, whether then to close or to stay. A front end does
// what each step says (saves msg.dat, shows the question, closes its window, or stays open) and
// passes back what came of it, which gives the next step.
#pragma once

#include "core/String.h"

// How the window is being closed.
enum class Closing {
    kByUser,         // Esc or a close request: the user is there to answer
    kSessionEnds,    // the desktop session ends now: nobody may be there, so nothing is asked
    kSessionMayEnd,  // the session asks whether it may end, and may yet go on: saved, but left open
};

// What msg.dat was when the composer started.
enum class AtStart { kRead, kAbsent, kUnreadable };

enum class Buttons { kOk, kRetryCancel, kYesNoCancel };
// kDismissed: the box was closed without a button (a toolkit's Esc), which changes nothing.
enum class Reply { kOk, kYes, kNo, kRetry, kCancel, kDismissed };

struct Question {
    CString text;        // what happened, naming the file, in code page 949
    CString reason;      // the system's own words for it, as the system gave them; may be empty
    const char* choice;  // what each button does, in code page 949; may be empty
    Buttons buttons;
};

// What the front end does next. kAsk: shows the conversation's Question() and passes back the answer.
enum class CloseStep { kSave, kAsk, kClose, kStay };

class CloseConversation {
public:
    explicit CloseConversation(AtStart atStart) : m_unreadable(atStart == AtStart::kUnreadable) {}

    // The window is asked to close.
    CloseStep Close(Closing how);
    // What came of the save a step asked for.
    CloseStep Saved();
    CloseStep CannotOpen(const CString& reason);
    CloseStep CannotWrite(const CString& reason);
    // The save failed for another reason than the file (memory ran out, say).
    CloseStep Failed();
    // The button the user pressed in the question a step asked.
    CloseStep Answered(Reply reply);

    // The question of the last kAsk.
    const Question& Asked() const { return m_question; }

private:
    // Where the conversation ends when nobody is asked.
    CloseStep Unasked() const;
    // Asks `format` (naming msg.dat), with the system's `reason`, `choice` and `buttons`.
    CloseStep Ask(const char* format, const CString& reason, const char* choice, Buttons buttons);

    // msg.dat could not be read at start: it is replaced only once the user has said so.
    bool m_unreadable;
    Closing m_how = Closing::kByUser;
    Question m_question{{}, {}, "", Buttons::kOk};
};

// The report of a file that opened but could not be read or written: `fileName` and the system's
// `reason`.
Question FileError(const char* fileName, const CString& reason);
