// CWinApp and the process frame: the one application object, the entry point, resources.
#pragma once

#include "windows/classlib/Wnd.h"

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
    // An exception escaped a window's handler and is being handled: tells the user, as the
    // application words it (`throw;` rethrows it to tell which it is). The window then goes on as it
    // was: no exception crosses back into the system's code.
    virtual void ProcessWndProcException() = 0;

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
