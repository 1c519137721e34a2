#include "rules/MessageStore.h"

std::optional<CString> LoadMessageFile(AtStart* atStart) {
    CFile file;
    CFileException error(kMessageFileName, 0, "");
    if (!file.Open(kMessageFileName, CFile::modeRead, &error)) {
        if (atStart != nullptr)
            *atStart = fileos::IsNotFound(error.m_lOsError) ? AtStart::kAbsent : AtStart::kUnreadable;
        return std::nullopt;
    }
    const CString stored = file.ReadAll();
    file.Close();
    if (atStart != nullptr) *atStart = AtStart::kRead;
    return MessageFromFileBytes(stored);
}
