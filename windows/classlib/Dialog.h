// CDialog: a modal dialog from a dialog template, its controls bound by data exchange.
#pragma once

#include "windows/classlib/Wnd.h"

class CDataExchange {
public:
    explicit CDataExchange(CWnd* dialog) : m_pDlgWnd(dialog) {}
    CWnd* m_pDlgWnd;
};

// Binds the dialog's control `id` to `control`.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

    // Creates the window from the template and runs it until EndDialog; -1 if it cannot be created.
    INT_PTR DoModal();

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    // Runs DoDataExchange; nonzero lets the dialog manager focus the first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam);
    void CenterWindow();
    LRESULT OnOKCommand();
    LRESULT OnCancelCommand();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};
