// CFile: a file on disk, read or written whole as bytes, through the platform's file back end
// (core/FileOs.h). Text mode is CStdioFile's, over the bytes.
#pragma once

#include "core/FileException.h"
#include "core/FileOs.h"
#include "core/String.h"

class CFile {
public:
    enum OpenFlags : unsigned { modeRead = 0x0000, modeWrite = 0x0001, modeCreate = 0x1000 };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile();  // closes a file still open, quietly: an error here would have nowhere to go

    // Nonzero when open; zero, without throwing, when not (and `error`, if given, says why).
    bool Open(const char* fileName, unsigned openFlags, CFileException* error = nullptr);
    // The rest of the file, to its end. Throws CFileException on a read error.
    CString ReadAll();
    // Throws CFileException unless every byte was written.
    void Write(const CString& bytes);
    void Close();

private:
    [[noreturn]] void ThrowError(long error) const;

    fileos::Handle m_handle = fileos::kNoHandle;
    CString m_strFileName;
};
