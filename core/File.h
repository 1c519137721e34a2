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
    // Closes a file still open, quietly: an error here would have nowhere to go. A file opened with
    // modeCreate and not closed is dropped: the file of that name stays as it was.
    ~CFile();

    // Nonzero when open; zero, without throwing, when not (and `error`, if given, says why).
    // modeRead opens the file to read it.
    // modeCreate | modeWrite writes the file whole by replacement (core/FileOs.h): the bytes go to a
    // new file, which only Close puts in place of the old one (of the file a symbolic link leads
    // to), so that a failure at any point leaves the old file byte for byte as it was.
    bool Open(const char* fileName, unsigned openFlags, CFileException* error = nullptr);
    // The rest of the file, to its end. Throws CFileException on a read error.
    CString ReadAll();
    // Throws CFileException unless every byte was written.
    void Write(const CString& bytes);
    // With modeCreate: flushes the bytes to the disk and moves them over the old file.
    void Close();

private:
    [[noreturn]] void ThrowError(long error) const;

    fileos::Handle m_handle = fileos::kNoHandle;
    CString m_strFileName;
    CString m_strTemporary;  // modeCreate: the new file, until Close moves it over m_strTarget
    CString m_strTarget;
};
