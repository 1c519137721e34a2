// The composer: one editor whose every change updates the caption (bytes left or over) and the
// clipboard, and whose text is kept in msg.dat when the window is dismissed.
#pragma once

#include "core/String.h"
#include "windows/classlib/Dialog.h"

class CComposerDlg : public CDialog {
public:
    explicit CComposerDlg(CWnd* parent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The update step: every change of the text runs it. It never ends the dialog.
    void OnOK() override;
    // Saves the message and ends the dialog: Esc and a close request both come here.
    void OnCancel() override;

    LRESULT OnPaint();
    LRESULT OnQueryDragIcon();
    LRESULT OnChangeMessage();

    DECLARE_MESSAGE_MAP()

private:
    // Replaces the clipboard's contents with `text` as CF_TEXT; skipped when the clipboard is busy.
    static void CopyToClipboard(CString text);

    CEdit m_editMessage;
    HICON m_hIcon;
};
