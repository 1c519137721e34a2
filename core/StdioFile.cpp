#include "core/StdioFile.h"

#include <string>

namespace {
constexpr char kCtrlZ = 0x1A;
}  // namespace

int CStdioFile::ReadChar() {
    const auto size = static_cast<std::size_t>(m_bytes.GetLength());
    const char* bytes = m_bytes;
    if (m_atEnd || m_next == size) return -1;
    const int c = static_cast<unsigned char>(bytes[m_next++]);
    if (c == kCtrlZ) {
        m_atEnd = true;
        return -1;
    }
    if (c == '\r' && m_next < size && bytes[m_next] == '\n') {
        ++m_next;
        return '\n';
    }
    return c;
}

bool CStdioFile::ReadString(CString& line) {
    std::string text;
    bool any = false;
    bool cut = false;
    m_lastLineEnded = false;
    for (int c = ReadChar(); c != -1; c = ReadChar()) {
        any = true;
        if (c == '\n') {
            m_lastLineEnded = true;
            break;
        }
        cut = cut || c == 0;
        if (!cut) text.push_back(static_cast<char>(c));
    }
    line = CString(text.data(), static_cast<int>(text.size()));
    return any;
}

void CStdioFile::WriteString(const char* text) {
    std::string stored;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\n') stored.push_back('\r');
        stored.push_back(*p);
    }
    m_bytes += CString(stored.data(), static_cast<int>(stored.size()));
}
