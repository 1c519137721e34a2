#include "windows/Cp949.h"

#include <windows.h>

namespace {

std::wstring Widen(UINT codePage, const CString& bytes) {
    const int length = bytes.GetLength();
    std::wstring text(static_cast<size_t>(::MultiByteToWideChar(codePage, 0, bytes, length, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes, length, text.data(), static_cast<int>(text.size()));
    return text;
}

}  // namespace

CString ToCp949(const std::wstring& text, bool* exact) {
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(949, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    CString bytes;
    // Without a best fit, a character the code page lacks becomes the default character and says
    // so; never longer than with one. Only then is the text converted again, with it.
    BOOL defaulted = FALSE;
    bytes.ReleaseBuffer(::WideCharToMultiByte(949, exact != nullptr ? WC_NO_BEST_FIT_CHARS : 0, text.data(), length,
                                              bytes.GetBuffer(size), size, nullptr,
                                              exact != nullptr ? &defaulted : nullptr));
    if (exact == nullptr) return bytes;
    *exact = defaulted == FALSE;
    return *exact ? bytes : ToCp949(text);
}

std::wstring FromCp949(const CString& bytes) { return Widen(949, bytes); }

std::wstring FromUtf8(const CString& bytes) { return Widen(CP_UTF8, bytes); }
