// A modal dialog built from a template, with two-way data exchange between its controls
// and its members, a command table and a system menu.
#pragma once

#include <QDialog>
#include <QMenu>
#include <map>
#include <string>

#include "platform/Controls.h"

class CDialog;
struct DialogTemplate;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr unsigned SC_MINIMIZE = 0xF020;
inline constexpr unsigned SC_CLOSE = 0xF060;

class CDataExchange
{
public:
    CDataExchange(CDialog* pDlgWnd, bool bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    bool m_bSaveAndValidate;  // true: controls into members
    CDialog* m_pDlgWnd;
};

// Binds a control object to the control with that id (on the first exchange).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Moves a control's text into the member or the member into the control.
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);

// The window menu a dialog opens from itself (right click, or Alt+Space / the menu key):
// Linux window managers keep their own window menus closed to programs.
class CSystemMenu
{
public:
    explicit CSystemMenu(QMenu* pMenu) : m_pMenu(pMenu) {}
    void AppendSeparator();
    void AppendItem(unsigned nID, const QString& text);
    QMenu* GetMenu() const { return m_pMenu; }

private:
    QMenu* m_pMenu;
};

class CDialog : public QDialog
{
public:
    explicit CDialog(int nIDTemplate, QWidget* pParent = nullptr);

    // Creates the controls, initialises the dialog and runs it modally; returns how it ended.
    int DoModal();
    // The same without the modal run, for a caller that drives the events itself.
    void CreateAndShow();
    bool UpdateData(bool bSaveAndValidate = true);
    QWidget* GetDlgItem(int nID) const;
    CSystemMenu* GetSystemMenu() { return &m_systemMenu; }

    // Converts dialog units of the dialog's font to pixels.
    QRect MapDialogRect(int x, int y, int cx, int cy) const;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Returns true for the dialog to put the focus in the first enabled control of the tab
    // order; false when it has set the focus itself.
    virtual bool OnInitDialog();
    virtual void OnCommand(int nID);
    virtual void OnSysCommand(unsigned nID);
    void ShowSystemMenu(const QPoint& globalPos);

    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    void CreateControls();
    void InitDialog();
    void SetDefaultFocus();

    const DialogTemplate* m_pTemplate;
    std::map<int, QWidget*> m_controls;
    QMenu* m_pMenu;
    CSystemMenu m_systemMenu;
    bool m_bCreated = false;
    int m_nBaseX = 8;
    int m_nBaseY = 16;
};
