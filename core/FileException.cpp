#include "core/FileException.h"

#include <cstring>

namespace {

// `text` into `buffer`, cut where it must be at the start of a character of UTF-8, the encoding
// of the system's descriptions.
template <std::size_t kSize>
void Keep(char (&buffer)[kSize], const char* text) {
    std::size_t length = std::strlen(text);
    if (length >= kSize)
        for (length = kSize - 1; length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80;) --length;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

}  // namespace

CFileException::CFileException(const char* fileName, long osError, const char* description) : m_lOsError(osError) {
    Keep(m_szFileName, fileName);
    Keep(m_szDescription, description);
}
