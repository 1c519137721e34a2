#include <cstring>

#include "windows/ComposerDlg.h"

void CComposerDlg::CopyToClipboard(CString text) {
    if (!::OpenClipboard(nullptr)) return;  // another program holds it: keep its contents
    ::EmptyClipboard();
    const SIZE_T size = static_cast<SIZE_T>(text.GetLength()) + 1;
    if (const HGLOBAL block = ::GlobalAlloc(GMEM_DDESHARE, size)) {
        if (void* bytes = ::GlobalLock(block)) {
            std::memcpy(bytes, static_cast<const char*>(text), size);
            ::GlobalUnlock(block);
            ::SetClipboardData(CF_TEXT, block);
        } else {
            ::GlobalFree(block);  // never handed over, so still ours
        }
    }
    ::CloseClipboard();
}
