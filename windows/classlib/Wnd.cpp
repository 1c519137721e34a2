#include "windows/classlib/Wnd.h"

#include "windows/classlib/WinApp.h"

const AFX_MSGMAP CCmdTarget::messageMap = {nullptr, nullptr};

bool CCmdTarget::OnCmdMsg(UINT message, WPARAM wParam, LRESULT& result) {
    const UINT code = HIWORD(wParam);
    const UINT id = LOWORD(wParam);
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr; map = map->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry != nullptr && entry->pfn != nullptr; ++entry) {
            if (entry->nMessage != message) continue;
            if (message == WM_COMMAND && (entry->nCode != code || id < entry->nID || id > entry->nLastID)) continue;
            result = (this->*entry->pfn)();
            return true;
        }
    }
    return false;
}

void CWnd::GetWindowText(std::wstring& text) const {
    text.resize(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1);  // may exceed the text, never fall short
    text.resize(static_cast<size_t>(::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
}

LRESULT CWnd::Default() {
    m_bDefault = true;
    return 0;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LRESULT& result) {
    const bool outer = m_bDefault;  // handlers may send messages that come back here
    const MSG outerMsg = m_msgCur;
    m_bDefault = false;
    m_msgCur.hwnd = m_hWnd;
    m_msgCur.message = message;
    m_msgCur.wParam = wParam;
    bool handled = OnCmdMsg(message, wParam, result);
    if (!handled && message == WM_COMMAND) {
        if (CWinApp* app = AfxGetApp()) handled = app->OnCmdMsg(message, wParam, result);
    }
    handled = handled && !m_bDefault;
    m_bDefault = outer;
    m_msgCur = outerMsg;
    return handled;
}
