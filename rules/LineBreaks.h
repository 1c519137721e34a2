// Line breaks for an editor that holds each one as a single LF (GTK's text view, a page's text
// area), where the Windows editor holds CR LF: the message, as the rules take it, is the Windows
// editor's text. A CR that ends no line (msg.dat may hold one) is never counted, on any front end;
// whether it stays in the message depends on whether the editor can hold it.
#pragma once

#include "core/String.h"

// What an LF editor can hold besides its line breaks.
enum class LfEditor {
    // A CR too (GTK's text view): a lone CR is kept, so msg.dat comes back byte for byte.
    kHoldsCr,
    // No CR (a text area turns one into a line break, which would count 1): a lone CR is dropped,
    // which keeps the count; a message saved from there lacks it.
    kLfOnly,
};

// The text `editor` shows for `message`: each CR LF a single LF. A bare LF (a msg.dat written
// elsewhere) is a line break there too, saved back as the editor's CR LF.
CString LfEditorText(const CString& message, LfEditor editor);
// The message for `text`, an LF editor's: each LF the Windows editor's CR LF.
CString MessageFromLfEditorText(CString text);
