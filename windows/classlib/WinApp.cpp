#include "windows/classlib/WinApp.h"

#include <algorithm>

namespace {

CWinApp* g_app = nullptr;

// The executable's file name without its folder and extension.
std::wstring ModuleName() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* const end = path + (length < MAX_PATH ? length : 0);
    const wchar_t* name = path;
    for (const wchar_t* p = path; p != end; ++p)
        if (*p == L'\\' || *p == L'/') name = p + 1;
    return std::wstring(name, std::find(name, end, L'.'));
}

}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const wchar_t* appName) : m_strAppName(appName != nullptr ? appName : ModuleName()) { g_app = this; }

CWinApp::~CWinApp() { g_app = nullptr; }

CWinApp* AfxGetApp() { return g_app; }

// Resources live in the executable, whose handle AfxWinMain recorded.
HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type) {
    const HINSTANCE module = g_app != nullptr ? g_app->m_hInstance : nullptr;
    return ::FindResourceW(module, name, type) != nullptr ? module : nullptr;
}

// The command line and show state are not read: the program takes no arguments, and a modal
// dialog shows itself. With no message pump to run, the exit status is 0.
int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 0;
    app->m_hInstance = instance;
    app->InitInstance();
    return 0;
}

int AfxMessageBox(const std::wstring& text, UINT type) {
    const CWnd* main = g_app != nullptr ? g_app->m_pMainWnd : nullptr;
    return ::MessageBoxW(main != nullptr ? main->m_hWnd : nullptr, text.c_str(),
                         g_app != nullptr ? g_app->m_strAppName.c_str() : nullptr, type);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    return AfxWinMain(instance, nullptr, commandLine, showCommand);
}
