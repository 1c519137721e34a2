#include "classlib/StdioFile.h"

#include <string>

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr char kCtrlZ = 0x1A;

fileos::Access AccessFor(unsigned openFlags) {
    if ((openFlags & CStdioFile::modeWrite) == 0) return fileos::Access::read;
    return (openFlags & CStdioFile::modeCreate) != 0 ? fileos::Access::createAndWrite : fileos::Access::write;
}

}  // namespace

CStdioFile::~CStdioFile() {
    if (m_handle != fileos::kNoHandle) fileos::Close(m_handle);
}

bool CStdioFile::Open(const char* fileName, unsigned openFlags, CFileException* error) {
    const long result = fileos::Open(fileName, AccessFor(openFlags), m_handle);
    if (result != 0) {
        m_handle = fileos::kNoHandle;
        if (error != nullptr) *error = CFileException(fileName, result, fileos::Describe(result));
        return false;
    }
    m_strFileName = fileName;
    m_next = m_end = 0;
    m_atEnd = m_lastLineEnded = false;
    return true;
}

void CStdioFile::ThrowError(long error) const { throw CFileException(m_strFileName, error, fileos::Describe(error)); }

int CStdioFile::ReadByte() {
    if (m_next == m_end) {
        if (m_atEnd) return -1;
        m_buffer.resize(kReadChunk);
        std::size_t got = 0;
        if (const long error = fileos::Read(m_handle, m_buffer.data(), m_buffer.size(), got)) ThrowError(error);
        m_next = 0;
        m_end = got;
        if (got == 0) {
            m_atEnd = true;
            return -1;
        }
    }
    return static_cast<unsigned char>(m_buffer[m_next++]);
}

int CStdioFile::ReadChar() {
    const int c = ReadByte();
    if (c == kCtrlZ) {
        m_atEnd = true;
        m_next = m_end;
        return -1;
    }
    if (c != '\r') return c;
    const int following = ReadByte();
    if (following == '\n') return '\n';
    if (following != -1) --m_next;  // not a pair: the byte is read again next time
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
    if (stored.empty()) return;
    if (const long error = fileos::Write(m_handle, stored.data(), stored.size())) ThrowError(error);
}

void CStdioFile::Close() {
    if (m_handle == fileos::kNoHandle) return;
    const long error = fileos::Close(m_handle);
    m_handle = fileos::kNoHandle;
    if (error != 0) ThrowError(error);
}
