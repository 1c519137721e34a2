// CString: the byte string every text of the program travels in: code page 949 for the message and
// the texts the user reads, the system's own for a file name or an error's description (see
// core/FileOs.h), unconverted. Length is a byte count without the terminating zero.
#pragma once

#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz);  // NOLINT(google-explicit-constructor): used like a literal
    CString(const char* bytes, int length) : m_data(bytes, static_cast<size_t>(length)) {}

    int GetLength() const { return static_cast<int>(m_data.size()); }
    bool IsEmpty() const { return m_data.empty(); }
    void Empty() { m_data.clear(); }
    operator const char*() const { return m_data.c_str(); }  // NOLINT(google-explicit-constructor)

    CString& operator=(const char* psz);
    // Appending grows the text geometrically, so building it piece by piece stays linear.
    CString& operator+=(const CString& other);
    CString& operator+=(const char* psz);
    friend CString operator+(const CString& left, const char* right);
    friend bool operator==(const CString& left, const CString& right) { return left.m_data == right.m_data; }

    // The first `count` bytes; a negative count gives the empty string.
    CString Left(int count) const;
    // Replaces every occurrence of `oldText` in one left-to-right pass; returns how many.
    int Replace(const char* oldText, const char* newText);
    // printf rules; the result replaces the string.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Room for `minLength` bytes to be written in place (by a system call filling a buffer);
    // ReleaseBuffer then sets the length, to the first zero byte when given -1.
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    std::string m_data;
};
