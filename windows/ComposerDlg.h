// The composer: one editor whose every change updates the caption (bytes left or over) and the
// clipboard, and whose text is kept in msg.dat when the window is dismissed.
#pragma once

#include <string>

#include "core/String.h"
#include "rules/CloseConversation.h"
#include "windows/classlib/Dialog.h"

class CComposerDlg : public CDialog {
public:
    explicit CComposerDlg(CWnd* parent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The update step: every change of the text runs it. It never ends the dialog. The editor holds
    // only what code page 949 can: a character it lacks is replaced by what is counted for it, so
    // what is shown is what is counted, copied and saved.
    void OnOK() override;
    // Esc and a close request: the dialog ends once the message is saved, or once the user, asked,
    // chose to close without saving.
    void OnCancel() override;
    // The session ends: the message is saved without a word, as nothing can be shown now.
    LRESULT OnEndSession();

    LRESULT OnPaint();
    LRESULT OnQueryDragIcon();
    LRESULT OnChangeMessage();

    DECLARE_MESSAGE_MAP()

private:
    // Every way out comes here: does what the close conversation says, step by step.
    void Follow(CloseStep step);
    // Saves the message; returns what comes next.
    CloseStep Save();
    // Puts `held` in the editor in place of `text`, its text, changing only what differs and
    // keeping the caret where it was.
    void Hold(const std::wstring& text, const std::wstring& held);
    // Replaces the clipboard's contents with `text`, code page 949 bytes, as CF_TEXT, with the same
    // text, `unicode`, as CF_UNICODETEXT and CF_LOCALE Korean, so that a Unicode program pastes it
    // exactly; skipped when another program holds the clipboard.
    void CopyToClipboard(const CString& text, const std::wstring& unicode);

    CEdit m_editMessage;
    HICON m_hIcon;
    CloseConversation m_conversation{AtStart::kAbsent};
    bool m_bHolding = false;  // the editor's text is being replaced: at most once for each change
};
