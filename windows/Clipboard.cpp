#include <cstring>

#include "windows/ComposerDlg.h"
#include "windows/res/resource.h"

namespace {

// Hands a copy of `size` bytes to the open clipboard as `format`. A block the clipboard does not
// take is still ours, and freed.
void Put(UINT format, const void* bytes, SIZE_T size) {
    const HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) return;
    if (void* data = ::GlobalLock(block)) {
        std::memcpy(data, bytes, size);
        ::GlobalUnlock(block);
        if (::SetClipboardData(format, block) != nullptr) return;
    }
    ::GlobalFree(block);
}

}  // namespace

void CComposerDlg::CopyToClipboard(const CString& text, const std::wstring& unicode) {
    // Nothing between opening and closing the clipboard may throw.
    if (!::OpenClipboard(nullptr)) {
        // The editor holds it while it pastes, and tells of the change before it lets go: the
        // change is told again once the paste is done. Another program's contents are kept.
        if (::GetOpenClipboardWindow() == m_editMessage.m_hWnd)
            ::PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_MESSAGE, EN_CHANGE),
                           reinterpret_cast<LPARAM>(m_editMessage.m_hWnd));
        return;
    }
    ::EmptyClipboard();
    const LCID korean = MAKELCID(MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN), SORT_DEFAULT);
    Put(CF_TEXT, static_cast<const char*>(text), static_cast<SIZE_T>(text.GetLength()) + 1);
    Put(CF_UNICODETEXT, unicode.c_str(), (unicode.size() + 1) * sizeof(wchar_t));
    Put(CF_LOCALE, &korean, sizeof korean);
    ::CloseClipboard();
}
