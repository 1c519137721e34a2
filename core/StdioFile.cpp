#include "core/StdioFile.h"

#include <cstring>
#include <string>

namespace {
constexpr char kCtrlZ = 0x1A;
}  // namespace

// Line by line rather than byte by byte: a msg.dat of a megabyte is read at every start, and
// written at every change in the page.
bool CStdioFile::ReadString(CString& line) {
    m_lastLineEnded = false;
    const char* const bytes = m_bytes;
    const auto size = static_cast<std::size_t>(m_bytes.GetLength());
    if (m_atEnd || m_next == size) {
        line.Empty();
        return false;
    }
    const char* const start = bytes + m_next;
    const char* const lf = static_cast<const char*>(std::memchr(start, '\n', size - m_next));
    const char* end = lf != nullptr ? lf : bytes + size;
    if (const void* ctrlZ = std::memchr(start, kCtrlZ, static_cast<std::size_t>(end - start))) {
        end = static_cast<const char*>(ctrlZ);
        m_atEnd = true;
    } else if (lf != nullptr) {
        m_lastLineEnded = true;
    }
    m_next = static_cast<std::size_t>(end - bytes) + (m_lastLineEnded ? 1 : 0);
    if (end == start && m_atEnd) {
        line.Empty();
        return false;
    }
    // CR LF is one line break; any other CR is text. A zero ends the line's text.
    const char* text = end;
    if (m_lastLineEnded && text > start && text[-1] == '\r') --text;
    if (const void* zero = std::memchr(start, 0, static_cast<std::size_t>(text - start)))
        text = static_cast<const char*>(zero);
    // Written into the line's own buffer, which the caller's next line reuses.
    const auto length = static_cast<int>(text - start);
    std::memcpy(line.GetBuffer(length), start, static_cast<std::size_t>(length));
    line.ReleaseBuffer(length);
    return true;
}

void CStdioFile::WriteString(const char* text) {
    std::string stored;
    for (const char* lf = std::strchr(text, '\n'); lf != nullptr; text = lf + 1, lf = std::strchr(text, '\n'))
        stored.append(text, lf).append("\r\n");
    stored.append(text);
    m_bytes += CString(stored.data(), static_cast<int>(stored.size()));
}
