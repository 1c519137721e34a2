// msg.dat: the one message kept between runs, in the current directory, stored through text
// mode (each LF as CR LF) with nothing added: no header, no final line break. The rule is two
// functions over bytes, the same for every front end; the disk is a thin layer over them.
#pragma once

#include <optional>

#include "core/File.h"
#include "core/String.h"

// Relative on purpose: resolved against the current directory each time it is opened.
inline constexpr char kMessageFileName[] = "msg.dat";

// The bytes msg.dat holds for `message`, the editor's text (line breaks CR LF).
CString MessageFileBytes(const CString& message);
// The message a msg.dat holding `stored` gives back: the editor's line breaks, saved as CR CR LF,
// come back whole; a file written elsewhere with CR LF line ends loads without a trailing break.
CString MessageFromFileBytes(const CString& stored);

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

// The saved message, or nothing when msg.dat cannot be opened. An empty file is an empty message.
// `unreadable`, if given, is set when msg.dat exists but could not be opened; a read error throws
// CFileException.
std::optional<CString> LoadMessageFile(bool* unreadable = nullptr);
