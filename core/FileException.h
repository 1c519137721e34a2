// CFileException: a read, write or close error on a file that opened. It carries the file name,
// the system's error code and the system's description of it from the moment it is thrown, and
// copies without throwing, so a handler far up the stack can still report it.
#pragma once

#include <memory>

#include "core/String.h"

class CFileException {
public:
    CFileException(const char* fileName, long osError, const char* description);

    long m_lOsError;

    const char* GetFileName() const noexcept { return m_detail->fileName; }
    const char* GetErrorMessage() const noexcept { return m_detail->description; }

private:
    struct Detail {
        CString fileName;
        CString description;
    };
    std::shared_ptr<const Detail> m_detail;
};
