// The application object and the About box.
#pragma once

#include "platform/Dialog.h"
#include "platform/WinApp.h"

class CLookupApp : public CWinApp
{
public:
    bool InitInstance() override;
};

class CAboutDlg : public CDialog
{
public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};

extern CLookupApp theApp;
