#include "windows/ComposerApp.h"

#include "core/FileException.h"
#include "rules/Texts.h"
#include "windows/ComposerDlg.h"
#include "windows/Questions.h"

CComposerApp theApp;

BEGIN_MESSAGE_MAP(CComposerApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CComposerApp::InitInstance() {
    CComposerDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;  // the dialog ends with this function
    return FALSE;
}

void CComposerApp::ProcessWndProcException() {
    try {
        throw;
    } catch (const CFileException& error) {
        Ask(FileError(error.GetFileName(), error.GetErrorMessage()));
    } catch (...) {
        Ask({kUnexpectedError, {}, "", Buttons::kOk});
    }
}
