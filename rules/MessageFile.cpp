#include "rules/MessageFile.h"

std::optional<CString> LoadMessageFile() {
    CStdioFile file;
    if (!file.Open(kMessageFileName, CStdioFile::modeRead)) return std::nullopt;
    CString message;
    CString line;
    bool ended = false;
    while (file.ReadString(line)) {
        message += line;
        message += "\n";
        ended = file.LastLineEnded();
    }
    file.Close();
    // Every line got an LF above; the last one is dropped unless the file itself had it after a CR.
    // A line break saved by the editor (CR LF, stored CR CR LF) so comes back whole, while a file
    // written elsewhere with CR LF line ends loads without a trailing break.
    const int length = message.GetLength();
    const bool keepLast = ended && length >= 2 && message[length - 2] == '\r';
    return keepLast ? message : message.Left(length - 1);
}
