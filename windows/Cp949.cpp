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

CString ToCp949(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(949, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    CString bytes;
    bytes.ReleaseBuffer(
        ::WideCharToMultiByte(949, 0, text.data(), length, bytes.GetBuffer(size), size, nullptr, nullptr));
    return bytes;
}

std::wstring FromCp949(const CString& bytes) { return Widen(949, bytes); }

std::wstring FromUtf8(const CString& bytes) { return Widen(CP_UTF8, bytes); }
