#include "core/File.h"

#include <cstddef>
#include <string>

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

}  // namespace

CFile::~CFile() {
    if (m_handle != fileos::kNoHandle) fileos::Close(m_handle);
    if (!m_strTemporary.IsEmpty()) fileos::Remove(m_strTemporary);
}

bool CFile::Open(const char* fileName, unsigned openFlags, CFileException* error) {
    const long result = (openFlags & modeCreate) != 0
                            ? fileos::OpenReplacement(fileName, m_handle, m_strTemporary, m_strTarget)
                            : fileos::Open(fileName, m_handle);
    if (result != 0) {
        m_handle = fileos::kNoHandle;
        if (error != nullptr) *error = CFileException(fileName, result, fileos::Describe(result));
        return false;
    }
    m_strFileName = fileName;
    return true;
}

void CFile::ThrowError(long error) const { throw CFileException(m_strFileName, error, fileos::Describe(error)); }

CString CFile::ReadAll() {
    std::string bytes;
    for (std::size_t got = kReadChunk; got != 0;) {
        const std::size_t size = bytes.size();
        bytes.resize(size + kReadChunk);
        if (const long error = fileos::Read(m_handle, bytes.data() + size, kReadChunk, got)) ThrowError(error);
        bytes.resize(size + got);
    }
    return CString(bytes.data(), static_cast<int>(bytes.size()));
}

void CFile::Write(const CString& bytes) {
    if (bytes.IsEmpty()) return;
    const long error = fileos::Write(m_handle, bytes, static_cast<std::size_t>(bytes.GetLength()));
    if (error != 0) ThrowError(error);
}

void CFile::Close() {
    if (m_handle == fileos::kNoHandle) return;
    const fileos::Handle handle = m_handle;
    m_handle = fileos::kNoHandle;
    if (m_strTemporary.IsEmpty()) {
        if (const long error = fileos::Close(handle)) ThrowError(error);
        return;
    }
    const long error = fileos::Replace(handle, m_strTemporary, m_strTarget);
    if (error != 0) fileos::Remove(m_strTemporary);
    m_strTemporary.Empty();
    if (error != 0) ThrowError(error);
}
