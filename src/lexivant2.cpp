#include "lexivant2.h"

#include "lexivant2Dlg.h"
#include "platform/Resources.h"
#include "res/resource.h"

CLookupApp theApp;

bool CLookupApp::InitInstance()
{
    CLookupDlg dlg;
    dlg.DoModal();  // how it ended makes no difference
    // No message loop after the dialog: the program ends here.
    return false;
}

CAboutDlg::CAboutDlg(QWidget* pParent) : CDialog(IDD_ABOUTBOX, pParent)
{
    setWindowIcon(LoadIconResource(IDR_MAINFRAME));
}
