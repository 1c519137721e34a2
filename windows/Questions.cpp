#include "windows/Questions.h"

#include "windows/Cp949.h"
#include "windows/classlib/WinApp.h"

Reply Ask(const Question& question) {
    // The system's reason is UTF-8, the rules' sentences code page 949.
    std::wstring text = FromCp949(question.text);
    for (const std::wstring& paragraph : {FromUtf8(question.reason), FromCp949(question.choice)})
        if (!paragraph.empty()) text.append(L"\r\n\r\n").append(paragraph);
    const UINT buttons[] = {MB_OK, MB_RETRYCANCEL, MB_YESNOCANCEL};
    switch (AfxMessageBox(text, buttons[static_cast<int>(question.buttons)] | MB_ICONEXCLAMATION)) {
        case IDYES:
            return Reply::kYes;
        case IDNO:
            return Reply::kNo;
        case IDRETRY:
            return Reply::kRetry;
        case IDCANCEL:
            return Reply::kCancel;
        default:
            return Reply::kOk;
    }
}
