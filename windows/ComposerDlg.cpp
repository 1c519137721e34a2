#include "windows/ComposerDlg.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "rules/LengthStatus.h"
#include "rules/MessageFile.h"
#include "rules/Texts.h"
#include "windows/Cp949.h"
#include "windows/classlib/WinApp.h"
#include "windows/res/resource.h"

CComposerDlg::CComposerDlg(CWnd* parent)
    : CDialog(IDD_COMPOSER, parent),
      m_hIcon(::LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(IDI_COMPOSER), RT_GROUP_ICON),
                          MAKEINTRESOURCEW(IDI_COMPOSER))) {}

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
        m_editMessage.SetWindowText(FromCp949(*message).c_str());
        OnOK();
    }
    return TRUE;  // the editor gets the focus with all its text selected
}

void CComposerDlg::OnOK() {
    std::wstring text;
    m_editMessage.GetWindowText(text);
    CString bytes = ToCp949(text);
    if (!m_bHolding) {
        const std::wstring held = FromCp949(bytes);
        if (held != text) {
            // The editor's change notice for the replacement runs this again, and counts; it
            // replaces nothing more, whatever the system's tables do.
            const struct Holding {
                bool& holding;
                ~Holding() { holding = false; }
            } holding{m_bHolding = true};
            Hold(text, held);
            return;
        }
    }
    bytes = NormaliseMessage(std::move(bytes));
    CopyToClipboard(bytes);
    SetWindowText(FromCp949(ComputeLengthStatus(bytes)).c_str());
}

void CComposerDlg::Hold(const std::wstring& text, const std::wstring& held) {
    // Only the stretch between what the two have in common at either end is replaced.
    const size_t prefix =
        static_cast<size_t>(std::mismatch(text.begin(), text.end(), held.begin(), held.end()).first - text.begin());
    const size_t room = std::min(text.size(), held.size()) - prefix;
    const size_t suffix = static_cast<size_t>(
        std::mismatch(text.rbegin(), text.rbegin() + static_cast<std::ptrdiff_t>(room), held.rbegin()).first -
        text.rbegin());
    // The selection (the caret) keeps its place in the text around the stretch.
    DWORD start = 0;
    DWORD end = 0;
    m_editMessage.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const auto moved = [&](DWORD position) -> LPARAM {
        if (position <= prefix) return position;
        if (position >= text.size() - suffix) return static_cast<LPARAM>(position + held.size() - text.size());
        return static_cast<LPARAM>(held.size() - suffix);
    };
    const std::wstring replacement(held.begin() + static_cast<std::ptrdiff_t>(prefix),
                                   held.end() - static_cast<std::ptrdiff_t>(suffix));
    m_editMessage.SendMessage(EM_SETSEL, prefix, static_cast<LPARAM>(text.size() - suffix));
    m_editMessage.SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(replacement.c_str()));
    m_editMessage.SendMessage(EM_SETSEL, static_cast<WPARAM>(moved(start)), moved(end));
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
        std::wstring text;
        m_editMessage.GetWindowText(text);
        return ToCp949(text);
    });
    if (!refused || !mayAsk) return true;
    return Ask(kCannotSaveTemplate, refused->GetErrorMessage(), kCannotSaveChoice, MB_RETRYCANCEL) == IDCANCEL;
}

int CComposerDlg::Ask(const char* format, const char* reason, const char* choice, UINT buttons) {
    CString question;
    question.Format(format, kMessageFileName);
    std::wstring text = FromCp949(question) + L"\r\n\r\n";
    if (reason != nullptr) text += FromUtf8(reason) + L"\r\n\r\n";
    return AfxMessageBox(text + FromCp949(choice), buttons | MB_ICONEXCLAMATION);
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
