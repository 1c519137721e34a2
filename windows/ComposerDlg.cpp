#include "windows/ComposerDlg.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "rules/LengthStatus.h"
#include "rules/MessageStore.h"
#include "rules/Replacement.h"
#include "rules/Texts.h"
#include "windows/Cp949.h"
#include "windows/Questions.h"
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
    // By default the editor takes some 30,000 characters, and drops the rest of a paste unsaid: it
    // is to hold whatever comes, a message over the limit being counted, never cut.
    m_editMessage.SetLimitText(0);
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    std::optional<CString> message;
    AtStart atStart = AtStart::kUnreadable;
    try {
        message = LoadMessageFile(&atStart);
    } catch (const CFileException& error) {
        Ask(FileError(error.GetFileName(), error.GetErrorMessage()));
    }
    m_conversation = CloseConversation(atStart);
    if (message) {
        m_editMessage.SetWindowText(FromCp949(*message).c_str());
        OnOK();
    }
    return TRUE;  // the editor gets the focus with all its text selected
}

void CComposerDlg::OnOK() {
    // The message is the editor's text without its CRs, which the rules drop from the bytes: dropped
    // from the text first, it is the clipboard's Unicode text too, and nothing is converted back.
    std::wstring message;
    m_editMessage.GetWindowText(message);
    message.erase(std::remove(message.begin(), message.end(), L'\r'), message.end());
    bool exact = true;
    CString bytes = ToCp949(message, &exact);
    if (!exact) {
        if (!m_bHolding) {
            // The editor's change notice for the replacement runs this again, and counts; it
            // replaces nothing more, whatever the system's tables do.
            const struct Holding {
                bool& holding;
                ~Holding() { holding = false; }
            } holding{m_bHolding = true};
            std::wstring text;  // with the CRs the editor's positions count
            m_editMessage.GetWindowText(text);
            Hold(text, FromCp949(ToCp949(text)));
            return;
        }
        message = FromCp949(bytes);
    }
    bytes = NormaliseMessage(std::move(bytes));
    CopyToClipboard(bytes, message);
    SetWindowText(FromCp949(ComputeLengthStatus(bytes)).c_str());
}

void CComposerDlg::Hold(const std::wstring& text, const std::wstring& held) {
    const Replacement<std::wstring> replacement = FindReplacement(text, held);
    int start = 0;
    int end = 0;
    m_editMessage.GetSel(start, end);
    const auto moved = [&replacement](int position) {
        return static_cast<int>(replacement.Moved(static_cast<size_t>(position)));
    };
    m_editMessage.SetSel(static_cast<int>(replacement.first), static_cast<int>(replacement.last));
    m_editMessage.ReplaceSel(replacement.with.c_str());
    m_editMessage.SetSel(moved(start), moved(end));
}

void CComposerDlg::OnCancel() { Follow(m_conversation.Close(Closing::kByUser)); }

LRESULT CComposerDlg::OnEndSession() {
    if (GetCurrentMessage()->wParam != FALSE) Follow(m_conversation.Close(Closing::kSessionEnds));
    return 0;
}

void CComposerDlg::Follow(CloseStep step) {
    for (;;) {
        switch (step) {
            case CloseStep::kSave:
                step = Save();
                break;
            case CloseStep::kAsk:
                step = m_conversation.Answered(Ask(m_conversation.Asked()));
                break;
            case CloseStep::kClose:
                return CDialog::OnCancel();
            case CloseStep::kStay:
                return;
        }
    }
}

CloseStep CComposerDlg::Save() {
    return SaveAsAsked(m_conversation, [this] {
        std::wstring text;
        m_editMessage.GetWindowText(text);
        return ToCp949(text);
    });
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
