// CStdioFile: a text-mode file. The translation is done here over binary I/O, so it is the same on
// every platform: writing stores each LF as CR LF; reading turns CR LF into LF, keeps any other
// CR, and stops at the first Ctrl-Z (0x1A) as the end of the file.
#pragma once

#include <cstddef>
#include <vector>

#include "classlib/FileException.h"
#include "classlib/FileOs.h"
#include "classlib/String.h"

class CStdioFile {
public:
    enum OpenFlags : unsigned { modeRead = 0x0000, modeWrite = 0x0001, modeCreate = 0x1000 };

    CStdioFile() = default;
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;
    ~CStdioFile();  // closes a file still open, quietly: an error here would have nowhere to go

    // Nonzero when open; zero, without throwing, when not (and `error`, if given, says why).
    bool Open(const char* fileName, unsigned openFlags, CFileException* error = nullptr);
    // Nonzero with the next line, its LF removed; zero at the end of the file. Lines of any length
    // come whole. A zero byte ends the line's text: what follows it up to the LF is dropped.
    bool ReadString(CString& line);
    // True when the last line read was ended by an LF rather than by the end of the file.
    bool LastLineEnded() const { return m_lastLineEnded; }
    void WriteString(const char* text);
    void Close();

private:
    [[noreturn]] void ThrowError(long error) const;
    int ReadByte();  // the next raw byte, or -1 at the end of the file
    int ReadChar();  // the next byte after text-mode translation, or -1

    fileos::Handle m_handle = fileos::kNoHandle;
    CString m_strFileName;
    std::vector<char> m_buffer;
    std::size_t m_next = 0;
    std::size_t m_end = 0;
    bool m_atEnd = false;
    bool m_lastLineEnded = false;
};
