// The composer: one editor whose every change updates the caption (bytes left or over) and the
// clipboard, and whose text is kept in msg.dat when the window is dismissed.
#pragma once

#include <string>

#include "core/String.h"
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
    // Saves the message and ends the dialog: Esc and a close request both come here. Where msg.dat
    // cannot be opened, or could not be read at start, the user is asked first.
    void OnCancel() override;
    // The session ends: the message is saved without a word, as nothing can be shown now.
    LRESULT OnEndSession();

    LRESULT OnPaint();
    LRESULT OnQueryDragIcon();
    LRESULT OnChangeMessage();

    DECLARE_MESSAGE_MAP()

private:
    // Every way out comes here. Saves the message, asking the user first where `mayAsk`; true when
    // the dialog may end: saved, or the user chose to close without saving.
    bool SaveMessage(bool mayAsk);
    // Puts `held` in the editor in place of `text`, its text, changing only what differs and
    // keeping the caret where it was.
    void Hold(const std::wstring& text, const std::wstring& held);
    // A question about msg.dat: `format` names it, the system's `reason` (UTF-8) and `choice` follow.
    static int Ask(const char* format, const char* reason, const char* choice, UINT buttons);
    // Replaces the clipboard's contents with `text`, code page 949 bytes, as CF_TEXT, with the same
    // text as CF_UNICODETEXT and CF_LOCALE Korean, so that a Unicode program pastes it exactly;
    // skipped when another program holds the clipboard.
    void CopyToClipboard(const CString& text);

    CEdit m_editMessage;
    HICON m_hIcon;
    bool m_bUnreadable = false;  // msg.dat could not be read at start: replaced only when the user says so
    bool m_bHolding = false;     // the editor's text is being replaced: at most once for each change
};
