// The lookup window.
#pragma once

#include <QIcon>
#include <string>

#include "platform/Dialog.h"
#include "platform/WindowStatusTarget.h"
#include "vocabulary/LoaderThreads.h"

// The Find button, global so that the loaders reach it without the dialog.
extern CButton g_btnFind;

class CLookupDlg : public CDialog
{
public:
    explicit CLookupDlg(QWidget* pParent = nullptr);
    ~CLookupDlg() override;

    CStatusEdit m_ctlStatus;
    std::string m_strTechResult;
    std::string m_strQuery;
    std::string m_strStatus;
    std::string m_strGeneralResult;

    // The Find command: one whole search on this thread.
    void OnFind();
    bool LoadersRunning() const { return m_loaders.IsRunning(); }

protected:
    QIcon m_hIcon;

    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnCommand(int nID) override;
    void OnSysCommand(unsigned nID) override;
    void done(int nResult) override;

private:
    // Last, so that it is destroyed first: no loader outlives the controls it reports to.
    LoaderThreads m_loaders;
};
