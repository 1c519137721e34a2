// msg.dat: the one message kept between runs, in the current directory, stored through text
// mode (each LF as CR LF) with nothing added: no header, no final line break.
#pragma once

#include <optional>

#include "classlib/StdioFile.h"
#include "classlib/String.h"

// Relative on purpose: resolved against the current directory each time it is opened.
inline constexpr char kMessageFileName[] = "msg.dat";

// Stores the message that `readMessage()` returns. The file is opened first and the message read
// only once it is open. A file that cannot be opened is skipped silently; an error after it opened
// throws CFileException, leaving the caller's text untouched so that it can be saved again.
template <typename ReadMessage>
void SaveMessageFile(ReadMessage&& readMessage) {
    CStdioFile file;
    if (!file.Open(kMessageFileName, CStdioFile::modeCreate | CStdioFile::modeWrite)) return;
    const CString message = readMessage();
    file.WriteString(message);
    file.Close();
}

// The saved message, or nothing when msg.dat cannot be opened. An empty file is an empty message.
std::optional<CString> LoadMessageFile();
