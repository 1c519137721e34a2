// msg.dat on disk: the message file's bytes (rules/MessageFile.h) written and read whole.
#pragma once

#include <optional>

#include "core/File.h"
#include "core/String.h"
#include "rules/CloseConversation.h"
#include "rules/MessageFile.h"

// Stores the message that `readMessage()` returns in place of msg.dat's bytes, whole or not at
// all (CFile::modeCreate). The file is opened first and the message read only once it is open.
// Returns the reason when msg.dat cannot be opened (a folder of that name, a file or folder that
// may not be written, a file another program holds open), nothing once the message is saved. An
// error after it opened throws CFileException, leaving msg.dat as it was and the caller's text
// untouched, so that it can be saved again.
template <typename ReadMessage>
std::optional<CFileException> SaveMessageFile(ReadMessage&& readMessage) {
    CFile file;
    CFileException error(kMessageFileName, 0, "");
    if (!file.Open(kMessageFileName, CFile::modeCreate | CFile::modeWrite, &error)) return error;
    file.Write(MessageFileBytes(readMessage()));
    file.Close();
    return std::nullopt;
}

// Saves as `conversation` asked (its kSave step), through SaveMessageFile, and gives its next step
// for what came of it: saved, or msg.dat could not be opened or written, each with the system's
// reason, or anything else failed (memory ran out, say).
template <typename ReadMessage>
CloseStep SaveAsAsked(CloseConversation& conversation, ReadMessage&& readMessage) {
    try {
        const std::optional<CFileException> refused = SaveMessageFile(readMessage);
        return refused ? conversation.CannotOpen(refused->GetErrorMessage()) : conversation.Saved();
    } catch (const CFileException& error) {
        return conversation.CannotWrite(error.GetErrorMessage());
    } catch (...) {
        return conversation.Failed();
    }
}

// The saved message, or nothing when msg.dat cannot be opened. An empty file is an empty message.
// `atStart`, if given, says which: read, absent, or there but unreadable (a folder, a pipe, a file
// that may not be read). A read error throws CFileException.
std::optional<CString> LoadMessageFile(AtStart* atStart = nullptr);
