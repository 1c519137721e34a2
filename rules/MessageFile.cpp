#include "rules/MessageFile.h"

#include "core/StdioFile.h"

CString MessageFileBytes(const CString& message) {
    CStdioFile file;
    file.WriteString(message);
    return file.GetBytes();
}

CString MessageFromFileBytes(const CString& stored) {
    CStdioFile file(stored);
    CString message;
    CString line;
    bool ended = false;
    while (file.ReadString(line)) {
        message += line;
        message += "\n";
        ended = file.LastLineEnded();
    }
    // Every line got an LF above; the last one is dropped unless the file itself had it after a CR.
    const int length = message.GetLength();
    const bool keepLast = ended && length >= 2 && message[length - 2] == '\r';
    return keepLast ? message : message.Left(length - 1);
}
