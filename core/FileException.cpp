#include "core/FileException.h"

CFileException::CFileException(const char* fileName, long osError, const char* description)
    : m_lOsError(osError), m_detail(std::make_shared<const Detail>(Detail{fileName, description})) {}
