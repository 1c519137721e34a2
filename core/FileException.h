// CFileException: a read, write or close error on a file that opened. It carries the file name,
// the system's error code and the system's description of it from the moment it is thrown, and
// copies without throwing or allocating, so a handler far up the stack can still report it, even
// when memory has run out.
#pragma once

class CFileException {
public:
    CFileException(const char* fileName, long osError, const char* description);

    long m_lOsError;

    const char* GetFileName() const noexcept { return m_szFileName; }
    const char* GetErrorMessage() const noexcept { return m_szDescription; }

private:
    // Longer names and descriptions are cut short.
    char m_szFileName[260];
    char m_szDescription[512];
};
