#include "platform/Dialog.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <memory>

#include "platform/DialogTemplate.h"
#include "platform/Resources.h"

namespace
{
// n * numerator / denominator in 64 bits, rounded to the nearest: truncating would shrink
// every control laid out in dialog units by up to a pixel.
int MulDiv(int n, int numerator, int denominator)
{
    const long long product = static_cast<long long>(n) * numerator;
    return static_cast<int>((product + denominator / 2) / denominator);
}

// The face the template names, then faces a Linux desktop is likely to have. Latin text
// goes to a face with every pinyin vowel before WenQuanYi Micro Hei, which draws the
// third-tone vowels (U+01CE and the like) blank; Chinese falls back to whichever has it.
QFont DialogFont(const DialogTemplate& dialogTemplate)
{
    QFont font;
    font.setFamilies({QString::fromUtf8(dialogTemplate.szFontFace), QStringLiteral("SimSun"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Droid Sans Fallback")});
    font.setPointSize(dialogTemplate.nPointSize);
    return font;
}

// An edit box whose own context menu (copy, paste, ...) ends with the dialog's window
// menu: right-clicking most of the window lands on an edit box, and the window manager
// keeps Alt+Space for its own menu, so this is where users find the About box.
template <typename Edit>
class CEditWithWindowMenu : public Edit
{
public:
    CEditWithWindowMenu(QMenu* pWindowMenu, QWidget* pParent) : Edit(pParent), m_pWindowMenu(pWindowMenu) {}

protected:
    void contextMenuEvent(QContextMenuEvent* pEvent) override
    {
        const std::unique_ptr<QMenu> pMenu(this->createStandardContextMenu());
        pMenu->addSeparator();
        // Shared actions: choosing one runs the window menu's own handler.
        pMenu->addActions(m_pWindowMenu->actions());
        pMenu->exec(pEvent->globalPos());
    }

private:
    QMenu* m_pWindowMenu;  // the dialog's, which outlives its controls
};

QWidget* CreateControl(const ControlTemplate& control, QWidget* pParent, QMenu* pWindowMenu)
{
    const QString text = QString::fromUtf8(control.szText ? control.szText : "");
    QWidget* pWidget = nullptr;
    switch (control.kind)
    {
    case ControlKind::kPushButton:
    {
        auto* pButton = new QPushButton(text, pParent);
        pButton->setDefault(control.style & kDefaultButton);
        pButton->setAutoDefault(false);
        pWidget = pButton;
        break;
    }
    case ControlKind::kEdit:
        if (control.style & kMultiLine)
        {
            auto* pBox = new CEditWithWindowMenu<QPlainTextEdit>(pWindowMenu, pParent);
            pBox->setReadOnly(control.style & kReadOnly);
            pBox->setLineWrapMode(QPlainTextEdit::NoWrap);  // one entry a line: long ones scroll sideways
            pBox->setVerticalScrollBarPolicy((control.style & kVScroll) ? Qt::ScrollBarAlwaysOn
                                                                        : Qt::ScrollBarAsNeeded);
            pBox->setFrameShape((control.style & kBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
            pWidget = pBox;
        }
        else
        {
            auto* pEdit = new CEditWithWindowMenu<QLineEdit>(pWindowMenu, pParent);
            pEdit->setReadOnly(control.style & kReadOnly);
            pEdit->setFrame(control.style & kBorder);
            pWidget = pEdit;
        }
        break;
    case ControlKind::kStatic:
        pWidget = new QLabel(text, pParent);
        break;
    case ControlKind::kIcon:
    {
        auto* pLabel = new QLabel(pParent);
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        pLabel->setPixmap(LoadIconResource(control.nIconId).pixmap(32, 32));
        pWidget = pLabel;
        break;
    }
    }
    pWidget->setEnabled(!(control.style & kDisabled));
    if (control.kind == ControlKind::kStatic || control.kind == ControlKind::kIcon)
        pWidget->setFocusPolicy(Qt::NoFocus);
    else
        pWidget->setFocusPolicy((control.style & kTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
    return pWidget;
}
}  // namespace

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (!rControl.IsAttached())
        rControl.Attach(pDX->m_pDlgWnd->GetDlgItem(nIDC));
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value)
{
    QWidget* pControl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = GetControlText(pControl);
    else if (GetControlText(pControl) != value)
        SetControlText(pControl, value);
}

void CSystemMenu::AppendSeparator()
{
    m_pMenu->addSeparator();
}

void CSystemMenu::AppendItem(unsigned nID, const QString& text)
{
    QAction* pAction = m_pMenu->addAction(text);
    pAction->setData(nID);
}

CDialog::CDialog(int nIDTemplate, QWidget* pParent)
    : QDialog(pParent), m_pTemplate(FindDialogTemplate(nIDTemplate)), m_pMenu(new QMenu(this)),
      m_systemMenu(m_pMenu)
{
    m_systemMenu.AppendItem(SC_MINIMIZE, QStringLiteral("最小化(&N)"));
    m_systemMenu.AppendItem(SC_CLOSE, QStringLiteral("关闭(&C)\tAlt+F4"));
    connect(m_pMenu, &QMenu::triggered, this,
            [this](QAction* pAction) { OnSysCommand(pAction->data().toUInt()); });
    for (const QKeySequence& keys : {QKeySequence(Qt::ALT | Qt::Key_Space), QKeySequence(Qt::Key_Menu)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this] { ShowSystemMenu(mapToGlobal(QPoint(0, 0))); });
}

QRect CDialog::MapDialogRect(int x, int y, int cx, int cy) const
{
    return QRect(MulDiv(x, m_nBaseX, 4), MulDiv(y, m_nBaseY, 8), MulDiv(cx, m_nBaseX, 4),
                 MulDiv(cy, m_nBaseY, 8));
}

void CDialog::CreateControls()
{
    if (m_bCreated || !m_pTemplate)
        return;
    m_bCreated = true;
    const DialogTemplate& dialogTemplate = *m_pTemplate;
    setFont(DialogFont(dialogTemplate));
    // Dialog units: a quarter of the font's average character width, an eighth of its height.
    const QFontMetrics metrics(font());
    const int nAverage = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseX = (nAverage / 26 + 1) / 2;
    m_nBaseY = metrics.height();

    setWindowTitle(QString::fromUtf8(dialogTemplate.szCaption));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialogTemplate.bMinimizeBox)
        flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    setFixedSize(MapDialogRect(0, 0, dialogTemplate.cx, dialogTemplate.cy).size());

    QWidget* pPrevious = nullptr;
    for (const ControlTemplate& control : dialogTemplate.controls)
    {
        QWidget* pWidget = CreateControl(control, this, m_pMenu);
        pWidget->setGeometry(MapDialogRect(control.x, control.y, control.cx, control.cy));
        if (control.nId >= 0)
            m_controls[control.nId] = pWidget;
        if (auto* pButton = qobject_cast<QPushButton*>(pWidget))
            connect(pButton, &QPushButton::clicked, this, [this, nId = control.nId] { OnCommand(nId); });
        if (pWidget->focusPolicy() == Qt::StrongFocus)
        {
            if (pPrevious)
                setTabOrder(pPrevious, pWidget);
            pPrevious = pWidget;
        }
    }
}

void CDialog::InitDialog()
{
    CreateControls();
    if (OnInitDialog())
        SetDefaultFocus();
}

void CDialog::SetDefaultFocus()
{
    // Set now, before the window is shown: the focus waits in the control until the window
    // is activated. Left to Qt, activation gives it to the first control in the tab order
    // that is enabled by then, which depends on what other threads did meanwhile.
    if (!m_pTemplate)
        return;
    for (const ControlTemplate& control : m_pTemplate->controls)
    {
        QWidget* pWidget = GetDlgItem(control.nId);
        if (pWidget && (control.style & kTabStop) && pWidget->isEnabled())
        {
            pWidget->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

int CDialog::DoModal()
{
    // Initialised before it is shown: exec() shows it, and only a dialog that exec() shows
    // is modal.
    InitDialog();
    return exec();
}

void CDialog::CreateAndShow()
{
    InitDialog();
    show();
}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return true;
}

QWidget* CDialog::GetDlgItem(int nID) const
{
    const auto it = m_controls.find(nID);
    return it == m_controls.end() ? nullptr : it->second;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialog::OnCommand(int nID)
{
    if (nID == IDOK)
        accept();
    else if (nID == IDCANCEL)
        reject();
}

void CDialog::OnSysCommand(unsigned nID)
{
    if ((nID & 0xFFF0) == SC_MINIMIZE)
        showMinimized();
    else if ((nID & 0xFFF0) == SC_CLOSE)
        reject();
}

void CDialog::ShowSystemMenu(const QPoint& globalPos)
{
    m_pMenu->exec(globalPos);
}

void CDialog::contextMenuEvent(QContextMenuEvent* pEvent)
{
    ShowSystemMenu(pEvent->globalPos());
}
