// CStdioFile: text mode over the bytes of a file, held in memory. Writing stores each LF as CR LF;
// reading turns CR LF into LF, keeps any other CR, and stops at the first Ctrl-Z (0x1A) as the end
// of the file. The same on every platform, and free of any disk: CFile (core/File.h) moves the
// bytes to and from one.
#pragma once

#include <cstddef>
#include <utility>

#include "core/String.h"

class CStdioFile {
public:
    // An empty file to write to.
    CStdioFile() = default;
    // A file to read, holding `stored`.
    explicit CStdioFile(CString stored) : m_bytes(std::move(stored)) {}

    // Nonzero with the next line, its LF removed; zero at the end of the file. A zero byte ends the
    // line's text: what follows it up to the LF is dropped.
    bool ReadString(CString& line);
    // True when the last line read was ended by an LF rather than by the end of the file.
    bool LastLineEnded() const { return m_lastLineEnded; }
    // Appends `text` up to its terminating zero.
    void WriteString(const char* text);
    // What the file holds: the stored bytes, or those written so far.
    const CString& GetBytes() const { return m_bytes; }

private:
    CString m_bytes;
    std::size_t m_next = 0;
    bool m_atEnd = false;
    bool m_lastLineEnded = false;
};
