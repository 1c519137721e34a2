// The bare dialog: the composer's own template under the dialog manager alone, a Unicode dialog as
// the composer is, whose only work on a change of the text is the caption Quillet.exe shows.
// tools/bench times Quillet.exe against it, so what this program leaves out (the class layer,
// msg.dat, code page 949, the clipboard) is what is measured. It starts with the text of msg.txt,
// where there is one, as the editor holds it (UTF-16, CR LF), all selected, as Quillet.exe starts
// with its msg.dat; its editor takes any length, as Quillet.exe's does.
#include <windows.h>

#include <cstdio>
#include <string>

#include "rules/Texts.h"
#include "windows/res/resource.h"

namespace {

// The composer's limit, so that both programs put up the same sentence for the same text.
constexpr int kLimit = 80;

void ShowLength(HWND dialog) {
    const HWND edit = ::GetDlgItem(dialog, IDC_MESSAGE);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
    const int copied = ::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
    int length = 0;
    for (int i = 0; i < copied; ++i) length += text[i] != L'\r';
    char caption[32];
    if (length <= kLimit)
        std::snprintf(caption, sizeof caption, kRemainingTemplate, kLimit - length);
    else
        std::snprintf(caption, sizeof caption, kOverTemplate, length - kLimit);
    // Its texts are code page 949 bytes, as the composer's are.
    wchar_t unicode[32] = L"";
    ::MultiByteToWideChar(949, 0, caption, -1, unicode, 32);
    ::SetWindowTextW(dialog, unicode);
}

void Load(HWND dialog) {
    ::SendDlgItemMessageW(dialog, IDC_MESSAGE, EM_SETLIMITTEXT, 0, 0);
    FILE* file = ::_wfopen(L"msg.txt", L"rb");
    if (file == nullptr) return;
    std::wstring text;
    for (wchar_t chunk[4096]; const std::size_t read = std::fread(chunk, sizeof *chunk, 4096, file);)
        text.append(chunk, read);
    std::fclose(file);
    ::SetDlgItemTextW(dialog, IDC_MESSAGE, text.c_str());
    ShowLength(dialog);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        Load(dialog);
        return TRUE;  // the editor gets the focus with all its text selected, as in the composer
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDC_MESSAGE && HIWORD(wParam) == EN_CHANGE) {
        ShowLength(dialog);
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_COMPOSER), nullptr, DialogProc, 0) == -1;
}
