// The application object and the About box.
#pragma once

#include <QStringList>

#include "platform/Dialog.h"
#include "platform/WinApp.h"

class CLookupApp : public CWinApp
{
public:
    bool InitInstance() override;
    int ExitInstance() override { return m_nExitCode; }

private:
    int m_nExitCode = 0;
};

class CAboutDlg : public CDialog
{
public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};

// The whole run on the command line's arguments (the program's name and Qt's own options
// left out): [--selection | --clipboard | [--] QUERY...]. A query, the selected text or the
// clipboard's goes to the window already running for this user in this directory when
// there is one; otherwise the window opens with it and runs Find once both loads have
// ended. Returns the exit status.
int RunLookupWindow(const QStringList& args);

extern CLookupApp theApp;
