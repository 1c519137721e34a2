#include "windows/ComposerApp.h"

#include "windows/ComposerDlg.h"

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
