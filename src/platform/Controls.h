// Control objects that bind to a dialog's controls, and the text of a control as GBK.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>
#include <string_view>

// Sets a control's text from GBK bytes. Multi-line boxes show one entry a line: the
// entry's own LF and the "\r\n" behind it make one line break. A line edit given the GBK
// form of part of its own text (the query, trimmed) keeps the user's characters as they
// were, those GBK lacks included.
void SetControlText(QWidget* pControl, std::string_view gbk);
// A control's text as GBK. Text the window put there itself reads back as the very bytes
// it was given, whatever the display made of them.
std::string GetControlText(const QWidget* pControl);

class CWnd
{
public:
    virtual ~CWnd() = default;
    void Attach(QWidget* pWidget) { m_pWidget = pWidget; }
    QWidget* GetSafeHwnd() const { return m_pWidget.data(); }
    bool IsAttached() const { return !m_pWidget.isNull(); }
    void EnableWindow(bool bEnable);
    bool IsWindowEnabled() const;
    void SetWindowText(std::string_view gbk);

private:
    QPointer<QWidget> m_pWidget;
};

class CEdit : public CWnd
{
};

class CButton : public CWnd
{
};
