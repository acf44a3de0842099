#include "platform/Controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/GbkText.h"

namespace
{
const char* const kGbkProperty = "lexivant2_gbk";
const char* const kShownProperty = "lexivant2_shown";

QString ShownText(const QWidget* pControl)
{
    if (auto* pEdit = qobject_cast<const QLineEdit*>(pControl))
        return pEdit->text();
    if (auto* pBox = qobject_cast<const QPlainTextEdit*>(pControl))
        return pBox->toPlainText();
    if (auto* pButton = qobject_cast<const QPushButton*>(pControl))
        return pButton->text();
    if (auto* pLabel = qobject_cast<const QLabel*>(pControl))
        return pLabel->text();
    return {};
}

// One list entry a line: "\n\r\n" and "\r\n" both end a line; a lone CR stays visible.
QString ForMultiLineBox(QString text)
{
    text.replace(QLatin1String("\n\r\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QChar(0x240D));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}
}  // namespace

void SetControlText(QWidget* pControl, std::string_view gbk)
{
    if (!pControl)
        return;
    QString shown = GbkToUnicode(gbk);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl))
        pEdit->setText(shown);
    else if (auto* pBox = qobject_cast<QPlainTextEdit*>(pControl))
    {
        shown = ForMultiLineBox(shown);
        pBox->setPlainText(shown);
    }
    else if (auto* pButton = qobject_cast<QPushButton*>(pControl))
        pButton->setText(shown);
    else if (auto* pLabel = qobject_cast<QLabel*>(pControl))
        pLabel->setText(shown);
    pControl->setProperty(kGbkProperty, QByteArray(gbk.data(), static_cast<qsizetype>(gbk.size())));
    pControl->setProperty(kShownProperty, ShownText(pControl));
}

std::string GetControlText(const QWidget* pControl)
{
    if (!pControl)
        return {};
    const QString shown = ShownText(pControl);
    const QVariant gbk = pControl->property(kGbkProperty);
    if (gbk.isValid() && pControl->property(kShownProperty).toString() == shown)
    {
        const QByteArray bytes = gbk.toByteArray();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return UnicodeToGbk(shown);
}

void CWnd::EnableWindow(bool bEnable)
{
    if (m_pWidget)
        m_pWidget->setEnabled(bEnable);
}

bool CWnd::IsWindowEnabled() const
{
    return m_pWidget && m_pWidget->isEnabled();
}

void CWnd::SetWindowText(std::string_view gbk)
{
    SetControlText(m_pWidget.data(), gbk);
}
