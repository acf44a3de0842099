#include "platform/Controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <utility>
#include <vector>

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

// The part of a line edit's text whose GBK form is `gbk`, or a null string when there is
// none. The window writes a query back trimmed: the box then keeps the user's own
// characters, those GBK lacks included, where decoding the bytes would show NULs.
QString OwnTextFor(const QString& shown, std::string_view gbk)
{
    std::string bytes;
    std::vector<std::pair<std::size_t, qsizetype>> starts;  // (byte, character) of each character
    for (qsizetype i = 0; i < shown.size();)
    {
        const qsizetype n = shown.at(i).isHighSurrogate() && i + 1 < shown.size() ? 2 : 1;
        starts.emplace_back(bytes.size(), i);
        bytes += UnicodeToGbk(shown.mid(i, n));
        i += n;
    }
    starts.emplace_back(bytes.size(), shown.size());
    for (const auto& [nByte, nChar] : starts)
    {
        if (bytes.compare(nByte, gbk.size(), gbk) != 0)
            continue;
        const auto end = std::lower_bound(starts.begin(), starts.end(),
                                          std::make_pair(nByte + gbk.size(), qsizetype{0}));
        if (end != starts.end() && end->first == nByte + gbk.size())
            return shown.mid(nChar, end->second - nChar);
    }
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
    const QString shown = GbkToUnicode(gbk);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl))
    {
        const QString own = OwnTextFor(pEdit->text(), gbk);
        pEdit->setText(own.isNull() ? shown : own);
    }
    else if (auto* pBox = qobject_cast<QPlainTextEdit*>(pControl))
        pBox->setPlainText(ForMultiLineBox(shown));
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
