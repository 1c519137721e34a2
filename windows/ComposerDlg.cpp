#include "windows/ComposerDlg.h"

#include <optional>
#include <utility>

#include "rules/LengthStatus.h"
#include "rules/MessageFile.h"
#include "rules/Texts.h"
#include "windows/classlib/WinApp.h"
#include "windows/res/resource.h"

CComposerDlg::CComposerDlg(CWnd* parent)
    : CDialog(IDD_COMPOSER, parent),
      m_hIcon(::LoadIconA(AfxFindResourceHandle(MAKEINTRESOURCEA(IDI_COMPOSER), RT_GROUP_ICON),
                          MAKEINTRESOURCEA(IDI_COMPOSER))) {}

BEGIN_MESSAGE_MAP(CComposerDlg, CDialog)
    ON_MESSAGE(WM_PAINT, &CComposerDlg::OnPaint)
    ON_MESSAGE(WM_QUERYDRAGICON, &CComposerDlg::OnQueryDragIcon)
    ON_MESSAGE(WM_ENDSESSION, &CComposerDlg::OnEndSession)
    ON_CONTROL(EN_CHANGE, IDC_MESSAGE, &CComposerDlg::OnChangeMessage)
END_MESSAGE_MAP()

void CComposerDlg::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_MESSAGE, m_editMessage); }

BOOL CComposerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    std::optional<CString> message;
    try {
        message = LoadMessageFile(&m_bUnreadable);
    } catch (const CFileException&) {
        m_bUnreadable = true;
        throw;
    }
    if (message) {
        m_editMessage.SetWindowTextA(*message);
        OnOK();
    }
    return TRUE;  // the editor gets the focus with all its text selected
}

void CComposerDlg::OnOK() {
    CString text;
    m_editMessage.GetWindowTextA(text);
    text = NormaliseMessage(std::move(text));
    CopyToClipboard(text);
    SetWindowTextA(ComputeLengthStatus(text));
}

void CComposerDlg::OnCancel() {
    // A failed write throws past EndDialog: the window stays open with the text, to try again.
    if (SaveMessage(true)) CDialog::OnCancel();
}

LRESULT CComposerDlg::OnEndSession() {
    if (GetCurrentMessage()->wParam == FALSE) return 0;
    try {
        SaveMessage(false);
    } catch (...) {
        // No report can be shown now: msg.dat is left as it was, the message is on the clipboard.
    }
    CDialog::OnCancel();
    return 0;
}

bool CComposerDlg::SaveMessage(bool mayAsk) {
    if (m_bUnreadable) {
        if (!mayAsk) return true;
        switch (Ask(kUnreadableTemplate, nullptr, kUnreadableChoice, MB_YESNOCANCEL)) {
            case IDYES:
                m_bUnreadable = false;
                break;
            case IDNO:
                return true;
            default:
                return false;
        }
    }
    const std::optional<CFileException> refused = SaveMessageFile([this] {
        CString text;
        m_editMessage.GetWindowTextA(text);
        return text;
    });
    if (!refused || !mayAsk) return true;
    return Ask(kCannotSaveTemplate, refused->GetErrorMessage(), kCannotSaveChoice, MB_RETRYCANCEL) == IDCANCEL;
}

int CComposerDlg::Ask(const char* format, const char* reason, const char* choice, UINT buttons) {
    CString text;
    text.Format(format, kMessageFileName);
    text += "\r\n\r\n";
    if (reason != nullptr) {
        text += reason;
        text += "\r\n\r\n";
    }
    text += choice;
    return AfxMessageBox(text, buttons | MB_ICONEXCLAMATION);
}

LRESULT CComposerDlg::OnChangeMessage() {
    OnOK();
    return 0;
}

LRESULT CComposerDlg::OnPaint() {
    if (!IsIconic()) return Default();
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    ::DrawIcon(dc.m_hDC, x, y, m_hIcon);
    return 0;
}

LRESULT CComposerDlg::OnQueryDragIcon() { return reinterpret_cast<LRESULT>(m_hIcon); }
