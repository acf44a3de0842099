#include "lexivant2.h"

#include "lexivant2Dlg.h"
#include "res/resource.h"

CLookupApp theApp;

bool CLookupApp::InitInstance()
{
    AfxEnableControlContainer();
    CLookupDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();  // how it ended makes no difference
    m_pMainWnd = nullptr;
    // No message loop after the dialog: the program ends here.
    return false;
}

CAboutDlg::CAboutDlg(QWidget* pParent) : CDialog(IDD_ABOUTBOX, pParent)
{
    setWindowIcon(AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : QIcon());
}
