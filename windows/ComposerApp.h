// The application object: runs the composer modally, then lets the process end.
#pragma once

#include "windows/classlib/WinApp.h"

class CComposerApp : public CWinApp {
public:
    CComposerApp() : CWinApp(nullptr) {}
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CComposerApp theApp;
