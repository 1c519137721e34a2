#include "windows/classlib/Dialog.h"

#include "windows/classlib/WinApp.h"

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd == nullptr) control.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOKCommand)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancelCommand)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
    const LPCWSTR name = MAKEINTRESOURCEW(m_nIDTemplate);
    return ::DialogBoxParamW(AfxFindResourceHandle(name, RT_DIALOG), name,
                             m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog() {
    CDataExchange exchange(this);
    DoDataExchange(&exchange);
    return TRUE;
}

LRESULT CDialog::OnOKCommand() {
    OnOK();
    return 0;
}

LRESULT CDialog::OnCancelCommand() {
    OnCancel();
    return 0;
}

// A template placed at 0,0 without a centring style is centred on the screen's work area.
void CDialog::CenterWindow() {
    RECT window;
    RECT area;
    ::GetWindowRect(m_hWnd, &window);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int x = area.left + ((area.right - area.left) - (window.right - window.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (window.bottom - window.top)) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam) {
    if (message == WM_INITDIALOG) {
        CenterWindow();
        return OnInitDialog();
    }
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, result)) return FALSE;
    // The dialog manager takes this one's result as the procedure's return value; the others'
    // through DWLP_MSGRESULT.
    if (message == WM_QUERYDRAGICON) return result;
    ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

// No exception crosses back into the dialog manager: one that escapes a handler goes to the
// application, which tells the user, and the dialog goes on as it was.
INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = window;
    }
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;
    try {
        return dialog->HandleMessage(message, wParam);
    } catch (...) {
        if (CWinApp* app = AfxGetApp()) app->ProcessWndProcException();
    }
    return TRUE;
}
