#include "lexivant2Dlg.h"

#include <utility>

#include "lexivant2.h"
#include "platform/Resources.h"
#include "res/resource.h"
#include "search/Find.h"
#include "search/SearchTexts.h"

CButton g_btnFind;

CLookupDlg::CLookupDlg(QWidget* pParent)
    : CDialog(IDD_LOOKUP_DIALOG, pParent), m_ctlStatus(g_btnFind),
      m_hIcon(LoadIconResource(IDR_MAINFRAME))
{
}

CLookupDlg::~CLookupDlg()
{
    m_loaders.Stop();
}

void CLookupDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STATUS, m_ctlStatus);
    DDX_Text(pDX, IDC_TECH_RESULT, m_strTechResult);
    DDX_Text(pDX, IDC_QUERY, m_strQuery);
    DDX_Text(pDX, IDC_STATUS, m_strStatus);
    DDX_Control(pDX, IDOK, g_btnFind);
    DDX_Text(pDX, IDC_GENERAL_RESULT, m_strGeneralResult);
}

bool CLookupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    const QString strAboutMenu = LoadStringResource(IDS_ABOUTBOX);
    if (!strAboutMenu.isEmpty())
    {
        GetSystemMenu()->AppendSeparator();
        GetSystemMenu()->AppendItem(IDM_ABOUTBOX, strAboutMenu);
    }

    // The window manager draws the minimised window and its drag image from this icon.
    setWindowIcon(m_hIcon);

    g_btnFind.EnableWindow(false);
    m_loaders.Start(m_ctlStatus);
    return true;  // Find is disabled, so the focus goes to the query box
}

void CLookupDlg::OnCommand(int nID)
{
    if (nID == IDOK)
        OnFind();
    else
        CDialog::OnCommand(nID);
}

void CLookupDlg::OnSysCommand(unsigned nID)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
    {
        CAboutDlg dlgAbout(this);
        dlgAbout.DoModal();
    }
    else
        CDialog::OnSysCommand(nID);
}

void CLookupDlg::done(int nResult)
{
    // Closing: loaders stop within milliseconds and report nothing more.
    m_loaders.Stop();
    CDialog::done(nResult);
}

void CLookupDlg::OnFind()
{
    UpdateData(true);
    m_strStatus = kszSearching;
    g_btnFind.EnableWindow(false);
    // The search holds this thread: nothing reaches the screen before it has ended.
    FindResults results = FindInVocabularies(m_strQuery);
    m_strGeneralResult = std::move(results.general);
    m_strTechResult = std::move(results.technical);
    UpdateData(false);
    g_btnFind.EnableWindow(true);
}
