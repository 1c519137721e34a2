// CWinApp and the process frame: the one application object, the entry point, resources.
#pragma once

#include "rules/CloseConversation.h"
#include "windows/classlib/Wnd.h"

class CFileException;

inline constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget {
public:
    // A null name means the executable's own name, which then titles the program's message boxes.
    explicit CWinApp(const wchar_t* appName = nullptr);
    ~CWinApp() override;

    // Called once at start; a dialog-based program does all its work here and returns FALSE,
    // and the process ends without a message pump.
    virtual BOOL InitInstance() { return FALSE; }
    // The help command. This program has no help content, so there is nothing to show.
    LRESULT OnHelp() { return 0; }

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    std::wstring m_strAppName;

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
// The module that holds the resource, or nullptr.
HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type);

// A message box over the main window, titled with the program's name; returns the button pressed.
int AfxMessageBox(const std::wstring& text, UINT type);
// The rules' `question` in a message box over the main window: what happened, the system's reason
// and what each button does, a paragraph each, with the question's buttons.
Reply AfxAsk(const Question& question);
// How an exception that escaped a handler is told to the user: a message box owned by `owner`.
void AfxReportFileException(HWND owner, const CFileException& error);
void AfxReportUnexpectedException(HWND owner);
