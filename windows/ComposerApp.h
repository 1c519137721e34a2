// The application object: runs the composer modally, then lets the process end. An exception that
// escapes a handler is told as the rules word it.
#pragma once

#include "windows/classlib/WinApp.h"

class CComposerApp : public CWinApp {
public:
    CComposerApp() : CWinApp(nullptr) {}
    BOOL InitInstance() override;
    void ProcessWndProcException() override;

    DECLARE_MESSAGE_MAP()
};

extern CComposerApp theApp;
