#include "windows/classlib/WinApp.h"

#include <mbctype.h>

#include "core/FileException.h"
#include "rules/Texts.h"

namespace {

CWinApp* g_app = nullptr;

// Multibyte string functions of the runtime follow the system's ANSI code page. Set before any
// other static object, the application object included, is constructed.
struct MultibyteCodePage {
    MultibyteCodePage() { _setmbcp(_MB_CP_ANSI); }
};
__attribute__((init_priority(101))) MultibyteCodePage g_multibyteCodePage;

CString ModuleName() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    CString name(path, static_cast<int>(length < MAX_PATH ? length : 0));
    const char* base = name;
    for (const char* p = name; *p != '\0'; p = ::CharNextA(p))
        if (*p == '\\' || *p == '/') base = p + 1;
    CString result(base);
    for (const char* p = result; *p != '\0'; p = ::CharNextA(p))
        if (*p == '.') return result.Left(static_cast<int>(p - static_cast<const char*>(result)));
    return result;
}

}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* appName) : m_strAppName(appName != nullptr ? CString(appName) : ModuleName()) {
    g_app = this;
}

CWinApp::~CWinApp() { g_app = nullptr; }

CWinApp* AfxGetApp() { return g_app; }

// Resources live in the executable, whose handle AfxWinMain recorded.
HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type) {
    const HINSTANCE module = g_app != nullptr ? g_app->m_hInstance : nullptr;
    return ::FindResourceA(module, name, type) != nullptr ? module : nullptr;
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

namespace {
int Report(HWND owner, const char* text, UINT type = MB_OK | MB_ICONEXCLAMATION) {
    return ::MessageBoxA(owner, text, g_app != nullptr ? static_cast<const char*>(g_app->m_strAppName) : nullptr, type);
}
}  // namespace

int AfxMessageBox(const char* text, UINT type) {
    const CWnd* main = g_app != nullptr ? g_app->m_pMainWnd : nullptr;
    return Report(main != nullptr ? main->m_hWnd : nullptr, text, type);
}

void AfxReportFileException(HWND owner, const CFileException& error) {
    CString text;
    text.Format(kFileErrorTemplate, error.GetFileName());
    text += "\r\n\r\n";
    text += error.GetErrorMessage();
    Report(owner, text);
}

void AfxReportUnexpectedException(HWND owner) { Report(owner, kUnexpectedError); }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    return AfxWinMain(instance, nullptr, commandLine, showCommand);
}
