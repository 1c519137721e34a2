#include "core/String.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// printf into `size` bytes at `buffer`, or only measure when `buffer` is null; returns the length
// of the whole result, or a negative number for a bad format.
int FormatV(char* buffer, size_t size, const char* format, va_list args) {
#ifdef _WIN32
    // The C runtime's own printf. The C++ library would take MinGW's replacement, whose
    // floating-point formatting adds some 18 KB that no format of this program uses.
    return buffer == nullptr ? _vscprintf(format, args) : _vsnprintf(buffer, size, format, args);
#else
    return std::vsnprintf(buffer, size, format, args);
#endif
}

}  // namespace

CString::CString(const char* psz) : m_data(psz != nullptr ? psz : "") {}

CString& CString::operator=(const char* psz) {
    m_data.assign(psz != nullptr ? psz : "");
    return *this;
}

CString& CString::operator+=(const CString& other) {
    m_data += other.m_data;
    return *this;
}

CString& CString::operator+=(const char* psz) {
    if (psz != nullptr) m_data += psz;
    return *this;
}

CString operator+(const CString& left, const char* right) {
    CString result(left);
    result += right;
    return result;
}

CString CString::Left(int count) const {
    CString result;
    if (count > 0) result.m_data.assign(m_data, 0, static_cast<size_t>(count));
    return result;
}

int CString::Replace(const char* oldText, const char* newText) {
    const size_t oldLength = oldText != nullptr ? std::strlen(oldText) : 0;
    if (oldLength == 0) return 0;
    const char* replacement = newText != nullptr ? newText : "";
    const size_t newLength = std::strlen(replacement);
    // The editor's text is normalised on every keystroke and has a CR every line or so: the cost
    // per occurrence dominates, so a one-byte pattern takes a plain byte search (no compare after
    // it) and the replacement is measured once, not per occurrence.
    const auto find = [&](size_t start) {
        return oldLength == 1 ? m_data.find(*oldText, start) : m_data.find(oldText, start, oldLength);
    };
    std::string result;
    int count = 0;
    size_t from = 0;
    for (size_t at = find(0); at != std::string::npos; at = find(from)) {
        if (count++ == 0) result.reserve(m_data.size());
        result.append(m_data, from, at - from).append(replacement, newLength);
        from = at + oldLength;
    }
    if (count == 0) return 0;
    result.append(m_data, from, std::string::npos);
    m_data.swap(result);
    return count;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = FormatV(nullptr, 0, format, measure);
    va_end(measure);
    std::string result(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) FormatV(result.data(), result.size() + 1, format, args);
    va_end(args);
    m_data.swap(result);
}

char* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_data.resize(static_cast<size_t>(minLength));
    return m_data.data();
}

void CString::ReleaseBuffer(int newLength) {
    m_data.resize(newLength < 0 ? std::strlen(m_data.c_str()) : static_cast<size_t>(newLength));
}
